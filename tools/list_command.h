#pragma once

#include <ostream>

#include "tools/tool_file.h"

// `korvani-pgn list FILE`: one UTF-8 line per indexed game: its byte offset, then the
// games list's White, Black and Last columns, separated by tabs. Returns kToolOk, or
// kToolCannotRun after a message on `err` when the file cannot be read.
int RunListCommand(const CommandFile& file, std::ostream& out, std::ostream& err);
