#include "platform/device_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "platform/text_codec.h"

namespace {

// A stray CR (a line break of another system) counts as blank too.
constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The name of a "[name]" line, or std::nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[') {
        return std::nullopt;
    }
    const std::size_t close = trimmed.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(trimmed.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// The key of a "key=value" line, or std::nullopt.
std::optional<std::string_view> KeyName(std::string_view line) {
    if (IsComment(line) || SectionName(line)) {
        return std::nullopt;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(0, equals));
}

std::string CleanValue(std::u16string_view value) {
    std::u16string clean(value);
    for (char16_t& c : clean) {
        if (c == u'\r' || c == u'\n' || c == u'\0') {
            c = u' ';
        }
    }
    return EncodeUtf8(clean);
}

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

}  // namespace

namespace {

// $variable when it is an absolute path, else $HOME/fallback; empty when neither is.
std::filesystem::path XdgFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        return {};
    }
    return std::filesystem::path(home) / fallback;
}

}  // namespace

std::filesystem::path DeviceSettings::DefaultPath() {
    const std::filesystem::path base = XdgFolder("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : base / "korvani" / "device.ini";
}

std::filesystem::path DeviceSettings::DataFolder() {
    const std::filesystem::path base = XdgFolder("XDG_DATA_HOME", ".local/share");
    return base.empty() ? base : base / "korvani";
}

int DeviceSettings::Load(const std::filesystem::path& path) {
    path_ = path;
    lines_.clear();
    byteOrderMark_ = false;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        return error == std::errc::no_such_file_or_directory ? 0 : error.value();
    }
    if (size > kMaxFileSize) {
        return EFBIG;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return errno != 0 ? errno : EIO;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    ReadText(bytes);
    return 0;
}

void DeviceSettings::ReadText(std::string_view bytes) {
    lines_.clear();
    // Editors on other systems may start the file with a byte order mark; it is kept
    // but must not hide the first section.
    constexpr std::string_view kByteOrderMark = "\xef\xbb\xbf";
    byteOrderMark_ = bytes.starts_with(kByteOrderMark);
    if (byteOrderMark_) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        Line line;
        if (end == std::string_view::npos) {
            line.text = bytes.substr(start);
            end = bytes.size();
        } else {
            line.text = bytes.substr(start, end - start);
            line.lineBreak = "\n";
            if (!line.text.empty() && line.text.back() == '\r') {
                line.text.pop_back();
                line.lineBreak = "\r\n";
            }
            ++end;
        }
        lines_.push_back(std::move(line));
        start = end;
    }
}

std::string DeviceSettings::Text() const {
    std::string bytes = byteOrderMark_ ? "\xef\xbb\xbf" : "";
    for (const Line& line : lines_) {
        bytes += line.text;
        bytes += line.lineBreak;
    }
    return bytes;
}

std::optional<std::size_t> DeviceSettings::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i].text);
        if (name && EqualsAsciiNoCase(*name, section)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> DeviceSettings::FindKey(std::size_t header, std::string_view key) const {
    for (std::size_t i = header + 1; i < lines_.size(); ++i) {
        if (SectionName(lines_[i].text)) {
            break;
        }
        const auto name = KeyName(lines_[i].text);
        if (name && EqualsAsciiNoCase(*name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t DeviceSettings::SectionEnd(std::size_t header) const {
    std::size_t end = header + 1;
    for (std::size_t i = header + 1; i < lines_.size() && !SectionName(lines_[i].text); ++i) {
        if (!Trim(lines_[i].text).empty()) {
            end = i + 1;
        }
    }
    return end;
}

std::string DeviceSettings::NewLineBreak() const {
    return !lines_.empty() && lines_.front().lineBreak == "\r\n" ? "\r\n" : "\n";
}

std::optional<std::u16string> DeviceSettings::Get(std::u16string_view section,
                                                  std::u16string_view key) const {
    const auto header = FindSection(EncodeUtf8(section));
    if (!header) {
        return std::nullopt;
    }
    const auto line = FindKey(*header, EncodeUtf8(key));
    if (!line) {
        return std::nullopt;
    }
    const std::string_view text = lines_[*line].text;
    return DecodeLine(Trim(text.substr(text.find('=') + 1)));
}

void DeviceSettings::Set(std::u16string_view section, std::u16string_view key,
                         std::u16string_view value) {
    const std::string sectionName = CleanValue(section);
    const std::string keyName = CleanValue(key);
    const std::string cleanValue = CleanValue(value);
    auto header = FindSection(sectionName);
    if (header) {
        if (const auto found = FindKey(*header, keyName)) {
            std::string& text = lines_[*found].text;
            // Keep the key as the user spelt it, and a blank after "=" if there was one.
            const std::size_t equals = text.find('=');
            const bool blank = equals + 1 < text.size() && text[equals + 1] == ' ';
            text = text.substr(0, equals + 1) + (blank ? " " : "") + cleanValue;
            return;
        }
    } else {
        if (!lines_.empty() && lines_.back().lineBreak.empty()) {
            lines_.back().lineBreak = NewLineBreak();
        }
        if (!lines_.empty() && !Trim(lines_.back().text).empty()) {
            lines_.push_back({"", NewLineBreak()});
        }
        lines_.push_back({"[" + sectionName + "]", NewLineBreak()});
        header = lines_.size() - 1;
    }
    const std::size_t at = SectionEnd(*header);
    if (at == lines_.size() && !lines_.empty() && lines_.back().lineBreak.empty()) {
        lines_.back().lineBreak = NewLineBreak();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  Line{keyName + "=" + cleanValue, NewLineBreak()});
}

int DeviceSettings::Save() const {
    if (path_.empty()) {
        return ENOENT;
    }
    std::error_code error;
    // A settings file that is a link (into a folder of dotfiles, say) stays a link:
    // the file it names is the one replaced.
    std::filesystem::path target = path_;
    if (std::filesystem::is_symlink(path_, error)) {
        std::filesystem::path resolved = std::filesystem::weakly_canonical(path_, error);
        if (!error) {
            target = std::move(resolved);
        }
    }
    std::filesystem::create_directories(target.parent_path(), error);
    if (error) {
        return error.value();
    }
    std::string temporary = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return errno;
    }
    // The new file keeps the old one's permissions, not the owner-only ones of a
    // temporary file.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        static_cast<void>(::fchmod(fd, old.st_mode & 07777));
    }
    int result = WriteAll(fd, Text());
    if (result == 0 && ::fsync(fd) != 0) {
        result = errno;
    }
    if (::close(fd) != 0 && result == 0) {
        result = errno;
    }
    if (result == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) {
        result = errno;
    }
    if (result != 0) {
        ::unlink(temporary.c_str());
    }
    return result;
}
