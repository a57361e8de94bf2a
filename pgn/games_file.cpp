#include "pgn/games_file.h"

#include <utility>

#include "platform/error_report.h"
#include "resources/string_table.h"

GamesFile::GamesFile(std::filesystem::path path) : path_(std::move(path)) {}

GamesFile::~GamesFile() = default;

bool GamesFile::Reload() {
    return Adopt(ReadGamesIndex(path_));
}

bool GamesFile::Adopt(GamesIndex index) {
    index_ = std::move(index);
    if (index_.openError != 0) {
        ShowResourceError(index_.openError, kIdsUnableToOpenFile);
        return false;
    }
    return true;
}

void GamesFile::Append(std::unique_ptr<GameListEntry> entry) {
    index_.Append(std::move(entry));
}
