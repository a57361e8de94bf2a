#pragma once

#include "ui/kit/dialog_controller.h"

class GameDocument;
class MessageStore;
class MoveNode;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
struct OwnerIdentity;

// Send move: composes the e-mail that carries the user's move to the opponent and puts
// it in the outbox. The move is the one that follows the last exchanged position; it
// is shown numbered, in English or French piece letters as the language list says.
// To is the opponent's address (BlackEmail when White moves, WhiteEmail when Black
// does), the subject "Move #n". "Send" (F1, Return) sends and a box says what became
// of the move: sent to whom, or waiting in the outbox without a send command. After a
// failure, or without the owner's e-mail address, the dialog stays open with its
// fields as they were. The game and the session are not owned.
class SendMoveDialog : public DialogController {
public:
    // The code the dialog ends with when it cannot start.
    static constexpr int kStartFailed = 5;

    // A dialog for the move that follows `game`'s last exchanged position, sent
    // through `session`, from `owner`.
    SendMoveDialog(QWidget* parent, GameDocument& game, const MessageStore& session,
                   const OwnerIdentity& owner);
    ~SendMoveDialog() override;

    // Fills the fields; ends with kStartFailed when there is no move to send.
    void InitDialog() override;
    bool HandleCommand(int commandId) override;

    // The controls, owned by the dialog.
    [[nodiscard]] QLabel* moveLabel() const { return moveLabel_; }
    [[nodiscard]] QComboBox* languageList() const { return languageList_; }
    [[nodiscard]] QLineEdit* toEdit() const { return toEdit_; }
    [[nodiscard]] QLineEdit* subjectEdit() const { return subjectEdit_; }
    [[nodiscard]] QPlainTextEdit* additionalTextEdit() const { return additionalText_; }

private:
    void ShowMoveText();
    // Sends the message as the fields hold it; true when it was sent or put in the
    // outbox.
    bool SendMessage();

    GameDocument& game_;
    const MessageStore& session_;
    const OwnerIdentity& owner_;
    const MoveNode* move_ = nullptr;
    QLabel* moveLabel_;
    QComboBox* languageList_;
    QLineEdit* toEdit_;
    QLineEdit* subjectEdit_;
    QPlainTextEdit* additionalText_;
};

// Runs Send move over `parent` for `game`: true when the message was sent or put in
// the outbox, false for Cancel, closing, or a dialog that could not start (no move
// follows the last exchanged position, or no softkey bar).
bool RunSendMoveDialog(QWidget* parent, GameDocument& game, const MessageStore& session,
                       const OwnerIdentity& owner);
