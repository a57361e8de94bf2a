#include <QScrollBar>
#include <QtTest>
#include <memory>

#include "game/move_tree.h"
#include "tests/support/game_screen_fixtures.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"
#include "ui/game/move_list_view.h"

using screen_test::Play;

namespace {

QStringList Rows(const QListWidget& list) {
    QStringList rows;
    for (int row = 0; row < list.count(); ++row) {
        rows << list.item(row)->text();
    }
    return rows;
}

int SelectedRow(const QListWidget& list) {
    const QList<QListWidgetItem*> selected = list.selectedItems();
    return selected.size() == 1 ? list.row(selected.front()) : -1;
}

// 1. e4 e5 (1... c5 2. Nf3 (2. Nc3 Nc6)) 2. Nf3: a variation nested at the end of
// another one, with its move list.
struct NestedGame {
    NestedGame() {
        afterE4 = Play(document.root, u"e4");
        afterE5 = Play(*afterE4, u"e5");
        afterC5 = Play(*afterE4, u"c5");
        afterNf3InVariation = Play(*afterC5, u"Nf3");
        afterNc3 = Play(*afterC5, u"Nc3");
        afterNc6 = Play(*afterNc3, u"Nc6");
        afterNf3 = Play(*afterE5, u"Nf3");
        list.AttachTo(document);
    }
    GameDocument document{nullptr};
    MoveListView list;
    Position* afterE4;
    Position* afterE5;
    Position* afterC5;
    Position* afterNf3InVariation;
    Position* afterNc3;
    Position* afterNc6;
    Position* afterNf3;
};

}  // namespace

class MoveListViewTest : public QObject {
    Q_OBJECT

private slots:
    void gameWithoutMovesShowsOneBlankRow();
    void nestedVariationsAreIndentedAndClosed();
    void rowsCarryTheirMoves();
    void annotationsShowAsSymbols();
    void followsTheCurrentPositionWithTwoRowsAbove();
    void moveWithoutRowLeavesNoSelection();
    void deletionRebuildsAndSelectsTheParentsMove();
    void upKeyGoesToTheMainLineAtTheBranch();
    void leftRightAndDownStepThroughTheGame();
    void longLineIsListedWithoutDeepCalls();
};

void MoveListViewTest::gameWithoutMovesShowsOneBlankRow() {
    GameDocument document(nullptr);
    MoveListView list;
    QVERIFY(list.AttachTo(document));
    list.Rebuild(nullptr);
    QCOMPARE(Rows(list), QStringList{QStringLiteral("   ")});
    QCOMPARE(SelectedRow(list), 0);
    QCOMPARE(list.FindRow(nullptr), -1);
}

void MoveListViewTest::nestedVariationsAreIndentedAndClosed() {
    NestedGame game;
    game.list.Rebuild(nullptr);
    const QStringList expected = {
        QStringLiteral("   "),
        QStringLiteral("1. e4"),
        QStringLiteral("1... e5"),
        QStringLiteral("  (1... c5"),
        QStringLiteral("  2. Nf3"),
        QStringLiteral("    (2. Nc3"),
        QStringLiteral("    2... Nc6))"),
        QStringLiteral("2. Nf3"),
    };
    QCOMPARE(Rows(game.list), expected);

    // A second alternative at the same place opens its own variation.
    Play(*game.afterE4, u"d5");
    game.list.Rebuild(nullptr);
    QCOMPARE(game.list.item(7)->text(), QStringLiteral("  (1... d5)"));
    QCOMPARE(game.list.item(8)->text(), QStringLiteral("2. Nf3"));
}

void MoveListViewTest::rowsCarryTheirMoves() {
    NestedGame game;
    game.list.Rebuild(game.afterNc6->incomingMove);
    QCOMPARE(game.list.FindRow(game.afterE4->incomingMove), 1);
    QCOMPARE(game.list.FindRow(game.afterNf3InVariation->incomingMove), 4);
    QCOMPARE(game.list.FindRow(game.afterNc6->incomingMove), 6);
    QCOMPARE(game.list.FindRow(game.afterNf3->incomingMove), 7);
    QCOMPARE(SelectedRow(game.list), 6);
}

void MoveListViewTest::annotationsShowAsSymbols() {
    GameDocument document(nullptr);
    Position* afterE4 = Play(document.root, u"e4");
    afterE4->incomingMove->nag = 1;
    MoveListView list;
    list.AttachTo(document);
    list.Rebuild(nullptr);
    QCOMPARE(list.item(1)->text(), QStringLiteral("1. e4!"));
}

void MoveListViewTest::followsTheCurrentPositionWithTwoRowsAbove() {
    GameDocument document(nullptr);
    Play(document.root, u"e4 e5 Nf3 Nc6 Bb5 a6 Ba4 Nf6 O-O Be7 Re1 b5 Bb3 d6 c3 O-O");
    MoveListView list;
    list.AttachTo(document);
    list.Rebuild(nullptr);
    // Room for five rows, so that the list has to scroll.
    list.resize(120, 5 * list.sizeHintForRow(0) + 2 * list.frameWidth());
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    document.GoToStart();
    QCOMPARE(SelectedRow(list), 0);
    for (int step = 0; step < 3; ++step) {
        document.GoForward();
    }
    QCOMPARE(SelectedRow(list), 3);
    QCOMPARE(list.currentRow(), 3);
    QCOMPARE(list.indexAt(QPoint(2, 2)).row(), 1);
    for (int step = 0; step < 7; ++step) {
        document.GoForward();
    }
    QCOMPARE(SelectedRow(list), 10);
    QCOMPARE(list.indexAt(QPoint(2, 2)).row(), 8);
    document.GoToStart();
    QCOMPARE(list.indexAt(QPoint(2, 2)).row(), 0);
}

void MoveListViewTest::moveWithoutRowLeavesNoSelection() {
    NestedGame game;
    game.list.Rebuild(game.afterE4->incomingMove);
    // A move added since the last rebuild has no row.
    Position* afterD5 = Play(*game.afterE4, u"d5");
    game.list.SelectRow(afterD5->incomingMove);
    QCOMPARE(SelectedRow(game.list), -1);
    QCOMPARE(game.list.currentRow(), -1);
    QCOMPARE(game.list.verticalScrollBar()->value(), 0);
}

void MoveListViewTest::deletionRebuildsAndSelectsTheParentsMove() {
    NestedGame game;
    game.document.SetCurrent(game.afterNc3);
    game.list.Rebuild(game.afterNc3->incomingMove);
    QCOMPARE(SelectedRow(game.list), 5);

    MoveNode* deleted = game.afterNc3->incomingMove;
    Position* parent = deleted->parent;
    MoveNodePtr unlinked = UnlinkMove(*deleted);
    unlinked.reset();
    game.list.Rebuild(nullptr);
    game.document.SetCurrent(parent);

    QCOMPARE(game.list.count(), 6);
    QCOMPARE(game.list.item(4)->text(), QStringLiteral("  2. Nf3)"));
    QCOMPARE(SelectedRow(game.list), 3);  // 1... c5 leads to the parent
    QCOMPARE(game.list.FindRow(deleted), -1);
}

void MoveListViewTest::upKeyGoesToTheMainLineAtTheBranch() {
    NestedGame game;
    game.list.Rebuild(nullptr);
    game.document.SetCurrent(game.afterNf3InVariation);
    QCOMPARE(SelectedRow(game.list), 4);
    QTest::keyClick(&game.list, Qt::Key_Up);
    QCOMPARE(game.document.GetCurrent(), game.afterE5);
    QCOMPARE(SelectedRow(game.list), 2);
    // On the main line the key changes nothing.
    QTest::keyClick(&game.list, Qt::Key_Up);
    QCOMPARE(game.document.GetCurrent(), game.afterE5);
    QCOMPARE(SelectedRow(game.list), 2);
}

void MoveListViewTest::leftRightAndDownStepThroughTheGame() {
    NestedGame game;
    game.list.Rebuild(nullptr);
    game.document.GoToStart();
    QTest::keyClick(&game.list, Qt::Key_Right);
    QCOMPARE(game.document.GetCurrent(), game.afterE4);
    QCOMPARE(SelectedRow(game.list), 1);
    game.document.SetCurrent(game.afterE5);
    QTest::keyClick(&game.list, Qt::Key_Down);
    QCOMPARE(game.document.GetCurrent(), game.afterNf3);
    QCOMPARE(SelectedRow(game.list), 7);  // the next position, not the next row
    QTest::keyClick(&game.list, Qt::Key_Left);
    QTest::keyClick(&game.list, Qt::Key_Left);
    QCOMPARE(game.document.GetCurrent(), game.afterE4);
    QCOMPARE(SelectedRow(game.list), 1);
}

void MoveListViewTest::longLineIsListedWithoutDeepCalls() {
    // A variation inside a variation, many levels down, each one move long.
    GameDocument document(nullptr);
    Position* position = Play(document.root, u"Nf3 Nf6 Ng1 Ng8");
    constexpr int kLevels = 2000;
    for (int level = 0; level < kLevels; ++level) {
        Play(*position, u"Nc3");
        Position* next = Play(*position, u"Nf3");  // opens the next level
        QVERIFY(next != nullptr);
        position = Play(*next, u"Nf6 Ng1 Ng8");
        QVERIFY(position != nullptr);
    }
    MoveListView list;
    list.AttachTo(document);
    list.Rebuild(nullptr);
    QCOMPARE(list.count(), 1 + 4 + 5 * kLevels);
    // Every variation ends on the last row.
    const QString last = list.item(list.count() - 1)->text();
    QVERIFY(last.endsWith(QString(kLevels, u')')));
    QVERIFY(!last.endsWith(QString(kLevels + 1, u')')));
}

QTEST_MAIN(MoveListViewTest)
#include "move_list_view_test.moc"
