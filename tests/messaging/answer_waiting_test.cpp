// The games list's "answer waiting" mark against a real Maildir, and Get answer on a
// marked game, by keys.
#include <fcntl.h>
#include <sys/stat.h>

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "app/mail_exchange_dialogs.h"
#include "contacts/owner_identity.h"
#include "game/game_document.h"
#include "messaging/message_store.h"
#include "tests/support/screen_script.h"
#include "ui/exchange/message_lines_dialog.h"
#include "ui/game/game_display.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/games_list/games_list_model.h"
#include "ui/kit/run_dialog.h"

namespace {

namespace fs = std::filesystem;

constexpr std::time_t kDay = 86400;

// Month and day of `time` in UTC, as a game keeps the date of its last move.
std::string MonthDay(std::time_t time) {
    std::tm fields{};
    ::gmtime_r(&time, &fields);
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d", fields.tm_mon + 1, fields.tm_mday);
    return text;
}

// A games file with one running e-mail game of the owner, Ann (White), who sent 1. e4
// three days ago: Bob's answer is awaited.
void WriteGamesFile(const fs::path& file, std::time_t now) {
    std::ofstream(file, std::ios::binary)
        << "[Event \"Correspondence\"]\n[Site \"?\"]\n[Date \"2025.01.01\"]\n[Round \"1\"]\n"
        << "[White \"Ann Smith\"]\n[Black \"Bob Durand\"]\n[Result \"*\"]\n"
        << "[WhiteEmail \"ann@example.org\"]\n[BlackEmail \"bob@example.net\"]\n"
        << "[LastMoveDate \"" << MonthDay(now - 3 * kDay) << "\"]\n"
        << "[LastMove \"1\"]\n[Trait \"Black\"]\n\n1. e4 *\n\n";
}

// A message from `from` in the maildir `store`, file `name` of `sub`, delivered at `when`.
void Deliver(const fs::path& store, const char* sub, const std::string& name,
             const std::string& from, std::time_t when) {
    const fs::path file = store / sub / name;
    std::ofstream(file, std::ios::binary) << "From: Bob Durand <" << from << ">\r\n"
                                          << "To: ann@example.org\r\nSubject: Move #1\r\n\r\n"
                                          << "Hello Ann,\r\n\r\n1... e5\r\n\r\nBob\r\n";
    const timespec times[2] = {{when, 0}, {when, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

// Ann's games list on a games file and a mail store of a temporary folder.
struct MarkedList {
    MarkedList() : now(std::time(nullptr)) {
        owner.Set(u"Ann Smith", u"ann@example.org");
        const fs::path root(folder.path().toStdString());
        store = root / "Mail";
        for (const char* sub : {"new", "cur", "tmp"}) {
            fs::create_directories(store / sub);
        }
        WriteGamesFile(root / "Korvani.pgn", now);
        list = std::make_unique<GamesListDialog>(root / "Korvani.pgn");
        list->inboxStores = [this] { return std::vector<fs::path>{store}; };
        list->owner = &owner;
    }

    QString Cell(int column) const { return list->model()->index(0, column).data().toString(); }

    QTemporaryDir folder;
    OwnerIdentity owner;
    std::time_t now;
    fs::path store;
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
    const QString marked = QStringLiteral("* \u2709 Bob Durand");
    const QString unmarked = QStringLiteral("* Bob Durand");
    QTest::newRow("answer newer than the last move")
        << "bob@example.net" << 1 << "1.answer:2,S" << marked;
    QTest::newRow("answer older than the last move")
        << "bob@example.net" << 5 << "1.answer:2,S" << unmarked;
    QTest::newRow("answer on the day of the last move")
        << "bob@example.net" << 3 << "1.answer:2,S" << unmarked;
    QTest::newRow("someone else's message") << "carol@example.org" << 1 << "1.other" << unmarked;
    QTest::newRow("address in other letter case") << "Bob@EXAMPLE.net" << 1 << "1.answer" << marked;
    QTest::newRow("answer thrown away") << "bob@example.net" << 1 << "1.answer:2,ST" << unmarked;
}

void AnswerWaitingTest::markFollowsTheOpponentsNewestMessage() {
    QFETCH(QString, sender);
    QFETCH(int, daysAgo);
    QFETCH(QString, name);
    QFETCH(QString, black);
    MarkedList fixture;
    Deliver(fixture.store, name.contains(QLatin1Char(':')) ? "cur" : "new", name.toStdString(),
            sender.toStdString(), fixture.now - daysAgo * kDay);
    fixture.list->InitDialog();
    QCOMPARE(fixture.Cell(0), QStringLiteral("Ann Smith"));
    QCOMPARE(fixture.Cell(1), black);
    // The mark only reads the store.
    QVERIFY(fs::exists(fixture.store / (name.contains(QLatin1Char(':')) ? "cur" : "new") /
                       name.toStdString()));
}

void AnswerWaitingTest::getAnswerOnAMarkedGameShowsThatMessagesLines() {
    MarkedList fixture;
    // An older message of Bob's and the waiting one: the newest opens.
    Deliver(fixture.store, "cur", "1.older:2,S", "bob@example.net", fixture.now - 9 * kDay);
    Deliver(fixture.store, "new", "2.answer", "bob@example.net", fixture.now - kDay);
    MessageStore session;
    MessagingSettings settings;
    settings.stores = {fixture.store};
    QCOMPARE(session.Logon(settings), 0);
    const ExchangeDialogs exchange = MailExchangeDialogs(session, fixture.owner);
    bool answered = false;
    fixture.list->runGameDisplay = [&](QWidget* parent, GameDocument& document,
                                       const fs::path& answerWaiting) {
        const bool save = OpenGameDisplayWithMail(parent, document, exchange, answerWaiting);
        // Black's answer is in, dated as the message was delivered.
        const std::string date = MonthDay(fixture.now - kDay);
        answered = document.trait == 0 &&
                   document.lastMoveDate == std::u16string(date.begin(), date.end());
        return save;
    };
    QStringList lines;
    QString from;
    ScreenScript script;
    script.ThenOn<GamesListDialog>(
        QStringLiteral("the games list with the mark"),
        [](GamesListDialog& list) {
            return list.model()->index(0, 1).data().toString().startsWith(u"* \u2709 ");
        },
        [](GamesListDialog& list) { QTest::keyClick(&list, Qt::Key_Return); });
    script.ThenOn<GameDisplay>(QStringLiteral("the game display"), {},
                               [](GameDisplay& display) { QTest::keyClick(&display, Qt::Key_F2); });
    script.Then(
        QStringLiteral("the game display's menu"),
        [](QWidget& top) { return qobject_cast<QMenu*>(&top) != nullptr; },
        [](QWidget& top) {
            auto& menu = static_cast<QMenu&>(top);
            for (QAction* action : menu.actions()) {
                if (action->text() == QStringLiteral("Get answer")) {
                    menu.setActiveAction(action);
                }
            }
            QTest::keyClick(&menu, Qt::Key_Return);
        });
    script.ThenOn<MessageLinesDialog>(
        QStringLiteral("the waiting message's lines, without the inbox list"), {},
        [&](MessageLinesDialog& dialog) {
            from = dialog.fromLabel()->text();
            for (int row = 0; row < dialog.lines()->count(); ++row) {
                lines << dialog.lines()->item(row)->text();
            }
            // From the language list down to the lines, to the move's line, then Next.
            QTest::keyClick(&dialog, Qt::Key_Tab);
            while (dialog.lines()->currentRow() < 1) {
                QTest::keyClick(dialog.lines(), Qt::Key_Down);
            }
            QTest::keyClick(&dialog, Qt::Key_F2);
        });
    script.ThenOn<GameDisplay>(
        QStringLiteral("the game display with the answer"),
        [](GameDisplay& display) { return !display.CanDiscard(); },
        [](GameDisplay& display) { QTest::keyClick(&display, Qt::Key_F1); });
    script.ThenOn<GamesListDialog>(
        QStringLiteral("the games list, to quit"), {},
        [](GamesListDialog& list) { QTest::keyClick(&list, Qt::Key_Escape); });
    RunDialog(*fixture.list, nullptr);
    QVERIFY2(script.Finished(), qPrintable(script.StalledAt()));
    QCOMPARE(from, QStringLiteral("From:bob@example.net"));
    QCOMPARE(lines, (QStringList{"Hello Ann,", "1... e5", "Bob"}));
    QVERIFY(answered);
}

QTEST_MAIN(AnswerWaitingTest)
#include "answer_waiting_test.moc"
