#pragma once

#include "ui/kit/dialog_controller.h"

class AnswerRequest;
class QComboBox;
class QLabel;
class QListWidget;

// The third Get answer dialog: one received message, its sender and subject above
// and its body line by line below. The user picks the line that holds the move, with
// the language of its piece letters, and presses "Next" (F2, Return): the move is
// read from the position after the last exchanged move and, when legal, becomes the
// answer with the message's date. An unreadable move shows a box and the dialog stays.
class MessageLinesDialog : public DialogController {
public:
    // Longest text shown for the sender and the subject.
    static constexpr int kMaxHeaderText = 255;

    // `request` and its message are not owned; the message must be set.
    MessageLinesDialog(QWidget* parent, AnswerRequest& request);
    ~MessageLinesDialog() override;

    // Shows the message's sender, subject and lines; ends at once without a message.
    void InitDialog() override;
    bool HandleCommand(int commandId) override;

    // The controls, owned by the dialog.
    [[nodiscard]] QLabel* fromLabel() const { return fromLabel_; }
    [[nodiscard]] QLabel* subjectLabel() const { return subjectLabel_; }
    [[nodiscard]] QComboBox* languageList() const { return languageList_; }
    [[nodiscard]] QLabel* instructionLabel() const { return instruction_; }
    [[nodiscard]] QListWidget* lines() const { return lines_; }

private:
    // Reads the move from the selected line; true when the answer was found.
    bool ParseSelectedLine();

    AnswerRequest& request_;
    QLabel* fromLabel_;
    QLabel* subjectLabel_;
    QComboBox* languageList_;
    QLabel* instruction_;
    QListWidget* lines_;
};
