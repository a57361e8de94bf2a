#pragma once

#include <istream>
#include <ostream>
#include <span>
#include <string_view>

// korvani-pgn, the command-line companion for the games file. Exit statuses shared by
// its commands.
inline constexpr int kToolOk = 0;
inline constexpr int kToolSomeFailed = 1;
inline constexpr int kToolCannotRun = 2;  // unreadable file or wrong command line

// Runs the command line `args` (without the program name), reading the file "-" from
// `in`, writing results to `out` and messages to `err`; returns the exit status.
int RunPgnTool(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
               std::ostream& err);

// RunPgnTool reading "-" from the process's standard input.
int RunPgnTool(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
