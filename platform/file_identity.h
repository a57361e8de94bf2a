#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

// What tells one state of a file from another: the file itself (device and inode),
// its length, and the times of its last change of content and of status. A file that
// another program rewrote in place or replaced by renaming has another identity; the
// status time cannot be set back by a program that restores the modification time.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changedSeconds = 0;
    std::int64_t changedNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path` (a symbolic link is followed); std::nullopt when
// it cannot be examined (missing, or no permission).
std::optional<FileIdentity> IdentityOfFile(const std::filesystem::path& path);

// The identity of the open file `descriptor`; std::nullopt when fstat fails.
std::optional<FileIdentity> IdentityOfDescriptor(int descriptor);

// A 64-bit fingerprint of `identity`, for a record that cannot hold the identity
// itself; never 0, so that 0 can stand for "unknown".
std::uint64_t StampOf(const FileIdentity& identity);
