// Two files read and written on two threads give what each gives alone (run under tsan too).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <thread>

#include "pgn/file_output.h"
#include "pgn/games_file_update.h"
#include "platform/buffered_file.h"
#include "tests/support/pgn_test_support.h"

namespace {

namespace fs = std::filesystem;

// Copies every game, commented, then saves the first copy again; gives the copy and failures.
std::string CopyEveryGame(const fs::path& source, const fs::path& written) {
    std::string failures;
    GamesFile games(source), writtenGames(written);
    BufferedFile file;
    if (!games.Reload() || file.Open(source) != 0) {
        return "cannot read " + source.string();
    }
    const int descriptor = ::open(written.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    FileOutput output(descriptor);
    for (const GameListEntry* entry = games.firstEntry(); entry; entry = entry->nextEntry.get()) {
        GameDocument document(&games);
        if (LoadGameFromFile(file, document, entry->fileOffset, 2) != ReadCode::Ok) {
            failures += "game at " + std::to_string(entry->fileOffset) + "\n";
        }
        document.root.SetComment(u"copied from " + Number(static_cast<int>(entry->fileOffset)));
        WritePgnGame(document, output);
    }
    if (!output.Flush() || ::close(descriptor) != 0) {
        failures += "cannot write " + written.string() + "\n";
    }
    GameDocument first(&writtenGames);
    if (!writtenGames.Reload() || writtenGames.firstEntry() == nullptr ||
        LoadGameForUpdate(first, writtenGames.firstEntry()->fileOffset, 2) != ReadCode::Ok ||
        (first.SetWhite(u"Saved"), SaveGame(first)) != SaveResult::Ok) {
        failures += "cannot save the first game again\n";
    }
    return ReadWholeFile(written) + failures;
}

}  // namespace

TEST(ParallelGames, TwoFilesOnTwoThreadsGiveWhatEachGivesAlone) {
    const std::array<fs::path, 2> sources = {PgnData("real/annotated-dortmund.pgn"),
                                             PgnData("real/master-kasparov-first-300k.pgn")};
    ScratchFolder folder;
    std::array<std::string, 2> together;
    {
        std::jthread other(
            [&] { together[1] = CopyEveryGame(sources[1], folder.path / "together1"); });
        together[0] = CopyEveryGame(sources[0], folder.path / "together0");
    }
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string alone =
            CopyEveryGame(sources[i], folder.path / ("alone" + std::to_string(i)));
        EXPECT_GT(together[i].size(), fs::file_size(sources[i]) / 2) << sources[i];
        EXPECT_TRUE(together[i] == alone) << sources[i];
        EXPECT_TRUE(alone.ends_with("\r\n\r\n")) << alone.substr(alone.rfind("\r\n\r\n"));
    }
}
