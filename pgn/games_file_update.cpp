#include "pgn/games_file_update.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "game/game_document.h"
#include "pgn/file_output.h"
#include "pgn/games_file.h"
#include "pgn/pgn_writer.h"
#include "platform/debug_sink.h"
#include "platform/error_report.h"
#include "platform/text_codec.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCopyBufferSize = 1 << 20;
constexpr std::size_t kKernelCopyChunk = std::size_t{1} << 30;
constexpr std::string_view kBlankLine = "\r\n";

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

    int get() const { return fd_; }

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

// Removes the backup file when the save does not get as far as renaming it.
class BackupGuard {
public:
    explicit BackupGuard(fs::path backup) : backup_(std::move(backup)) {}
    ~BackupGuard() {
        if (!committed_) {
            ::unlink(backup_.c_str());
        }
    }
    BackupGuard(const BackupGuard&) = delete;
    BackupGuard& operator=(const BackupGuard&) = delete;

    void Commit() { committed_ = true; }

private:
    fs::path backup_;
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
    std::uint64_t size = 0;
    mode_t mode = 0644;
};

void ReportSaveFailure(const GameDocument& document) {
    std::u16string text;
    if (document.gamesFile != nullptr) {
        text = DecodeLine(document.gamesFile->path().native());
    }
    ShowErrorBox({std::move(text), kUnableToSaveGame, ErrorBox::Icon::None});
}

// A games file reached through a symbolic link is replaced where it really lives,
// so that the link stays a link.
fs::path ResolvedPath(const fs::path& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        std::error_code error;
        fs::path real = fs::canonical(path, error);
        if (!error) {
            return real;
        }
    }
    return path;
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

// Builds the new games file in the backup file, syncs it and renames it over the
// games file. Returns the length of the game's text, or std::nullopt when the games
// file is untouched and the backup removed. `folderSynced` tells whether the rename
// itself reached the disk.
std::optional<std::uint64_t> ReplaceFile(const GameDocument& document, const fs::path& games,
                                         const OldFile& old, const Layout& layout,
                                         bool& folderSynced) {
    fs::path backup = games;
    backup += ".bak";
    // A backup left by an interrupted save is stale; anything else in its place
    // (a folder) makes the exclusive creation fail and is left alone.
    ::unlink(backup.c_str());
    Descriptor out(
        ::open(backup.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (out.get() < 0) {
        return std::nullopt;
    }
    BackupGuard guard(backup);
    if (old.fd >= 0) {
        ::fchmod(out.get(), old.mode & 07777);
    }
    if (layout.headLength > 0 &&
        !CopyRange(out.get(), old.fd, 0, static_cast<std::int64_t>(layout.headLength),
                   layout.headLength)) {
        return std::nullopt;
    }
    FileOutput writer(out.get());
    writer.Write(layout.separator);
    WritePgnGame(document, writer);
    if (!writer.Flush()) {
        return std::nullopt;
    }
    const std::uint64_t gameLength = writer.bytesWritten() - layout.separator.size();
    if (layout.keepTail && layout.tailStart < old.size &&
        !CopyRange(out.get(), old.fd, layout.tailStart, -1, old.size - layout.tailStart)) {
        return std::nullopt;
    }
    if (::fsync(out.get()) != 0 || !out.Close() || ::rename(backup.c_str(), games.c_str()) != 0) {
        return std::nullopt;
    }
    guard.Commit();
    folderSynced = SyncFolder(games);
    return gameLength;
}

// Opens the games file for the save: writable, so that a file the user protected is
// not replaced behind his back. Returns false when it exists but cannot be used.
bool OpenOldFile(const fs::path& games, Descriptor& fd, OldFile& old) {
    fd.Reset(::open(games.c_str(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0) {
        return errno == ENOENT;
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    old.fd = fd.get();
    old.size = static_cast<std::uint64_t>(status.st_size);
    old.mode = status.st_mode;
    return true;
}

// Saves the document into its slot, with `separator` before the game. Offsets that
// no longer fit the file are clamped to it, so no byte outside the slot is lost.
SaveResult SaveSlot(GameDocument& document, std::string_view separator) {
    if (document.gamesFile == nullptr) {
        ReportSaveFailure(document);
        return kSaveFailed;
    }
    const fs::path games = ResolvedPath(document.gamesFile->path());
    Descriptor fd;
    OldFile old;
    if (!OpenOldFile(games, fd, old) || (old.fd < 0 && document.saveMode >= 2)) {
        ReportSaveFailure(document);
        return kSaveFailed;
    }
    const std::uint64_t offset = std::min<std::uint64_t>(document.fileOffset, old.size);
    const std::uint64_t end = std::clamp<std::uint64_t>(document.fileEnd, offset, old.size);
    bool rewrite = old.fd < 0;
    if (!rewrite && document.saveMode < 2) {
        const auto blankHead = IsBlankRange(old.fd, 0, offset);
        const auto blankTail = IsBlankRange(old.fd, end, old.size);
        if (!blankHead || !blankTail) {
            ReportSaveFailure(document);
            return kSaveFailed;
        }
        rewrite = *blankHead && *blankTail;
    }
    const Layout layout = rewrite ? Layout{} : Layout{offset, separator, true, end};
    bool folderSynced = false;
    const auto gameLength = ReplaceFile(document, games, old, layout, folderSynced);
    if (!gameLength) {
        ReportSaveFailure(document);
        return kSaveFailed;
    }
    document.fileOffset = layout.headLength + layout.separator.size();
    document.fileEnd = document.fileOffset + *gameLength;
    if (!folderSynced) {
        // The new file is in place and whole; a crash now could at worst bring back
        // the old one, whole too. Reporting a failure would leave the games list
        // with offsets into a file that has changed.
        DebugOutput(u"Games file replaced, but its folder could not be synced\n");
    }
    return kSaveOk;
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

SaveResult SaveGame(GameDocument& document) {
    return SaveSlot(document, {});
}

SaveResult AppendNewGame(std::unique_ptr<GameDocument>& document, GamesFile& gamesFile) {
    document->gamesFile = &gamesFile;
    struct stat status {};
    const fs::path games = ResolvedPath(gamesFile.path());
    std::string_view separator;
    if (::stat(games.c_str(), &status) != 0) {
        document->fileOffset = 0;
        document->fileEnd = 0;
        document->saveMode = 0;
    } else {
        // The new game's slot is empty and at the very end, after a blank line.
        document->fileOffset = static_cast<std::uint64_t>(status.st_size);
        document->fileEnd = document->fileOffset;
        document->saveMode = 2;
        separator = kBlankLine;
    }
    const SaveResult result = SaveSlot(*document, separator);
    if (result != kSaveOk) {
        return result;
    }
    gamesFile.Append(std::move(document));
    return kSaveOk;
}
