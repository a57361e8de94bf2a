#pragma once

#include <vector>

#include "ui/game/choice_dialog.h"

class AnswerRequest;
class MoveNode;

// The first Get answer dialog: the moves the user has already studied from the
// position after the last exchanged move (at most nine, numbered 1 to 9, in English
// letters) and "0. Check inbox". A digit that labels a studied move takes it as the
// answer; any other digit from 1 to 9 ends the dialog without one; 0 opens the inbox
// list. With no studied move the inbox list opens at once.
class GetAnswerDialog : public ChoiceDialog {
public:
    // Studied moves beyond this many are not offered.
    static constexpr int kMaxStudiedMoves = 9;

    // `request` is not owned; the answer is left in it.
    GetAnswerDialog(QWidget* parent, AnswerRequest& request);
    ~GetAnswerDialog() override;

    // Lists the studied moves, or runs the inbox list at once when there is none.
    void InitDialog() override;

protected:
    void FillRows() override;
    void ChooseDigit(int digit) override;
    void ChooseHighlighted() override;

private:
    // Runs the inbox list; true when it found the answer.
    bool CheckInbox();

    AnswerRequest& request_;
    std::vector<MoveNode*> studiedMoves_;  // entry k is studiedMoves_[k - 1]; not owned
};
