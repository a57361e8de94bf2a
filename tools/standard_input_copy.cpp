#include "tools/standard_input_copy.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>

StandardInputCopy::~StandardInputCopy() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
}

std::optional<CommandFile> StandardInputCopy::Copy(std::istream& in, std::ostream& err) {
    constexpr std::string_view kName = "standard input";
    std::error_code folderError;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(folderError);
    std::string pattern = (folder / "korvani-pgn-stdin-XXXXXX").string();
    const int descriptor = folderError ? -1 : ::mkstemp(pattern.data());
    if (descriptor < 0) {
        ReportUnreadable(std::string(kName), folderError ? folderError.value() : errno, err);
        return std::nullopt;
    }
    path_ = pattern;
    std::array<char, std::size_t{64} * 1024> buffer{};
    int error = 0;
    while (error == 0 && in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        auto left = static_cast<std::size_t>(in.gcount());
        const char* from = buffer.data();
        while (left > 0) {
            const ssize_t written = ::write(descriptor, from, left);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                error = written < 0 ? errno : EIO;
                break;
            }
            from += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    if (error == 0 && in.bad()) {
        error = EIO;
    }
    if (::close(descriptor) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ReportUnreadable(std::string(kName), error, err);
        return std::nullopt;
    }
    return CommandFile{path_, std::string(kName)};
}
