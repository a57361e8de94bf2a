// Send move and Get answer on the game display: the checks before each, the e-mail
// state advanced afterwards and what the screen shows. The mail screens themselves
// are stood in for by recording functions; the whole road through the real ones is
// the end-to-end exchange test.
#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <optional>

#include "contacts/owner_identity.h"
#include "game/game_document.h"
#include "resources/resource_ids.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"
#include "rules/square.h"
#include "screen_test_support.h"
#include "ui/drawing_resources.h"
#include "ui/game_display.h"
#include "ui/move_list_view.h"
#include "ui/softkey_bar.h"

namespace {

// Plays `moves` (SAN, space separated) from `from` and returns the last position.
Position* Play(Position& from, const char16_t* moves) {
    Position* position = &from;
    std::u16string_view rest(moves);
    while (!rest.empty() && position != nullptr) {
        const std::size_t blank = rest.find(u' ');
        position = ParseSan(*position, rest.substr(0, blank));
        rest = blank == std::u16string_view::npos ? std::u16string_view() : rest.substr(blank + 1);
    }
    return position;
}

// A running e-mail game between Anna (White) and Boris (Black).
void MakeEmailGame(GameDocument& document) {
    document.SetWhite(u"Anna");
    document.SetBlack(u"Boris");
    document.SetWhiteEmail(u"anna@example.org");
    document.SetBlackEmail(u"boris@example.org");
    document.SetResultCode(3);
}

void OpenOnScreen(GameDisplay& display, GameDocument& document) {
    QVERIFY(display.Open(document));
    display.resize(240, 320);
    display.InitDialog();
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
}

void Type(QWidget& widget, const char* keys) {
    for (const char* key = keys; *key != '\0'; ++key) {
        QTest::keyClick(&widget, *key);
    }
}

QString TodayUtc() {
    const QDate today = QDateTime::currentDateTimeUtc().date();
    return QStringLiteral("%1.%2")
        .arg(today.month(), 2, 10, QLatin1Char('0'))
        .arg(today.day(), 2, 10, QLatin1Char('0'));
}

// What a message box showed before the test answered it.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers the next message box with `button` and records it in `seen`.
void AnswerNextBox(std::optional<SeenBox>& seen, QMessageBox::StandardButton button) {
    screen_test::WhenModalShows([&seen, button](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        if (box == nullptr) {
            modal.close();
            return;
        }
        seen = SeenBox{box->windowTitle(), box->text(), box->icon()};
        QAbstractButton* pressed = box->button(button);
        if (pressed == nullptr) {
            pressed = box->button(QMessageBox::Ok);
        }
        pressed->click();
    });
}

// Stands in for the two mail screens: counts the calls and gives what the test set.
struct FakeMail {
    int sendCalls = 0;
    bool sendResult = true;
    int answerCalls = 0;
    ExchangeDialogs::Answer answer;
    // Runs when Get answer is asked, before `answer` is given (the real dialogs add a
    // move read from a message to the tree).
    std::function<void(GameDocument&)> onGetAnswer;

    ExchangeDialogs Dialogs() {
        ExchangeDialogs dialogs;
        dialogs.sendMove = [this](QWidget*, GameDocument&) {
            ++sendCalls;
            return sendResult;
        };
        dialogs.getAnswer = [this](QWidget*, GameDocument& game) {
            ++answerCalls;
            if (onGetAnswer) {
                onGetAnswer(game);
            }
            return answer;
        };
        return dialogs;
    }
};

bool MenuItemEnabled(GameDisplay& display, SoftkeyBar& bar, int command) {
    QMenu* popup = bar.popupMenu(1);
    display.InitMenuPopup(bar.menuId(), *popup);
    for (QAction* action : popup->actions()) {
        if (action->menu() == nullptr && SoftkeyBar::CommandOf(*action) == command) {
            return action->isEnabled();
        }
    }
    qFatal("menu item %d missing", command);
    return false;
}

}  // namespace

class GameDisplayExchangeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CreateDrawingResources(); }
    void init() { SetOwnerIdentity(u"Anna", u"anna@example.org"); }
    void cleanup() { screen_test::CancelPending(); }

    void sendWithoutAMoveAsksForOne();
    void sendOnOwnTurnAdvancesTheGame();
    void sendByBlackKeepsTheMoveNumber();
    void sendForAnotherPlayerAsksFirst();
    void sendForAnotherPlayerStopsOnNo();
    void sendWithoutThePlayersNameAsks();
    void failedSendChangesNothing();
    void sentGameCannotBeDiscardedAndIsSaved();
    void answerOnOwnTurnAsksFirst();
    void answerWithoutThePlayersNameAsks();
    void answerInAVariationIsRaisedOneLevel();
    void answerOnTheMainLineRefreshesTheList();
    void answerInListModeRebuildsAtOnce();
    void givingUpTheAnswerChangesNothing();
    void withoutMailScreensBothCommandsDoNothing();
};

void GameDisplayExchangeTest::sendWithoutAMoveAsksForOne() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    FakeMail mail;
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    std::optional<SeenBox> seen;
    AnswerNextBox(seen, QMessageBox::Ok);
    QVERIFY(display.HandleCommand(kCmdSendMove));
    QVERIFY(seen.has_value());
    QCOMPARE(seen->text, QStringLiteral("Please enter first your move on the board"));
    QCOMPARE(seen->caption, QStringLiteral("Korvani"));
    QCOMPARE(seen->icon, QMessageBox::Critical);
    QCOMPARE(mail.sendCalls, 0);
    QVERIFY(!display.IsModified());
    QCOMPARE(document.trait, kWhite);
}

void GameDisplayExchangeTest::sendOnOwnTurnAdvancesTheGame() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    FakeMail mail;
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    Type(display, "5254");
    const QString before = TodayUtc();
    QVERIFY(display.HandleCommand(kCmdSendMove));
    const QString after = TodayUtc();
    QCOMPARE(mail.sendCalls, 1);
    QCOMPARE(document.trait, kBlack);
    QCOMPARE(document.lastMove, std::uint16_t{1});
    QVERIFY(document.lastMoveDate.has_value());
    const QString date = QString::fromStdU16String(*document.lastMoveDate);
    QVERIFY2(date == before || date == after, qPrintable(date));
    QVERIFY(display.IsModified());
    QVERIFY(!display.CanDiscard());
}

void GameDisplayExchangeTest::sendByBlackKeepsTheMoveNumber() {
    SetOwnerIdentity(u"boris", u"boris@example.org");  // the case does not matter
    GameDocument document(nullptr);
    MakeEmailGame(document);
    Play(document.root, u"e4 e5");
    document.lastMove = 1;
    document.trait = kBlack;
    document.SetLastMoveDate(u"01.02");
    FakeMail mail;
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    QVERIFY(display.HandleCommand(kCmdSendMove));
    QCOMPARE(mail.sendCalls, 1);
    QCOMPARE(document.trait, kWhite);
    QCOMPARE(document.lastMove, std::uint16_t{1});
    QVERIFY(*document.lastMoveDate != u"01.02");
}

void GameDisplayExchangeTest::sendForAnotherPlayerAsksFirst() {
    SetOwnerIdentity(u"Boris", u"boris@example.org");
    GameDocument document(nullptr);
    MakeEmailGame(document);
    Play(document.root, u"e4");
    FakeMail mail;
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    std::optional<SeenBox> seen;
    AnswerNextBox(seen, QMessageBox::Yes);
    QVERIFY(display.HandleCommand(kCmdSendMove));
    QVERIFY(seen.has_value());
    QCOMPARE(seen->caption, QStringLiteral("Confirmation"));
    QCOMPARE(seen->icon, QMessageBox::Question);
    QCOMPARE(seen->text, QStringLiteral("Player to move is 'Anna' and does not seem to be you "
                                        "('Boris'), do you want to continue ?"));
    QCOMPARE(mail.sendCalls, 1);
    QCOMPARE(document.trait, kBlack);
}

void GameDisplayExchangeTest::sendForAnotherPlayerStopsOnNo() {
    SetOwnerIdentity(u"Boris", u"boris@example.org");
    GameDocument document(nullptr);
    MakeEmailGame(document);
    Play(document.root, u"e4");
    FakeMail mail;
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    std::optional<SeenBox> seen;
    AnswerNextBox(seen, QMessageBox::No);
    QVERIFY(display.HandleCommand(kCmdSendMove));
    QVERIFY(seen.has_value());
    QCOMPARE(mail.sendCalls, 0);
    QCOMPARE(document.trait, kWhite);
    QCOMPARE(document.lastMove, std::uint16_t{0});
    QVERIFY(display.CanDiscard());
    QVERIFY(!display.IsModified());
}

void GameDisplayExchangeTest::sendWithoutThePlayersNameAsks() {
    // The owner's name is empty too: an unset tag must not pass for it.
    SetOwnerIdentity(u"", u"");
    GameDocument document(nullptr);
    MakeEmailGame(document);
    document.SetWhite(std::nullopt);
    Play(document.root, u"d4");
    FakeMail mail;
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    std::optional<SeenBox> seen;
    AnswerNextBox(seen, QMessageBox::No);
    QVERIFY(display.HandleCommand(kCmdSendMove));
    QVERIFY(seen.has_value());
    QCOMPARE(seen->text, QStringLiteral("Player to move is '' and does not seem to be you "
                                        "(''), do you want to continue ?"));
    QCOMPARE(mail.sendCalls, 0);
}

void GameDisplayExchangeTest::failedSendChangesNothing() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    FakeMail mail;
    mail.sendResult = false;
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    Type(display, "5254");
    QVERIFY(display.HandleCommand(kCmdSendMove));
    QCOMPARE(mail.sendCalls, 1);
    QCOMPARE(document.trait, kWhite);
    QCOMPARE(document.lastMove, std::uint16_t{0});
    QVERIFY(!document.lastMoveDate.has_value());
    QVERIFY(display.CanDiscard());
}

void GameDisplayExchangeTest::sentGameCannotBeDiscardedAndIsSaved() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    Play(document.root, u"e4");
    FakeMail mail;
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    bool closeNoSaveOffered = true;
    QTimer::singleShot(0, [&] {
        display.HandleCommand(kCmdSendMove);
        closeNoSaveOffered = MenuItemEnabled(display, *display.BoardBar(), kCmdCloseNoSave);
        // Esc and Close, no save must not drop the sent move.
        display.HandleCommand(kCmdCloseNoSave);
        QTest::keyClick(&display, Qt::Key_F1);
    });
    QVERIFY(RunGameDisplay(display, nullptr, document));
    QCOMPARE(mail.sendCalls, 1);
    QVERIFY(!closeNoSaveOffered);
}

void GameDisplayExchangeTest::answerOnOwnTurnAsksFirst() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    FakeMail mail;
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    std::optional<SeenBox> seen;
    AnswerNextBox(seen, QMessageBox::No);
    QVERIFY(display.HandleCommand(kCmdGetAnswer));
    QVERIFY(seen.has_value());
    QCOMPARE(seen->caption, QStringLiteral("Confirmation"));
    QCOMPARE(seen->icon, QMessageBox::Question);
    QCOMPARE(seen->text, QStringLiteral("It seem to be your turn to play, do you really want to "
                                        "import an anwser ?"));
    QCOMPARE(mail.answerCalls, 0);

    seen.reset();
    AnswerNextBox(seen, QMessageBox::Yes);
    QVERIFY(display.HandleCommand(kCmdGetAnswer));
    QVERIFY(seen.has_value());
    QCOMPARE(mail.answerCalls, 1);
}

void GameDisplayExchangeTest::answerWithoutThePlayersNameAsks() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    document.trait = kBlack;
    document.SetBlack(std::nullopt);
    FakeMail mail;
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    std::optional<SeenBox> seen;
    AnswerNextBox(seen, QMessageBox::No);
    QVERIFY(display.HandleCommand(kCmdGetAnswer));
    QVERIFY(seen.has_value());
    QCOMPARE(mail.answerCalls, 0);
}

void GameDisplayExchangeTest::answerInAVariationIsRaisedOneLevel() {
    // Anna sent 1. e4; Boris's answer 1... c5 had been studied inside a variation.
    GameDocument document(nullptr);
    MakeEmailGame(document);
    Position* afterE4 = Play(document.root, u"e4");
    Play(*afterE4, u"e5 Nf3");
    Position* afterC5 = Play(*afterE4, u"c5");
    MoveNode* c5 = afterC5->incomingMove;
    QCOMPARE(int{c5->depth}, 1);
    document.lastMove = 1;
    document.trait = kBlack;
    FakeMail mail;
    mail.answer = {c5, u"03.07"};
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    QCOMPARE(document.GetCurrent(), afterE4);
    QVERIFY(display.HandleCommand(kCmdGetAnswer));
    QCOMPARE(mail.answerCalls, 1);
    QCOMPARE(int{c5->depth}, 0);
    QCOMPARE(afterE4->firstMove.get(), c5);
    // The board shows the answer; the document stays where it was.
    QCOMPARE(display.DisplayedPosition(), afterC5);
    QCOMPARE(document.GetCurrent(), afterE4);
    QCOMPARE(display.StatusLabel(GameDisplay::kLastMove)->text(), QStringLiteral("1... c5"));
    QCOMPARE(display.StatusLabel(GameDisplay::kDepth)->text(), QStringLiteral("-"));
    QCOMPARE(document.trait, kWhite);
    QCOMPARE(document.lastMove, std::uint16_t{1});
    QCOMPARE(*document.lastMoveDate, std::u16string(u"03.07"));
    QVERIFY(!display.CanDiscard());
    QVERIFY(display.IsModified());
    QVERIFY(display.IsListDirty());
    // After Go to Current the exchange position is the one after the answer.
    QVERIFY(display.HandleCommand(kCmdGoToCurrent));
    QCOMPARE(document.GetCurrent(), afterC5);
}

void GameDisplayExchangeTest::answerOnTheMainLineRefreshesTheList() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    Position* afterE4 = Play(document.root, u"e4");
    document.lastMove = 1;
    document.trait = kBlack;
    FakeMail mail;
    // The answer read from a message is new to the tree.
    mail.onGetAnswer = [&mail, afterE4](GameDocument&) {
        Position* after = ParseSan(*afterE4, u"e5");
        mail.answer = {after != nullptr ? after->incomingMove : nullptr, u"11.30"};
    };
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    // The list is built once before the answer arrives.
    QVERIFY(display.HandleCommand(kCmdViewMoveList));
    QVERIFY(display.HandleCommand(kCmdShowBoard));
    QCOMPARE(display.MoveList()->count(), 2);
    QVERIFY(!display.IsListDirty());
    QVERIFY(display.HandleCommand(kCmdGetAnswer));
    QVERIFY(mail.answer.move != nullptr);
    QVERIFY(display.IsListDirty());
    QVERIFY(display.HandleCommand(kCmdViewMoveList));
    QCOMPARE(display.MoveList()->count(), 3);
    QCOMPARE(display.MoveList()->item(2)->text().trimmed(), QStringLiteral("1... e5"));
}

void GameDisplayExchangeTest::answerInListModeRebuildsAtOnce() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    Position* afterE4 = Play(document.root, u"e4");
    Play(*afterE4, u"e5");
    Position* afterD5 = Play(*afterE4, u"d5");
    document.lastMove = 1;
    document.trait = kBlack;
    FakeMail mail;
    mail.answer = {afterD5->incomingMove, u"11.30"};
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    QVERIFY(display.HandleCommand(kCmdViewMoveList));
    QVERIFY(display.HandleCommand(kCmdGetAnswer));
    const int row = display.MoveList()->FindRow(afterD5->incomingMove);
    QCOMPARE(row, 2);  // now first after 1. e4
    QCOMPARE(display.MoveList()->currentRow(), row);
    QVERIFY(!display.IsListDirty());
}

void GameDisplayExchangeTest::givingUpTheAnswerChangesNothing() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    Position* afterE4 = Play(document.root, u"e4");
    document.lastMove = 1;
    document.trait = kBlack;
    FakeMail mail;
    GameDisplay display;
    display.SetExchangeDialogs(mail.Dialogs());
    OpenOnScreen(display, document);
    QVERIFY(display.HandleCommand(kCmdGetAnswer));
    QCOMPARE(mail.answerCalls, 1);
    QCOMPARE(display.DisplayedPosition(), afterE4);
    QCOMPARE(document.trait, kBlack);
    QVERIFY(!document.lastMoveDate.has_value());
    QVERIFY(display.CanDiscard());
    QVERIFY(!display.IsModified());
}

void GameDisplayExchangeTest::withoutMailScreensBothCommandsDoNothing() {
    GameDocument document(nullptr);
    MakeEmailGame(document);
    GameDisplay display;
    OpenOnScreen(display, document);
    screen_test::ModalWatchdog watchdog(50);
    QVERIFY(display.HandleCommand(kCmdSendMove));
    QVERIFY(display.HandleCommand(kCmdGetAnswer));
    QCOMPARE(watchdog.closed(), 0);
    QCOMPARE(document.trait, kWhite);
    QVERIFY(display.CanDiscard());
}

QTEST_MAIN(GameDisplayExchangeTest)
#include "game_display_exchange_test.moc"
