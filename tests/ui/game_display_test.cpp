#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include "tests/support/game_screen_fixtures.h"
#include "pgn/game_list_columns.h"
#include "resources/resource_ids.h"
#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"
#include "ui/game/board_view.h"
#include "ui/game/drawing_resources.h"
#include "ui/game/game_display.h"
#include "ui/game/move_list_view.h"
#include "ui/kit/softkey_bar.h"

using namespace screen_test;

namespace {

// Presses `key` in the next modal dialog that opens (Add new line, Choose move,
// Choose Piece), once its own event loop runs.
void PressInNextDialog(Qt::Key key) {
    QTimer::singleShot(0, [key] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            QTest::keyClick(dialog, key);
        }
    });
}

QString Status(const GameDisplay& display, GameDisplay::StatusField field) {
    return display.StatusLabel(field)->text();
}

}  // namespace

class GameDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CreateDrawingResources(); }

    void opensAtTheLastExchangedMove();
    void statusLineFollowsNavigation();
    void typedMoveIsPlayedAndMarksTheGame();
    void newMoveAsksAddNewLineAndZeroAddsIt();
    void cancelledAddNewLineKeepsThreeDigits();
    void promotionAsksForThePiece();
    void rightAtABranchAsksChooseMove();
    void leftAtStartAndRightAtEndChangeNothing();
    void backKeyNeverClosesTheGame();
    void resultGreysTheExchangeItems();
    void exchangeIsOfferedWhereTheGamesListMarksTheMover_data();
    void exchangeIsOfferedWhereTheGamesListMarksTheMover();
    void promoteRaisesTheShownVariation();
    void commandWithNothingToDoChangesNothing_data();
    void commandWithNothingToDoChangesNothing();
    void deletingTheFirstMoveLeavesAnEmptyGame();
    void listModeHidesTheBoardAndIgnoresDigits();
    void listModeCommandsRebuildTheList();
    void closingTellsWhetherToSave_data();
    void closingTellsWhetherToSave();
    void openedOverAWindowCoversIt();
    void boardFitsTheWindow_data();
    void boardFitsTheWindow();
    void documentOutlivesItsDisplay();
};

void GameDisplayTest::opensAtTheLastExchangedMove() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    Position* afterE4 = Play(document.root, u"e4 e5 Nf3");
    afterE4 = afterE4->incomingMove->parent->incomingMove->parent;
    document.lastMove = 1;
    document.trait = kBlack;  // White sent 1. e4
    GameDisplay display;
    OpenOnScreen(display, document);
    QCOMPARE(document.GetCurrent(), afterE4);
    QCOMPARE(display.DisplayedPosition(), afterE4);
    QCOMPARE(Status(display, GameDisplay::kLastLabel), QStringLiteral("Last:"));
    QCOMPARE(Status(display, GameDisplay::kLastMove), QStringLiteral("1. e4"));
    QCOMPARE(Status(display, GameDisplay::kNewLabel), QStringLiteral("New:"));
    QCOMPARE(Status(display, GameDisplay::kNewSquares), QString());
    QCOMPARE(Status(display, GameDisplay::kDepthLabel), QStringLiteral("Depth:"));
    QCOMPARE(Status(display, GameDisplay::kDepth), QStringLiteral("-"));
    QVERIFY(display.IsBoardMode());
    QVERIFY(!display.IsModified());
    QVERIFY(display.CanDiscard());
}

void GameDisplayTest::statusLineFollowsNavigation() {
    GameDocument document(nullptr);
    Position* afterE5 = Play(document.root, u"e4 e5");
    Position* afterC5 = Play(*afterE5->incomingMove->parent, u"c5");
    Position* afterNf3 = Play(*afterC5, u"Nf3");
    Position* afterD6 = Play(*afterNf3, u"d6");
    Position* nested = Play(*afterNf3, u"Nc6");  // an alternative inside the variation
    afterE5->incomingMove->nag = 1;
    GameDisplay display;
    OpenOnScreen(display, document);
    QCOMPARE(Status(display, GameDisplay::kLastMove), QString());
    QTest::keyClick(&display, Qt::Key_Right);
    QCOMPARE(Status(display, GameDisplay::kLastMove), QStringLiteral("1. e4"));
    document.SetCurrent(afterE5);
    QCOMPARE(Status(display, GameDisplay::kLastMove), QStringLiteral("1... e5 $1"));
    QCOMPARE(Status(display, GameDisplay::kDepth), QStringLiteral("-"));
    document.SetCurrent(nested);
    QCOMPARE(Status(display, GameDisplay::kLastMove), QStringLiteral("2... Nc6"));
    QCOMPARE(Status(display, GameDisplay::kDepth), QStringLiteral("2"));
    // Up leaves one level of nesting at a time.
    QTest::keyClick(&display, Qt::Key_Up);
    QCOMPARE(document.GetCurrent(), afterD6);
    QCOMPARE(Status(display, GameDisplay::kDepth), QStringLiteral("1"));
    QTest::keyClick(&display, Qt::Key_Up);
    QCOMPARE(document.GetCurrent(), afterE5);
    QCOMPARE(Status(display, GameDisplay::kDepth), QStringLiteral("-"));
}

void GameDisplayTest::typedMoveIsPlayedAndMarksTheGame() {
    // The entry's digit by digit states are the move entry test's; here, its wiring.
    GameDocument document(nullptr);
    GameDisplay display;
    OpenOnScreen(display, document);
    Type(display, "52");
    QCOMPARE(Status(display, GameDisplay::kNewSquares), QStringLiteral("e2"));
    QCOMPARE(display.Board().SelectedFile(), 4);
    Type(display, "54");
    QVERIFY(document.root.firstMove != nullptr);
    QCOMPARE(document.GetCurrent(), document.root.firstMove->child.get());
    QCOMPARE(Status(display, GameDisplay::kNewSquares), QString());
    QCOMPARE(Status(display, GameDisplay::kLastMove), QStringLiteral("1. e4"));
    QCOMPARE(display.Board().SelectedFile(), BoardView::kNone);
    QVERIFY(display.IsModified());
    QVERIFY(display.IsListDirty());
}

void GameDisplayTest::newMoveAsksAddNewLineAndZeroAddsIt() {
    GameDocument document(nullptr);
    Play(document.root, u"e4");
    GameDisplay display;
    OpenOnScreen(display, document);
    QCOMPARE(document.GetCurrent(), &document.root);
    PressInNextDialog(Qt::Key_0);
    Type(display, "4244");
    QCOMPARE(MoveCount(document.root), 2);
    QCOMPARE(document.GetCurrent(), document.root.firstMove->nextSibling->child.get());
    QCOMPARE(Status(display, GameDisplay::kLastMove), QStringLiteral("1. d4"));
    QCOMPARE(Status(display, GameDisplay::kDepth), QStringLiteral("1"));
    QVERIFY(display.IsModified());
}

void GameDisplayTest::cancelledAddNewLineKeepsThreeDigits() {
    GameDocument document(nullptr);
    Play(document.root, u"e4");
    GameDisplay display;
    OpenOnScreen(display, document);
    PressInNextDialog(Qt::Key_Escape);
    Type(display, "4244");
    QCOMPARE(MoveCount(document.root), 1);
    QCOMPARE(document.GetCurrent(), &document.root);
    QCOMPARE(display.Entry().DigitCount(), 3);
    QCOMPARE(Status(display, GameDisplay::kNewSquares), QStringLiteral("d2d"));
    QCOMPARE(display.Board().SelectedFile(), 3);
    QCOMPARE(display.Board().SelectedRank(), 1);
    QCOMPARE(display.Board().HighlightedFile(), 3);
    QVERIFY(!display.IsModified());
    // Another to-rank completes a move that the tree already has.
    Type(display, "\x1b");
    QCOMPARE(Status(display, GameDisplay::kNewSquares), QStringLiteral("d2"));
}

void GameDisplayTest::promotionAsksForThePiece() {
    GameDocument document(nullptr);
    QVERIFY(ReadFen(document.root, u"8/P6k/8/8/8/8/8/K7 w - - 0 1"));
    GameDisplay display;
    OpenOnScreen(display, document);
    PressInNextDialog(Qt::Key_4);  // the fourth row: Knight
    Type(display, "1718");
    QVERIFY(document.root.firstMove != nullptr);
    QCOMPARE(int(document.root.firstMove->promotion), int(kKnight));
    QCOMPARE(Status(display, GameDisplay::kLastMove), QStringLiteral("1. a8=N"));
}

void GameDisplayTest::rightAtABranchAsksChooseMove() {
    GameDocument document(nullptr);
    Play(document.root, u"e4");
    Position* afterD4 = Play(document.root, u"d4");
    Play(document.root, u"c4");
    GameDisplay display;
    OpenOnScreen(display, document);
    PressInNextDialog(Qt::Key_2);
    QTest::keyClick(&display, Qt::Key_Right);
    QCOMPARE(document.GetCurrent(), afterD4);
    PressInNextDialog(Qt::Key_Escape);
    document.GoToStart();
    QTest::keyClick(&display, Qt::Key_Right);
    QCOMPARE(document.GetCurrent(), &document.root);
    QVERIFY(!display.IsModified());
}

void GameDisplayTest::leftAtStartAndRightAtEndChangeNothing() {
    GameDocument document(nullptr);
    Position* end = Play(document.root, u"e4 e5");
    GameDisplay display;
    OpenOnScreen(display, document);
    QTest::keyClick(&display, Qt::Key_Left);
    QCOMPARE(document.GetCurrent(), &document.root);
    document.SetCurrent(end);
    QTest::keyClick(&display, Qt::Key_Right);
    QCOMPARE(document.GetCurrent(), end);
    QCOMPARE(Status(display, GameDisplay::kLastMove), QStringLiteral("1... e5"));
    QVERIFY(!display.IsModified());
}

void GameDisplayTest::backKeyNeverClosesTheGame() {
    GameDocument document(nullptr);
    GameDisplay display;
    OpenOnScreen(display, document);
    QTest::keyClick(&display, Qt::Key_Escape);
    QVERIFY(!display.hasEnded());
    QVERIFY(display.isVisible());
    Type(display, "52");
    QTest::keyClick(&display, Qt::Key_Escape);
    QCOMPARE(Status(display, GameDisplay::kNewSquares), QStringLiteral("e"));
    QCOMPARE(display.Board().SelectedFile(), BoardView::kNone);
}

void GameDisplayTest::resultGreysTheExchangeItems() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    GameDisplay display;
    OpenOnScreen(display, document);
    SoftkeyBar& bar = *display.BoardBar();
    for (int command : {kCmdSendMove, kCmdGetAnswer, kCmdResultWhiteWins, kCmdResultDraw,
                        kCmdResultBlackWins, kCmdCloseNoSave}) {
        QVERIFY(MenuItemEnabled(display, bar, command));
    }
    QVERIFY(display.HandleCommand(kCmdResultDraw));
    QCOMPARE(document.result, GameResult::Draw);
    QVERIFY(display.IsModified());
    for (int command :
         {kCmdSendMove, kCmdGetAnswer, kCmdResultWhiteWins, kCmdResultDraw, kCmdResultBlackWins}) {
        QVERIFY(!MenuItemEnabled(display, bar, command));
    }
    QVERIFY(MenuItemEnabled(display, bar, kCmdCloseNoSave));
    QVERIFY(!MenuItemEnabled(display, *display.ListBar(), kCmdSendMove));
}

void GameDisplayTest::exchangeIsOfferedWhereTheGamesListMarksTheMover_data() {
    QTest::addColumn<bool>("hasWhiteEmail");
    QTest::addColumn<QString>("whiteEmail");
    QTest::addColumn<bool>("offered");
    QTest::newRow("no WhiteEmail tag") << false << QString() << false;
    QTest::newRow("an empty WhiteEmail tag") << true << QString() << true;
    QTest::newRow("a WhiteEmail address") << true << QStringLiteral("anna@example.org") << true;
}

void GameDisplayTest::exchangeIsOfferedWhereTheGamesListMarksTheMover() {
    QFETCH(bool, hasWhiteEmail);
    QFETCH(QString, whiteEmail);
    QFETCH(bool, offered);
    GameDocument document(nullptr);
    document.SetWhite(u"Anna");
    if (hasWhiteEmail) {
        document.SetWhiteEmail(whiteEmail.toStdU16String());
    }
    document.SetResultCode(3);
    GameDisplay display;
    OpenOnScreen(display, document);
    // White is to move: the games list marks White exactly when the game is exchanged
    // by mail, and the display offers its exchange commands in the same games.
    QCOMPARE(WhiteColumnText(document) == u"* Anna", offered);
    QCOMPARE(MenuItemEnabled(display, *display.BoardBar(), kCmdSendMove), offered);
    QCOMPARE(MenuItemEnabled(display, *display.BoardBar(), kCmdResultWhiteWins), offered);
    QCOMPARE(MenuItemEnabled(display, *display.BoardBar(), kCmdGetAnswer), offered);
    QCOMPARE(MenuItemEnabled(display, *display.ListBar(), kCmdSendMove), offered);
}

void GameDisplayTest::promoteRaisesTheShownVariation() {
    GameDocument document(nullptr);
    Position* afterE4 = Play(document.root, u"e4 e5");
    afterE4 = afterE4->incomingMove->parent;
    Position* afterC5 = Play(*afterE4, u"c5");
    GameDisplay display;
    OpenOnScreen(display, document);
    document.SetCurrent(afterC5);
    QCOMPARE(Status(display, GameDisplay::kDepth), QStringLiteral("1"));
    QVERIFY(display.HandleCommand(kCmdPromote));
    QCOMPARE(afterE4->firstMove->child.get(), afterC5);
    QCOMPARE(Status(display, GameDisplay::kDepth), QStringLiteral("-"));
    QCOMPARE(display.DisplayedPosition(), afterC5);
    QVERIFY(display.IsModified());
    QVERIFY(display.IsListDirty());
}

void GameDisplayTest::commandWithNothingToDoChangesNothing_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("atStart");  // else after 1... e5
    QTest::newRow("Promote on the main line") << kCmdPromote << false;
    QTest::newRow("Delete move at the start") << kCmdDeleteMove << true;
}

void GameDisplayTest::commandWithNothingToDoChangesNothing() {
    QFETCH(int, command);
    QFETCH(bool, atStart);
    GameDocument document(nullptr);
    Position* afterE5 = Play(document.root, u"e4 e5");
    Position* afterE4 = afterE5->incomingMove->parent;
    Play(*afterE4, u"c5");
    GameDisplay display;
    OpenOnScreen(display, document);
    document.SetCurrent(atStart ? &document.root : afterE5);
    display.HandleCommand(command);
    QCOMPARE(MoveCount(document.root), 1);
    QCOMPARE(MoveCount(*afterE4), 2);
    QCOMPARE(afterE4->firstMove->child.get(), afterE5);
    QVERIFY(!display.IsModified());
}

void GameDisplayTest::deletingTheFirstMoveLeavesAnEmptyGame() {
    GameDocument document(nullptr);
    Position* afterE4 = Play(document.root, u"e4 e5");
    afterE4 = afterE4->incomingMove->parent;
    Play(document.root, u"d4");
    GameDisplay display;
    OpenOnScreen(display, document);
    document.SetCurrent(afterE4);
    Type(display, "7");  // a digit typed is forgotten with the move
    QVERIFY(display.HandleCommand(kCmdDeleteMove));
    QVERIFY(!document.root.firstMove);
    QCOMPARE(document.GetCurrent(), &document.root);
    QCOMPARE(display.DisplayedPosition(), &document.root);
    QCOMPARE(Status(display, GameDisplay::kLastMove), QString());
    QCOMPARE(Status(display, GameDisplay::kDepth), QStringLiteral("-"));
    QCOMPARE(Status(display, GameDisplay::kNewSquares), QString());
    QCOMPARE(display.Entry().DigitCount(), 0);
    QVERIFY(display.IsModified());
    QVERIFY(display.IsListDirty());
}

void GameDisplayTest::listModeHidesTheBoardAndIgnoresDigits() {
    GameDocument document(nullptr);
    Position* afterE5 = Play(document.root, u"e4 e5 Nf3");
    afterE5 = afterE5->incomingMove->parent;
    GameDisplay display;
    OpenOnScreen(display, document);
    QVERIFY(display.HandleCommand(kCmdViewMoveList));
    QVERIFY(!display.IsBoardMode());
    QVERIFY(display.MoveList()->isVisible());
    QVERIFY(!display.Board().isVisible());
    QVERIFY(!display.StatusLabel(GameDisplay::kLastLabel)->isVisible());
    QVERIFY(display.ListBar()->isVisible());
    QVERIFY(!display.BoardBar()->isVisible());
    QCOMPARE(display.MoveList()->count(), 4);
    QVERIFY(!display.IsListDirty());

    Type(display, "5254");
    QCOMPARE(display.Entry().DigitCount(), 0);
    QCOMPARE(MoveCount(*document.GetCurrent()), 1);
    // The arrows still step through the game, down included.
    QTest::keyClick(&display, Qt::Key_Right);
    QTest::keyClick(&display, Qt::Key_Down);
    QCOMPARE(document.GetCurrent(), afterE5);
    QCOMPARE(display.MoveList()->currentRow(), 2);

    QVERIFY(display.HandleCommand(kCmdShowBoard));
    QVERIFY(display.IsBoardMode());
    QVERIFY(display.Board().isVisible());
    QVERIFY(!display.MoveList()->isVisible());
    QVERIFY(display.StatusLabel(GameDisplay::kLastMove)->isVisible());
    QCOMPARE(Status(display, GameDisplay::kLastMove), QStringLiteral("1... e5"));
    Type(display, "7");
    QCOMPARE(Status(display, GameDisplay::kNewSquares), QStringLiteral("g"));
}

void GameDisplayTest::listModeCommandsRebuildTheList() {
    GameDocument document(nullptr);
    Position* afterE4 = Play(document.root, u"e4 e5");
    afterE4 = afterE4->incomingMove->parent;
    Position* afterC5 = Play(*afterE4, u"c5 Nf3");
    afterC5 = afterC5->incomingMove->parent;
    GameDisplay display;
    OpenOnScreen(display, document);
    document.SetCurrent(afterC5);
    display.HandleCommand(kCmdViewMoveList);
    QCOMPARE(display.MoveList()->item(3)->text(), QStringLiteral("  (1... c5"));
    QCOMPARE(display.MoveList()->currentRow(), 3);

    display.HandleCommand(kCmdPromote);
    QCOMPARE(display.MoveList()->item(2)->text(), QStringLiteral("1... c5"));
    QCOMPARE(display.MoveList()->currentRow(), 2);
    QVERIFY(!display.IsListDirty());

    // Deleting the shown move selects the row of the move before it.
    display.HandleCommand(kCmdDeleteMove);
    QCOMPARE(document.GetCurrent(), afterE4);
    QCOMPARE(display.MoveList()->count(), 2);
    QCOMPARE(display.MoveList()->currentRow(), 1);
}

void GameDisplayTest::closingTellsWhetherToSave_data() {
    QTest::addColumn<QByteArray>("keys");  // typed for Black before closing
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("endCode");
    QTest::newRow("Save+Close without a change") << QByteArray() << kCmdSaveClose << false << kIdOk;
    QTest::newRow("Save+Close after a move")
        << QByteArray("5755") << kCmdSaveClose << true << kIdOk;
    QTest::newRow("Close, no save after a move")
        << QByteArray("5755") << kCmdCloseNoSave << false << kIdCancel;
}

void GameDisplayTest::closingTellsWhetherToSave() {
    QFETCH(QByteArray, keys);
    QFETCH(int, command);
    QFETCH(bool, save);
    QFETCH(int, endCode);
    GameDocument document(nullptr);
    Position* afterE4 = Play(document.root, u"e4");
    GameDisplay display;
    QTimer::singleShot(0, [&] {
        QTest::keyClick(&display, Qt::Key_Right);  // moving through the game is no change
        Type(display, keys.constData());
        if (command == kCmdSaveClose) {
            QTest::keyClick(&display, Qt::Key_F1);
        } else {
            display.HandleCommand(command);
        }
    });
    QCOMPARE(RunGameDisplay(display, nullptr, document), save);
    QCOMPARE(display.endCode(), endCode);
    QCOMPARE(MoveCount(*afterE4), keys.isEmpty() ? 0 : 1);
}

void GameDisplayTest::openedOverAWindowCoversIt() {
    GameDocument document(nullptr);
    QWidget gamesList;
    gamesList.resize(300, 400);
    gamesList.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gamesList));
    QTimer::singleShot(0, [] {
        auto* display = dynamic_cast<GameDisplay*>(QApplication::activeModalWidget());
        QVERIFY(display != nullptr);
        QCOMPARE(display->size(), QSize(300, 400));
        Type(*display, "7163");  // Nf3
        QTest::keyClick(display, Qt::Key_F1);
    });
    QVERIFY(OpenGameDisplay(&gamesList, document));
    QVERIFY(document.root.firstMove != nullptr);
    QVERIFY(document.primaryView == nullptr);
}

void GameDisplayTest::boardFitsTheWindow_data() {
    QTest::addColumn<QSize>("window");
    QTest::newRow("phone 240x320") << QSize(240, 320);
    QTest::newRow("wide 1024x768") << QSize(1024, 768);
    QTest::newRow("tall 600x900") << QSize(600, 900);
}

void GameDisplayTest::boardFitsTheWindow() {
    QFETCH(QSize, window);
    GameDocument document(nullptr);
    GameDisplay display;
    OpenOnScreen(display, document);
    display.resize(window);
    Type(display, "5254");  // e2-e4
    const QImage image = display.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const BoardView& board = display.Board();
    const QRect client = display.contentsRect();
    const QRect squares = board.SquareRect(0, 7).united(board.SquareRect(7, 0));
    const QRect labels = board.FileLabelRect(0).united(board.FileLabelRect(7));
    // A corner of a square, where no piece reaches.
    auto colourOf = [&](int file, int rank) {
        return image.pixel(board.SquareRect(file, rank).topLeft() + QPoint(1, 1)) & 0xFFFFFF;
    };
    const QRgb dark = DarkSquareColour & 0xFFFFFF;
    QCOMPARE(colourOf(3, 1), dark);  // d2
    QVERIFY(display.StatusLabel(GameDisplay::kDepth)->geometry().bottom() < squares.top());
    if (window == QSize(240, 320)) {
        // As on the phone: the fixed board, no last move, no list beside it.
        QCOMPARE(squares, QRect(12, 14, 152, 152));
        QCOMPARE(colourOf(4, 1), LightSquareColour & 0xFFFFFF);
        QCOMPARE(colourOf(4, 3), LightSquareColour & 0xFFFFFF);
        QVERIFY(!display.MoveList()->isVisible());
        return;
    }
    const bool wide = window.width() > window.height();
    // The board fills the window's short side and shows e2-e4's two squares.
    QVERIFY(squares.width() > (wide ? client.height() : client.width()) * 8 / 10);
    QVERIFY(client.contains(squares) && client.contains(labels));
    QCOMPARE(colourOf(4, 1), LastMoveLightColour & 0xFFFFFF);
    QCOMPARE(colourOf(4, 3), LastMoveLightColour & 0xFFFFFF);
    // The move list stands beside or below the board and follows the current move.
    const QRect list = display.MoveList()->geometry();
    QVERIFY(display.MoveList()->isVisible());
    QVERIFY(client.contains(list));
    QVERIFY(wide ? list.left() > squares.right() : list.top() > labels.bottom());
    QCOMPARE(display.MoveList()->count(), 2);
    QCOMPARE(display.MoveList()->currentRow(), 1);
    QTest::keyClick(&display, Qt::Key_Left);
    QCOMPARE(display.MoveList()->currentRow(), 0);
}

void GameDisplayTest::documentOutlivesItsDisplay() {
    GameDocument document(nullptr);
    Position* afterE4 = Play(document.root, u"e4");
    {
        GameDisplay display;
        OpenOnScreen(display, document);
        display.HandleCommand(kCmdViewMoveList);
    }
    QCOMPARE(document.viewCount, 0);
    QVERIFY(document.primaryView == nullptr);
    document.GoForward();  // nobody left to tell
    GameDisplay again;
    OpenOnScreen(again, document);
    QTest::keyClick(&again, Qt::Key_Left);
    QTest::keyClick(&again, Qt::Key_Right);
    QCOMPARE(again.DisplayedPosition(), afterE4);
}

QTEST_MAIN(GameDisplayTest)
#include "game_display_test.moc"
