// Send move and Get answer on the game display: the checks before each, the e-mail
// state advanced afterwards and what the screen shows. The mail screens themselves
// are stood in for by recording functions; the whole road through the real ones is
// the end-to-end exchange test.
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <optional>

#include "contacts/owner_identity.h"
#include "tests/support/game_screen_fixtures.h"
#include "resources/resource_ids.h"
#include "rules/square.h"
#include "ui/game/drawing_resources.h"
#include "ui/game/move_list_view.h"

using namespace screen_test;

namespace {

// The owner of the run that each test sets.
OwnerIdentity runOwner;

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
        dialogs.owner = &runOwner;
        dialogs.sendMove = [this](QWidget*, GameDocument&) {
            ++sendCalls;
            return sendResult;
        };
        dialogs.getAnswer = [this](QWidget*, GameDocument& game, const std::filesystem::path&) {
            ++answerCalls;
            if (onGetAnswer) {
                onGetAnswer(game);
            }
            return answer;
        };
        return dialogs;
    }
};

// An e-mail game on a display whose mail screens are `mail`.
struct ExchangeScreen {
    ExchangeScreen() { MakeEmailGame(document); }
    // White sent 1. e4 and waits for Black's answer.
    Position* AfterWhiteSent() {
        Position* afterE4 = Play(document.root, u"e4");
        document.lastMove = 1;
        document.trait = kBlack;
        return afterE4;
    }
    void Open() {
        display.SetExchangeDialogs(mail.Dialogs());
        OpenOnScreen(display, document);
    }
    // Runs `command`, answering the message box it opens with `button`.
    std::optional<SeenBox> Answering(int command, QMessageBox::StandardButton button) {
        std::optional<SeenBox> seen;
        AnswerNextBox(seen, button);
        if (!display.HandleCommand(command)) {
            qWarning("command %d not handled", command);
            return std::nullopt;
        }
        return seen;
    }

    GameDocument document{nullptr};
    FakeMail mail;
    GameDisplay display;
};

}  // namespace

class GameDisplayExchangeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CreateDrawingResources(); }
    void init() { runOwner.Set(u"Anna", u"anna@example.org"); }
    void cleanup() { screen_test::CancelPending(); }

    void sendWithoutAMoveAsksForOne();
    void sendOnOwnTurnAdvancesTheGameIfSent_data();
    void sendOnOwnTurnAdvancesTheGameIfSent();
    void sendByBlackKeepsTheMoveNumber();
    void sendForAnotherPlayerAsksFirst_data();
    void sendForAnotherPlayerAsksFirst();
    void sentGameCannotBeDiscardedAndIsSaved();
    void answerOnOwnTurnAsksFirst_data();
    void answerOnOwnTurnAsksFirst();
    void answerInAVariationIsRaisedOneLevel();
    void answerOnTheMainLineRefreshesTheList();
    void answerInListModeRebuildsAtOnce();
    void givingUpTheAnswerChangesNothing();
    void withoutMailScreensBothCommandsDoNothing();
};

void GameDisplayExchangeTest::sendWithoutAMoveAsksForOne() {
    ExchangeScreen screen;
    screen.Open();
    const std::optional<SeenBox> seen = screen.Answering(kCmdSendMove, QMessageBox::Ok);
    QVERIFY(seen.has_value());
    QCOMPARE(seen->text, QStringLiteral("Please enter first your move on the board"));
    QCOMPARE(seen->caption, QStringLiteral("Korvani"));
    QCOMPARE(seen->icon, QMessageBox::Critical);
    QCOMPARE(screen.mail.sendCalls, 0);
    QVERIFY(!screen.display.IsModified());
    QCOMPARE(screen.document.trait, kWhite);
}

void GameDisplayExchangeTest::sendOnOwnTurnAdvancesTheGameIfSent_data() {
    QTest::addColumn<bool>("sent");
    QTest::newRow("sent") << true;
    QTest::newRow("failed send changes nothing") << false;
}

void GameDisplayExchangeTest::sendOnOwnTurnAdvancesTheGameIfSent() {
    QFETCH(bool, sent);
    ExchangeScreen screen;
    screen.mail.sendResult = sent;
    screen.Open();
    Type(screen.display, "5254");
    const QString before = TodayUtc();
    QVERIFY(screen.display.HandleCommand(kCmdSendMove));
    const QString after = TodayUtc();
    QCOMPARE(screen.mail.sendCalls, 1);
    QCOMPARE(screen.document.trait, sent ? kBlack : kWhite);
    QCOMPARE(int{screen.document.lastMove}, sent ? 1 : 0);
    QCOMPARE(screen.document.lastMoveDate.has_value(), sent);
    if (sent) {
        const QString date = QString::fromStdU16String(*screen.document.lastMoveDate);
        QVERIFY2(date == before || date == after, qPrintable(date));
        QVERIFY(screen.display.IsModified());
    }
    QCOMPARE(screen.display.CanDiscard(), !sent);
}

void GameDisplayExchangeTest::sendByBlackKeepsTheMoveNumber() {
    runOwner.Set(u"boris", u"boris@example.org");  // the case does not matter
    ExchangeScreen screen;
    Play(screen.document.root, u"e4 e5");
    screen.document.lastMove = 1;
    screen.document.trait = kBlack;
    screen.document.SetLastMoveDate(u"01.02");
    screen.Open();
    QVERIFY(screen.display.HandleCommand(kCmdSendMove));
    QCOMPARE(screen.mail.sendCalls, 1);
    QCOMPARE(screen.document.trait, kWhite);
    QCOMPARE(screen.document.lastMove, std::uint16_t{1});
    QVERIFY(*screen.document.lastMoveDate != u"01.02");
}

void GameDisplayExchangeTest::sendForAnotherPlayerAsksFirst_data() {
    QTest::addColumn<QString>("owner");
    QTest::addColumn<bool>("whiteNamed");
    QTest::addColumn<QMessageBox::StandardButton>("button");
    QTest::addColumn<QString>("text");
    const QString asked = QStringLiteral(
        "Player to move is 'Anna' and does not seem to be you ('Boris'), do you want to "
        "continue ?");
    QTest::newRow("yes sends") << QStringLiteral("Boris") << true << QMessageBox::Yes << asked;
    QTest::newRow("no stops") << QStringLiteral("Boris") << true << QMessageBox::No << asked;
    // The owner's name is empty too: an unset tag must not pass for it.
    QTest::newRow("no name") << QString() << false << QMessageBox::No
                             << QStringLiteral(
                                    "Player to move is '' and does not seem to be "
                                    "you (''), do you want to continue ?");
}

void GameDisplayExchangeTest::sendForAnotherPlayerAsksFirst() {
    QFETCH(QString, owner);
    QFETCH(bool, whiteNamed);
    QFETCH(QMessageBox::StandardButton, button);
    QFETCH(QString, text);
    runOwner.Set(owner.toStdU16String(), owner.isEmpty() ? u"" : u"boris@example.org");
    ExchangeScreen screen;
    if (!whiteNamed) {
        screen.document.SetWhite(std::nullopt);
    }
    Play(screen.document.root, u"e4");
    screen.Open();
    const std::optional<SeenBox> seen = screen.Answering(kCmdSendMove, button);
    QVERIFY(seen.has_value());
    QCOMPARE(seen->caption, QStringLiteral("Confirmation"));
    QCOMPARE(seen->icon, QMessageBox::Question);
    QCOMPARE(seen->text, text);
    if (button == QMessageBox::Yes) {
        QCOMPARE(screen.mail.sendCalls, 1);
        QCOMPARE(screen.document.trait, kBlack);
    } else {
        QCOMPARE(screen.mail.sendCalls, 0);
        QCOMPARE(screen.document.trait, kWhite);
        QCOMPARE(screen.document.lastMove, std::uint16_t{0});
        QVERIFY(screen.display.CanDiscard());
        QVERIFY(!screen.display.IsModified());
    }
}

void GameDisplayExchangeTest::sentGameCannotBeDiscardedAndIsSaved() {
    ExchangeScreen screen;
    Play(screen.document.root, u"e4");
    GameDisplay& display = screen.display;
    display.SetExchangeDialogs(screen.mail.Dialogs());
    bool closeNoSaveOffered = true;
    QTimer::singleShot(0, [&] {
        display.HandleCommand(kCmdSendMove);
        closeNoSaveOffered = MenuItemEnabled(display, *display.BoardBar(), kCmdCloseNoSave);
        // Esc and Close, no save must not drop the sent move.
        display.HandleCommand(kCmdCloseNoSave);
        QTest::keyClick(&display, Qt::Key_F1);
    });
    QVERIFY(RunGameDisplay(display, nullptr, screen.document));
    QCOMPARE(screen.mail.sendCalls, 1);
    QVERIFY(!closeNoSaveOffered);
}

void GameDisplayExchangeTest::answerOnOwnTurnAsksFirst_data() {
    QTest::addColumn<bool>("blackNamed");  // else Black to move without a name
    QTest::addColumn<QMessageBox::StandardButton>("button");
    QTest::newRow("own turn, no") << true << QMessageBox::No;
    QTest::newRow("own turn, yes") << true << QMessageBox::Yes;
    QTest::newRow("no player's name, no") << false << QMessageBox::No;
}

void GameDisplayExchangeTest::answerOnOwnTurnAsksFirst() {
    QFETCH(bool, blackNamed);
    QFETCH(QMessageBox::StandardButton, button);
    ExchangeScreen screen;
    if (!blackNamed) {
        screen.document.trait = kBlack;
        screen.document.SetBlack(std::nullopt);
    }
    screen.Open();
    const std::optional<SeenBox> seen = screen.Answering(kCmdGetAnswer, button);
    QVERIFY(seen.has_value());
    QCOMPARE(seen->caption, QStringLiteral("Confirmation"));
    QCOMPARE(seen->icon, QMessageBox::Question);
    if (blackNamed) {
        QCOMPARE(seen->text, QStringLiteral("It seem to be your turn to play, do you really "
                                            "want to import an anwser ?"));
    }
    QCOMPARE(screen.mail.answerCalls, button == QMessageBox::Yes ? 1 : 0);
}

void GameDisplayExchangeTest::answerInAVariationIsRaisedOneLevel() {
    // Anna sent 1. e4; Boris's answer 1... c5 had been studied inside a variation.
    ExchangeScreen screen;
    GameDocument& document = screen.document;
    GameDisplay& display = screen.display;
    Position* afterE4 = screen.AfterWhiteSent();
    Play(*afterE4, u"e5 Nf3");
    Position* afterC5 = Play(*afterE4, u"c5");
    MoveNode* c5 = afterC5->incomingMove;
    QCOMPARE(int{c5->depth}, 1);
    screen.mail.answer = {c5, u"03.07"};
    screen.Open();
    QCOMPARE(document.GetCurrent(), afterE4);
    QVERIFY(display.HandleCommand(kCmdGetAnswer));
    QCOMPARE(screen.mail.answerCalls, 1);
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
    ExchangeScreen screen;
    GameDisplay& display = screen.display;
    FakeMail& mail = screen.mail;
    Position* afterE4 = screen.AfterWhiteSent();
    // The answer read from a message is new to the tree.
    mail.onGetAnswer = [&mail, afterE4](GameDocument&) {
        Position* after = ParseSan(*afterE4, u"e5");
        mail.answer = {after != nullptr ? after->incomingMove : nullptr, u"11.30"};
    };
    screen.Open();
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
    ExchangeScreen screen;
    GameDisplay& display = screen.display;
    Position* afterE4 = screen.AfterWhiteSent();
    Play(*afterE4, u"e5");
    Position* afterD5 = Play(*afterE4, u"d5");
    screen.mail.answer = {afterD5->incomingMove, u"11.30"};
    screen.Open();
    QVERIFY(display.HandleCommand(kCmdViewMoveList));
    QVERIFY(display.HandleCommand(kCmdGetAnswer));
    const int row = display.MoveList()->FindRow(afterD5->incomingMove);
    QCOMPARE(row, 2);  // now first after 1. e4
    QCOMPARE(display.MoveList()->currentRow(), row);
    QVERIFY(!display.IsListDirty());
}

void GameDisplayExchangeTest::givingUpTheAnswerChangesNothing() {
    ExchangeScreen screen;
    Position* afterE4 = screen.AfterWhiteSent();
    screen.Open();
    QVERIFY(screen.display.HandleCommand(kCmdGetAnswer));
    QCOMPARE(screen.mail.answerCalls, 1);
    QCOMPARE(screen.display.DisplayedPosition(), afterE4);
    QCOMPARE(screen.document.trait, kBlack);
    QVERIFY(!screen.document.lastMoveDate.has_value());
    QVERIFY(screen.display.CanDiscard());
    QVERIFY(!screen.display.IsModified());
}

void GameDisplayExchangeTest::withoutMailScreensBothCommandsDoNothing() {
    ExchangeScreen screen;
    OpenOnScreen(screen.display, screen.document);
    screen_test::ModalWatchdog watchdog(50);
    QVERIFY(screen.display.HandleCommand(kCmdSendMove));
    QVERIFY(screen.display.HandleCommand(kCmdGetAnswer));
    QCOMPARE(watchdog.closed(), 0);
    QCOMPARE(screen.document.trait, kWhite);
    QVERIFY(screen.display.CanDiscard());
}

QTEST_MAIN(GameDisplayExchangeTest)
#include "game_display_exchange_test.moc"
