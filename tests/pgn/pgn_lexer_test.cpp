// The lexer: the token table, comments, and where the game ends.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "pgn/file_line.h"
#include "pgn/pgn_lexer.h"
#include "pgn/text_accumulator.h"
#include "tests/support/pgn_test_support.h"
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
// With `significant`, through NextSignificantToken.
std::vector<Token> Tokens(std::string_view line, bool significant = false) {
    BufferedFile file;
    EXPECT_EQ(file.Open(PgnData("empty.pgn")), 0);
    PgnLexer lexer(file, line);
    std::vector<Token> tokens;
    PgnToken token;
    for (int guard = 0; guard < 100; ++guard) {
        const TokenKind kind =
            significant ? lexer.NextSignificantToken(token) : lexer.NextToken(token);
        tokens.push_back({kind, std::u16string(token.View())});
        if (kind == kEnd || kind == kUnknown) {
            break;
        }
    }
    return tokens;
}

// Tokens written compactly, separated by '|': the kind's letter, then the text.
// N move number, M move, $ NAG (the '$' is part of the text), _ separator, E game end,
// U unknown, { comment start, ; line comment, ( and ) variation start and end.
std::vector<Token> Expected(std::u16string_view compact) {
    static constexpr std::u16string_view kLetters = u"NM$_EU{;()";
    static constexpr TokenKind kKinds[] = {kNum,
                                           kMove,
                                           kNag,
                                           kSep,
                                           kEnd,
                                           kUnknown,
                                           TokenKind::CommentStart,
                                           TokenKind::LineComment,
                                           TokenKind::VariationStart,
                                           TokenKind::VariationEnd};
    std::vector<Token> tokens;
    while (!compact.empty()) {
        const std::size_t end = compact.find(u'|');
        const std::u16string_view piece = compact.substr(0, end);
        const std::u16string_view text = piece.substr(piece[0] == u'$' ? 0 : 1);
        const std::size_t letter = kLetters.find(piece[0]);
        EXPECT_LT(letter, std::size(kKinds)) << "no such kind letter";
        const TokenKind kind = letter < std::size(kKinds) ? kKinds[letter] : kUnknown;
        tokens.push_back({kind, std::u16string(text)});
        compact = end == std::u16string_view::npos ? u"" : compact.substr(end + 1);
    }
    return tokens;
}

struct LexerCase {
    const char* name;
    std::string line;
    std::u16string_view tokens;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LexerCase& c, std::ostream* os) {
    *os << c.name;
}

class LexerTable : public ::testing::TestWithParam<LexerCase> {};

TEST_P(LexerTable, CutsTheLineIntoTokens) {
    EXPECT_EQ(Tokens(GetParam().line), Expected(GetParam().tokens));
    // The reader's tokens are the same without separators and move numbers.
    std::vector<Token> significant = Expected(GetParam().tokens);
    std::erase_if(significant,
                  [](const Token& token) { return token.kind == kSep || token.kind == kNum; });
    EXPECT_EQ(Tokens(GetParam().line, true), significant);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LexerTable,
    ::testing::Values(
        LexerCase{"MovesAndNumbers", "1. e4 e5 2. Nf3 1-0", u"N1.|_|Me4|_|Me5|_|N2.|_|MNf3|_|E"},
        LexerCase{"BlackMoveNumber", "12...Nc6", u"N12...|MNc6|_|E"},
        LexerCase{"NumberThenMove", "12.Nc6 *", u"N12.|MNc6|_|E"},
        LexerCase{"ZeroCastling", "0-0 0-0-0 0-1", u"M0-0|_|M0-0-0|_|E"},
        LexerCase{"LetterCastling", "O-O O-O-O", u"MO-O|_|MO-O-O|_|E"},
        LexerCase{"LowerCaseCastling", "o-o", u"Uo-o"},
        LexerCase{"GlyphsBecomeNags", "e4!? Nf3?? d4! c4? b3!! a3?!",
                  u"Me4|$5|_|MNf3|$4|_|Md4|$1|_|Mc4|$2|_|Mb3|$3|_|Ma3|$6|_|E"},
        LexerCase{"PromotionAndLongMoves", "e8=Q+ Qh4xe1", u"Me8=Q+|_|MQh4xe1|_|E"},
        LexerCase{"PawnLetterIsUnknown", "Pe4 and what follows it here", u"UPe4 and what follows"},
        LexerCase{"NumericNag", "$14 *", u"$14|_|E"},
        LexerCase{"BracketInsideLine", "e4 [", u"Me4|_|U["},
        LexerCase{"DrawByFirstTwoCharacters", "1/2", u"E"}, LexerCase{"Star", "*", u"E"},
        LexerCase{"BlanksAndTabs", " \t e4\t", u"_|Me4|_|_|E"},
        LexerCase{"Punctuation", "{;()", u"{|;|(|)|_|E"},
        LexerCase{"DotAndDashStartNothing", ".", u"U."},
        // The text of an unknown token is decoded by the code page of its whole line.
        LexerCase{"Utf8UnknownToken", "e4 \xC3\xA9t\xC3\xA9", u"Me4|_|U\u00E9t\u00E9"},
        LexerCase{"Windows1252UnknownToken", "\xE9t\xE9 \xBD", u"U\u00E9t\u00E9 \u00BD"},
        LexerCase{"NineIsNotAMoveCharacter", "e9", u"Me|N9|_|E"},
        // Over-long tokens are cut at 20 characters and the line goes on after them.
        LexerCase{"LongMoveIsCut", "abcdefgh12345678abcdefgh *", u"Mabcdefgh12345678abcd|_|E"},
        LexerCase{"LongNumberIsCut", "1234567890123456789012345. *", u"N12345678901234567890|_|E"},
        LexerCase{"LongNagIsCut", "$12345678901234567890123 *", u"$1234567890123456789|_|E"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Lexer, UnknownTokenDoesNotMove) {
    BufferedFile file;
    ASSERT_EQ(file.Open(PgnData("empty.pgn")), 0);
    PgnLexer lexer(file, "Zz");
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
    PgnLexer lexer(file, "1. e4 e5");
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
    PgnLexer lexer(file, "; Zz ) e4");
    PgnToken token;
    EXPECT_EQ(lexer.NextToken(token), TokenKind::LineComment);
    lexer.SkipRestOfLine();
    EXPECT_EQ(lexer.pos(), -1);
    EXPECT_EQ(lexer.NextToken(token), kEnd);
}

// Comments: the brace has been taken by NextToken; ReadComment reads the rest.
std::optional<std::u16string> CommentOf(std::string_view firstLine, const char* file) {
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

TEST(Comment, BlanksEmptyBracesAndAnUnterminatedComment) {
    // Blanks at the start are dropped, those at the end kept; a second comment is
    // joined to the first by one blank, and an empty one adds nothing.
    EXPECT_EQ(CommentOf("{ \t good move  } e4", "empty.pgn"), u"earlier good move  ");
    EXPECT_EQ(CommentOf("{}", "empty.pgn"), u"earlier");
    // Unterminated at the end of the file, it leaves the old comment.
    EXPECT_EQ(CommentOf("{ never closed", "empty.pgn"), u"earlier");
    // The whole line decides the code page, not the comment's own bytes.
    EXPECT_EQ(CommentOf("{\xC3\xA9l\xC3\xA8ve} e4", "empty.pgn"), u"earlier \u00E9l\u00E8ve");
    EXPECT_EQ(CommentOf("{\xC3\xA9} \xFF", "empty.pgn"), u"earlier \u00C3\u00A9");
}

TEST(Comment, LineBreakBecomesOneBlank) {
    BufferedFile input;
    ASSERT_EQ(input.Open(PgnData("comment_over_two_lines.pgn")), 0);
    // Start at the comment's first line as the reader would.
    const std::string content = ReadWholeFile(PgnData("comment_over_two_lines.pgn"));
    input.Seek(content.find("move }"));
    PgnLexer lexer(input, "1. e4 { good");
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
