#pragma once

#include <filesystem>
#include <ostream>

// `korvani-pgn normalize FILE`: loads every indexed game, in file order, and writes it
// to `out` as the program would save it. A game that fails to load is left out, with
// "offset: error text" on `err`. Returns kToolOk when every game was written,
// kToolSomeFailed when some were left out, kToolCannotRun after a message on `err`
// when the file cannot be read.
int RunNormalizeCommand(const std::filesystem::path& file, std::ostream& out, std::ostream& err);
