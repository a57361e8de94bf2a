#pragma once

#include <cstdint>
#include <memory>

#include "rules/move_links.h"
#include "rules/square.h"

class MoveNode;
class Position;

// Reshaping and walking the move tree. The first move of a position's list is its
// main continuation, the others are alternatives; depth is 0 on the main line and one
// more for each level of nesting.

// True when `move` has a previous sibling.
[[nodiscard]] bool IsAlternative(const MoveNode& move);

// move's nextSibling when move is a first move, null when it is itself an alternative.
[[nodiscard]] MoveNode* FirstAlternative(const MoveNode& move);

// move's nextSibling when move is an alternative, null when it is a first move.
[[nodiscard]] MoveNode* NextAlternative(const MoveNode& move);

// The colour of the piece that makes `move`.
[[nodiscard]] Colour MoverColour(const MoveNode& move);

// Cuts `move` out of its position's list and returns it, owned by the caller. An
// alternative leaves alone; a first move takes all its alternatives with it (the
// position's list becomes empty).
MoveNodePtr UnlinkMove(MoveNode& move);

// Raises the variation that contains `move` one level; requires move.depth > 0.
void PromoteVariation(MoveNode& move);

// Recomputes the depths from `move` along its list and below: `move` gets d, later
// siblings d + 1 when `move` is first in its list; children follow. Not recursive.
void RenumberDepths(MoveNode& move, std::uint8_t d);

// The first move of the list at the nearest branch point above `move` (or at it);
// null when `move` is on the main line.
[[nodiscard]] MoveNode* MainLineAtBranch(MoveNode& move);

// Receives the moves of a tree in display order: a first move, then each of its
// alternatives with its whole line between OnVariationStart and OnVariationEnd, then
// the continuation of the first move.
class DisplayOrderVisitor {
public:
    virtual ~DisplayOrderVisitor() = default;
    virtual void OnMove(const MoveNode& move) = 0;
    // `first` is the alternative that opens the variation.
    virtual void OnVariationStart(const MoveNode& /*first*/) {}
    virtual void OnVariationEnd(const MoveNode& /*first*/) {}
};

// Walks the line that starts at `first` (and everything below it) in display order,
// without recursion.
void WalkDisplayOrder(const MoveNode* first, DisplayOrderVisitor& visitor);
