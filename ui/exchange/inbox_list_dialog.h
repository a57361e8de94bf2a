#pragma once

#include <memory>
#include <vector>

#include "ui/kit/dialog_controller.h"

class AnswerRequest;
class InboxMessage;
class QTreeWidget;

// The second Get answer dialog: the received messages of every store's Inbox, one
// row each with its date, sender and subject. "Next" (F2, Return) opens the selected
// message line by line; when the answer is found there, this dialog ends with it. The
// dialog owns the message records and frees them when it ends.
class InboxListDialog : public DialogController {
public:
    // `request` is not owned.
    InboxListDialog(QWidget* parent, AnswerRequest& request);
    ~InboxListDialog() override;

    // Lists every store's Inbox and selects the first message.
    void InitDialog() override;
    bool HandleCommand(int commandId) override;
    void HandleClose() override;

    // The list of messages; owned by the dialog.
    QTreeWidget* list() const { return list_; }
    // How many message records the dialog holds.
    std::size_t messageCount() const { return messages_.size(); }

private:
    void FillList();
    void SizeColumns(int dateWidth);
    void OpenSelectedMessage();
    // Frees every message record and ends the dialog with `code`.
    void Finish(int code);

    AnswerRequest& request_;
    QTreeWidget* list_;
    std::vector<std::unique_ptr<InboxMessage>> messages_;  // row i shows messages_[i]
};
