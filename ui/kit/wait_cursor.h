#pragma once

// Shows the wait cursor for as long as it lives, over any cursor shown before, which
// comes back when it is destroyed. Used around operations that may take long.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();

    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
