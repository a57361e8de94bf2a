#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

FileLock::~FileLock() {
    Release();
}

void FileLock::Release() {
    if (descriptor_ >= 0) {
        // Closing the only descriptor of the open file drops its lock.
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

FileLock::Result FileLock::TryLock(const std::filesystem::path& lockFile) {
    Release();
    // Close-on-exec, so that a program started by this one (the send command) does not
    // keep the lock after this one has ended.
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Result::Failed;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Result::Busy : Result::Failed;
    }
    descriptor_ = fd;
    return Result::Locked;
}
