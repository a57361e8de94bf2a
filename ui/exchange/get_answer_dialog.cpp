#include "ui/exchange/get_answer_dialog.h"

#include <QListWidget>

#include "game/game_document.h"
#include "resources/resource_ids.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "ui/exchange/answer_request.h"
#include "ui/exchange/inbox_list_dialog.h"
#include "ui/kit/run_dialog.h"

GetAnswerDialog::GetAnswerDialog(QWidget* parent, AnswerRequest& request)
    : ChoiceDialog(parent, QStringLiteral("Get answer"),
                   QStringLiteral("Press move number to promote it as your opponent answer\n"
                                  "or press 0 to check inbox"),
                   kIdCancel),
      request_(request) {
    SetHeading(QStringLiteral("Moves studied"));
}

GetAnswerDialog::~GetAnswerDialog() = default;

void GetAnswerDialog::InitDialog() {
    if (CreateSoftkeyBar(kBarStudiedMoves) == nullptr) {
        EndDialog(kIdCancel);
        return;
    }
    FillRows();
    if (studiedMoves_.empty()) {
        // Nothing was studied: the answer can only come from the inbox, and this
        // dialog has nothing left to offer whatever the inbox gave.
        CheckInbox();
        EndDialog(kIdOk);
        return;
    }
    // The digits reach the dialog through its key routing even while the list has
    // the focus, and the arrows can then move the highlight for the Action key.
    list()->setFocus();
}

void GetAnswerDialog::FillRows() {
    list()->addItem(QStringLiteral("0. Check inbox"));
    Position* exchange = request_.game.FindLastMovePosition();
    if (exchange == nullptr) {
        return;
    }
    for (MoveNode* move = exchange->firstMove.get();
         move != nullptr && studiedMoves_.size() < kMaxStudiedMoves;
         move = move->nextSibling.get()) {
        studiedMoves_.push_back(move);
        const QString san = QString::fromStdU16String(
            FormatSanText(*move, false, false, NotationLanguage::English));
        AddRow(static_cast<int>(studiedMoves_.size()), san);
    }
}

void GetAnswerDialog::ChooseDigit(int digit) {
    if (digit == 0) {
        if (CheckInbox()) {
            EndDialog(kIdOk);
        }
        return;
    }
    const auto index = static_cast<std::size_t>(digit - 1);
    if (index < studiedMoves_.size()) {
        request_.answer = studiedMoves_[index];
    }
    EndDialog(kIdOk);
}

void GetAnswerDialog::ChooseHighlighted() {
    // Row r carries the digit r: row 0 is "0. Check inbox".
    const int row = HighlightedRow();
    if (row >= 0) {
        ChooseDigit(row);
    }
}

bool GetAnswerDialog::CheckInbox() {
    InboxListDialog inbox(this, request_);
    return RunDialog(inbox, this) == kIdOk;
}
