#include <QMessageBox>
#include <QtTest>
#include <cerrno>

#include "app/program_startup.h"
#include "messaging/message_store.h"

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    // The steps run in order; a session that fails to open is told once, contacts first,
    // and the run goes on without it.
    void steps_data() {
        QTest::addColumn<bool>("contactsOpen");
        QTest::addColumn<bool>("messagingOpen");
        QTest::newRow("both sessions open") << true << true;
        QTest::newRow("both fail") << false << false;
        QTest::newRow("only messaging fails") << true << false;
        QTest::newRow("only contacts fail") << false << true;
    }

    void steps() {
        QFETCH(bool, contactsOpen);
        QFETCH(bool, messagingOpen);
        QStringList log;
        const auto step = [&log](const char* name) { return [&log, name] { log << name; }; };
        const auto open = [&log](const char* name, bool opens) {
            return [&log, name, opens] { return (log << name), opens; };
        };
        const StartupSteps steps{step("load owner"),
                                 step("first settings"),
                                 step("create drawing"),
                                 open("open contacts", contactsOpen),
                                 open("open messaging", messagingOpen),
                                 step("games list"),
                                 step("close messaging"),
                                 step("close contacts"),
                                 step("free drawing"),
                                 step("save owner")};
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&log] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                log << QStringLiteral("[%1] %2 (%3 button, icon %4)")
                           .arg(box->windowTitle(), box->text())
                           .arg(box->buttons().size())
                           .arg(box->icon());
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        poll.start(10);
        QCOMPARE(RunStartupSteps(steps), 0);
        QStringList expected{"load owner", "first settings", "create drawing", "open contacts"};
        if (!contactsOpen) {
            expected << "[Korvani] Address book not available, some features may not work "
                        "(1 button, icon 0)";
        }
        expected << "open messaging";
        if (!messagingOpen) {
            expected << "[Korvani] Messaging not initialized, some features may not work "
                        "(1 button, icon 0)";
        }
        expected << "games list"
                 << "close messaging"
                 << "close contacts"
                 << "free drawing";
        QCOMPARE(log, expected << "save owner");
    }

    // Logon fails only when every store failed; the first one's reason is given.
    void mailStoreFailureNamesTheStoreAndTheReason() {
        MessagingSettings settings;
        QCOMPARE(MailStoreErrorText(settings, ENOENT),
                 u"Cannot open the mail store: No such file or directory");
        settings.stores = {"/home/ann/Mail", "/home/ann/Other"};
        QCOMPARE(MailStoreErrorText(settings, ENOTDIR),
                 u"Cannot open the mail store /home/ann/Mail: Not a directory");
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
