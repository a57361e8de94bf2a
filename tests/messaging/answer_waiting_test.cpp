// The games list's "answer waiting" mark against a real Maildir, and Get answer on a
// marked game, by keys.
#include <fcntl.h>
#include <sys/stat.h>

#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "app/mail_exchange_dialogs.h"
#include "contacts/owner_identity.h"
#include "game/game_document.h"
#include "messaging/message_store.h"
#include "tests/support/messaging_test_support.h"
#include "tests/support/screen_script.h"
#include "tests/support/screen_test_support.h"
#include "ui/exchange/message_lines_dialog.h"
#include "ui/game/game_display.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/games_list/games_list_model.h"
#include "ui/kit/run_dialog.h"

namespace {

namespace fs = std::filesystem;

constexpr std::time_t kDay = 86400;

// Month and day of `time` in UTC, as a game keeps the date of its last move.
QString MonthDay(std::time_t time) {
    return QDateTime::fromSecsSinceEpoch(time, Qt::UTC).toString("MM.dd");
}

// Ann's games list on a games file with one running e-mail game: Ann (White) sent 1. e4
// three days ago and awaits Bob's answer.
struct MarkedList {
    MarkedList() {
        owner.Set(u"Ann Smith", u"ann@example.org");
        MakeMaildir(store);
        WriteBytes(root / "Korvani.pgn",
                   "[Event \"?\"]\n[Site \"?\"]\n[Date \"2025.01.01\"]\n[Round \"1\"]\n"
                   "[White \"Ann Smith\"]\n[Black \"Bob Durand\"]\n[Result \"*\"]\n"
                   "[WhiteEmail \"ann@example.org\"]\n[BlackEmail \"bob@example.net\"]\n"
                   "[LastMoveDate \"" +
                       MonthDay(now - 3 * kDay).toStdString() +
                       "\"]\n[LastMove \"1\"]\n[Trait \"Black\"]\n\n1. e4 *\n\n");
        list = std::make_unique<GamesListDialog>(root / "Korvani.pgn");
        list->inboxStores = [this] { return std::vector<fs::path>{store}; };
        list->owner = &owner;
    }
    // A message from `from` in the store's file `name`, delivered `daysAgo` days ago.
    void Deliver(const std::string& name, const std::string& from, int daysAgo) {
        const fs::path file = store / (name.find(':') != std::string::npos ? "cur" : "new") / name;
        WriteBytes(file, "From: Bob Durand <" + from + ">\r\nSubject: Move #1\r\n\r\n" +
                             "Hello Ann,\r\n\r\n1... e5\r\n\r\nBob\r\n");
        const std::time_t when = now - daysAgo * kDay;
        const timespec times[2] = {{when, 0}, {when, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    }

    QTemporaryDir folder;
    const fs::path root = folder.path().toStdString();
    const fs::path store = root / "Mail";
    const std::time_t now = std::time(nullptr);
    OwnerIdentity owner;
    std::unique_ptr<GamesListDialog> list;
};

}  // namespace

class AnswerWaitingTest : public QObject {
    Q_OBJECT

private slots:
    void markFollowsTheOpponentsNewestMessage_data();
    void markFollowsTheOpponentsNewestMessage();
    void getAnswerOnAMarkedGameShowsThatMessagesLines();
};

void AnswerWaitingTest::markFollowsTheOpponentsNewestMessage_data() {
    QTest::addColumn<QString>("sender");
    QTest::addColumn<int>("daysAgo");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("black");
    const QString marked = "* \u2709 Bob Durand", unmarked = "* Bob Durand";
    const QString bob = "bob@example.net";
    QTest::newRow("answer newer than the last move") << bob << 1 << "1.a:2,S" << marked;
    QTest::newRow("answer older than the last move") << bob << 5 << "1.a:2,S" << unmarked;
    QTest::newRow("answer on the day of the last move") << bob << 3 << "1.a:2,S" << unmarked;
    QTest::newRow("someone else's message") << "carol@example.org" << 1 << "1.o" << unmarked;
    QTest::newRow("address in other letter case") << "Bob@EXAMPLE.net" << 1 << "1.a" << marked;
    QTest::newRow("answer thrown away") << bob << 1 << "1.a:2,ST" << unmarked;
}

void AnswerWaitingTest::markFollowsTheOpponentsNewestMessage() {
    QFETCH(QString, sender);
    QFETCH(int, daysAgo);
    QFETCH(QString, name);
    QFETCH(QString, black);
    MarkedList fixture;
    fixture.Deliver(name.toStdString(), sender.toStdString(), daysAgo);
    const auto before = MessageFiles(fixture.store);
    fixture.list->InitDialog();
    QCOMPARE(fixture.list->model()->index(0, 0).data().toString(), "Ann Smith");
    QCOMPARE(fixture.list->model()->index(0, 1).data().toString(), black);
    QVERIFY(MessageFiles(fixture.store) == before);  // the mark only reads the store
}

void AnswerWaitingTest::getAnswerOnAMarkedGameShowsThatMessagesLines() {
    MarkedList fixture;
    // An older message of Bob's and the waiting one: the newest opens.
    fixture.Deliver("1.older:2,S", "bob@example.net", 9);
    fixture.Deliver("2.answer", "bob@example.net", 1);
    MessageStore session;
    MessagingSettings settings;
    settings.stores = {fixture.store};
    QCOMPARE(session.Logon(settings), 0);
    const ExchangeDialogs exchange = MailExchangeDialogs(session, fixture.owner);
    QString answered;
    fixture.list->runGameDisplay = [&](QWidget* parent, GameDocument& document,
                                       const fs::path& answerWaiting) {
        const bool save = OpenGameDisplayWithMail(parent, document, exchange, answerWaiting);
        answered = QString::number(document.trait) + " " +
                   QString::fromStdU16String(document.lastMoveDate.value_or(u""));
        return save;
    };
    ScreenScript script;
    // The marked game opens, Get answer from its menu, the message's second line, Next.
    script.ThenKey<GamesListDialog>("the games list", Qt::Key_Return);
    script.ThenKey<GameDisplay>("the game display", Qt::Key_F2);
    script.ThenMenu("Get answer");
    script.ThenOn<MessageLinesDialog>(
        "the lines, without the inbox", {}, [](MessageLinesDialog& dialog) {
            for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_F2}) {
                QTest::keyClick(screen_test::FocusedOr(&dialog), key);
            }
        });
    script.ThenOn<GameDisplay>(
        "the game with the answer", [](GameDisplay& display) { return !display.CanDiscard(); },
        [](GameDisplay& display) { QTest::keyClick(&display, Qt::Key_F1); });
    script.ThenOn<GamesListDialog>("the games list, to quit", {}, [](GamesListDialog& list) {
        QTest::keyClick(&list, Qt::Key_Escape);
    });
    RunDialog(*fixture.list, nullptr);
    QVERIFY2(script.Finished(), qPrintable(script.StalledAt()));
    // Black's answer is in, dated as the newest message was delivered.
    QCOMPARE(answered, "0 " + MonthDay(fixture.now - kDay));
}

QTEST_MAIN(AnswerWaitingTest)
#include "answer_waiting_test.moc"
