#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>

#include "game/game_list_entry.h"
#include "pgn/games_file_scan.h"

// The user's games file and its in-memory index: one GameListEntry per game, in file
// order. The index owns its entries.
class GamesFile {
public:
    explicit GamesFile(std::filesystem::path path);
    virtual ~GamesFile();

    GamesFile(const GamesFile&) = delete;
    GamesFile& operator=(const GamesFile&) = delete;

    // Rebuilds the index from the file. Returns false, after the "Unable to open file"
    // error box, when the file cannot be opened; the index is then empty.
    bool Reload();

    // Links `entry` after the last entry and takes ownership of it.
    void Append(std::unique_ptr<GameListEntry> entry);

    const std::filesystem::path& path() const { return path_; }
    GameListEntry* firstEntry() const { return firstEntry_.get(); }
    GameListEntry* lastEntry() const { return lastEntry_; }
    std::size_t entryCount() const { return entryCount_; }
    // What the last Reload found besides the listed games (the games it left out).
    const ScanSummary& lastScan() const { return lastScan_; }

private:
    std::filesystem::path path_;
    std::unique_ptr<GameListEntry> firstEntry_;
    GameListEntry* lastEntry_ = nullptr;
    std::size_t entryCount_ = 0;
    ScanSummary lastScan_;
};
