#include <QtTest>

#include "contacts/owner_identity.h"
#include "pgn/game_list_columns.h"
#include "tests/support/game_screen_fixtures.h"
#include "ui/game/drawing_resources.h"

using namespace screen_test;

namespace {

// Keys (see PressKeys) on a display opened on `game` (see SetUpGame), then the tree with the
// current move in brackets, the screen (see Describe) and the dialogs shown. With `mail`, an
// e-mail game of Anna and Boris played by `owner`, `tag` removed ("White") or emptied
// ("White="); Send move gives `sent`, Get answer the SAN `answer` after the exchanged
// position; `mail` is then "s<sends> a<answers asked> <side to move><last move> <its date>".
struct Row {
    const char *name, *game, *keys, *tree, *screen;
    QString seen = {};
    const char *mail = nullptr, *answer = "", *owner = "Anna", *tag = "";
    bool sent = true;
};

// clang-format off
// A pawn about to promote; one that promoted to a queen (a rook) on b8 and may take on a8.
const char* const kPawn = "[8/P6k/8/8/8/8/8/K7 w - - 0 1]";
const char* const kPromoted = "[r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1] b8=Q";
const char* const kUnderPromoted = "[r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1] b8=R";
const QString kPiece = QStringLiteral("Choose Piece: 1 : Queen, 2 : Rook, 3 : Bishop, 4 : Knight");
const QString kChooseMove = QStringLiteral("Choose move: 1 : e4, 2 : d4, 3 : c4");
const QString kNewLine = QStringLiteral("Add new line: New move : g1-f3, 0 : add new move, 1 : e4, 2 : d4, 3 : c4");
const QString kNewPromotion = QStringLiteral("Add new line: New move : b7-a8, 0 : add new move, 1 : b8=");
const QString kOther = QStringLiteral("Confirmation: Player to move is '%1' and does not seem to be you ('%2'), do you want to continue ?");
const QString kOwnTurn = QStringLiteral("Confirmation: It seem to be your turn to play, do you really want to import an anwser ?");

const Row kRows[] = {
    // The four-digit entry: from-file, from-rank, to-file, to-rank.
    {"a from-file is highlighted", "", "5", "", "|e|-||e|d"},
    {"a from-square of the side to move is selected", "", "52", "", "|e2|-|e2||d"},
    {"a to-file is highlighted", "", "525", "", "|e2e|-|e2|e|d"},
    {"a fourth digit plays the move", "", "5254", "[1. e4]", "1. e4||-|||md"},
    {"a from-square of the other side loses its rank", "", "57", "", "|e|-||e|d"},
    {"an empty from-square loses its rank", "", "13", "", "|a|-||a|d"},
    {"9, 0 and letters are no entry keys", "", "59a0", "", "|e|-||e|d"},
    {"an illegal move loses its last digit", "", "5255", "", "|e2e|-|e2|e|d"},
    {"then a legal to-rank plays it", "", "52554", "[1. e4]", "1. e4||-|||md"},
    {"the back key takes back the to-file", "", "525b", "", "|e2|-|e2||d"},
    {"the back key takes back the rank", "", "525bb", "", "|e|-||e|d"},
    {"the back key never closes the game", "", "bb", "", "||-|||d"},
    {"another move after taking back all", "", "525bbb7163", "[1. Nf3]", "1. Nf3||-|||md"},
    {"an existing move is followed without question", "e4", "5254", "[1. e4]", "1. e4||-|||d"},
    {"a new move asks to add a new line", "e4 (d4) (c4)", "71630", "1. e4 (1. d4) (1. c4) [(1. Nf3)]", "1. Nf3||1|||md", kNewLine},
    {"a row's digit replaces its move", "e4 (d4) (c4) e5", "71631", "[1. Nf3] (1. d4) (1. c4)", "1. Nf3||-|||md", kNewLine},
    {"Ok on row 0 adds the new line", "e4 (d4) (c4)", "7163vo", "1. e4 (1. d4) (1. c4) [(1. Nf3)]", "1. Nf3||1|||md", kNewLine},
    {"a digit without a row keeps the question", "e4 (d4) (c4)", "7163459b", "1. e4 (1. d4) (1. c4)", "|g1f|-|g1|f|d", kNewLine},
    {"a cancelled new line keeps three digits", "e4 (d4) (c4)", "7163L", "1. e4 (1. d4) (1. c4)", "|g1f|-|g1|f|d", kNewLine},
    {"then the back key takes the to-file", "e4 (d4) (c4)", "7163bb", "1. e4 (1. d4) (1. c4)", "|g1|-|g1||d", kNewLine},
    // Promotion: Choose Piece on an empty list or from Add new line's 0, never cancelled.
    {"1 promotes to a queen", kPawn, "17181", "[1. a8=Q]", "1. a8=Q||-|||md", kPiece},
    {"2 to a rook", kPawn, "17182", "[1. a8=R]", "1. a8=R||-|||md", kPiece},
    {"5, 0 and 9 are no rows, 4 a knight", kPawn, "17185094", "[1. a8=N]", "1. a8=N||-|||md", kPiece},
    {"Ok on the second row: a rook", kPawn, "1718vvo", "[1. a8=R]", "1. a8=R||-|||md", kPiece},
    {"Ok on the last row: a knight", kPawn, "1718vvvvvo", "[1. a8=N]", "1. a8=N||-|||md", kPiece},
    {"Cancel and back do not cancel it", kPawn, "1718Lb3", "[1. a8=B]", "1. a8=B||-|||md", kPiece},
    {"closing it gives a queen", kPawn, "1718x", "[1. a8=Q]", "1. a8=Q||-|||md", kPiece},
    {"0 on Add new line asks for the piece", kPromoted, "271804", "1. b8=Q+ [(1. bxa8=N)]", "1. bxa8=N||1|||md", kNewPromotion + "Q+\n" + kPiece},
    {"Ok on a move row replaces it with a queen", kUnderPromoted, "2718vvo", "[1. bxa8=Q+]", "1. bxa8=Q+||-|||md", kNewPromotion + "R+"},
    {"opens at the last exchanged move", "e4 @ e5 Nf3", "", "[1. e4] 1... e5 2. Nf3", "1. e4||-|||d"},
    // The arrows: Right asks which move to follow where there are several.
    {"right steps forward", "e4 e5", ">", "[1. e4] 1... e5", "1. e4||-|||d"},
    {"left at the start changes nothing", "e4", "<", "1. e4", "||-|||d"},
    {"right at the end changes nothing", "e4 e5 *", ">", "1. e4 [1... e5]", "1... e5||-|||d"},
    {"an annotation shows as a number and a symbol", "e4 e5 $1 *", "", "1. e4 [1... e5!]", "1... e5 $1||-|||d"},
    {"a nested variation shows its depth", "e4 e5 (c5 Nf3 d6 (Nc6 *))", "", "1. e4 1... e5 (1... c5 2. Nf3 2... d6 [(2... Nc6))]", "2... Nc6||2|||d"},
    {"up leaves one level", "e4 e5 (c5 Nf3 d6 (Nc6 *))", "^", "1. e4 1... e5 (1... c5 2. Nf3 [2... d6] (2... Nc6))", "2... d6||1|||d"},
    {"up twice reaches the main line", "e4 e5 (c5 Nf3 d6 (Nc6 *))", "^^", "1. e4 [1... e5] (1... c5 2. Nf3 2... d6 (2... Nc6))", "1... e5||-|||d"},
    {"right at a branch: 1 follows the main move", "e4 (d4) (c4)", ">1", "[1. e4] (1. d4) (1. c4)", "1. e4||-|||d", kChooseMove},
    {"3 the second alternative", "e4 (d4) (c4)", ">3", "1. e4 (1. d4) [(1. c4)]", "1. c4||1|||d", kChooseMove},
    {"4 and 0 are no rows, then 2", "e4 (d4) (c4)", ">402", "1. e4 [(1. d4)] (1. c4)", "1. d4||1|||d", kChooseMove},
    {"the back key cancels", "e4 (d4) (c4)", ">4b", "1. e4 (1. d4) (1. c4)", "||-|||d", kChooseMove},
    {"the Cancel softkey cancels", "e4 (d4) (c4)", ">L", "1. e4 (1. d4) (1. c4)", "||-|||d", kChooseMove},
    {"Ok takes the highlighted row", "e4 (d4) (c4)", ">vvvo", "1. e4 (1. d4) [(1. c4)]", "1. c4||1|||d", kChooseMove},
    {"Ok without a highlighted row follows nothing", "e4 (d4) (c4)", ">o", "1. e4 (1. d4) (1. c4)", "||-|||d", kChooseMove},
    // Commands.
    {"promote raises the shown variation", "e4 e5 (c5 *)", "P", "1. e4 [1... c5] (1... e5)", "1... c5||-|||md"},
    {"promote on the main line changes nothing", "e4 e5 * (c5)", "P", "1. e4 [1... e5] (1... c5)", "1... e5||-|||d"},
    {"delete at the start changes nothing", "e4 e5 (c5)", "D", "1. e4 1... e5 (1... c5)", "||-|||d"},
    {"deleting a first move takes its alternatives", "e4 * (d4) e5", "7D", "", "||-|||md"},
    {"a result marks the game", "", "=", "", "||-|||md"},
    // List mode: the list instead of the board; arrows step through the game.
    {"list mode ignores digits", "e4 e5 Nf3", "M5254", "1. e4 1... e5 2. Nf3", "list 1. e4 1... e5 2. Nf3|"},
    {"down steps forward in the list", "e4 e5 Nf3", "M>v", "1. e4 [1... e5] 2. Nf3", "list 1. e4 [1... e5] 2. Nf3|"},
    {"back on the board digits count again", "e4 e5 Nf3", "M>vB7", "1. e4 [1... e5] 2. Nf3", "1... e5|g|-||g|"},
    {"promote in list mode rebuilds the list", "e4 e5 (c5 * Nf3)", "MP", "1. e4 [1... c5] (1... e5) 2. Nf3", "list 1. e4 [1... c5] (1... e5) 2. Nf3|m"},
    {"delete in list mode selects the move before", "e4 e5 (c5 * Nf3)", "MPD", "[1. e4]", "list [1. e4]|m"},
    // Leaving the game: Save+Close, Close no save and the window's close button.
    {"Save+Close without a change", "e4", ">L", "[1. e4]", "1. e4||-|||dx1"},
    {"Save+Close after a move", "e4", ">5755L", "1. e4 [1... e5]", "1... e5||-|||mdx1"},
    {"Close no save after a move", "e4", ">5755C", "1. e4 [1... e5]", "1... e5||-|||mdx2"},
    {"closing the window is Close no save", "e4", ">5755x", "1. e4 [1... e5]", "1... e5||-|||mdx2"},
    // Send move and Get answer: the checks before each, the exchange recorded after.
    {"without mail screens both do nothing", "", "5254SA", "[1. e4]", "1. e4||-|||md"},
    {"Send move without a move asks for one", "", "So", "", "||-|||d", "Korvani: Please enter first your move on the board", "s0 a0 w0 01.02"},
    {"Send move on the owner's turn", "", "5254S", "[1. e4]", "1. e4||-|||mdk", "", "s1 a0 b1 today"},
    {"a failed send changes nothing", "", "5254S", "[1. e4]", "1. e4||-|||md", "", "s1 a0 w0 01.02", "", "Anna", "", false},
    {"a sent move cannot be dropped", "e4", "SC", "1. e4", "||-|||mdk", "", "s1 a0 b1 today"},
    {"Black's send keeps the move number", "e4 @ e5", "S", "[1. e4] 1... e5", "1. e4||-|||mdk", "", "s1 a0 w1 today", "", "boris"},
    {"another player's turn asks, yes sends", "e4", "So", "1. e4", "||-|||mdk", kOther.arg("Anna", "Boris"), "s1 a0 b1 today", "", "Boris"},
    {"another player's turn asks, no stops", "e4", "Sb", "1. e4", "||-|||d", kOther.arg("Anna", "Boris"), "s0 a0 w0 01.02", "", "Boris"},
    {"no name tag is no owner without a name", "e4", "Sb", "1. e4", "||-|||d", kOther.arg("", ""), "s0 a0 w0 01.02", "", "", "White"},
    {"no WhiteEmail tag: no e-mail game", "", "", "", "||-|||d", "", "s0 a0 w0 01.02, not offered, result 3", "", "Anna", "WhiteEmail"},
    {"an empty WhiteEmail tag: an e-mail game", "", "", "", "||-|||d", "", "s0 a0 w0 01.02", "", "Anna", "WhiteEmail="},
    {"a result ends the exchange", "", "=", "", "||-|||md", "", "s0 a0 w0 01.02, not offered, result 1"},
    {"Get answer on the owner's turn asks, no", "", "Ab", "", "||-|||d", kOwnTurn, "s0 a0 w0 01.02"},
    {"Get answer on the owner's turn asks, yes", "", "Ao", "", "||-|||d", kOwnTurn, "s0 a1 w0 01.02"},
    {"Get answer without the mover's name asks", "e4 @", "Ab", "[1. e4]", "1. e4||-|||d", kOwnTurn, "s0 a0 b1 01.02", "", "Anna", "Black"},
    {"giving up the answer changes nothing", "e4 @", "A", "[1. e4]", "1. e4||-|||d", "", "s0 a1 b1 01.02"},
    {"an answer in a variation is raised and shown", "e4 @ e5 (c5) Nf3", "A", "[1. e4] 1... c5 (1... e5 2. Nf3)", "1... c5||-|||mdk", "", "s0 a1 w1 03.07", "c5"},
    {"then Go to Current goes to it", "e4 @ e5 (c5) Nf3", "AN", "1. e4 [1... c5] (1... e5 2. Nf3)", "1... c5||-|||mdk", "", "s0 a1 w1 03.07", "c5"},
    {"an answer new to the tree refreshes the list", "e4 @", "MBAM", "[1. e4] 1... e5", "list 1. e4 [1... e5]|mk", "", "s0 a1 w1 03.07", "e5"},
    {"an answer in list mode rebuilds it at once", "e4 @ e5 (d5)", "MA", "[1. e4] 1... d5 (1... e5)", "list 1. e4 [1... d5] (1... e5)|mk", "", "s0 a1 w1 03.07", "d5"},
};

// clang-format on

}  // namespace

class GameDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CreateDrawingResources(); }

    void keysPlayTheGame_data();
    void keysPlayTheGame();
    void openedOverAWindowCoversIt();
    void boardFitsTheWindow_data();
    void boardFitsTheWindow();
    void moveListShowsAndFollowsTheTree();
    void longLineIsListedWithoutDeepCalls();

private:
    ModalWatchdog watchdog_{3000};
};

void GameDisplayTest::keysPlayTheGame_data() {
    QTest::addColumn<int>("row");
    for (const Row& row : kRows) {
        QTest::newRow(row.name) << static_cast<int>(&row - kRows);
    }
}

void GameDisplayTest::keysPlayTheGame() {
    QFETCH(int, row);
    const Row& test = kRows[row];
    GameDocument document(nullptr);
    OwnerIdentity owner;
    int sends = 0, asks = 0;
    GameDisplay display;
    if (test.mail != nullptr) {
        document.SetWhite(u"Anna");
        document.SetBlack(u"Boris");
        document.SetWhiteEmail(u"anna@example.org");
        document.SetBlackEmail(u"boris@example.org");
        document.SetResultCode(3);  // still running
        document.SetLastMoveDate(u"01.02");
        if (const QString tag = QString::fromUtf8(test.tag); !tag.isEmpty()) {
            const auto set = tag.startsWith(u"WhiteEmail") ? &GameHeaders::SetWhiteEmail
                             : tag.startsWith(u"White")    ? &GameHeaders::SetWhite
                                                           : &GameHeaders::SetBlack;
            (document.*set)(tag.endsWith(u'=') ? std::optional(std::u16string_view())
                                               : std::nullopt);
        }
        owner.Set(QString::fromUtf8(test.owner).toStdU16String(), u"");
        ExchangeDialogs dialogs;
        dialogs.owner = &owner;
        dialogs.sendMove = [&](QWidget*, GameDocument&) { return ++sends, test.sent; };
        dialogs.getAnswer = [&](QWidget*, GameDocument& game, const std::filesystem::path&) {
            ++asks;
            const std::u16string san = QString::fromUtf8(test.answer).toStdU16String();
            Position* after = san.empty() ? nullptr : ParseSan(*game.FindLastMovePosition(), san);
            return ExchangeDialogs::Answer{after ? after->incomingMove : nullptr, u"03.07"};
        };
        display.SetExchangeDialogs(dialogs);
    }
    Position* shown = SetUpGame(document, QString::fromUtf8(test.game));
    OpenOnScreen(display, document);
    if (shown != nullptr) {
        document.SetCurrent(shown);
    }
    const QString dayBefore = TodayUtc();
    const QStringList seen = PressKeys(display, QString::fromUtf8(test.keys));
    QCOMPARE(TreeText(document), QString::fromUtf8(test.tree));
    QCOMPARE(Describe(display), QString::fromUtf8(test.screen));
    QCOMPARE(seen.join(u'\n'), test.seen);
    if (test.mail == nullptr) {
        return;
    }
    const QString date = QString::fromStdU16String(document.lastMoveDate.value_or(u"-"));
    const bool today = date == dayBefore || date == TodayUtc();
    // The exchange items are offered together, in the games the games list marks.
    SoftkeyBar& bar = *display.BoardBar();
    const bool offered = MenuItemEnabled(display, bar, kCmdSendMove);
    for (int command : {kCmdGetAnswer, kCmdResultWhiteWins, kCmdResultDraw, kCmdResultBlackWins}) {
        QCOMPARE(MenuItemEnabled(display, bar, command), offered);
    }
    QCOMPARE(MenuItemEnabled(display, *display.ListBar(), kCmdSendMove), offered);
    QCOMPARE(MenuItemEnabled(display, bar, kCmdCloseNoSave), display.CanDiscard());
    const bool white = document.trait == kWhite;
    QCOMPARE((white ? WhiteColumnText(document) : BlackColumnText(document)).starts_with(u"* "),
             offered);
    const QString state =
        QString::asprintf("s%d a%d %c%d %s", sends, asks, white ? 'w' : 'b', int{document.lastMove},
                          today ? "today" : qPrintable(date));
    QCOMPARE(
        offered ? state : state + ", not offered, result " + QString::number(int(document.result)),
        QString::fromUtf8(test.mail));
}

// Over the games list it covers it; the document outlives each display (and its list).
void GameDisplayTest::openedOverAWindowCoversIt() {
    GameDocument document(nullptr);
    QWidget gamesList;
    gamesList.resize(300, 400);
    gamesList.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gamesList));
    QString shown;
    const auto open = [&](const char* keys) {
        QTimer::singleShot(0, [&shown, keys] {
            auto* display = dynamic_cast<GameDisplay*>(QApplication::activeModalWidget());
            QVERIFY(display != nullptr);
            PressKeys(*display, QString::fromLatin1(keys));
            shown = QStringLiteral("%1x%2 ").arg(display->width()).arg(display->height()) +
                    Describe(*display);
        });
        return OpenGameDisplay(&gamesList, document);
    };
    QVERIFY(open("7163L"));  // changed: to be saved
    QCOMPARE(shown, QStringLiteral("300x400 1. Nf3||-|||mx1"));
    QVERIFY(!open("Mx"));  // unchanged: nothing to save
    QCOMPARE(shown, QStringLiteral("300x400 list, board 1. Nf3|x2"));
    QVERIFY(document.viewCount == 0 && document.primaryView == nullptr);
    document.GoForward();  // nobody left to tell
    QVERIFY(!open("<>L"));
    QCOMPARE(shown, QStringLiteral("300x400 1. Nf3||-|||x1"));
    GameDocument other(nullptr);  // keys before a display shows any position are ignored
    GameDisplay unshown;
    QVERIFY(unshown.Open(other));
    Type(unshown, "52");
    QCOMPARE(unshown.Entry().DigitCount(), 0);
}

void GameDisplayTest::boardFitsTheWindow_data() {
    QTest::addColumn<QSize>("window");
    for (const QSize size : {QSize(240, 320), QSize(1024, 768), QSize(600, 900)}) {
        QTest::addRow("%dx%d", size.width(), size.height()) << size;
    }
}

void GameDisplayTest::boardFitsTheWindow() {
    QFETCH(QSize, window);
    GameDocument document(nullptr);
    GameDisplay display;
    OpenOnScreen(display, document);
    display.resize(window);
    PressKeys(display, QStringLiteral("5254"));
    const QImage image = display.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const BoardView& board = display.Board();
    const QRect client = display.contentsRect(), list = display.MoveList()->geometry();
    const QRect squares = board.SquareRect(0, 7).united(board.SquareRect(7, 0));
    const QRect labels = board.FileLabelRect(0).united(board.FileLabelRect(7));
    const auto colourOf = [&](int file, int rank) {  // a corner, where no piece reaches
        return image.pixel(board.SquareRect(file, rank).topLeft() + QPoint(1, 1)) & 0xFFFFFF;
    };
    // The phone's fixed board shows no last move and no list; a larger one both.
    const bool phone = window == QSize(240, 320), wide = window.width() > window.height();
    const QRgb moved = (phone ? LightSquareColour : LastMoveLightColour) & 0xFFFFFF;
    QCOMPARE(colourOf(3, 1), DarkSquareColour & 0xFFFFFF);  // d2
    QVERIFY(colourOf(4, 1) == moved && colourOf(4, 3) == moved);
    QVERIFY(display.StatusLabel(GameDisplay::kDepth)->geometry().bottom() < squares.top());
    QCOMPARE(display.MoveList()->isVisible(), !phone);
    QCOMPARE(squares == QRect(12, 14, 152, 152), phone);
    if (phone) {
        return;
    }
    // The board fills the short side; the list stands beside or below it.
    QVERIFY(squares.width() > (wide ? client.height() : client.width()) * 8 / 10);
    QVERIFY(client.contains(squares) && client.contains(labels) && client.contains(list));
    QVERIFY(wide ? list.left() > squares.right() : list.top() > labels.bottom());
    QCOMPARE(ListText(*display.MoveList()), QStringLiteral("[1. e4]"));
    PressKeys(display, QStringLiteral("<"));
    QCOMPARE(display.MoveList()->currentRow(), 0);
}

void GameDisplayTest::moveListShowsAndFollowsTheTree() {
    GameDocument document(nullptr);
    MoveListView list;
    QVERIFY(list.AttachTo(document));
    list.Rebuild(nullptr);
    QVERIFY(Rows(*list.model(), 1) == QStringList{"   "} && list.currentRow() == 0);
    // Two blanks per level, each variation closed on its last row.
    Position* nested = SetUpGame(document, QStringLiteral("e4 e5 (c5 Nf3 * (Nc3 Nc6)) Nf3"));
    list.Rebuild(nullptr);
    QCOMPARE(
        Rows(*list.model(), 1).join(u'/'),
        QStringLiteral("   /1. e4/1... e5/  (1... c5/  2. Nf3/    (2. Nc3/    2... Nc6))/2. Nf3"));
    // Its own arrows step through the game, not through the rows.
    document.SetCurrent(nested);
    QCOMPARE(list.currentRow(), 4);
    const auto press = [&list](Qt::Key key) {
        return QTest::keyClick(&list, key), list.currentRow();
    };
    QCOMPARE(press(Qt::Key_Up), 2);
    QCOMPARE(press(Qt::Key_Down), 7);
    QCOMPARE(press(Qt::Key_Left), 2);
    QCOMPARE(press(Qt::Key_Left), 1);
    // A move added since the last rebuild has no row.
    document.SetCurrent(SetUpGame(document, QStringLiteral("e4 d5 *")));
    QVERIFY(list.currentRow() == -1 && list.selectedItems().isEmpty());
    // The current row keeps two rows above it in view.
    GameDocument game(nullptr);
    MoveListView view;
    QVERIFY(view.AttachTo(game));
    SetUpGame(game, QStringLiteral("e4 e5 Nf3 Nc6 Bb5 a6 Ba4 Nf6 O-O Be7 Re1 b5 Bb3 d6"));
    view.Rebuild(nullptr);
    view.resize(120, 5 * view.sizeHintForRow(0) + 2 * view.frameWidth());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (const auto& [plies, top] : {std::pair{3, 1}, {10, 8}, {0, 0}}) {
        game.GoToStart();
        for (int ply = 0; ply < plies; ++ply) {
            game.GoForward();
        }
        QCOMPARE(view.currentRow(), plies);
        QCOMPARE(view.indexAt(QPoint(2, 2)).row(), top);
    }
}

// A variation inside a variation, 2,000 levels down, each one move long: listed without
// a call per level, every variation closed on the last row.
void GameDisplayTest::longLineIsListedWithoutDeepCalls() {
    GameDocument document(nullptr);
    constexpr int kLevels = 2000;
    const QString game = "Nf3 Nf6 Ng1 Ng8" + QString(" Nc3 (Nf3 Nf6 Ng1 Ng8").repeated(kLevels);
    QVERIFY(SetUpGame(document, game + QString(kLevels, u')') + " *") != nullptr);
    MoveListView list;
    list.AttachTo(document);
    list.Rebuild(nullptr);
    QCOMPARE(list.count(), 1 + 4 + 5 * kLevels);
    const QString last = list.item(list.count() - 1)->text();
    QVERIFY(last.endsWith(QString(kLevels, u')')) && !last.endsWith(QString(kLevels + 1, u')')));
}

QTEST_MAIN(GameDisplayTest)
#include "game_display_test.moc"
