#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>

#include "game/game_list_entry.h"
#include "pgn/games_file_scan.h"
#include "platform/file_identity.h"
#include "platform/read_progress.h"

// The index of a games file as one read built it: the listed games in file order,
// what the scan left out, and the identity of the file read. It shares nothing with
// anything else, so a read may build it on one thread and hand it to another.
struct GamesIndex {
    // Links `entry` after the last entry and takes ownership of it.
    void Append(std::unique_ptr<GameListEntry> entry);

    std::unique_ptr<GameListEntry> firstEntry;
    GameListEntry* lastEntry = nullptr;  // owned through firstEntry's chain
    std::size_t entryCount = 0;
    ScanSummary scan;
    // Set when the file was the same before it was opened and after it was read.
    std::optional<FileIdentity> identity;
    // The errno value when the file could not be opened (the index is then empty).
    int openError = 0;
    // True when `progress` asked to stop: the index holds only the games read before.
    bool stopped = false;
};

// Reads the index of the games file at `path`, telling `progress` (when set) the count
// of games read after each one. Shows no box and touches no state but its own, so it
// may run on any thread.
GamesIndex ReadGamesIndex(const std::filesystem::path& path, const ReadProgress& progress = {});
