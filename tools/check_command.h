#pragma once

#include <filesystem>
#include <ostream>

// `korvani-pgn check FILE`: loads every indexed game as the program would open it and
// prints "offset<TAB>code<TAB>text" for each game that fails, then "N games, M failed".
// Returns kToolOk when none failed, kToolSomeFailed when some did, kToolCannotRun after
// a message on `err` when the file cannot be read.
int RunCheckCommand(const std::filesystem::path& file, std::ostream& out, std::ostream& err);
