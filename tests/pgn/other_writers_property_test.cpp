// Random games written as other programs write them (long lines, LF or CR LF, a
// byte-order mark, UTF-8 or Latin-1, tags with a tab or without a blank, FEN before
// SetUp, comments in a row, ";" comments, comments and NAGs before the first move of
// the game or of a variation, glyphs and several NAGs, variations that repeat the main
// move) are read, written by the program, read again, and every move, comment text,
// NAG and tag is what was written.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/extra_tag.h"
#include "game/game_document.h"
#include "game/move_tree.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "tests/support/pgn_write_support.h"
#include "platform/text_codec.h"
#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"

namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kMoves[] = {
    u"e4",  u"d4",  u"Nf3", u"c4",  u"e5",  u"d5",  u"Nc6", u"Nf6", u"c5",  u"e6",  u"Bc4",
    u"Bb5", u"O-O", u"Qe2", u"a3",  u"h3",  u"a6",  u"h6",  u"g3",  u"g6",  u"Bg2", u"Bg7",
    u"b3",  u"b6",  u"Bb2", u"Bb7", u"Nc3", u"Kf1", u"Kf8", u"Rb1", u"Rb8", u"Ke2", u"Ke7"};
constexpr std::u16string_view kWords[] = {
    u"good",   u"move",       u"\u00e9t\u00e9", u"[%clk 0:01:02]",
    u"(idea)", u"na\u00efve", u"\u5f3a",        u"better",
    u"x",      u"!?"};

// What the test wrote for each move, beside the tree that holds the moves.
struct Expected {
    std::map<const MoveNode*, std::vector<int>> nags;
    std::map<const MoveNode*, std::vector<int>> nagsBefore;
    std::map<const MoveNode*, std::u16string> after;
    std::map<const MoveNode*, std::u16string> before;
    std::u16string rootComment;
};

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool Chance(int percent) { return Pick(100) < percent; }

    std::u16string Comment(bool latin1) {
        std::u16string text;
        const int words = 1 + Pick(Chance(10) ? 120 : 6);
        for (int i = 0; i < words; ++i) {
            std::u16string_view word = kWords[Pick(std::size(kWords))];
            if (latin1 && word == u"\u5f3a") {
                word = u"x";
            }
            text += (i > 0 ? u" " : u"") + std::u16string(word);
        }
        return text;
    }

    // Plays a random move from `from` (a new line when asked); null when none fits.
    Position* Play(Position& from, bool newLine) {
        for (int tries = 0; tries < 60; ++tries) {
            const std::u16string_view san = kMoves[Pick(std::size(kMoves))];
            if (Position* to = newLine ? ParseSanAsNewLine(from, san) : ParseSan(from, san)) {
                return to;
            }
        }
        return nullptr;
    }

    std::vector<int> Nags() {
        std::vector<int> nags;
        const int count = 1 + Pick(3);
        for (int i = 0; i < count; ++i) {
            nags.push_back(Chance(50) ? 1 + Pick(6) : 7 + Pick(140));
        }
        return nags;
    }

    // NAGs before the first move of the game or of a variation, now and then.
    void AnnotateBefore(const MoveNode& first, Expected& expected) {
        if (Chance(25)) {
            expected.nagsBefore[&first] = Nags();
        }
    }

    void Annotate(MoveNode& move, Expected& expected, bool latin1) {
        if (Chance(30)) {
            expected.nags[&move] = Nags();
        }
        if (Chance(35)) {
            expected.after[&move] = Comment(latin1);
        }
    }

    // A line of `length` moves from `from`; variations branch off it now and then.
    void Line(Position& from, int length, int depth, Expected& expected, bool latin1) {
        Position* at = &from;
        for (int i = 0; i < length; ++i) {
            Position* next = Play(*at, false);
            if (next == nullptr) {
                return;
            }
            Annotate(*next->incomingMove, expected, latin1);
            if (depth < 2 && Chance(25)) {
                // An alternative to this move, which may be the same move again.
                Position* alternative =
                    Chance(30) ? ParseSanAsNewLine(*at, SanOf(*next)) : Play(*at, true);
                if (alternative != nullptr) {
                    Annotate(*alternative->incomingMove, expected, latin1);
                    if (Chance(40)) {
                        expected.before[alternative->incomingMove] = Comment(latin1);
                    }
                    AnnotateBefore(*alternative->incomingMove, expected);
                    Line(*alternative, Pick(4), depth + 1, expected, latin1);
                }
            }
            at = next;
        }
    }

    static std::u16string SanOf(const Position& position) {
        return FormatSanText(*position.incomingMove, false, false, NotationLanguage::English);
    }

    std::mt19937& random() { return random_; }

private:
    std::mt19937 random_;
};

// Writes the expected game as another program would.
class OtherWriter {
public:
    OtherWriter(Generator& generator, const Expected& expected, bool crlf)
        : g_(generator), expected_(expected), eol_(crlf ? u"\r\n" : u"\n") {}

    std::u16string Game(const GameDocument& game, const std::u16string& fen) {
        std::u16string text;
        const auto tag = [&](std::u16string_view name, std::u16string_view value) {
            const int form = g_.Pick(3);
            text += u"[" + std::u16string(name) +
                    (form == 0   ? u"\t"
                     : form == 1 ? u""
                                 : u" ") +
                    u"\"" + std::u16string(value) + u"\"]" + eol_;
        };
        tag(u"Event", *game.event);
        tag(u"Site", u"Caf\u00e9");
        tag(u"Date", u"2024.05.06");
        tag(u"Round", u"1");
        tag(u"White", *game.white);
        tag(u"Black", u"B");
        tag(u"Result", u"*");
        if (!fen.empty()) {
            tag(u"FEN", fen);  // as the standard's order puts it, before SetUp
            tag(u"SetUp", u"1");
        }
        tag(u"Annotator", u"Zo\u00eb");
        text += eol_;
        if (game.root.firstMove) {
            Before(*game.root.firstMove, expected_.rootComment);
            WriteLine(*game.root.firstMove);
        } else {
            Pieces(u"{" + expected_.rootComment + u"}");
        }
        Pieces(u"*");
        return text + Flush() + eol_ + eol_;
    }

private:
    void Pieces(const std::u16string& piece) { pieces_.push_back(piece); }

    void Comments(const std::u16string& comment) {
        // One comment as two in a row, or after a semicolon, or whole.
        const std::size_t blank = comment.find(u' ');
        const int form = g_.Pick(3);
        if (form == 0 && blank != std::u16string::npos) {
            Pieces(u"{" + comment.substr(0, blank) + u"}");
            Pieces(u"{" + comment.substr(blank + 1) + u"}");
        } else if (form == 1) {
            Pieces(u";" + comment + u"\n");
        } else {
            Pieces(u"{" + comment + u"}");
        }
    }

    void Move(const MoveNode& move, bool numbered) {
        std::u16string san = FormatSanText(move, numbered, false, NotationLanguage::English);
        const auto nags = expected_.nags.find(&move);
        if (nags != expected_.nags.end()) {
            // A glyph may stick to the move; any later mark needs a blank before it.
            bool first = true;
            for (const int nag : nags->second) {
                const bool glyph = nag <= 6 && g_.Chance(50);
                san += first && glyph ? u"" : u" ";
                san += glyph ? std::u16string(NagGlyphs[nag - 1]) : u"$" + Number(nag);
                first = false;
            }
        }
        Pieces(san);
        const auto after = expected_.after.find(&move);
        if (after != expected_.after.end()) {
            Comments(after->second);
        }
    }

    static std::u16string Number(int n) {
        const std::string digits = std::to_string(n);
        return {digits.begin(), digits.end()};
    }

    // What comes before the first move of a line: a comment and NAGs, in either order.
    void Before(const MoveNode& first, const std::u16string& comment) {
        const auto nags = expected_.nagsBefore.find(&first);
        const bool nagsFirst = g_.Chance(50);
        if (!comment.empty() && !nagsFirst) {
            Pieces(u"{" + comment + u"}");
        }
        if (nags != expected_.nagsBefore.end()) {
            for (const int nag : nags->second) {
                const bool glyph = nag <= 6 && g_.Chance(50);
                Pieces(glyph ? std::u16string(NagGlyphs[nag - 1]) : u"$" + Number(nag));
            }
        }
        if (!comment.empty() && nagsFirst) {
            Pieces(u"{" + comment + u"}");
        }
    }

    // Recursion is fine here: the test's variations nest two deep at most.
    void WriteLine(const MoveNode& first) {
        bool numbered = true;
        for (const MoveNode* move = &first; move != nullptr; move = move->child->firstMove.get()) {
            Move(*move, numbered);
            numbered = MoverColour(*move) == kBlack;
            if (move->prevSibling == nullptr) {
                for (const MoveNode* alternative = move->nextSibling.get(); alternative != nullptr;
                     alternative = alternative->nextSibling.get()) {
                    Pieces(u"(");
                    const auto before = expected_.before.find(alternative);
                    Before(*alternative, before != expected_.before.end() ? before->second : u"");
                    WriteLine(*alternative);
                    Pieces(u")");
                    numbered = true;
                }
            }
        }
    }

    // Joins the pieces into lines of a random width, some of thousands of bytes,
    // breaking only at blanks outside words.
    std::u16string Flush() {
        std::u16string out;
        std::size_t column = 0;
        const std::size_t width =
            g_.Chance(30) ? 4000 : 40 + static_cast<std::size_t>(g_.Pick(200));
        for (const std::u16string& piece : pieces_) {
            if (piece.ends_with(u"\n")) {
                out += u" " + piece.substr(0, piece.size() - 1) + eol_;
                column = 0;
                continue;
            }
            if (column > 0 && column + piece.size() > width) {
                out += eol_;
                column = 0;
            } else if (column > 0) {
                out += u' ';
                ++column;
            }
            out += piece;
            column += piece.size();
        }
        pieces_.clear();
        return out;
    }

    Generator& g_;
    const Expected& expected_;
    std::u16string eol_;
    std::vector<std::u16string> pieces_;
};

std::vector<int> NagsOf(const MoveNode& move) {
    if (move.annotations && !move.annotations->nags.empty()) {
        return {move.annotations->nags.begin(), move.annotations->nags.end()};
    }
    std::vector<int> nags;
    if (move.nag != 0) {
        nags.push_back(move.nag);
    }
    if (move.child->positionNag != 0) {
        nags.push_back(move.child->positionNag);
    }
    return nags;
}

// The first difference between the read tree and what was written, or "".
std::string Difference(const MoveNode* expected, const MoveNode* read, const Expected& what) {
    std::vector<std::pair<const MoveNode*, const MoveNode*>> pending{{expected, read}};
    while (!pending.empty()) {
        auto [a, b] = pending.back();
        pending.pop_back();
        for (; a != nullptr && b != nullptr; a = a->nextSibling.get(), b = b->nextSibling.get()) {
            if (a->from != b->from || a->to != b->to) {
                return "move";
            }
            const auto nags = what.nags.find(a);
            if (NagsOf(*b) != (nags == what.nags.end() ? std::vector<int>{} : nags->second)) {
                return "NAGs of " + EncodeUtf8(Generator::SanOf(*b->child));
            }
            const auto after = what.after.find(a);
            if (b->child->comment.value_or(u"") !=
                (after == what.after.end() ? u"" : after->second)) {
                return "comment after " + EncodeUtf8(Generator::SanOf(*b->child)) + ": " +
                       EncodeUtf8(b->child->comment.value_or(u"(none)"));
            }
            const auto nagsBefore = what.nagsBefore.find(a);
            const std::vector<int> readNagsBefore =
                b->annotations ? std::vector<int>(b->annotations->nagsBefore.begin(),
                                                  b->annotations->nagsBefore.end())
                               : std::vector<int>{};
            if (readNagsBefore !=
                (nagsBefore == what.nagsBefore.end() ? std::vector<int>{} : nagsBefore->second)) {
                return "NAGs before " + EncodeUtf8(Generator::SanOf(*b->child));
            }
            const auto before = what.before.find(a);
            const std::u16string readBefore =
                b->annotations ? b->annotations->commentBefore.value_or(u"") : u"";
            if (readBefore != (before == what.before.end() ? u"" : before->second)) {
                return "comment before " + EncodeUtf8(Generator::SanOf(*b->child));
            }
            pending.emplace_back(a->child->firstMove.get(), b->child->firstMove.get());
        }
        if (a != nullptr || b != nullptr) {
            return "number of moves";
        }
    }
    return {};
}

std::string Encode(const std::u16string& text, bool latin1) {
    if (!latin1) {
        return EncodeUtf8(text);
    }
    std::string out;
    for (const char16_t c : text) {
        out += static_cast<char>(c);
    }
    return out;
}

TEST(OtherWriters, RandomGamesReadAndWriteBackWhole) {
    ScratchFolder folder;
    const fs::path path = folder.path() / "other.pgn";
    const std::u16string fens[] = {u"", u"r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 7 300",
                                   u"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 3 0"};
    for (unsigned seed = 1; seed <= 150; ++seed) {
        Generator g(seed);
        const bool latin1 = g.Chance(30);
        GameDocument model(nullptr);
        model.SetEvent(u"Game " + std::u16string(1, static_cast<char16_t>(u'A' + seed % 26)));
        model.SetWhite(latin1 ? u"Jos\u00e9" : u"\u738b");
        const std::u16string fen = fens[g.Pick(3)];
        if (!fen.empty()) {
            ASSERT_TRUE(ReadFen(model.root, fen));
        }
        Expected expected;
        expected.rootComment = g.Comment(latin1);
        g.Line(model.root, 5 + g.Pick(30), 0, expected, latin1);
        if (model.root.firstMove) {
            g.AnnotateBefore(*model.root.firstMove, expected);
        }

        OtherWriter writer(g, expected, g.Chance(50));
        std::string text =
            (g.Chance(20) ? "\xEF\xBB\xBF" : "") + Encode(writer.Game(model, fen), latin1);
        WriteFileBytes(path, text);
        GamesFile file(path);
        auto read = std::make_unique<GameDocument>(&file);
        ASSERT_EQ(LoadGame(*read, 0, 2), ReadCode::Ok) << "seed " << seed << "\n" << text;
        for (int round = 0; round < 2; ++round) {
            const std::string where =
                "seed " + std::to_string(seed) + " round " + std::to_string(round) + "\n" + text;
            EXPECT_EQ(Difference(model.root.firstMove.get(), read->root.firstMove.get(), expected),
                      "")
                << where;
            EXPECT_EQ(read->root.comment.value_or(u""), expected.rootComment) << where;
            EXPECT_EQ(read->event, model.event) << where;
            EXPECT_EQ(read->white, model.white) << where;
            EXPECT_EQ(read->site, u"Caf\u00e9") << where;
            EXPECT_EQ(read->root.setUp, !fen.empty()) << where;
            if (!fen.empty()) {
                EXPECT_EQ(WriteFen(read->root), fen) << where;
            }
            ASSERT_NE(read->extraTags, nullptr) << where;
            EXPECT_EQ(read->extraTags->name, u"Annotator");
            EXPECT_EQ(read->extraTags->value, u"Zo\u00eb");
            // The program writes it and reads it back for the second round.
            text = GameText(*read);
            WriteFileBytes(path, text);
            read = std::make_unique<GameDocument>(&file);
            ASSERT_EQ(LoadGame(*read, 0, 2), ReadCode::Ok) << where;
        }
    }
}

}  // namespace
