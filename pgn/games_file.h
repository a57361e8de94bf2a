#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>

#include "game/game_list_entry.h"
#include "pgn/games_file_scan.h"
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

    // Links `entry` after the last entry and takes ownership of it.
    void Append(std::unique_ptr<GameListEntry> entry);

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] GameListEntry* firstEntry() const { return firstEntry_.get(); }
    [[nodiscard]] GameListEntry* lastEntry() const { return lastEntry_; }
    [[nodiscard]] std::size_t entryCount() const { return entryCount_; }
    // What the last Reload found besides the listed games (the games it left out).
    [[nodiscard]] const ScanSummary& lastScan() const { return lastScan_; }

    // The identity of the file that the index describes: the one Reload read, or the
    // one a save wrote without moving any listed game; std::nullopt when the index may
    // no longer match the file (a save moved games, or found the file changed).
    [[nodiscard]] const std::optional<FileIdentity>& indexedIdentity() const {
        return indexedIdentity_;
    }
    void SetIndexedIdentity(std::optional<FileIdentity> identity) { indexedIdentity_ = identity; }

private:
    std::filesystem::path path_;
    std::unique_ptr<GameListEntry> firstEntry_;
    GameListEntry* lastEntry_ = nullptr;
    std::size_t entryCount_ = 0;
    ScanSummary lastScan_;
    std::optional<FileIdentity> indexedIdentity_;
};
