#include <QLabel>
#include <QListWidget>
#include <QtTest>
#include <memory>

#include "resources/resource_ids.h"
#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/position.h"
#include "rules/promotion_chooser.h"
#include "rules/square.h"
#include "tests/support/screen_test_support.h"
#include "ui/game/add_new_line_dialog.h"
#include "ui/game/choose_move_dialog.h"
#include "ui/game/choose_piece_dialog.h"
#include "ui/kit/run_dialog.h"

namespace {

int Sq(const char* name) {
    return MakeSquare(name[0] - 'a', name[1] - '1');
}

Position* Play(Position& position, const char* from, const char* to, int promotion = 0) {
    return position.AddMove(Sq(from), Sq(to), nullptr, promotion);
}

// Asks for the promotion piece over `owner`, as the game display does.
PromotionChooser AskOver(QWidget& owner) {
    return [&owner] { return ChoosePromotionPiece(&owner); };
}

// The squares of each move that leaves `position`, in list order, as "e2e4".
QStringList MoveList(const Position& position) {
    QStringList moves;
    for (const MoveNode* move = position.firstMove.get(); move != nullptr;
         move = move->nextSibling.get()) {
        moves << QStringLiteral("%1%2%3%4")
                     .arg(QChar(u'a' + FileOf(move->from)))
                     .arg(RankOf(move->from) + 1)
                     .arg(QChar(u'a' + FileOf(move->to)))
                     .arg(RankOf(move->to) + 1);
    }
    return moves;
}

QStringList Rows(QWidget& dialog) {
    QStringList rows;
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("choiceList"));
    for (int i = 0; list != nullptr && i < list->count(); ++i) {
        rows << list->item(i)->text();
    }
    return rows;
}

void Highlight(QWidget& dialog, int row) {
    dialog.findChild<QListWidget*>(QStringLiteral("choiceList"))->setCurrentRow(row);
}

// Presses `keys` in the next dialog that shows, recording its rows first; highlights
// row `highlight` before, unless it is kAsOpened.
constexpr int kAsOpened = -2;
void AnswerWithKeys(QList<Qt::Key> keys, QStringList* rows = nullptr, int highlight = kAsOpened) {
    screen_test::WhenModalShows([keys, rows, highlight](QWidget& dialog) {
        if (rows != nullptr) {
            *rows = Rows(dialog);
        }
        if (highlight != kAsOpened) {
            Highlight(dialog, highlight);
        }
        for (Qt::Key key : keys) {
            if (dialog.isVisible()) {
                screen_test::PressKey(&dialog, key);
            }
        }
    });
}

// 1. e4 e5, with 1. d4 and 1. c4 as alternatives.
struct OpeningTree {
    OpeningTree() {
        e4 = Play(root, "e2", "e4");
        Play(*e4, "e7", "e5");
        d4 = Play(root, "d2", "d4");
        c4 = Play(root, "c2", "c4");
    }
    Position root;
    Position* e4;
    Position* d4;
    Position* c4;
};

}  // namespace

class ChoiceDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { screen_test::CancelPending(); }

    void addNewLineShowsTheNewMoveAndTheExistingOnes();
    void addNewLinePlacesTheNewMove_data();
    void addNewLinePlacesTheNewMove();
    void addNewLineIgnoresDigitsWithoutARow();
    void addNewLineOkOnAMoveRowPromotesToAQueenWithoutAsking();
    void addNewLineZeroAsksForThePromotionPiece();
    void addNewLineCancelLeavesTheTree();

    void chooseMoveFollowsTheChosenMove_data();
    void chooseMoveFollowsTheChosenMove();
    void chooseMoveOkWithoutHighlightGivesNone();

    void choosePieceGivesThePieceCode_data();
    void choosePieceGivesThePieceCode();
    void choosePieceCannotBeCancelled();
    void choosePieceClosedGivesAQueen();
    void promotionWithoutContextIsAQueenWithoutDialog();

private:
    screen_test::ModalWatchdog watchdog_;
};

void ChoiceDialogsTest::addNewLineShowsTheNewMoveAndTheExistingOnes() {
    OpeningTree tree;
    QWidget owner;
    QStringList rows;
    QString heading;
    QString instruction;
    screen_test::WhenModalShows([&](QWidget& dialog) {
        rows = Rows(dialog);
        for (auto* label : dialog.findChildren<QLabel*>()) {
            if (label->objectName() == QStringLiteral("instruction")) {
                instruction = label->text();
            } else if (label->isVisible()) {
                heading = label->text();
            }
        }
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add new line"));
        screen_test::PressKey(&dialog, Qt::Key_Escape);
    });
    QVERIFY(RunAddNewLine(&owner, {}, tree.root, Sq("g1"), Sq("f3")) == nullptr);
    QCOMPARE(heading, QStringLiteral("New move : g1-f3"));
    QCOMPARE(rows, (QStringList{"0 : add new move", "1 : e4", "2 : d4", "3 : c4"}));
    QCOMPARE(instruction,
             QStringLiteral("Press move number to replace,\nor press 0 to add a new line"));
}

void ChoiceDialogsTest::addNewLinePlacesTheNewMove_data() {
    QTest::addColumn<int>("highlight");
    QTest::addColumn<QList<Qt::Key>>("keys");
    QTest::addColumn<QStringList>("moves");
    QTest::newRow("0 appends an alternative")
        << kAsOpened << QList<Qt::Key>{Qt::Key_0} << QStringList{"e2e4", "d2d4", "c2c4", "g1f3"};
    QTest::newRow("a digit replaces that move and its continuation")
        << kAsOpened << QList<Qt::Key>{Qt::Key_1} << QStringList{"g1f3", "d2d4", "c2c4"};
    QTest::newRow("Ok on row 0 appends")
        << 0 << QList<Qt::Key>{Qt::Key_Return} << QStringList{"e2e4", "d2d4", "c2c4", "g1f3"};
}

void ChoiceDialogsTest::addNewLinePlacesTheNewMove() {
    QFETCH(int, highlight);
    QFETCH(QList<Qt::Key>, keys);
    QFETCH(QStringList, moves);
    OpeningTree tree;
    QWidget owner;
    AnswerWithKeys(keys, nullptr, highlight);
    Position* result = RunAddNewLine(&owner, {}, tree.root, Sq("g1"), Sq("f3"));
    QVERIFY(result != nullptr);
    QCOMPARE(MoveList(tree.root), moves);
    QCOMPARE(result, tree.root.FindMove(Sq("g1"), Sq("f3"), 0));
    QVERIFY(result->firstMove == nullptr);
}

void ChoiceDialogsTest::addNewLineIgnoresDigitsWithoutARow() {
    Position root;
    Play(root, "e2", "e4");
    Play(root, "d2", "d4");
    QWidget owner;
    bool openAfterDigits = false;
    screen_test::WhenModalShows([&](QWidget& dialog) {
        for (Qt::Key key : {Qt::Key_3, Qt::Key_4, Qt::Key_5, Qt::Key_9}) {
            screen_test::PressKey(&dialog, key);
        }
        openAfterDigits = dialog.isVisible();
        screen_test::PressKey(&dialog, Qt::Key_Escape);
    });
    QVERIFY(RunAddNewLine(&owner, {}, root, Sq("g1"), Sq("f3")) == nullptr);
    QVERIFY(openAfterDigits);
    QCOMPARE(MoveList(root), (QStringList{"e2e4", "d2d4"}));
}

void ChoiceDialogsTest::addNewLineOkOnAMoveRowPromotesToAQueenWithoutAsking() {
    Position position;
    QVERIFY(ReadFen(position, u"r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1"));
    Play(position, "b7", "b8", 2);
    QWidget owner;
    QStringList pieceRows;
    screen_test::WhenModalShows([&](QWidget& dialog) {
        // Were Choose Piece to open, it would be answered with a rook.
        AnswerWithKeys({Qt::Key_2}, &pieceRows);
        Highlight(dialog, 1);
        screen_test::PressKey(&dialog, Qt::Key_Return);
    });
    Position* result = RunAddNewLine(&owner, AskOver(owner), position, Sq("b7"), Sq("a8"));
    QVERIFY(result != nullptr);
    QVERIFY(pieceRows.isEmpty());
    QCOMPARE(int(result->incomingMove->promotion), 5);
    QCOMPARE(MoveList(position), (QStringList{"b7a8"}));
}

void ChoiceDialogsTest::addNewLineZeroAsksForThePromotionPiece() {
    Position position;
    QVERIFY(ReadFen(position, u"r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1"));
    Play(position, "b7", "b8", 5);
    QWidget owner;
    QStringList pieceRows;
    screen_test::WhenModalShows([&](QWidget& addNewLine) {
        // The digit opens Choose Piece over Add new line; answer it with 4 (knight).
        AnswerWithKeys({Qt::Key_4}, &pieceRows);
        screen_test::PressKey(&addNewLine, Qt::Key_0);
    });
    Position* result = RunAddNewLine(&owner, AskOver(owner), position, Sq("b7"), Sq("a8"));
    QVERIFY(result != nullptr);
    QCOMPARE(pieceRows, (QStringList{"1 : Queen", "2 : Rook", "3 : Bishop", "4 : Knight"}));
    QCOMPARE(int(result->incomingMove->promotion), 3);
    QCOMPARE(MoveList(position), (QStringList{"b7b8", "b7a8"}));
}

void ChoiceDialogsTest::addNewLineCancelLeavesTheTree() {
    OpeningTree tree;
    QWidget owner;
    screen_test::WhenModalShows([](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_F1); });
    QVERIFY(RunAddNewLine(&owner, {}, tree.root, Sq("g1"), Sq("f3")) == nullptr);
    QCOMPARE(MoveList(tree.root), (QStringList{"e2e4", "d2d4", "c2c4"}));
    QVERIFY(tree.e4->firstMove != nullptr);
}

void ChoiceDialogsTest::chooseMoveFollowsTheChosenMove_data() {
    QTest::addColumn<QList<Qt::Key>>("keys");
    QTest::addColumn<int>("highlight");
    QTest::addColumn<int>("chosen");  // 0 e4, 1 d4, 2 c4, -1 none
    QTest::newRow("1 follows the main move") << QList<Qt::Key>{Qt::Key_1} << kAsOpened << 0;
    QTest::newRow("3 the second alternative") << QList<Qt::Key>{Qt::Key_3} << kAsOpened << 2;
    QTest::newRow("4 and 0 do nothing, then 2")
        << QList<Qt::Key>{Qt::Key_4, Qt::Key_0, Qt::Key_2} << kAsOpened << 1;
    QTest::newRow("Esc cancels") << QList<Qt::Key>{Qt::Key_4, Qt::Key_Escape} << kAsOpened << -1;
    QTest::newRow("Cancel softkey") << QList<Qt::Key>{Qt::Key_F1} << kAsOpened << -1;
    QTest::newRow("Ok takes the highlighted row")
        << QList<Qt::Key>{Qt::Key_Down, Qt::Key_Return} << 0 << 1;
}

void ChoiceDialogsTest::chooseMoveFollowsTheChosenMove() {
    QFETCH(QList<Qt::Key>, keys);
    QFETCH(int, highlight);
    QFETCH(int, chosen);
    OpeningTree tree;
    QWidget owner;
    QStringList rows;
    AnswerWithKeys(keys, &rows, highlight);
    Position* result = RunChooseMove(&owner, tree.root.firstMove.get());
    const std::array<Position*, 3> targets = {tree.e4, tree.d4, tree.c4};
    QCOMPARE(result, chosen < 0 ? nullptr : targets[static_cast<std::size_t>(chosen)]);
    QCOMPARE(rows, (QStringList{"1 : e4", "2 : d4", "3 : c4"}));
}

void ChoiceDialogsTest::chooseMoveOkWithoutHighlightGivesNone() {
    OpeningTree tree;
    QWidget owner;
    int code = 0;
    ChooseMoveDialog dialog(&owner, tree.root.firstMove.get());
    screen_test::WhenModalShows([](QWidget& shown) {
        Highlight(shown, -1);
        screen_test::PressKey(&shown, Qt::Key_Return);
    });
    code = RunDialog(dialog, &owner);
    QCOMPARE(code, kIdOk);
    QVERIFY(dialog.result() == nullptr);
}

void ChoiceDialogsTest::choosePieceGivesThePieceCode_data() {
    QTest::addColumn<QList<Qt::Key>>("keys");
    QTest::addColumn<int>("highlight");
    QTest::addColumn<int>("piece");
    const QList<Qt::Key> ok{Qt::Key_Return};
    QTest::newRow("1 queen") << QList<Qt::Key>{Qt::Key_1} << kAsOpened << 5;
    QTest::newRow("2 rook") << QList<Qt::Key>{Qt::Key_2} << kAsOpened << 2;
    QTest::newRow("3 bishop") << QList<Qt::Key>{Qt::Key_3} << kAsOpened << 4;
    QTest::newRow("4 knight") << QList<Qt::Key>{Qt::Key_4} << kAsOpened << 3;
    QTest::newRow("5, 0, 9 ignored, then 4")
        << QList<Qt::Key>{Qt::Key_5, Qt::Key_0, Qt::Key_9, Qt::Key_4} << kAsOpened << 3;
    QTest::newRow("Ok on no row: queen") << ok << -1 << 5;
    QTest::newRow("Ok on Queen") << ok << 0 << 5;
    QTest::newRow("Ok on Rook") << ok << 1 << 2;
    QTest::newRow("Ok on Bishop") << ok << 2 << 4;
    QTest::newRow("Ok on Knight") << ok << 3 << 3;
}

void ChoiceDialogsTest::choosePieceGivesThePieceCode() {
    QFETCH(QList<Qt::Key>, keys);
    QFETCH(int, highlight);
    QFETCH(int, piece);
    QWidget owner;
    AnswerWithKeys(keys, nullptr, highlight);
    QCOMPARE(ChoosePromotionPiece(&owner), piece);
}

void ChoiceDialogsTest::choosePieceCannotBeCancelled() {
    QWidget owner;
    bool stillOpen = false;
    screen_test::WhenModalShows([&](QWidget& dialog) {
        QTest::keyClick(&dialog, Qt::Key_F1);
        screen_test::PressKey(&dialog, Qt::Key_Escape);
        stillOpen = dialog.isVisible();
        screen_test::PressKey(&dialog, Qt::Key_2);
    });
    QCOMPARE(ChoosePromotionPiece(&owner), 2);
    QVERIFY(stillOpen);
}

void ChoiceDialogsTest::choosePieceClosedGivesAQueen() {
    QWidget owner;
    screen_test::WhenModalShows([](QWidget& dialog) { dialog.close(); });
    QCOMPARE(ChoosePromotionPiece(&owner), 5);
}

void ChoiceDialogsTest::promotionWithoutContextIsAQueenWithoutDialog() {
    bool dialogShown = false;
    screen_test::WhenModalShows(
        [&](QWidget& dialog) {
            dialogShown = true;
            dialog.close();
        },
        nullptr, 5);
    QCOMPARE(ChoosePromotionPiece(nullptr), 5);
    QTest::qWait(100);
    QVERIFY(!dialogShown);
}

QTEST_MAIN(ChoiceDialogsTest)
#include "choice_dialogs_test.moc"
