#include "pgn/games_file_update.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/game_document.h"
#include "pgn/file_output.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/save_files.h"
#include "tests/support/pgn_write_support.h"
#include "platform/text_codec.h"

namespace {

namespace fs = std::filesystem;

// A game with `moves` knight moves back and forth and a comment, so that its text
// length can be chosen.
std::unique_ptr<GameDocument> MakeGame(GamesFile* file, std::u16string_view white, int moves) {
    auto document = std::make_unique<GameDocument>(file);
    document->SetEvent(u"Test");
    document->SetSite(u"Here");
    document->SetDate(u"2024.05.06");
    document->SetRound(u"1");
    document->SetWhite(white);
    document->SetBlack(u"Opponent");
    document->SetResultCode(3);
    static constexpr std::u16string_view kCycle[] = {u"Nf3", u"Nf6", u"Ng1", u"Ng8"};
    Position* at = &document->root;
    for (int i = 0; i < moves && at != nullptr; ++i) {
        at = ParseSan(*at, kCycle[i % 4]);
    }
    if (at != nullptr && at != &document->root) {
        at->SetComment(u"last move of " + std::u16string(white));
    }
    return document;
}

std::string TextOf(std::u16string_view white, int moves) {
    return GameText(*MakeGame(nullptr, white, moves));
}

bool Exists(const fs::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// The names in `folder`, sorted: a save must leave nothing of its own beside the file.
std::vector<std::string> FolderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<std::string> kOnlyTheGamesFile = {"Korvani.pgn"};

void ExpectOneSaveBox(const ErrorBoxRecorder& recorder, const fs::path& games) {
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].caption, u"Unable to save game");
    EXPECT_EQ(recorder.boxes[0].text, DecodeLine(games.native()));
    EXPECT_EQ(recorder.boxes[0].icon, ErrorBox::Icon::None);
}

// Each save test works on Korvani.pgn in a folder of its own.
class SaveTest : public testing::Test {
protected:
    ScratchFolder folder;
    const fs::path path = folder.path() / "Korvani.pgn";

    // Saves `document`, which must fail with one error box and nothing else.
    void ExpectSaveFails(GameDocument& document) {
        ErrorBoxRecorder recorder;
        EXPECT_EQ(SaveGame(document), SaveResult::Failed);
        ExpectOneSaveBox(recorder, path);
    }
};
using SaveGameSplice = SaveTest;
using SaveGameRewrite = SaveTest;
using AppendNewGameTest = SaveTest;
using SaveGameFailure = SaveTest;

// Places `document` in the slot at `offset` of its file, which holds `oldText`, as if
// it had been read from there; saved with `saveMode`.
void PutInSlot(GameDocument& document, std::uint64_t offset, const std::string& oldText,
               std::uint32_t saveMode) {
    document.fileOffset = offset;
    document.fileEnd = offset + oldText.size();
    document.slotText = oldText;
    document.saveMode = saveMode;
}

// --- Splicing a game into its slot ----------------------------------------------

TEST_F(SaveGameSplice, ReplacesOnlyTheSlotOfTheGame) {
    struct Case {
        int slot;
        int newMoves;
    };
    // Old games have 30 moves; the new text is longer (120) or shorter (2).
    const Case cases[] = {{0, 120}, {1, 120}, {2, 120}, {0, 2}, {1, 2}, {2, 2}};
    for (const Case& c : cases) {
        const std::string old[3] = {TextOf(u"Anna", 30), TextOf(u"Boris", 30),
                                    TextOf(u"Chloe", 30)};
        WriteFileBytes(path, old[0] + old[1] + old[2]);
        GamesFile games(path);
        auto document = MakeGame(&games, u"Replaced", c.newMoves);
        std::uint64_t offset = 0;
        for (int i = 0; i < c.slot; ++i) {
            offset += old[i].size();
        }
        PutInSlot(*document, offset, old[c.slot], 3);
        ErrorBoxRecorder recorder;
        ASSERT_EQ(SaveGame(*document), SaveResult::Ok);
        EXPECT_TRUE(recorder.boxes.empty());

        std::string expected[3] = {old[0], old[1], old[2]};
        expected[c.slot] = GameText(*document);
        EXPECT_EQ(ReadFileBytes(path), expected[0] + expected[1] + expected[2])
            << "slot " << c.slot << ", " << c.newMoves << " moves";
        EXPECT_EQ(FolderNames(folder.path()), kOnlyTheGamesFile);
        EXPECT_EQ(document->fileOffset, offset);
        EXPECT_EQ(document->fileEnd, offset + expected[c.slot].size());
    }
}

TEST_F(SaveGameSplice, SavingTwiceFollowsTheNewSlot) {
    const std::string first = TextOf(u"Anna", 10);
    const std::string last = TextOf(u"Chloe", 10);
    const std::string middle = TextOf(u"Boris", 10);
    WriteFileBytes(path, first + middle + last);
    GamesFile games(path);
    auto document = MakeGame(&games, u"Boris", 40);
    PutInSlot(*document, first.size(), middle, 3);
    ASSERT_EQ(SaveGame(*document), SaveResult::Ok);
    PlayLine(document->root, {u"e4"});  // a new alternative to the first move
    ASSERT_EQ(SaveGame(*document), SaveResult::Ok);
    EXPECT_EQ(ReadFileBytes(path), first + GameText(*document) + last);
}

TEST_F(SaveGameSplice, SavedGameReadsBackFromItsOffset) {
    const std::string first = TextOf(u"Anna", 10);
    const std::string middle = TextOf(u"Boris", 10);
    WriteFileBytes(path, first + middle + TextOf(u"Chloe", 10));
    GamesFile games(path);
    auto document = MakeGame(&games, u"Boris", 25);
    PutInSlot(*document, first.size(), middle, 3);
    ASSERT_EQ(SaveGame(*document), SaveResult::Ok);

    GameDocument reread(&games);
    ASSERT_EQ(LoadGame(reread, first.size(), 3), ReadCode::Ok);
    EXPECT_EQ(reread.fileEnd, document->fileEnd);
    EXPECT_EQ(GameText(reread), GameText(*document));
    ASSERT_TRUE(games.Reload());
    EXPECT_EQ(games.entryCount(), 3u);
}

// --- A games file that another program changed -------------------------------------

// The file as another program leaves it: `before`, then the slot's game as it has it
// (or nothing), then `after`.
struct TheirFile {
    std::string before;
    std::string game;
    std::string after;
    std::string Text() const { return before + game + after; }
};

// Writes `text` as an editor does, to a new file renamed over the old one.
void ReplaceFileText(const fs::path& path, const std::string& text) {
    const fs::path temporary = path.parent_path() / "editor-save";
    WriteFileBytes(temporary, text);
    fs::rename(temporary, path);
}

// Overwrites the file in place with `text`, then sets its modification time back,
// as a careless synchronisation tool might.
void RewriteInPlaceKeepingTime(const fs::path& path, const std::string& text) {
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    WriteFileBytes(path, text);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(SaveGameChangedFile, FindsTheGameAgainOrSavesItAsANewGame) {
    // The file read holds a, b (the game saved) and c; x is another program's game.
    struct Games {
        std::string a = TextOf(u"Anna", 10);
        std::string b = TextOf(u"Boris", 10);
        std::string c = TextOf(u"Chloe", 10);
        std::string x = TextOf(u"Xavier", 7);
    };
    enum class Write { Unchanged, Replace, InPlace, InPlaceKeepingTime, Remove };
    struct Case {
        const char* name;
        Write write;
        TheirFile (*change)(const Games& g);
        bool found;  // the game's slot is found again; otherwise it goes to the end
    };
    const Case cases[] = {
        {"unchanged", Write::Unchanged,
         [](const Games& g) {
             return TheirFile{g.a, g.b, g.c};
         },
         true},
        {"a game put before the others", Write::Replace,
         [](const Games& g) {
             return TheirFile{g.x + g.a, g.b, g.c};
         },
         true},
        {"an earlier game's tag lengthened", Write::InPlace,
         [](const Games& g) {
             std::string longer = g.a;
             longer.insert(longer.find("Anna") + 4, "belle");
             return TheirFile{longer, g.b, g.c};
         },
         true},
        {"the earlier game deleted", Write::Replace,
         [](const Games& g) {
             return TheirFile{"", g.b, g.c};
         },
         true},
        {"a game added at the end", Write::InPlace,
         [](const Games& g) {
             return TheirFile{g.a, g.b, g.c + g.x};
         },
         true},
        {"the game itself changed", Write::Replace,
         [](const Games& g) {
             std::string changed = g.b;
             changed.insert(changed.find("last move"), "their note, ");
             return TheirFile{g.a, changed, g.c};
         },
         false},
        {"the game changed in place, same length and time", Write::InPlaceKeepingTime,
         [](const Games& g) {
             std::string changed = g.b;
             changed[changed.find("last move")] = 'L';
             return TheirFile{g.a, changed, g.c};
         },
         false},
        {"the game deleted", Write::Replace,
         [](const Games& g) {
             return TheirFile{g.a, "", g.c};
         },
         false},
        {"the game's bytes moved into another game's comment", Write::Replace,
         [](const Games& g) {
             return TheirFile{g.a + "{ " + g.b + " }\r\n\r\n", "", g.c};
         },
         false},
        {"the file removed", Write::Remove, [](const Games&) { return TheirFile{}; }, false},
    };
    const Games read;
    for (const Case& c : cases) {
        ScratchFolder folder;
        const fs::path path = folder.path() / "Korvani.pgn";
        WriteFileBytes(path, read.a + read.b + read.c);
        GamesFile games(path);
        ASSERT_TRUE(games.Reload());
        GameDocument document(&games);
        ASSERT_EQ(LoadGameForUpdate(document, read.a.size(), 3), ReadCode::Ok) << c.name;
        PlayLine(document.root, {u"e4", u"e5"});
        const std::string saved = GameText(document);

        const TheirFile theirs = c.change(read);
        switch (c.write) {
            case Write::Unchanged:
                break;
            case Write::Replace:
                ReplaceFileText(path, theirs.Text());
                break;
            case Write::InPlace:
                WriteFileBytes(path, theirs.Text());
                break;
            case Write::InPlaceKeepingTime:
                RewriteInPlaceKeepingTime(path, theirs.Text());
                break;
            case Write::Remove:
                fs::remove(path);
                break;
        }
        ErrorBoxRecorder recorder;
        ASSERT_EQ(SaveGame(document), SaveResult::Ok) << c.name;
        const std::string content = ReadFileBytes(path);
        if (c.found) {
            EXPECT_EQ(content, theirs.before + saved + theirs.after) << c.name;
            EXPECT_TRUE(recorder.boxes.empty()) << c.name;
        } else {
            const std::string kept = theirs.Text();
            EXPECT_EQ(content, kept.empty() ? saved : kept + "\r\n" + saved) << c.name;
            ASSERT_EQ(recorder.boxes.size(), 1u) << c.name;
            EXPECT_EQ(recorder.boxes[0].caption, u"Korvani");
            EXPECT_EQ(recorder.boxes[0].text,
                      std::u16string(kSavedAsNewGameText) + DecodeLine(path.native()));
            EXPECT_EQ(recorder.boxes[0].icon, ErrorBox::Icon::None);
        }
        EXPECT_EQ(content.substr(document.fileOffset, document.fileEnd - document.fileOffset),
                  saved)
            << c.name;
        EXPECT_EQ(FolderNames(folder.path()), kOnlyTheGamesFile) << c.name;
    }
}

// --- The only game of the file --------------------------------------------------

TEST_F(SaveGameRewrite, OnlyGameRewritesTheFileFromItsFirstByte) {
    for (const int newMoves : {2, 80}) {
        const std::string old = TextOf(u"Anna", 40);
        WriteFileBytes(path, "\r\n" + old + "\r\n\r\n");
        GamesFile games(path);
        auto document = MakeGame(&games, u"Anna", newMoves);
        PutInSlot(*document, 2, old, 1);
        ASSERT_EQ(SaveGame(*document), SaveResult::Ok);
        EXPECT_EQ(ReadFileBytes(path), GameText(*document)) << newMoves;
        EXPECT_EQ(document->fileOffset, 0u);
        EXPECT_EQ(document->fileEnd, GameText(*document).size());
        EXPECT_EQ(FolderNames(folder.path()), kOnlyTheGamesFile);
    }
}

TEST_F(SaveGameRewrite, TextOutsideTheSlotIsKeptWhateverSaveModeSays) {
    // A game without a Site tag is not listed by the index, so the games list shows
    // one row; its text must survive a save of the listed game.
    const std::string unlisted = "[Event \"x\"]\r\n[White \"a\"]\r\n\r\n1. e4 *\r\n\r\n";
    WriteFileBytes(path, unlisted + TextOf(u"Anna", 12));
    GamesFile games(path);
    ASSERT_TRUE(games.Reload());
    GameDocument document(&games);
    ASSERT_EQ(LoadGameForUpdate(document, unlisted.size(), 1), ReadCode::Ok);
    PlayLine(document.root, {u"e4"});
    ASSERT_EQ(SaveGame(document), SaveResult::Ok);
    EXPECT_EQ(ReadFileBytes(path), unlisted + GameText(document));
}

TEST_F(SaveGameRewrite, MissingFileIsCreatedForARewrite) {
    GamesFile games(path);
    auto document = MakeGame(&games, u"Anna", 4);
    ASSERT_EQ(SaveGame(*document), SaveResult::Ok);
    EXPECT_EQ(ReadFileBytes(path), GameText(*document));
}

TEST_F(SaveGameRewrite, ThroughASymbolicLinkTheLinkStays) {
    const fs::path real = folder.path() / "real.pgn";
    const fs::path link = folder.path() / "Korvani.pgn";
    const std::string first = TextOf(u"Anna", 6);
    const std::string second = TextOf(u"Boris", 6);
    WriteFileBytes(real, first + second);
    fs::create_symlink(real, link);
    GamesFile games(link);
    auto document = MakeGame(&games, u"Boris", 9);
    PutInSlot(*document, first.size(), second, 2);
    ASSERT_EQ(SaveGame(*document), SaveResult::Ok);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), first + GameText(*document));
}

// --- Appending a new game ----------------------------------------------------------

TEST_F(AppendNewGameTest, ToAMissingFileCreatesItWithTheGameAtOffsetZero) {
    GamesFile games(path);
    auto document = MakeGame(nullptr, u"Anna", 0);
    GameDocument* added = document.get();
    ASSERT_EQ(AppendNewGame(document, games), SaveResult::Ok);
    EXPECT_EQ(document, nullptr);
    EXPECT_EQ(games.lastEntry(), added);
    EXPECT_EQ(added->gamesFile, &games);
    EXPECT_EQ(added->fileOffset, 0u);
    EXPECT_EQ(added->saveMode, 0u);
    EXPECT_EQ(ReadFileBytes(path), GameText(*added));
}

TEST_F(AppendNewGameTest, ToAnEmptyFileLandsAfterABlankLine) {
    WriteFileBytes(path, "");
    GamesFile games(path);
    auto document = MakeGame(nullptr, u"Anna", 0);
    GameDocument* added = document.get();
    ASSERT_EQ(AppendNewGame(document, games), SaveResult::Ok);
    EXPECT_EQ(added->fileOffset, 2u);
    EXPECT_EQ(added->saveMode, 2u);
    EXPECT_EQ(ReadFileBytes(path), "\r\n" + GameText(*added));
    ASSERT_TRUE(games.Reload());
    ASSERT_EQ(games.entryCount(), 1u);
    EXPECT_EQ(games.firstEntry()->fileOffset, 2u);
}

TEST_F(AppendNewGameTest, ToAFileWithGamesEndsTheFile) {
    const std::string old = TextOf(u"Anna", 10) + TextOf(u"Boris", 11);
    WriteFileBytes(path, old);
    GamesFile games(path);
    ASSERT_TRUE(games.Reload());
    auto document = MakeGame(nullptr, u"Chloe", 0);
    GameDocument* added = document.get();
    ASSERT_EQ(AppendNewGame(document, games), SaveResult::Ok);
    EXPECT_EQ(games.entryCount(), 3u);
    EXPECT_EQ(added->fileOffset, old.size() + 2);
    EXPECT_EQ(ReadFileBytes(path), old + "\r\n" + GameText(*added));

    // The new game can be saved again at once, after a move.
    PlayLine(added->root, {u"d4"});
    ASSERT_EQ(SaveGame(*added), SaveResult::Ok);
    EXPECT_EQ(ReadFileBytes(path), old + "\r\n" + GameText(*added));
}

TEST_F(AppendNewGameTest, FailureLeavesTheDocumentWithTheCaller) {
    fs::create_directory(path);
    GamesFile games(path);
    auto document = MakeGame(nullptr, u"Anna", 0);
    ErrorBoxRecorder recorder;
    EXPECT_EQ(AppendNewGame(document, games), SaveResult::Failed);
    EXPECT_NE(document, nullptr);
    EXPECT_EQ(games.entryCount(), 0u);
    ExpectOneSaveBox(recorder, path);
}

// --- Failures ------------------------------------------------------------------------

TEST_F(SaveGameFailure, GamesFileThatCannotBeOpenedForWriting) {
    fs::create_directory(path);
    GamesFile games(path);
    auto document = MakeGame(&games, u"Anna", 3);
    document->saveMode = 2;
    ExpectSaveFails(*document);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(FolderNames(folder.path()), kOnlyTheGamesFile);
}

TEST_F(SaveGameFailure, ReadOnlyGamesFileIsLeftAlone) {
    const std::string old = TextOf(u"Anna", 3) + TextOf(u"Boris", 3);
    WriteFileBytes(path, old);
    fs::permissions(path, fs::perms::owner_read);
    GamesFile games(path);
    auto document = MakeGame(&games, u"Anna", 9);
    PutInSlot(*document, 0, TextOf(u"Anna", 3), 2);
    ExpectSaveFails(*document);
    EXPECT_EQ(ReadFileBytes(path), old);
}

TEST_F(SaveGameFailure, MissingFileWhenOtherGamesWereExpected) {
    GamesFile games(path);
    auto document = MakeGame(&games, u"Anna", 3);
    document->saveMode = 2;
    ExpectSaveFails(*document);
    EXPECT_FALSE(Exists(path));
}

TEST_F(SaveGameSplice, FilesOfTheUserBesideTheGamesFileAreLeftAlone) {
    const std::string first = TextOf(u"Anna", 3);
    const std::string second = TextOf(u"Boris", 3);
    WriteFileBytes(path, first + second);
    // A copy the user made, and names close to the save's own temporaries.
    const std::string mine[] = {"Korvani.pgn.bak", ".Korvani.pgn.tmp", ".Korvani.pgn.ab1.tmp",
                                "Korvani.pgn.AbC123.tmp"};
    for (const std::string& name : mine) {
        WriteFileBytes(folder.path() / name, "the user's own " + name);
    }
    GamesFile games(path);
    auto document = MakeGame(&games, u"Anna", 9);
    PutInSlot(*document, 0, first, 2);
    ASSERT_EQ(SaveGame(*document), SaveResult::Ok);
    EXPECT_EQ(RemoveStaleSaveFiles(path), 0);
    ASSERT_EQ(SaveGame(*document), SaveResult::Ok);
    EXPECT_EQ(ReadFileBytes(path), GameText(*document) + second);
    for (const std::string& name : mine) {
        EXPECT_EQ(ReadFileBytes(folder.path() / name), "the user's own " + name);
    }
    EXPECT_EQ(FolderNames(folder.path()).size(), std::size(mine) + 1);
}

// A full file system, played by a file size limit in a child process: every save
// that needs to write past the limit fails, whichever step reaches it.
TEST_F(SaveGameFailure, WriteFailureGivesEFailTheBoxAndAnUntouchedFile) {
    std::string head;
    for (int i = 0; i < 40; ++i) {
        head += TextOf(u"Anna", 60);
    }
    const std::string slot = TextOf(u"Boris", 10);
    const std::string tail = head;
    const std::string old = head + slot + tail;
    WriteFileBytes(path, old);
    const std::string newText = TextOf(u"Boris", 200);
    // Limits inside the copy of the head, the new game's text, and the tail.
    const rlim_t limits[] = {1000, head.size() + 100, head.size() + newText.size() + 5000};
    for (const rlim_t limit : limits) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &size);
            GamesFile games(path);
            auto document = MakeGame(&games, u"Boris", 200);
            PutInSlot(*document, head.size(), slot, 3);
            std::vector<ErrorBox> boxes;
            SetErrorBoxHandler([&boxes](const ErrorBox& box) { boxes.push_back(box); });
            const SaveResult result = SaveGame(*document);
            const bool boxRight = boxes.size() == 1 && boxes[0].caption == u"Unable to save game" &&
                                  boxes[0].text == DecodeLine(path.native()) &&
                                  boxes[0].icon == ErrorBox::Icon::None;
            ::_exit(result != SaveResult::Failed ? 1 : (boxRight ? 0 : 2));
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "limit " << limit;
        EXPECT_EQ(WEXITSTATUS(status), 0) << "limit " << limit;
        EXPECT_EQ(ReadFileBytes(path), old) << "limit " << limit;
        EXPECT_EQ(FolderNames(folder.path()), kOnlyTheGamesFile) << "limit " << limit;
    }
}

// --- Copying bytes -----------------------------------------------------------------

std::string RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

TEST(CopyFileBytes, CopiesFromAndToTheCurrentPositions) {
    struct Case {
        const char* name;
        int openFlags;  // of the target: O_APPEND keeps the kernel from copying
        std::int64_t count;
        std::size_t start;
    };
    const Case cases[] = {
        {"bounded", 0, 1'500'000, 10},
        {"to the end", 0, -1, 7},
        {"past the end", 0, 5'000'000, 3},
        {"buffered", O_APPEND, -1, 0},
        {"buffered bounded", O_APPEND, 12345, 100},
        {"nothing", 0, 0, 0},
    };
    const std::string source = RandomBytes(3'000'000, 7);
    for (const Case& c : cases) {
        ScratchFolder folder;
        WriteFileBytes(folder.path() / "source", source);
        WriteFileBytes(folder.path() / "target", "head");
        const int in = ::open((folder.path() / "source").c_str(), O_RDONLY);
        const int out = ::open((folder.path() / "target").c_str(), O_WRONLY | c.openFlags);
        ASSERT_GE(in, 0);
        ASSERT_GE(out, 0);
        ::lseek(in, static_cast<off_t>(c.start), SEEK_SET);
        ::lseek(out, 4, SEEK_SET);
        std::uint64_t copied = 0;
        EXPECT_TRUE(CopyFileBytes(out, in, c.count, &copied)) << c.name;
        ::close(in);
        ::close(out);
        const std::size_t available = source.size() - c.start;
        const std::size_t expected =
            c.count < 0 ? available : std::min<std::size_t>(available, c.count);
        EXPECT_EQ(copied, expected) << c.name;
        EXPECT_EQ(ReadFileBytes(folder.path() / "target"),
                  "head" + source.substr(c.start, expected))
            << c.name;
    }
}

TEST(CopyFileBytes, FailingReadOrWriteGivesFalse) {
    ScratchFolder folder;
    WriteFileBytes(folder.path() / "source", "some bytes");
    const int in = ::open((folder.path() / "source").c_str(), O_RDONLY);
    const int readOnly = ::open((folder.path() / "source").c_str(), O_RDONLY);
    EXPECT_FALSE(CopyFileBytes(readOnly, in, -1));
    const int writeOnly = ::open((folder.path() / "other").c_str(), O_WRONLY | O_CREAT, 0600);
    EXPECT_FALSE(CopyFileBytes(in, writeOnly, -1));
    ::close(in);
    ::close(readOnly);
    ::close(writeOnly);
}

TEST(FileOutput, RecordsTheFirstFailureAndKeepsCounting) {
    ScratchFolder folder;
    WriteFileBytes(folder.path() / "file", "");
    const int readOnly = ::open((folder.path() / "file").c_str(), O_RDONLY);
    FileOutput output(readOnly);
    output.Write("abc");
    output.Write(std::string(FileOutput::kBufferSize * 2, 'x'));
    EXPECT_FALSE(output.Flush());
    EXPECT_EQ(output.error(), std::errc::bad_file_descriptor);
    EXPECT_EQ(output.bytesWritten(), 3 + FileOutput::kBufferSize * 2);
    ::close(readOnly);
}

TEST(FileOutput, SmallAndLargeWritesArriveInOrder) {
    ScratchFolder folder;
    const fs::path path = folder.path() / "file";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string expected;
    {
        FileOutput output(fd);
        for (int i = 0; i < 2000; ++i) {
            const std::string piece = RandomBytes(static_cast<std::size_t>(i * 37 % 400), i);
            output.Write(piece);
            expected += piece;
        }
        const std::string large = RandomBytes(FileOutput::kBufferSize + 5, 99);
        output.Write(large);
        expected += large;
        output.Write("end");
        expected += "end";
        EXPECT_TRUE(output.Flush());
    }
    ::close(fd);
    EXPECT_EQ(ReadFileBytes(path), expected);
}

}  // namespace
