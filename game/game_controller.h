#pragma once

class GameObserver;
class Position;

// Navigation in an open game: what the screens call to move the current position.
// Every change of the current position is told to the attached views; an operation
// that changes nothing tells nobody. Views are never owned.
class GameController {
public:
    virtual ~GameController() = default;

    // Makes the root current.
    virtual void GoToStart() = 0;
    // Does nothing.
    virtual void Reserved() = 0;
    // Goes to the position before the current one; nothing at the root.
    virtual void GoBack() = 0;
    // Follows the only move of the current position; where there are alternatives the
    // primary view chooses (nothing without one, or when it answers null).
    virtual void GoForward() = 0;
    // Goes to the main continuation at the nearest branch above; nothing on the main
    // line.
    virtual void GoToMainLine() = 0;
    // Makes `position` (a node of this game's tree) current; a null one is ignored.
    virtual void SetCurrent(Position* position) = 0;
    // Goes to the position after the last exchanged move, or to the root when the
    // main line does not reach it.
    virtual void GoToLastMove() = 0;
    // The current position, never null; owned by the game.
    virtual Position* GetCurrent() = 0;
    // Returns false when the primary slot is taken or ten secondary views exist.
    virtual bool AttachView(GameObserver* view, bool primary) = 0;
    // Detaches `view` wherever it is attached; nothing when it is not.
    virtual void DetachView(GameObserver* view) = 0;
};
