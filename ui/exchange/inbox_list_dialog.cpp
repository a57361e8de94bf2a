#include "ui/exchange/inbox_list_dialog.h"

#include <algorithm>

#include <QFontMetrics>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "messaging/enumerate_inbox.h"
#include "messaging/inbox_message.h"
#include "messaging/message_store.h"
#include "platform/error_report.h"
#include "resources/resource_ids.h"
#include "ui/exchange/answer_request.h"
#include "ui/exchange/message_lines_dialog.h"
#include "ui/game/drawing_resources.h"
#include "ui/kit/background_read.h"
#include "ui/kit/read_progress_view.h"
#include "ui/kit/run_dialog.h"
#include "ui/kit/wait_cursor.h"

namespace {

// What a read of the Inboxes brings back to the screen.
struct InboxReading {
    std::vector<std::unique_ptr<InboxMessage>> messages;
    InboxReadFailure failure;
};

}  // namespace

InboxListDialog::InboxListDialog(QWidget* parent, AnswerRequest& request)
    : DialogController(parent),
      request_(request),
      list_(new QTreeWidget(this)),
      progress_(new ReadProgressView(this)) {
    setWindowTitle(QStringLiteral("Get answer"));
    list_->setObjectName(QStringLiteral("messages"));
    list_->setColumnCount(3);
    list_->setHeaderLabels(
        {QStringLiteral("Date"), QStringLiteral("Sender"), QStringLiteral("Subject")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->header()->setStretchLastSection(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(progress_);
    layout->addWidget(list_);
}

InboxListDialog::~InboxListDialog() = default;

void InboxListDialog::InitDialog() {
    if (CreateSoftkeyBar(kBarAnswerMessages) == nullptr) {
        EndDialog(kIdCancel);
        return;
    }
    list_->setFont(GetDrawingResources().programFont);
    list_->setUpdatesEnabled(false);
    const int dateWidth = QFontMetrics(list_->font()).horizontalAdvance(QStringLiteral("88/8")) + 2;
    SizeColumns(dateWidth);
    FillList();
    if (hasEnded()) {
        return;
    }
    list_->resizeColumnToContents(0);
    list_->setUpdatesEnabled(true);
    if (list_->topLevelItemCount() > 0) {
        list_->setCurrentItem(list_->topLevelItem(0));
    }
    list_->setFocus();
}

void InboxListDialog::SizeColumns(int dateWidth) {
    const int otherWidth = std::max(0, (list_->viewport()->width() - dateWidth - 4) / 2);
    list_->setColumnWidth(0, dateWidth);
    list_->setColumnWidth(1, otherWidth);
    list_->setColumnWidth(2, otherWidth);
    // The list gets its real width only once the dialog is laid out, and again when
    // the user resizes the window: sender and subject keep sharing what the date leaves.
    list_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    list_->header()->setSectionResizeMode(2, QHeaderView::Stretch);
}

void InboxListDialog::FillList() {
    const WaitCursor wait;
    // The read gets its own copy of the stores and builds its records from nothing.
    BackgroundRead<InboxReading> reading(
        [stores = request_.session.Stores()](const ReadProgress& progress) {
            InboxReading read;
            read.failure = ReadInbox(
                stores,
                [&read](std::unique_ptr<InboxMessage> message) {
                    read.messages.push_back(std::move(message));
                },
                progress);
            return read;
        });
    reading.OnFinished([this] { progress_->Wake(); });
    stopReading_ = [&reading] { reading.Stop(); };
    progress_->WaitUntil(
        [&reading] { return reading.IsFinished(); },
        [&reading] { return QStringLiteral("%1 messages read").arg(reading.itemsRead()); });
    stopReading_ = nullptr;
    InboxReading read = reading.Take();
    if (hasEnded()) {
        return;
    }
    for (std::unique_ptr<InboxMessage>& message : read.messages) {
        auto* row = new QTreeWidgetItem(list_);
        row->setText(0, QString::fromStdU16String(message->date));
        row->setText(1, QString::fromStdU16String(message->sender));
        row->setText(2, QString::fromStdU16String(message->subject));
        messages_.push_back(std::move(message));
    }
    // Shown once the messages read before the failure are listed.
    if (read.failure.code != 0) {
        ShowSystemError(read.failure.code, read.failure.caption);
    }
}

bool InboxListDialog::HandleCommand(int commandId) {
    if (stopReading_) {
        // While the Inbox is read, only the back key does something: it gives up.
        if (commandId == kIdCancel) {
            stopReading_();
            Finish(kIdCancel);
        }
        return true;
    }
    switch (commandId) {
        case kIdOk:
        case kCmdNext:
            OpenSelectedMessage();
            return true;
        case kIdCancel:
            Finish(kIdCancel);
            return true;
        default:
            return false;
    }
}

void InboxListDialog::HandleClose() {
    if (stopReading_) {
        stopReading_();
    }
    Finish(kIdCancel);
}

void InboxListDialog::OpenSelectedMessage() {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int row = list_->indexOfTopLevelItem(selected.first());
    if (row < 0 || static_cast<std::size_t>(row) >= messages_.size()) {
        return;
    }
    request_.message = messages_[static_cast<std::size_t>(row)].get();
    MessageLinesDialog lines(this, request_);
    const int result = RunDialog(lines, this);
    request_.message = nullptr;
    if (result == kIdOk) {
        Finish(kIdOk);
    }
}

void InboxListDialog::Finish(int code) {
    // The rows show the records; they go first so that no row outlives its record.
    list_->clear();
    messages_.clear();
    EndDialog(code);
}
