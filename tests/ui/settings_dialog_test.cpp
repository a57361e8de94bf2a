// Settings at the first start, again from the games list's menu, and the boxes by which
// it refuses or tests what was typed.
#include "ui/games_list/settings_dialog.h"
#include "app/program_startup.h"
#include "contacts/owner_identity.h"
#include "tests/support/screen_script.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/new_game/new_game_dialog.h"

using screen_test::ReadFile;

class SettingsDialogTest : public QObject {
    Q_OBJECT

private slots:
    // Asked for before the games list, reopened from its menu, saved without losing the
    // user's own lines; the address book saved is the one New Game reads.
    void firstStartAsksForTheOwnerAndTheMenuReopensIt() {
        const QString home = folder_.filePath(QStringLiteral("first"));
        const QString ini = home + QStringLiteral("/config/korvani/device.ini");
        const QString book = home + QStringLiteral("/friends.vcf");
        const QByteArray own = "; kept as written\n[Messaging]\nStores=" + home.toUtf8() +
                               "/Maildir\n\n[Extra]\nColour=blue\n";
        QVERIFY(screen_test::UseHome(home) && screen_test::WriteFile(ini, own));
        QVERIFY(screen_test::WriteFile(book,
                                       "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Durand;Bob\r\nEMAIL:bob@"
                                       "example.org\r\nEND:VCARD\r\n"));
        // Tabs `count` times, then types `text` into the field reached.
        const auto type = [](int count, const QString& text) {
            for (int i = 0; i < count; ++i) {
                screen_test::PressKey(nullptr, Qt::Key_Tab);
            }
            QTest::keyClicks(QApplication::focusWidget(), text);
        };
        ScreenScript script;
        script.ThenOn<SettingsDialog>("Settings before the games list", {},
                                      [type](SettingsDialog& dialog) {
                                          type(0, QStringLiteral("Ann Example"));
                                          type(1, QStringLiteral("ann@example.org"));
                                          QTest::keyClick(&dialog, Qt::Key_F1);
                                      });
        script.ThenKey<GamesListDialog>("the games list", Qt::Key_F2);
        script.ThenMenu(QStringLiteral("Settings..."));
        script.ThenOn<SettingsDialog>(
            "Settings from the menu", {}, [type, book](SettingsDialog& dialog) {
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
        QCOMPARE(
            ReadFile(ini),
            own +
                "\n[Owner]\nName=Ann Example\nE-mail=ann@example.org\n\n[Contacts]\nAddressBook=" +
                book.toUtf8() + "\n");
    }

    void boxes_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("command");  // %1: the file the message is written to
        QTest::addColumn<QString>("box");      // %1: the settings file
        const auto row = [](const char* name, const char* setup, const char* command,
                            const char* box) { QTest::newRow(name) << setup << command << box; };
        row("Test sends to the owner", "Test", "cat > '%1'",
            "Information [Settings] A test message to ann@example.org was handed to the send "
            "command.");
        row("Test, the command fails", "Test", "cat > '%1'; exit 3",
            "Critical [Settings] The send command ended with exit status 3.");
        row("Test without a command", "Test", "",
            "Information [Settings] No send command is set: a move you send stays in the outbox");
        row("Done without a name", "no name", "", "Critical [Error] Your name is mandatory");
        row("Done without an e-mail", "no e-mail", "", "Critical [Error] Your email is mandatory");
        row("settings that cannot be read", "folder", "",
            "Critical [Settings] Cannot read the settings %1: Is a directory");
        // A link to a file in a folder that not even root can write to.
        row("settings that cannot be saved", "/proc/version", "",
            "Critical [Settings] Cannot save the settings %1: ");
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

private:
    QTemporaryDir folder_;
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
