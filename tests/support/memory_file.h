#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <string_view>

// Bytes in an anonymous memory file, with a path that open() accepts, so the readers
// of games files can be fed any input without touching the disk.
class MemoryFile {
public:
    explicit MemoryFile(std::string_view bytes) : descriptor_(memfd_create("games", 0)) {
        while (descriptor_ >= 0 && !bytes.empty()) {
            const ssize_t got = write(descriptor_, bytes.data(), bytes.size());
            if (got <= 0) {
                break;
            }
            bytes.remove_prefix(static_cast<std::size_t>(got));
        }
    }
    ~MemoryFile() {
        if (descriptor_ >= 0) {
            close(descriptor_);
        }
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    [[nodiscard]] std::string path() const {
        return "/proc/self/fd/" + std::to_string(descriptor_);
    }
    [[nodiscard]] bool ok() const { return descriptor_ >= 0; }

private:
    int descriptor_;
};
