#pragma once

#include "ui/game/choice_dialog.h"

// Choose Piece: a pawn reaches the last rank. The rows read Queen, Rook, Bishop,
// Knight; the dialog ends with the chosen piece type (5, 2, 4, 3). It cannot be
// cancelled: the back key and Cancel do nothing, and closing the window gives a
// queen.
class ChoosePieceDialog : public ChoiceDialog {
public:
    explicit ChoosePieceDialog(QWidget* parent);

    void HandleClose() override;

protected:
    void FillRows() override;
    void ChooseDigit(int digit) override;
    void ChooseHighlighted() override;
    void Cancel() override;
};

// Asks for the promotion piece over `parent`, the screen that plays the move (the game
// display), and returns the piece type. Without a parent, or when the dialog cannot be
// shown, returns 5 (queen).
int ChoosePromotionPiece(QWidget* parent);
