#include "messaging/sender_cache.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <sstream>
#include <system_error>

#include "messaging/file_handle.h"

namespace {

// The first line of a cache file: what it is and the version of its lines.
constexpr std::string_view kFirstLine = "korvani inbox senders 1";

// Reads one number of a line, up to the blank or tab that ends it; false when there
// is none.
template <typename Number>
bool ReadNumber(std::string_view& line, Number& value, char end) {
    const auto [rest, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (error != std::errc() || rest == line.data() + line.size() || *rest != end) {
        return false;
    }
    line.remove_prefix(static_cast<std::size_t>(rest - line.data()) + 1);
    return true;
}

bool Writable(std::string_view text) {
    return text.find_first_of("\t\n") == std::string_view::npos;
}

}  // namespace

SenderCache SenderCache::Load(const std::filesystem::path& file) {
    SenderCache cache;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kMaxFileBytes) {
        return cache;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::ifstream in(file, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    std::string_view text = bytes;
    if (!text.starts_with(kFirstLine) || text.substr(kFirstLine.size(), 1) != "\n") {
        return cache;
    }
    text.remove_prefix(kFirstLine.size() + 1);
    cache.byPath_.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    // A line: seconds, a blank, nanoseconds, a tab, the sender, a tab, the path.
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view rest = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        Known known;
        if (!ReadNumber(rest, known.delivered, ' ') ||
            !ReadNumber(rest, known.deliveredNanos, '\t')) {
            continue;
        }
        const std::size_t tab = rest.find('\t');
        if (tab == std::string_view::npos || tab + 1 == rest.size()) {
            continue;
        }
        known.sender = rest.substr(0, tab);
        cache.byPath_.insert_or_assign(std::string(rest.substr(tab + 1)), Record{std::move(known)});
    }
    return cache;
}

const SenderCache::Known* SenderCache::Use(const std::string& path) {
    const auto found = byPath_.find(path);
    if (found == byPath_.end()) {
        return nullptr;
    }
    if (!found->second.used) {
        found->second.used = true;
        ++used_;
    }
    return &found->second.known;
}

const SenderCache::Known* SenderCache::Remember(const std::string& path, Known known) {
    if (path.empty() || !Writable(path) || !Writable(known.sender)) {
        unrecorded_ = std::move(known);
        return &unrecorded_;
    }
    added_ = true;
    auto [record, inserted] = byPath_.insert_or_assign(path, Record{std::move(known), true});
    if (inserted) {
        ++used_;
    }
    return &record->second.known;
}

int SenderCache::Save(const std::filesystem::path& file) const {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) {
        return error.value();
    }
    std::ostringstream text;
    text << kFirstLine << '\n';
    for (const auto& [path, record] : byPath_) {
        if (!record.used) {
            continue;
        }
        const Known& known = record.known;
        text << known.delivered << ' ' << known.deliveredNanos << '\t' << known.sender << '\t'
             << path << '\n';
    }
    const std::string bytes = std::move(text).str();
    // Written beside the cache and renamed over it, so that a reader never finds half
    // a cache; a name of this process's own, so that two programs never share it.
    const std::filesystem::path temporary =
        file.string() + ".tmp" + std::to_string(static_cast<long>(::getpid()));
    int result = 0;
    {
        const FileHandle fd(
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (fd.get() < 0) {
            return errno != 0 ? errno : EIO;
        }
        std::string_view rest = bytes;
        while (result == 0 && !rest.empty()) {
            const ssize_t written = ::write(fd.get(), rest.data(), rest.size());
            if (written < 0 && errno != EINTR) {
                result = errno != 0 ? errno : EIO;
            } else if (written > 0) {
                rest.remove_prefix(static_cast<std::size_t>(written));
            }
        }
    }
    if (result == 0 && ::rename(temporary.c_str(), file.c_str()) != 0) {
        result = errno != 0 ? errno : EIO;
    }
    if (result != 0) {
        ::unlink(temporary.c_str());
    }
    return result;
}
