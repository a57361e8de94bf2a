#pragma once

#include <string>
#include <string_view>

class Position;

// The FEN text of `position`; the half-move clock is always written as 0.
std::u16string WriteFen(const Position& position);

// Fills the board, castling rights, en-passant square, side to move and move number
// of `position` from `text` and sets its setUp flag. Returns false for a bad castling
// character, a malformed en-passant field or a text that ends early; the position is
// then partly overwritten. Comment, annotation and moves are left alone.
bool ReadFen(Position& position, std::u16string_view text);
