#pragma once

#include <QListWidget>
#include <QString>

#include "game/game_observer.h"

class GameDocument;
class MoveNode;
class Position;

// The list of every move of a game, main line and variations, one move per row in the
// order PGN writes them: each variation right after the move it is an alternative to,
// indented by two blanks per level of depth and enclosed in "(" and ")". Row 0 stands
// for the start position. The row of the current position's move is selected and kept
// in view; the arrow keys step through the game instead of the rows. The rows are only
// as current as the last Rebuild: moves added or removed are not noticed by the view.
class MoveListView : public QListWidget, public GameObserver {
public:
    // An empty list, attached to no document.
    explicit MoveListView(QWidget* parent = nullptr);
    ~MoveListView() override;

    // Follows `document` (not owned; it must outlive the view or stop notifying it)
    // as a secondary view. Returns false when the document has no room for it.
    bool AttachTo(GameDocument& document);

    // Rebuilds every row from the document's tree and selects the row of `selected`
    // (row 0 when null).
    void Rebuild(const MoveNode* selected);

    // Appends the rows of the line that starts at `first` and of every variation inside
    // it; returns the index of the last row appended, -1 when `first` is null.
    int AddLine(const MoveNode* first);

    // Selects the row of `move` (row 0 for null; no row when the move has none) and
    // scrolls so that two rows stay visible above it.
    void SelectRow(const MoveNode* move);

    // The index of the row that carries `move`, or -1. Only compares addresses, so a
    // move destroyed since the last rebuild is safe to ask about.
    int FindRow(const MoveNode* move) const;

    // The text of a move's row, without the ")" of the variations it ends.
    static QString RowText(const MoveNode& move);

    // Selects the row of the move that leads to `position` (row 0 at the start).
    void OnCurrentChanged(Position* position) override;
    // Never asked of a secondary view: returns null.
    Position* ChooseAlternative(MoveNode* firstMove) override;

protected:
    // Left goes back, Up to the main line, Right and Down forward; other keys are
    // the list's.
    void keyPressEvent(QKeyEvent* event) override;

private:
    GameDocument* document_ = nullptr;
};
