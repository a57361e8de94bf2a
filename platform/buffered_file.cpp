#include "platform/buffered_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// The first read of a freshly opened or moved file is small, because a game is read
// from its offset and is usually a few kilobytes; each further read doubles up to the
// largest size, so reading a whole file takes few calls.
constexpr std::size_t kFirstReadSize = 4 * 1024;
constexpr std::size_t kLargestReadSize = 1024 * 1024;

}  // namespace

BufferedFile::~BufferedFile() {
    Close();
}

int BufferedFile::Open(const std::filesystem::path& path) {
    Close();
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return errno;
    }
    // A folder opens on this system but is not a file to read.
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(descriptor);
        return EISDIR;
    }
    descriptor_ = descriptor;
    bufferStart_ = 0;
    length_ = cursor_ = 0;
    atEnd_ = failed_ = false;
    readError_ = 0;
    nextReadSize_ = kFirstReadSize;
    return 0;
}

void BufferedFile::Close() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    length_ = cursor_ = 0;
    bufferStart_ = 0;
    atEnd_ = false;
}

void BufferedFile::Seek(std::uint64_t offset) {
    // A move inside the bytes already read costs nothing.
    if (offset >= bufferStart_ && offset <= bufferStart_ + length_) {
        cursor_ = static_cast<std::size_t>(offset - bufferStart_);
        return;
    }
    bufferStart_ = offset;
    length_ = cursor_ = 0;
    atEnd_ = false;
    nextReadSize_ = kFirstReadSize;
}

bool BufferedFile::Refill(std::size_t wanted) {
    // Keep the unread bytes, moved to the front, and read after them.
    const std::size_t kept = length_ - cursor_;
    const std::size_t readSize = std::max(nextReadSize_, wanted);
    if (capacity_ < kept + readSize) {
        const std::size_t newCapacity = kept + readSize;
        auto grown = std::make_unique<char[]>(newCapacity);
        if (kept > 0) {
            std::memcpy(grown.get(), buffer_.get() + cursor_, kept);
        }
        buffer_ = std::move(grown);
        capacity_ = newCapacity;
    } else if (kept > 0 && cursor_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + cursor_, kept);
    }
    bufferStart_ += cursor_;
    cursor_ = 0;
    length_ = kept;
    nextReadSize_ = std::min(readSize * 2, kLargestReadSize);
    while (length_ < wanted) {
        const ssize_t got = ::pread(descriptor_, buffer_.get() + length_, capacity_ - length_,
                                    static_cast<off_t>(bufferStart_ + length_));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            readError_ = errno;
            failed_ = true;
            atEnd_ = true;
            return false;
        }
        if (got == 0) {
            atEnd_ = true;
            break;
        }
        length_ += static_cast<std::size_t>(got);
    }
    return true;
}
