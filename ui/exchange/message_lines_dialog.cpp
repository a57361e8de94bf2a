#include "ui/exchange/message_lines_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "game/game_document.h"
#include "messaging/inbox_message.h"
#include "messaging/move_text.h"
#include "platform/text_cut.h"
#include "resources/resource_ids.h"
#include "ui/exchange/answer_request.h"
#include "ui/game/drawing_resources.h"
#include "ui/kit/message_boxes.h"

namespace {

const QString kInvalidMoveText = QStringLiteral(
    "Move seems invalid !\nNote :may be it is a syntax problem, in which case you can "
    "enter it with the board and validate it");

QString HeaderText(std::u16string_view prefix, std::u16string_view value) {
    std::u16string text(prefix);
    text += value;
    return QString::fromStdU16String(
        std::u16string(CutText(text, MessageLinesDialog::kMaxHeaderText)));
}

}  // namespace

MessageLinesDialog::MessageLinesDialog(QWidget* parent, AnswerRequest& request)
    : DialogController(parent),
      request_(request),
      fromLabel_(new QLabel(this)),
      subjectLabel_(new QLabel(this)),
      languageList_(new QComboBox(this)),
      instruction_(
          new QLabel(QStringLiteral("Select the line containing the move and press Next"), this)),
      lines_(new QListWidget(this)) {
    setWindowTitle(QStringLiteral("Get answer"));
    fromLabel_->setObjectName(QStringLiteral("from"));
    subjectLabel_->setObjectName(QStringLiteral("subject"));
    languageList_->setObjectName(QStringLiteral("language"));
    lines_->setObjectName(QStringLiteral("lines"));
    lines_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The highlighted line is the chosen one, as on the phone: a list that gets the
    // focus highlights a line without selecting it, and Next would then do nothing.
    connect(lines_, &QListWidget::currentItemChanged, this,
            [](QListWidgetItem* current, QListWidgetItem* /*previous*/) {
                if (current != nullptr) {
                    current->setSelected(true);
                }
            });
    instruction_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(fromLabel_);
    layout->addWidget(subjectLabel_);
    layout->addWidget(languageList_);
    layout->addWidget(instruction_);
    layout->addWidget(lines_, 1);
}

MessageLinesDialog::~MessageLinesDialog() = default;

void MessageLinesDialog::InitDialog() {
    if (request_.message == nullptr || CreateSoftkeyBar(kBarAnswerMessages) == nullptr) {
        EndDialog(kIdCancel);
        return;
    }
    const InboxMessage& message = *request_.message;
    fromLabel_->setText(HeaderText(u"From:", message.sender));
    subjectLabel_->setText(HeaderText(u"Subject: ", message.subject));
    lines_->setFont(GetDrawingResources().programFont);
    if (message.body.has_value()) {
        for (const std::u16string& line : SplitBodyIntoLines(*message.body)) {
            lines_->addItem(QString::fromStdU16String(line));
        }
    }
    languageList_->addItem(QStringLiteral("English"));
    languageList_->addItem(QStringLiteral("French"));
    languageList_->setCurrentIndex(0);
    languageList_->setFocus();
}

bool MessageLinesDialog::HandleCommand(int commandId) {
    switch (commandId) {
        case kIdOk:
        case kCmdNext:
            if (ParseSelectedLine()) {
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

bool MessageLinesDialog::ParseSelectedLine() {
    const QList<QListWidgetItem*> selected = lines_->selectedItems();
    if (selected.isEmpty()) {
        return false;
    }
    Position* exchange = request_.game.FindLastMovePosition();
    if (exchange == nullptr) {
        return false;
    }
    const auto language =
        languageList_->currentIndex() == 1 ? NotationLanguage::French : NotationLanguage::English;
    const Position* after =
        ParseAnswerLine(*exchange, selected.first()->text().toStdU16String(), language);
    if (after == nullptr) {
        ShowStartupNotice(kInvalidMoveText);
        return false;
    }
    request_.answer = after->incomingMove;
    request_.date = std::u16string(CutText(request_.message->date, AnswerRequest::kMaxDate));
    return true;
}
