#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <unordered_map>

// What earlier readings of the Inboxes found in each message file, kept in a file of
// its own outside the mail stores: the sender's address and the delivery time, by the
// file's path. A maildir message's file never changes while its name stays (a change
// of flags renames it), so a later reading need not open the files it has seen. A
// reading marks what it uses and adds what it reads; saved, the cache keeps only
// those, so that it follows the Inboxes.
class SenderCache {
public:
    // One message file as it was read; `sender` (UTF-8) is empty when it had none.
    struct Known {
        std::string sender;
        std::time_t delivered = 0;
        long deliveredNanos = 0;
    };

    // Files larger than this are not read: a cache is never worth much memory.
    static constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{64} << 20;

    // Reads the cache file at `file`. A file that is missing, unreadable, too large or
    // not a cache gives an empty cache; a line that cannot be read is skipped.
    static SenderCache Load(const std::filesystem::path& file);

    // What is known of the message file at `path`, marked as used; null when nothing
    // is. Valid until the next Remember.
    const Known* Use(const std::string& path);

    // Records `known` for the message file at `path`, as used, and gives it back; the
    // record is valid until the next Remember. A path or sender holding a tab or a line
    // break is given back but not recorded, since the file could not hold it.
    const Known* Remember(const std::string& path, Known known);

    // True when the cache no longer matches what was used: a file was read afresh or a
    // known one was not used (it has gone).
    bool OutOfDate() const { return added_ || used_ != byPath_.size(); }

    // Writes the used records to `file`, in place of the file there (which changes
    // only when the writing succeeded), making its folder when missing. Returns 0 or an
    // errno value.
    int Save(const std::filesystem::path& file) const;

private:
    struct Record {
        Known known;
        bool used = false;
    };

    std::unordered_map<std::string, Record> byPath_;
    std::size_t used_ = 0;
    bool added_ = false;
    Known unrecorded_;  // what Remember gives back when it cannot record
};
