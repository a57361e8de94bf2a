#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "game/game_document.h"
#include "pgn/games_file.h"
#include "pgn/games_file_update.h"
#include "pgn_write_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kKills = 50;

// The game of the middle slot in one of its two versions: a short one and a long
// one with a comment on every move, so that a save changes the file's length.
std::unique_ptr<GameDocument> SlotGame(GamesFile* file, int version) {
    auto document = std::make_unique<GameDocument>(file);
    document->SetEvent(u"Crash");
    document->SetSite(u"Disk");
    document->SetDate(u"2024.01.01");
    document->SetRound(u"1");
    document->SetWhite(u"Middle");
    document->SetBlack(u"Game");
    document->SetResultCode(3);
    static constexpr std::u16string_view kCycle[] = {u"Nf3", u"Nf6", u"Ng1", u"Ng8"};
    Position* at = &document->root;
    const int moves = version == 1 ? 6 : 300;
    for (int i = 0; i < moves && at != nullptr; ++i) {
        at = ParseSan(*at, kCycle[i % 4]);
        if (at != nullptr && version == 2) {
            at->SetComment(u"version two, move " + std::u16string(1, u'a' + i % 26));
        }
    }
    return document;
}

std::string OtherGames(std::u16string_view name, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        GameDocument document(nullptr);
        document.SetWhite(name);
        document.SetResultCode(i % 4);
        PlayLine(document.root, {u"e4", u"e5", u"Nf3", u"Nc6", u"Bb5", u"a6"});
        text += GameText(document);
    }
    return text;
}

// Saves the two versions of the middle game in turn, for ever; tells the parent
// through `ready` when the first save begins. Exits with 3 when a save fails.
[[noreturn]] void SaveForEver(const fs::path& path, std::uint64_t slotStart, std::uint64_t slotEnd,
                              int current, int ready) {
    GamesFile games(path);
    std::unique_ptr<GameDocument> versions[2] = {SlotGame(&games, 1), SlotGame(&games, 2)};
    const char byte = 1;
    if (::write(ready, &byte, 1) != 1) {
        ::_exit(4);
    }
    for (;;) {
        current = 3 - current;
        GameDocument& document = *versions[current - 1];
        document.fileOffset = slotStart;
        document.fileEnd = slotEnd;
        document.saveMode = 3;
        if (SaveGame(document) != kSaveOk) {
            ::_exit(3);
        }
        slotEnd = document.fileEnd;
    }
}

TEST(SaveGameCrashSafety, KilledSavesLeaveTheOldOrTheNewFileWhole) {
    ScratchFolder folder;
    const fs::path path = folder.path() / "Korvani.pgn";
    fs::path backup = path;
    backup += ".bak";
    const std::string head = OtherGames(u"Before", 400);
    const std::string tail = OtherGames(u"After", 400);
    const std::string version[3] = {"", GameText(*SlotGame(nullptr, 1)),
                                    GameText(*SlotGame(nullptr, 2))};
    WriteFileBytes(path, head + version[1] + tail);

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMicroseconds(0, 20000);
    int killedMidSave = 0;
    int seen[3] = {0, 0, 0};
    for (int kill = 0; kill < kKills; ++kill) {
        const std::string content = ReadFileBytes(path);
        int current = 0;
        for (int v = 1; v <= 2; ++v) {
            if (content == head + version[v] + tail) {
                current = v;
            }
        }
        ASSERT_NE(current, 0) << "after kill " << kill << " (seed " << seed
                              << ") the file is neither version, " << content.size() << " bytes";
        ++seen[current];
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            SaveForEver(path, head.size(), head.size() + version[current].size(), current,
                        ready[1]);
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status))
            << "the saving child stopped by itself, status " << WEXITSTATUS(status);
        struct stat leftover {};
        killedMidSave += ::lstat(backup.c_str(), &leftover) == 0 ? 1 : 0;
    }
    const std::string content = ReadFileBytes(path);
    EXPECT_TRUE(content == head + version[1] + tail || content == head + version[2] + tail);
    // A kill lands between the backup's creation and its rename nearly every time;
    // without a single one the test would have shown nothing.
    EXPECT_GT(killedMidSave, 0) << "seed " << seed;
    std::cout << "kills " << kKills << ", during a save " << killedMidSave << ", old/new found "
              << seen[1] << "/" << seen[2] << "\n";

    // The next save clears the leftover backup.
    GamesFile games(path);
    auto document = SlotGame(&games, 1);
    document->fileOffset = head.size();
    document->fileEnd = content.size() - tail.size();
    document->saveMode = 3;
    ASSERT_EQ(SaveGame(*document), kSaveOk);
    EXPECT_EQ(ReadFileBytes(path), head + version[1] + tail);
    EXPECT_FALSE(fs::exists(backup));
}

}  // namespace
