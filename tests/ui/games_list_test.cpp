#include "game/game_document.h"
#include "tests/support/screen_script.h"
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
const QStringList kFourRows{"* Alice|Bob|?", "* Carol|Dave|?", "* Eve|Frank|?", "Grace|* Heidi|?"};

// A games list on `pgn` (null: no file); what it opens, saves and tells is logged, F1 closes.
struct ListFixture {
    explicit ListFixture(const QByteArray& pgn) {
        if (pgn == "folder") {
            QDir().mkpath(path);
        } else if (!pgn.isNull()) {
            screen_test::WriteFile(path, pgn);
        }
        list.runGameDisplay = [this](QWidget* parent, GameDocument& document,
                                     const std::filesystem::path& /*answerWaiting*/) {
            // The games list hands its row count to the reader as the game's save mode.
            const QString white = QString::fromStdU16String(document.white.value_or(u""));
            answerer.log << QStringLiteral("open %1, mode %2").arg(white).arg(document.saveMode);
            return after == "Display" ? OpenGameDisplay(parent, document) : !after.isEmpty();
        };
        list.saveGame = [this](GameDocument&) {
            return !(answerer.log << "save").isEmpty() && after == "Save";
        };
        list.showNotice = [this](const QString& text) { answerer.log << text; };
    }

    // The rows ("White|Black|Last"), what was logged, and the list's state.
    QStringList Seen() const {
        const QString greyed = list.softkeyBar()->softkey(0)->isEnabled() ? "" : ", Open greyed";
        const QString state = (list.hasEnded() ? "ended" : list.countLabel()->text()) + greyed;
        return screen_test::Rows(*list.model(), 3) + answerer.log +
               QStringList{state + QStringLiteral(", row %1").arg(list.SelectedRow())};
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Korvani.pgn"));
    GamesListDialog list{path.toStdString()};
    QString after;  // what the game display asks for: "Save", "SaveFails" or "Display"
    screen_test::ScreenAnswerer answerer{[this](QWidget& screen) {
        if (qobject_cast<QMenu*>(&screen) == nullptr) {  // a ScreenScript chooses in menus
            answerer.log << "screen " + screen.windowTitle() +
                                (screen.geometry() == list.geometry() ? " over the list" : "");
            QTest::keyClick(&screen, Qt::Key_F1);
        }
    }};
};

}  // namespace

class GamesListTest : public QObject {
    Q_OBJECT

private slots:
    // A games file, keys (Menu>item, Unselect, Reload, Save... are not keys), what is seen.
    void gamesFiles_data() {
        QTest::addColumn<QByteArray>("pgn");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("seen");
        const auto row = [](const char* name, const QByteArray& pgn, const char* keys,
                            const QStringList& seen) {
            QTest::newRow(name) << pgn << QString(keys)
                                << (pgn == kFourGames ? kFourRows + seen : seen);
        };
        const QByteArray noSite = Game("White=No Site;Black=B;Result=*");
        const QString one = QStringLiteral("1 games, row 0");
        // clang-format off
        row("missing file is created empty", QByteArray(), "F1", {"0 games, Open greyed, row -1"});
        row("White to move", Mail("Ann", "Bob", ";Trait=White;LastMoveDate=05.06"), "", {"* Ann|Bob|05.06", one});
        row("Black to move", Mail("Ann", "Bob", ";Trait=Black;LastMoveDate=11.23"), "", {"Ann|* Bob|11.23", one});
        row("won: the result, no mark", Game("Site=Mail;White=Eve;Black=Frank;Result=1-0;WhiteEmail=e@x;Trait=Black"), "", {"Eve|Frank|1-0", one});
        row("drawn", Game("Site=Mail;White=Eve;Black=Frank;Result=1/2-1/2;WhiteEmail=e@x"), "", {"Eve|Frank|½-½", one});
        row("running, not by e-mail, no date", Game("Site=Here;White=Ivan;Black=Judy;Result=*;Trait=Black"), "", {"Ivan|Judy|?", one});
        row("a game without Site is told once", noSite + Game("Site=Mail;White=Karl;Black=Lena;Result=0-1"), "Reload", {"Karl|Lena|0-1", "1 game of this file is not listed: its tags are incomplete", "refill", one});
        row("two unlisted games", noSite + kFourGames + noSite, "Reload", kFourRows + QStringList{"2 games of this file are not listed: their tags are incomplete", "refill", "4 games, row 0"});
        row("unreadable: a folder in its place", "folder", "", {"Critical [Korvani] Unable to load games file", "ended, Open greyed, row -1"});
        row("F1 opens the selected game", kFourGames, "Down Down F1", {"open Eve, mode 4", "4 games, row 2"});
        row("nothing selected", kFourGames, "Unselect F1 Return", {"4 games, Open greyed, row -1"});
        row("a save refills, the row kept", kFourGames, "Save Down Down Down F1", {"open Grace, mode 4", "save", "refill", "4 games, row 3"});
        row("a failed save is told", kFourGames, "SaveFails Down F1", {"open Carol, mode 4", "save", "Critical [Error] Unable to save game", "4 games, row 1"});
        row("the game display over the list", kFourGames, "Display Return", {"open Alice, mode 4", "screen Game display over the list", "4 games, row 0"});
        row("Menu, Quit ends the list", kFourGames, "Menu>Quit", {"ended, row 0"});
        row("Menu, About", kFourGames, "Menu>About...", {"screen Korvani 0.1 over the list", "4 games, row 0"});
        // clang-format on
    }

    void gamesFiles() {
        QFETCH(QByteArray, pgn);
        QFETCH(QString, keys);
        ListFixture f(pgn);
        f.list.InitDialog();
        f.list.show();
        QVERIFY(f.list.hasEnded() || QTest::qWaitForWindowActive(&f.list));
        QObject::connect(f.list.model(), &QAbstractItemModel::modelReset,
                         [&f] { f.answerer.log << "refill"; });
        ScreenScript menu;
        for (const QString& key : keys.split(' ', Qt::SkipEmptyParts)) {
            if (key == "Unselect") {
                f.list.SelectRow(-1);
            } else if (key == "Reload") {
                f.list.FillGamesList();
            } else if (key.startsWith("Save") || key == "Display") {
                f.after = key;
            } else if (key.startsWith(QStringLiteral("Menu>"))) {
                menu.ThenMenu(key.mid(5));
                QTest::keyClick(f.list.listView(), Qt::Key_F2);
            } else {
                QTest::keyClick(f.list.listView(), QKeySequence(key)[0].key());
            }
        }
        QCoreApplication::processEvents();
        QTEST(f.Seen(), "seen");
        // Reading leaves the file as it was.
        QVERIFY(pgn == "folder" ||
                (QFileInfo(f.path).isFile() && screen_test::ReadFile(f.path) == pgn));
    }

    // A long read shows its progress over the list; the back key stops it and ends the list.
    void backKeyStopsALongRead() {
        ListFixture f(kFourGames);
        f.list.readIndex = [](const std::filesystem::path&, const ReadProgress& progress) {
            for (std::size_t games = 1; progress(games);
                 games = std::min<std::size_t>(games + 1, 10)) {
                std::this_thread::yield();
            }
            return GamesIndex();
        };
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&f] {
            if (f.list.progressView()->isVisible() && f.answerer.log.isEmpty()) {
                f.answerer.log << f.list.progressView()->countLabel()->text() +
                                      (f.list.isVisible() ? " over the list" : "");
                QTest::keyClick(&f.list, Qt::Key_Escape);
            }
        });
        poll.start(20);
        f.list.InitDialog();
        QCOMPARE(f.Seen(), (QStringList{"10 games indexed over the list", "ended, row -1"}));
    }
};

QTEST_MAIN(GamesListTest)
#include "games_list_test.moc"
