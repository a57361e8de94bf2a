#pragma once

#include <ostream>

#include "tools/pgn_tool.h"
#include "tools/tool_file.h"

// `korvani-pgn list FILE`: one UTF-8 line per indexed game: its byte offset, then the
// games list's White, Black and Last columns, separated by tabs. Returns ToolExit::Ok, or
// ToolExit::CannotRun after a message on `err` when the file cannot be read.
ToolExit RunListCommand(const CommandFile& file, std::ostream& out, std::ostream& err);
