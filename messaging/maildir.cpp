#include "messaging/maildir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <system_error>

namespace {

constexpr const char* kSubfolders[] = {"new", "cur", "tmp"};

// A name no other process can choose: time, microseconds, process, a counter of this
// process and the host, as the maildir convention has it.
std::string UniqueName() {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now);
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now - seconds);
    char host[256] = "localhost";
    ::gethostname(host, sizeof host - 1);
    std::string hostName(host);
    // "/" and ":" have meanings in a maildir file name.
    std::replace(hostName.begin(), hostName.end(), '/', '_');
    std::replace(hostName.begin(), hostName.end(), ':', '_');
    return std::to_string(seconds.count()) + ".M" + std::to_string(micros.count()) + "P" +
           std::to_string(::getpid()) + "Q" + std::to_string(++counter) + "." + hostName;
}

// The unique part of a maildir file name: everything before ":2,".
std::string UniquePart(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    return name.substr(0, name.find(':'));
}

int ErrnoOr(int fallback) {
    return errno != 0 ? errno : fallback;
}

// True when the maildir flags of a file name (the letters after ":2,") hold T, the
// mark of a message the user has thrown away.
bool IsTrashed(std::string_view name) {
    const std::size_t info = name.find(":2,");
    return info != std::string_view::npos && name.find('T', info + 3) != std::string_view::npos;
}

// True when `folder` is a directory of its own, not a link to one elsewhere.
bool IsRealDirectory(const std::filesystem::path& folder) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

int Maildir::Check() const {
    for (const char* sub : kSubfolders) {
        struct stat info {};
        if (::stat((folder_ / sub).c_str(), &info) != 0) {
            return ErrnoOr(ENOENT);
        }
        if (!S_ISDIR(info.st_mode)) {
            return ENOTDIR;
        }
    }
    return 0;
}

int Maildir::Create(Kind kind) const {
    for (const char* sub : kSubfolders) {
        std::error_code error;
        std::filesystem::create_directories(folder_ / sub, error);
        if (error) {
            return error.value();
        }
    }
    if (kind == Kind::Subfolder) {
        // Kept when it exists: an empty file, which only its presence matters for.
        const int fd = ::open((folder_ / "maildirfolder").c_str(),
                              O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            return ErrnoOr(EIO);
        }
        ::close(fd);
    }
    return 0;
}

int Maildir::CreateTemporary(std::filesystem::path& file) const {
    for (int attempt = 0; attempt < 8; ++attempt) {
        file = folder_ / "tmp" / UniqueName();
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return 0;
        }
        if (errno != EEXIST) {
            return ErrnoOr(EIO);
        }
    }
    return EEXIST;
}

int Maildir::MoveIn(const std::filesystem::path& file, std::string_view flags,
                    std::filesystem::path& moved) const {
    const std::string unique = UniquePart(file);
    moved = flags.empty() ? folder_ / "new" / unique
                          : folder_ / "cur" / (unique + ":2," + std::string(flags));
    if (::rename(file.c_str(), moved.c_str()) != 0) {
        return ErrnoOr(EIO);
    }
    return 0;
}

int Maildir::List(std::vector<Entry>& entries) const {
    entries.clear();
    for (const char* sub : {"new", "cur"}) {
        // A new/ or cur/ that links elsewhere would show files from outside the store.
        if (!IsRealDirectory(folder_ / sub)) {
            continue;
        }
        std::error_code error;
        std::filesystem::directory_iterator it(folder_ / sub, error);
        for (const std::filesystem::directory_iterator end; !error && it != end;
             it.increment(error)) {
            const std::string name = it->path().filename().string();
            struct stat info {};
            // A message that has just been moved away by another program is skipped.
            if (name.empty() || name[0] == '.' || IsTrashed(name) ||
                ::stat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
                continue;
            }
            entries.push_back({it->path(), info.st_mtim.tv_sec, info.st_mtim.tv_nsec});
        }
        if (error) {
            return error.value();
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.modified != b.modified) {
            return a.modified < b.modified;
        }
        if (a.modifiedNanos != b.modifiedNanos) {
            return a.modifiedNanos < b.modifiedNanos;
        }
        return a.path.filename() < b.path.filename();
    });
    return 0;
}

int Maildir::VisitNames(const NameVisitor& visit) const {
    for (const char* sub : {"new", "cur"}) {
        const std::filesystem::path subfolder = folder_ / sub;
        // O_NOFOLLOW: a new/ or cur/ that links elsewhere would show files from outside
        // the store.
        const int fd = ::open(subfolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            if (errno == ELOOP || errno == ENOTDIR) {
                continue;
            }
            return ErrnoOr(EIO);
        }
        DIR* folder = ::fdopendir(fd);
        if (folder == nullptr) {
            const int error = ErrnoOr(EIO);
            ::close(fd);
            return error;
        }
        while (const dirent* entry = ::readdir(folder)) {
            const std::string_view name(entry->d_name);
            if (name.empty() || name[0] == '.' || IsTrashed(entry->d_name) ||
                (entry->d_type != DT_REG && entry->d_type != DT_LNK &&
                 entry->d_type != DT_UNKNOWN)) {
                continue;
            }
            visit(fd, subfolder, entry->d_name);
        }
        ::closedir(folder);
    }
    return 0;
}

int WriteWholeFile(const std::filesystem::path& file, std::string_view bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        return ErrnoOr(EIO);
    }
    int result = 0;
    while (result == 0 && !bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno != EINTR) {
            result = ErrnoOr(EIO);
        } else if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    if (result == 0 && ::fsync(fd) != 0) {
        result = ErrnoOr(EIO);
    }
    if (::close(fd) != 0 && result == 0) {
        result = ErrnoOr(EIO);
    }
    return result;
}
