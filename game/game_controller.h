#pragma once

class GameObserver;
class Position;

// Navigation in an open game: what the screens call to move the current position.
class GameController {
public:
    virtual ~GameController() = default;

    virtual void GoToStart() = 0;
    virtual void Reserved() = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoToMainLine() = 0;
    virtual void SetCurrent(Position* position) = 0;
    virtual void GoToLastMove() = 0;
    virtual Position* GetCurrent() = 0;
    // Returns false when the primary slot is taken or ten secondary views exist.
    virtual bool AttachView(GameObserver* view, bool primary) = 0;
    virtual void DetachView(GameObserver* view) = 0;
};
