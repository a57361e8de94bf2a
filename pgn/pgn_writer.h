#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

class ByteSink;
class GameDocument;
class MoveNode;

// Writes games as PGN text, UTF-8 with CR LF line breaks, so that the game reader
// reads them back unchanged. Tag lines are written whole; the move text is wrapped
// at 79 bytes by a program-wide column counter, so only one game is written at a
// time. A move-text line never begins with "[", which the games index would take for
// the start of the next game.

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

// Writes one piece of move text, UTF-8 encoded, breaking lines so that they stay
// within 79 bytes where the piece allows it. With fillLine false a piece that fits on
// a line of its own is moved whole to a new line rather than cut. A null sink resets
// the column to 0 and writes nothing.
void WriteWrapped(ByteSink* sink, std::u16string_view text, bool fillLine,
                  BreakRule rule = BreakRule::MoveText);

// The last place at or before index `from` where `bytes` may be cut under `rule`;
// std::nullopt when there is none (also for a negative `from`). A cut that would put
// "[" at the start of the next line is never offered.
std::optional<LineBreak> FindBreak(std::string_view bytes, long from, BreakRule rule);

// Writes a text of any length through WriteWrapped as pieces of at most 511 bytes,
// cut at blanks (each later piece starts with its blank); a run of more than 511 bytes
// without a blank is a piece of its own, never cut, since a line break inside it
// would read back as a blank.
void WriteLongText(ByteSink& sink, std::u16string_view text, bool fillLine,
                   BreakRule rule = BreakRule::MoveText);

// Writes the line that starts at `move`, with its variations in brackets and the
// continuations after them, without recursion. With numberFirst the first move carries
// its number.
void WriteMoveText(ByteSink& sink, const MoveNode& move, bool numberFirst);

// The program-wide column: bytes already written on the current output line.
std::size_t WrapColumn();
