#include "platform/file_identity.h"

#include <sys/stat.h>

namespace {

FileIdentity IdentityOf(const struct stat& status) {
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(status.st_dev);
    identity.inode = static_cast<std::uint64_t>(status.st_ino);
    identity.size = static_cast<std::uint64_t>(status.st_size);
    identity.modifiedSeconds = status.st_mtim.tv_sec;
    identity.modifiedNanoseconds = status.st_mtim.tv_nsec;
    identity.changedSeconds = status.st_ctim.tv_sec;
    identity.changedNanoseconds = status.st_ctim.tv_nsec;
    return identity;
}

// FNV-1a over the bytes of one value.
void Mix(std::uint64_t& hash, std::uint64_t value) {
    for (int byte = 0; byte < 8; ++byte) {
        hash ^= (value >> (byte * 8)) & 0xFF;
        hash *= 0x100000001B3ULL;
    }
}

}  // namespace

std::uint64_t StampOf(const FileIdentity& identity) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const std::uint64_t value : {identity.device, identity.inode, identity.size,
                                      static_cast<std::uint64_t>(identity.modifiedSeconds),
                                      static_cast<std::uint64_t>(identity.modifiedNanoseconds),
                                      static_cast<std::uint64_t>(identity.changedSeconds),
                                      static_cast<std::uint64_t>(identity.changedNanoseconds)}) {
        Mix(hash, value);
    }
    return hash == 0 ? 1 : hash;
}

std::optional<FileIdentity> IdentityOfFile(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return IdentityOf(status);
}

std::optional<FileIdentity> IdentityOfDescriptor(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        return std::nullopt;
    }
    return IdentityOf(status);
}
