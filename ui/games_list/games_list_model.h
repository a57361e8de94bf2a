#pragma once

#include <QAbstractTableModel>
#include <vector>

class GameListEntry;
class GamesFile;

// The rows of the games list: one per entry of the games index, in file order, with
// the columns "White", "Black" and "Last". Texts are made when a row is shown, and
// the index's list is only walked as far as the rows asked for, so a file of any
// size fills at once.
class GamesListModel : public QAbstractTableModel {
public:
    explicit GamesListModel(QObject* parent = nullptr);

    // Takes the index's entries as rows, replacing the previous ones. The entries
    // belong to `games`, which must outlive the rows (refill after every Reload).
    void Refill(const GamesFile& games);

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
};
