#pragma once

#include <ostream>

#include "tools/pgn_tool.h"
#include "tools/tool_file.h"

// `korvani-pgn check FILE`: loads every game of the file (those the games list does not
// show included) as the program would open it and prints "offset<TAB>code<TAB>text"
// for each game that fails, then "N games, M failed", followed, when the games list
// leaves games out, by ", K not listed (tags incomplete: NAMES; the first at offset X)".
// Nothing is kept per game, so the memory used does not grow with the file.
// Returns ToolExit::Ok when none failed, ToolExit::SomeFailed when some did, ToolExit::CannotRun
// after a message on `err` when the file cannot be read.
ToolExit RunCheckCommand(const CommandFile& file, std::ostream& out, std::ostream& err);
