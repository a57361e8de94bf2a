#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>

class BufferedFile;
class GameDocument;

// Opens `path` for a command; on failure writes "korvani-pgn: cannot read PATH: why"
// to `err` and returns false.
bool OpenForCommand(BufferedFile& file, const std::filesystem::path& path, std::ostream& err);

// After reading: when a read failed, writes the same kind of message and returns false.
bool ReadWentWell(const BufferedFile& file, const std::filesystem::path& path, std::ostream& err);

// Receives each indexed game in file order: its offset, LoadGame's result code and the
// document it filled (usable only when the code is 0).
using IndexedGameVisitor = std::function<void(std::uint64_t offset, int code, GameDocument&)>;

// Indexes `path` and loads every indexed game through one open file, in file order.
// Returns the number of indexed games, or std::nullopt after a message on `err` when
// the file cannot be read.
std::optional<std::size_t> LoadEachIndexedGame(const std::filesystem::path& path, std::ostream& err,
                                               const IndexedGameVisitor& visit);
