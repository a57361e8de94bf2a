// One correspondence exchange between two players through the program's screens, driven
// by keys. Each player has his own home (settings, games file, Maildir, an address book
// holding the other); mail goes through msmtp to a local SMTP server that delivers into
// the other player's Inbox.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "app/mail_exchange_dialogs.h"
#include "app/program_startup.h"
#include "tests/support/game_screen_fixtures.h"
#include "tests/support/screen_script.h"
#include "ui/exchange/inbox_list_dialog.h"
#include "ui/exchange/message_lines_dialog.h"
#include "ui/exchange/send_move_dialog.h"
#include "ui/game/game_display.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/games_list/games_list_model.h"
#include "ui/new_game/new_game_dialog.h"

namespace {

struct Player {
    QString first;
    QString last;
    QString email;
    QString home;

    QString Name() const { return first + ' ' + last; }
};

bool Write(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

// Sets up `player` to play `opponent`, sending through `smtp`, a server that delivers
// into the opponent's Inbox.
void SetUp(const Player& player, const Player& opponent, QProcess& smtp) {
    const QString msmtprc = player.home + QStringLiteral("/msmtprc");  // keeps the user's away
    QVERIFY(Write(msmtprc, {}) && QFile::setPermissions(msmtprc, QFile::ReadOwner));
    const QString card = player.home + QStringLiteral("/contacts.vcf");
    QVERIFY(Write(card, QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:%1;%2;;;\r\nFN:%3\r\n"
                                       "EMAIL:%4\r\nEND:VCARD\r\n")
                            .arg(opponent.last, opponent.first, opponent.Name(), opponent.email)));
    smtp.start(QStringLiteral("/usr/bin/python3"),
               {KORVANI_SMTP_SERVER_SCRIPT, opponent.home + "/Maildir", "170"});
    QVERIFY2(smtp.waitForReadyRead(10000), "no SMTP server (python3-aiosmtpd?)");
    const int port = smtp.readLine().trimmed().toInt();
    QVERIFY(Write(player.home + QStringLiteral("/config/korvani/device.ini"),
                  QStringLiteral("[Owner]\nName=%1\nE-mail=%2\n\n[Messaging]\nStores=%3/Maildir\n"
                                 "SendCommand=msmtp -C %4 --host=127.0.0.1 --port=%5 --auth=off "
                                 "--tls=off --from=%2 -t\n\n[Contacts]\nAddressBook=%6\n")
                      .arg(player.Name(), player.email, player.home, msmtprc)
                      .arg(port)
                      .arg(card)));
}

// True once the list shows one row per text of `rows` ("White|Black").
bool ListShows(GamesListDialog& list, const QStringList& rows) {
    QStringList shown;
    for (int row = 0; row < list.rowCount(); ++row) {
        shown << list.model()->index(row, 0).data().toString() + '|' +
                     list.model()->index(row, 1).data().toString();
    }
    return shown == rows;
}

void NewGame(ScreenScript& script, const Player& opponent, bool playBlack) {
    script.ThenOn<GamesListDialog>(
        "the empty games list", [](GamesListDialog& list) { return ListShows(list, {}); },
        [](GamesListDialog& list) { QTest::keyClick(&list, Qt::Key_F2); });
    script.ThenMenu(QStringLiteral("New..."));
    script.ThenOn<NewGameDialog>("New Game", {}, [&opponent, playBlack](NewGameDialog& dialog) {
        // The opponent is the one contact; the owner's identity fills the rest.
        QCOMPARE(dialog.opponentList()->count(), 1);
        QVERIFY(dialog.opponentAddress()->text().contains(opponent.email));
        if (playBlack) {
            dialog.playBlackBox()->setFocus();
            QTest::keyClick(dialog.playBlackBox(), Qt::Key_Space);
        }
        QTest::keyClick(&dialog, Qt::Key_F1);
    });
}

void Send(ScreenScript& script, const char* keys, const QString& move, const Player& opponent) {
    script.ThenOn<GameDisplay>(
        "the board, to enter " + move, [](GameDisplay& display) { return display.IsBoardMode(); },
        [keys](GameDisplay& display) {
            screen_test::Type(display, keys);
            QTest::keyClick(&display, Qt::Key_F2);
        });
    script.ThenMenu(QStringLiteral("Send move"));
    script.ThenOn<SendMoveDialog>("Send move", {}, [move, &opponent](SendMoveDialog& dialog) {
        QCOMPARE(dialog.moveLabel()->text(), move);
        QCOMPARE(dialog.toEdit()->text(), opponent.email);
        QCOMPARE(dialog.subjectEdit()->text(), QStringLiteral("Move #1"));
        QTest::keyClick(&dialog, Qt::Key_F1);
    });
    script.ThenOn<QMessageBox>(
        "the box that says it was sent", {}, [move, &opponent](QMessageBox& box) {
            const QString text = box.text();
            box.accept();
            QCOMPARE(text,
                     QStringLiteral("Your move %1 was sent to %2.").arg(move, opponent.email));
        });
}

// Gets the answer `line` from the Inbox, then waits for the display to show it.
void GetAnswer(ScreenScript& script, const QString& line) {
    script.ThenKey<GameDisplay>("the game display, to get the answer", Qt::Key_F2);
    script.ThenMenu(QStringLiteral("Get answer"));
    // No move was studied after the last exchanged one: the inbox list opens at once.
    script.ThenKey<InboxListDialog>("the inbox list", Qt::Key_F2);
    script.ThenOn<MessageLinesDialog>(
        "the message's lines", {}, [line](MessageLinesDialog& dialog) {
            QTest::keyClick(&dialog, Qt::Key_Tab);  // from the language list to the lines
            const auto current = [&dialog] { return dialog.lines()->currentItem(); };
            for (int step = 0; step < 5 && !(current() && current()->text() == line); ++step) {
                QTest::keyClick(dialog.lines(), Qt::Key_Down);
            }
            QVERIFY(current() != nullptr);
            if (!current()->isSelected()) {
                QTest::keyClick(dialog.lines(), Qt::Key_Space);  // the highlighted line is chosen
            }
            QTest::keyClick(&dialog, Qt::Key_F2);
        });
    script.ThenOn<GameDisplay>(
        "the game display after the import",
        [](GameDisplay& display) { return !display.CanDiscard(); },
        [line](GameDisplay& display) {
            QCOMPARE(display.StatusLabel(GameDisplay::kLastMove)->text(), line);
        });
}

// Closes the game once it was saved, and quits once the list shows it as `row`.
void Quit(ScreenScript& script, const QString& row) {
    script.ThenOn<GameDisplay>(
        "the game display, to close it", [](GameDisplay& display) { return !display.CanDiscard(); },
        [](GameDisplay& display) { QTest::keyClick(&display, Qt::Key_F1); });
    script.ThenOn<GamesListDialog>(
        "the games list showing " + row,
        [row](GamesListDialog& list) { return ListShows(list, {row}); },
        [](GamesListDialog& list) { QTest::keyClick(&list, Qt::Key_Escape); });
}

void RunAs(const Player& player, ScreenScript& script) {
    QVERIFY(screen_test::UseHome(player.home));
    QCOMPARE(RunKorvani(&MailExchangeDialogs), 0);
    QVERIFY2(script.Finished(), qPrintable(player.Name() + " got stuck at " + script.StalledAt()));
}

}  // namespace

class ExchangeEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void oneExchangeThroughTheScreens() {
        QVERIFY2(!QStandardPaths::findExecutable("msmtp").isEmpty(), "no msmtp (scripts/deps.sh)");
        QTemporaryDir folder;
        Player white{"Alice", "Martin", "alice@example.org", folder.filePath("white")};
        Player black{"Bob", "Durand", "bob@example.org", folder.filePath("black")};
        QProcess toBlack;
        QProcess toWhite;
        QVERIFY(screen_test::UseHome(white.home) && screen_test::UseHome(black.home));
        SetUp(white, black, toBlack);
        SetUp(black, white, toWhite);
        if (QTest::currentTestFailed()) {
            return;
        }
        const QString dayBefore = screen_test::TodayUtc();
        {
            ScreenScript script;  // White starts the game and sends 1. e4.
            NewGame(script, black, false);
            Send(script, "5254", QStringLiteral("1. e4"), black);
            Quit(script, "Alice Martin|* Durand, Bob");
            RunAs(white, script);
        }
        {
            ScreenScript script;  // Black starts it as Black, imports 1. e4, answers 1... e5.
            NewGame(script, white, true);
            GetAnswer(script, QStringLiteral("1. e4"));
            Send(script, "5755", QStringLiteral("1... e5"), white);
            Quit(script, "* Martin, Alice|Bob Durand");
            RunAs(black, script);
        }
        {
            ScreenScript script;  // White opens the game and imports 1... e5.
            script.ThenKey<GamesListDialog>("White's games list", Qt::Key_Return);
            GetAnswer(script, QStringLiteral("1... e5"));
            Quit(script, "* Alice Martin|Durand, Bob");
            RunAs(white, script);
        }
        const QString dayAfter = screen_test::TodayUtc();
        for (const Player* player : {&white, &black}) {
            QFile file(player->home + QStringLiteral("/Documents/Korvani.pgn"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString games = QString::fromUtf8(file.readAll());
            for (const char* tag :
                 {"[Trait \"White\"]", "[LastMove \"1\"]", "[WhiteEmail \"alice@example.org\"]",
                  "[BlackEmail \"bob@example.org\"]", "\n1. e4 e5 *"}) {
                QVERIFY2(games.contains(tag), qPrintable(games));
            }
            QVERIFY(games.contains("[LastMoveDate \"" + dayBefore) ||
                    games.contains("[LastMoveDate \"" + dayAfter));
        }
    }
};

QTEST_MAIN(ExchangeEndToEndTest)
#include "exchange_end_to_end_test.moc"
