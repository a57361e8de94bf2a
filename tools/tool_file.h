#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>

#include "pgn/game_reader.h"

class BufferedFile;
class GameDocument;

// The file a command reads: where it is, and how its messages name it.
struct CommandFile {
    std::filesystem::path path;
    std::string name;  // the path as given, or "standard input"
};

// Writes "korvani-pgn: cannot read NAME: why" to `err`, `why` being the system's text
// for `error`.
void ReportUnreadable(const std::string& name, std::error_code error, std::ostream& err);

// Opens `file` for a command; on failure writes "korvani-pgn: cannot read NAME: why"
// to `err` and returns false.
[[nodiscard]] bool OpenForCommand(BufferedFile& opened, const CommandFile& file, std::ostream& err);

// After reading: when a read failed, writes the same kind of message and returns false.
[[nodiscard]] bool ReadWentWell(const BufferedFile& opened, const CommandFile& file,
                                std::ostream& err);

// One game of a file as LoadEveryGame hands it over: where its text lies, whether
// the games list shows it, what LoadGame gave and the document it filled (usable
// only when that is ReadCode::Ok).
struct LoadedFileGame {
    std::uint64_t offset = 0;
    std::uint64_t end = 0;  // the next game's first tag line, or the end of the file
    bool listed = false;
    ReadResult result;
    GameDocument* document = nullptr;
    BufferedFile* file = nullptr;  // the open file the game was read from
};

using FileGameVisitor = std::function<void(const LoadedFileGame& game)>;

// What LoadEveryGame found: every game, and those the games list leaves out.
struct FileGamesSummary {
    std::size_t games = 0;
    std::size_t unlisted = 0;
    std::uint64_t firstUnlistedOffset = 0;
    unsigned missingTags = 0;  // RosterTagsMissing of the unlisted games, joined
};

// Finds every game of `file` (listed by the games list or not) and loads each one, in
// file order, as soon as it is found: nothing is kept from one game to the next, so
// the memory used does not grow with the file. Returns std::nullopt after a message
// on `err` when the file cannot be read.
[[nodiscard]] std::optional<FileGamesSummary> LoadEveryGame(const CommandFile& file,
                                                            std::ostream& err,
                                                            const FileGameVisitor& visit);

// Copies the bytes [from, to) of the open `file` to `out`; false when a read fails.
[[nodiscard]] bool CopyFileRange(BufferedFile& file, std::uint64_t from, std::uint64_t to,
                                 std::ostream& out);
