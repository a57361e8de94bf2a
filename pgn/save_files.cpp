#include "pgn/save_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryEnd = ".tmp";
constexpr std::size_t kRandomLength = 6;
// Names taken by other files are skipped; this many in a row mean something is wrong.
constexpr int kCreateAttempts = 100;

bool IsLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

fs::path FolderOf(const fs::path& games) {
    return games.has_parent_path() ? games.parent_path() : fs::path(".");
}

}  // namespace

fs::path ResolvedGamesPath(const fs::path& games) {
    struct stat link {};
    if (::lstat(games.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        std::error_code error;
        fs::path real = fs::canonical(games, error);
        if (!error) {
            return real;
        }
    }
    return games;
}

std::optional<SaveTemporary> CreateSaveTemporary(const fs::path& games) {
    static constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    // Seeded afresh for every file: a process forked from this one must not draw the
    // same names.
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    const fs::path folder = FolderOf(games);
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        std::string name = "." + games.filename().string() + ".";
        for (std::size_t i = 0; i < kRandomLength; ++i) {
            name += kLetters[pick(random)];
        }
        name += kTemporaryEnd;
        fs::path path = folder / name;
        // The mode asked for goes through the user's file creation mask, as for any
        // new file; a save of an existing games file then gives it that file's mode.
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return SaveTemporary{fd, std::move(path)};
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool IsSaveTemporaryName(std::string_view fileName, std::string_view gamesName) {
    const std::size_t length = 1 + gamesName.size() + 1 + kRandomLength + kTemporaryEnd.size();
    if (gamesName.empty() || fileName.size() != length || fileName[0] != '.' ||
        fileName.substr(1, gamesName.size()) != gamesName ||
        fileName[1 + gamesName.size()] != '.' || !fileName.ends_with(kTemporaryEnd)) {
        return false;
    }
    for (const char c : fileName.substr(2 + gamesName.size(), kRandomLength)) {
        if (!IsLetterOrDigit(c)) {
            return false;
        }
    }
    return true;
}

int RemoveStaleSaveFiles(const fs::path& games) {
    const fs::path resolved = ResolvedGamesPath(games);
    const std::string gamesName = resolved.filename().string();
    std::error_code error;
    fs::directory_iterator entries(FolderOf(resolved), error);
    if (error) {
        return 0;
    }
    int removed = 0;
    for (const fs::directory_entry& entry : entries) {
        const fs::path& path = entry.path();
        if (!IsSaveTemporaryName(path.filename().string(), gamesName)) {
            continue;
        }
        struct stat status {};
        if (::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            status.st_uid == ::geteuid() && ::unlink(path.c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}
