#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>

#include "game/game_list_entry.h"
#include "pgn/games_file_scan.h"
#include "pgn/games_index.h"
#include "platform/file_identity.h"

// The user's games file and its in-memory index: one GameListEntry per game, in file
// order. The index owns its entries.
class GamesFile {
public:
    explicit GamesFile(std::filesystem::path path);
    ~GamesFile();

    GamesFile(const GamesFile&) = delete;
    GamesFile& operator=(const GamesFile&) = delete;

    // Rebuilds the index from the file. Returns false, after the "Unable to open file"
    // error box, when the file cannot be opened; the index is then empty. Records the
    // identity of the file read, unless the file changed while it was read.
    [[nodiscard]] bool Reload();

    // Takes `index`, read from this games file by ReadGamesIndex (on any thread), as
    // the index, replacing the previous one; returns what Reload would have, after
    // the same box.
    bool Adopt(GamesIndex index);

    // Links `entry` after the last entry and takes ownership of it.
    void Append(std::unique_ptr<GameListEntry> entry);

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] GameListEntry* firstEntry() const { return index_.firstEntry.get(); }
    [[nodiscard]] GameListEntry* lastEntry() const { return index_.lastEntry; }
    [[nodiscard]] std::size_t entryCount() const { return index_.entryCount; }
    // What the last Reload found besides the listed games (the games it left out).
    [[nodiscard]] const ScanSummary& lastScan() const { return index_.scan; }

    // The identity of the file that the index describes: the one Reload read, or the
    // one a save wrote without moving any listed game; std::nullopt when the index may
    // no longer match the file (a save moved games, or found the file changed).
    [[nodiscard]] const std::optional<FileIdentity>& indexedIdentity() const {
        return index_.identity;
    }
    void SetIndexedIdentity(std::optional<FileIdentity> identity) { index_.identity = identity; }

private:
    std::filesystem::path path_;
    GamesIndex index_;
};
