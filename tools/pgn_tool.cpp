#include "tools/pgn_tool.h"

#include <array>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/debug_sink.h"
#include "tools/check_command.h"
#include "tools/list_command.h"
#include "tools/normalize_command.h"
#include "tools/standard_input_copy.h"
#include "tools/tool_file.h"

namespace {

using CommandFunction = ToolExit (*)(const CommandFile& file, std::ostream& out, std::ostream& err);

// One row per command; a new command is a new row and a file of its own.
struct ToolCommand {
    std::string_view name;
    std::string_view summary;
    CommandFunction run;
};

constexpr std::array<ToolCommand, 3> kCommands = {{
    {"list", "one line per game the games list shows: offset, White, Black, Last", RunListCommand},
    {"check", "load every game; print each failure and the counts", RunCheckCommand},
    {"normalize", "write every game again as Korvani saves it, to standard output",
     RunNormalizeCommand},
}};

void PrintUsage(std::ostream& stream) {
    stream << "Usage: korvani-pgn [--verbose] COMMAND FILE\n"
              "\n"
              "Lists, checks and normalizes a Korvani games file (PGN) without the program's\n"
              "window. FILE may be '-' for standard input.\n"
              "\n"
              "Commands:\n";
    for (const ToolCommand& command : kCommands) {
        stream << "  " << command.name << " FILE";
        stream << std::string(10 - std::min<std::size_t>(command.name.size(), 9), ' ');
        stream << command.summary << '\n';
    }
    stream << "\n"
              "Options:\n"
              "  -v, --verbose    also show the reader's diagnostics on standard error\n"
              "  -h, --help       show this help\n"
              "  --version        show the version\n"
              "\n"
              "list tells on standard error how many games it leaves out and why; normalize\n"
              "copies a game it cannot read unchanged and names it on standard error.\n"
              "\n"
              "Exit status: 0 success, 1 some games failed to load (check, normalize),\n"
              "2 the file cannot be read or the command line is wrong.\n"
              "\n"
              "See korvani-pgn(1).\n";
}

ToolExit UsageError(std::ostream& err, std::string_view message) {
    err << "korvani-pgn: " << message << "\nTry 'korvani-pgn --help'.\n";
    return ToolExit::CannotRun;
}

const ToolCommand* FindCommand(std::string_view name) {
    for (const ToolCommand& command : kCommands) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

}  // namespace

ToolExit RunPgnTool(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    return RunPgnTool(args, std::cin, out, err);
}

ToolExit RunPgnTool(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                    std::ostream& err) {
    std::vector<std::string_view> operands;
    bool verbose = false;
    bool optionsEnded = false;
    for (const std::string_view arg : args) {
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            PrintUsage(out);
            return ToolExit::Ok;
        } else if (arg == "--version") {
            out << "korvani-pgn " << KORVANI_VERSION << '\n';
            return ToolExit::Ok;
        } else if (arg == "--verbose" || arg == "-v") {
            verbose = true;
        } else {
            return UsageError(err, "unknown option '" + std::string(arg) + "'");
        }
    }
    if (operands.empty()) {
        return UsageError(err, "no command given");
    }
    const ToolCommand* command = FindCommand(operands[0]);
    if (!command) {
        return UsageError(err, "unknown command '" + std::string(operands[0]) + "'");
    }
    if (operands.size() != 2) {
        return UsageError(err, "'" + std::string(command->name) + "' takes one FILE");
    }
    // A command reads its file more than once and at offsets, which a pipe does not
    // allow: standard input is copied to a file first.
    StandardInputCopy copy;
    std::optional<CommandFile> file = CommandFile{operands[1], std::string(operands[1])};
    if (operands[1] == "-") {
        file = copy.Copy(in, err);
        if (!file) {
            return ToolExit::CannotRun;
        }
    }
    const bool wasVerbose = IsDebugSinkEnabled();
    SetDebugSinkEnabled(verbose);
    const ToolExit status = command->run(*file, out, err);
    SetDebugSinkEnabled(wasVerbose);
    return status;
}
