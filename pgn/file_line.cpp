#include "pgn/file_line.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/buffered_file.h"
#include "platform/text_codec.h"

namespace {

constexpr char kCarriageReturn = 13;
constexpr char kLineFeed = 10;
constexpr char kBlank = 32;

// Index of the first CR or LF, or npos.
std::size_t FindLineBreak(std::string_view data) {
    const void* lineFeed = std::memchr(data.data(), kLineFeed, data.size());
    const std::size_t limit =
        lineFeed ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - data.data())
                 : data.size();
    const void* carriageReturn = std::memchr(data.data(), kCarriageReturn, limit);
    if (carriageReturn) {
        return static_cast<std::size_t>(static_cast<const char*>(carriageReturn) - data.data());
    }
    return lineFeed ? limit : std::string_view::npos;
}

}  // namespace

std::optional<std::string_view> ReadFileLineView(BufferedFile& file, std::size_t capacity) {
    if (capacity < 2) {
        return std::nullopt;
    }
    const std::string_view data = file.Peek(capacity - 1);
    if (data.empty()) {
        return std::nullopt;
    }
    const std::size_t lineBreak = FindLineBreak(data);
    if (lineBreak != std::string_view::npos) {
        std::size_t next = lineBreak;
        while (next < data.size() && (data[next] == kCarriageReturn || data[next] == kLineFeed)) {
            ++next;
        }
        file.Skip(next);
        return data.substr(0, lineBreak);
    }
    // No line break: cut before the last blank so that a word is not split, unless
    // that blank is the first byte, where the cut would give nothing and never move.
    const std::size_t lastBlank = data.rfind(kBlank);
    if (lastBlank != std::string_view::npos && lastBlank > 0) {
        file.Skip(lastBlank);
        return data.substr(0, lastBlank);
    }
    file.Skip(data.size());
    return data;
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
    bytes = LineUpToZero(bytes.substr(0, std::min(bytes.size(), kLineCapacity - 1)));
    // Most lines are plain ASCII, which both readings of the code page leave as is.
    std::size_t i = 0;
    for (; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x80) {
            break;
        }
        text[i] = byte;
    }
    if (i == bytes.size()) {
        text[i] = u'\0';
        return i;
    }
    // Decoding never gives more characters than bytes.
    const std::u16string decoded = DecodeLine(bytes);
    std::copy(decoded.begin(), decoded.end(), text.begin());
    text[decoded.size()] = u'\0';
    return decoded.size();
}
