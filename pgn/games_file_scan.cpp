#include "pgn/games_file_scan.h"

#include <optional>
#include <string>
#include <string_view>

#include "pgn/file_line.h"
#include "pgn/tag_line.h"
#include "platform/buffered_file.h"
#include "platform/text_codec.h"

namespace {

// The value of a tag line from its raw bytes. An ASCII value without backslashes, by
// far the usual case, reads the same under either code page and is widened directly;
// anything else goes through the decoding of the whole line.
std::u16string TagValue(std::string_view line, std::size_t valueStart) {
    const std::size_t quote = line.find('"', valueStart);
    if (quote == std::string_view::npos) {
        return {};
    }
    std::size_t end = quote + 1;
    while (end < line.size() && line[end] != '"' && line[end] != '\\' &&
           static_cast<unsigned char>(line[end]) < 0x80) {
        ++end;
    }
    if (end == line.size() || line[end] == '"') {
        return std::u16string(line.begin() + static_cast<std::ptrdiff_t>(quote + 1),
                              line.begin() + static_cast<std::ptrdiff_t>(end));
    }
    // Decoding keeps the ASCII beginning in place, so the index still applies.
    return ExtractTagValue(std::u16string_view(DecodeLine(line)).substr(valueStart));
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
        const std::string_view line = LineUpToZero(*bytes);
        if (!line.empty() && line[0] == '[') {
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
