// Two games files read, played in and written on two threads at once give what each
// gives alone: the reader, the rules and the writer keep no state between games.
// Run under ThreadSanitizer by the tsan preset.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>
#include <thread>

#include "game/game_document.h"
#include "pgn/file_output.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/games_file_update.h"
#include "tests/support/pgn_test_support.h"
#include "tests/support/pgn_write_support.h"
#include "platform/buffered_file.h"
#include "rules/move_node.h"
#include "rules/position.h"

namespace {

namespace fs = std::filesystem;

// The end of the game's main line.
Position& LastPosition(GameDocument& document) {
    Position* at = &document.root;
    while (at->firstMove) {
        at = at->firstMove->child.get();
    }
    return *at;
}

// Plays the first legal move, in square order, at the end of the main line; false
// when there is none (mate or stalemate).
bool PlayFirstLegalMove(GameDocument& document) {
    Position& last = LastPosition(document);
    for (int from = 0; from < 64; ++from) {
        for (int to = 0; to < 64; ++to) {
            if (last.IsLegal(from, to)) {
                return last.AddMove(from, to, nullptr, 0) != nullptr;
            }
        }
    }
    return false;
}

// What one thread does with one games file: reads every listed game, plays a move at
// the end of each and writes them all to `written`; then reads the first game again
// from there, plays one more move and saves it into its slot. The outcome is the
// bytes of `written` and what went wrong.
struct Outcome {
    std::string bytes;
    std::string failures;
};

Outcome PlayEveryGame(const fs::path& source, const fs::path& written) {
    Outcome outcome;
    GamesFile games(source);
    BufferedFile file;
    if (!games.Reload() || file.Open(source) != 0) {
        return {{}, "cannot read " + source.string()};
    }
    const int descriptor = ::open(written.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    FileOutput output(descriptor);
    for (const GameListEntry* entry = games.firstEntry(); entry; entry = entry->nextEntry.get()) {
        GameDocument document(&games);
        if (LoadGameFromFile(file, document, entry->fileOffset, 2) != ReadCode::Ok) {
            outcome.failures += "unread game at " + std::to_string(entry->fileOffset) + "\n";
            continue;
        }
        if (!PlayFirstLegalMove(document)) {
            outcome.failures += "no move after " + std::to_string(entry->fileOffset) + "\n";
        }
        WritePgnGame(document, output);
    }
    if (!output.Flush() || ::close(descriptor) != 0) {
        outcome.failures += "cannot write " + written.string() + "\n";
    }

    GamesFile writtenGames(written);
    GameDocument first(&writtenGames);
    if (!writtenGames.Reload() || writtenGames.firstEntry() == nullptr ||
        LoadGameForUpdate(first, writtenGames.firstEntry()->fileOffset, 2) != ReadCode::Ok ||
        !PlayFirstLegalMove(first) || SaveGame(first) != SaveResult::Ok) {
        outcome.failures += "cannot save the first game again\n";
    }
    outcome.bytes = ReadFileBytes(written);
    return outcome;
}

}  // namespace

TEST(ParallelGames, TwoFilesOnTwoThreadsGiveWhatEachGivesAlone) {
    const std::array<fs::path, 2> sources = {PgnData("real/annotated-dortmund.pgn"),
                                             PgnData("real/master-kasparov-first-300k.pgn")};
    ScratchFolder folder;
    std::array<Outcome, 2> together;
    {
        std::jthread other(
            [&] { together[1] = PlayEveryGame(sources[1], folder.path() / "together1"); });
        together[0] = PlayEveryGame(sources[0], folder.path() / "together0");
    }
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const Outcome alone =
            PlayEveryGame(sources[i], folder.path() / ("alone" + std::to_string(i)));
        EXPECT_EQ(together[i].failures, "") << sources[i];
        EXPECT_EQ(alone.failures, "") << sources[i];
        EXPECT_GT(together[i].bytes.size(), fs::file_size(sources[i]) / 2) << sources[i];
        EXPECT_TRUE(together[i].bytes == alone.bytes) << sources[i];
    }
}
