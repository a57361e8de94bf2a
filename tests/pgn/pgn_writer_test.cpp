#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "game/game_document.h"
#include "pgn/pgn_writer.h"
#include "pgn/string_sink.h"
#include "tests/support/pgn_write_support.h"
#include "platform/text_codec.h"
#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"

namespace {

constexpr std::string_view kDefaultRoster =
    "[Event \"?\"]\r\n[Site \"?\"]\r\n[Date \"????.??.??\"]\r\n[Round \"?\"]\r\n"
    "[White \"White\"]\r\n[Black \"Black\"]\r\n";

// The tag lines of a written game, without the blank line after them.
std::vector<std::string> TagLinesOf(const std::string& game) {
    return LinesOf(game.substr(0, game.find("\r\n\r\n")));
}

bool MoveTextLinesFit(const std::string& game, std::size_t width) {
    const auto lines = LinesOf(MoveTextOf(game));
    return std::all_of(lines.begin(), lines.end(),
                       [width](const std::string& line) { return line.size() <= width; });
}

// The move text with its line breaks turned back into the blanks they replaced.
std::string Unwrapped(const std::string& game) {
    std::string text;
    for (const std::string& line : LinesOf(MoveTextOf(game))) {
        if (!line.empty()) {
            text += (text.empty() ? "" : " ") + line;
        }
    }
    return text;
}

// --- Tags ---------------------------------------------------------------------

TEST(PgnWriterTags, EmptyNewGameIsRosterBlankLineAndResultMark) {
    GameDocument document(nullptr);
    document.SetResultCode(3);
    EXPECT_EQ(GameText(document), std::string(kDefaultRoster) + "[Result \"*\"]\r\n\r\n *\r\n\r\n");
}

TEST(PgnWriterTags, RosterValuesAndResultTexts) {
    struct Case {
        int resultCode;
        std::string_view resultLine;
        std::string_view resultMark;
    };
    const Case cases[] = {{0, "[Result \"1-0\"]", " 1-0"},
                          {1, "[Result \"1/2-1/2\"]", " 1/2-1/2"},
                          {2, "[Result \"0-1\"]", " 0-1"},
                          {3, "[Result \"*\"]", " *"}};
    for (const Case& c : cases) {
        GameDocument document(nullptr);
        document.SetEvent(u"Club");
        document.SetSite(u"Paris");
        document.SetDate(u"2024.01.02");
        document.SetRound(u"3");
        document.SetWhite(u"Anna");
        document.SetBlack(u"Boris");
        document.SetResultCode(c.resultCode);
        const std::string text = GameText(document);
        const auto tags = TagLinesOf(text);
        ASSERT_EQ(tags.size(), 7u);
        EXPECT_EQ(tags[0], "[Event \"Club\"]");
        EXPECT_EQ(tags[1], "[Site \"Paris\"]");
        EXPECT_EQ(tags[2], "[Date \"2024.01.02\"]");
        EXPECT_EQ(tags[3], "[Round \"3\"]");
        EXPECT_EQ(tags[4], "[White \"Anna\"]");
        EXPECT_EQ(tags[5], "[Black \"Boris\"]");
        EXPECT_EQ(tags[6], c.resultLine);
        EXPECT_EQ(MoveTextOf(text), std::string(c.resultMark) + "\r\n\r\n");
    }
}

// The tags after the roster: result, set-up, correspondence and extra tags.
TEST(PgnWriterTags, TagsAfterTheRoster) {
    struct Case {
        const char* name;
        std::function<void(GameDocument&)> set;
        std::vector<std::string> tags;
    };
    const auto correspondence = [](GameDocument& d) {
        d.SetBlackEmail(u"b@example.org");
        d.SetLastMoveDate(u"03.14");
        d.lastMove = 12;
        d.trait = kBlack;
    };
    const Case cases[] = {
        {"an unknown result writes no Result tag", [](GameDocument& d) { d.SetResultCode(7); }, {}},
        {"a set-up position writes SetUp and FEN after the result",
         [](GameDocument& d) { ASSERT_TRUE(ReadFen(d.root, u"8/8/8/4k3/8/8/4P3/4K3 w - - 0 40")); },
         {"[Result \"*\"]", "[SetUp \"1\"]", "[FEN \"8/8/8/4k3/8/8/4P3/4K3 w - - 0 40\"]"}},
        {"without a White e-mail only the correspondence tags that are set or were read",
         [&](GameDocument& d) {
             correspondence(d);
             d.traitRead = true;
         },
         {"[Result \"*\"]", "[BlackEmail \"b@example.org\"]", "[LastMoveDate \"03.14\"]",
          "[Trait \"Black\"]"}},
        {"correspondence tags with a White e-mail",
         [&](GameDocument& d) {
             correspondence(d);
             d.SetWhiteEmail(u"a@example.org");
         },
         {"[Result \"*\"]", "[WhiteEmail \"a@example.org\"]", "[BlackEmail \"b@example.org\"]",
          "[LastMoveDate \"03.14\"]", "[LastMove \"12\"]", "[Trait \"Black\"]"}},
        {"unset e-mail fields are question marks, the trait White",
         [](GameDocument& d) { d.SetWhiteEmail(u"a@example.org"); },
         {"[Result \"*\"]", "[WhiteEmail \"a@example.org\"]", "[BlackEmail \"?\"]",
          "[LastMoveDate \"?\"]", "[LastMove \"0\"]", "[Trait \"White\"]"}},
        {"extra tags follow in their order",
         [](GameDocument& d) {
             d.SetWhiteEmail(u"a@example.org");
             d.AppendExtraTag(u"ECO", u"B22");
             d.AppendExtraTag(u"Annotator", u"JvR");
         },
         {"[Result \"*\"]", "[WhiteEmail \"a@example.org\"]", "[BlackEmail \"?\"]",
          "[LastMoveDate \"?\"]", "[LastMove \"0\"]", "[Trait \"White\"]", "[ECO \"B22\"]",
          "[Annotator \"JvR\"]"}},
        {"an extra tag's name is one word",
         [](GameDocument& d) {
             d.SetResultCode(-1);
             d.AppendExtraTag(u"Two words", u"v");
             d.AppendExtraTag(u"Line\nbreak", u"w");
         },
         {"[Two_words \"v\"]", "[Line_break \"w\"]"}},
        {"an extra tag named like an interpreted tag is left out",
         [](GameDocument& d) {
             for (const std::u16string_view name :
                  {u"White", u"FEN", u"Result", u"LastMove", u"Trait"}) {
                 d.AppendExtraTag(std::u16string(name), u"");
             }
             d.AppendExtraTag(u"SetUp", u"1");
             d.AppendExtraTag(u"SetUp", u"");
             d.AppendExtraTag(u"WhiteElo", u"2700");
         },
         {"[Result \"*\"]", "[SetUp \"\"]", "[WhiteElo \"2700\"]"}},
    };
    const std::vector<std::string> roster = LinesOf(kDefaultRoster);
    for (const Case& c : cases) {
        GameDocument document(nullptr);
        document.SetResultCode(3);
        c.set(document);
        const std::vector<std::string> tags = TagLinesOf(GameText(document));
        ASSERT_GE(tags.size(), roster.size()) << c.name;
        EXPECT_EQ(std::vector<std::string>(tags.begin(), tags.begin() + 6), roster) << c.name;
        EXPECT_EQ(std::vector<std::string>(tags.begin() + 6, tags.end()), c.tags) << c.name;
    }
}

TEST(PgnWriterTags, LongTagLinesAreNeverWrapped) {
    GameDocument document(nullptr);
    document.SetResultCode(3);
    const std::u16string longName(150, u'n');
    document.SetWhite(longName);
    ASSERT_TRUE(
        ReadFen(document.root, u"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    for (const std::string& line : TagLinesOf(GameText(document))) {
        EXPECT_EQ(line.front(), '[') << line;
        EXPECT_EQ(line.back(), ']') << line;
    }
}

TEST(PgnWriterTags, TagLineIsCutTo64KiB) {
    struct Case {
        std::u16string name;
        std::u16string value;
        std::string expectedValueStart;
    };
    const Case cases[] = {
        {u"Annotator", std::u16string(40000, u'\u00e9'), "\xC3\xA9\xC3\xA9"},
        {u"Annotator", std::u16string(40000, u'"'), "\\\"\\\""},
        {u"Annotator", std::u16string(40000, u'\\'), "\\\\\\\\"},
        {u"Annotator", u"x" + std::u16string(40000, u'\\'), "x\\\\"},
        {std::u16string(70000, u'N'), u"value", ""},
    };
    for (const Case& c : cases) {
        GameDocument document(nullptr);
        document.AppendExtraTag(c.name, c.value);
        const std::string line = TagLinesOf(GameText(document)).back();
        // Cut to 64 KiB with its CR LF.
        EXPECT_LE(line.size(), 65533u);
        EXPECT_GE(line.size(), 65529u);
        EXPECT_TRUE(IsValidUtf8(line));
        EXPECT_EQ(line.substr(line.size() - 2), "\"]");
        const std::size_t valueStart = line.find(" \"") + 2;
        const std::string value = line.substr(valueStart, line.size() - 2 - valueStart);
        EXPECT_EQ(value.substr(0, c.expectedValueStart.size()), c.expectedValueStart);
        // Every backslash of the value starts an escape that is complete.
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\') {
                ASSERT_LT(i + 1, value.size());
                EXPECT_TRUE(value[i + 1] == '\\' || value[i + 1] == '"');
                ++i;
            } else {
                EXPECT_NE(value[i], '"');
            }
        }
    }
}

TEST(PgnWriterTags, QuotesAndBackslashesAreEscaped) {
    struct Case {
        std::u16string_view value;
        std::string_view line;
    };
    const Case cases[] = {
        {u"The \"Immortal\"", "[Event \"The \\\"Immortal\\\"\"]"},
        {u"C:\\games", "[Event \"C:\\\\games\"]"},
        {u"ends with \\", "[Event \"ends with \\\\\"]"},
        {u"\"", "[Event \"\\\"\"]"},
        {u"two\r\nlines", "[Event \"two  lines\"]"},
        {u"tab\there", "[Event \"tab\there\"]"},
        {u"Caf\u00e9", "[Event \"Caf\xc3\xa9\"]"},
    };
    for (const Case& c : cases) {
        GameDocument document(nullptr);
        document.SetEvent(c.value);
        EXPECT_EQ(TagLinesOf(GameText(document))[0], c.line);
    }
}

// --- Move text ----------------------------------------------------------------

GameDocument& WithResult(GameDocument& document, int code) {
    document.SetResultCode(code);
    return document;
}

TEST(PgnWriterMoveText, NumbersCommentsVariationsAndAnnotations) {
    struct Case {
        const char* name;
        int resultCode;
        std::function<void(Position& root)> build;
        std::string_view moveText;
    };
    const Case cases[] = {
        {"a variation numbers its first move and the move after it", 3,
         [](Position& root) {
             Position* afterE4 = PlayLine(root, {u"e4"});
             PlayLine(*afterE4, {u"e5", u"Nf3"});
             PlayLine(*afterE4, {u"c5"});
         },
         "1. e4 e5 (1... c5) 2. Nf3 *\r\n\r\n"},
        {"a comment numbers the next black move", 3,
         [](Position& root) {
             Position* afterE4 = PlayLine(root, {u"e4"});
             afterE4->SetComment(u"text");
             PlayLine(*afterE4, {u"e5", u"Nf3"});
             PlayLine(*afterE4, {u"c5"});
         },
         "1. e4 {text} 1... e5 (1... c5) 2. Nf3 *\r\n\r\n"},
        {"nested variations and several alternatives", 0,
         [](Position& root) {
             Position* afterE4 = PlayLine(root, {u"e4"});
             PlayLine(*afterE4, {u"e5", u"Nf3", u"Nc6"});
             Position* afterC5 = PlayLine(*afterE4, {u"c5"});
             Position* afterNf3 = PlayLine(*afterC5, {u"Nf3"});
             PlayLine(*afterC5, {u"c3"});
             PlayLine(*afterNf3, {u"d6"});
             PlayLine(*afterE4, {u"e6"});
         },
         "1. e4 e5 (1... c5 2. Nf3 (2. c3) 2... d6) (1... e6) 2. Nf3 Nc6 1-0\r\n\r\n"},
        {"an alternative to the first move", 3,
         [](Position& root) {
             PlayLine(root, {u"e4", u"e5"});
             PlayLine(root, {u"d4", u"d5"});
         },
         "1. e4 (1. d4 d5) 1... e5 *\r\n\r\n"},
        {"move annotation, then position assessment", 3,
         [](Position& root) {
             Position* afterE4 = PlayLine(root, {u"e4"});
             afterE4->incomingMove->nag = 1;
             afterE4->positionNag = 14;
             PlayLine(*afterE4, {u"e5"});
         },
         "1. e4 $1 $14 e5 *\r\n\r\n"},
        {"the root comment is followed directly by the first move", 3,
         [](Position& root) {
             root.SetComment(u"Opening");
             PlayLine(root, {u"e4"});
         },
         " {Opening}1. e4 *\r\n\r\n"},
        {"a set-up with black to move numbers the first move", 3,
         [](Position& root) {
             ASSERT_TRUE(ReadFen(root, u"4k3/8/8/8/8/8/4P3/4K3 b - - 0 40"));
             PlayLine(root, {u"Kd7", u"e4"});
         },
         "40... Kd7 41. e4 *\r\n\r\n"},
        {"characters that would end the comment become blanks", 3,
         [](Position& root) { PlayLine(root, {u"e4"})->SetComment(u"a}b\r\nc"); },
         "1. e4 {a b  c} *\r\n\r\n"},
        {"blanks that would start the comment are left out, as the reader drops them", 3,
         [](Position& root) { PlayLine(root, {u"e4"})->SetComment(u"} \tx"); },
         "1. e4 {x} *\r\n\r\n"},
        {"an unknown result writes no mark", 7, [](Position& root) { PlayLine(root, {u"e4"}); },
         "1. e4\r\n\r\n"},
    };
    for (const Case& c : cases) {
        GameDocument document(nullptr);
        WithResult(document, c.resultCode);
        c.build(document.root);
        EXPECT_EQ(MoveTextOf(GameText(document)), c.moveText) << c.name;
    }
}

// --- Wrapping -----------------------------------------------------------------

// A main line of knight moves back and forth, `count` moves long.
void PlayKnightShuffle(Position& root, int count) {
    static constexpr std::u16string_view kCycle[] = {u"Nf3", u"Nf6", u"Ng1", u"Ng8"};
    Position* at = &root;
    for (int i = 0; i < count && at != nullptr; ++i) {
        at = ParseSan(*at, kCycle[i % 4]);
    }
    ASSERT_NE(at, nullptr);
}

// The text of the game 1. e4 with `comment` after the move and no result.
std::string E4WithComment(const std::u16string& comment) {
    GameDocument document(nullptr);
    WithResult(document, 3);
    PlayLine(document.root, {u"e4"})->SetComment(comment);
    return GameText(document);
}

TEST(PgnWriterWrapping, LongMainLineBreaksAtBlanksWithin79Bytes) {
    GameDocument document(nullptr);
    WithResult(document, 1);
    PlayKnightShuffle(document.root, 200);
    const std::string text = GameText(document);
    EXPECT_TRUE(MoveTextLinesFit(text, 79));
    const auto lines = LinesOf(MoveTextOf(text));
    EXPECT_GT(lines.size(), 10u);
    // Every line but the last is filled to within one move of the limit.
    for (std::size_t i = 0; i + 3 < lines.size(); ++i) {
        EXPECT_GT(lines[i].size(), 70u) << lines[i];
    }
    std::string expected;
    for (int i = 0; i < 200; ++i) {
        static constexpr std::string_view kCycle[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
        if (i % 2 == 0) {
            expected += (i == 0 ? "" : " ") + std::to_string(i / 2 + 1) + ". ";
        } else {
            expected += " ";
        }
        expected += kCycle[i % 4];
    }
    EXPECT_EQ(Unwrapped(text), expected + " 1/2-1/2");
}

TEST(PgnWriterWrapping, ShortCommentThatDoesNotFitMovesWholeToANewLine) {
    GameDocument document(nullptr);
    WithResult(document, 3);
    PlayKnightShuffle(document.root, 8);
    Position* last = &document.root;
    while (last->firstMove) {
        last = last->firstMove->child.get();
    }
    const std::u16string comment = u"a comment of some length that is shorter than a line";
    last->SetComment(comment);
    const auto lines = LinesOf(MoveTextOf(GameText(document)));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], "{a comment of some length that is shorter than a line} *");
}

TEST(PgnWriterWrapping, LongCommentBreaksAtItsBlanks) {
    std::u16string comment;
    for (int i = 0; i < 300; ++i) {
        comment += u"word" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u" ";
    }
    comment += u"end";
    const std::string text = E4WithComment(comment);
    EXPECT_TRUE(MoveTextLinesFit(text, 79));
    std::string expected = "1. e4 {";
    for (const char16_t c : comment) {
        expected += static_cast<char>(c);
    }
    EXPECT_EQ(Unwrapped(text), expected + "} *");
}

TEST(PgnWriterWrapping, CommentRunWithoutBlanksStaysWholeOnALineOfItsOwn) {
    // A line break inside the run would read back as a blank.
    const auto lines =
        LinesOf(MoveTextOf(E4WithComment(u"short " + std::u16string(1500, u'x') + u" end")));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "1. e4 {short");
    EXPECT_EQ(lines[1], std::string(1500, 'x'));
    EXPECT_EQ(lines[2], "end} *");
}

TEST(PgnWriterWrapping, WidthsCountBytesOfUtf8) {
    std::u16string comment;
    for (int i = 0; i < 120; ++i) {
        comment += u"\u00e9t\u00e9 ";  // 6 bytes a word in UTF-8, 4 characters
    }
    EXPECT_TRUE(MoveTextLinesFit(E4WithComment(comment), 79));
}

TEST(PgnWriterWrapping, LongCommentIsNeverCutInsideACharacter) {
    // Two bytes each, no blank.
    for (const std::string& line :
         LinesOf(MoveTextOf(E4WithComment(std::u16string(700, u'\u00e9'))))) {
        EXPECT_TRUE(IsValidUtf8(line)) << line.size();
    }
}

// A comment made of many bracketed items, as chess servers write clock times.
std::u16string BracketedComment(int items) {
    std::u16string comment;
    for (int i = 0; i < items; ++i) {
        comment += u"[%clk 0:0" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) +
                   u":00] [%eval 0.1" + std::u16string(1, static_cast<char16_t>(u'0' + i % 7)) +
                   u"] ";
    }
    return comment + u"[%end]";
}

TEST(PgnWriterWrapping, NoMoveTextLineBeginsWithABracket) {
    for (int items : {1, 2, 3, 7, 30}) {
        GameDocument document(nullptr);
        WithResult(document, 3);
        Position* at = &document.root;
        static constexpr std::u16string_view kCycle[] = {u"Nf3", u"Nf6", u"Ng1", u"Ng8"};
        for (int i = 0; i < 40; ++i) {
            at = ParseSan(*at, kCycle[i % 4]);
            ASSERT_NE(at, nullptr);
            at->SetComment(BracketedComment(items + i % 3));
        }
        const std::string text = GameText(document);
        for (const std::string& line : LinesOf(MoveTextOf(text))) {
            EXPECT_NE(line.substr(0, 1), "[") << "items " << items << ": " << line;
        }
    }
}

// --- Wrapping primitives --------------------------------------------------------

TEST(PgnWriterFindBreak, Table) {
    struct Case {
        std::string_view bytes;
        long from;
        BreakRule rule;
        bool found;
        std::size_t at;
        bool dropsBlank;
    };
    const Case cases[] = {
        {"abc def", 6, BreakRule::MoveText, true, 3, true},
        {"abc def", 2, BreakRule::MoveText, false, 0, false},
        {"abc def", 3, BreakRule::MoveText, true, 3, true},
        {"ab (cd", 5, BreakRule::MoveText, true, 4, false},
        {"ab {cd", 5, BreakRule::MoveText, true, 4, false},
        {"ab (cd", 5, BreakRule::Comment, true, 2, true},
        {"a [b c", 5, BreakRule::MoveText, true, 4, true},
        {"a [b", 3, BreakRule::MoveText, false, 0, false},
        {"a {[b", 4, BreakRule::MoveText, true, 1, true},
        {"abc", -1, BreakRule::MoveText, false, 0, false},
        {"abc ", 100, BreakRule::MoveText, true, 3, true},
        {"", 3, BreakRule::MoveText, false, 0, false},
        {"ab }", 3, BreakRule::Comment, false, 0, false},
        {"a b }", 4, BreakRule::Comment, true, 1, true},
        {"ab }", 3, BreakRule::MoveText, true, 2, true},
    };
    for (const Case& c : cases) {
        const auto found = FindBreak(c.bytes, c.from, c.rule);
        ASSERT_EQ(found.has_value(), c.found) << c.bytes << " from " << c.from;
        if (found) {
            EXPECT_EQ(found->at, c.at) << c.bytes;
            EXPECT_EQ(found->dropsBlank, c.dropsBlank) << c.bytes;
        }
    }
}

TEST(PgnWriterWrapWrapped, PiecesBreakAtTheLimit) {
    struct Case {
        const char* name;
        std::vector<std::u16string> pieces;
        std::string written;
    };
    const Case cases[] = {
        {"a long line ending in a bracket takes the break back",
         {std::u16string(78, u'a') + u" {", u"[b] c"},
         std::string(78, 'a') + " {[b] c"},
        {"a bracket at the limit ends the line",
         {std::u16string(78, u'x'), u" (", u"2. c3"},
         std::string(78, 'x') + " (\r\n2. c3"},
        {"a piece without break beyond the limit runs to its first break",
         {std::u16string(100, u'x') + u" yy"},
         std::string(100, 'x') + "\r\nyy"},
    };
    for (const Case& c : cases) {
        StringSink sink;
        LineWrapper out(sink);
        for (const std::u16string& piece : c.pieces) {
            out.Write(piece, true, BreakRule::MoveText);
        }
        EXPECT_EQ(sink.text, c.written) << c.name;
    }
}

TEST(PgnWriterWrapWrapped, ColumnFollowsTheWrittenBytes) {
    StringSink sink;
    LineWrapper out(sink);
    EXPECT_EQ(out.Column(), 0u);
    out.Write(u"1. e4", true);
    EXPECT_EQ(out.Column(), 5u);
    out.Write(std::u16string(70, u'x'), true);
    EXPECT_EQ(out.Column(), 75u);
    out.Write(u" Nf3 Nf6", true);  // "Nf3" still fits, "Nf6" goes on
    EXPECT_EQ(sink.text, "1. e4" + std::string(70, 'x') + " Nf3\r\nNf6");
    EXPECT_EQ(out.Column(), 3u);
}

// --- Deep nesting ------------------------------------------------------------------

void* RunWork(void* work) {
    (*static_cast<std::function<void()>*>(work))();
    return nullptr;
}

// Runs `work` on a thread with a small stack, where a recursion as deep as the
// nesting of the variations below would overflow.
void RunOnSmallStack(std::function<void()> work) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 256 * 1024), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, RunWork, &work), 0);
    pthread_attr_destroy(&attributes);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
}

// Plays a knight move and an alternative to it from `at` and returns the
// alternative's position: the knights go g1-h3-g1 and g8-h6-g8 down the alternatives.
Position* PlayMainAndAlternative(Position& at, int level) {
    static constexpr std::u16string_view kMain[] = {u"Nf3", u"Nf6", u"Nf4", u"Nf5"};
    static constexpr std::u16string_view kAlternative[] = {u"Nh3", u"Nh6", u"Ng1", u"Ng8"};
    if (ParseSan(at, kMain[level % 4]) == nullptr) {
        return nullptr;
    }
    return ParseSan(at, kAlternative[level % 4]);
}

TEST(PgnWriterDeepNesting, ThousandsOfNestedVariationsNeedNoDeepStack) {
    constexpr int kDepth = 4000;
    GameDocument document(nullptr);
    WithResult(document, 3);
    Position* at = &document.root;
    for (int i = 0; i < kDepth; ++i) {
        at = PlayMainAndAlternative(*at, i);
        ASSERT_NE(at, nullptr) << "level " << i;
    }
    std::string text;
    RunOnSmallStack([&] { text = GameText(document); });
    EXPECT_EQ(std::count(text.begin(), text.end(), '('), kDepth);
    EXPECT_EQ(std::count(text.begin(), text.end(), ')'), kDepth);
    EXPECT_TRUE(MoveTextLinesFit(text, 80));
}

}  // namespace
