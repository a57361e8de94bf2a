#pragma once

#include <stdlib.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/error_report.h"

// A folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "korvani-mail-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : "";
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Collects the error boxes shown while it lives.
struct ErrorBoxRecorder {
    ErrorBoxRecorder()
        : previous(SetErrorBoxHandler([this](const ErrorBox& box) { boxes.push_back(box); })) {}
    ~ErrorBoxRecorder() { SetErrorBoxHandler(std::move(previous)); }

    std::vector<ErrorBox> boxes;
    ErrorBoxHandler previous;
};

// While it lives, no file of this process can grow beyond `bytes`: a write past it
// fails with EFBIG (the signal that would come with it is ignored).
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : handler(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &previous);
        const rlimit limit{bytes, previous.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
    }

    void (*handler)(int);
    rlimit previous{};
};

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
}

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// The regular files of a maildir's new/ and cur/.
inline std::vector<std::filesystem::path> MessageFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const char* sub : {"new", "cur"}) {
        std::error_code error;
        for (std::filesystem::directory_iterator it(folder / sub, error), end; !error && it != end;
             it.increment(error)) {
            files.push_back(it->path());
        }
    }
    return files;
}

// "[a][b]": the pieces with their bounds in sight.
inline std::u16string Joined(const std::vector<std::u16string>& pieces) {
    std::u16string text;
    for (const std::u16string& piece : pieces) {
        text += u"[" + piece + u"]";
    }
    return text;
}

// Makes `root` a maildir (new/, cur/, tmp/).
inline void MakeMaildir(const std::filesystem::path& root) {
    for (const char* sub : {"new", "cur", "tmp"}) {
        std::filesystem::create_directories(root / sub);
    }
}
