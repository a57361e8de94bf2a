#pragma once

#include <QAbstractTableModel>
#include <ctime>
#include <vector>

struct OwnerIdentity;

class GameListEntry;
class GamesFile;
class NewestMessages;

// The rows of the games list: one per entry of the games index, in file order, with
// the columns "White", "Black" and "Last". Texts are made when a row is shown, and
// the index's list is only walked as far as the rows asked for, so a file of any
// size fills at once. The opponent of a game whose answer waits in the Inbox gets
// kAnswerWaitingMark before his name, after the "* " of the side to move.
class GamesListModel : public QAbstractTableModel {
public:
    explicit GamesListModel(QObject* parent = nullptr);

    // Takes the index's entries as rows, replacing the previous ones. The entries
    // belong to `games`, which must outlive the rows (refill after every Reload).
    void Refill(const GamesFile& games);

    // Marks the games whose answer waits in `inbox` as of `now` (see AnswerWaiting);
    // null for no marks. `inbox` is not owned and must outlive its use by the rows.
    void SetAnswersWaiting(const NewestMessages* inbox, std::time_t now,
                           const OwnerIdentity& owner);

    // Adds `entry` (not owned) as the last row.
    void AppendRow(const GameListEntry& entry);

    // The entry of `row`, or null for a row out of range.
    const GameListEntry* EntryAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The entries of the rows walked so far, and the first entry not walked yet.
    mutable std::vector<const GameListEntry*> entries_;
    mutable const GameListEntry* unwalked_ = nullptr;
    int rowCount_ = 0;
    const NewestMessages* inbox_ = nullptr;
    std::time_t inboxTime_ = 0;
    const OwnerIdentity* owner_ = nullptr;
};
