#include <QLabel>
#include <QtTest>

#include "game/game_document.h"
#include "game/game_observer.h"
#include "tests/support/game_screen_fixtures.h"
#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"
#include "rules/promotion_chooser.h"
#include "ui/game/board_view.h"
#include "ui/game/drawing_resources.h"
#include "ui/game/move_entry.h"
#include "ui/game/move_entry_host.h"

using screen_test::MoveCount;

namespace {

// A board screen reduced to what the entry talks to: it shows the document's current
// position and resets the entry when it changes, as the game display does.
class EntryScreen : public MoveEntryHost, public GameObserver {
public:
    EntryScreen() {
        board.resize(BoardView::kBaseWidth, BoardView::kBaseHeight);
        if (!document.AttachView(this, true)) {
            qFatal("the entry screen cannot follow its document");
        }
        document.GoToStart();
    }

    Position* DisplayedPosition() override { return shown; }
    BoardView& Board() override { return board; }
    void SetNewFieldText(const QString& text) override { newField.setText(text); }
    GameController& Controller() override { return document; }
    Position* RunAddNewLine(Position& /*position*/, int /*from*/, int /*to*/) override {
        ++addNewLineRuns;  // cancelled: the game display test answers the real one
        return nullptr;
    }
    PromotionChooser Chooser() override { return chooser; }
    void OnTreeChanged() override { ++treeChanges; }

    void OnCurrentChanged(Position* position) override {
        shown = position;
        board.SetPosition(position);
        entry.Reset();
    }
    Position* ChooseAlternative(MoveNode* /*firstMove*/) override { return nullptr; }

    void Type(const QList<int>& keys) {
        for (int key : keys) {
            entry.HandleEntryKey(key);
        }
    }

    QString NewText() const { return newField.text(); }
    bool Selected(int file, int rank) const {
        return board.SelectedFile() == file && board.SelectedRank() == rank;
    }
    bool NothingSelected() const {
        return board.SelectedFile() == BoardView::kNone && board.SelectedRank() == BoardView::kNone;
    }
    QString CurrentMoveText() {
        MoveNode* move = document.GetCurrent()->incomingMove;
        return move ? QString::fromStdU16String(
                          FormatSanText(*move, false, false, NotationLanguage::English))
                    : QString();
    }

    GameDocument document{nullptr};
    BoardView board;
    QLabel newField;
    MoveEntry entry{*this};
    Position* shown = nullptr;
    PromotionChooser chooser;  // none: a pawn becomes a queen
    int addNewLineRuns = 0;
    int treeChanges = 0;
};

// What the promotion chooser was asked and what it answers.
struct ChooserLog {
    int calls = 0;
    void* context = nullptr;
    int answer = kKnight;
};
ChooserLog chooserLog;

int LoggingChooser(void* context) {
    ++chooserLog.calls;
    chooserLog.context = context;
    return chooserLog.answer;
}

}  // namespace

class MoveEntryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CreateBoardBrushes(); }
    void init() { chooserLog = ChooserLog{}; }

    void typingFromAndToSquaresPlaysTheMove();
    void refusedKeysLeaveNoMove_data();
    void refusedKeysLeaveNoMove();
    void illegalMoveLosesItsLastDigit();
    void backKeyWalksBackOneDigit();
    void existingMoveIsFollowedWithoutQuestion();
    void promotionOnAnEmptyListAsksForThePiece();
    void keysWithoutPositionAreIgnored();
};

void MoveEntryTest::typingFromAndToSquaresPlaysTheMove() {
    EntryScreen screen;
    screen.Type({Qt::Key_5});
    QCOMPARE(screen.NewText(), QStringLiteral("e"));
    QCOMPARE(screen.board.HighlightedFile(), 4);
    QVERIFY(screen.NothingSelected());

    screen.Type({Qt::Key_2});
    QCOMPARE(screen.NewText(), QStringLiteral("e2"));
    QVERIFY(screen.Selected(4, 1));
    QCOMPARE(screen.board.HighlightedFile(), BoardView::kNone);

    screen.Type({Qt::Key_5});
    QCOMPARE(screen.NewText(), QStringLiteral("e2e"));
    QCOMPARE(screen.board.HighlightedFile(), 4);
    QVERIFY(screen.Selected(4, 1));

    screen.Type({Qt::Key_4});
    QCOMPARE(screen.CurrentMoveText(), QStringLiteral("e4"));
    QCOMPARE(screen.shown, screen.document.GetCurrent());
    QCOMPARE(screen.NewText(), QString());
    QVERIFY(screen.NothingSelected());
    QCOMPARE(screen.board.HighlightedFile(), BoardView::kNone);
    QCOMPARE(screen.entry.DigitCount(), 0);
    QCOMPARE(screen.treeChanges, 1);
    QCOMPARE(screen.addNewLineRuns, 0);
}

void MoveEntryTest::illegalMoveLosesItsLastDigit() {
    EntryScreen screen;
    screen.Type({Qt::Key_5, Qt::Key_2, Qt::Key_5, Qt::Key_5});  // e2-e5
    QCOMPARE(screen.entry.DigitCount(), 3);
    QCOMPARE(screen.NewText(), QStringLiteral("e2e"));
    QVERIFY(screen.Selected(4, 1));
    QCOMPARE(screen.board.HighlightedFile(), 4);
    QVERIFY(!screen.document.root.firstMove);
    QCOMPARE(screen.treeChanges, 0);

    screen.Type({Qt::Key_4});
    QCOMPARE(screen.CurrentMoveText(), QStringLiteral("e4"));
    QCOMPARE(screen.NewText(), QString());
}

void MoveEntryTest::backKeyWalksBackOneDigit() {
    EntryScreen screen;
    screen.Type({Qt::Key_5, Qt::Key_2, Qt::Key_5});
    screen.Type({Qt::Key_Escape});
    QCOMPARE(screen.NewText(), QStringLiteral("e2"));
    QVERIFY(screen.Selected(4, 1));
    QCOMPARE(screen.board.HighlightedFile(), BoardView::kNone);

    screen.Type({Qt::Key_Escape});  // the rank goes: e2 loses its highlight
    QCOMPARE(screen.NewText(), QStringLiteral("e"));
    QVERIFY(screen.NothingSelected());
    QCOMPARE(screen.board.HighlightedFile(), 4);

    screen.Type({Qt::Key_Escape});
    QCOMPARE(screen.NewText(), QString());
    QCOMPARE(screen.entry.DigitCount(), 0);
    QCOMPARE(screen.board.HighlightedFile(), BoardView::kNone);

    // Another square can be typed afterwards.
    screen.Type({Qt::Key_7, Qt::Key_1, Qt::Key_6, Qt::Key_3});  // g1-f3
    QCOMPARE(screen.CurrentMoveText(), QStringLiteral("Nf3"));
}

void MoveEntryTest::refusedKeysLeaveNoMove_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<int>("highlightedFile");
    QTest::addColumn<bool>("e2Selected");  // else nothing is
    const int none = BoardView::kNone;
    QTest::newRow("from square of the wrong side loses its rank")  // e7, White to move
        << QList<int>{Qt::Key_5, Qt::Key_7} << 1 << QStringLiteral("e") << 4 << false;
    QTest::newRow("empty from square loses its rank")  // a3
        << QList<int>{Qt::Key_1, Qt::Key_3} << 1 << QStringLiteral("a") << 0 << false;
    QTest::newRow("back key with nothing typed")
        << QList<int>{Qt::Key_Escape, Qt::Key_Escape} << 0 << QString() << none << false;
    QTest::newRow("9 and 0 alone")
        << QList<int>{Qt::Key_9, Qt::Key_0} << 0 << QString() << none << false;
    QTest::newRow("9 and 0 after a file")
        << QList<int>{Qt::Key_5, Qt::Key_9, Qt::Key_0} << 1 << QStringLiteral("e") << 4 << false;
    QTest::newRow("9, 0 and a letter after three digits")
        << QList<int>{Qt::Key_5, Qt::Key_2, Qt::Key_5, Qt::Key_0, Qt::Key_9, Qt::Key_A} << 3
        << QStringLiteral("e2e") << 4 << true;
}

void MoveEntryTest::refusedKeysLeaveNoMove() {
    QFETCH(QList<int>, keys);
    QFETCH(int, digits);
    QFETCH(QString, newText);
    QFETCH(int, highlightedFile);
    QFETCH(bool, e2Selected);
    EntryScreen screen;
    screen.Type(keys);
    QCOMPARE(screen.entry.DigitCount(), digits);
    QCOMPARE(screen.NewText(), newText);
    QCOMPARE(screen.board.HighlightedFile(), highlightedFile);
    QVERIFY(e2Selected ? screen.Selected(4, 1) : screen.NothingSelected());
    QCOMPARE(screen.document.GetCurrent(), &screen.document.root);
    QCOMPARE(screen.treeChanges, 0);
}

void MoveEntryTest::existingMoveIsFollowedWithoutQuestion() {
    EntryScreen screen;
    Position* afterE4 = ParseSan(screen.document.root, u"e4");
    QVERIFY(afterE4 != nullptr);
    screen.document.GoToStart();
    screen.Type({Qt::Key_5, Qt::Key_2, Qt::Key_5, Qt::Key_4});
    QCOMPARE(screen.document.GetCurrent(), afterE4);
    QCOMPARE(screen.addNewLineRuns, 0);
    QCOMPARE(screen.treeChanges, 0);
    QCOMPARE(MoveCount(screen.document.root), 1);
    QCOMPARE(screen.NewText(), QString());
}

void MoveEntryTest::promotionOnAnEmptyListAsksForThePiece() {
    EntryScreen screen;
    QVERIFY(ReadFen(screen.document.root, u"8/P6k/8/8/8/8/8/K7 w - - 0 1"));
    screen.document.GoToStart();
    screen.chooser = [&screen] { return LoggingChooser(&screen); };
    screen.Type({Qt::Key_1, Qt::Key_7, Qt::Key_1, Qt::Key_8});
    QCOMPARE(chooserLog.calls, 1);
    QCOMPARE(chooserLog.context, static_cast<void*>(&screen));
    QVERIFY(screen.document.GetCurrent()->incomingMove != nullptr);
    QCOMPARE(int(screen.document.GetCurrent()->incomingMove->promotion), int(kKnight));
    QCOMPARE(screen.CurrentMoveText(), QStringLiteral("a8=N"));
    QCOMPARE(screen.treeChanges, 1);
}

void MoveEntryTest::keysWithoutPositionAreIgnored() {
    EntryScreen screen;
    screen.shown = nullptr;
    screen.Type({Qt::Key_5, Qt::Key_2});
    QCOMPARE(screen.entry.DigitCount(), 0);
    QVERIFY(screen.NothingSelected());
}

QTEST_MAIN(MoveEntryTest)
#include "move_entry_test.moc"
