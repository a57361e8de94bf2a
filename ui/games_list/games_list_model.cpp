#include "ui/games_list/games_list_model.h"

#include "pgn/game_list_columns.h"
#include "pgn/games_file.h"
#include "ui/games_list/answer_waiting.h"

namespace {

constexpr int kColumnCount = 3;

QString NameText(ColumnParts parts, bool answerWaiting) {
    std::u16string text(parts.mark);
    if (answerWaiting) {
        text += kAnswerWaitingMark;
    }
    text += parts.text;
    return QString::fromStdU16String(text);
}

}  // namespace

GamesListModel::GamesListModel(QObject* parent) : QAbstractTableModel(parent) {}

void GamesListModel::Refill(const GamesFile& games) {
    beginResetModel();
    entries_.clear();
    unwalked_ = games.firstEntry();
    rowCount_ = static_cast<int>(games.entryCount());
    endResetModel();
}

void GamesListModel::SetAnswersWaiting(const NewestMessages* inbox, std::time_t now,
                                       const OwnerIdentity& owner) {
    inbox_ = inbox;
    owner_ = &owner;
    inboxTime_ = now;
    if (rowCount_ > 0) {
        emit dataChanged(index(0, 0), index(rowCount_ - 1, 1), {Qt::DisplayRole});
    }
}

void GamesListModel::AppendRow(const GameListEntry& entry) {
    // Walk to the end first, so that the new entry lands in its own row.
    EntryAt(rowCount_ - 1);
    beginInsertRows(QModelIndex(), rowCount_, rowCount_);
    entries_.push_back(&entry);
    unwalked_ = nullptr;
    ++rowCount_;
    endInsertRows();
}

const GameListEntry* GamesListModel::EntryAt(int row) const {
    if (row < 0 || row >= rowCount_) {
        return nullptr;
    }
    while (static_cast<std::size_t>(row) >= entries_.size() && unwalked_ != nullptr) {
        entries_.push_back(unwalked_);
        unwalked_ = unwalked_->nextEntry.get();
    }
    return static_cast<std::size_t>(row) < entries_.size() ? entries_[static_cast<std::size_t>(row)]
                                                           : nullptr;
}

int GamesListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_;
}

int GamesListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant GamesListModel::data(const QModelIndex& index, int role) const {
    const GameListEntry* entry = EntryAt(index.row());
    if (role != Qt::DisplayRole || entry == nullptr) {
        return {};
    }
    const auto answerWaitingFrom = [this, entry](PlayerSide side) {
        return inbox_ != nullptr && OpponentSide(*entry, *owner_) == side &&
               AnswerWaitingFrom(*entry, side, *inbox_, inboxTime_) != nullptr;
    };
    switch (index.column()) {
        case 0:
            return NameText(WhiteColumn(*entry), answerWaitingFrom(PlayerSide::White));
        case 1:
            return NameText(BlackColumn(*entry), answerWaitingFrom(PlayerSide::Black));
        case 2:
            return QString::fromStdU16String(LastColumnText(*entry));
        default:
            return {};
    }
}

QVariant GamesListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case 0:
            return QStringLiteral("White");
        case 1:
            return QStringLiteral("Black");
        case 2:
            return QStringLiteral("Last");
        default:
            return {};
    }
}
