#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

class BufferedFile;

// Lines of the games file: at most 255 bytes each, read by one rule that every reader
// of the file shares, so that byte offsets agree between the index and the reader.

inline constexpr std::size_t kLineCapacity = 256;

// A line converted to UTF-16, zero-terminated; never longer than its bytes.
using LineText = std::array<char16_t, kLineCapacity>;

// Reads the next line into `bytes` (zero-terminated) and its length in bytes into
// `length`. The line ends at its first CR or LF, and the whole run of CR and LF after
// it is skipped, so blank lines are never seen; a stretch of capacity - 1 bytes
// without a line break ends before its last blank, and the next line starts at that
// blank (a stretch whose only blank is its first byte is returned whole). Returns
// false at the end of the file, when the read fails or when `bytes` holds fewer than
// two bytes.
bool ReadFileLine(BufferedFile& file, std::span<char> bytes, std::size_t& length);

// ReadFileLine without the copy: a view of the line's bytes inside the file's buffer,
// valid until the file is next used; std::nullopt where ReadFileLine gives false.
std::optional<std::string_view> ReadFileLineView(BufferedFile& file,
                                                 std::size_t capacity = kLineCapacity);

// The bytes of a line up to its first zero byte: the line as the text readers see it.
std::string_view LineUpToZero(std::string_view bytes);

// Converts a line of at most kLineCapacity - 1 bytes (cut at its first zero byte)
// into `text` by the games file's code page and returns its length in characters.
std::size_t ConvertLine(std::string_view bytes, LineText& text);
