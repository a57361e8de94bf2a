// Saving a game into its slot, into a file changed meanwhile, appended, or failing whole.
#include "pgn/games_file_update.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>

#include "pgn/file_output.h"
#include "tests/support/pgn_test_support.h"
#include "tests/support/tree_test_support.h"

namespace {

namespace fs = std::filesystem;

std::unique_ptr<GameDocument> MakeGame(std::u16string_view white, int moves) {
    auto game = std::make_unique<GameDocument>(nullptr);
    game->SetEvent(u"Test"), game->SetSite(u"Here"), game->SetDate(u"2024.05.06");
    game->SetRound(u"1"), game->SetWhite(white), game->SetBlack(u"Opponent");
    game->SetResultCode(3);
    PlayKnightShuffle(game->root, moves)->SetComment(u"last move of " + std::u16string(white));
    return game;
}

// Games a b c x, a longer (A), b changed (B, K in place), b in a comment, unlisted u v, a blank.
std::string Layout(std::string_view letters) {
    static const std::string a = GameText(*MakeGame(u"Anna", 10)),
                             b = GameText(*MakeGame(u"Boris", 10));
    static const std::string bInPlace = std::string(b).replace(b.find("last move"), 1, "L");
    // clang-format off
    static const std::map<char, std::string> texts = {
        {'a', a}, {'b', b}, {'c', GameText(*MakeGame(u"Chloe", 10))}, {'x', GameText(*MakeGame(u"Xavier", 7))},
        {'A', std::string(a).insert(a.find("Anna") + 4, "belle")}, {'K', bInPlace},
        {'B', std::string(b).insert(b.find("last move"), "their note, ")}, {'{', "{ " + b + " }\r\n\r\n"},
        {'u', "[Event \"Study one\"]\r\n\r\n1. f4 { a [%clk 0:01:00]\r\n[note] } e5 *\r\n\r\n"},
        {'v', "[Event \"x\"]\r\n[FEN \"8/8/8/4k3/8/8/4P3/4K3 w - - 0 1\"]\r\n[SetUp \"1\"]\r\n\r\n1. e4 *\r\n\r\n"},
        {'n', "\r\n"}};
    // clang-format on
    return std::accumulate(
        letters.begin(), letters.end(), std::string(),
        [](const std::string& out, char letter) { return out + texts.at(letter); });
}

enum class Change { None, Replace, InPlace, InPlaceKeepingTime, Remove, ThroughLink };

// The file read, the slot whose game is saved, and the file as another program left it.
struct SaveCase {
    const char* name;
    std::string_view before, slot, after;
    std::uint32_t saveMode;
    Change change;
    std::string_view theirBefore, theirSlot, theirAfter;
    bool found;  // the slot is found again (or the game is alone); otherwise the game is added
};

// Saved after the other program's change, then once more into the slot the first save wrote.
TEST(SaveGame, SplicesTheGameIntoItsSlotOrAddsIt) {
    // clang-format off
    const SaveCase cases[] = {
        {"FirstSlot", "", "a", "bc", 3, Change::None, "", "a", "bc", true},
        {"MiddleSlot", "a", "b", "c", 3, Change::None, "a", "b", "c", true},
        {"LastSlot", "ab", "c", "", 3, Change::None, "ab", "c", "", true},
        // The only game is rewritten from the first byte; text outside the slot stays as the save mode says.
        {"OnlyGameAlone", "n", "a", "nn", 1, Change::None, "", "a", "", true},
        {"UnlistedGamesAround", "u", "b", "vu", 1, Change::None, "u", "b", "vu", true},
        {"GamePutBeforeTheOthers", "a", "b", "c", 3, Change::Replace, "xa", "b", "c", true},
        {"EarlierTagLengthened", "a", "b", "c", 3, Change::InPlace, "A", "b", "c", true},
        {"EarlierGameDeleted", "a", "b", "c", 3, Change::Replace, "", "b", "c", true},
        {"GameAddedAtTheEnd", "a", "b", "c", 3, Change::InPlace, "a", "b", "cx", true},
        {"GameItselfChanged", "a", "b", "c", 3, Change::Replace, "a", "B", "c", false},
        {"ChangedInPlaceSameLengthAndTime", "a", "b", "c", 3, Change::InPlaceKeepingTime, "a", "K", "c", false},
        {"GameDeleted", "a", "b", "c", 3, Change::Replace, "a", "", "c", false},
        {"GameMovedIntoAComment", "a", "b", "c", 3, Change::Replace, "a{", "", "c", false},
        {"FileRemoved", "a", "b", "c", 3, Change::Remove, "", "", "", false},
        {"ThroughASymbolicLinkTheLinkStays", "a", "b", "", 2, Change::ThroughLink, "a", "b", "", true}};
    // clang-format on
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const fs::path path = folder.path / "Korvani.pgn", editor = folder.path / "editor-save";
        const bool link = c.change == Change::ThroughLink;
        WriteFileBytes(link ? editor : path, Layout(c.before) + Layout(c.slot) + Layout(c.after));
        if (link) {
            fs::create_symlink(editor, path);
        }
        GamesFile games(path);
        ASSERT_TRUE(games.Reload());
        GameDocument document(&games);
        ASSERT_EQ(LoadGameForUpdate(document, Layout(c.before).size(), c.saveMode), ReadCode::Ok);
        // Shorter where the slot is found, then longer at the second save; longer otherwise.
        document.SetWhite(c.found ? u"B" : u"A much longer name than before");
        const std::string theirs =
            Layout(c.theirBefore) + Layout(c.theirSlot) + Layout(c.theirAfter);
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        if (c.change == Change::Remove) {
            fs::remove(path);
        } else if (c.change != Change::None &&
                   !link) {  // Replace: written beside and renamed over it
            WriteFileBytes(c.change == Change::Replace ? editor : path, theirs);
            fs::rename(c.change == Change::Replace ? editor : path, path);
        }
        if (c.change == Change::InPlaceKeepingTime) {  // as a careless synchronisation tool might
            const timespec times[2] = {status.st_atim, status.st_mtim};
            ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        }
        ErrorBoxRecorder recorder;
        const auto openFiles = [] {
            return std::ranges::distance(fs::directory_iterator("/proc/self/fd"),
                                         fs::directory_iterator());
        };
        const auto openBefore = openFiles();
        ASSERT_EQ(SaveGame(document), SaveResult::Ok);
        EXPECT_EQ(openFiles(), openBefore) << "a save leaves no descriptor open";
        std::string content = ReadWholeFile(path);
        const std::string saved = GameText(document);
        if (c.found) {
            EXPECT_EQ(content, Layout(c.theirBefore) + saved + Layout(c.theirAfter));
        } else {
            EXPECT_EQ(content, theirs.empty() ? saved : theirs + "\r\n" + saved);
        }
        EXPECT_EQ(
            recorder.text,
            c.found
                ? ""
                : "Korvani|" + EncodeUtf8(kSavedAsNewGameText + DecodeLine(path.native())) + "|0;");
        EXPECT_FALSE(games.indexedIdentity()) << "games moved or the file changed: read it again";
        EXPECT_EQ(FolderNames(folder.path).size(), link ? 2u : 1u);  // no temporary left
        EXPECT_EQ(fs::is_symlink(path), link);
        PlayLine(document.root, {"d4"});  // a new alternative to the first move
        const std::uint64_t offset = document.fileOffset, end = document.fileEnd;
        ASSERT_EQ(SaveGame(document), SaveResult::Ok);
        EXPECT_EQ(ReadWholeFile(path), content.replace(offset, end - offset, GameText(document)));
        EXPECT_EQ(document.fileOffset, offset);
    }
}

// A new game goes to the end of the file, after a blank line when there is one.
TEST(AppendNewGame, EndsTheFile) {
    for (const std::string_view before : {"-", "", "ab"}) {  // "-": no file yet
        ScratchFolder folder;
        const fs::path path = folder.path / "Korvani.pgn";
        const bool exists = before != "-";
        const std::string old = Layout(exists ? before : ""), separator = exists ? "\r\n" : "";
        if (exists) {
            WriteFileBytes(path, old);
        }
        GamesFile games(path);
        ASSERT_TRUE(!exists || games.Reload());
        auto document = MakeGame(u"Chloe", 0);
        GameDocument* added = document.get();
        ASSERT_EQ(AppendNewGame(document, games), SaveResult::Ok);
        EXPECT_TRUE(document == nullptr && games.lastEntry() == added &&
                    added->gamesFile == &games);
        EXPECT_EQ(games.entryCount(), exists ? before.size() + 1 : 1);
        EXPECT_EQ(added->saveMode, exists ? 2u : 0u);
        EXPECT_EQ(ReadWholeFile(path), old + separator + GameText(*added));
        PlayLine(added->root, {"d4"});  // saved again at once, after a move
        ASSERT_EQ(SaveGame(*added), SaveResult::Ok);
        EXPECT_EQ(ReadWholeFile(path), old + separator + GameText(*added));
    }
}

// A failed save says so and leaves the file whole: a folder, no write permission (refused also
// to the superuser), games expected but no file, a full disk at each step (a size limit).
TEST(SaveGame, FailureLeavesTheOldFileWhole) {
    std::string head;
    for (int i = 0; i < 40; ++i) {
        head += GameText(*MakeGame(u"Anna", 60));
    }
    const std::string slot = GameText(*MakeGame(u"Boris", 10)), old = head + slot + head;
    const std::size_t newSize = GameText(*MakeGame(u"Boris", 200)).size();
    enum : rlim_t { kFolder, kReadOnly, kMissing };  // below these, a size limit
    for (const rlim_t failure : {rlim_t{kFolder}, rlim_t{kReadOnly}, rlim_t{kMissing}, rlim_t{1000},
                                 head.size() + 100, head.size() + newSize + 5000}) {
        ScratchFolder folder;
        const fs::path path = folder.path / "Korvani.pgn";
        if (failure == kFolder) {
            fs::create_directory(path);
        } else if (failure != kMissing) {
            WriteFileBytes(path, old);
            fs::permissions(path,
                            failure == kReadOnly ? fs::perms::owner_read : fs::perms::owner_all);
        }
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit size{failure, failure};
            if (failure > kMissing &&
                (::signal(SIGXFSZ, SIG_IGN), ::setrlimit(RLIMIT_FSIZE, &size)) != 0) {
                ::_exit(3);
            }
            GamesFile games(path);
            auto document = MakeGame(u"Boris", 200);
            document->gamesFile = &games;
            document->fileOffset = head.size(), document->slotText = slot, document->saveMode = 3;
            document->fileEnd = head.size() + (failure == kMissing ? 0 : slot.size());
            ErrorBoxRecorder recorder;
            const SaveResult result =
                failure == kFolder ? AppendNewGame(document, games) : SaveGame(*document);
            EXPECT_EQ(recorder.text, "Unable to save game|" + path.string() + "|0;");
            EXPECT_TRUE(document != nullptr && games.entryCount() == 0);
            ::_exit(result != SaveResult::Failed ? 1 : testing::Test::HasFailure() ? 2 : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failure " << failure;
        EXPECT_EQ(fs::is_regular_file(path) ? ReadWholeFile(path) : old, old)
            << "failure " << failure;
        EXPECT_EQ(FolderNames(folder.path).size(), failure == kMissing ? 0u : 1u);  // no temporary
    }
}

std::string RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    std::generate(bytes.begin(), bytes.end(), [&random] { return static_cast<char>(random()); });
    return bytes;
}

// Copies go by the kernel or, for O_APPEND, through memory; both fail on a wrong descriptor.
TEST(FileCopies, WriteInOrderAndCopyFromTheCurrentPositions) {
    ScratchFolder folder;
    const fs::path in = folder.path / "source", out = folder.path / "target";
    const int fd = ::open(in.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
              readOnly = ::open(in.c_str(), O_RDONLY);
    std::string source;
    {
        FileOutput output(fd), failing(readOnly);
        for (int i = 0; i < 1500; ++i) {  // pieces of up to 4000 bytes, then one over the buffer
            const std::string piece =
                RandomBytes(i == 1499 ? FileOutput::kBufferSize + 5 : i * 3001 % 4000, i);
            output.Write(piece), failing.Write(piece);
            source += piece;
        }
        EXPECT_TRUE(output.Flush());
        EXPECT_FALSE(failing.Flush());
        EXPECT_EQ(failing.error(), std::errc::bad_file_descriptor);
    }
    ASSERT_EQ(ReadWholeFile(in), source);
    // clang-format off
    const struct { int openFlags; std::int64_t count; std::size_t start; } cases[] = {
        {0, 1'500'000, 10}, {0, -1, 7}, {0, 5'000'000, 3}, {O_APPEND, -1, 0}, {O_APPEND, 12345, 100}, {0, 0, 0}};
    // clang-format on
    for (const auto& c : cases) {
        WriteFileBytes(out, "head");
        const int from = ::open(in.c_str(), O_RDONLY),
                  to = ::open(out.c_str(), O_WRONLY | c.openFlags);
        ::lseek(from, static_cast<off_t>(c.start), SEEK_SET), ::lseek(to, 4, SEEK_SET);
        std::uint64_t copied = 0;
        EXPECT_TRUE(CopyFileBytes(to, from, c.count, &copied));
        const std::size_t expected =
            std::min<std::size_t>(source.size() - c.start, c.count < 0 ? SIZE_MAX : c.count);
        EXPECT_EQ(copied, expected);
        EXPECT_EQ(ReadWholeFile(out), "head" + source.substr(c.start, expected));
        ::close(from), ::close(to);
    }
    const int writeOnly = ::open(out.c_str(), O_WRONLY);
    EXPECT_FALSE(CopyFileBytes(readOnly, readOnly, -1));
    EXPECT_FALSE(CopyFileBytes(readOnly, writeOnly, -1));
    ::close(fd), ::close(readOnly), ::close(writeOnly);
}

}  // namespace
