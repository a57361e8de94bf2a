// The real PGN collections: every game the index lists loads, and so do the study
// games that it does not list, read from their own offsets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pgn_test_support.h"

namespace {

const std::filesystem::path kShared(KORVANI_TEST_DATA_DIR "/pgn/real");

std::vector<std::filesystem::path> SharedFiles(std::string_view prefix) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kShared)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix) && name.ends_with(".pgn")) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(RealGames, EveryIndexedGameLoads) {
    std::size_t total = 0;
    for (const auto& path : SharedFiles("")) {
        GamesFile games(path);
        ASSERT_TRUE(games.Reload()) << path;
        for (const GameListEntry* entry = games.firstEntry(); entry;
             entry = entry->nextEntry.get()) {
            GameDocument document(&games);
            const int code = LoadGame(document, entry->fileOffset, 0);
            // The one game with a null move (Z0) is refused at that token.
            const int expected =
                path.filename() == "pc-anastasian-lewis.pgn" ? kReadUnknownToken : kReadOk;
            EXPECT_EQ(code, expected)
                << path << " at " << entry->fileOffset << ": "
                << std::string(ReadErrorText(code).begin(), ReadErrorText(code).end());
            ++total;
        }
    }
    // The Kasparov (first 485) and Dortmund collections alone hold 832 games.
    EXPECT_GE(total, 832u);
}

TEST(RealGames, StudyGamesLoadFromTheirOwnOffsets) {
    std::size_t total = 0;
    for (const auto& path : SharedFiles("study-")) {
        const std::string content = ReadWholeFile(path);
        GamesFile games(path);
        for (std::size_t at = content.find("[Event "); at != std::string::npos;
             at = content.find("\n[Event ", at + 1)) {
            const std::size_t offset = content[at] == '\n' ? at + 1 : at;
            GameDocument document(&games);
            const int code = LoadGame(document, offset, 0);
            EXPECT_EQ(code, kReadOk) << path << " at " << offset;
            EXPECT_TRUE(document.event.has_value());
            // The game ends at the start of the next game's first tag line (not always
            // its Event tag), or at the end of the file.
            const std::size_t next = content.find("\n[Event ", offset);
            const std::size_t end = document.fileEnd;
            EXPECT_LE(end, next == std::string::npos ? content.size() : next + 1);
            EXPECT_TRUE(end == content.size() || (content[end] == '[' && content[end - 1] == '\n'))
                << path << " at " << offset;
            ++total;
        }
    }
    EXPECT_EQ(total, 209u);
}

}  // namespace
