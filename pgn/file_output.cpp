#include "pgn/file_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

FileOutput::FileOutput(int descriptor)
    : descriptor_(descriptor), buffer_(std::make_unique<char[]>(kBufferSize)) {}

// Whatever is still buffered is dropped: an owner that cares calls Flush and looks at
// its result.
FileOutput::~FileOutput() = default;

void FileOutput::Write(std::string_view bytes) {
    bytesWritten_ += bytes.size();
    if (error_ || bytes.empty()) {
        return;
    }
    if (bytes.size() > kBufferSize - length_) {
        if (!Flush()) {
            return;
        }
        if (bytes.size() >= kBufferSize) {
            WriteThrough(bytes);
            return;
        }
    }
    std::memcpy(buffer_.get() + length_, bytes.data(), bytes.size());
    length_ += bytes.size();
}

bool FileOutput::Flush() {
    if (!error_ && length_ > 0) {
        WriteThrough({buffer_.get(), length_});
    }
    length_ = 0;
    return !error_;
}

void FileOutput::WriteThrough(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            // A write that takes nothing would loop for ever; call it a full disk.
            error_ = written < 0 ? std::error_code(errno, std::generic_category())
                                 : std::make_error_code(std::errc::no_space_on_device);
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}
