#include "pgn/games_file_scan.h"

#include <optional>
#include <string>
#include <string_view>

#include "pgn/file_line.h"
#include "pgn/tag_line.h"
#include "platform/buffered_file.h"
#include "platform/text_codec.h"

namespace {

// The value of a tag line from its raw bytes, as ExtractTagValue reads it from the
// decoded line (which ends at a zero byte). An ASCII value without backslashes, by
// far the usual case, reads the same under either code page and is widened directly;
// anything else goes through the decoding of the whole line.
std::u16string TagValue(std::string_view line, std::size_t valueStart) {
    std::size_t quote = valueStart;
    while (quote < line.size() && line[quote] != '"' && line[quote] != '\0') {
        ++quote;
    }
    if (quote == line.size() || line[quote] != '"') {
        return {};
    }
    std::size_t end = quote + 1;
    while (end < line.size() && line[end] != '"' && line[end] != '\0' && line[end] != '\\' &&
           static_cast<unsigned char>(line[end]) < 0x80) {
        ++end;
    }
    if (end == line.size() || line[end] == '"' || line[end] == '\0') {
        return std::u16string(line.begin() + static_cast<std::ptrdiff_t>(quote + 1),
                              line.begin() + static_cast<std::ptrdiff_t>(end));
    }
    // Decoding keeps the ASCII beginning in place, so the index still applies.
    const std::u16string decoded = DecodeLine(LineUpToZero(line));
    return ExtractTagValue(std::u16string_view(decoded).substr(valueStart));
}

}  // namespace

void ScanGamesFile(BufferedFile& file, const GameEntryConsumer& consumer) {
    file.Seek(0);
    std::unique_ptr<GameListEntry> entry;
    bool entryOpen = false;
    while (true) {
        const std::uint64_t lineStart = file.Tell();
        const std::optional<std::string_view> bytes = ReadFileLineView(file);
        if (!bytes) {
            break;
        }
        // A tag's beginning holds no zero byte and TagValue stops at one, so the line
        // need not be cut at a zero byte first.
        if (!bytes->empty() && (*bytes)[0] == '[') {
            const std::string_view line = *bytes;
            if (!entryOpen) {
                if (!entry) {
                    entry = std::make_unique<GameListEntry>();
                }
                entry->ClearTags();
                entry->fileOffset = lineStart;
                entryOpen = true;
            }
            std::size_t valueStart = 0;
            const TagName name = ClassifyTagLine(line, valueStart);
            if (name <= TagName::Trait) {
                StoreHeaderTag(*entry, name, TagValue(line, valueStart));
            }
        } else if (entry && entry->IsComplete()) {
            consumer(std::move(entry));
            // The fresh entry is not complete, so the rest of the move text is ignored.
            entry = std::make_unique<GameListEntry>();
            entryOpen = false;
        }
    }
}
