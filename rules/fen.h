#pragma once

#include <string>
#include <string_view>

class Position;

// The FEN text of `position`. A set-up root gives the half-move clock and full-move
// number it was read with; any other position the clock 0 and the number of its move.
[[nodiscard]] std::u16string WriteFen(const Position& position);

// Fills the board, castling rights, en-passant square, side to move and move number
// of `position` from `text`, keeps its half-move clock and full-move number as read
// and sets its setUp flag. Returns false for a bad castling
// character, a malformed en-passant field or a text that ends early; the position is
// then partly overwritten. Comment, annotation and moves are left alone.
[[nodiscard]] bool ReadFen(Position& position, std::u16string_view text);
