// The games index: which games are listed, with which tags and offsets, and Reload's
// error box.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "pgn/game_list_columns.h"
#include "pgn/games_file.h"
#include "pgn/games_file_scan.h"
#include "pgn/games_file_update.h"
#include "pgn/games_index.h"
#include "tests/support/pgn_test_support.h"
#include "tests/support/pgn_write_support.h"
#include "platform/buffered_file.h"
#include "platform/error_report.h"
#include "rules/move_node.h"

namespace {

std::vector<const GameListEntry*> Entries(const GamesFile& games) {
    std::vector<const GameListEntry*> entries;
    for (const GameListEntry* entry = games.firstEntry(); entry; entry = entry->nextEntry.get()) {
        entries.push_back(entry);
    }
    return entries;
}

TEST(Reload, EmptyFileGivesAnEmptyIndex) {
    GamesFile games(PgnData("empty.pgn"));
    ErrorBoxRecorder boxes;
    EXPECT_TRUE(games.Reload());
    EXPECT_EQ(games.firstEntry(), nullptr);
    EXPECT_EQ(games.lastEntry(), nullptr);
    EXPECT_EQ(games.entryCount(), 0u);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(Reload, MissingFileShowsTheErrorBoxAndEmptiesTheIndex) {
    GamesFile games(PgnData("two_games_blank_line.pgn"));
    ASSERT_TRUE(games.Reload());
    ASSERT_EQ(games.entryCount(), 2u);
    GamesFile missing(PgnData("no_such_file.pgn"));
    ErrorBoxRecorder boxes;
    EXPECT_FALSE(missing.Reload());
    EXPECT_EQ(missing.firstEntry(), nullptr);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, u"Unable to open file");
    EXPECT_EQ(boxes.boxes[0].text, SystemErrorText(ENOENT));
    EXPECT_EQ(boxes.boxes[0].icon, ErrorBox::Icon::Error);
}

TEST(Reload, ReplacesThePreviousIndex) {
    GamesFile games(PgnData("two_games_blank_line.pgn"));
    ASSERT_TRUE(games.Reload());
    ASSERT_TRUE(games.Reload());
    EXPECT_EQ(Entries(games).size(), 2u);
}

TEST(Index, TwoGamesSeparatedByABlankLine) {
    const auto path = PgnData("two_games_blank_line.pgn");
    GamesFile games(path);
    ASSERT_TRUE(games.Reload());
    const auto entries = Entries(games);
    ASSERT_EQ(entries.size(), 2u);
    const std::string content = ReadWholeFile(path);
    EXPECT_EQ(entries[0]->fileOffset, 0u);
    EXPECT_EQ(entries[1]->fileOffset, content.find("[Event", 1));
    EXPECT_EQ(entries[0]->white, u"Alice");
    EXPECT_EQ(entries[0]->result, GameResult::WhiteWins);
    EXPECT_EQ(entries[1]->white, u"Carol");
    EXPECT_EQ(entries[1]->black, u"Dave");
    EXPECT_EQ(entries[1]->result, GameResult::BlackWins);
    EXPECT_EQ(entries[1]->fileEnd, 0u);
    EXPECT_EQ(games.lastEntry(), entries[1]);
}

TEST(Index, FileStartingWithCrLf) {
    GamesFile games(PgnData("starts_with_crlf_game.pgn"));
    ASSERT_TRUE(games.Reload());
    const auto entries = Entries(games);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->fileOffset, 2u);
}

// A game without its whole roster is not listed, but it is a game of its own: it is
// counted, and the next game keeps its own tags and offset.
TEST(Index, IncompleteRosterIsCountedNotMerged) {
    const auto path = PgnData("missing_site_then_complete.pgn");
    GamesFile games(path);
    ASSERT_TRUE(games.Reload());
    const auto entries = Entries(games);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->fileOffset, ReadWholeFile(path).find("[Event", 1));
    EXPECT_EQ(entries[0]->white, u"Carol");
    EXPECT_EQ(entries[0]->result, GameResult::BlackWins);
    EXPECT_EQ(games.lastScan().unlistedGames, 1u);
    EXPECT_EQ(games.lastScan().firstUnlistedOffset, 0u);
    EXPECT_EQ(RosterTagNames(games.lastScan().missingTags), "Site");
}

// Games that the list does not show stand before, between and after the listed ones;
// saving either listed game, as the games list does, keeps their text byte for byte.
TEST(Index, SavingAListedGameKeepsTheUnlistedOnes) {
    const std::string roster =
        "[Site \"S\"]\r\n[Date \"2024.01.01\"]\r\n[Round \"1\"]\r\n[White \"W\"]\r\n"
        "[Black \"B\"]\r\n[Result \"*\"]\r\n\r\n";
    const std::string unlisted[] = {
        "[Event \"Study one\"]\r\n\r\n1. f4 { a [%clk 0:01:00]\r\n[note] } e5 *\r\n\r\n",
        "[Event \"Study two\"]\r\n[FEN \"8/8/8/4k3/8/8/4P3/4K3 w - - 0 1\"]\r\n"
        "[SetUp \"1\"]\r\n\r\n1. e4 Kd6 *\r\n\r\n",
        "[Event \"Study three\"]\r\n\r\n1. c4 ; note [not a tag\r\n*\r\n"};
    const std::string listed = "[Event \"Listed\"]\r\n" + roster + "1. d4 *\r\n\r\n";
    const std::string original = unlisted[0] + listed + unlisted[1] + listed + unlisted[2];
    ScratchFolder folder;
    const std::filesystem::path path = folder.path() / "Korvani.pgn";
    for (std::size_t saved = 0; saved < 2; ++saved) {
        WriteFileBytes(path, original);
        GamesFile games(path);
        ASSERT_TRUE(games.Reload());
        ASSERT_EQ(games.entryCount(), 2u);
        EXPECT_EQ(games.lastScan().unlistedGames, 3u);
        const GameListEntry* entry = games.firstEntry();
        if (saved == 1) {
            entry = entry->nextEntry.get();
        }
        GameDocument document(&games);
        ASSERT_EQ(LoadGame(document, entry->fileOffset, 2), ReadCode::Ok);
        ASSERT_NE(ParseSan(*document.root.firstMove->child, u"d5"), nullptr);
        ASSERT_EQ(SaveGame(document), SaveResult::Ok);
        const std::string after = ReadFileBytes(path);
        for (const std::string& text : unlisted) {
            EXPECT_NE(after.find(text), std::string::npos) << saved << "\n" << after;
        }
        EXPECT_NE(after.find("1. d4 d5 *"), std::string::npos) << after;
        EXPECT_NE(after.find("1. d4 *"), std::string::npos) << after;
    }
}

TEST(Index, HalfHalfIsADraw) {
    for (const char* file : {"half_half_draw.pgn", "half_half_draw_latin1.pgn"}) {
        GamesFile games(PgnData(file));
        ASSERT_TRUE(games.Reload());
        ASSERT_EQ(games.entryCount(), 1u) << file;
        EXPECT_EQ(games.firstEntry()->result, GameResult::Draw) << file;
        EXPECT_EQ(LastColumnText(*games.firstEntry()), u"\u00BD-\u00BD");
    }
}

TEST(Index, TagsWithoutMoveTextAtTheEndAreNotListed) {
    GamesFile games(PgnData("tags_only_at_end.pgn"));
    ASSERT_TRUE(games.Reload());
    EXPECT_EQ(games.entryCount(), 0u);
}

TEST(Index, ValuesAreDecodedAndUnescaped) {
    GamesFile latin(PgnData("latin1_names.pgn"));
    ASSERT_TRUE(latin.Reload());
    ASSERT_EQ(latin.entryCount(), 1u);
    EXPECT_EQ(latin.firstEntry()->white, u"R\u00E9ti, Richard");
    GamesFile quoted(PgnData("quote_in_tag.pgn"));
    ASSERT_TRUE(quoted.Reload());
    ASSERT_EQ(quoted.entryCount(), 1u);
    EXPECT_EQ(quoted.firstEntry()->white, u"Smith \"Bob\" Jr");
    EXPECT_EQ(quoted.firstEntry()->black, u"C:\\games\\x");
}

// A zero byte ends the line's text for the index as for the reader.
TEST(Index, ZeroByteEndsATagValue) {
    GamesFile games(PgnData("zero_byte_in_tag.pgn"));
    ASSERT_TRUE(games.Reload());
    ASSERT_EQ(games.entryCount(), 1u);
    EXPECT_EQ(games.firstEntry()->white, u"Al");
    const LoadedGame game(PgnData("zero_byte_in_tag.pgn"));
    ASSERT_EQ(game.result.code, ReadCode::Ok);
    EXPECT_EQ(game.document.white, u"Al");
}

TEST(Index, CorrespondenceTags) {
    GamesFile games(PgnData("email_game.pgn"));
    ASSERT_TRUE(games.Reload());
    const auto entries = Entries(games);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]->whiteEmail, u"a@example.org");
    EXPECT_EQ(entries[0]->blackEmail, u"b@example.org");
    EXPECT_EQ(entries[0]->lastMoveDate, u"03.14");
    EXPECT_EQ(entries[0]->lastMove, 7);
    EXPECT_EQ(entries[0]->trait, 32);
    EXPECT_EQ(entries[1]->trait, 0);
    EXPECT_EQ(entries[1]->lastMove, 2);
}

// The pieces of a tag line longer than one read belong to that line: the tags after
// it are still the same game's.
TEST(Index, LongTagLineStaysOneLine) {
    const auto path = PgnData("long_tag_line.pgn");
    GamesFile games(path);
    ASSERT_TRUE(games.Reload());
    const auto entries = Entries(games);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]->fileOffset, 0u);
    EXPECT_EQ(entries[0]->whiteEmail, u"late@example.org");
    EXPECT_EQ(entries[1]->fileOffset, ReadWholeFile(path).find("[Event", 1));
    EXPECT_EQ(entries[1]->white, u"Carol");
}

TEST(Index, ConsumerGetsEachEntryAsItCompletes) {
    const auto path = PgnData("two_games_blank_line.pgn");
    BufferedFile file;
    ASSERT_EQ(file.Open(path), 0);
    std::vector<std::u16string> whites;
    std::vector<std::uint64_t> handedOverAt;
    ScanGamesFile(file, [&](std::unique_ptr<GameListEntry> entry) {
        whites.push_back(*entry->white);
        handedOverAt.push_back(file.Tell());
    });
    EXPECT_EQ(whites, (std::vector<std::u16string>{u"Alice", u"Carol"}));
    // The first game is handed over when the second game's first tag line is read.
    ASSERT_EQ(handedOverAt.size(), 2u);
    const std::string content = ReadWholeFile(path);
    EXPECT_LE(handedOverAt[0], content.find("[Site", content.find("[Event", 1)));
}

TEST(ReadGamesIndex, TellsEachGameReadAndStopsWhenAsked) {
    const auto path = PgnData("real/annotated-dortmund.pgn");
    std::vector<std::size_t> counts;
    const GamesIndex whole = ReadGamesIndex(path, [&](std::size_t games) {
        counts.push_back(games);
        return true;
    });
    // Every game scanned is counted, listed or not, one by one from 1.
    ASSERT_GT(counts.size(), 100u);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        ASSERT_EQ(counts[i], i + 1);
    }
    EXPECT_FALSE(whole.stopped);
    EXPECT_EQ(whole.entryCount + whole.scan.unlistedGames, counts.size());
    EXPECT_TRUE(whole.identity.has_value());

    const GamesIndex part = ReadGamesIndex(path, [](std::size_t games) { return games < 10; });
    EXPECT_TRUE(part.stopped);
    EXPECT_LE(part.entryCount, 10u);
    EXPECT_GT(part.entryCount, 0u);

    const GamesIndex missing = ReadGamesIndex(PgnData("no_such_file.pgn"));
    EXPECT_EQ(missing.openError, ENOENT);
    EXPECT_EQ(missing.firstEntry, nullptr);
}

TEST(Append, LinksAfterTheLastEntry) {
    GamesFile games(PgnData("two_games_blank_line.pgn"));
    auto first = std::make_unique<GameListEntry>();
    GameListEntry* firstRaw = first.get();
    games.Append(std::move(first));
    EXPECT_EQ(games.firstEntry(), firstRaw);
    EXPECT_EQ(games.lastEntry(), firstRaw);
    auto second = std::make_unique<GameListEntry>();
    GameListEntry* secondRaw = second.get();
    games.Append(std::move(second));
    EXPECT_EQ(games.firstEntry()->nextEntry.get(), secondRaw);
    EXPECT_EQ(games.lastEntry(), secondRaw);
    EXPECT_EQ(games.entryCount(), 2u);
}

TEST(Columns, MarkTheSideToMoveInRunningEmailGames) {
    GamesFile games(PgnData("email_game.pgn"));
    ASSERT_TRUE(games.Reload());
    const auto entries = Entries(games);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(WhiteColumnText(*entries[0]), u"Alice");
    EXPECT_EQ(BlackColumnText(*entries[0]), u"* Bob");
    EXPECT_EQ(LastColumnText(*entries[0]), u"03.14");
    EXPECT_EQ(WhiteColumnText(*entries[1]), u"* Carol");
    EXPECT_EQ(BlackColumnText(*entries[1]), u"Dave");
    EXPECT_EQ(LastColumnText(*entries[1]), u"?");
}

TEST(Columns, FinishedOrOrdinaryGamesShowNoMark) {
    GameListEntry entry;
    entry.SetWhiteEmail(u"a@example.org");
    entry.result = GameResult::WhiteWins;
    EXPECT_EQ(WhiteColumnText(entry), u"White");
    EXPECT_EQ(LastColumnText(entry), u"1-0");
    entry.result = GameResult::Other;
    entry.SetWhiteEmail(std::nullopt);
    EXPECT_EQ(WhiteColumnText(entry), u"White");
    entry.result = GameResult::Unset;
    EXPECT_EQ(LastColumnText(entry), u"*");
}

}  // namespace
