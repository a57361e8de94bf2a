#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

class ByteSink;
class GameDocument;

// Writes games as PGN text, UTF-8 with CR LF line breaks, so that the game reader
// reads them back unchanged. Tag lines are written whole; the move text is wrapped
// at 79 bytes by a LineWrapper of the game being written, so games may be written on
// several threads at once. A move-text line never begins with "[", which the games
// index would take for the start of the next game.

// Where the wrapping may cut a piece: a blank (dropped, the line break stands for it)
// or, in move text, just after "(" or "{".
enum class BreakRule { MoveText, Comment };

// A place to cut a piece: the line ends before byte `at`; with dropsBlank the byte at
// `at` is a blank that the line break replaces.
struct LineBreak {
    std::size_t at = 0;
    bool dropsBlank = false;
};

// Writes the whole game at the sink's position: the tags, a blank line, the move
// text with comments, annotations and variations, the result and an empty line.
// Write failures are left to the sink's owner.
void WritePgnGame(const GameDocument& document, ByteSink& sink);

// Writes the move text of one game to a sink, UTF-8 encoded, breaking lines so that
// they stay within 79 bytes. A line break is held back until the first bytes of the
// next line are known: when they may not start a line (a "[", which the games index
// would read as the next game's first tag, a "%" or a byte-order mark) the break is
// taken back, with the blank it replaced.
class LineWrapper {
public:
    // Starts at the beginning of a line of `sink`, which must outlive the wrapper.
    explicit LineWrapper(ByteSink& sink) : sink_(sink) {}

    LineWrapper(const LineWrapper&) = delete;
    LineWrapper& operator=(const LineWrapper&) = delete;

    // Writes one piece, breaking lines where the piece allows it. With fillLine false a
    // piece that fits on a line of its own is moved whole to a new line rather than cut.
    void Write(std::u16string_view text, bool fillLine, BreakRule rule = BreakRule::MoveText);

    // Writes a text of any length as pieces of at most 511 bytes, cut at blanks (each
    // later piece starts with its blank); a run of more than 511 bytes without a blank
    // is a piece of its own, never cut, since a line break inside it would read back as
    // a blank.
    void WriteLong(std::u16string_view text, bool fillLine, BreakRule rule = BreakRule::MoveText);

    // The bytes already written on the current output line.
    [[nodiscard]] std::size_t Column() const { return column_; }

private:
    void PutBytes(std::string_view bytes);
    void BreakLine(bool dropsBlank);
    std::string_view BreakBefore(std::string_view bytes);
    std::string_view TakeBreak(std::string_view bytes, LineBreak at);
    void WrapBytes(std::string_view bytes, bool fillLine, BreakRule rule);

    ByteSink& sink_;
    std::size_t column_ = 0;
    bool breakPending_ = false;
    bool pendingBlank_ = false;  // the pending break replaced a blank
    std::size_t columnBeforeBreak_ = 0;
};

// The last place at or before index `from` where `bytes` may be cut under `rule`;
// std::nullopt when there is none (also for a negative `from`). A cut that would put
// "[" at the start of the next line is never offered.
std::optional<LineBreak> FindBreak(std::string_view bytes, long from, BreakRule rule);
