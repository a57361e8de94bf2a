#include "pgn/games_file_scan.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    // Where a plain value stops: its closing quote, or a byte that needs the slow way.
    static constexpr std::array<bool, 256> kStops = [] {
        std::array<bool, 256> stops{};
        stops['"'] = stops['\0'] = stops['\\'] = true;
        for (std::size_t c = 0x80; c < stops.size(); ++c) {
            stops[c] = true;
        }
        return stops;
    }();
    // The opening quote (most often the next byte but one), unless the line's text
    // ends at a zero byte before it.
    std::size_t quote = valueStart;
    while (quote < line.size() && line[quote] != '"' && line[quote] != '\0') {
        ++quote;
    }
    if (quote == line.size() || line[quote] != '"') {
        return {};
    }
    std::size_t end = quote + 1;
    while (end < line.size() && !kStops[static_cast<unsigned char>(line[end])]) {
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

// Index of the first `a` or `b` in `data`, or npos. Every line of move text passes
// through here, so on x86-64 it looks at 16 bytes per step.
std::size_t FindEither(std::string_view data, char a, char b) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i as = _mm_set1_epi8(a);
    const __m128i bs = _mm_set1_epi8(b);
    for (; i + 16 <= data.size(); i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data.data() + i));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, as), _mm_cmpeq_epi8(block, bs)));
        if (mask != 0) {
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    for (; i < data.size(); ++i) {
        if (data[i] == a || data[i] == b) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Index of the first of the four bytes a, b, c, d in `data`, or npos; sixteen bytes
// per step on x86-64.
std::size_t FindAnyOf(std::string_view data, char a, char b, char c, char d) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i as = _mm_set1_epi8(a);
    const __m128i bs = _mm_set1_epi8(b);
    const __m128i cs = _mm_set1_epi8(c);
    const __m128i ds = _mm_set1_epi8(d);
    for (; i + 16 <= data.size(); i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data.data() + i));
        const __m128i found =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, as), _mm_cmpeq_epi8(block, bs)),
                         _mm_or_si128(_mm_cmpeq_epi8(block, cs), _mm_cmpeq_epi8(block, ds)));
        const int mask = _mm_movemask_epi8(found);
        if (mask != 0) {
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    for (; i < data.size(); ++i) {
        if (data[i] == a || data[i] == b || data[i] == c || data[i] == d) {
            return i;
        }
    }
    return std::string_view::npos;
}

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// The bytes looked at in one go when lines are read in bulk: as many as a line piece.
// A larger window would make the file's buffer keep more unread bytes at a refill and
// so grow it again, by a whole buffer at a time, as a large file is read.
constexpr std::size_t kScanWindow = kLineCapacity - 1;

// What the line being read is, for the pieces of it that follow a cut.
enum class LineKind { Ignored, Tag, MoveText };

// Follows the comments of the move text so that a line starting with "[" inside one
// is not taken for the next game's tags.
class CommentTracker {
public:
    [[nodiscard]] bool InBraceComment() const { return braceOpen_; }

    // Reads a piece of move text; `lineEnds` when the physical line ends with it.
    void Read(std::string_view bytes, bool lineEnds) {
        if (!restOfLine_) {
            while (!bytes.empty()) {
                if (braceOpen_) {
                    const std::size_t close = bytes.find('}');
                    if (close == std::string_view::npos) {
                        break;
                    }
                    braceOpen_ = false;
                    bytes.remove_prefix(close + 1);
                    continue;
                }
                const std::size_t open = FindEither(bytes, '{', ';');
                if (open == std::string_view::npos) {
                    break;
                }
                if (bytes[open] == ';') {
                    restOfLine_ = true;
                    break;
                }
                braceOpen_ = true;
                bytes.remove_prefix(open + 1);
            }
        }
        if (lineEnds) {
            restOfLine_ = false;
        }
    }

    void Reset() {
        braceOpen_ = false;
        restOfLine_ = false;
    }

    // Reads on from the start of a line that follows a line of move text, many lines
    // at a time in the file's buffer, as Read would read them piece by piece, and
    // stops at the start of a line that may be something else: one that begins with
    // "[", "%" or a byte-order mark outside a brace comment (or at the end of the
    // file). Every line passed over is move text.
    void SkipMoveTextLines(BufferedFile& file) {
        bool afterBreak = true;  // further line breaks belong to the same run
        while (true) {
            const std::string_view data = file.Peek(kScanWindow);
            if (data.empty()) {
                return;
            }
            std::size_t i = 0;
            while (i < data.size()) {
                if (afterBreak) {
                    while (i < data.size() && IsLineBreak(data[i])) {
                        ++i;
                    }
                    if (i == data.size()) {
                        break;
                    }
                    afterBreak = false;
                    restOfLine_ = false;
                    const char first = data[i];
                    if (!braceOpen_ && (first == '[' || first == '%' || first == '\xEF')) {
                        file.Skip(i);
                        return;
                    }
                }
                if (braceOpen_) {
                    const std::size_t close = data.find('}', i);
                    if (close == std::string_view::npos) {
                        i = data.size();
                        break;
                    }
                    braceOpen_ = false;
                    i = close + 1;
                    continue;
                }
                const std::size_t found = restOfLine_
                                              ? FindEither(data.substr(i), '\r', '\n')
                                              : FindAnyOf(data.substr(i), '{', ';', '\r', '\n');
                if (found == std::string_view::npos) {
                    i = data.size();
                    break;
                }
                const char c = data[i + found];
                i += found + 1;
                if (c == '{') {
                    braceOpen_ = true;
                } else if (c == ';') {
                    restOfLine_ = true;
                } else {
                    afterBreak = true;
                }
            }
            file.Skip(i);
        }
    }

private:
    bool braceOpen_ = false;
    bool restOfLine_ = false;  // after ";" up to the line's end
};

// Stores the value of the tag line `bytes` in `entry` when the index interprets it. A
// tag's beginning holds no zero byte and TagValue stops at one, so the line need not be
// cut at a zero byte first.
void StoreTag(GameListEntry& entry, std::string_view bytes) {
    std::size_t valueStart = 0;
    const TagName name = ClassifyTagLine(bytes, valueStart);
    if (name <= TagName::Trait) {
        StoreHeaderTag(entry, name, TagValue(bytes, valueStart));
    }
}

// Reads on from the start of the line after a tag line, straight from the file's
// buffer, while the lines are tag lines that ReadLinePiece would give whole (shorter
// than its capacity), and stores them in `entry`; stops at the start of any other line.
void ReadFollowingTagLines(BufferedFile& file, GameListEntry& entry) {
    while (true) {
        const std::string_view data = file.Peek(kScanWindow);
        std::size_t i = 0;
        while (i < data.size() && data[i] == '[') {
            const std::size_t lineBreak = FindEither(data.substr(i, kLineCapacity - 1), '\r', '\n');
            if (lineBreak == std::string_view::npos) {
                break;  // a long line, or one that the buffer cuts: read the usual way
            }
            StoreTag(entry, data.substr(i, lineBreak));
            i += lineBreak;
            while (i < data.size() && IsLineBreak(data[i])) {
                ++i;
            }
        }
        file.Skip(i);
        if (i == 0 || i < data.size()) {
            return;
        }
    }
}

constexpr std::array<std::string_view, 7> kRosterNames = {"White", "Black", "Event", "Site",
                                                          "Date",  "Round", "Result"};

}  // namespace

void ScanEveryGame(BufferedFile& file, const ScannedGameVisitor& visit,
                   const ReadProgress& progress) {
    file.Seek(0);
    std::size_t visited = 0;
    // Hands over the game read so far; false when the reader asked to stop.
    const auto handOver = [&](std::unique_ptr<GameListEntry> done, std::uint64_t end,
                              bool withMoveText) {
        visit(std::move(done), end, withMoveText);
        return !progress || progress(++visited);
    };
    std::unique_ptr<GameListEntry> entry;
    bool inTags = false;
    bool hasMoveText = false;
    bool atLineStart = true;
    LineKind kind = LineKind::Ignored;
    CommentTracker comments;
    while (true) {
        const std::optional<LinePiece> piece = ReadLinePiece(file, atLineStart);
        if (!piece) {
            break;
        }
        const std::string_view bytes = piece->bytes;
        if (atLineStart) {
            if (comments.InBraceComment()) {
                kind = LineKind::MoveText;
            } else if (!bytes.empty() && bytes[0] == '[') {
                kind = LineKind::Tag;
            } else if (!bytes.empty() && bytes[0] == '%') {
                kind = LineKind::Ignored;
            } else {
                kind = entry ? LineKind::MoveText : LineKind::Ignored;
            }
            if (kind == LineKind::Tag) {
                if (!inTags) {
                    const std::uint64_t tagStart = piece->start;
                    if (entry && !handOver(std::move(entry), tagStart, hasMoveText)) {
                        return;
                    }
                    entry = std::make_unique<GameListEntry>();
                    entry->ClearTags();
                    entry->fileOffset = tagStart;
                    inTags = true;
                    hasMoveText = false;
                    comments.Reset();
                }
                StoreTag(*entry, bytes);
                if (!piece->cut) {
                    // The lines after a tag line are mostly more tag lines.
                    ReadFollowingTagLines(file, *entry);
                }
            } else if (kind == LineKind::MoveText) {
                inTags = false;
                hasMoveText = true;
            }
        }
        if (kind == LineKind::MoveText) {
            comments.Read(bytes, !piece->cut);
            if (!piece->cut) {
                // The lines after a line of move text are mostly more of it.
                comments.SkipMoveTextLines(file);
            }
        }
        atLineStart = !piece->cut;
    }
    if (entry) {
        handOver(std::move(entry), file.Tell(), hasMoveText);
    }
}

ScanSummary ScanGamesFile(BufferedFile& file, const GameEntryConsumer& consumer,
                          const ReadProgress& progress) {
    ScanSummary summary;
    ScanEveryGame(
        file,
        [&](std::unique_ptr<GameListEntry> entry, std::uint64_t /*end*/, bool hasMoveText) {
            if (!entry->IsComplete()) {
                if (summary.unlistedGames++ == 0) {
                    summary.firstUnlistedOffset = entry->fileOffset;
                }
                summary.missingTags |= RosterTagsMissing(*entry);
            } else if (hasMoveText) {
                consumer(std::move(entry));
            }
        },
        progress);
    return summary;
}

unsigned RosterTagsMissing(const GameHeaders& headers) {
    const std::array<bool, 7> present = {
        headers.white.has_value(),          headers.black.has_value(), headers.event.has_value(),
        headers.site.has_value(),           headers.date.has_value(),  headers.round.has_value(),
        headers.result != GameResult::Unset};
    unsigned missing = 0;
    for (std::size_t i = 0; i < present.size(); ++i) {
        if (!present[i]) {
            missing |= 1u << i;
        }
    }
    return missing;
}

std::string RosterTagNames(unsigned missing) {
    std::string names;
    for (std::size_t i = 0; i < kRosterNames.size(); ++i) {
        if ((missing & (1u << i)) != 0) {
            names += names.empty() ? "" : ", ";
            names += kRosterNames[i];
        }
    }
    return names;
}
