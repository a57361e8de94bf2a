#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

class MoveNode;
class Position;

// Piece letters of moves: 0 English, 1 French.
enum class NotationLanguage { English = 0, French = 1 };

// Two letters (English, French) per piece type 0..6; blank for none and pawn.
inline constexpr std::array<std::u16string_view, 7> PieceLetters = {u"  ", u"  ", u"RT", u"NC",
                                                                    u"BF", u"QD", u"KR"};

// The marks of move annotations 1 to 6.
inline constexpr std::array<std::u16string_view, 6> NagGlyphs = {u"!",  u"?",  u"!!",
                                                                 u"??", u"!?", u"?!"};

// The letter of piece type 1..6 in `language` (blank for a pawn).
[[nodiscard]] char16_t PieceLetter(int pieceType, NotationLanguage language);

inline constexpr std::size_t kSanBufferSize = 32;
using SanBuffer = std::array<char16_t, kSanBufferSize>;

// Writes the SAN of `move` into `buffer`, zero-terminated, and returns its length.
// withNumber puts "12. " or "12... " before it; nagAsNumber writes the annotation as
// " $n" instead of its mark. Never fails.
std::size_t FormatSan(const MoveNode& move, SanBuffer& buffer, bool withNumber, bool nagAsNumber,
                      NotationLanguage language);

// FormatSan into a string.
[[nodiscard]] std::u16string FormatSanText(const MoveNode& move, bool withNumber, bool nagAsNumber,
                                           NotationLanguage language);

// Replaces the piece letters of `language` in `text` by the English ones, in place.
void TranslateToEnglish(std::u16string& text, NotationLanguage language);

// Reads one move in English SAN from `position` and returns its child position: the
// existing move's child, or a newly added move's. Null when the text is not a legal
// move there; the tree is then unchanged.
[[nodiscard]] Position* ParseSan(Position& position, std::u16string_view text);

// ParseSan that always adds a new move at the end of the position's list, even when
// the same move is there already: a variation that repeats the move it is an
// alternative to stays a line of its own.
[[nodiscard]] Position* ParseSanAsNewLine(Position& position, std::u16string_view text);

// The disambiguation SAN writes after the piece letter of from->to in `position`:
// empty, a file letter, a rank digit, or both. Pinned pieces count. Always empty for a
// pawn or a king (and an empty square), whose SAN has none.
[[nodiscard]] std::array<char16_t, 3> ComputeDisambiguation(const Position& position, int from,
                                                            int to);
