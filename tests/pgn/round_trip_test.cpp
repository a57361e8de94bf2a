// Every game of the real collections, written and read back, comes back the same:
// load, write, load the written text, write again.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/extra_tag.h"
#include "game/game_document.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "tests/support/pgn_write_support.h"
#include "rules/fen.h"
#include "rules/move_node.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> SharedGamesFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(KORVANI_TEST_DATA_DIR "/pgn/real"))) {
        if (entry.path().extension() == ".pgn") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The offsets of the games of a file: each "[Event " line at the start of a line.
std::vector<std::uint64_t> GameStarts(const std::string& content) {
    std::vector<std::uint64_t> starts;
    for (std::size_t at = content.find("[Event "); at != std::string::npos;
         at = content.find("\n[Event ", at + 1)) {
        starts.push_back(content[at] == '\n' ? at + 1 : at);
    }
    return starts;
}

// The first difference between the two trees, or an empty text. Walks with an
// explicit stack: the trees may be deep.
std::string TreeDifference(const Position& first, const Position& second) {
    std::vector<std::pair<const Position*, const Position*>> pending{{&first, &second}};
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        if (a->comment != b->comment) {
            return "comment";
        }
        if (a->positionNag != b->positionNag) {
            return "position assessment";
        }
        const MoveNode* x = a->firstMove.get();
        const MoveNode* y = b->firstMove.get();
        for (; x != nullptr && y != nullptr; x = x->nextSibling.get(), y = y->nextSibling.get()) {
            if (x->from != y->from || x->to != y->to || x->promotion != y->promotion) {
                return "move";
            }
            if (x->nag != y->nag) {
                return "move annotation";
            }
            pending.emplace_back(x->child.get(), y->child.get());
        }
        if (x != nullptr || y != nullptr) {
            return "number of moves or variations";
        }
    }
    return {};
}

// A tag as the writer puts it: an unset roster tag is written as its placeholder.
std::u16string Written(const std::optional<std::u16string>& value, std::u16string_view unset) {
    return value ? *value : std::u16string(unset);
}

std::string TagDifference(const GameDocument& a, const GameDocument& b) {
    if (Written(a.white, u"?") != Written(b.white, u"?") ||
        Written(a.black, u"?") != Written(b.black, u"?") ||
        Written(a.event, u"?") != Written(b.event, u"?") ||
        Written(a.date, u"????.??.??") != Written(b.date, u"????.??.??") ||
        Written(a.round, u"?") != Written(b.round, u"?") ||
        Written(a.site, u"?") != Written(b.site, u"?")) {
        return "roster";
    }
    if (a.result != b.result) {
        return "result";
    }
    if (a.whiteEmail != b.whiteEmail ||
        (a.whiteEmail && (Written(a.blackEmail, u"?") != Written(b.blackEmail, u"?") ||
                          Written(a.lastMoveDate, u"?") != Written(b.lastMoveDate, u"?") ||
                          a.lastMove != b.lastMove || a.trait != b.trait))) {
        return "correspondence tags";
    }
    if (a.root.setUp != b.root.setUp || WriteFen(a.root) != WriteFen(b.root)) {
        return "set-up";
    }
    const ExtraTag* x = a.extraTags.get();
    const ExtraTag* y = b.extraTags.get();
    for (; x != nullptr && y != nullptr; x = x->next.get(), y = y->next.get()) {
        if (x->name != y->name || x->value != y->value) {
            return "extra tag";
        }
    }
    return x == nullptr && y == nullptr ? std::string() : "number of extra tags";
}

// Writes games to a scratch file and reads them back from it.
class RoundTrip : public testing::Test {
protected:
    // Writes `text` as a new file (rewriting a truncated file makes ext4 flush it)
    // and reads the game at its start into `into`.
    ReadResult WriteAndRead(const std::string& text, GameDocument& into) {
        fs::remove(written);
        WriteFileBytes(written, text);
        return LoadGame(into, 0, 3);
    }

    ScratchFolder folder;
    const fs::path written = folder.path() / "written.pgn";
    GamesFile file{written};
};

TEST_F(RoundTrip, EveryRealGameIsWrittenAndReadBackUnchanged) {
    std::size_t games = 0;
    std::size_t refused = 0;
    for (const fs::path& path : SharedGamesFiles()) {
        GamesFile original(path);
        for (const std::uint64_t offset : GameStarts(ReadFileBytes(path))) {
            GameDocument first(&original);
            if (LoadGame(first, offset, 3) != ReadCode::Ok) {
                // Only the game with a null move is refused.
                EXPECT_EQ(path.filename(), "pc-anastasian-lewis.pgn") << offset;
                ++refused;
                continue;
            }
            ++games;
            const std::string firstText = GameText(first);
            GameDocument second(&file);
            ASSERT_EQ(WriteAndRead(firstText, second), ReadCode::Ok) << path << " at " << offset;
            EXPECT_EQ(second.fileEnd, firstText.size()) << path << " at " << offset;
            const std::string secondText = GameText(second);
            if (secondText != firstText) {
                std::size_t at = 0;
                while (at < firstText.size() && firstText[at] == secondText[at]) {
                    ++at;
                }
                const std::size_t from = at > 60 ? at - 60 : 0;
                ADD_FAILURE() << path << " at " << offset << " differs at byte " << at << ":\n"
                              << firstText.substr(from, 120) << "\n---\n"
                              << secondText.substr(from, 120);
            }
            EXPECT_EQ(TreeDifference(first.root, second.root), "") << path << " at " << offset;
            EXPECT_EQ(TagDifference(first, second), "") << path << " at " << offset;
        }
    }
    EXPECT_EQ(refused, 1u);
    EXPECT_GT(games, 1000u);
}

// A comment of random words: short words, some starting with "[" as clock and
// arrow annotations do, some with brackets, accents or double blanks inside.
std::u16string RandomComment(std::mt19937& random) {
    // The tab comes last: a comment never starts with it, since the reader drops
    // blanks and tabs at the start of a comment.
    static constexpr std::u16string_view kWords[] = {u"[%clk",
                                                     u"0:01:02]",
                                                     u"[%cal",
                                                     u"Gd5f6]",
                                                     u"(see",
                                                     u"game)",
                                                     u"{",
                                                     u"move",
                                                     u"\u00e9t\u00e9",
                                                     u"a",
                                                     u"best!",
                                                     u"[x]",
                                                     u";",
                                                     u"%",
                                                     u"1-0",
                                                     u"12...",
                                                     u"Nf3",
                                                     u"\u2654",
                                                     u"long-winded-word-here",
                                                     u"\uFEFFzero-width",
                                                     u"\t"};
    const int words = std::uniform_int_distribution<int>(1, 120)(random);
    std::u16string comment;
    for (int i = 0; i < words; ++i) {
        if (i > 0) {
            comment += random() % 9 == 0 ? u"  " : u" ";
        }
        const std::size_t choices = std::size(kWords) - (i == 0 ? 1 : 0);
        comment += kWords[random() % choices];
    }
    if (random() % 4 == 0) {
        comment += u' ';  // a blank just before the closing brace
    }
    return comment;
}

TEST_F(RoundTrip, OverlongTagIsCutAndTheGameStillReadsBack) {
    GameDocument document(&file);
    document.SetResultCode(0);
    // A tag line longer than one read (255 bytes) stays whole; one of more than 64 KiB
    // is cut, between characters and escapes.
    const std::u16string white(40000, u'\u00e9');  // 80,000 bytes in UTF-8
    const std::u16string quotes(40000, u'"');
    document.SetWhite(white);
    document.AppendExtraTag(u"Annotator", quotes);
    document.AppendExtraTag(u"Opening", std::u16string(300, u'x'));
    PlayLine(document.root, {u"e4", u"e5"});
    const std::string text = GameText(document);
    GameDocument reread(&file);
    ASSERT_EQ(WriteAndRead(text, reread), ReadCode::Ok);
    EXPECT_EQ(TreeDifference(document.root, reread.root), "");
    ASSERT_TRUE(reread.white.has_value());
    EXPECT_GT(reread.white->size(), 30000u);
    EXPECT_TRUE(white.starts_with(*reread.white));
    ASSERT_NE(reread.extraTags, nullptr);
    EXPECT_GT(reread.extraTags->value.size(), 30000u);
    EXPECT_TRUE(quotes.starts_with(reread.extraTags->value));
    ASSERT_NE(reread.extraTags->next, nullptr);
    EXPECT_EQ(reread.extraTags->next->value, std::u16string(300, u'x'));
    EXPECT_EQ(reread.result, GameResult::WhiteWins);
    EXPECT_EQ(GameText(reread), text);
}

TEST_F(RoundTrip, GameLongerThan255MovesKeepsItsNumbersAndReadsBackWhole) {
    GameDocument document(&file);
    document.SetResultCode(1);
    static constexpr std::u16string_view kCycle[] = {u"Nf3", u"Nf6", u"Ng1", u"Ng8"};
    Position* at = &document.root;
    for (int ply = 0; ply < 620; ++ply) {
        at = ParseSan(*at, kCycle[ply % 4]);
        ASSERT_NE(at, nullptr);
        if (ply == 521) {
            at->SetComment(u"after 261... Nf6");
        }
    }
    PlayLine(*at->incomingMove->parent, {u"Nh5"});  // an alternative to 155... Ng8
    const std::string text = GameText(document);
    // The move text on one line: each line break stands for a blank, or follows "(".
    std::string flat;
    for (const std::string& line : LinesOf(MoveTextOf(text))) {
        flat += (flat.empty() || flat.back() == '(' ? "" : " ") + line;
    }
    EXPECT_NE(flat.find(" 255. Nf3 Nf6 256. Ng1 Ng8 257. Nf3"), std::string::npos);
    EXPECT_NE(flat.find("261. Nf3 Nf6 {after 261... Nf6} 262. Ng1"), std::string::npos);
    EXPECT_NE(flat.find("310. Ng1 Ng8 (310... Nh5) 1/2-1/2"), std::string::npos);
    GameDocument reread(&file);
    ASSERT_EQ(WriteAndRead(text, reread), ReadCode::Ok);
    EXPECT_EQ(TreeDifference(document.root, reread.root), "");
    EXPECT_EQ(GameText(reread), text);
}

// Two blanks where the line is full, then a word too long for the next line: the
// break may only fall on a blank, or the reader gains one.
TEST_F(RoundTrip, BlankRunBeforeALongWordComesBackUnchanged) {
    GameDocument document(&file);
    document.SetResultCode(3);
    const std::u16string comment =
        std::u16string(78, u'x') + u"  " + std::u16string(90, u'y') + u" z";
    PlayLine(document.root, {u"e4"})->SetComment(comment);
    const std::string text = GameText(document);
    GameDocument reread(&file);
    ASSERT_EQ(WriteAndRead(text, reread), ReadCode::Ok);
    ASSERT_NE(reread.root.firstMove, nullptr);
    EXPECT_EQ(reread.root.firstMove->child->comment, comment) << text;
    EXPECT_EQ(GameText(reread), text);
}

TEST_F(RoundTrip, RandomCommentsComeBackUnchanged) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        GameDocument document(&file);
        document.SetResultCode(3);
        document.root.SetComment(RandomComment(random));
        Position* afterE4 = PlayLine(document.root, {u"e4"});
        afterE4->SetComment(RandomComment(random));
        Position* at = PlayLine(*afterE4, {u"e5", u"Nf3", u"Nc6", u"Bb5"});
        at->SetComment(RandomComment(random));
        PlayLine(*afterE4, {u"c5"})->SetComment(RandomComment(random));
        PlayLine(*at, {u"a6", u"Ba4"})->SetComment(RandomComment(random));

        const std::string text = GameText(document);
        GameDocument reread(&file);
        ASSERT_EQ(WriteAndRead(text, reread), ReadCode::Ok) << "seed " << seed;
        EXPECT_EQ(TreeDifference(document.root, reread.root), "") << "seed " << seed << "\n"
                                                                  << text;
        EXPECT_EQ(GameText(reread), text) << "seed " << seed;
        for (const std::string& line : LinesOf(MoveTextOf(text))) {
            EXPECT_NE(line.substr(0, 1), "[") << "seed " << seed;
            EXPECT_LE(line.size(), 255u) << "seed " << seed;
        }
    }
}

}  // namespace
