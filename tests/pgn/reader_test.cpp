// The lexer, the game reader and the games index, each case one row.
#include <gtest/gtest.h>

#include <cerrno>

#include "pgn/game_list_columns.h"
#include "pgn/games_file_scan.h"
#include "pgn/games_index.h"
#include "pgn/pgn_lexer.h"
#include "pgn/text_accumulator.h"
#include "platform/buffered_file.h"
#include "platform/debug_sink.h"
#include "tests/support/pgn_test_support.h"

namespace {

// The tokens of a line up to GameEnd or UnknownToken: '|', the kind's letter, any text.
std::u16string Tokens(const std::string& line) {
    BufferedFile file;
    EXPECT_EQ(file.Open(PgnData("empty.pgn")), 0);
    PgnLexer lexer(file, line);
    std::u16string out;
    PgnToken token, again;
    for (TokenKind kind = TokenKind::Separator;
         kind != TokenKind::GameEnd && kind != TokenKind::UnknownToken;) {
        kind = lexer.NextToken(token);
        const bool hasText = kind == TokenKind::MoveNumber || kind == TokenKind::MoveText ||
                             kind == TokenKind::UnknownToken || kind == TokenKind::NagToken;
        out += u"|" + std::u16string(1, u"{;()NMEU_$"[static_cast<int>(kind)]) +
               (hasText ? std::u16string(token.View()) : u"");
        // An unknown token does not move: asked again, the lexer gives it again.
        EXPECT_TRUE(kind != TokenKind::UnknownToken ||
                    (lexer.NextToken(again) == kind && again.View() == token.View()));
    }
    return out;
}

TEST(Lexer, CutsLinesIntoTokens) {
    // clang-format off
    const std::pair<std::string, std::u16string_view> cases[] = {
        {"1. e4 e5 2. Nf3 1-0", u"|N1.|_|Me4|_|Me5|_|N2.|_|MNf3|_|E"}, {"12...Nc6", u"|N12...|MNc6|_|E"},
        {"12.Nc6 *", u"|N12.|MNc6|_|E"}, {"0-0 0-0-0 0-1", u"|M0-0|_|M0-0-0|_|E"}, {"O-O O-O-O", u"|MO-O|_|MO-O-O|_|E"},
        {"o-o", u"|Uo-o"}, {"e4!? Nf3?? d4! c4? b3!! a3?!", u"|Me4|$$5|_|MNf3|$$4|_|Md4|$$1|_|Mc4|$$2|_|Mb3|$$3|_|Ma3|$$6|_|E"},
        {"e4!!! *", u"|Me4|$$3|$$1|_|E"}, {"e8=Q+ Qh4xe1", u"|Me8=Q+|_|MQh4xe1|_|E"}, {"Pe4 and what follows it here", u"|UPe4 and what follows"},
        {"$14 *", u"|$$14|_|E"}, {"e4 [", u"|Me4|_|U["}, {"1/2", u"|E"}, {"*", u"|E"}, {" \t e4\t", u"|_|Me4|_|_|E"},
        {"{;()", u"|{|;|(|)|_|E"}, {".", u"|U."}, {"e9", u"|Me|N9|_|E"},
        // The text of an unknown token is decoded by the code page of its whole line.
        {"e4 \xC3\xA9t\xC3\xA9", u"|Me4|_|U\u00E9t\u00E9"}, {"\xE9t\xE9 \xBD", u"|U\u00E9t\u00E9 \u00BD"},
        // Over-long tokens are cut at 20 characters and the line goes on after them.
        {"abcdefgh12345678abcdefgh *", u"|Mabcdefgh12345678abcd|_|E"},
        {"1234567890123456789012345. *", u"|N12345678901234567890|_|E"}, {"$12345678901234567890123 *", u"|$$1234567890123456789|_|E"}};
    // clang-format on
    for (const auto& [line, tokens] : cases) {
        EXPECT_EQ(Tokens(line), tokens) << line;
    }
}

TEST(Lexer, CommentStorageGrowsToItsLimitAndNoFurther) {
    TextAccumulator text;
    std::size_t appended = 0;
    while (text.Append(static_cast<char16_t>(u'a' + appended % 26))) {
        EXPECT_TRUE(++appended != 5000 || text.capacity() == 8192u);  // doubled from 512
        ASSERT_LE(appended, TextAccumulator::kMaxCapacity);
    }
    EXPECT_EQ(appended, TextAccumulator::kMaxCapacity - 1);
    EXPECT_FALSE(text.Append(u"xy"));
    for (const std::size_t i : {0ul, 511ul, 512ul, 8191ul, 8192ul, appended - 1}) {
        EXPECT_EQ(text.View()[i], u'a' + i % 26) << i;  // kept through every growth
    }
}

// The list's rows after a second reload, then what the scan left out; or the failure's boxes.
std::string IndexText(GamesFile& games) {
    ErrorBoxRecorder recorder;
    if (!games.Reload() || !games.Reload()) {
        return "failed " + recorder.text + (games.firstEntry() ? " but listed" : "");
    }
    EXPECT_EQ(recorder.text, "");
    std::u16string out;
    for (const GameListEntry* e = games.firstEntry(); e; e = e->nextEntry.get()) {
        out += Number(static_cast<int>(e->fileOffset)) + u":" + WhiteColumnText(*e) + u"|" +
               BlackColumnText(*e) + u"|" + LastColumnText(*e) + u" ";
    }
    const ScanSummary& scan = games.lastScan();
    return EncodeUtf8(out) + "unlisted " + std::to_string(scan.unlistedGames) + " at " +
           std::to_string(scan.firstUnlistedOffset) + " lacking " +
           RosterTagNames(scan.missingTags);
}

// A file of tests/data/pgn, or PGN text; an empty field is not checked, nor are the next ones.
struct ReadCase {
    const char* source;
    ReadCode code;
    std::u16string error{};        // ReadErrorText
    std::string tags{}, tree{};    // TagsText after the result, TreeText
    const char* endsAt = nullptr;  // the text at fileEnd, the first after byte 0 ("": the end)
    std::string index{};           // IndexText
};

const std::string kHere = ";Event=Friendly;Site=Here;Date=2024.01.02;Round=1",
                  kAlice = "White=Alice;Black=Bob" + kHere,
                  kW = "White=W;Black=B;Event=E;Site=S;Date=2024.01.01;Round=1",
                  kNone = " unlisted 0 at 0 lacking ";

TEST(ReadTable, GivesTheGameOrItsErrorAndTheIndexListsTheGames) {
    // clang-format off
    const ReadCase cases[] = {
        {"empty.pgn", ReadCode::Unexpected, u"Unexpected error", "", "", nullptr, kNone.substr(1)},
        {"no_tags.pgn", ReadCode::Unexpected, u"Unexpected error"},
        {"no_such_file.pgn", ReadCode::CannotOpen, u"Unable to open file", "", "", nullptr, "failed Unable to open file|" + EncodeUtf8(SystemErrorText(ENOENT)) + "|1;"},
        {"fen_bad_castling.pgn", ReadCode::BadPosition, u"Invalid initial position"},
        {"fen_without_setup.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        {"setup_without_fen.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        {"setup_zero_then_fen.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        {"two_fens_one_setup.pgn", ReadCode::BadHeaders, u"Incorrect PGN headers"},
        {"null_move.pgn", ReadCode::UnknownToken, u"Unknown token : Z0 Nc6 1-0"},
        {"lowercase_castling.pgn", ReadCode::UnknownToken, u"Unknown token : o-o *"},
        {"tags_only_at_end.pgn", ReadCode::UnknownToken, u"Unknown token : [Result \"*\"]", "", "", nullptr, kNone.substr(1)},
        {"variation_before_first_move.pgn", ReadCode::BadVariation, u"Error in alternate line"},
        {"variations_nested_256.pgn", ReadCode::BadVariation, u"Error in alternate line"},
        {"illegal_move_ke3.pgn", ReadCode::IllegalMove, u"Illegal move : Ke3"},
        {"illegal_variation_start.pgn", ReadCode::IllegalLineStart, u"Illegal move starting line"},
        {"simple_game.pgn", ReadCode::Ok, u"No error", kAlice, "e4 e5 Nf3 Nc6 "},
        {"two_games_blank_line.pgn", ReadCode::Ok, u"", "", "", "[Event", "0:Alice|Bob|1-0 122:Carol|Dave|0-1" + kNone},
        {"starts_with_crlf_game.pgn", ReadCode::Ok, u"", "", "", nullptr, "2:Alice|Bob|1-0" + kNone},
        {"missing_site_then_complete.pgn", ReadCode::Ok, u"", "", "", "[Event", "104:Carol|Dave|0-1 unlisted 1 at 0 lacking Site"},
        {"email_game.pgn", ReadCode::Ok, u"", kAlice + ";WhiteEmail=a@example.org;BlackEmail=b@example.org;LastMoveDate=03.14;LastMove=7;Trait=32", "", "[Event", "0:Alice|* Bob|03.14 230:* Carol|Dave|?" + kNone},
        {"correspondence_tags_without_white_email.pgn", ReadCode::Ok, u"", kW + ";BlackEmail=b@x.org;LastMove=3;Trait=32"},
        {"half_half_draw.pgn", ReadCode::UnknownToken, u"", kAlice, "", nullptr, "0:Alice|Bob|\xC2\xBD-\xC2\xBD" + kNone},
        {"half_half_draw_latin1.pgn", ReadCode::Ok, u"", kAlice, "", nullptr, "0:Alice|Bob|\xC2\xBD-\xC2\xBD" + kNone},
        {"latin1_names.pgn", ReadCode::Ok, u"", "White=R\xC3\xA9ti, Richard;Black=N\xC3\xBCss" + kHere, "", nullptr, "0:R\xC3\xA9ti, Richard|N\xC3\xBCss|?" + kNone},
        {"quote_in_tag.pgn", ReadCode::Ok, u"", "White=Smith \"Bob\" Jr;Black=C:\\games\\x" + kHere, "", nullptr, "0:Smith \"Bob\" Jr|C:\\games\\x|?" + kNone},
        {"zero_byte_in_tag.pgn", ReadCode::Ok, u"", "White=Al;Black=Bob" + kHere, "", nullptr, "0:Al|Bob|?" + kNone},
        {"tag_tab_and_no_blank.pgn", ReadCode::Ok, u"", kW + ";Annotator=X", "e4 "},
        {"extra_tags.pgn", ReadCode::Ok, u"", kAlice + ";ECO=B20;Annotator=Someone Else;Odd]=;SetUp=0"},
        {"long_tag_line.pgn", ReadCode::Ok, u"", "", "e4 ", "[Event", "0:* Alice|Bob|? 465:Carol|Bob|?" + kNone},
        {"game_without_white_tag.pgn", ReadCode::Ok, u"", "Event=Study;Site=x", "e4 ", "[Event \"Friendly\"]"},
        {"fen_before_setup.pgn", ReadCode::Ok, u"", kAlice + ";FEN=4k3/8/8/8/8/8/4P3/4K3 b - - 0 12", "Kd7 e4 "},
        {"fen_clock_and_number_300.pgn", ReadCode::Ok, u"", kW + ";FEN=4k3/8/8/8/8/8/8/4K3 b - - 12 300", "Kd7 "},
        {"setup_then_fen_with_tags_between.pgn", ReadCode::Ok, u"", kAlice + ";FEN=4k3/8/8/8/8/8/4P3/4K3 w - - 0 1;ECO=A00", "e4 "},
        {"junk_before_tags.pgn", ReadCode::Ok, u"", "", "e4 "},
        {"bom_after_cat_join.pgn", ReadCode::Ok, u"", kW, "e4 ", "\xEF\xBB\xBF[Event"},
        {"line_comment.pgn", ReadCode::Ok, u"", "", "e4 {a remark ) Zz} e5 "},
        {"semicolon_comment.pgn", ReadCode::Ok, u"", "", "d4 d5 {a note on d5} c4 "},
        {"escape_lines.pgn", ReadCode::Ok, u"", "", "e4 e5 "},
        {"stray_closing_paren.pgn", ReadCode::Ok, u"", "", "e4 e5 "},
        {"comment_over_two_lines.pgn", ReadCode::Ok, u"", "", "e4 {good move } e5 {} Nf3 {first second} "},
        {"comment_with_brackets.pgn", ReadCode::Ok, u"", "", "e4 {see (this) ; [Event \"not a tag\"] } e5 "},
        {"comment_line_starting_with_bracket.pgn", ReadCode::Ok, u"", "", "e4 {thinking [%clk 0:10:00] } e5 "},
        {"comment_unterminated_at_end.pgn", ReadCode::Ok, u"", "", "e4 e5 ", ""},
        {"comment_before_variation.pgn", ReadCode::Ok, u"", "", "e4 e5 {after e5} ( <{intro}> c5 {after c5} ) Nf3 {one two} "},
        {"utf8_long_comment.pgn", ReadCode::Ok},
        {"variation_nested_two.pgn", ReadCode::Ok, u"", "", "e4 ( d4 d5 ( Nf6 c4 ) ) e5 "},
        {"variation_repeats_main_move.pgn", ReadCode::Ok, u"", "", "e4 e5 ( e5 Nf3! $1 {idea} ) Nc3 "},
        {"result_in_variation.pgn", ReadCode::Ok, u"", "", "e4 ( d4 ) e5 "},
        {"nags.pgn", ReadCode::Ok, u"", "", "<$5> e4! $1 $14 e5!? $5 Nf3?? $4 $200 "},
        {"several_nags.pgn", ReadCode::Ok, u"", "", "e4! $1 $4 e5!? $5 $10 {x} "},
        {"game_without_result_then_next.pgn", ReadCode::Ok, u"", "", "e4 e5 ", "[Event"},
        {"result_then_blank_lines.pgn", ReadCode::Ok, u"", "", "e4 e5 ", "[Event"},
        // Blanks that start a comment go, an empty one adds nothing, the line decides the code page.
        {"[Event \"c\"]\n\n1. e4 { \t good move  } {} e5 {\xC3\xA9l\xC3\xA8ve}\n2. Nf3 {\xC3\xA9} {\xFF} *\n", ReadCode::Ok, u"", "", "e4 {good move  } e5 {\xC3\xA9l\xC3\xA8ve} Nf3 {\xC3\x83\xC2\xA9 \xC3\xBF} "}};
    // clang-format on
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.source);
        ScratchFolder folder;
        std::filesystem::path path = PgnData(c.source);
        if (!std::string_view(c.source).ends_with(".pgn")) {
            WriteFileBytes(path = folder.path / "inline.pgn", c.source);
        }
        GamesFile games(path);
        GameDocument document(&games), next(&games);
        const ReadResult result = LoadGame(document, 0, 7);
        EXPECT_EQ(result.code, c.code);
        EXPECT_TRUE(c.error.empty() || ReadErrorText(result) == c.error);
        EXPECT_TRUE(c.tags.empty() || TagsText(document).substr(9) == c.tags) << TagsText(document);
        EXPECT_TRUE(c.tree.empty() || TreeText(document.root) == c.tree) << TreeText(document.root);
        if (c.endsAt != nullptr) {  // the next game reads from there
            const std::string content = ReadWholeFile(path);
            const std::size_t end = *c.endsAt ? content.find(c.endsAt, 1) : content.size();
            EXPECT_EQ(document.fileEnd, end);
            EXPECT_EQ(LoadGame(next, end, 7).code, *c.endsAt ? ReadCode::Ok : ReadCode::Unexpected);
        }
        EXPECT_TRUE(c.index.empty() || IndexText(games) == c.index) << IndexText(games);
    }
}

TEST(ReadTable, DeepestAllowedNestingIsReadAndARefusedMoveIsReported) {
    GamesFile deep(PgnData("variations_nested_255.pgn")), refused(PgnData("illegal_move_ke3.pgn"));
    GameDocument game(&deep), other(&refused);
    ASSERT_EQ(LoadGame(game, 0, 7).code, ReadCode::Ok);
    std::string expected = "e4 e5 ";
    for (int i = 0; i < 255; ++i) {
        expected += "( c5 ) ";  // every level repeats 1...c5 from the same place
    }
    EXPECT_EQ(TreeText(game.root), expected + "Nf3 ");
    testing::internal::CaptureStderr();
    SetDebugSinkEnabled(true);
    EXPECT_EQ(LoadGame(other, 0, 7).code, ReadCode::IllegalMove);
    SetDebugSinkEnabled(false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Token refus\xC3\xA9 (2)\n");
    EXPECT_EQ(ReadErrorText(ReadResult(static_cast<ReadCode>(99))), u"Unexpected error");
}

// An entry keeps the list's tags; a finished game, or one not by e-mail, has no mark.
TEST(GamesIndex, EntriesKeepTheirTagsAndMarkOnlyRunningEmailGames) {
    GamesFile games(PgnData("email_game.pgn"));
    ASSERT_TRUE(games.Reload());
    EXPECT_EQ(TagsText(*games.lastEntry()),
              "Result=3;White=Carol;Black=Dave;Event=Friendly;Site=Here;Date=2024.01.02;Round=1;"
              "WhiteEmail=c@example.org;LastMove=2;Trait=0");
    GameListEntry entry;
    entry.SetWhiteEmail(u"a@example.org");
    entry.result = GameResult::WhiteWins;
    EXPECT_EQ(WhiteColumnText(entry) + LastColumnText(entry), u"White1-0");
    entry.result = GameResult::Unset;
    EXPECT_EQ(WhiteColumnText(entry) + LastColumnText(entry), u"White*");
}

// Entries come as soon as complete; each game read is told, and the reader may stop.
TEST(GamesIndex, EntriesComeAsTheyCompleteAndProgressCanStopTheRead) {
    const std::string content = ReadWholeFile(PgnData("two_games_blank_line.pgn"));
    BufferedFile file;
    ASSERT_EQ(file.Open(PgnData("two_games_blank_line.pgn")), 0);
    std::vector<std::uint64_t> handedOverAt;
    ScanGamesFile(file,
                  [&](std::unique_ptr<GameListEntry>) { handedOverAt.push_back(file.Tell()); });
    ASSERT_EQ(handedOverAt.size(), 2u);
    EXPECT_LE(handedOverAt[0], content.find("[Site", content.find("[Event", 1)));
    const auto real = PgnData("real/annotated-dortmund.pgn");
    std::size_t calls = 0;  // every game scanned, listed or not, one by one, else it stops
    const GamesIndex whole =
        ReadGamesIndex(real, [&](std::size_t games) { return games == ++calls; });
    EXPECT_TRUE(!whole.stopped && calls > 100u && whole.identity.has_value());
    EXPECT_EQ(whole.entryCount + whole.scan.unlistedGames, calls);
    const GamesIndex part = ReadGamesIndex(real, [](std::size_t games) { return games < 10; });
    EXPECT_TRUE(part.stopped && part.entryCount <= 10u && part.entryCount > 0u);
    EXPECT_EQ(ReadGamesIndex(PgnData("no_such_file.pgn")).openError, ENOENT);
}

}  // namespace
