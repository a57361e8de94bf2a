#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <system_error>

#include "pgn/byte_sink.h"

// Buffered writing to an open file descriptor, which stays the caller's. The first
// failing write is remembered (its error) and every later write is dropped, so that a
// full disk surfaces once, at Flush, instead of being lost among many small writes.
class FileOutput : public ByteSink {
public:
    // Writes to `descriptor` at its current position; does not take ownership.
    explicit FileOutput(int descriptor);
    ~FileOutput() override;

    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    void Write(std::string_view bytes) override;

    // Hands the buffered bytes to the system. Returns false when this or any earlier
    // write failed; error() then tells why. Does not sync to the disk.
    [[nodiscard]] bool Flush();

    // The error of the first failure; none while every write succeeded.
    [[nodiscard]] std::error_code error() const { return error_; }

    // Bytes accepted by Write so far, flushed or not.
    [[nodiscard]] std::uint64_t bytesWritten() const { return bytesWritten_; }

    static constexpr std::size_t kBufferSize = std::size_t{64} << 10;

private:
    void WriteThrough(std::string_view bytes);

    int descriptor_;
    std::unique_ptr<char[]> buffer_;
    std::size_t length_ = 0;
    std::uint64_t bytesWritten_ = 0;
    std::error_code error_;
};
