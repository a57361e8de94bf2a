#pragma once

#include "rules/promotion_chooser.h"

class BoardView;
class GameController;
class Position;
class QString;

// What the four-digit move entry needs from the screen that shows the board: the
// displayed position, the board, the "New:" field, the game's navigation, the Add new
// line question and the flags that a new move sets. The game display is the host.
class MoveEntryHost {
public:
    virtual ~MoveEntryHost() = default;

    // The position shown on the board; null while there is none.
    virtual Position* DisplayedPosition() = 0;

    // The board the entry highlights squares and file labels on.
    virtual BoardView& Board() = 0;

    // Shows the squares typed so far in the "New:" field of the status line.
    virtual void SetNewFieldText(const QString& text) = 0;

    // The navigation of the open game; its SetCurrent plays a completed entry.
    virtual GameController& Controller() = 0;

    // Asks whether from->to, which is not among the moves of `position`, is added as
    // a new line or replaces one of them; returns the new move's child position, or
    // null when the user cancels.
    virtual Position* RunAddNewLine(Position& position, int from, int to) = 0;

    // What AddMove asks for the piece when a pawn promotes.
    virtual PromotionChooser Chooser() = 0;

    // A move was added to the tree: the game is modified and the move list stale.
    virtual void OnTreeChanged() = 0;
};
