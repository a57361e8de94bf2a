#pragma once

#include <filesystem>
#include <ostream>

class BufferedFile;

// Opens `path` for a command; on failure writes "korvani-pgn: cannot read PATH: why"
// to `err` and returns false.
bool OpenForCommand(BufferedFile& file, const std::filesystem::path& path, std::ostream& err);

// After reading: when a read failed, writes the same kind of message and returns false.
bool ReadWentWell(const BufferedFile& file, const std::filesystem::path& path, std::ostream& err);
