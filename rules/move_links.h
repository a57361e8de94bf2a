#pragma once

#include <cstdint>
#include <memory>

#include "rules/node_pool.h"

class MoveNode;
class Position;

// Linking moves into a position's list of moves. The first move of a list has the
// depth of the position's incoming move (0 at the root); every later one that depth
// + 1.

// Puts `move` at the end of the list of `position` (or makes it the first move when
// the list is empty) and takes ownership of it; depth d + 1 for an alternative, d for
// a first move, where d is the position's incoming depth.
void LinkNewMove(Position& position, MoveNodePtr move);

// Appends `move` after the last move of the list that starts at `head`, with depth
// d + 1, taking ownership of it.
void AppendAlternative(MoveNode& head, MoveNodePtr move, std::uint8_t d);

// `replacement` takes the place and depth of `old`; `old` and its whole subtree are
// destroyed.
void ReplaceMove(MoveNodePtr replacement, MoveNode& old);

// The depth that the first move of `position`'s list has: its incoming move's depth,
// or 0 at the root.
std::uint8_t IncomingDepth(const Position& position);
