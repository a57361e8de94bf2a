#include "ui/game/choose_piece_dialog.h"

#include <QWidget>
#include <array>

#include "ui/kit/run_dialog.h"

namespace {

constexpr int kRook = 2;
constexpr int kKnight = 3;
constexpr int kBishop = 4;
constexpr int kQueen = 5;

// The piece type of each row, in the order the rows are shown.
constexpr std::array<int, 4> kRowPieces = {kQueen, kRook, kBishop, kKnight};

}  // namespace

ChoosePieceDialog::ChoosePieceDialog(QWidget* parent)
    : ChoiceDialog(parent, QStringLiteral("Choose Piece"),
                   QStringLiteral("Press number corresponding to the Piece to promote in"),
                   kQueen) {}

void ChoosePieceDialog::FillRows() {
    AddRow(1, QStringLiteral("Queen"));
    AddRow(2, QStringLiteral("Rook"));
    AddRow(3, QStringLiteral("Bishop"));
    AddRow(4, QStringLiteral("Knight"));
}

void ChoosePieceDialog::ChooseDigit(int digit) {
    if (digit >= 1 && static_cast<std::size_t>(digit) <= kRowPieces.size()) {
        EndDialog(kRowPieces[static_cast<std::size_t>(digit) - 1]);
    }
}

void ChoosePieceDialog::ChooseHighlighted() {
    const int row = HighlightedRow();
    EndDialog(row >= 0 && static_cast<std::size_t>(row) < kRowPieces.size()
                  ? kRowPieces[static_cast<std::size_t>(row)]
                  : kQueen);
}

void ChoosePieceDialog::Cancel() {}

void ChoosePieceDialog::HandleClose() {
    EndDialog(kQueen);
}

int ChoosePromotionPiece(QWidget* parent) {
    if (parent == nullptr) {
        return kQueen;
    }
    ChoosePieceDialog dialog(parent);
    const int piece = RunDialog(dialog, parent);
    return piece == kRook || piece == kKnight || piece == kBishop ? piece : kQueen;
}
