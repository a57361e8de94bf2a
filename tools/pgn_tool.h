#pragma once

#include <istream>
#include <ostream>
#include <span>
#include <string_view>

// korvani-pgn, the command-line companion for the games file. Exit statuses shared by
// its commands, the numbers its manual page gives.
enum class [[nodiscard]] ToolExit{
    Ok = 0, SomeFailed = 1,
    CannotRun = 2,  // unreadable file or wrong command line
};

// Runs the command line `args` (without the program name), reading the file "-" from
// `in`, writing results to `out` and messages to `err`; returns the exit status.
ToolExit RunPgnTool(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                    std::ostream& err);

// RunPgnTool reading "-" from the process's standard input.
ToolExit RunPgnTool(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
