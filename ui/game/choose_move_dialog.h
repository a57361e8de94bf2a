#pragma once

#include <vector>

#include "ui/game/choice_dialog.h"

class MoveNode;
class Position;

// Choose move: several moves leave the position; the user picks the one to follow.
// Row i (0-based) is labelled i + 1 and stands for the i-th move of the list.
class ChooseMoveDialog : public ChoiceDialog {
public:
    // `firstMove` is the first move of the position's list (not owned).
    ChooseMoveDialog(QWidget* parent, MoveNode* firstMove);

    // The chosen move's position once the dialog ended with kIdOk; null when nothing
    // was chosen. It belongs to the game tree.
    [[nodiscard]] Position* result() const { return result_; }

protected:
    void FillRows() override;
    void ChooseDigit(int digit) override;
    void ChooseHighlighted() override;

private:
    MoveNode* firstMove_;
    Position* result_ = nullptr;
    std::vector<Position*> targets_;  // the position of each row; not owned
};

// Runs Choose move over `parent`; returns the chosen position, or null when the user
// cancelled or chose with no row highlighted.
Position* RunChooseMove(QWidget* parent, MoveNode* firstMove);
