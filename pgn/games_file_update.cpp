#include "pgn/games_file_update.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "game/game_document.h"
#include "pgn/file_output.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/pgn_writer.h"
#include "pgn/save_files.h"
#include "pgn/slot_finder.h"
#include "pgn/string_sink.h"
#include "platform/debug_sink.h"
#include "platform/error_report.h"
#include "platform/file_identity.h"
#include "platform/text_codec.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCopyBufferSize = 1 << 20;
constexpr std::size_t kKernelCopyChunk = std::size_t{1} << 30;
constexpr std::string_view kBlankLine = "\r\n";
// A save whose games file keeps changing while the new file is built gives up after
// this many tries, leaving the file untouched.
constexpr int kSaveAttempts = 3;

// Closes its descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    [[nodiscard]] int get() const { return fd_; }

    // Takes `fd` in place of the descriptor held so far, which is closed.
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }

    // Closes now and tells whether the close succeeded; on some file systems a
    // failed write is only reported here.
    bool Close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

// Removes the temporary file when the save does not get as far as renaming it.
class TemporaryGuard {
public:
    explicit TemporaryGuard(fs::path temporary) : temporary_(std::move(temporary)) {}
    ~TemporaryGuard() {
        if (!committed_) {
            ::unlink(temporary_.c_str());
        }
    }
    TemporaryGuard(const TemporaryGuard&) = delete;
    TemporaryGuard& operator=(const TemporaryGuard&) = delete;

    void Commit() { committed_ = true; }

private:
    fs::path temporary_;
    bool committed_ = false;
};

// What the new games file is made of: the first headLength bytes of the old one,
// the separator, the game, then (with keepTail) the old file from tailStart on.
struct Layout {
    std::uint64_t headLength = 0;
    std::string_view separator;
    bool keepTail = false;
    std::uint64_t tailStart = 0;
};

// The open games file as found at the start of a save.
struct OldFile {
    int fd = -1;  // -1 when the file does not exist
    FileIdentity identity;
    mode_t mode = 0644;
};

// Where the game goes in the file as it is now.
struct Target {
    enum class Kind {
        Slot,     // the game's own slot, found
        End,      // a game not yet in the file: at its end
        NewGame,  // the slot was not found: at the end, with the box
    };
    Kind kind = Kind::End;
    std::uint64_t offset = 0;  // the bytes [offset, end) are replaced
    std::uint64_t end = 0;
    // The index describes the file as it is.
    bool indexCurrent = false;
};

// What a finished save left.
struct Written {
    std::uint64_t gameLength = 0;
    std::optional<FileIdentity> identity;
    bool folderSynced = false;
};

// Why a try to replace the file did not succeed.
enum class Failure { None, Error, FileChanged };

void ReportSaveFailure(const GameDocument& document) {
    std::u16string text;
    if (document.gamesFile != nullptr) {
        text = DecodeLine(document.gamesFile->path().native());
    }
    ShowErrorBox({std::move(text), kUnableToSaveGame, ErrorBox::Icon::None});
}

void ReportSavedAsNewGame(const GameDocument& document) {
    ShowErrorBox({kSavedAsNewGameText + DecodeLine(document.gamesFile->path().native()),
                  kSavedAsNewGameCaption, ErrorBox::Icon::None});
}

// True when the bytes [from, to) of the file are all blanks and line breaks;
// std::nullopt when they cannot be read.
std::optional<bool> IsBlankRange(int fd, std::uint64_t from, std::uint64_t to) {
    std::string buffer(std::size_t{64} << 10, '\0');
    while (from < to) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), to - from));
        const ssize_t got = ::pread(fd, buffer.data(), want, static_cast<off_t>(from));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;
        }
        for (ssize_t i = 0; i < got; ++i) {
            const char c = buffer[static_cast<std::size_t>(i)];
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
                return false;
            }
        }
        from += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool SyncFolder(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) {
        return false;
    }
    // Some file systems cannot sync a folder at all; their renames are durable anyway.
    return ::fsync(fd.get()) == 0 || errno == EINVAL;
}

bool CopyRange(int target, int source, std::uint64_t from, std::int64_t count,
               std::uint64_t expected) {
    if (::lseek(source, static_cast<off_t>(from), SEEK_SET) < 0) {
        return false;
    }
    std::uint64_t copied = 0;
    return CopyFileBytes(target, source, count, &copied) && copied == expected;
}

// Puts the temporary file at `games`, where no file was when the save began: a file
// that another program created meanwhile is not replaced.
Failure RenameOntoMissingFile(const fs::path& temporary, const fs::path& games) {
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, games.c_str(), RENAME_NOREPLACE) == 0) {
        return Failure::None;
    }
    if (errno == EEXIST) {
        return Failure::FileChanged;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return Failure::Error;
    }
    // A file system without that kind of rename: a hard link fails on an existing name
    // too.
    if (::link(temporary.c_str(), games.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return Failure::None;
    }
    return errno == EEXIST ? Failure::FileChanged : Failure::Error;
}

// Builds the new games file in a temporary file, syncs it and renames it over the
// games file, unless the games file changed meanwhile. On Failure::None `written`
// tells what the new file holds; otherwise the games file is untouched and the
// temporary removed.
Failure ReplaceFile(std::string_view gameText, const fs::path& games, const OldFile& old,
                    const Layout& layout, Written& written) {
    const std::optional<SaveTemporary> temporary = CreateSaveTemporary(games);
    if (!temporary) {
        return Failure::Error;
    }
    Descriptor out(temporary->descriptor);
    TemporaryGuard guard(temporary->path);
    if (old.fd >= 0) {
        ::fchmod(out.get(), old.mode & 07777);
    }
    if (layout.headLength > 0 &&
        !CopyRange(out.get(), old.fd, 0, static_cast<std::int64_t>(layout.headLength),
                   layout.headLength)) {
        return Failure::Error;
    }
    FileOutput writer(out.get());
    writer.Write(layout.separator);
    writer.Write(gameText);
    if (!writer.Flush()) {
        return Failure::Error;
    }
    if (layout.keepTail && layout.tailStart < old.identity.size &&
        !CopyRange(out.get(), old.fd, layout.tailStart, -1, old.identity.size - layout.tailStart)) {
        return Failure::Error;
    }
    if (::fsync(out.get()) != 0) {
        return Failure::Error;
    }
    // The file must still be the one the new file was built from, at its place.
    if (old.fd >= 0) {
        if (IdentityOfDescriptor(old.fd) != old.identity || IdentityOfFile(games) != old.identity) {
            return Failure::FileChanged;
        }
        if (::rename(temporary->path.c_str(), games.c_str()) != 0) {
            return Failure::Error;
        }
    } else if (const Failure failure = RenameOntoMissingFile(temporary->path, games);
               failure != Failure::None) {
        return failure;
    }
    guard.Commit();
    // Taken after the rename, which changes the file's status time.
    written.identity = IdentityOfDescriptor(out.get());
    if (!out.Close()) {
        // The data reached the disk with the sync above; only the report of the close
        // failed.
        DebugOutput(u"Games file replaced, but its descriptor did not close cleanly\n");
    }
    written.gameLength = gameText.size();
    written.folderSynced = SyncFolder(games);
    return Failure::None;
}

// Opens the games file for the save: writable, so that a file the user protected is
// not replaced behind his back, also when the superuser, who may write any file,
// runs the program: a file without any write permission is protected. Returns false
// when it exists but cannot be used.
bool OpenOldFile(const fs::path& games, Descriptor& fd, OldFile& old) {
    fd.Reset(::open(games.c_str(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0) {
        return errno == ENOENT;
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        errno = EACCES;
        return false;
    }
    const std::optional<FileIdentity> identity = IdentityOfDescriptor(fd.get());
    if (!identity) {
        return false;
    }
    old.fd = fd.get();
    old.identity = *identity;
    old.mode = status.st_mode;
    return true;
}

// Finds where the game goes in the file as it is; std::nullopt when the file changed
// while it was searched.
std::optional<Target> FindTarget(const GameDocument& document, const fs::path& games,
                                 const OldFile& old) {
    const GamesFile& index = *document.gamesFile;
    const std::uint64_t size = old.fd >= 0 ? old.identity.size : 0;
    const bool indexCurrent =
        old.fd >= 0 ? index.indexedIdentity() == old.identity : index.entryCount() == 0;
    const bool hasSlot = document.fileEnd > document.fileOffset;
    if (!hasSlot) {
        return Target{Target::Kind::End, size, size, indexCurrent};
    }
    const std::string_view slot = document.slotText;
    const bool slotKnown = slot.size() == document.fileEnd - document.fileOffset;
    if (old.fd >= 0 && slotKnown) {
        // The file is still the one in which the game's offset was known to be right.
        if (document.slotFileStamp == StampOf(old.identity) &&
            SlotBytesMatch(old.fd, document.fileOffset, slot)) {
            return Target{Target::Kind::Slot, document.fileOffset, document.fileEnd, indexCurrent};
        }
        const SlotSearch search =
            FindSlotAgain(games, old.fd, old.identity, slot, document.fileOffset);
        if (search.outcome == SlotSearch::Outcome::FileChanged) {
            return std::nullopt;
        }
        if (search.outcome == SlotSearch::Outcome::Found) {
            return Target{Target::Kind::Slot, search.offset, search.offset + slot.size(),
                          indexCurrent};
        }
    }
    return Target{Target::Kind::NewGame, size, size, indexCurrent};
}

// Saves the document where FindTarget puts it. A file that changes while the new file
// is being built is looked at again, a few times.
SaveResult SaveSlot(GameDocument& document) {
    if (document.gamesFile == nullptr) {
        ReportSaveFailure(document);
        return SaveResult::Failed;
    }
    const fs::path games = ResolvedGamesPath(document.gamesFile->path());
    StringSink game;
    WritePgnGame(document, game);
    for (int attempt = 0; attempt < kSaveAttempts; ++attempt) {
        Descriptor fd;
        OldFile old;
        if (!OpenOldFile(games, fd, old) ||
            (old.fd < 0 && document.saveMode >= 2 && document.fileEnd <= document.fileOffset)) {
            break;
        }
        const std::optional<Target> target = FindTarget(document, games, old);
        if (!target) {
            continue;
        }
        bool rewrite = old.fd < 0;
        if (!rewrite && document.saveMode < 2) {
            const auto blankHead = IsBlankRange(old.fd, 0, target->offset);
            const auto blankTail = IsBlankRange(old.fd, target->end, old.identity.size);
            if (!blankHead || !blankTail) {
                break;
            }
            rewrite = *blankHead && *blankTail;
        }
        const std::string_view separator =
            target->kind != Target::Kind::Slot ? kBlankLine : std::string_view();
        const Layout layout =
            rewrite ? Layout{} : Layout{target->offset, separator, true, target->end};
        Written written;
        const Failure failure = ReplaceFile(game.text, games, old, layout, written);
        if (failure == Failure::FileChanged) {
            continue;
        }
        if (failure == Failure::Error) {
            break;
        }
        const std::uint64_t newOffset = layout.headLength + layout.separator.size();
        const std::uint64_t newEnd = newOffset + written.gameLength;
        // The index still describes the new file when none of its games moved: the game
        // went to the end, or into its slot with a text as long as the old one. Otherwise
        // the next save reads the index again (the games list reloads it anyway).
        const bool nothingMoved = !rewrite && (target->kind != Target::Kind::Slot ||
                                               written.gameLength == target->end - target->offset);
        document.gamesFile->SetIndexedIdentity(
            target->indexCurrent && nothingMoved ? written.identity : std::nullopt);
        document.fileOffset = newOffset;
        document.fileEnd = newEnd;
        document.slotText = std::move(game.text);
        document.slotFileStamp = written.identity ? StampOf(*written.identity) : 0;
        if (!written.folderSynced) {
            // The new file is in place and whole; a crash now could at worst bring back
            // the old one, whole too. Reporting a failure would leave the games list
            // with offsets into a file that has changed.
            DebugOutput(u"Games file replaced, but its folder could not be synced\n");
        }
        if (target->kind == Target::Kind::NewGame) {
            ReportSavedAsNewGame(document);
        }
        return SaveResult::Ok;
    }
    ReportSaveFailure(document);
    return SaveResult::Failed;
}

}  // namespace

bool CopyFileBytes(int target, int source, std::int64_t count, std::uint64_t* copied) {
    std::uint64_t done = 0;
    const bool bounded = count >= 0;
    const auto wanted = static_cast<std::uint64_t>(count);
    bool kernelCopy = true;
    std::unique_ptr<char[]> buffer;
    bool ok = true;
    while (!bounded || done < wanted) {
        const std::size_t chunk = static_cast<std::size_t>(
            bounded ? std::min<std::uint64_t>(wanted - done, kKernelCopyChunk) : kKernelCopyChunk);
        ssize_t moved = 0;
        if (kernelCopy) {
            moved = ::copy_file_range(source, nullptr, target, nullptr, chunk, 0);
            if (moved < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP ||
                              errno == EINVAL || errno == EBADF)) {
                // This pair of files cannot be copied by the kernel: go through memory.
                kernelCopy = false;
                continue;
            }
        } else {
            if (!buffer) {
                buffer = std::make_unique<char[]>(kCopyBufferSize);
            }
            moved = ::read(source, buffer.get(), std::min(chunk, kCopyBufferSize));
            if (moved > 0) {
                FileOutput output(target);
                output.Write({buffer.get(), static_cast<std::size_t>(moved)});
                if (!output.Flush()) {
                    ok = false;
                    break;
                }
            }
        }
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved < 0) {
            ok = false;
            break;
        }
        if (moved == 0) {
            break;  // the end of the source
        }
        done += static_cast<std::uint64_t>(moved);
    }
    if (copied != nullptr) {
        *copied = done;
    }
    return ok;
}

ReadResult LoadGameForUpdate(GameDocument& document, std::uint64_t offset, std::uint32_t saveMode) {
    document.slotText.clear();
    document.slotFileStamp = 0;
    if (document.gamesFile == nullptr) {
        return LoadGame(document, offset, saveMode);
    }
    const fs::path& path = document.gamesFile->path();
    const std::optional<FileIdentity> before = IdentityOfFile(path);
    ReadResult result = LoadGame(document, offset, saveMode);
    if (result.code != ReadCode::Ok || !before || document.fileEnd < document.fileOffset) {
        return result;
    }
    // The slot is read again from a file that is still the one the game was read from;
    // the game itself came through the reader's own buffer.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0 || IdentityOfDescriptor(fd.get()) != before) {
        return result;
    }
    std::string slot(document.fileEnd - document.fileOffset, '\0');
    std::size_t done = 0;
    while (done < slot.size()) {
        const ssize_t got = ::pread(fd.get(), slot.data() + done, slot.size() - done,
                                    static_cast<off_t>(document.fileOffset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return result;
        }
        done += static_cast<std::size_t>(got);
    }
    if (IdentityOfDescriptor(fd.get()) == before) {
        document.slotText = std::move(slot);
        // The offset came from the index: it starts a game only in the file indexed.
        if (document.gamesFile->indexedIdentity() == before) {
            document.slotFileStamp = StampOf(*before);
        }
    }
    return result;
}

SaveResult SaveGame(GameDocument& document) {
    return SaveSlot(document);
}

SaveResult AppendNewGame(std::unique_ptr<GameDocument>& document, GamesFile& gamesFile) {
    document->gamesFile = &gamesFile;
    // The new game's slot is empty; SaveGame puts it at the very end, after a blank
    // line, or makes the file when there is none.
    document->fileOffset = 0;
    document->fileEnd = 0;
    document->slotText.clear();
    document->slotFileStamp = 0;
    struct stat status {};
    document->saveMode = ::stat(ResolvedGamesPath(gamesFile.path()).c_str(), &status) == 0 ? 2 : 0;
    const SaveResult result = SaveGame(*document);
    if (result != SaveResult::Ok) {
        return result;
    }
    gamesFile.Append(std::move(document));
    return SaveResult::Ok;
}
