#pragma once

#include <ostream>

#include "tools/pgn_tool.h"
#include "tools/tool_file.h"

// `korvani-pgn normalize FILE`: loads every game of the file (those the games list
// does not show included), in file order, and writes it to `out` as the program would
// save it. A game that fails to load is copied through byte for byte, with
// "offset: error text (copied unchanged)" on `err`. Returns ToolExit::Ok when every game
// was read, ToolExit::SomeFailed when some were copied, ToolExit::CannotRun after a message on
// `err` when the file cannot be read.
ToolExit RunNormalizeCommand(const CommandFile& file, std::ostream& out, std::ostream& err);
