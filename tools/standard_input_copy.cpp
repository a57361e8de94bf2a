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
        ReportUnreadable(
            std::string(kName),
            folderError ? folderError : std::error_code(errno, std::generic_category()), err);
        return std::nullopt;
    }
    path_ = pattern;
    std::array<char, std::size_t{64} * 1024> buffer{};
    std::error_code error;
    while (!error && in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        auto left = static_cast<std::size_t>(in.gcount());
        const char* from = buffer.data();
        while (left > 0) {
            const ssize_t written = ::write(descriptor, from, left);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                error = written < 0 ? std::error_code(errno, std::generic_category())
                                    : std::make_error_code(std::errc::io_error);
                break;
            }
            from += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    if (!error && in.bad()) {
        error = std::make_error_code(std::errc::io_error);
    }
    if (::close(descriptor) != 0 && !error) {
        error = std::error_code(errno, std::generic_category());
    }
    if (error) {
        ReportUnreadable(std::string(kName), error, err);
        return std::nullopt;
    }
    return CommandFile{path_, std::string(kName)};
}
