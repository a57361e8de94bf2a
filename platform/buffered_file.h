#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

// An existing file opened for reading through a buffer of its own, so that readers
// that take a few bytes at a time and step back over some of them cost neither a
// system call nor a seek per step. The buffer starts small and grows while the
// reading goes on, so opening a file to read one short record stays cheap.
class BufferedFile {
public:
    BufferedFile() = default;
    ~BufferedFile();

    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    // Opens an existing file for reading at position 0. Returns 0, or the errno
    // value of the failure (the object then stays closed).
    int Open(const std::filesystem::path& path);

    // Closes the file; nothing happens when it is not open.
    void Close();

    [[nodiscard]] bool IsOpen() const { return descriptor_ >= 0; }

    // The position of the next byte that Peek gives.
    [[nodiscard]] std::uint64_t Tell() const { return bufferStart_ + cursor_; }

    // Moves the position; a position past the end of the file reads as the end.
    void Seek(std::uint64_t offset);

    // Up to `count` bytes from the current position, without moving it. Fewer only at
    // the end of the file or when reading fails (see Failed); the view stays valid
    // until the next call of Peek, Seek or Close. Asking for more than kMaxPeek bytes
    // gives at most kMaxPeek.
    std::string_view Peek(std::size_t count) {
        count = count < kMaxPeek ? count : kMaxPeek;
        if (length_ - cursor_ < count && !atEnd_ && descriptor_ >= 0) {
            Refill(count);
        }
        const std::size_t available = length_ - cursor_;
        return {buffer_.get() + cursor_, count < available ? count : available};
    }

    // Moves the position forward by `count` bytes of the last Peek.
    void Skip(std::size_t count) { cursor_ += count; }

    // True once a read has failed (not at the mere end of the file).
    [[nodiscard]] bool Failed() const { return failed_; }

    // The errno value of the failed read, 0 when none failed.
    [[nodiscard]] int ReadError() const { return readError_; }

    static constexpr std::size_t kMaxPeek = std::size_t{64} * 1024;

private:
    bool Refill(std::size_t wanted);

    int descriptor_ = -1;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t length_ = 0;         // bytes of the buffer that hold file data
    std::size_t cursor_ = 0;         // index of the current position in the buffer
    std::uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
    std::size_t nextReadSize_ = 0;
    bool atEnd_ = false;
    bool failed_ = false;
    int readError_ = 0;
};
