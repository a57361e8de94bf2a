#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>

#include "game/game_document.h"
#include "pgn/games_file.h"
#include "pgn/games_file_update.h"
#include "tests/support/screen_script.h"
#include "tests/support/screen_test_support.h"
#include "ui/game/game_display.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/games_list/games_list_model.h"
#include "ui/kit/read_progress_view.h"
#include "ui/kit/softkey_bar.h"

namespace {

// One game with one move: `tags` ("Name=value;...") after Event, Date and Round.
QByteArray Game(const QString& tags) {
    QString text;
    for (const QString& tag : ("Event=Club;Date=2026.01.10;Round=1;" + tags).split(';')) {
        text += QStringLiteral("[%1 \"%2\"]\n").arg(tag.section('=', 0, 0), tag.section('=', 1));
    }
    return (text + "\n1. e4 *\n\n").toUtf8();
}

QByteArray Mail(const char* white, const char* black, const char* more = "") {
    return Game(QStringLiteral("Site=Mail;White=%1;Black=%2;Result=*;WhiteEmail=w@x.org%3")
                    .arg(white, black, more));
}

const QByteArray kFourGames = Mail("Alice", "Bob") + Mail("Carol", "Dave") + Mail("Eve", "Frank") +
                              Mail("Grace", "Heidi", ";Trait=Black");

enum After { kDiscard, kSave, kSaveFails, kRealDisplay };

// A games list on a file holding `pgn` (none when null, a folder for "folder"), its
// game display and notices logged; every box or screen over it is logged and closed.
struct ListFixture {
    explicit ListFixture(const QByteArray& pgn, After after = kDiscard) {
        QFile file(QString::fromStdString(path));
        if (pgn == "folder") {
            std::filesystem::create_directory(path);
        } else if (!pgn.isNull() && file.open(QIODevice::WriteOnly)) {
            file.write(pgn);
        }
        list.runGameDisplay = [this, after](QWidget* parent, GameDocument& document,
                                            const std::filesystem::path& /*answerWaiting*/) {
            log << "open " + QString::fromStdU16String(document.white.value_or(u""));
            return after == kRealDisplay ? OpenGameDisplay(parent, document) : after != kDiscard;
        };
        list.saveGame = [this, after](GameDocument& document) {
            log << QStringLiteral("save");
            return after != kSaveFails && SaveGame(document) == SaveResult::Ok;
        };
        list.runNewGame = [](QWidget*, GamesFile& games) {
            auto document = std::make_unique<GameDocument>(&games);
            document->SetWhite(u"Owner");
            document->SetBlack(u"Friend");
            document->ParseResult(u"*");
            return document;
        };
        list.appendNewGame = [](std::unique_ptr<GameDocument>& document, GamesFile& games) {
            return AppendNewGame(document, games) == SaveResult::Ok;
        };
        list.showNotice = [this](const QString& text) { log << text; };
        QObject::connect(&poll, &QTimer::timeout, [this] { CloseModal(); });
        poll.start(10);
    }

    void CloseModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const bool critical = box->icon() == QMessageBox::Critical;
            log << QStringLiteral("box %1: %2%3")
                       .arg(box->windowTitle(), box->text(), critical ? " (critical)" : "");
            box->accept();
        } else if (modal != nullptr && modal != &list && modal->isVisible()) {
            const bool over = modal->geometry() == list.geometry();
            log << "screen " + modal->windowTitle() + (over ? " over the list" : "");
            QTest::keyClick(modal, Qt::Key_F1);
        }
    }

    // The rows ("White|Black|Last"), what was logged, and the list's state.
    QStringList Seen() const {
        QStringList seen;
        for (int row = 0; row < list.model()->rowCount(); ++row) {
            seen << QStringList{list.model()->index(row, 0).data().toString(),
                                list.model()->index(row, 1).data().toString(),
                                list.model()->index(row, 2).data().toString()}
                        .join('|');
        }
        QString state = list.hasEnded() ? QStringLiteral("ended") : list.countLabel()->text();
        if (!list.softkeyBar()->softkey(0)->isEnabled()) {
            state += QStringLiteral(", Open greyed");
        }
        return seen + log + QStringList{state + QStringLiteral(", row %1").arg(list.SelectedRow())};
    }

    QTemporaryDir dir;
    std::string path = dir.filePath(QStringLiteral("Korvani.pgn")).toStdString();
    GamesListDialog list{path};
    QStringList log;
    QTimer poll;
};

}  // namespace

class GamesListTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { screen_test::CancelPending(); }

    void files_data() {
        QTest::addColumn<QByteArray>("pgn");
        QTest::addColumn<QStringList>("seen");
        const auto row = [](const char* name, const QByteArray& pgn, const QStringList& seen) {
            QTest::newRow(name) << pgn << seen;
        };
        const QByteArray noSite = Game("White=No Site;Black=B;Result=*");
        row("missing file is created empty", QByteArray(), {"0 games, Open greyed, row -1"});
        row("White to move", Mail("Ann", "Bob", ";Trait=White;LastMoveDate=05.06"),
            {"* Ann|Bob|05.06", "1 games, row 0"});
        row("Black to move", Mail("Ann", "Bob", ";Trait=Black;LastMoveDate=11.23"),
            {"Ann|* Bob|11.23", "1 games, row 0"});
        row("won: the result, no mark",
            Game("Site=Mail;White=Eve;Black=Frank;Result=1-0;WhiteEmail=e@x;Trait=Black"),
            {"Eve|Frank|1-0", "1 games, row 0"});
        row("drawn", Game("Site=Mail;White=Eve;Black=Frank;Result=1/2-1/2;WhiteEmail=e@x"),
            {"Eve|Frank|½-½", "1 games, row 0"});
        row("running, not by e-mail, no date",
            Game("Site=Here;White=Ivan;Black=Judy;Result=*;Trait=Black"),
            {"Ivan|Judy|?", "1 games, row 0"});
        row("a game without Site is told once",
            noSite + Game("Site=Mail;White=Karl;Black=Lena;Result=0-1"),
            {"Karl|Lena|0-1", "1 game of this file is not listed: its tags are incomplete",
             "1 games, row 0"});
        row("two unlisted games", noSite + kFourGames + noSite,
            {"* Alice|Bob|?", "* Carol|Dave|?", "* Eve|Frank|?", "Grace|* Heidi|?",
             "2 games of this file are not listed: their tags are incomplete", "4 games, row 0"});
        row("unreadable: a folder in its place", "folder",
            {"box Korvani: Unable to load games file (critical)", "ended, Open greyed, row -1"});
    }

    void files() {
        QFETCH(QByteArray, pgn);
        ListFixture f(pgn);
        f.list.InitDialog();
        QCoreApplication::processEvents();
        QTEST(f.Seen(), "seen");
        // A reload tells nothing again, and reading leaves the file as it was.
        f.list.FillGamesList();
        QCoreApplication::processEvents();
        QTEST(f.Seen(), "seen");
        QFile file(QString::fromStdString(f.path));
        QVERIFY(pgn == "folder" || (file.open(QIODevice::ReadOnly) && file.readAll() == pgn));
    }

    void keys_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("seen");
        const auto row = [](const char* name, int selected, After after, const char* keys,
                            QStringList log, const char* state) {
            QStringList seen{"* Alice|Bob|?", "* Carol|Dave|?", "* Eve|Frank|?", "Grace|* Heidi|?"};
            QTest::newRow(name) << selected << int(after) << QString(keys)
                                << seen + log + QStringList{state};
        };
        row("F1 opens the selected game", 0, kDiscard, "Down Down F1", {"open Eve"},
            "4 games, row 2");
        row("Return opens it", 0, kDiscard, "Down Return", {"open Carol"}, "4 games, row 1");
        row("nothing selected", -1, kDiscard, "F1 Return", {}, "4 games, Open greyed, row -1");
        row("saved: refilled, row kept", 3, kSave, "F1", {"open Grace", "save", "refill"},
            "4 games, row 3");
        row("failed save is told", 1, kSaveFails, "F1",
            {"open Carol", "save", "box Error: Unable to save game (critical)"}, "4 games, row 1");
        row("the game display over the list", 1, kRealDisplay, "F1",
            {"open Carol", "screen Game display over the list"}, "4 games, row 1");
        row("Esc ends the list", 0, kDiscard, "Esc", {}, "ended, row 0");
        row("Menu, Quit ends the list", 0, kDiscard, "Menu>Quit", {}, "ended, row 0");
        row("Menu, About", 0, kDiscard, "Menu>About...", {"screen Korvani 0.1 over the list"},
            "4 games, row 0");
        QTest::newRow("Menu, New appends and opens")
            << 0 << int(kDiscard) << "Menu>New..."
            << QStringList{"* Alice|Bob|?",  "* Carol|Dave|?", "* Eve|Frank|?", "Grace|* Heidi|?",
                           "Owner|Friend|?", "open Owner",     "5 games, row 4"};
    }

    void keys() {
        QFETCH(int, selected);
        QFETCH(int, after);
        QFETCH(QString, keys);
        ListFixture f(kFourGames, After(after));
        f.list.InitDialog();
        f.list.show();
        f.list.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.list));
        f.list.SelectRow(selected);
        QObject::connect(f.list.model(), &QAbstractItemModel::modelReset,
                         [&f] { f.log << "refill"; });
        ScreenScript script;
        for (const QString& key : keys.split(' ')) {
            if (key.startsWith(QStringLiteral("Menu>"))) {
                script.ThenMenu(key.mid(5));
            }
            const QKeySequence sequence(key.startsWith("Menu>") ? QStringLiteral("F2") : key);
            QTest::keyClick(f.list.listView(), sequence[0].key());
        }
        QVERIFY2(script.Finished(), qPrintable(script.StalledAt()));
        QTEST(f.Seen(), "seen");
        // The file written holds what the list shows; three equal columns fill the list.
        f.log.clear();
        QVERIFY(f.list.hasEnded() || f.list.FillGamesList());
        const QHeaderView* header = f.list.listView()->horizontalHeader();
        QCOMPARE(header->sectionSize(2), header->sectionSize(0));
        QVERIFY(header->sectionSize(0) > 30 &&
                3 * header->sectionSize(0) <= f.list.listView()->width());
    }

    // A long read shows its progress over the list, then the rows; the back key stops it
    // and ends the list.
    void slowRead_data() {
        QTest::addColumn<bool>("stop");
        QTest::newRow("read to the end") << false;
        QTest::newRow("back key stops it") << true;
    }

    void slowRead() {
        QFETCH(bool, stop);
        ListFixture f(kFourGames);
        std::atomic<bool> released = false;
        f.list.readIndex = [&released](const std::filesystem::path& path,
                                       const ReadProgress& progress) {
            for (std::size_t games = 1; games <= 10; ++games) {
                progress(games);
            }
            while (!released && progress(10)) {
                std::this_thread::yield();
            }
            return released ? ReadGamesIndex(path, progress) : GamesIndex();
        };
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (f.list.progressView()->isVisible() && f.log.isEmpty()) {
                f.log << f.list.progressView()->countLabel()->text() +
                             (f.list.isVisible() ? " over the list" : "");
                stop ? QTest::keyClick(&f.list, Qt::Key_Escape) : void(released = true);
            }
        });
        poll.start(20);
        f.list.InitDialog();
        QVERIFY(!f.list.progressView()->isVisible());
        QCOMPARE(f.Seen().mid(f.Seen().size() - 2),
                 (QStringList{"10 games indexed over the list",
                              stop ? "ended, row -1" : "4 games, row 0"}));
    }

private:
    screen_test::ModalWatchdog watchdog_;
};

QTEST_MAIN(GamesListTest)
#include "games_list_test.moc"
