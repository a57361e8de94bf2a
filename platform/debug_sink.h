#pragma once

#include <string_view>

// The process-wide sink of short diagnostics (the PGN reader's notes and the like).
// Silent by default; when enabled the text goes to standard error as UTF-8.
void SetDebugSinkEnabled(bool enabled);
bool IsDebugSinkEnabled();
void DebugOutput(std::u16string_view text);
