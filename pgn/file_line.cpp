#include "pgn/file_line.h"

#include <algorithm>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/buffered_file.h"
#include "platform/text_codec.h"

namespace {

constexpr char kCarriageReturn = 13;
constexpr char kLineFeed = 10;
constexpr char kBlank = 32;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsLineBreak(char c) {
    return c == kCarriageReturn || c == kLineFeed;
}

// Index of the first CR or LF, or npos. Every line of the file passes through here,
// so on x86-64 it looks at 16 bytes per step for either byte at once.
std::size_t FindLineBreak(std::string_view data) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i carriageReturns = _mm_set1_epi8(kCarriageReturn);
    const __m128i lineFeeds = _mm_set1_epi8(kLineFeed);
    for (; i + 16 <= data.size(); i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data.data() + i));
        const int mask = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(block, carriageReturns), _mm_cmpeq_epi8(block, lineFeeds)));
        if (mask != 0) {
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    for (; i < data.size(); ++i) {
        if (IsLineBreak(data[i])) {
            return i;
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::optional<LinePiece> ReadLinePiece(BufferedFile& file, bool atLineStart, std::size_t capacity) {
    if (capacity < 2) {
        return std::nullopt;
    }
    while (true) {
        std::string_view data = file.Peek(capacity - 1);
        if (atLineStart && data.starts_with(kByteOrderMark)) {
            file.Skip(kByteOrderMark.size());
            data = file.Peek(capacity - 1);
        }
        if (data.empty()) {
            return std::nullopt;
        }
        const std::uint64_t start = file.Tell();
        const std::size_t lineBreak = FindLineBreak(data);
        if (lineBreak != std::string_view::npos) {
            std::size_t next = lineBreak;
            while (next < data.size() && IsLineBreak(data[next])) {
                ++next;
            }
            file.Skip(next);
            // After a cut the line may end right here. Otherwise an empty line is the
            // rest of a run of line breaks that the read limit cut (or breaks at the
            // very start of the file): never a line of text.
            if (lineBreak == 0) {
                if (!atLineStart) {
                    return LinePiece{{}, false, start};
                }
                continue;
            }
            return LinePiece{data.substr(0, lineBreak), false, start};
        }
        // The last line of the file, without a line break: all of it.
        if (data.size() < capacity - 1) {
            file.Skip(data.size());
            return LinePiece{data, false, start};
        }
        // No line break: cut before the last blank so that a word is not split, unless
        // that blank is the first byte, where the cut would give nothing and never move.
        const std::size_t lastBlank = data.rfind(kBlank);
        if (lastBlank != std::string_view::npos && lastBlank > 0) {
            file.Skip(lastBlank);
            return LinePiece{data.substr(0, lastBlank), true, start};
        }
        file.Skip(data.size());
        return LinePiece{data, true, start};
    }
}

std::optional<std::string_view> ReadFileLineView(BufferedFile& file, std::size_t capacity) {
    const std::optional<LinePiece> piece = ReadLinePiece(file, true, capacity);
    if (!piece) {
        return std::nullopt;
    }
    return piece->bytes;
}

void DecodeWholeLine(std::string_view bytes, std::u16string& text) {
    text.resize(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == 0) {
            text.resize(i);
            return;
        }
        if (byte >= 0x80) {
            text = DecodeLine(LineUpToZero(bytes));
            return;
        }
        text[i] = byte;
    }
}

namespace {

// The number of bytes at the end of `bytes` that begin a UTF-8 character without
// finishing it.
std::size_t UnfinishedUtf8Tail(std::string_view bytes) {
    for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;  // a continuation byte: look further back for its lead
        }
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

}  // namespace

bool ReadWholeLineBytes(BufferedFile& file, std::string& bytes, std::string_view& line, bool& cut) {
    cut = false;
    std::optional<LinePiece> piece = ReadLinePiece(file);
    if (!piece) {
        return false;
    }
    if (!piece->cut) {
        line = piece->bytes;
        return true;
    }
    bytes.assign(piece->bytes);
    while (piece && piece->cut) {
        if (bytes.size() >= kMaxWholeLine) {
            // A line this long comes in parts; the part must not end inside a
            // character, or both halves would be misread.
            const std::size_t tail = UnfinishedUtf8Tail(bytes);
            if (tail > 0 && tail < bytes.size()) {
                bytes.erase(bytes.end() - static_cast<std::ptrdiff_t>(tail), bytes.end());
                file.Seek(file.Tell() - tail);
            }
            cut = true;
            break;
        }
        piece = ReadLinePiece(file, false);
        if (piece) {
            bytes.append(piece->bytes);
        }
    }
    line = bytes;
    return true;
}

bool ReadWholeLine(BufferedFile& file, std::string& bytes, std::u16string& text, bool& cut) {
    std::string_view line;
    if (!ReadWholeLineBytes(file, bytes, line, cut)) {
        return false;
    }
    DecodeWholeLine(line, text);
    return true;
}

bool ReadFileLine(BufferedFile& file, std::span<char> bytes, std::size_t& length) {
    const std::optional<std::string_view> line = ReadFileLineView(file, bytes.size());
    if (!line) {
        return false;
    }
    std::memcpy(bytes.data(), line->data(), line->size());
    bytes[line->size()] = '\0';
    length = line->size();
    return true;
}

std::string_view LineUpToZero(std::string_view bytes) {
    const void* zero = std::memchr(bytes.data(), '\0', bytes.size());
    return zero ? bytes.substr(
                      0, static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data()))
                : bytes;
}

std::size_t ConvertLine(std::string_view bytes, LineText& text) {
    bytes = bytes.substr(0, std::min(bytes.size(), kLineCapacity - 1));
    // Most lines are plain ASCII, which both readings of the code page leave as is; the
    // same pass finds a zero byte, where the line's text ends.
    std::size_t i = 0;
    for (; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == 0 || byte >= 0x80) {
            break;
        }
        text[i] = byte;
    }
    if (i == bytes.size() || bytes[i] == '\0') {
        text[i] = u'\0';
        return i;
    }
    // Decoding never gives more characters than bytes.
    const std::u16string decoded = DecodeLine(LineUpToZero(bytes));
    std::copy(decoded.begin(), decoded.end(), text.begin());
    text[decoded.size()] = u'\0';
    return decoded.size();
}
