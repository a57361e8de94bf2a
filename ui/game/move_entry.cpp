#include "ui/game/move_entry.h"

#include <Qt>
#include <algorithm>

#include "game/game_controller.h"
#include "rules/position.h"
#include "ui/game/board_view.h"
#include "ui/game/move_entry_host.h"

MoveEntry::MoveEntry(MoveEntryHost& host) : host_(host) {}

MoveEntry::~MoveEntry() = default;

void MoveEntry::HandleEntryKey(int key) {
    if (host_.DisplayedPosition() == nullptr) {
        return;
    }
    if (key == Qt::Key_Escape) {
        if (digitCount_ > 0) {
            --digitCount_;
            if (digitCount_ == 1) {
                // The from-square's rank was taken back: un-highlight it.
                host_.Board().RedrawSelectedSquare();
                host_.Board().ClearSelection();
            }
        }
    } else if (key >= Qt::Key_1 && key <= Qt::Key_8) {
        StoreDigit(key - Qt::Key_1);
        if (digitCount_ == 2) {
            CheckFromSquare();
        } else if (digitCount_ == 4) {
            TryEnterMove();
        }
    }
    ShowEntry();
}

void MoveEntry::StoreDigit(int digit) {
    const auto value = static_cast<std::uint8_t>(digit);
    switch (digitCount_) {
        case 0:
            fromFile_ = value;
            break;
        case 1:
            fromRank_ = value;
            break;
        case 2:
            toFile_ = value;
            break;
        default:
            toRank_ = value;
            break;
    }
    ++digitCount_;
}

void MoveEntry::CheckFromSquare() {
    const Position& position = *host_.DisplayedPosition();
    const PieceCode piece = position.GetSquare(fromFile_, fromRank_);
    if (piece != kEmpty && PieceColour(piece) == position.sideToMove()) {
        host_.Board().SetSelection(fromFile_, fromRank_);
        host_.Board().RedrawSelectedSquare();
    } else {
        digitCount_ = 1;
    }
}

void MoveEntry::TryEnterMove() {
    Position* position = host_.DisplayedPosition();
    if (position == nullptr || digitCount_ != 4) {
        return;
    }
    const int from = From();
    const int to = To();
    if (!position->IsLegal(from, to)) {
        digitCount_ = 3;
        return;
    }
    if (Position* existing = position->FindMove(from, to, 0)) {
        host_.Controller().SetCurrent(existing);
        return;
    }
    Position* added = nullptr;
    if (position->firstMove) {
        added = host_.RunAddNewLine(*position, from, to);
    } else {
        added = position->AddMove(from, to, nullptr, 0, host_.Chooser());
    }
    if (added == nullptr) {
        digitCount_ = 3;
        return;
    }
    host_.Controller().SetCurrent(added);
    host_.OnTreeChanged();
}

void MoveEntry::Reset() {
    digitCount_ = 0;
    host_.Board().ClearSelection();
    ShowEntry();
}

std::uint8_t MoveEntry::HighlightedFile() const {
    if (digitCount_ == 1) {
        return fromFile_;
    }
    if (digitCount_ == 3) {
        return toFile_;
    }
    return 255;
}

QString MoveEntry::NewFieldText() const {
    const QChar typed[3] = {QChar(u'a' + fromFile_), QChar(u'1' + fromRank_),
                            QChar(u'a' + toFile_)};
    return QString(typed, std::min<int>(digitCount_, 3));
}

void MoveEntry::ShowEntry() {
    host_.Board().SetHighlightedFile(HighlightedFile());
    host_.SetNewFieldText(NewFieldText());
}

int MoveEntry::From() const {
    return fromFile_ + 8 * fromRank_;
}

int MoveEntry::To() const {
    return toFile_ + 8 * toRank_;
}
