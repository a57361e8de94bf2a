#pragma once

class MoveNode;
class Position;

// A view of a game document: told about every change of the current position.
class GameObserver {
public:
    virtual ~GameObserver() = default;

    // Reserved; nothing calls it.
    virtual void OnMoveAdded(MoveNode* /*move*/) {}

    // Shows the new current position.
    virtual void OnCurrentChanged(Position* position) = 0;

    // Lets the user pick one of the moves of a position (asked of the primary view
    // only); returns the chosen move's child, or null to change nothing.
    virtual Position* ChooseAlternative(MoveNode* firstMove) = 0;
};
