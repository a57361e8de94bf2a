#pragma once

#include <string_view>

#include "rules/notation.h"

class Position;

// Reads the opponent's move from one line of a received message, as a move from
// `exchange` (the position after the last exchanged move). With French the piece
// letters are first turned into English ones; the move starts at the first of the
// letters "abcdefghBKNOQR". Returns the position after the move: an existing move's
// child, or the child of a move that is added to the tree. Null, with the tree
// unchanged, when no legal move is found there.
Position* ParseAnswerLine(Position& exchange, std::u16string_view line, NotationLanguage language);
