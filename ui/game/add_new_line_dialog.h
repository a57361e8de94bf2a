#pragma once

#include <vector>

#include "rules/promotion_chooser.h"
#include "ui/game/choice_dialog.h"

class MoveNode;
class Position;

// Add new line: the move typed on the board is not among the moves already played
// from the position. Row 0 adds it as a new alternative; row n (1..9) lets it replace
// the n-th move, whose continuation is lost.
class AddNewLineDialog : public ChoiceDialog {
public:
    // `position` is where the move from->to is entered (not owned); `chooser` is handed
    // to AddMove for the promotion question (the game display's).
    AddNewLineDialog(QWidget* parent, PromotionChooser chooser, Position& position, int from,
                     int to);

    // The position the new move leads to once the dialog ended with kIdOk; null
    // otherwise. It belongs to the game tree.
    [[nodiscard]] Position* result() const { return result_; }

protected:
    void FillRows() override;
    void ChooseDigit(int digit) override;
    void ChooseHighlighted() override;

private:
    // Plays the move, replacing `replaced` when given, and ends the dialog when the
    // tree took it.
    void Play(MoveNode* replaced, const PromotionChooser& chooser);

    Position& position_;
    Position* result_ = nullptr;
    PromotionChooser chooser_;
    int from_;
    int to_;
    std::vector<MoveNode*> moves_;  // the move of each row 1..9; not owned
};

// Runs Add new line over `parent` and returns the new move's position, or null when
// the user cancelled.
Position* RunAddNewLine(QWidget* parent, PromotionChooser chooser, Position& position, int from,
                        int to);
