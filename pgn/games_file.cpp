#include "pgn/games_file.h"

#include <utility>

#include "pgn/games_file_scan.h"
#include "platform/buffered_file.h"
#include "platform/error_report.h"
#include "resources/string_table.h"

GamesFile::GamesFile(std::filesystem::path path) : path_(std::move(path)) {}

GamesFile::~GamesFile() = default;

bool GamesFile::Reload() {
    firstEntry_.reset();
    lastEntry_ = nullptr;
    entryCount_ = 0;
    lastScan_ = ScanSummary{};
    indexedIdentity_.reset();
    // The same identity before the file is opened and after it is read shows that the
    // index was built from that one file, unchanged meanwhile.
    const std::optional<FileIdentity> before = IdentityOfFile(path_);
    BufferedFile file;
    if (const int error = file.Open(path_); error != 0) {
        ShowResourceError(error, kIdsUnableToOpenFile);
        return false;
    }
    lastScan_ = ScanGamesFile(
        file, [this](std::unique_ptr<GameListEntry> entry) { Append(std::move(entry)); });
    if (before && before == IdentityOfFile(path_)) {
        indexedIdentity_ = before;
    }
    return true;
}

void GamesFile::Append(std::unique_ptr<GameListEntry> entry) {
    GameListEntry* added = entry.get();
    if (lastEntry_) {
        lastEntry_->nextEntry = std::move(entry);
    } else {
        firstEntry_ = std::move(entry);
    }
    lastEntry_ = added;
    ++entryCount_;
}
