// The lexer: the token table, comments, and where the game ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pgn/file_line.h"
#include "pgn/pgn_lexer.h"
#include "pgn/text_accumulator.h"
#include "pgn_test_support.h"
#include "platform/buffered_file.h"
#include "rules/position.h"

namespace {

struct Token {
    TokenKind kind;
    std::u16string text;
    bool operator==(const Token&) const = default;
};

std::ostream& operator<<(std::ostream& stream, const Token& token) {
    std::string text(token.text.begin(), token.text.end());
    return stream << '{' << static_cast<int>(token.kind) << ", \"" << text << "\"}";
}

constexpr TokenKind kSep = TokenKind::Separator;
constexpr TokenKind kNum = TokenKind::MoveNumber;
constexpr TokenKind kMove = TokenKind::MoveText;
constexpr TokenKind kEnd = TokenKind::GameEnd;
constexpr TokenKind kNag = TokenKind::NagToken;
constexpr TokenKind kUnknown = TokenKind::UnknownToken;

// The tokens of one line followed by an empty file, up to the first GameEnd or
// UnknownToken (the reader stops at either).
std::vector<Token> Tokens(std::u16string_view line) {
    BufferedFile file;
    EXPECT_EQ(file.Open(PgnData("empty.pgn")), 0);
    PgnLexer lexer(file, line);
    std::vector<Token> tokens;
    PgnToken token;
    for (int guard = 0; guard < 100; ++guard) {
        const TokenKind kind = lexer.NextToken(token);
        tokens.push_back({kind, std::u16string(token.View())});
        if (kind == kEnd || kind == kUnknown) {
            break;
        }
    }
    return tokens;
}

struct LexerCase {
    const char* name;
    std::u16string line;
    std::vector<Token> tokens;
};

class LexerTable : public ::testing::TestWithParam<LexerCase> {};

TEST_P(LexerTable, CutsTheLineIntoTokens) {
    EXPECT_EQ(Tokens(GetParam().line), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LexerTable,
    ::testing::Values(
        LexerCase{"MovesAndNumbers",
                  u"1. e4 e5 2. Nf3 1-0",
                  {{kNum, u"1."},
                   {kSep, u""},
                   {kMove, u"e4"},
                   {kSep, u""},
                   {kMove, u"e5"},
                   {kSep, u""},
                   {kNum, u"2."},
                   {kSep, u""},
                   {kMove, u"Nf3"},
                   {kSep, u""},
                   {kEnd, u""}}},
        LexerCase{"BlackMoveNumber",
                  u"12...Nc6",
                  {{kNum, u"12..."}, {kMove, u"Nc6"}, {kSep, u""}, {kEnd, u""}}},
        LexerCase{"NumberThenMove",
                  u"12.Nc6 *",
                  {{kNum, u"12."}, {kMove, u"Nc6"}, {kSep, u""}, {kEnd, u""}}},
        LexerCase{"ZeroCastling",
                  u"0-0 0-0-0 0-1",
                  {{kMove, u"0-0"}, {kSep, u""}, {kMove, u"0-0-0"}, {kSep, u""}, {kEnd, u""}}},
        LexerCase{"LetterCastling",
                  u"O-O O-O-O",
                  {{kMove, u"O-O"}, {kSep, u""}, {kMove, u"O-O-O"}, {kSep, u""}, {kEnd, u""}}},
        LexerCase{"LowerCaseCastling", u"o-o", {{kUnknown, u"o-o"}}},
        LexerCase{"GlyphsBecomeNags",
                  u"e4!? Nf3?? d4! c4? b3!! a3?!",
                  {{kMove, u"e4"},
                   {kNag, u"$5"},
                   {kSep, u""},
                   {kMove, u"Nf3"},
                   {kNag, u"$4"},
                   {kSep, u""},
                   {kMove, u"d4"},
                   {kNag, u"$1"},
                   {kSep, u""},
                   {kMove, u"c4"},
                   {kNag, u"$2"},
                   {kSep, u""},
                   {kMove, u"b3"},
                   {kNag, u"$3"},
                   {kSep, u""},
                   {kMove, u"a3"},
                   {kNag, u"$6"},
                   {kSep, u""},
                   {kEnd, u""}}},
        LexerCase{"PromotionAndLongMoves",
                  u"e8=Q+ Qh4xe1",
                  {{kMove, u"e8=Q+"}, {kSep, u""}, {kMove, u"Qh4xe1"}, {kSep, u""}, {kEnd, u""}}},
        LexerCase{"PawnLetterIsUnknown",
                  u"Pe4 and what follows it here",
                  {{kUnknown, u"Pe4 and what follows"}}},
        LexerCase{"NumericNag", u"$14 *", {{kNag, u"$14"}, {kSep, u""}, {kEnd, u""}}},
        LexerCase{"BracketInsideLine", u"e4 [", {{kMove, u"e4"}, {kSep, u""}, {kUnknown, u"["}}},
        LexerCase{"DrawByFirstTwoCharacters", u"1/2", {{kEnd, u""}}},
        LexerCase{"Star", u"*", {{kEnd, u""}}},
        LexerCase{"BlanksAndTabs",
                  u" \t e4\t",
                  {{kSep, u""}, {kMove, u"e4"}, {kSep, u""}, {kSep, u""}, {kEnd, u""}}},
        LexerCase{"Punctuation",
                  u"{;()",
                  {{TokenKind::CommentStart, u""},
                   {TokenKind::LineComment, u""},
                   {TokenKind::VariationStart, u""},
                   {TokenKind::VariationEnd, u""},
                   {kSep, u""},
                   {kEnd, u""}}},
        LexerCase{"DotAndDashStartNothing", u".", {{kUnknown, u"."}}},
        LexerCase{"NineIsNotAMoveCharacter",
                  u"e9",
                  {{kMove, u"e"}, {kNum, u"9"}, {kSep, u""}, {kEnd, u""}}},
        // Over-long tokens are cut at 20 characters and the line goes on after them.
        LexerCase{"LongMoveIsCut",
                  u"abcdefgh12345678abcdefgh *",
                  {{kMove, u"abcdefgh12345678abcd"}, {kSep, u""}, {kEnd, u""}}},
        LexerCase{"LongNumberIsCut",
                  u"1234567890123456789012345. *",
                  {{kNum, u"12345678901234567890"}, {kSep, u""}, {kEnd, u""}}},
        LexerCase{"LongNagIsCut",
                  u"$12345678901234567890123 *",
                  {{kNag, u"$1234567890123456789"}, {kSep, u""}, {kEnd, u""}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Lexer, UnknownTokenDoesNotMove) {
    BufferedFile file;
    ASSERT_EQ(file.Open(PgnData("empty.pgn")), 0);
    PgnLexer lexer(file, u"Zz");
    PgnToken token;
    EXPECT_EQ(lexer.NextToken(token), kUnknown);
    EXPECT_EQ(lexer.NextToken(token), kUnknown);
    EXPECT_EQ(token.View(), u"Zz");
    EXPECT_EQ(lexer.pos(), 0);
}

TEST(Lexer, TagLineEndsTheGameAtItsStart) {
    const auto path = PgnData("game_without_result_then_next.pgn");
    const std::string content = ReadWholeFile(path);
    BufferedFile file;
    ASSERT_EQ(file.Open(path), 0);
    const std::size_t moves = content.find("1. e4 e5");
    file.Seek(moves + 9);
    PgnLexer lexer(file, u"1. e4 e5");
    PgnToken token;
    while (lexer.NextToken(token) != kEnd) {
    }
    const std::size_t nextGame = content.find("[Event", moves);
    EXPECT_EQ(lexer.EndOffset(), nextGame);
    // Asked again, the lexer reads no further.
    EXPECT_EQ(lexer.NextToken(token), kEnd);
    EXPECT_EQ(lexer.EndOffset(), nextGame);
}

TEST(Lexer, LineCommentSkipsTheRest) {
    BufferedFile file;
    ASSERT_EQ(file.Open(PgnData("empty.pgn")), 0);
    PgnLexer lexer(file, u"; Zz ) e4");
    PgnToken token;
    EXPECT_EQ(lexer.NextToken(token), TokenKind::LineComment);
    lexer.SkipRestOfLine();
    EXPECT_EQ(lexer.pos(), -1);
    EXPECT_EQ(lexer.NextToken(token), kEnd);
}

// Comments: the brace has been taken by NextToken; ReadComment reads the rest.
std::optional<std::u16string> CommentOf(std::u16string_view firstLine, const char* file) {
    BufferedFile input;
    EXPECT_EQ(input.Open(PgnData(file)), 0);
    PgnLexer lexer(input, firstLine);
    PgnToken token;
    EXPECT_EQ(lexer.NextToken(token), TokenKind::CommentStart);
    Position position;
    position.SetComment(u"earlier");
    EXPECT_TRUE(lexer.ReadComment(position));
    return position.comment;
}

TEST(Comment, DropsLeadingBlanksAndKeepsTrailingOnes) {
    EXPECT_EQ(CommentOf(u"{ \t good move  } e4", "empty.pgn"), u"good move  ");
}

TEST(Comment, EmptyBracesGiveAnEmptyComment) {
    EXPECT_EQ(CommentOf(u"{}", "empty.pgn"), u"");
}

TEST(Comment, UnterminatedAtEndOfFileLeavesTheOldComment) {
    EXPECT_EQ(CommentOf(u"{ never closed", "empty.pgn"), u"earlier");
}

TEST(Comment, LineBreakBecomesOneBlank) {
    BufferedFile input;
    ASSERT_EQ(input.Open(PgnData("comment_over_two_lines.pgn")), 0);
    // Start at the comment's first line as the reader would.
    const std::string content = ReadWholeFile(PgnData("comment_over_two_lines.pgn"));
    input.Seek(content.find("move }"));
    PgnLexer lexer(input, u"1. e4 { good");
    PgnToken token;
    while (lexer.NextToken(token) != TokenKind::CommentStart) {
    }
    Position position;
    ASSERT_TRUE(lexer.ReadComment(position));
    EXPECT_EQ(position.comment, u"good move ");
    EXPECT_EQ(lexer.NextToken(token), kSep);
    EXPECT_EQ(lexer.NextToken(token), kMove);
    EXPECT_EQ(token.View(), u"e5");
}

TEST(TextAccumulator, GrowsFromInsideToTheHeap) {
    TextAccumulator text;
    EXPECT_EQ(text.capacity(), TextAccumulator::kInlineCapacity);
    std::u16string expected;
    for (int i = 0; i < 5000; ++i) {
        const auto c = static_cast<char16_t>(u'a' + i % 26);
        ASSERT_TRUE(text.Append(c));
        expected += c;
    }
    EXPECT_EQ(text.View(), expected);
    EXPECT_EQ(text.capacity(), 8192u);
}

TEST(TextAccumulator, RefusesToGrowPastItsLimit) {
    TextAccumulator text;
    std::size_t appended = 0;
    while (text.Append(u'x')) {
        ++appended;
        ASSERT_LE(appended, TextAccumulator::kMaxCapacity);
    }
    EXPECT_EQ(appended, TextAccumulator::kMaxCapacity - 1);
    EXPECT_EQ(text.View().size(), appended);
}

TEST(GlyphToNag, ReplacesOnlyTheSixMarks) {
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"!", u"$1"},  {u"?", u"$2"},    {u"!!", u"$3"}, {u"??", u"$4"}, {u"!?", u"$5"},
        {u"?!", u"$6"}, {u"!!!", u"!!!"}, {u"$7", u"$7"}, {u"", u""}};
    for (const auto& [mark, nag] : cases) {
        PgnToken token;
        token.Assign(mark);
        GlyphToNag(token);
        EXPECT_EQ(token.View(), nag);
    }
}

}  // namespace
