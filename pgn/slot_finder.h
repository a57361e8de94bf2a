#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "platform/file_identity.h"

// Finding a game's slot again in a games file that another program may have changed
// since the game was read.

// True when the bytes of the open file `descriptor` from `offset` on are `slot`.
// False also when they cannot be read.
[[nodiscard]] bool SlotBytesMatch(int descriptor, std::uint64_t offset, std::string_view slot);

// The outcome of FindSlotAgain.
struct SlotSearch {
    enum class Outcome {
        Found,        // `offset` is where the slot now begins
        NotFound,     // no listed game, or several, begin with the slot's bytes
        FileChanged,  // the file changed again while it was searched
    };
    Outcome outcome = Outcome::NotFound;
    std::uint64_t offset = 0;
};

// Reads the index of the games file at `path` again and looks for the bytes `slot` at
// the offset of each listed game. Found when exactly one listed game begins with
// them; among several identical copies, the one at `formerOffset` if there is one
// (replacing either copy cuts nothing), otherwise NotFound. `descriptor` is the
// games file open for the save, with `identity`; FileChanged when the file at `path`
// is no longer that file, unchanged, at the end of the search.
[[nodiscard]] SlotSearch FindSlotAgain(const std::filesystem::path& path, int descriptor,
                                       const FileIdentity& identity, std::string_view slot,
                                       std::uint64_t formerOffset);
