#pragma once

#include <filesystem>

// An exclusive lock on a lock file, held from a successful TryLock until the object
// is destroyed (or the process ends, when the system drops it). The lock file is
// created when missing and never removed: removing it would let a later start lock a
// new file while an older one is still locked.
class FileLock {
public:
    enum class Result {
        Locked,  // this object holds the lock now
        Busy,    // another open file (another process) holds it
        Failed,  // the lock file can be neither opened nor created, or cannot be locked
    };

    FileLock() = default;
    ~FileLock();

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Tries once, without waiting, to lock `lockFile`. A lock already held by this
    // object is released first.
    Result TryLock(const std::filesystem::path& lockFile);

    [[nodiscard]] bool IsLocked() const { return descriptor_ >= 0; }

private:
    void Release();

    int descriptor_ = -1;
};
