#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "ui/kit/dialog_controller.h"

class AnswerRequest;
class InboxMessage;
class QTreeWidget;
class ReadProgressView;

// The second Get answer dialog: the received messages of every store's Inbox, one
// row each with its date, sender and subject. "Next" (F2, Return) opens the selected
// message line by line; when the answer is found there, this dialog ends with it. The
// dialog owns the message records and frees them when it ends. The Inbox is read off
// the screen's thread; a read that takes long shows how many messages it has read, and
// the back key stops it.
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
    [[nodiscard]] QTreeWidget* list() const { return list_; }
    // How many message records the dialog holds.
    [[nodiscard]] std::size_t messageCount() const { return messages_.size(); }
    [[nodiscard]] ReadProgressView* progressView() const { return progress_; }

private:
    void FillList();
    void SizeColumns(int dateWidth);
    void OpenSelectedMessage();
    // Frees every message record and ends the dialog with `code`.
    void Finish(int code);

    AnswerRequest& request_;
    QTreeWidget* list_;
    ReadProgressView* progress_;
    // Stops the Inbox's reading while it runs; unset otherwise.
    std::function<void()> stopReading_;
    std::vector<std::unique_ptr<InboxMessage>> messages_;  // row i shows messages_[i]
};
