// Start-up: its steps in order, the first settings and their boxes, one instance per games file.
#include <cerrno>

#include "app/program_startup.h"
#include "contacts/owner_identity.h"
#include "messaging/message_store.h"
#include "tests/support/screen_script.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/games_list/settings_dialog.h"
#include "ui/new_game/new_game_dialog.h"

using screen_test::ReadFile;

namespace {

constexpr int kTimeoutMs = 30000;

// The program in its own process: `home` with an owner set, the instance server in `runtime`.
class Run {
public:
    Run(const QString& home, const QString& runtime) {
        QVERIFY(screen_test::WriteFile(home + QStringLiteral("/config/korvani/device.ini"),
                                       "[Owner]\nName=Ann\nE-mail=ann@example.org\n"));
        // The later of two settings of one variable wins.
        process.setEnvironment(
            QProcess::systemEnvironment() +
            QStringList{"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/config",
                        "XDG_DATA_HOME=" + home + "/data", "XDG_CACHE_HOME=" + home + "/cache",
                        "XDG_RUNTIME_DIR=" + runtime, "QT_QPA_PLATFORM=offscreen",
                        "QT_LOGGING_RULES=korvani.*.debug=true"});
        process.start(QStringLiteral(KORVANI_PROGRAM), QStringList{});
    }
    ~Run() {
        process.kill();
        process.waitForFinished(kTimeoutMs);
    }

    // Whether the program wrote `text` to its error output so far.
    bool Said(const QString& text) {
        log_ += QString::fromLocal8Bit(process.readAllStandardError());
        return log_.contains(text);
    }
    bool Runs() { return Said(QStringLiteral("games list shown")); }
    bool Ended() {
        return process.state() == QProcess::NotRunning &&
               process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
    // Running, ended, or stopped at the box that says the games file is in use.
    bool Settled() { return Runs() || Ended() || Said(QStringLiteral("games file in use")); }

    QProcess process;
    QString log_;
};

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    // The steps in order; a session that fails to open is told once, contacts first.
    void steps() {
        for (int fails = 0; fails < 4; ++fails) {  // contacts fail: 1 and 3, messaging: 2 and 3
            screen_test::ScreenAnswerer notices;
            QStringList& log = notices.log;
            const auto step = [&log](const char* name, bool opens = true) {
                return [&log, name, opens] { return !(log << name).isEmpty() && opens; };
            };
            QCOMPARE(RunStartupSteps({step("load owner"), step("first settings"),
                                      step("create drawing"), step("open contacts", !(fails & 1)),
                                      step("open messaging", !(fails & 2)), step("games list"),
                                      step("close messaging"), step("close contacts"),
                                      step("free drawing"), step("save owner")}),
                     0);
            // clang-format off
            QCOMPARE(log.join('|'), "load owner|first settings|create drawing|open contacts" +
                     QString(fails & 1 ? "|NoIcon [Korvani] Address book not available, some features may not work" : "") +
                     "|open messaging" +
                     QString(fails & 2 ? "|NoIcon [Korvani] Messaging not initialized, some features may not work" : "") +
                     "|games list|close messaging|close contacts|free drawing|save owner");
            // clang-format on
        }
    }

    // Logon fails only when every store failed; the first one's reason is given.
    void mailStoreFailureNamesTheStoreAndTheReason() {
        MessagingSettings settings;
        // clang-format off
        QCOMPARE(MailStoreErrorText(settings, ENOENT), u"Cannot open the mail store: No such file or directory");
        settings.stores = {"/home/ann/Mail", "/home/ann/Other"};
        QCOMPARE(MailStoreErrorText(settings, ENOTDIR), u"Cannot open the mail store /home/ann/Mail: Not a directory");
        // clang-format on
    }

    // Asked for first, reopened from the menu, saved keeping the user's lines; New Game reads
    // the address book saved.
    void firstStartAsksForTheOwnerAndTheMenuReopensIt() {
        const QString home = folder_.filePath(QStringLiteral("first"));
        const QString ini = home + QStringLiteral("/config/korvani/device.ini");
        const QString book = home + QStringLiteral("/friends.vcf");
        const QByteArray own = "; kept as written\n[Messaging]\nStores=" + home.toUtf8() +
                               "/Maildir\n\n[Extra]\nColour=blue\n";
        QVERIFY(screen_test::UseHome(home) && screen_test::WriteFile(ini, own));
        QVERIFY(screen_test::WriteFile(
            book, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Durand;Bob\r\nEMAIL:b@x.org\r\nEND:VCARD\r\n"));
        // Tabs `count` times, then types `text` into the field reached.
        const auto type = [](int count, const QString& text) {
            for (; count > 0; --count) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            QTest::keyClicks(QApplication::focusWidget(), text);
        };
        ScreenScript script;
        script.ThenOn<SettingsDialog>("Settings first", {}, [type](SettingsDialog& dialog) {
            type(0, "Ann Example");
            type(1, "ann@example.org");
            QTest::keyClick(&dialog, Qt::Key_F1);
        });
        script.ThenKey<GamesListDialog>("the games list", Qt::Key_F2);
        script.ThenMenu(QStringLiteral("Settings..."));
        script.ThenOn<SettingsDialog>("Settings again", {}, [type, book](SettingsDialog& dialog) {
            QCOMPARE(dialog.emailEdit()->text(), QStringLiteral("ann@example.org"));
            type(5, book);  // past name, e-mail, folders, send command and Test
            QTest::keyClick(&dialog, Qt::Key_Return);
        });
        script.ThenKey<GamesListDialog>("the games list", Qt::Key_F2);
        script.ThenMenu(QStringLiteral("New..."));
        script.ThenOn<NewGameDialog>(
            "New Game", [](NewGameDialog& dialog) { return dialog.opponentList()->count() == 1; },
            [](NewGameDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_F2); });
        script.ThenKey<GamesListDialog>("the games list", Qt::Key_Escape);
        QCOMPARE(RunKorvani(), 0);
        QVERIFY2(script.Finished(), qPrintable(script.StalledAt()));
        const QByteArray added =
            "\n[Owner]\nName=Ann Example\nE-mail=ann@example.org\n\n[Contacts]\n";
        QCOMPARE(ReadFile(ini), own + added + "AddressBook=" + book.toUtf8() + "\n");
    }

    void boxes_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("command");  // %1: the file the message is written to
        QTest::addColumn<QString>("box");      // %1: the settings file
        const auto row = [](const char* name, const char* setup, const char* command,
                            const char* box) { QTest::newRow(name) << setup << command << box; };
        // clang-format off
        row("Test sends to the owner", "Test", "cat > '%1'", "Information [Settings] A test message to ann@example.org was handed to the send command.");
        row("Test, the command fails", "Test", "cat > '%1'; exit 3", "Critical [Settings] The send command ended with exit status 3.");
        row("Test without a command", "Test", "", "Information [Settings] No send command is set: a move you send stays in the outbox");
        row("Done without a name", "no name", "", "Critical [Error] Your name is mandatory");
        row("Done without an e-mail", "no e-mail", "", "Critical [Error] Your email is mandatory");
        row("settings that cannot be read", "folder", "", "Critical [Settings] Cannot read the settings %1: Is a directory");
        // A link to a file in a folder that not even root can write to.
        row("settings that cannot be saved", "/proc/version", "", "Critical [Settings] Cannot save the settings %1: ");
        // clang-format on
    }

    void boxes() {
        QFETCH(QString, setup);
        QFETCH(QString, command);
        QFETCH(QString, box);
        const QString ini = folder_.filePath(QTest::currentDataTag() + QStringLiteral(".ini"));
        const QString message = folder_.filePath(QTest::currentDataTag() + QStringLiteral(".eml"));
        QVERIFY(setup != "folder" || QDir().mkpath(ini));
        QVERIFY(!setup.startsWith('/') || QFile::link(setup, ini));
        OwnerIdentity owner;
        owner.Set(setup == "no name" ? u"" : u"Ann Example",
                  setup == "no e-mail" ? u"" : u"ann@example.org");
        // Return on the focused Test, else Done; Cancel once the box was answered.
        screen_test::ScreenAnswerer answerer([&](QWidget& top) {
            auto& dialog = dynamic_cast<SettingsDialog&>(top);
            dialog.sendCommandEdit()->setText(command.arg(message));
            (setup == "Test" ? static_cast<QWidget*>(dialog.testButton()) : dialog.nameEdit())
                ->setFocus();
            QTest::keyClick(&dialog, answerer.log.isEmpty() ? Qt::Key_Return : Qt::Key_F2);
        });
        QVERIFY(!RunSettingsDialog(nullptr, ini.toStdString(), owner));
        QVERIFY2(answerer.log.size() == 1 && answerer.log[0].startsWith(box.replace("%1", ini)),
                 qPrintable(answerer.log.join('\n')));
        // Neither a Test nor a refusal writes the settings; a Test hands over the message.
        QVERIFY(setup == "folder" || !QFileInfo(ini).isFile() || QFileInfo(ini).isSymLink());
        const QByteArray mail = ReadFile(message);
        QCOMPARE(mail.contains("\nTo: ann@example.org\n") &&
                     mail.contains("From: Ann Example <ann@example.org>\n"),
                 !command.isEmpty());
    }

    // A second start brings the first forward and ends, creating nothing; the first, killed,
    // leaves its socket, and the next start takes the server over.
    void secondStartBringsTheFirstForward() {
        QTemporaryDir home, otherHome, runtime;
        {
            Run first(home.path(), runtime.path());
            QTRY_VERIFY_WITH_TIMEOUT(first.Said("games list shown, 0 rows"), kTimeoutMs);
            for (const char* made :
                 {"Documents/Korvani.pgn", "data/korvani/contacts.vcf", "data/korvani/Mail/new"}) {
                QVERIFY2(QFileInfo::exists(home.filePath(made)), made);
            }
            Run second(otherHome.path(), runtime.path());
            QTRY_VERIFY_WITH_TIMEOUT(second.Ended() && first.Said("brought to the front"),
                                     kTimeoutMs);
            QCOMPARE(QDir(otherHome.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                     QStringList{"config"});
            QVERIFY(first.Runs() && first.process.state() == QProcess::Running);
        }
        QVERIFY(QFileInfo::exists(runtime.filePath(QStringLiteral("korvani.instance"))));
        Run next(home.path(), runtime.path());
        QTRY_VERIFY_WITH_TIMEOUT(next.Runs(), kTimeoutMs);
    }

    // Of two programs started at once one runs; the other ends, or, when the first was slow
    // to listen (a loaded machine), says the games file is in use.
    void simultaneousStartsNeverBothRun() {
        QTemporaryDir home;
        for (int round = 0; round < 20; ++round) {
            QTemporaryDir runtime;
            Run first(home.path(), runtime.path());
            Run second(home.path(), runtime.path());
            QTRY_VERIFY_WITH_TIMEOUT(first.Settled() && second.Settled(), kTimeoutMs);
            QVERIFY2(first.Runs() != second.Runs(),
                     qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }

    // Another session's start on the same games file is told it is in use; the first removed
    // the temporary of a killed save, not the user's copy.
    void sameGamesFileFromAnotherSessionIsRefused() {
        QTemporaryDir home, runtime, otherRuntime;
        const QString leftover = home.filePath(QStringLiteral("Documents/.Korvani.pgn.Ab12Cd.tmp"));
        const QString copy = home.filePath(QStringLiteral("Documents/Korvani.pgn.bak"));
        QVERIFY(screen_test::WriteFile(leftover, "half") && screen_test::WriteFile(copy, "half"));
        Run first(home.path(), runtime.path());
        QTRY_VERIFY_WITH_TIMEOUT(first.Runs(), kTimeoutMs);
        QVERIFY(!QFileInfo::exists(leftover) && QFileInfo::exists(copy));
        Run second(home.path(), otherRuntime.path());
        QTRY_VERIFY_WITH_TIMEOUT(second.Said("games file in use"), kTimeoutMs);
        QVERIFY(second.Said("The games file is in use by another Korvani:\\n" +
                            home.filePath("Documents/Korvani.pgn")));
        QVERIFY(!second.Runs() && first.process.state() == QProcess::Running);
    }

private:
    QTemporaryDir folder_;
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
