// Settings, driven by keys: asked for at the first start before the games list,
// reached again from the games list's menu, saved into device.ini without losing the
// user's own lines, and its Test sending a message to the owner.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/program_startup.h"
#include "contacts/owner_identity.h"
#include "tests/support/screen_script.h"
#include "tests/support/screen_test_support.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/games_list/settings_dialog.h"
#include "ui/new_game/new_game_dialog.h"

namespace {

bool WriteText(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Presses Tab `count` times on the focused field and types `text` into the field
// reached.
void TabAndType(int count, const QString& text) {
    for (int i = 0; i < count; ++i) {
        screen_test::PressKey(nullptr, Qt::Key_Tab);
    }
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Opens the games list's menu and chooses `item` in it.
void ChooseFromGamesMenu(ScreenScript& script, const QString& item) {
    script.ThenOn<GamesListDialog>(
        QStringLiteral("the games list, for %1").arg(item), {},
        [](GamesListDialog& list) { QTest::keyClick(&list, Qt::Key_F2); });
    script.Then(
        QStringLiteral("the games list's menu, for %1").arg(item),
        [item](QWidget& top) { return screen_test::IsMenuWith(top, item); },
        [item](QWidget& top) { screen_test::ChooseMenuItem(*qobject_cast<QMenu*>(&top), item); });
}

}  // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartAsksForTheOwnerAndTheMenuReopensIt();
    void testSendsAMessageToTheOwner_data();
    void testSendsAMessageToTheOwner();

private:
    QTemporaryDir folder_;
};

void SettingsDialogTest::firstStartAsksForTheOwnerAndTheMenuReopensIt() {
    const QString home = folder_.filePath(QStringLiteral("first"));
    for (const char* sub : {"/Maildir/new", "/Maildir/cur", "/Maildir/tmp", "/runtime"}) {
        QVERIFY(QDir().mkpath(home + QLatin1String(sub)));
    }
    QFile::setPermissions(home + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString book = home + QStringLiteral("/friends.vcf");
    QVERIFY(WriteText(book,
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Durand;Bob\r\n"
                      "EMAIL:bob@example.org\r\nEND:VCARD\r\n"));
    // A file the user started by hand: no owner yet, a comment and a key of his own.
    const QString ini = home + QStringLiteral("/config/korvani/device.ini");
    const QByteArray stores = "Stores=" + (home + QStringLiteral("/Maildir")).toUtf8();
    QVERIFY(
        WriteText(ini, "; kept as written\n[Messaging]\n" + stores + "\n\n[Extra]\nColour=blue\n"));
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/cache")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home + QStringLiteral("/runtime")).toUtf8());

    ScreenScript script;
    script.ThenOn<SettingsDialog>(QStringLiteral("Settings before the games list"), {},
                                  [](SettingsDialog& dialog) {
                                      QCOMPARE(QApplication::focusWidget(), dialog.nameEdit());
                                      TabAndType(0, QStringLiteral("Ann Example"));
                                      TabAndType(1, QStringLiteral("ann@example.org"));
                                      QTest::keyClick(&dialog, Qt::Key_F1);
                                  });
    ChooseFromGamesMenu(script, QStringLiteral("Settings..."));
    script.ThenOn<SettingsDialog>(
        QStringLiteral("Settings from the menu"), {}, [book](SettingsDialog& dialog) {
            QCOMPARE(dialog.nameEdit()->text(), QStringLiteral("Ann Example"));
            QCOMPARE(dialog.emailEdit()->text(), QStringLiteral("ann@example.org"));
            // Name, e-mail, mail folders, send command, Test, address book.
            TabAndType(5, book);
            QCOMPARE(QApplication::focusWidget(), dialog.addressBookEdit());
            QTest::keyClick(&dialog, Qt::Key_Return);
        });
    // The saved address book is the one New Game reads from now on.
    ChooseFromGamesMenu(script, QStringLiteral("New..."));
    script.ThenOn<NewGameDialog>(QStringLiteral("New Game"), {}, [](NewGameDialog& dialog) {
        QCOMPARE(dialog.opponentList()->count(), 1);
        QTest::keyClick(&dialog, Qt::Key_F2);
    });
    ChooseFromGamesMenu(script, QStringLiteral("Quit"));
    QCOMPARE(RunKorvani(), 0);
    QVERIFY2(script.Finished(), qPrintable(script.StalledAt()));

    const QByteArray expected = "; kept as written\n[Messaging]\n" + stores +
                                "\n\n[Extra]\nColour=blue\n\n[Owner]\nName=Ann Example\n"
                                "E-mail=ann@example.org\n\n[Contacts]\nAddressBook=" +
                                book.toUtf8() + "\n";
    QCOMPARE(ReadBytes(ini), expected);
}

void SettingsDialogTest::testSendsAMessageToTheOwner_data() {
    QTest::addColumn<QString>("command");  // %1: the file the message is written to
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QString>("reply");
    QTest::newRow("command that takes the message")
        << QStringLiteral("cat > '%1'") << true
        << QStringLiteral("A test message to ann@example.org was handed to the send command.");
    QTest::newRow("command that fails")
        << QStringLiteral("cat > '%1'; exit 3") << false
        << QStringLiteral("The send command ended with exit status 3.");
}

void SettingsDialogTest::testSendsAMessageToTheOwner() {
    QFETCH(QString, command);
    QFETCH(bool, sent);
    QFETCH(QString, reply);
    const QString message = folder_.filePath(QStringLiteral("sent-%1.eml").arg(sent));
    command = command.arg(message);
    reply.replace(QStringLiteral("%1"), message);
    OwnerIdentity owner;
    owner.Set(u"Ann Example", u"ann@example.org");
    const QString ini = folder_.filePath(QStringLiteral("test/device.ini"));

    ScreenScript script;
    std::optional<screen_test::SeenBox> seen;
    script.ThenOn<SettingsDialog>(QStringLiteral("Settings"), {}, [command](SettingsDialog&) {
        TabAndType(3, command);
        screen_test::PressKey(nullptr, Qt::Key_Tab);
        screen_test::PressKey(nullptr, Qt::Key_Return);
    });
    script.ThenOn<QMessageBox>(QStringLiteral("the Test's answer"), {}, [&seen](QMessageBox& box) {
        seen = screen_test::SeenBox{box.windowTitle(), box.text(), box.icon()};
        box.accept();
    });
    script.ThenOn<SettingsDialog>(
        QStringLiteral("Settings, to cancel"), {},
        [](SettingsDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_F2); });
    QVERIFY(!RunSettingsDialog(nullptr, ini.toStdString(), owner));
    QVERIFY2(script.Finished(), qPrintable(script.StalledAt()));

    QVERIFY(seen.has_value());
    QCOMPARE(seen->text, reply);
    QCOMPARE(seen->icon, sent ? QMessageBox::Information : QMessageBox::Critical);
    const QByteArray mail = ReadBytes(message);
    QVERIFY(mail.contains("\nTo: ann@example.org\n"));
    QVERIFY(mail.contains("From: Ann Example <ann@example.org>\n"));
    // Testing writes nothing, and cancelling saves nothing.
    QVERIFY(!QFile::exists(ini));
}

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
