// One correspondence exchange between two players, each with his own home, through the
// program's screens by keys; msmtp sends to a local SMTP server that fills the other's Inbox.
#include "app/mail_exchange_dialogs.h"
#include "app/program_startup.h"
#include "tests/support/game_screen_fixtures.h"
#include "tests/support/screen_script.h"
#include "ui/exchange/inbox_list_dialog.h"
#include "ui/exchange/message_lines_dialog.h"
#include "ui/exchange/send_move_dialog.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/games_list/games_list_model.h"
#include "ui/new_game/new_game_dialog.h"

namespace {

struct Player {
    QString first, last, email, home;
};

// Sets up `player` to play `opponent`; `smtp` delivers into the opponent's Inbox.
void SetUp(const Player& player, const Player& opponent, QProcess& smtp) {
    const QString msmtprc = player.home + "/msmtprc", card = player.home + "/contacts.vcf";
    QVERIFY(screen_test::WriteFile(msmtprc, {}) &&  // keeps the user's own away
            QFile::setPermissions(msmtprc, QFile::ReadOwner));
    const QString vcard("BEGIN:VCARD\r\nVERSION:3.0\r\nN:%1;%2;;;\r\nEMAIL:%3\r\nEND:VCARD\r\n");
    QVERIFY(screen_test::WriteFile(
        card, vcard.arg(opponent.last, opponent.first, opponent.email).toUtf8()));
    smtp.start(QStringLiteral("/usr/bin/python3"),
               {KORVANI_SMTP_SERVER_SCRIPT, opponent.home + "/Maildir", "170"});
    QVERIFY2(smtp.waitForReadyRead(10000), "no SMTP server (python3-aiosmtpd?)");
    const QString settings =
        QStringLiteral(
            "[Owner]\nName=%1 %2\nE-mail=%3\n\n[Messaging]\nStores=%4/Maildir\n"
            "SendCommand=msmtp -C %5 --host=127.0.0.1 --port=%6 --auth=off --tls=off "
            "--from=%3 -t\n\n[Contacts]\nAddressBook=%7\n")
            .arg(player.first, player.last, player.email, player.home, msmtprc,
                 smtp.readLine().trimmed(), card);
    QVERIFY(screen_test::WriteFile(player.home + "/config/korvani/device.ini", settings.toUtf8()));
}

// Starts a game from the empty games list, against the one contact.
void NewGame(ScreenScript& script, bool playBlack) {
    script.ThenOn<GamesListDialog>(
        "the empty games list", [](GamesListDialog& list) { return list.rowCount() == 0; },
        [](GamesListDialog& list) { QTest::keyClick(&list, Qt::Key_F2); });
    script.ThenMenu(QStringLiteral("New..."));
    script.ThenOn<NewGameDialog>("New Game", {}, [playBlack](NewGameDialog& dialog) {
        if (playBlack) {
            dialog.playBlackBox()->setFocus();
            QTest::keyClick(dialog.playBlackBox(), Qt::Key_Space);
        }
        QTest::keyClick(&dialog, Qt::Key_F1);
    });
}

// Enters `keys` on the board and sends the move.
void Send(ScreenScript& script, const char* keys) {
    script.ThenOn<GameDisplay>(
        QStringLiteral("the board, to enter %1").arg(keys),
        [](GameDisplay& display) { return display.IsBoardMode(); },
        [keys](GameDisplay& display) {
            screen_test::Type(display, keys);
            QTest::keyClick(&display, Qt::Key_F2);
        });
    script.ThenMenu(QStringLiteral("Send move"));
    script.ThenKey<SendMoveDialog>("Send move", Qt::Key_F1);
    script.ThenKey<QMessageBox>("the box that says it was sent", Qt::Key_Return);
}

// Gets the answer `line` from the Inbox, and sees the display show it.
void GetAnswer(ScreenScript& script, const QString& line) {
    script.ThenKey<GameDisplay>("the game display, to get the answer", Qt::Key_F2);
    script.ThenMenu(QStringLiteral("Get answer"));
    // No move was studied after the last exchanged one: the inbox list opens at once.
    script.ThenKey<InboxListDialog>("the inbox list", Qt::Key_F2);
    script.ThenOn<MessageLinesDialog>(
        "the message's lines", {}, [line](MessageLinesDialog& dialog) {
            QTest::keyClick(&dialog, Qt::Key_Tab);  // from the language list to the lines
            for (int step = 0; step < 5 && dialog.lines()->currentItem()->text() != line; ++step) {
                QTest::keyClick(dialog.lines(), Qt::Key_Down);
            }
            if (!dialog.lines()->currentItem()->isSelected()) {
                QTest::keyClick(dialog.lines(), Qt::Key_Space);  // the highlighted line is chosen
            }
            QTest::keyClick(&dialog, Qt::Key_F2);
        });
    script.ThenOn<GameDisplay>(
        "the game display showing " + line,
        [line](GameDisplay& display) {
            return !display.CanDiscard() &&
                   display.StatusLabel(GameDisplay::kLastMove)->text() == line;
        },
        [](GameDisplay&) {});
}

// Closes the game once it was saved, and quits once the list shows it as `row`.
void Quit(ScreenScript& script, const QString& row) {
    script.ThenOn<GameDisplay>(
        "the game display, to close it", [](GameDisplay& display) { return !display.CanDiscard(); },
        [](GameDisplay& display) { QTest::keyClick(&display, Qt::Key_F1); });
    script.ThenOn<GamesListDialog>(
        "the games list showing " + row,
        [row](GamesListDialog& list) {
            return screen_test::Rows(*list.model(), 2) == QStringList{row};
        },
        [](GamesListDialog& list) { QTest::keyClick(&list, Qt::Key_Escape); });
}

// Runs the program as `player`, who goes through the screens as `steps` says.
void RunAs(const Player& player, const std::function<void(ScreenScript&)>& steps) {
    ScreenScript script;
    steps(script);
    QVERIFY(screen_test::UseHome(player.home));
    QCOMPARE(RunKorvani(&MailExchangeDialogs), 0);
    QVERIFY2(script.Finished(), qPrintable(player.first + " got stuck at " + script.StalledAt()));
}

}  // namespace

class ExchangeEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void oneExchangeThroughTheScreens() {
        QVERIFY2(!QStandardPaths::findExecutable("msmtp").isEmpty(), "no msmtp (scripts/deps.sh)");
        QTemporaryDir folder;
        const Player white{"Alice", "Martin", "alice@example.org", folder.filePath("white")};
        const Player black{"Bob", "Durand", "bob@example.org", folder.filePath("black")};
        QProcess toBlack, toWhite;
        QVERIFY(screen_test::UseHome(white.home) && screen_test::UseHome(black.home));
        SetUp(white, black, toBlack);
        SetUp(black, white, toWhite);
        if (QTest::currentTestFailed()) {
            return;
        }
        const QString dayBefore = screen_test::TodayUtc();
        RunAs(white, [](ScreenScript& script) {  // White starts the game and sends 1. e4.
            NewGame(script, false);
            Send(script, "5254");
            Quit(script, "Alice Martin|* Durand, Bob");
        });
        RunAs(black, [](ScreenScript& script) {  // Black plays Black, gets 1. e4, answers 1... e5.
            NewGame(script, true);
            GetAnswer(script, QStringLiteral("1. e4"));
            Send(script, "5755");
            Quit(script, "* Martin, Alice|Bob Durand");
        });
        RunAs(white, [](ScreenScript& script) {  // White opens the game and imports 1... e5.
            script.ThenKey<GamesListDialog>("White's games list", Qt::Key_Return);
            GetAnswer(script, QStringLiteral("1... e5"));
            Quit(script, "* Alice Martin|Durand, Bob");
        });
        const QString dayAfter = screen_test::TodayUtc();
        for (const Player& player : {white, black}) {
            const QString games = screen_test::ReadFile(player.home + "/Documents/Korvani.pgn");
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
