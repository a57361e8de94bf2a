#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <cerrno>

#include "app/program_startup.h"
#include "messaging/message_store.h"
#include "tests/support/screen_test_support.h"

namespace {

// Records the start-up steps and the notices in the order they happen; each notice
// is answered with its OK button.
class StepRecorder {
public:
    StepRecorder(bool contactsOpen, bool messagingOpen) {
        steps.loadOwnerIdentity = [this] { log << "load owner"; };
        steps.askFirstSettings = [this] { log << "first settings"; };
        steps.createDrawingResources = [this] { log << "create drawing"; };
        steps.openContacts = [this, contactsOpen] {
            log << "open contacts";
            return contactsOpen;
        };
        steps.openMessaging = [this, messagingOpen] {
            log << "open messaging";
            return messagingOpen;
        };
        steps.runGamesList = [this] { log << "games list"; };
        steps.closeMessaging = [this] { log << "close messaging"; };
        steps.closeContacts = [this] { log << "close contacts"; };
        steps.freeDrawingResources = [this] { log << "free drawing"; };
        steps.saveOwnerIdentity = [this] { log << "save owner"; };
        // Polls for notices for as long as the recorder lives.
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, [this] { AnswerNotice(); });
        poll_.start();
    }

    StartupSteps steps;
    QStringList log;

private:
    void AnswerNotice() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        log << QStringLiteral("notice [%1] %2 (%3 buttons, icon %4)")
                   .arg(box->windowTitle(), box->text())
                   .arg(box->buttons().size())
                   .arg(int(box->icon()));
        QTest::keyClick(box, Qt::Key_Return);
    }

    QTimer poll_;
};

const QString kContactsNotice = QStringLiteral(
    "notice [Korvani] Address book not available, some features may not work (1 buttons, "
    "icon 0)");
const QString kMessagingNotice = QStringLiteral(
    "notice [Korvani] Messaging not initialized, some features may not work (1 buttons, icon "
    "0)");

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { screen_test::CancelPending(); }
    void stepsRunInOrderWithTheirNotices_data();
    void stepsRunInOrderWithTheirNotices();
    void mailStoreFailureNamesTheStoreAndTheReason();

private:
    screen_test::ModalWatchdog watchdog_;
};

void StartupTest::stepsRunInOrderWithTheirNotices_data() {
    QTest::addColumn<bool>("contactsOpen");
    QTest::addColumn<bool>("messagingOpen");
    QTest::addColumn<QStringList>("expected");
    const QStringList before = {"load owner", "first settings", "create drawing", "open contacts"};
    const QStringList after = {"games list", "close messaging", "close contacts", "free drawing",
                               "save owner"};
    QTest::newRow("both sessions open")
        << true << true << (before + QStringList{"open messaging"} + after);
    QTest::newRow("both fail: contacts notice first")
        << false << false
        << (before + QStringList{kContactsNotice, "open messaging", kMessagingNotice} + after);
    QTest::newRow("only messaging fails")
        << true << false << (before + QStringList{"open messaging", kMessagingNotice} + after);
    QTest::newRow("only contacts fail")
        << false << true << (before + QStringList{kContactsNotice, "open messaging"} + after);
}

void StartupTest::stepsRunInOrderWithTheirNotices() {
    QFETCH(bool, contactsOpen);
    QFETCH(bool, messagingOpen);
    QFETCH(QStringList, expected);
    StepRecorder recorder(contactsOpen, messagingOpen);
    QCOMPARE(RunStartupSteps(recorder.steps), 0);
    QCOMPARE(recorder.log, expected);
}

void StartupTest::mailStoreFailureNamesTheStoreAndTheReason() {
    MessagingSettings settings;
    QCOMPARE(QString::fromStdU16String(MailStoreErrorText(settings, ENOENT)),
             QStringLiteral("Cannot open the mail store: No such file or directory"));
    // Logon fails only when every store failed; the first one's reason is given.
    settings.stores = {"/home/ann/Mail", "/home/ann/Other"};
    QCOMPARE(QString::fromStdU16String(MailStoreErrorText(settings, ENOTDIR)),
             QStringLiteral("Cannot open the mail store /home/ann/Mail: Not a directory"));
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
