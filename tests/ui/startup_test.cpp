#include <cerrno>

#include "app/program_startup.h"
#include "messaging/message_store.h"
#include "tests/support/screen_test_support.h"

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
        screen_test::ScreenAnswerer notices;
        QStringList& log = notices.log;
        const auto step = [&log](const char* name) { return [&log, name] { log << name; }; };
        const auto open = [&log](const char* name, bool opens) {
            return [&log, name, opens] {
                log << name;
                return opens;
            };
        };
        QCOMPARE(RunStartupSteps({step("load owner"), step("first settings"),
                                  step("create drawing"), open("open contacts", contactsOpen),
                                  open("open messaging", messagingOpen), step("games list"),
                                  step("close messaging"), step("close contacts"),
                                  step("free drawing"), step("save owner")}),
                 0);
        QStringList expected{"load owner", "first settings", "create drawing", "open contacts"};
        if (!contactsOpen) {
            expected << "NoIcon [Korvani] Address book not available, some features may not work";
        }
        expected << "open messaging";
        if (!messagingOpen) {
            expected << "NoIcon [Korvani] Messaging not initialized, some features may not work";
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
