#include "pgn/slot_finder.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "pgn/games_file_scan.h"
#include "platform/buffered_file.h"

namespace {

// Most slots differ from the bytes at a wrong offset within their first line, so the
// first read is short.
constexpr std::size_t kFirstRead = 4096;
constexpr std::size_t kLaterRead = std::size_t{64} << 10;

bool IsSameFile(const std::filesystem::path& path, int descriptor, const FileIdentity& identity) {
    return IdentityOfFile(path) == identity && IdentityOfDescriptor(descriptor) == identity;
}

}  // namespace

bool SlotBytesMatch(int descriptor, std::uint64_t offset, std::string_view slot) {
    std::string buffer;
    std::size_t compared = 0;
    while (compared < slot.size()) {
        const std::size_t want =
            std::min(slot.size() - compared, compared == 0 ? kFirstRead : kLaterRead);
        buffer.resize(want);
        const ssize_t got =
            ::pread(descriptor, buffer.data(), want, static_cast<off_t>(offset + compared));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        const auto length = static_cast<std::size_t>(got);
        if (slot.substr(compared, length) != std::string_view(buffer.data(), length)) {
            return false;
        }
        compared += length;
    }
    return true;
}

SlotSearch FindSlotAgain(const std::filesystem::path& path, int descriptor,
                         const FileIdentity& identity, std::string_view slot,
                         std::uint64_t formerOffset) {
    if (!IsSameFile(path, descriptor, identity)) {
        return {SlotSearch::Outcome::FileChanged};
    }
    std::vector<std::uint64_t> offsets;
    {
        BufferedFile file;
        if (file.Open(path) != 0) {
            return {SlotSearch::Outcome::FileChanged};
        }
        ScanGamesFile(file, [&offsets](std::unique_ptr<GameListEntry> entry) {
            offsets.push_back(entry->fileOffset);
        });
        if (file.Failed()) {
            return {SlotSearch::Outcome::NotFound};
        }
    }
    if (!IsSameFile(path, descriptor, identity)) {
        return {SlotSearch::Outcome::FileChanged};
    }
    std::vector<std::uint64_t> matches;
    for (const std::uint64_t offset : offsets) {
        if (offset + slot.size() <= identity.size && SlotBytesMatch(descriptor, offset, slot)) {
            matches.push_back(offset);
        }
    }
    if (matches.size() == 1) {
        return {SlotSearch::Outcome::Found, matches.front()};
    }
    if (std::find(matches.begin(), matches.end(), formerOffset) != matches.end()) {
        return {SlotSearch::Outcome::Found, formerOffset};
    }
    return {SlotSearch::Outcome::NotFound};
}
