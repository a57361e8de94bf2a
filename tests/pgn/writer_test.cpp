// The writer: exact output, the wrapping rules, generated and past problem games read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "pgn/pgn_lexer.h"
#include "platform/buffered_file.h"
#include "tests/support/pgn_test_support.h"
#include "tests/support/tree_test_support.h"

namespace {

constexpr std::string_view kRoster =
    "[Event \"?\"]\r\n[Site \"?\"]\r\n[Date \"????.??.??\"]\r\n[Round \"?\"]\r\n"
    "[White \"White\"]\r\n[Black \"Black\"]\r\n";
const std::string kStar = "[Result \"*\"]\r\n\r\n", kEnd = " *\r\n\r\n",
                  kRunOfE = EncodeUtf8(std::u16string(700, u'\u00e9'));

// A new game changed by `tweak`, with `moves` (read) and `comment` after the last of them.
struct WriteCase {
    const char* name;
    std::string moves;
    std::u16string comment;
    std::function<void(GameDocument&)> tweak;
    std::string text;  // what is written after the default roster
};

TEST(Writer, WritesExactly) {
    // clang-format off
    const WriteCase cases[] = {
        {"RosterEscapedAndWhiteWins", "", u"", [](GameDocument& d) { d.SetEvent(u"The \"Immortal\" C:\\g \\"), d.SetSite(u"two\r\nlines\ttab Caf\u00e9"), d.SetDate(u"D"), d.SetRound(u"\""), d.SetWhite(u"W"), d.SetBlack(u"B"), d.SetResultCode(0); }, "[Event \"The \\\"Immortal\\\" C:\\\\g \\\\\"]\r\n[Site \"two  lines\ttab Caf\xc3\xa9\"]\r\n[Date \"D\"]\r\n[Round \"\\\"\"]\r\n[White \"W\"]\r\n[Black \"B\"]\r\n[Result \"1-0\"]\r\n\r\n 1-0\r\n\r\n"},
        {"Draw", "", u"", [](GameDocument& d) { d.SetResultCode(1); }, "[Result \"1/2-1/2\"]\r\n\r\n 1/2-1/2\r\n\r\n"},
        {"BlackWins", "", u"", [](GameDocument& d) { d.SetResultCode(2); }, "[Result \"0-1\"]\r\n\r\n 0-1\r\n\r\n"},
        {"UnknownResultWritesNoTagNorMark", "e4", u"", [](GameDocument& d) { d.SetResultCode(7); }, "\r\n1. e4\r\n\r\n"},
        {"StoredNumberZeroIsMove256", "e4 e5", u"", [](GameDocument& d) { d.root.moveNumber = 255; }, kStar + "256. e4 e5" + kEnd},
        {"SetUpWithBlackToMove", "Kd7 e4", u"", [](GameDocument& d) { EXPECT_TRUE(ReadFen(d.root, u"4k3/8/8/8/8/8/4P3/4K3 b - - 0 40")); }, "[Result \"*\"]\r\n[SetUp \"1\"]\r\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 40\"]\r\n\r\n40... Kd7 41. e4 *\r\n\r\n"},
        // Without a White e-mail only the correspondence tags that are set or were read.
        {"CorrespondenceWithoutWhiteEmail", "", u"", [](GameDocument& d) { d.SetBlackEmail(u"b@x"), d.SetLastMoveDate(u"03.14"), d.lastMove = 12, d.trait = kBlack, d.traitRead = true; }, "[Result \"*\"]\r\n[BlackEmail \"b@x\"]\r\n[LastMoveDate \"03.14\"]\r\n[Trait \"Black\"]\r\n\r\n" + kEnd},
        {"CorrespondenceWithWhiteEmail", "", u"", [](GameDocument& d) { d.SetWhiteEmail(u"a@x"), d.SetBlackEmail(u"b@x"), d.SetLastMoveDate(u"03.14"), d.lastMove = 12, d.trait = kBlack; }, "[Result \"*\"]\r\n[WhiteEmail \"a@x\"]\r\n[BlackEmail \"b@x\"]\r\n[LastMoveDate \"03.14\"]\r\n[LastMove \"12\"]\r\n[Trait \"Black\"]\r\n\r\n" + kEnd},
        // Unset e-mail fields are "?", the trait White; extra tags named like an interpreted one are left out.
        {"CorrespondenceUnsetAndExtraTags", "", u"", [](GameDocument& d) { d.SetWhiteEmail(u"a@x"), d.AppendExtraTag(u"ECO", u"B22"); for (const char16_t* name : {u"White", u"FEN", u"Result", u"LastMove", u"Trait"}) { d.AppendExtraTag(name, u""); } d.AppendExtraTag(u"SetUp", u"1"), d.AppendExtraTag(u"SetUp", u""), d.AppendExtraTag(u"Annotator", u"JvR"); }, "[Result \"*\"]\r\n[WhiteEmail \"a@x\"]\r\n[BlackEmail \"?\"]\r\n[LastMoveDate \"?\"]\r\n[LastMove \"0\"]\r\n[Trait \"White\"]\r\n[ECO \"B22\"]\r\n[SetUp \"\"]\r\n[Annotator \"JvR\"]\r\n\r\n" + kEnd},
        {"ExtraTagNameIsOneWord", "", u"", [](GameDocument& d) { d.SetResultCode(-1), d.AppendExtraTag(u"Two words", u"v"), d.AppendExtraTag(u"Line\nbreak", u"w"); }, "[Two_words \"v\"]\r\n[Line_break \"w\"]\r\n\r\n\r\n\r\n"},
        {"CommentNumbersTheNextBlackMove", "1. e4 {text} e5 (c5) Nf3", u"", {}, kStar + "1. e4 {text} 1... e5 (1... c5) 2. Nf3" + kEnd},
        {"NestedAndSeveralVariations", "e4 e5 (c5 Nf3 (c3) d6) (e6) Nf3 Nc6", u"", {}, kStar + "1. e4 e5 (1... c5 2. Nf3 (2. c3) 2... d6) (1... e6) 2. Nf3 Nc6" + kEnd},
        {"AlternativeToTheFirstMove", "e4 (d4 d5) e5", u"", {}, kStar + "1. e4 (1. d4 d5) 1... e5" + kEnd},
        {"MoveAnnotationThenAssessment", "e4 $1 $14 e5", u"", {}, kStar + "1. e4 $1 $14 e5" + kEnd},
        {"AnnotationsOfOtherPrograms", "$5 e4 $1 $4 $146 (d4 {x}) ({intro} $7 c4) e5", u"", {}, kStar + "$5 1. e4 $1 $4 $146 (1. d4 {x}) ({intro} $7 1. c4) 1... e5" + kEnd},
        {"RootCommentThenTheFirstMove", "e4", u"", [](GameDocument& d) { d.root.SetComment(u"Opening"); }, kStar + " {Opening}1. e4" + kEnd},
        {"ClosingBraceAndBreaksInACommentBecomeBlanks", "e4", u"a}b\r\nc", {}, kStar + "1. e4 {a b  c}" + kEnd},
        {"BlanksThatWouldStartACommentAreLeftOut", "e4", u"} \tx", {}, kStar + "1. e4 {x}" + kEnd},
        {"ShortCommentMovesWholeToANewLine", "Nf3 Nf6 Ng1 Ng8 Nf3 Nf6 Ng1 Ng8", u"a comment of some length that is shorter than a line", {}, kStar + "1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 Nf6 4. Ng1 Ng8\r\n{a comment of some length that is shorter than a line}" + kEnd},
        {"RunWithoutBlanksStaysWholeOnALineOfItsOwn", "e4", u"short " + std::u16string(1500, u'x') + u" end", {}, kStar + "1. e4 {short\r\n" + std::string(1500, 'x') + "\r\nend}" + kEnd},
        {"RunIsNeverCutInsideACharacter", "e4", std::u16string(700, u'\u00e9'), {}, kStar + "1. e4\r\n{" + kRunOfE + "}\r\n*\r\n\r\n"}};
    // clang-format on
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        GameDocument document(nullptr);
        document.SetResultCode(3);
        if (c.tweak) {
            c.tweak(document);
        }
        BufferedFile empty;
        ASSERT_EQ(empty.Open(PgnData("empty.pgn")), 0);
        PgnLexer lexer(empty, c.moves);
        ASSERT_EQ(ReadMoveText(lexer, document.root, false), ReadCode::Ok);
        Position* last = &document.root;
        while (last->firstMove) {
            last = last->firstMove->child.get();
        }
        last->SetComment(c.comment.empty() ? last->comment : c.comment);
        const std::string text = GameText(document);
        EXPECT_EQ(text.starts_with(kRoster) ? text.substr(kRoster.size()) : text, c.text);
    }
}

TEST(LineWrapper, BreaksOnlyWhereTheTextReadsBackTheSame) {
    // clang-format off
    constexpr BreakRule kMove = BreakRule::MoveText, kComment = BreakRule::Comment;
    const struct { std::string_view bytes; long from; BreakRule rule; long at; bool dropsBlank; } cases[] = {
        {"abc def", 6, kMove, 3, true}, {"abc def", 2, kMove, -1, false}, {"abc def", 3, kMove, 3, true},
        {"ab (cd", 5, kMove, 4, false}, {"ab {cd", 5, kMove, 4, false}, {"ab (cd", 5, kComment, 2, true},
        {"a [b c", 5, kMove, 4, true}, {"a [b", 3, kMove, -1, false}, {"a {[b", 4, kMove, 1, true},
        {"abc", -1, kMove, -1, false}, {"abc ", 100, kMove, 3, true}, {"", 3, kMove, -1, false},
        {"ab }", 3, kComment, -1, false}, {"a b }", 4, kComment, 1, true}, {"ab }", 3, kMove, 2, true}};
    // clang-format on
    for (const auto& c : cases) {
        const auto found = FindBreak(c.bytes, c.from, c.rule);
        EXPECT_EQ(found ? long(found->at) : -1, c.at) << c.bytes << " from " << c.from;
        EXPECT_EQ(found && found->dropsBlank, c.dropsBlank) << c.bytes << " from " << c.from;
    }
}

TEST(LineWrapper, ThousandsOfNestedVariationsNeedNoDeepStack) {
    GameDocument document(nullptr);
    ASSERT_NE(NestVariations(document.root, 4000), nullptr);
    std::string text;
    RunOnSmallStack([&] { text = GameText(document); });
    EXPECT_EQ(std::count(text.begin(), text.end(), '('), 4000);
    EXPECT_EQ(std::count(text.begin(), text.end(), ')'), 4000);
}

// The lines of the move text of a written game, after the blank line that ends the tags.
std::vector<std::string> MoveTextLines(const std::string& game) {
    std::vector<std::string> lines;
    for (std::size_t at = game.find("\r\n\r\n") + 4, end = 0; at < game.size(); at = end + 2) {
        end = std::min(game.find("\r\n", at), game.size());
        lines.push_back(game.substr(at, end - at));
    }
    return lines;
}

// Writes a game and reads it back into `read`.
void WriteAndRead(const std::string& text, GameDocument& read) {
    const ScratchFolder folder;
    WriteFileBytes(folder.path / "written.pgn", text);
    GamesFile file(folder.path / "written.pgn");
    read.gamesFile = &file;
    ASSERT_EQ(LoadGame(read, 0, 3), ReadCode::Ok) << text;
    read.gamesFile = nullptr;
}

// The same game comes back; no line of move text could be taken for anything else.
void CheckRoundTrip(const GameDocument& game, bool compareTags, const std::string& where) {
    SCOPED_TRACE(where);
    const std::string text = GameText(game);
    GameDocument read(nullptr);
    WriteAndRead(text, read);
    EXPECT_EQ(read.fileEnd, text.size());
    EXPECT_EQ(TreeText(read.root), TreeText(game.root)) << text;
    EXPECT_EQ(GameText(read), text);
    EXPECT_TRUE(!compareTags || TagsText(read) == TagsText(game));
    for (const std::string& line : MoveTextLines(text)) {
        EXPECT_NE(line.find_first_of("[%\xEF"), 0u) << line;  // a tag, an escape, a byte-order mark
    }
}

// clang-format off
// Words of comments: clocks, arrows, braces, ";", "%", a byte-order mark, wide characters.
constexpr std::u16string_view kWords[] = {u"[%clk", u"0:01:02]", u"[%cal Gd5f6]", u"(see", u"game)", u"{", u"move",
    u"\u00e9t\u00e9", u"a", u"best!", u"[x]", u";", u"%", u"1-0", u"12...", u"Nf3", u"\u2654", u"\u5f3a",
    u"long-winded-word-here", u"\uFEFFzero-width", u" ", u"\t"};
constexpr std::u16string_view kMoves[] = {u"e4", u"d4", u"Nf3", u"c4", u"e5", u"d5", u"Nc6", u"Nf6", u"c5", u"e6", u"Bc4",
    u"Bb5", u"O-O", u"Qe2", u"a3", u"h3", u"a6", u"h6", u"g3", u"g6", u"Bg2", u"Bg7", u"b3", u"b6", u"Bb2", u"Bb7", u"Nc3", u"Kf1", u"Kf8", u"Rb1", u"Rb8", u"Ke2", u"Ke7"};
// clang-format on

// Random games with variations (some repeating their move), comments and NAGs before and after.
struct Generator {
    std::mt19937 random;

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    std::u16string Comment() {
        std::u16string text(kWords[Pick(std::size(kWords) - 2)]);
        for (int i = Pick(Pick(10) == 0 ? 120 : 6); i > 0; --i) {
            text += u" " + std::u16string(kWords[Pick(std::size(kWords))]);
        }
        return text + (Pick(4) == 0 ? u" " : u"");
    }

    std::vector<std::uint8_t> Nags() {
        std::vector<std::uint8_t> nags(1 + Pick(3));
        for (std::uint8_t& nag : nags) {
            nag = static_cast<std::uint8_t>(Pick(2) ? 1 + Pick(6) : 7 + Pick(140));
        }
        return nags;
    }

    void Annotate(MoveNode& move, bool startsLine) {
        MoveAnnotations& more = *(move.annotations = std::make_unique<MoveAnnotations>());
        // The first move NAG (up to 10) and the first other one are also kept apart.
        for (const std::uint8_t nag : Pick(3) == 0 ? Nags() : std::vector<std::uint8_t>{}) {
            std::uint8_t& kind = nag <= 10 ? move.nag : move.child->positionNag;
            kind = kind == 0 ? nag : kind;
            more.nags.push_back(nag);
        }
        more.nags.resize(more.nags.size() > 1 ? more.nags.size() : 0);
        move.child->SetComment(Pick(3) == 0 ? std::optional(Comment()) : std::nullopt);
        more.nagsBefore = startsLine && Pick(4) == 0 ? Nags() : std::vector<std::uint8_t>{};
        const bool before = startsLine && move.prevSibling != nullptr && Pick(3) == 0;
        more.commentBefore = before ? std::optional(Comment()) : std::nullopt;
    }

    void Line(Position& from, int length, int depth) {
        for (Position* at = &from; length-- > 0 && at != nullptr;) {
            Position* next = nullptr;
            for (int tries = 0; tries < 60 && next == nullptr; ++tries) {
                next = ParseSan(*at, kMoves[Pick(std::size(kMoves))]);
            }
            if (next != nullptr &&
                (Annotate(*next->incomingMove, at == &from && depth == 0), depth < 2) &&
                Pick(4) == 0) {
                const std::u16string same =
                    FormatSanText(*next->incomingMove, false, false, NotationLanguage::English);
                if (Position* other = ParseSanAsNewLine(
                        *at, Pick(3) == 0 ? same : kMoves[Pick(std::size(kMoves))])) {
                    Annotate(*other->incomingMove, true);
                    Line(*other, Pick(4), depth + 1);
                }
            }
            at = next;
        }
    }
};

TEST(RoundTrip, GeneratedGamesComeBackUnchanged) {
    const char16_t* fens[] = {nullptr, u"r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 7 300",
                              u"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 3 0"};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        Generator g{std::mt19937(seed)};
        GameDocument game(nullptr);
        game.SetEvent(u"Game \"" + g.Comment() + u"\\"), game.SetSite(u"Caf\u00e9");
        game.SetDate(u"2024.05.06"), game.SetRound(u"1"), game.SetWhite(u"\u738b");
        game.SetBlack(u"B"), game.SetResultCode(g.Pick(4));
        if (g.Pick(3) == 0) {  // a game played by e-mail
            game.SetWhiteEmail(u"a@x.org"), game.SetBlackEmail(u"b@x.org");
            game.SetLastMoveDate(u"05.06"), game.lastMove = static_cast<std::uint16_t>(g.Pick(300));
            game.trait = g.Pick(2) ? kBlack : kWhite;
        }
        game.AppendExtraTag(u"Annotator", u"Zo\u00eb");
        if (const char16_t* fen = fens[g.Pick(3)]) {
            ASSERT_TRUE(ReadFen(game.root, fen));
        }
        game.root.SetComment(g.Pick(3) == 0 ? std::optional(g.Comment()) : std::nullopt);
        g.Line(game.root, 5 + g.Pick(30), 0);
        CheckRoundTrip(game, true, "seed " + std::to_string(seed));
    }
}

// The 620-move game: lines filled to within a move of 79 bytes, numbers past 255.
TEST(RoundTrip, LongGameKeepsItsNumbersAndFillsItsLines) {
    GameDocument game(nullptr);
    game.SetResultCode(1);
    PlayKnightShuffle(game.root, 620);
    PlayLine(*PlayKnightShuffle(game.root, 619), {"Nh5"});  // an alternative to 310... Ng8
    PlayKnightShuffle(game.root, 522)->SetComment(u"after 261... Nf6");
    std::u16string comment;
    for (int i = 0; i < 120; ++i) {
        comment += u"\u00e9t\u00e9 word ";  // widths count the bytes of UTF-8
    }
    PlayKnightShuffle(game.root, 100)->SetComment(comment + u"end");
    CheckRoundTrip(game, false, "long game");
    const std::vector<std::string> lines = MoveTextLines(GameText(game));
    std::string flat;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].size() <= 79 && (i + 3 >= lines.size() || lines[i].size() > 70))
            << lines[i];
        flat += (flat.empty() || flat.back() == '(' ? "" : " ") + lines[i];
    }
    for (const char* text :
         {"1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3", " 255. Nf3 Nf6 256. Ng1 Ng8 257. Nf3",
          "261. Nf3 Nf6 {after 261... Nf6} 262. Ng1", "310. Ng1 Ng8 (310... Nh5) 1/2-1/2"}) {
        EXPECT_NE(flat.find(text), std::string::npos) << text;
    }
}

// A tag line over 64 KiB is cut between characters and escapes, so that it reads back.
TEST(RoundTrip, OverlongTagLineIsCutAndReadsBack) {
    for (const std::u16string& value :
         {std::u16string(40000, u'\u00e9'), std::u16string(40000, u'"'),
          std::u16string(40000, u'\\'), u"x" + std::u16string(40000, u'\\')}) {
        GameDocument game(nullptr), read(nullptr);
        game.AppendExtraTag(u"Annotator", value);
        game.AppendExtraTag(u"Opening", std::u16string(300, u'x'));
        game.AppendExtraTag(std::u16string(70000, u'N'), u"value");
        PlayLine(game.root, {"e4", "e5"});
        const std::string text = GameText(game);
        for (const std::string_view tag : {"[Annotator \"", "[NNNN"}) {
            const std::size_t start = text.find(tag), length = text.find("\r\n", start) - start;
            EXPECT_TRUE(length <= 65533u && length >= 65529u &&
                        text.substr(start + length - 2, 2) == "\"]")
                << length;
        }
        WriteAndRead(text, read);
        ASSERT_NE(read.extraTags, nullptr);
        EXPECT_GT(read.extraTags->value.size(), 30000u);
        EXPECT_TRUE(value.starts_with(read.extraTags->value));
        EXPECT_EQ(read.extraTags->next->value, std::u16string(300, u'x'));
    }
}

}  // namespace
