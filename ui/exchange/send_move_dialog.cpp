#include "ui/exchange/send_move_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "contacts/owner_identity.h"
#include "game/game_document.h"
#include "game/move_tree.h"
#include "messaging/move_text.h"
#include "messaging/send_move_message.h"
#include "platform/text_cut.h"
#include "resources/resource_ids.h"
#include "rules/move_node.h"
#include "ui/kit/message_boxes.h"
#include "ui/kit/run_dialog.h"
#include "ui/kit/wait_cursor.h"

namespace {

// Without a send command the message only waits in the outbox: the box says so and
// how to have it sent, naming the README's section.
const QString kQueuedText = QStringLiteral(
    "Your move %1 waits in the Outbox of your mail store: no send command is set, so it "
    "has not been sent. To have your moves sent, set SendCommand in device.ini (see "
    "\"Sending your moves\" in the README).");
const QString kSentText = QStringLiteral("Your move %1 was sent to %2.");
const QString kNoOwnerEmailText = QStringLiteral(
    "Your e-mail address is not set, so your move cannot be sent. Set E-mail in the "
    "[Owner] section of device.ini (see \"Your name, your mail and your contacts\" in "
    "the README).");

// The addresses a message to `to` goes to, as a reader writes them.
QString RecipientList(const std::u16string& to) {
    QStringList recipients;
    for (const std::u16string& piece : SplitAddressText(to)) {
        if (!piece.empty()) {
            recipients << QString::fromStdU16String(piece);
        }
    }
    return recipients.join(QStringLiteral(", "));
}

std::u16string FieldText(const QString& text, std::size_t maxLength) {
    return std::u16string(CutText(text.toStdU16String(), maxLength));
}

QLabel* AddLabel(QGridLayout& layout, const QString& text, int row) {
    auto* label = new QLabel(text, layout.parentWidget());
    layout.addWidget(label, row, 0);
    return label;
}

}  // namespace

SendMoveDialog::SendMoveDialog(QWidget* parent, GameDocument& game, const MessageStore& session,
                               const OwnerIdentity& owner)
    : DialogController(parent),
      game_(game),
      session_(session),
      owner_(owner),
      moveLabel_(new QLabel(QStringLiteral("Move :"), this)),
      languageList_(new QComboBox(this)),
      toEdit_(new QLineEdit(this)),
      subjectEdit_(new QLineEdit(this)),
      additionalText_(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Send move"));
    moveLabel_->setObjectName(QStringLiteral("moveText"));
    languageList_->setObjectName(QStringLiteral("language"));
    toEdit_->setObjectName(QStringLiteral("to"));
    subjectEdit_->setObjectName(QStringLiteral("subject"));
    additionalText_->setObjectName(QStringLiteral("additionalText"));
    toEdit_->setMaxLength(static_cast<int>(MoveMessage::kMaxTo));
    subjectEdit_->setMaxLength(static_cast<int>(MoveMessage::kMaxSubject));
    // Tab moves between the fields, as the navigation pad does on the phone.
    additionalText_->setTabChangesFocus(true);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    AddLabel(*layout, QStringLiteral("Move :"), 0);
    layout->addWidget(moveLabel_, 0, 1);
    layout->addWidget(languageList_, 1, 0, 1, 2);
    AddLabel(*layout, QStringLiteral("To :"), 2);
    layout->addWidget(toEdit_, 2, 1);
    AddLabel(*layout, QStringLiteral("Subj :"), 3);
    layout->addWidget(subjectEdit_, 3, 1);
    layout->addWidget(new QLabel(QStringLiteral("Additional text :"), this), 4, 0, 1, 2);
    layout->addWidget(additionalText_, 5, 0, 1, 2);
    layout->setRowStretch(5, 1);
    layout->setColumnStretch(1, 1);
}

SendMoveDialog::~SendMoveDialog() = default;

void SendMoveDialog::InitDialog() {
    const Position* exchange = game_.FindLastMovePosition();
    move_ = exchange != nullptr ? exchange->firstMove.get() : nullptr;
    // Without a move after the last exchange there is nothing to send.
    if (move_ == nullptr || CreateSoftkeyBar(kBarSendMove) == nullptr) {
        EndDialog(kStartFailed);
        return;
    }
    OverrideBackKey();
    languageList_->addItem(QStringLiteral("English"));
    languageList_->addItem(QStringLiteral("French"));
    languageList_->setCurrentIndex(0);
    ShowMoveText();
    connect(languageList_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index == 0 || index == 1) {
            ShowMoveText();
        }
    });

    const std::optional<std::u16string>& opponentEmail =
        MoverColour(*move_) == kWhite ? game_.blackEmail : game_.whiteEmail;
    toEdit_->setText(QString::fromStdU16String(opponentEmail.value_or(std::u16string())));
    subjectEdit_->setText(QStringLiteral("Move #%1").arg(move_->moveNumber));
    languageList_->setFocus();
}

void SendMoveDialog::ShowMoveText() {
    const auto language =
        languageList_->currentIndex() == 1 ? NotationLanguage::French : NotationLanguage::English;
    moveLabel_->setText(QString::fromStdU16String(FormatMoveToSend(*move_, language)));
}

bool SendMoveDialog::HandleCommand(int commandId) {
    switch (commandId) {
        case kCmdSend:
        case kIdOk:
            if (SendMessage()) {
                EndDialog(kIdOk);
            }
            return true;
        case kIdCancel:
            EndDialog(kIdCancel);
            return true;
        default:
            return false;
    }
}

bool SendMoveDialog::SendMessage() {
    if (QString::fromStdU16String(owner_.email).trimmed().isEmpty()) {
        // Never a message without a From address.
        ShowErrorMessage(this, kNoOwnerEmailText, QStringLiteral("Korvani"));
        return false;
    }
    MoveMessage message;
    message.moveText = FieldText(moveLabel_->text(), MoveMessage::kMaxMoveText);
    message.to = FieldText(toEdit_->text(), MoveMessage::kMaxTo);
    message.subject = FieldText(subjectEdit_->text(), MoveMessage::kMaxSubject);
    message.additionalText =
        FieldText(additionalText_->toPlainText(), MoveMessage::kMaxAdditionalText);
    SendOutcome outcome = SendOutcome::Failed;
    {
        const WaitCursor wait;
        outcome = SendMoveMessage(session_, message, owner_.name, owner_.email);
    }
    const QString move = QString::fromStdU16String(message.moveText).trimmed();
    switch (outcome) {
        case SendOutcome::Sent:
            ShowStartupNotice(kSentText.arg(move, RecipientList(message.to)));
            return true;
        case SendOutcome::Queued:
            ShowStartupNotice(kQueuedText.arg(move));
            return true;
        case SendOutcome::Failed:
            break;
    }
    ShowErrorMessage(nullptr, QStringLiteral("Unable to send message"), QStringLiteral("Korvani"));
    return false;
}

bool RunSendMoveDialog(QWidget* parent, GameDocument& game, const MessageStore& session,
                       const OwnerIdentity& owner) {
    SendMoveDialog dialog(parent, game, session, owner);
    return RunDialog(dialog, parent) == kIdOk;
}
