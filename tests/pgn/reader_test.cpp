// The lexer and the game reader: tokens, tags, set-ups, the move tree and every result
// code, each case one row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pgn/pgn_lexer.h"
#include "pgn/text_accumulator.h"
#include "platform/buffered_file.h"
#include "platform/debug_sink.h"
#include "tests/support/pgn_test_support.h"

namespace {

struct LexerCase {
    const char* name;
    std::string line;
    std::u16string_view tokens;  // kind letter then text, separated by '|'
};

// The tokens of one line followed by an empty file, as `tokens` spells them, up to the
// first GameEnd or UnknownToken; with `significant` through NextSignificantToken.
std::u16string Tokens(const std::string& line, bool significant) {
    static constexpr std::u16string_view kLetters = u"{;()NMEU_$";
    BufferedFile file;
    EXPECT_EQ(file.Open(PgnData("empty.pgn")), 0);
    PgnLexer lexer(file, line);
    std::u16string out;
    PgnToken token;
    for (int guard = 0; guard < 100; ++guard) {
        const TokenKind kind =
            significant ? lexer.NextSignificantToken(token) : lexer.NextToken(token);
        const bool hasText = kind == TokenKind::MoveNumber || kind == TokenKind::MoveText ||
                             kind == TokenKind::UnknownToken || kind == TokenKind::NagToken;
        out += (out.empty() ? u"" : u"|") + std::u16string(1, kLetters[static_cast<int>(kind)]);
        out += hasText ? std::u16string(token.View()) : u"";
        if (kind == TokenKind::GameEnd || kind == TokenKind::UnknownToken) {
            break;
        }
    }
    return out;
}

class LexerTable : public ::testing::TestWithParam<LexerCase> {};

TEST_P(LexerTable, CutsTheLineIntoTokens) {
    EXPECT_EQ(Tokens(GetParam().line, false), GetParam().tokens);
    // The reader's tokens are the same without separators and move numbers.
    std::u16string significant;
    for (std::u16string_view rest = GetParam().tokens; !rest.empty();) {
        const std::u16string_view piece = rest.substr(0, rest.find(u'|'));
        rest.remove_prefix(std::min(rest.size(), piece.size() + 1));
        if (piece[0] != u'_' && piece[0] != u'N') {
            significant += (significant.empty() ? u"" : u"|") + std::u16string(piece);
        }
    }
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
                  u"Me4|$$5|_|MNf3|$$4|_|Md4|$$1|_|Mc4|$$2|_|Mb3|$$3|_|Ma3|$$6|_|E"},
        LexerCase{"PromotionAndLongMoves", "e8=Q+ Qh4xe1", u"Me8=Q+|_|MQh4xe1|_|E"},
        LexerCase{"PawnLetterIsUnknown", "Pe4 and what follows it here", u"UPe4 and what follows"},
        LexerCase{"NumericNag", "$14 *", u"$$14|_|E"},
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
        LexerCase{"LongNagIsCut", "$12345678901234567890123 *", u"$$1234567890123456789|_|E"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Lexer, UnknownTokenDoesNotMoveAndGlyphsAreTheSixMarks) {
    BufferedFile file;
    ASSERT_EQ(file.Open(PgnData("empty.pgn")), 0);
    PgnLexer lexer(file, "Zz");
    PgnToken token;
    EXPECT_EQ(lexer.NextToken(token), TokenKind::UnknownToken);
    EXPECT_EQ(lexer.NextToken(token), TokenKind::UnknownToken);
    EXPECT_EQ(token.View(), u"Zz");
    EXPECT_EQ(lexer.pos(), 0);
    for (const auto& [mark, nag] :
         std::vector<std::pair<std::u16string, std::u16string>>{{u"!", u"$1"},
                                                                {u"?", u"$2"},
                                                                {u"!!", u"$3"},
                                                                {u"??", u"$4"},
                                                                {u"!?", u"$5"},
                                                                {u"?!", u"$6"},
                                                                {u"!!!", u"!!!"},
                                                                {u"$7", u"$7"},
                                                                {u"", u""}}) {
        token.Assign(mark);
        GlyphToNag(token);
        EXPECT_EQ(token.View(), nag);
    }
}

TEST(Lexer, CommentStorageGrowsToItsLimitAndNoFurther) {
    TextAccumulator text;
    std::u16string expected;
    std::size_t appended = 0;
    while (text.Append(static_cast<char16_t>(u'a' + appended % 26))) {
        expected += static_cast<char16_t>(u'a' + appended++ % 26);
        if (appended == 5000) {
            ASSERT_EQ(text.View(), expected);
            EXPECT_EQ(text.capacity(), 8192u);  // doubled from the inline 512
        }
        ASSERT_LE(appended, TextAccumulator::kMaxCapacity);
    }
    EXPECT_EQ(appended, TextAccumulator::kMaxCapacity - 1);
    EXPECT_EQ(text.View().size(), appended);
    EXPECT_FALSE(text.Append(u"xy"));
}

// One game read from a file of tests/data/pgn or from the PGN text of the row.
struct ReadCase {
    const char* source;
    ReadCode code;
    const char16_t* error = nullptr;  // ReadErrorText; null: the code's row says enough
    const char* tags = nullptr;       // TagsText; null: not checked
    const char* tree = nullptr;       // TreeText; null: not checked
    const char* endsAt =
        nullptr;  // fileEnd is where this text first follows the first byte, "" the end
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.source;
}

class ReadTable : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadTable, GivesTheGameOrItsError) {
    const ReadCase& c = GetParam();
    ScratchFolder folder;
    std::filesystem::path path = PgnData(c.source);
    if (!std::string_view(c.source).ends_with(".pgn")) {
        path = folder.path() / "inline.pgn";
        WriteFileBytes(path, c.source);
    }
    const LoadedGame game(path);
    ASSERT_EQ(game.result.code, c.code);
    if (c.error != nullptr) {
        EXPECT_EQ(ReadErrorText(game.result), c.error);
    }
    if (c.tags != nullptr) {
        EXPECT_EQ(TagsText(game.document), c.tags);
    }
    if (c.tree != nullptr) {
        EXPECT_EQ(TreeText(game.document.root), c.tree);
    }
    if (c.endsAt != nullptr) {
        const std::string content = ReadWholeFile(path);
        const std::size_t end = *c.endsAt ? content.find(c.endsAt, 1) : content.size();
        EXPECT_EQ(game.document.fileEnd, end);
        // The next game reads from there.
        EXPECT_EQ(LoadedGame(path, end).result.code,
                  *c.endsAt ? ReadCode::Ok : ReadCode::Unexpected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Games, ReadTable,
    ::testing::Values(
        ReadCase{"empty.pgn", ReadCode::Unexpected, u"Unexpected error"},
        ReadCase{"no_tags.pgn", ReadCode::Unexpected, u"Unexpected error"},
        ReadCase{"no_such_file.pgn", ReadCode::CannotOpen, u"Unable to open file"},
        ReadCase{"fen_bad_castling.pgn", ReadCode::BadPosition, u"Invalid initial position"},
        ReadCase{"fen_without_setup.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        ReadCase{"setup_without_fen.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        ReadCase{"setup_zero_then_fen.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        ReadCase{"two_fens_one_setup.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        ReadCase{"null_move.pgn", ReadCode::UnknownToken, u"Unknown token : Z0 Nc6 1-0"},
        ReadCase{"lowercase_castling.pgn", ReadCode::UnknownToken, u"Unknown token : o-o *"},
        ReadCase{"tags_only_at_end.pgn", ReadCode::UnknownToken, u"Unknown token : [Result \"*\"]"},
        ReadCase{"variation_before_first_move.pgn", ReadCode::BadVariation,
                 u"Error in alternate line"},
        ReadCase{"variations_nested_256.pgn", ReadCode::BadVariation, u"Error in alternate line"},
        ReadCase{"illegal_move_ke3.pgn", ReadCode::IllegalMove, u"Illegal move : Ke3"},
        ReadCase{"illegal_variation_start.pgn", ReadCode::IllegalLineStart,
                 u"Illegal move starting line"},
        ReadCase{"simple_game.pgn", ReadCode::Ok, u"No error",
                 "Result=0;White=Alice;Black=Bob;Event=Friendly;Site=Here;Date=2024.01.02;Round=1",
                 "e4 e5 Nf3 Nc6 "},
        ReadCase{"legal_move_ke2.pgn", ReadCode::Ok, nullptr, nullptr, "e4 e5 Ke2 "},
        ReadCase{"email_game.pgn", ReadCode::Ok, nullptr,
                 "Result=3;White=Alice;Black=Bob;Event=Friendly;Site=Here;Date=2024.01.02;Round=1;"
                 "WhiteEmail=a@example.org;BlackEmail=b@example.org;LastMoveDate=03.14;LastMove=7;"
                 "Trait=32",
                 nullptr, "[Event"},
        ReadCase{"correspondence_tags_without_white_email.pgn", ReadCode::Ok, nullptr,
                 "Result=3;White=W;Black=B;Event=E;Site=S;Date=2024.01.01;Round=1;BlackEmail=b@x."
                 "org;LastMove=3;Trait=32"},
        ReadCase{"half_half_draw.pgn", ReadCode::UnknownToken, nullptr,
                 "Result=1;White=Alice;Black=Bob;Event=Friendly;Site=Here;Date=2024.01.02;Round=1"},
        ReadCase{"half_half_draw_latin1.pgn", ReadCode::Ok, nullptr,
                 "Result=1;White=Alice;Black=Bob;Event=Friendly;Site=Here;Date=2024.01.02;Round=1"},
        ReadCase{"latin1_names.pgn", ReadCode::Ok, nullptr,
                 "Result=3;White=R\xC3\xA9ti, "
                 "Richard;Black=N\xC3\xBCss;Event=Friendly;Site=Here;Date=2024.01.02;Round=1"},
        ReadCase{"quote_in_tag.pgn", ReadCode::Ok, nullptr,
                 "Result=3;White=Smith \"Bob\" "
                 "Jr;Black=C:\\games\\x;Event=Friendly;Site=Here;Date=2024.01.02;Round=1"},
        ReadCase{"zero_byte_in_tag.pgn", ReadCode::Ok, nullptr,
                 "Result=3;White=Al;Black=Bob;Event=Friendly;Site=Here;Date=2024.01.02;Round=1"},
        ReadCase{"tag_tab_and_no_blank.pgn", ReadCode::Ok, nullptr,
                 "Result=3;White=W;Black=B;Event=E;Site=S;Date=2024.01.01;Round=1;Annotator=X",
                 "e4 "},
        ReadCase{"extra_tags.pgn", ReadCode::Ok, nullptr,
                 "Result=3;White=Alice;Black=Bob;Event=Friendly;Site=Here;Date=2024.01.02;Round=1;"
                 "ECO=B20;Annotator=Someone Else;Odd]=;SetUp=0"},
        ReadCase{"long_tag_line.pgn", ReadCode::Ok, nullptr, nullptr, "e4 ", "[Event"},
        ReadCase{"game_without_white_tag.pgn", ReadCode::Ok, nullptr, "Result=3;Event=Study;Site=x",
                 "e4 ", "[Event \"Friendly\"]"},
        ReadCase{"fen_before_setup.pgn", ReadCode::Ok, nullptr,
                 "Result=3;White=Alice;Black=Bob;Event=Friendly;Site=Here;Date=2024.01.02;Round=1;"
                 "FEN=4k3/8/8/8/8/8/4P3/4K3 b - - 0 12",
                 "Kd7 e4 "},
        ReadCase{"fen_clock_and_number_300.pgn", ReadCode::Ok, nullptr,
                 "Result=3;White=W;Black=B;Event=E;Site=S;Date=2024.01.01;Round=1;FEN=4k3/8/8/8/8/"
                 "8/8/4K3 b - - 12 300",
                 "Kd7 "},
        ReadCase{"setup_then_fen_with_tags_between.pgn", ReadCode::Ok, nullptr,
                 "Result=3;White=Alice;Black=Bob;Event=Friendly;Site=Here;Date=2024.01.02;Round=1;"
                 "FEN=4k3/8/8/8/8/8/4P3/4K3 w - - 0 1;ECO=A00",
                 "e4 "},
        ReadCase{"junk_before_tags.pgn", ReadCode::Ok, nullptr, nullptr, "e4 "},
        ReadCase{"bom_after_cat_join.pgn", ReadCode::Ok, nullptr,
                 "Result=3;White=W;Black=B;Event=E;Site=S;Date=2024.01.01;Round=1", "e4 ",
                 "\xEF\xBB\xBF[Event"},
        ReadCase{"line_comment.pgn", ReadCode::Ok, nullptr, nullptr, "e4 {a remark ) Zz} e5 "},
        ReadCase{"semicolon_comment.pgn", ReadCode::Ok, nullptr, nullptr,
                 "d4 d5 {a note on d5} c4 "},
        ReadCase{"escape_lines.pgn", ReadCode::Ok, nullptr, nullptr, "e4 e5 "},
        ReadCase{"stray_closing_paren.pgn", ReadCode::Ok, nullptr, nullptr, "e4 e5 "},
        ReadCase{"comment_over_two_lines.pgn", ReadCode::Ok, nullptr, nullptr,
                 "e4 {good move } e5 {} Nf3 {first second} "},
        ReadCase{"comment_with_brackets.pgn", ReadCode::Ok, nullptr, nullptr,
                 "e4 {see (this) ; [Event \"not a tag\"] } e5 "},
        ReadCase{"comment_line_starting_with_bracket.pgn", ReadCode::Ok, nullptr, nullptr,
                 "e4 {thinking [%clk 0:10:00] } e5 "},
        ReadCase{"comment_unterminated_at_end.pgn", ReadCode::Ok, nullptr, nullptr, "e4 e5 ", ""},
        ReadCase{"comment_before_variation.pgn", ReadCode::Ok, nullptr, nullptr,
                 "e4 e5 {after e5} ( <{intro}> c5 {after c5} ) Nf3 {one two} "},
        ReadCase{"utf8_long_comment.pgn", ReadCode::Ok},
        ReadCase{"variation_simple.pgn", ReadCode::Ok, nullptr, nullptr, "e4 e5 ( c5 Nf3 ) Nf3 "},
        ReadCase{"variation_nested_two.pgn", ReadCode::Ok, nullptr, nullptr,
                 "e4 ( d4 d5 ( Nf6 c4 ) ) e5 "},
        ReadCase{"variation_repeats_main_move.pgn", ReadCode::Ok, nullptr, nullptr,
                 "e4 e5 ( e5 Nf3! $1 {idea} ) Nc3 "},
        ReadCase{"result_in_variation.pgn", ReadCode::Ok, nullptr, nullptr, "e4 ( d4 ) e5 "},
        ReadCase{"nags.pgn", ReadCode::Ok, nullptr, nullptr,
                 "<$5> e4! $1 $14 e5!? $5 Nf3?? $4 $200 "},
        ReadCase{"several_nags.pgn", ReadCode::Ok, nullptr, nullptr, "e4! $1 $4 e5!? $5 $10 {x} "},
        ReadCase{"game_without_result_then_next.pgn", ReadCode::Ok, nullptr, nullptr, "e4 e5 ",
                 "[Event"},
        ReadCase{"result_then_blank_lines.pgn", ReadCode::Ok, nullptr, nullptr, "e4 e5 ", "[Event"},
        // Blanks that start a comment go, those that end it stay; an empty comment adds
        // nothing to the one before; the whole line decides the code page.
        ReadCase{"[Event \"c\"]\n\n1. e4 { \t good move  } {} e5 {\xC3\xA9l\xC3\xA8ve}\n"
                 "2. Nf3 {\xC3\xA9} {\xFF} *\n",
                 ReadCode::Ok, nullptr, nullptr,
                 "e4 {good move  } e5 {\xC3\xA9l\xC3\xA8ve} Nf3 {\xC3\x83\xC2\xA9 \xC3\xBF} "}),
    [](const auto& info) {
        const std::string source = info.param.source;
        return source.ends_with(".pgn") ? source.substr(0, source.find('.')) : "inline_comments";
    });

TEST(ReadTable, DeepestAllowedNestingIsRead) {
    const LoadedGame game(PgnData("variations_nested_255.pgn"));
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    std::string expected;
    for (int i = 0; i < 255; ++i) {
        expected += "( c5 ) ";  // every level repeats 1...c5 from the same place
    }
    EXPECT_EQ(TreeText(game.document.root), "e4 e5 " + expected + "Nf3 ");
}

TEST(ReadTable, RefusedMoveIsReportedToTheDebugSink) {
    testing::internal::CaptureStderr();
    SetDebugSinkEnabled(true);
    const LoadedGame game(PgnData("illegal_move_ke3.pgn"));
    SetDebugSinkEnabled(false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Token refus\xC3\xA9 (2)\n");
    EXPECT_EQ(ReadErrorText(ReadResult(static_cast<ReadCode>(99))), u"Unexpected error");
}

}  // namespace
