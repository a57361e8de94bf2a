#pragma once

#include <ostream>

#include "tools/tool_file.h"

// `korvani-pgn check FILE`: loads every game of the file (those the games list does not
// show included) as the program would open it and prints "offset<TAB>code<TAB>text"
// for each game that fails, then "N games, M failed", followed, when the games list
// leaves games out, by ", K not listed (tags incomplete: NAMES; the first at offset X)".
// Nothing is kept per game, so the memory used does not grow with the file.
// Returns kToolOk when none failed, kToolSomeFailed when some did, kToolCannotRun after
// a message on `err` when the file cannot be read.
int RunCheckCommand(const CommandFile& file, std::ostream& out, std::ostream& err);
