#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
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
[[nodiscard]] bool ReadFileLine(BufferedFile& file, std::span<char> bytes, std::size_t& length);

// ReadFileLine without the copy: a view of the line's bytes inside the file's buffer,
// valid until the file is next used; std::nullopt where ReadFileLine gives false.
std::optional<std::string_view> ReadFileLineView(BufferedFile& file,
                                                 std::size_t capacity = kLineCapacity);

// One read of ReadFileLineView, telling whether the line was cut there (no line break
// among the bytes read) and so goes on in the next piece, which then does not start a
// line of the file; `atLineStart` says whether the previous piece ended its line. A
// byte-order mark that starts a line is skipped: files joined with `cat` carry one at
// the start of each part. Empty lines are never given, except that a line may end
// right after a cut with an empty piece.
struct LinePiece {
    std::string_view bytes;
    bool cut = false;
    std::uint64_t start = 0;  // file offset of the first byte of `bytes`
};
std::optional<LinePiece> ReadLinePiece(BufferedFile& file, bool atLineStart = true,
                                       std::size_t capacity = kLineCapacity);

// Whole lines are gathered up to this many bytes; a longer line comes in parts.
inline constexpr std::size_t kMaxWholeLine = std::size_t{1} << 20;

// Reads the next whole line of the file, its pieces joined so that the cuts add and
// lose nothing, and decodes it by the code page that the whole line decides (up to its
// first zero byte). `bytes` is scratch storage kept by the caller so that its memory
// is reused. A line longer than kMaxWholeLine bytes is given in parts cut at a blank
// or between characters, and `cut` tells that the next call gives the rest of the same
// line. Returns false at the end of the file or when the read fails.
[[nodiscard]] bool ReadWholeLine(BufferedFile& file, std::string& bytes, std::u16string& text,
                                 bool& cut);

// ReadWholeLine without the decoding: `line` receives the line's bytes (all of them,
// zero bytes included), a view into the file's buffer or into `bytes`, valid until
// either is next used.
[[nodiscard]] bool ReadWholeLineBytes(BufferedFile& file, std::string& bytes,
                                      std::string_view& line, bool& cut);

// Decodes the bytes of a line up to its first zero byte into `text`, by the code page
// that those bytes decide; plain ASCII, most lines, is widened without a temporary.
void DecodeWholeLine(std::string_view bytes, std::u16string& text);

// The bytes of a line up to its first zero byte: the line as the text readers see it.
std::string_view LineUpToZero(std::string_view bytes);

// Converts a line of at most kLineCapacity - 1 bytes (cut at its first zero byte)
// into `text` by the games file's code page and returns its length in characters.
std::size_t ConvertLine(std::string_view bytes, LineText& text);
