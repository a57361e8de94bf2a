#include "ui/game/choose_move_dialog.h"

#include "resources/resource_ids.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "ui/kit/run_dialog.h"

namespace {

constexpr std::size_t kMaxMoveRows = 9;

}  // namespace

ChooseMoveDialog::ChooseMoveDialog(QWidget* parent, MoveNode* firstMove)
    : ChoiceDialog(parent, QStringLiteral("Choose move"),
                   QStringLiteral("Press move number to display corresponding position"),
                   kIdCancel),
      firstMove_(firstMove) {}

void ChooseMoveDialog::FillRows() {
    for (MoveNode* move = firstMove_; move != nullptr && targets_.size() < kMaxMoveRows;
         move = move->nextSibling.get()) {
        targets_.push_back(move->child.get());
        AddRow(static_cast<int>(targets_.size()),
               QString::fromStdU16String(
                   FormatSanText(*move, false, false, NotationLanguage::English)));
    }
}

void ChooseMoveDialog::ChooseDigit(int digit) {
    if (digit < 1 || static_cast<std::size_t>(digit) > targets_.size()) {
        return;
    }
    result_ = targets_[static_cast<std::size_t>(digit) - 1];
    if (result_ != nullptr) {
        EndDialog(kIdOk);
    }
}

void ChooseMoveDialog::ChooseHighlighted() {
    const int row = HighlightedRow();
    result_ = row >= 0 && static_cast<std::size_t>(row) < targets_.size()
                  ? targets_[static_cast<std::size_t>(row)]
                  : nullptr;
    EndDialog(kIdOk);
}

Position* RunChooseMove(QWidget* parent, MoveNode* firstMove) {
    ChooseMoveDialog dialog(parent, firstMove);
    return RunDialog(dialog, parent) == kIdOk ? dialog.result() : nullptr;
}
