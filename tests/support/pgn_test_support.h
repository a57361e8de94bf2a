#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "game/game_document.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"

// The path of a small PGN file of tests/data/pgn.
inline std::filesystem::path PgnData(std::string_view name) {
    return std::filesystem::path(KORVANI_TEST_DATA_DIR) / "pgn" / name;
}

// A games file and one game read from it with LoadGame.
struct LoadedGame {
    explicit LoadedGame(const std::filesystem::path& path, std::uint64_t offset = 0)
        : games(path), document(&games), result(LoadGame(document, offset, 7)) {}

    GamesFile games;
    GameDocument document;
    ReadResult result;
};

// The bytes of a file, for tests that find offsets by content.
std::string ReadWholeFile(const std::filesystem::path& path);
