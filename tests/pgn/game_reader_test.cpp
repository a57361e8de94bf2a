// The game reader: tags, set-ups, the move tree, and every result code.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "pgn/game_reader.h"
#include "pgn/pgn_lexer.h"
#include "tests/support/pgn_test_support.h"
#include "platform/debug_sink.h"
#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"

namespace {

// The SAN of the main line from `position`.
std::vector<std::u16string> MainLine(const Position& position) {
    std::vector<std::u16string> moves;
    for (const MoveNode* move = position.firstMove.get(); move;
         move = move->child->firstMove.get()) {
        moves.push_back(FormatSanText(*move, false, false, NotationLanguage::English));
    }
    return moves;
}

std::u16string San(const MoveNode* move) {
    return move ? FormatSanText(*move, false, false, NotationLanguage::English) : u"(none)";
}

struct CodeCase {
    const char* file;
    ReadCode code;
    std::u16string text;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const CodeCase& c, std::ostream* os) {
    *os << c.file;
}

class ResultCodes : public ::testing::TestWithParam<CodeCase> {};

TEST_P(ResultCodes, GiveTheirCodeAndText) {
    const LoadedGame game(PgnData(GetParam().file));
    EXPECT_EQ(game.result.code, GetParam().code);
    EXPECT_EQ(ReadErrorText(game.result), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ResultCodes,
    ::testing::Values(
        CodeCase{"simple_game.pgn", ReadCode::Ok, u"No error"},
        CodeCase{"empty.pgn", ReadCode::Unexpected, u"Unexpected error"},
        CodeCase{"no_tags.pgn", ReadCode::Unexpected, u"Unexpected error"},
        CodeCase{"no_such_file.pgn", ReadCode::CannotOpen, u"Unable to open file"},
        CodeCase{"fen_bad_castling.pgn", ReadCode::BadPosition, u"Invalid initial position"},
        CodeCase{"fen_without_setup.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        CodeCase{"setup_without_fen.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        CodeCase{"setup_zero_then_fen.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        CodeCase{"two_fens_one_setup.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        CodeCase{"null_move.pgn", ReadCode::UnknownToken, u"Unknown token : Z0 Nc6 1-0"},
        CodeCase{"lowercase_castling.pgn", ReadCode::UnknownToken, u"Unknown token : o-o *"},
        CodeCase{"tags_only_at_end.pgn", ReadCode::UnknownToken, u"Unknown token : [Result \"*\"]"},
        CodeCase{"variation_before_first_move.pgn", ReadCode::BadVariation,
                 u"Error in alternate line"},
        CodeCase{"variations_nested_256.pgn", ReadCode::BadVariation, u"Error in alternate line"},
        CodeCase{"illegal_move_ke3.pgn", ReadCode::IllegalMove, u"Illegal move : Ke3"},
        CodeCase{"illegal_variation_start.pgn", ReadCode::IllegalLineStart,
                 u"Illegal move starting line"},
        CodeCase{"legal_move_ke2.pgn", ReadCode::Ok, u"No error"}),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(ResultCodes, AnOffsetAtTheEndOfTheFileReadsNothing) {
    const auto path = PgnData("simple_game.pgn");
    const LoadedGame game(path, std::filesystem::file_size(path));
    EXPECT_EQ(game.result.code, ReadCode::Unexpected);
}

TEST(Tags, ReadTheRosterAndCorrespondenceTags) {
    const LoadedGame game(PgnData("email_game.pgn"));
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    const GameDocument& d = game.document;
    EXPECT_EQ(d.white, u"Alice");
    EXPECT_EQ(d.black, u"Bob");
    EXPECT_EQ(d.event, u"Friendly");
    EXPECT_EQ(d.site, u"Here");
    EXPECT_EQ(d.date, u"2024.01.02");
    EXPECT_EQ(d.round, u"1");
    EXPECT_EQ(d.result, GameResult::Other);
    EXPECT_EQ(d.whiteEmail, u"a@example.org");
    EXPECT_EQ(d.blackEmail, u"b@example.org");
    EXPECT_EQ(d.lastMoveDate, u"03.14");
    EXPECT_EQ(d.lastMove, 7);
    EXPECT_EQ(d.trait, 32);
    EXPECT_EQ(d.saveMode, 7u);
    EXPECT_EQ(d.fileOffset, 0u);
}

TEST(Tags, ResultValues) {
    EXPECT_EQ(LoadedGame(PgnData("simple_game.pgn")).document.result, GameResult::WhiteWins);
    // A draw written as ½-½ stays a draw, in UTF-8 and in Windows-1252 alike.
    EXPECT_EQ(LoadedGame(PgnData("half_half_draw.pgn")).document.result, GameResult::Draw);
    EXPECT_EQ(LoadedGame(PgnData("half_half_draw_latin1.pgn")).document.result, GameResult::Draw);
}

TEST(Tags, Windows1252NamesAreDecodedAndEscapesUndone) {
    const struct {
        const char* file;
        std::u16string_view white;
        std::u16string_view black;
    } cases[] = {{"latin1_names.pgn", u"R\u00E9ti, Richard", u"N\u00FCss"},
                 {"quote_in_tag.pgn", u"Smith \"Bob\" Jr", u"C:\\games\\x"}};
    for (const auto& c : cases) {
        const LoadedGame game(PgnData(c.file));
        ASSERT_EQ(game.result.code, ReadCode::Ok) << c.file;
        EXPECT_EQ(game.document.white, c.white);
        EXPECT_EQ(game.document.black, c.black);
    }
}

TEST(Tags, UninterpretedTagsAreKeptInFileOrder) {
    const LoadedGame game(PgnData("extra_tags.pgn"));
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    std::vector<std::pair<std::u16string, std::u16string>> tags;
    for (const ExtraTag* tag = game.document.extraTags.get(); tag; tag = tag->next.get()) {
        tags.emplace_back(tag->name, tag->value);
    }
    const std::vector<std::pair<std::u16string, std::u16string>> expected = {
        {u"ECO", u"B20"}, {u"Annotator", u"Someone Else"}, {u"Odd]", u""}, {u"SetUp", u"0"}};
    EXPECT_EQ(tags, expected);
}

// A game without a White tag is read alone, not together with the next game.
TEST(Tags, GameWithoutWhiteTagEndsAtItsOwnMoves) {
    const auto path = PgnData("game_without_white_tag.pgn");
    const LoadedGame game(path);
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    EXPECT_FALSE(game.document.white.has_value());  // no name is invented
    EXPECT_EQ(game.document.event, u"Study");
    EXPECT_EQ(MainLine(game.document.root), std::vector<std::u16string>{u"e4"});
    EXPECT_EQ(game.document.fileEnd, ReadWholeFile(path).find("[Event \"Friendly\"]"));
}

TEST(MainLines, SetUpsJunkLineCommentsAndStrayParentheses) {
    struct Case {
        const char* file;
        bool setUp;
        std::u16string fen;  // checked when not empty
        std::vector<std::u16string> mainLine;
    };
    const Case cases[] = {
        {"simple_game.pgn", false, u"", {u"e4", u"e5", u"Nf3", u"Nc6"}},
        // A FEN before its SetUp tag still sets the position up.
        {"fen_before_setup.pgn", true, u"4k3/8/8/8/8/8/4P3/4K3 b - - 0 12", {u"Kd7", u"e4"}},
        {"setup_then_fen_with_tags_between.pgn", true, u"", {u"e4"}},
        {"junk_before_tags.pgn", false, u"", {u"e4"}},
        // A line comment drops the rest of its line.
        {"line_comment.pgn", false, u"", {u"e4", u"e5"}},
        // A stray closing parenthesis ends the game.
        {"stray_closing_paren.pgn", false, u"", {u"e4", u"e5"}},
    };
    for (const Case& c : cases) {
        const LoadedGame game(PgnData(c.file));
        ASSERT_EQ(game.result.code, ReadCode::Ok) << c.file;
        EXPECT_EQ(game.document.root.setUp, c.setUp) << c.file;
        if (!c.fen.empty()) {
            EXPECT_EQ(WriteFen(game.document.root), c.fen) << c.file;
        }
        EXPECT_EQ(MainLine(game.document.root), c.mainLine) << c.file;
    }
}

TEST(Comments, OverTwoLinesAndJoined) {
    const LoadedGame game(PgnData("comment_over_two_lines.pgn"));
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    const Position& root = game.document.root;
    const Position& afterE4 = *root.firstMove->child;
    const Position& afterE5 = *afterE4.firstMove->child;
    const Position& afterNf3 = *afterE5.firstMove->child;
    EXPECT_EQ(afterE4.comment, u"good move ");
    EXPECT_EQ(afterE5.comment, u"");
    EXPECT_EQ(afterNf3.comment, u"first second");
    EXPECT_FALSE(root.comment.has_value());
}

TEST(Comments, NothingInsideIsInterpreted) {
    const auto path = PgnData("comment_with_brackets.pgn");
    const LoadedGame game(path);
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    EXPECT_EQ(game.document.root.firstMove->child->comment, u"see (this) ; [Event \"not a tag\"] ");
    EXPECT_EQ(MainLine(game.document.root), (std::vector<std::u16string>{u"e4", u"e5"}));
}

TEST(Comments, UnterminatedAtTheEndIsDropped) {
    const auto path = PgnData("comment_unterminated_at_end.pgn");
    const LoadedGame game(path);
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    EXPECT_EQ(MainLine(game.document.root), (std::vector<std::u16string>{u"e4", u"e5"}));
    EXPECT_FALSE(game.document.root.firstMove->child->firstMove->child->comment.has_value());
    EXPECT_EQ(game.document.fileEnd, std::filesystem::file_size(path));
}

TEST(Variations, AlternativeFromTheParentOfTheLastMove) {
    const LoadedGame game(PgnData("variation_simple.pgn"));
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    const Position& root = game.document.root;
    EXPECT_EQ(MainLine(root), (std::vector<std::u16string>{u"e4", u"e5", u"Nf3"}));
    const Position& afterE4 = *root.firstMove->child;
    const MoveNode* c5 = afterE4.firstMove->nextSibling.get();
    ASSERT_NE(c5, nullptr);
    EXPECT_EQ(San(c5), u"c5");
    EXPECT_EQ(c5->depth, 1);
    EXPECT_EQ(MainLine(*c5->child), std::vector<std::u16string>{u"Nf3"});
    EXPECT_EQ(c5->child->firstMove->depth, 1);
}

TEST(Variations, NestedTwoLevels) {
    const LoadedGame game(PgnData("variation_nested_two.pgn"));
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    const Position& root = game.document.root;
    EXPECT_EQ(MainLine(root), (std::vector<std::u16string>{u"e4", u"e5"}));
    const MoveNode* d4 = root.firstMove->nextSibling.get();
    ASSERT_NE(d4, nullptr);
    EXPECT_EQ(San(d4), u"d4");
    EXPECT_EQ(MainLine(*d4->child), std::vector<std::u16string>{u"d5"});
    const MoveNode* nf6 = d4->child->firstMove->nextSibling.get();
    ASSERT_NE(nf6, nullptr);
    EXPECT_EQ(San(nf6), u"Nf6");
    EXPECT_EQ(nf6->depth, 2);
    EXPECT_EQ(MainLine(*nf6->child), std::vector<std::u16string>{u"c4"});
}

TEST(Variations, DeepestAllowedNestingIsRead) {
    const LoadedGame game(PgnData("variations_nested_255.pgn"));
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    // Every level repeats 1...c5 from the same place: each is a branch of its own.
    const Position& afterE4 = *game.document.root.firstMove->child;
    std::size_t branches = 0;
    for (const MoveNode* c5 = afterE4.firstMove->nextSibling.get(); c5;
         c5 = c5->nextSibling.get()) {
        EXPECT_EQ(San(c5), u"c5");
        ++branches;
    }
    EXPECT_EQ(branches, 255u);
    EXPECT_EQ(MainLine(game.document.root), (std::vector<std::u16string>{u"e4", u"e5", u"Nf3"}));
}

TEST(Nags, MoveAndPositionAnnotations) {
    const LoadedGame game(PgnData("nags.pgn"));
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    const Position& root = game.document.root;
    EXPECT_EQ(root.positionNag, 0);
    const MoveNode& e4 = *root.firstMove;
    EXPECT_EQ(e4.nag, 1);
    EXPECT_EQ(e4.child->positionNag, 14);
    const MoveNode& e5 = *e4.child->firstMove;
    EXPECT_EQ(e5.nag, 5);
    const MoveNode& nf3 = *e5.child->firstMove;
    EXPECT_EQ(nf3.nag, 4);
    EXPECT_EQ(nf3.child->positionNag, 200);
}

// A game ends at the next game's tag line, whether or not a result line and blank
// lines come first.
TEST(GameEnd, AtTheNextGamesTagLine) {
    for (const char* file : {"game_without_result_then_next.pgn", "result_then_blank_lines.pgn"}) {
        const auto path = PgnData(file);
        const LoadedGame game(path);
        ASSERT_EQ(game.result.code, ReadCode::Ok) << file;
        const std::string content = ReadWholeFile(path);
        EXPECT_EQ(game.document.fileEnd, content.find("[Event", 1)) << file;
        // The second game reads from there.
        const LoadedGame second(path, game.document.fileEnd);
        ASSERT_EQ(second.result.code, ReadCode::Ok) << file;
        EXPECT_EQ(second.document.white, u"Carol") << file;
        EXPECT_EQ(second.document.fileEnd, content.size()) << file;
    }
}

TEST(Diagnostics, RefusedMoveIsReportedToTheDebugSink) {
    testing::internal::CaptureStderr();
    SetDebugSinkEnabled(true);
    const LoadedGame game(PgnData("illegal_move_ke3.pgn"));
    SetDebugSinkEnabled(false);
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_EQ(game.result.code, ReadCode::IllegalMove);
    EXPECT_EQ(output, "Token refus\xC3\xA9 (2)\n");
}

}  // namespace
