// One correspondence exchange between two players, through the program's screens
// driven by keys. Each player has his own settings, games file, Maildir store and an
// address book holding the other; the players take turns in this process, each run
// of the program under his own XDG folders. Mail goes through msmtp to a local SMTP
// server that delivers into the other player's Inbox.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

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

// A player's own corner of the machine.
struct Player {
    QString name;
    QString email;
    QString home;
    QString Maildir() const { return home + QStringLiteral("/Maildir"); }
    QString GamesFile() const { return home + QStringLiteral("/Documents/Korvani.pgn"); }
};

bool WriteText(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return file.write(text.toUtf8()) == text.toUtf8().size();
}

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The throw-away SMTP server of the mail tests, delivering into one Maildir.
class SmtpServer {
public:
    explicit SmtpServer(const QString& maildir) {
        process_.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(KORVANI_SMTP_SERVER_SCRIPT), maildir, QStringLiteral("170")});
        if (process_.waitForStarted(10000) && process_.waitForReadyRead(10000)) {
            port_ = QString::fromLatin1(process_.readLine()).trimmed().toInt();
        }
    }
    ~SmtpServer() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    SmtpServer(const SmtpServer&) = delete;
    SmtpServer& operator=(const SmtpServer&) = delete;

    // The port, 0 when the server did not come up.
    int Port() const { return port_; }

private:
    QProcess process_;
    int port_ = 0;
};

// The value of tag `name` in a games file's text, or a null string.
QString TagValue(const QString& games, const QString& name) {
    const QString start = QStringLiteral("[%1 \"").arg(name);
    const qsizetype at = games.indexOf(start);
    if (at < 0) {
        return {};
    }
    const qsizetype from = at + start.size();
    return games.mid(from, games.indexOf(QLatin1Char('"'), from) - from);
}

// The moves of a games file's one game: every line that is not a tag, joined.
QString MoveText(const QString& games) {
    QStringList lines;
    for (const QString& line : games.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('['))) {
            lines << trimmed;
        }
    }
    return lines.join(QLatin1Char(' '));
}

// Chooses the popup item labelled `text` as the keyboard does.
void ChooseMenuItem(QWidget& top, const QString& text) {
    auto* menu = qobject_cast<QMenu*>(&top);
    if (menu == nullptr) {
        return;
    }
    for (QAction* action : menu->actions()) {
        if (action->text() == text && action->isEnabled()) {
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
    }
    menu->close();
}

QString Cell(GamesListDialog& list, int row, int column) {
    return list.model()->data(list.model()->index(row, column), Qt::DisplayRole).toString();
}

}  // namespace

class ExchangeEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void oneExchangeThroughTheScreens();

private:
    void SetUpPlayer(Player& player, const Player& opponent, int smtpPort);
    // Runs the program as `player` while `script` plays him.
    void RunAs(const Player& player, ScreenScript& script);
    void NewGameSteps(ScreenScript& script, bool playBlack, const Player& opponent);
    void SendSteps(ScreenScript& script, const char* keys, const QString& moveText,
                   const Player& opponent);
    void GetAnswerSteps(ScreenScript& script, const QString& line);
    void QuitSteps(ScreenScript& script, int markedColumn);

    QTemporaryDir folder_;
    Player white_{QStringLiteral("Alice Martin"), QStringLiteral("alice@example.org"), {}};
    Player black_{QStringLiteral("Bob Durand"), QStringLiteral("bob@example.org"), {}};
    // What each player's games list showed when he quit: White's and Black's cells.
    QStringList lastListSeen_;
};

void ExchangeEndToEndTest::initTestCase() {
    QVERIFY(folder_.isValid());
    if (QStandardPaths::findExecutable(QStringLiteral("msmtp")).isEmpty()) {
        QFAIL("msmtp is missing (scripts/deps.sh installs it)");
    }
}

void ExchangeEndToEndTest::SetUpPlayer(Player& player, const Player& opponent, int smtpPort) {
    for (const char* sub : {"/Maildir/new", "/Maildir/cur", "/Maildir/tmp", "/config", "/data",
                            "/runtime", "/Documents"}) {
        QVERIFY(QDir().mkpath(player.home + QLatin1String(sub)));
    }
    QFile::setPermissions(player.home + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // An empty msmtp configuration of our own keeps msmtp away from the user's.
    const QString msmtprc = player.home + QStringLiteral("/msmtprc");
    QVERIFY(WriteText(msmtprc, QString()));
    QFile::setPermissions(msmtprc, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString opponentCard = player.home + QStringLiteral("/contacts.vcf");
    const QStringList names = opponent.name.split(QLatin1Char(' '));
    QVERIFY(WriteText(opponentCard, QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\n"
                                                   "N:%1;%2;;;\r\nFN:%3\r\nEMAIL:%4\r\n"
                                                   "END:VCARD\r\n")
                                        .arg(names[1], names[0], opponent.name, opponent.email)));
    const QString settings =
        QStringLiteral(
            "[Owner]\nName=%1\nE-mail=%2\n\n[Messaging]\nStores=%3\n"
            "SendCommand=msmtp -C %4 --host=127.0.0.1 --port=%5 --auth=off --tls=off "
            "--from=%2 -t\n\n[Contacts]\nAddressBook=%6\n")
            .arg(player.name, player.email, player.Maildir(), msmtprc)
            .arg(smtpPort)
            .arg(opponentCard);
    QVERIFY(WriteText(player.home + QStringLiteral("/config/korvani/device.ini"), settings));
}

void ExchangeEndToEndTest::RunAs(const Player& player, ScreenScript& script) {
    qputenv("HOME", player.home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (player.home + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (player.home + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (player.home + QStringLiteral("/cache")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (player.home + QStringLiteral("/runtime")).toUtf8());
    QCOMPARE(RunKorvani(&MailExchangeDialogs), 0);
    QVERIFY2(
        script.Finished(),
        qPrintable(
            QStringLiteral("%1 got stuck waiting for: %2").arg(player.name, script.StalledAt())));
}

void ExchangeEndToEndTest::NewGameSteps(ScreenScript& script, bool playBlack,
                                        const Player& opponent) {
    script.ThenOn<GamesListDialog>(
        QStringLiteral("the empty games list"),
        [](GamesListDialog& list) { return list.rowCount() == 0; },
        [](GamesListDialog& list) { QTest::keyClick(&list, Qt::Key_F2); });
    script.Then(
        QStringLiteral("the games list's menu"),
        [](QWidget& top) { return screen_test::IsMenuWith(top, QStringLiteral("New...")); },
        [](QWidget& top) { ChooseMenuItem(top, QStringLiteral("New...")); });
    script.ThenOn<NewGameDialog>(
        QStringLiteral("New Game"), {}, [playBlack, opponent](NewGameDialog& dialog) {
            // The opponent is the one contact; the owner's identity fills the rest.
            QCOMPARE(dialog.opponentList()->count(), 1);
            QVERIFY(dialog.opponentAddress()->text().contains(opponent.email));
            if (playBlack) {
                dialog.playBlackBox()->setFocus();
                QTest::keyClick(dialog.playBlackBox(), Qt::Key_Space);
                QVERIFY(dialog.playBlackBox()->isChecked());
            }
            QTest::keyClick(&dialog, Qt::Key_F1);
        });
}

void ExchangeEndToEndTest::SendSteps(ScreenScript& script, const char* keys,
                                     const QString& moveText, const Player& opponent) {
    auto sendDialog = std::make_shared<QPointer<SendMoveDialog>>();
    script.ThenOn<GameDisplay>(
        QStringLiteral("the game display, to enter %1").arg(moveText),
        [](GameDisplay& display) { return display.IsBoardMode(); },
        [keys](GameDisplay& display) {
            screen_test::Type(display, keys);
            QTest::keyClick(&display, Qt::Key_F2);
        });
    script.Then(
        QStringLiteral("the game display's menu, to send"),
        [](QWidget& top) { return screen_test::IsMenuWith(top, QStringLiteral("Send move")); },
        [](QWidget& top) { ChooseMenuItem(top, QStringLiteral("Send move")); });
    script.ThenOn<SendMoveDialog>(
        QStringLiteral("Send move"), {}, [sendDialog, moveText, opponent](SendMoveDialog& dialog) {
            *sendDialog = &dialog;
            QCOMPARE(dialog.moveLabel()->text(), moveText);
            QCOMPARE(dialog.toEdit()->text(), opponent.email);
            QCOMPARE(dialog.subjectEdit()->text(), QStringLiteral("Move #1"));
            QTest::keyClick(&dialog, Qt::Key_F1);
        });
    script.ThenOn<QMessageBox>(
        QStringLiteral("the box that says the move was sent"), {},
        [moveText, opponent](QMessageBox& box) {
            const QString text = box.text();
            box.accept();
            QCOMPARE(text,
                     QStringLiteral("Your move %1 was sent to %2.").arg(moveText, opponent.email));
        });
    // Send move has closed and the game recorded the sent move: Save+Close.
    script.ThenOn<GameDisplay>(
        QStringLiteral("the game display after sending"),
        [sendDialog](GameDisplay& display) {
            return sendDialog->isNull() && !display.CanDiscard();
        },
        [](GameDisplay& display) { QTest::keyClick(&display, Qt::Key_F1); });
}

void ExchangeEndToEndTest::GetAnswerSteps(ScreenScript& script, const QString& line) {
    script.ThenOn<GameDisplay>(QStringLiteral("the game display, to get the answer"), {},
                               [](GameDisplay& display) { QTest::keyClick(&display, Qt::Key_F2); });
    script.Then(
        QStringLiteral("the game display's menu, to get the answer"),
        [](QWidget& top) { return screen_test::IsMenuWith(top, QStringLiteral("Get answer")); },
        [](QWidget& top) { ChooseMenuItem(top, QStringLiteral("Get answer")); });
    // No move was studied after the last exchanged one, so the inbox opens at once.
    script.ThenOn<InboxListDialog>(
        QStringLiteral("the inbox list"), {},
        [](InboxListDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_F2); });
    script.ThenOn<MessageLinesDialog>(QStringLiteral("the message's lines"), {},
                                      [line](MessageLinesDialog& dialog) {
                                          // From the language list down to the lines, then to the
                                          // line with the move.
                                          QTest::keyClick(&dialog, Qt::Key_Tab);
                                          QListWidget* lines = dialog.lines();
                                          for (int step = 0; step < 5; ++step) {
                                              QListWidgetItem* current = lines->currentItem();
                                              if (current != nullptr && current->text() == line) {
                                                  if (current->isSelected()) {
                                                      break;
                                                  }
                                                  // The highlighted line is not chosen until Space
                                                  // picks it.
                                                  QTest::keyClick(lines, Qt::Key_Space);
                                              } else {
                                                  QTest::keyClick(lines, Qt::Key_Down);
                                              }
                                          }
                                          QVERIFY(lines->currentItem() != nullptr);
                                          QCOMPARE(lines->currentItem()->text(), line);
                                          QTest::keyClick(&dialog, Qt::Key_F2);
                                      });
}

void ExchangeEndToEndTest::QuitSteps(ScreenScript& script, int markedColumn) {
    script.ThenOn<GamesListDialog>(
        QStringLiteral("the games list with the saved game"),
        [markedColumn](GamesListDialog& list) {
            return list.rowCount() == 1 && Cell(list, 0, markedColumn).startsWith(u"* ");
        },
        [this](GamesListDialog& list) {
            lastListSeen_ = {Cell(list, 0, 0), Cell(list, 0, 1)};
            QTest::keyClick(&list, Qt::Key_F2);
        });
    script.Then(
        QStringLiteral("the games list's menu, to quit"),
        [](QWidget& top) { return screen_test::IsMenuWith(top, QStringLiteral("Quit")); },
        [](QWidget& top) { ChooseMenuItem(top, QStringLiteral("Quit")); });
}

void ExchangeEndToEndTest::oneExchangeThroughTheScreens() {
    white_.home = folder_.filePath(QStringLiteral("white"));
    black_.home = folder_.filePath(QStringLiteral("black"));
    QVERIFY(QDir().mkpath(white_.Maildir()));
    QVERIFY(QDir().mkpath(black_.Maildir()));
    // Each server delivers into the Inbox of the player it is named after.
    SmtpServer toBlack(black_.Maildir());
    SmtpServer toWhite(white_.Maildir());
    QVERIFY2(toBlack.Port() != 0 && toWhite.Port() != 0,
             "the SMTP server did not start (python3-aiosmtpd?)");
    SetUpPlayer(white_, black_, toBlack.Port());
    SetUpPlayer(black_, white_, toWhite.Port());
    const QString dayBefore = screen_test::TodayUtc();

    {  // White starts the game and sends 1. e4.
        ScreenScript script;
        NewGameSteps(script, false, black_);
        SendSteps(script, "5254", QStringLiteral("1. e4"), black_);
        QuitSteps(script, 1);  // Black to move
        RunAs(white_, script);
        QCOMPARE(lastListSeen_.at(1), QStringLiteral("* Durand, Bob"));
        QVERIFY(!lastListSeen_.at(0).startsWith(u"* "));
    }
    QCOMPARE(QDir(black_.Maildir() + QStringLiteral("/new")).entryList(QDir::Files).size(), 1);

    {  // Black starts the same game as Black, imports 1. e4 and answers 1... e5.
        ScreenScript script;
        NewGameSteps(script, true, white_);
        GetAnswerSteps(script, QStringLiteral("1. e4"));
        script.ThenOn<GameDisplay>(
            QStringLiteral("the game display after the import"),
            [](GameDisplay& display) { return !display.CanDiscard(); },
            [](GameDisplay& display) {
                QCOMPARE(display.StatusLabel(GameDisplay::kLastMove)->text(),
                         QStringLiteral("1. e4"));
                // Nothing to press: the next step enters the answer on this screen.
            });
        SendSteps(script, "5755", QStringLiteral("1... e5"), white_);
        QuitSteps(script, 0);  // White to move
        RunAs(black_, script);
        QCOMPARE(lastListSeen_.at(0), QStringLiteral("* Martin, Alice"));
    }

    {  // White opens the game and imports 1... e5.
        ScreenScript script;
        script.ThenOn<GamesListDialog>(
            QStringLiteral("White's games list"),
            [](GamesListDialog& list) { return list.rowCount() == 1; },
            [](GamesListDialog& list) { QTest::keyClick(&list, Qt::Key_F1); });
        GetAnswerSteps(script, QStringLiteral("1... e5"));
        script.ThenOn<GameDisplay>(
            QStringLiteral("the game display after the import"),
            [](GameDisplay& display) { return !display.CanDiscard(); },
            [](GameDisplay& display) {
                QCOMPARE(display.StatusLabel(GameDisplay::kLastMove)->text(),
                         QStringLiteral("1... e5"));
                QTest::keyClick(&display, Qt::Key_F1);
            });
        QuitSteps(script, 0);  // White to move again
        RunAs(white_, script);
        QCOMPARE(lastListSeen_.at(0), QStringLiteral("* Alice Martin"));
        QVERIFY(!lastListSeen_.at(1).startsWith(u"* "));
    }

    const QString dayAfter = screen_test::TodayUtc();
    const QString whiteGames = ReadText(white_.GamesFile());
    const QString blackGames = ReadText(black_.GamesFile());
    QCOMPARE(MoveText(whiteGames), QStringLiteral("1. e4 e5 *"));
    QCOMPARE(MoveText(blackGames), MoveText(whiteGames));
    for (const QString& games : {whiteGames, blackGames}) {
        QCOMPARE(TagValue(games, QStringLiteral("Trait")), QStringLiteral("White"));
        QCOMPARE(TagValue(games, QStringLiteral("LastMove")), QStringLiteral("1"));
        const QString date = TagValue(games, QStringLiteral("LastMoveDate"));
        QVERIFY2(date == dayBefore || date == dayAfter, qPrintable(date));
        QCOMPARE(TagValue(games, QStringLiteral("WhiteEmail")), white_.email);
        QCOMPARE(TagValue(games, QStringLiteral("BlackEmail")), black_.email);
    }
}

QTEST_MAIN(ExchangeEndToEndTest)
#include "exchange_end_to_end_test.moc"
