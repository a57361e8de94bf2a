// The games index and the games list's columns: which games are listed, with which
// tags and offsets, what is left out, and Reload's error box.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "pgn/game_list_columns.h"
#include "pgn/games_file_scan.h"
#include "pgn/games_index.h"
#include "platform/buffered_file.h"
#include "tests/support/pgn_test_support.h"

namespace {

// The listed games as the games list shows them, "offset:white|black|last" each, ' '
// between, then what the scan left out.
std::string IndexText(GamesFile& games) {
    ErrorBoxRecorder boxes;
    EXPECT_TRUE(games.Reload());
    EXPECT_TRUE(boxes.boxes.empty());
    std::string out;
    std::size_t count = 0;
    for (const GameListEntry* e = games.firstEntry(); e; e = e->nextEntry.get(), ++count) {
        out += std::to_string(e->fileOffset) + ":" + EncodeUtf8(WhiteColumnText(*e)) + "|" +
               EncodeUtf8(BlackColumnText(*e)) + "|" + EncodeUtf8(LastColumnText(*e)) + " ";
        EXPECT_EQ(e->nextEntry == nullptr, e == games.lastEntry());
    }
    EXPECT_EQ(count, games.entryCount());
    const ScanSummary& scan = games.lastScan();
    return out + "unlisted " + std::to_string(scan.unlistedGames) + " at " +
           std::to_string(scan.firstUnlistedOffset) + " lacking " +
           RosterTagNames(scan.missingTags);
}

TEST(GamesIndex, ListsTheGamesWithTheirTagsAndOffsets) {
    const std::pair<const char*, const char*> cases[] = {
        {"empty.pgn", "unlisted 0 at 0 lacking "},
        {"two_games_blank_line.pgn", "0:Alice|Bob|1-0 122:Carol|Dave|0-1 unlisted 0 at 0 lacking "},
        {"starts_with_crlf_game.pgn", "2:Alice|Bob|1-0 unlisted 0 at 0 lacking "},
        // A game without its whole roster is counted, not merged into the next one.
        {"missing_site_then_complete.pgn", "104:Carol|Dave|0-1 unlisted 1 at 0 lacking Site"},
        {"half_half_draw.pgn", "0:Alice|Bob|\xC2\xBD-\xC2\xBD unlisted 0 at 0 lacking "},
        {"half_half_draw_latin1.pgn", "0:Alice|Bob|\xC2\xBD-\xC2\xBD unlisted 0 at 0 lacking "},
        {"tags_only_at_end.pgn", "unlisted 0 at 0 lacking "},
        {"latin1_names.pgn", "0:R\xC3\xA9ti, Richard|N\xC3\xBCss|? unlisted 0 at 0 lacking "},
        {"quote_in_tag.pgn", "0:Smith \"Bob\" Jr|C:\\games\\x|? unlisted 0 at 0 lacking "},
        {"zero_byte_in_tag.pgn", "0:Al|Bob|? unlisted 0 at 0 lacking "},
        // The side to move of a running e-mail game is marked.
        {"email_game.pgn", "0:Alice|* Bob|03.14 230:* Carol|Dave|? unlisted 0 at 0 lacking "},
        // The pieces of a tag line longer than one read belong to that line.
        {"long_tag_line.pgn", "0:* Alice|Bob|? 465:Carol|Bob|? unlisted 0 at 0 lacking "},
    };
    for (const auto& [name, expected] : cases) {
        GamesFile games(PgnData(name));
        EXPECT_EQ(IndexText(games), expected) << name;
    }
    GamesFile email(PgnData("email_game.pgn"));
    ASSERT_TRUE(email.Reload());
    EXPECT_EQ(
        TagsText(*email.firstEntry()),
        "Result=3;White=Alice;Black=Bob;Event=Friendly;Site=Here;Date=2024.01.02;Round=1;"
        "WhiteEmail=a@example.org;BlackEmail=b@example.org;LastMoveDate=03.14;LastMove=7;Trait=32");
    EXPECT_EQ(TagsText(*email.lastEntry()),
              "Result=3;White=Carol;Black=Dave;Event=Friendly;Site=Here;Date=2024.01.02;Round=1;"
              "WhiteEmail=c@example.org;LastMove=2;Trait=0");
    GamesFile longTag(PgnData("long_tag_line.pgn"));
    ASSERT_TRUE(longTag.Reload());
    EXPECT_EQ(longTag.firstEntry()->whiteEmail, u"late@example.org");
}

TEST(GamesIndex, ReloadReplacesTheIndexOrTellsWhyItCannot) {
    GamesFile games(PgnData("two_games_blank_line.pgn"));
    ASSERT_TRUE(games.Reload());
    ASSERT_TRUE(games.Reload());
    EXPECT_EQ(games.entryCount(), 2u);
    GamesFile missing(PgnData("no_such_file.pgn"));
    ErrorBoxRecorder boxes;
    EXPECT_FALSE(missing.Reload());
    EXPECT_EQ(missing.firstEntry(), nullptr);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, u"Unable to open file");
    EXPECT_EQ(boxes.boxes[0].text, SystemErrorText(ENOENT));
    EXPECT_EQ(boxes.boxes[0].icon, ErrorBox::Icon::Error);
    // Columns of a finished game, or one not played by e-mail, have no mark.
    GameListEntry entry;
    entry.SetWhiteEmail(u"a@example.org");
    entry.result = GameResult::WhiteWins;
    EXPECT_EQ(WhiteColumnText(entry) + LastColumnText(entry), u"White1-0");
    entry.result = GameResult::Unset;
    EXPECT_EQ(WhiteColumnText(entry) + LastColumnText(entry), u"White*");
}

// Each entry is handed over as soon as it is complete: the first when the second
// game's first tag line is read.
TEST(GamesIndex, EntriesComeAsTheyCompleteAndProgressCanStopTheRead) {
    const auto path = PgnData("two_games_blank_line.pgn");
    const std::string content = ReadWholeFile(path);
    BufferedFile file;
    ASSERT_EQ(file.Open(path), 0);
    std::vector<std::uint64_t> handedOverAt;
    ScanGamesFile(file,
                  [&](std::unique_ptr<GameListEntry>) { handedOverAt.push_back(file.Tell()); });
    ASSERT_EQ(handedOverAt.size(), 2u);
    EXPECT_LE(handedOverAt[0], content.find("[Site", content.find("[Event", 1)));

    const auto real = PgnData("real/annotated-dortmund.pgn");
    std::vector<std::size_t> counts;
    const GamesIndex whole = ReadGamesIndex(real, [&](std::size_t games) {
        counts.push_back(games);
        return true;
    });
    ASSERT_GT(counts.size(), 100u);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        ASSERT_EQ(counts[i], i + 1);  // every game scanned, listed or not, one by one
    }
    EXPECT_FALSE(whole.stopped);
    EXPECT_EQ(whole.entryCount + whole.scan.unlistedGames, counts.size());
    EXPECT_TRUE(whole.identity.has_value());
    const GamesIndex part = ReadGamesIndex(real, [](std::size_t games) { return games < 10; });
    EXPECT_TRUE(part.stopped);
    EXPECT_LE(part.entryCount, 10u);
    EXPECT_GT(part.entryCount, 0u);
    EXPECT_EQ(ReadGamesIndex(PgnData("no_such_file.pgn")).openError, ENOENT);
}

}  // namespace
