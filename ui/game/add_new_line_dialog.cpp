#include "ui/game/add_new_line_dialog.h"

#include <QChar>
#include <utility>

#include "resources/resource_ids.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"
#include "rules/square.h"
#include "ui/kit/run_dialog.h"

namespace {

constexpr int kMaxMoveRows = 9;

QString SquareName(int square) {
    return QString(QChar(u'a' + square % 8)) + QChar(u'1' + square / 8);
}

}  // namespace

AddNewLineDialog::AddNewLineDialog(QWidget* parent, PromotionChooser chooser, Position& position,
                                   int from, int to)
    : ChoiceDialog(parent, QStringLiteral("Add new line"),
                   QStringLiteral("Press move number to replace,\nor press 0 to add a new line"),
                   kIdCancel),
      position_(position),
      chooser_(std::move(chooser)),
      from_(from),
      to_(to) {}

void AddNewLineDialog::FillRows() {
    SetHeading(QStringLiteral("New move : %1-%2").arg(SquareName(from_), SquareName(to_)));
    AddRow(0, QStringLiteral("add new move"));
    for (MoveNode* move = position_.firstMove.get();
         move != nullptr && moves_.size() < kMaxMoveRows; move = move->nextSibling.get()) {
        moves_.push_back(move);
        AddRow(static_cast<int>(moves_.size()),
               QString::fromStdU16String(
                   FormatSanText(*move, false, true, NotationLanguage::English)));
    }
}

void AddNewLineDialog::ChooseDigit(int digit) {
    if (digit == 0) {
        Play(nullptr, chooser_);
    } else if (static_cast<std::size_t>(digit) <= moves_.size()) {
        Play(moves_[static_cast<std::size_t>(digit) - 1], chooser_);
    }
}

void AddNewLineDialog::ChooseHighlighted() {
    const int row = HighlightedRow();
    if (row >= 1) {
        if (static_cast<std::size_t>(row) <= moves_.size()) {
            // Replacing through OK asks nothing: a promotion becomes a queen.
            Play(moves_[static_cast<std::size_t>(row) - 1], {});
        }
        return;
    }
    Play(nullptr, chooser_);
}

void AddNewLineDialog::Play(MoveNode* replaced, const PromotionChooser& chooser) {
    // AddMove destroys `replaced` only when it succeeds, and the dialog then ends, so
    // no row is left pointing at a destroyed move.
    result_ = position_.AddMove(from_, to_, replaced, 0, chooser);
    if (result_ != nullptr) {
        EndDialog(kIdOk);
    }
}

Position* RunAddNewLine(QWidget* parent, PromotionChooser chooser, Position& position, int from,
                        int to) {
    AddNewLineDialog dialog(parent, std::move(chooser), position, from, to);
    return RunDialog(dialog, parent) == kIdOk ? dialog.result() : nullptr;
}
