#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "game/game_document.h"
#include "pgn/games_file.h"
#include "pgn/games_file_update.h"
#include "pgn/save_files.h"
#include "tests/support/pgn_write_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kKills = 220;

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

// Saves the two versions of the middle game in turn, for ever, as the program does:
// the index read first, each save finding the slot the previous one wrote. Tells the
// parent through `ready` when the first save begins. Exits with 3 when a save fails.
[[noreturn]] void SaveForEver(const fs::path& path, std::uint64_t slotStart,
                              const std::string& slotText, int current, int ready) {
    GamesFile games(path);
    if (!games.Reload()) {
        ::_exit(4);
    }
    std::unique_ptr<GameDocument> versions[2] = {SlotGame(&games, 1), SlotGame(&games, 2)};
    std::string inFile = slotText;
    const char byte = 1;
    if (::write(ready, &byte, 1) != 1) {
        ::_exit(4);
    }
    for (;;) {
        current = 3 - current;
        GameDocument& document = *versions[current - 1];
        document.fileOffset = slotStart;
        document.fileEnd = slotStart + inFile.size();
        document.slotText = inFile;
        document.saveMode = 3;
        if (SaveGame(document) != SaveResult::Ok) {
            ::_exit(3);
        }
        inFile = document.slotText;
    }
}

// How long one save of the middle game takes here, so that the kills can be spread
// over whole saves on a fast machine and a slow (sanitized) build alike.
std::chrono::microseconds TimeOfOneSave(const std::string& head, const std::string& tail) {
    ScratchFolder folder;
    const fs::path path = folder.path() / "Korvani.pgn";
    const std::string first = GameText(*SlotGame(nullptr, 1));
    WriteFileBytes(path, head + first + tail);
    GamesFile games(path);
    auto document = SlotGame(&games, 2);
    document->fileOffset = head.size();
    document->fileEnd = head.size() + first.size();
    document->slotText = first;
    document->saveMode = 3;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SaveGame(*document), SaveResult::Ok);
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

// The names in the folder other than the games file and the user's own files, split
// into the save's temporaries and anything else.
struct Leftovers {
    int temporaries = 0;
    std::vector<std::string> others;
};

Leftovers LeftoversIn(const fs::path& folder, const std::vector<std::string>& expected) {
    Leftovers leftovers;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) != expected.end()) {
            continue;
        }
        if (IsSaveTemporaryName(name, "Korvani.pgn")) {
            ++leftovers.temporaries;
        } else {
            leftovers.others.push_back(name);
        }
    }
    return leftovers;
}

// A save killed at any moment leaves the games file old or new, whole, and nothing a
// user could take for a backup; the temporaries it may leave go at the next start.
TEST(SaveGameCrashSafety, KilledSavesLeaveTheOldOrTheNewFileWhole) {
    ScratchFolder folder;
    const fs::path path = folder.path() / "Korvani.pgn";
    // The user's own files beside the games file, which no save may touch.
    const std::vector<std::string> users = {"Korvani.pgn", "Korvani.pgn.bak",
                                            ".Korvani.pgn.12345.tmp", ".Korvani.pgn.ABCDEF.tmp~"};
    for (std::size_t i = 1; i < users.size(); ++i) {
        WriteFileBytes(folder.path() / users[i], "kept " + users[i]);
    }
    const std::string head = OtherGames(u"Before", 400);
    const std::string tail = OtherGames(u"After", 400);
    const std::string version[3] = {"", GameText(*SlotGame(nullptr, 1)),
                                    GameText(*SlotGame(nullptr, 2))};
    WriteFileBytes(path, head + version[1] + tail);

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    // Kills from the start of the first save to the middle of the second.
    const auto saveTime = TimeOfOneSave(head, tail);
    std::uniform_int_distribution<long> delayMicroseconds(0, saveTime.count() * 3 / 2);
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
        const Leftovers leftovers = LeftoversIn(folder.path(), users);
        ASSERT_TRUE(leftovers.others.empty())
            << "after kill " << kill << ": " << leftovers.others.front();
        ASSERT_EQ(ReadFileBytes(folder.path() / users[1]), "kept " + users[1])
            << "after kill " << kill;
        killedMidSave += leftovers.temporaries > 0 ? 1 : 0;
        ++seen[current];
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            SaveForEver(path, head.size(), version[current], current, ready[1]);
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
    }
    // Kills land inside a save nearly every time; without one the test showed nothing.
    EXPECT_GT(killedMidSave, 0) << "seed " << seed;
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(seen[2], 0);
    std::cout << "one save " << saveTime.count() << " us; kills " << kKills
              << ", temporaries left by " << killedMidSave << ", old/new found " << seen[1] << "/"
              << seen[2] << "\n";

    // The next start removes the temporaries, and only them.
    const int temporaries = LeftoversIn(folder.path(), users).temporaries;
    EXPECT_EQ(RemoveStaleSaveFiles(path), temporaries);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = users;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    for (std::size_t i = 1; i < users.size(); ++i) {
        EXPECT_EQ(ReadFileBytes(folder.path() / users[i]), "kept " + users[i]);
    }
}

}  // namespace
