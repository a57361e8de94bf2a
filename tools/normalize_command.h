#pragma once

#include <ostream>

#include "tools/tool_file.h"

// `korvani-pgn normalize FILE`: loads every game of the file (those the games list
// does not show included), in file order, and writes it to `out` as the program would
// save it. A game that fails to load is copied through byte for byte, with
// "offset: error text (copied unchanged)" on `err`. Returns kToolOk when every game
// was read, kToolSomeFailed when some were copied, kToolCannotRun after a message on
// `err` when the file cannot be read.
int RunNormalizeCommand(const CommandFile& file, std::ostream& out, std::ostream& err);
