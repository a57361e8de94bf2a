#pragma once

#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>

#include "tools/tool_file.h"

// Standard input kept in a file of its own, for the commands that read a file more
// than once and at offsets (a pipe can do neither). The file lies in the temporary
// folder and is removed with the object.
class StandardInputCopy {
public:
    StandardInputCopy() = default;
    ~StandardInputCopy();

    StandardInputCopy(const StandardInputCopy&) = delete;
    StandardInputCopy& operator=(const StandardInputCopy&) = delete;

    // Copies all of `in` into the file; on failure writes "korvani-pgn: cannot read
    // standard input: why" to `err` and returns std::nullopt.
    [[nodiscard]] std::optional<CommandFile> Copy(std::istream& in, std::ostream& err);

private:
    std::filesystem::path path_;
};
