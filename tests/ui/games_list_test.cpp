#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <filesystem>
#include <future>

#include "game/game_document.h"
#include "pgn/games_file.h"
#include "resources/resource_ids.h"
#include "tests/support/screen_test_support.h"
#include "ui/game/game_display.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/games_list/games_list_model.h"
#include "ui/kit/read_progress_view.h"
#include "ui/kit/softkey_bar.h"

namespace {

const QString kMarksFile = QStringLiteral(KORVANI_TEST_DATA_DIR "/ui/games_list_marks.pgn");

// A games list on a copy of one of the test files, with its game display replaced by
// a recorder.
class ListFixture {
public:
    explicit ListFixture(const QString& source = QString()) {
        path = std::filesystem::path(dir.filePath(QStringLiteral("Korvani.pgn")).toStdString());
        if (!source.isEmpty()) {
            QFile::copy(source, QString::fromStdString(path.string()));
            QFile::setPermissions(QString::fromStdString(path.string()),
                                  QFile::ReadOwner | QFile::WriteOwner);
        }
        list = std::make_unique<GamesListDialog>(path);
        list->runGameDisplay = [this](QWidget* parent, GameDocument& document,
                                      const std::filesystem::path& /*answerWaiting*/) {
            opened << QString::fromStdU16String(document.white.value_or(u""));
            openedSaveMode = document.saveMode;
            displayParent = parent;
            return askSave;
        };
        list->saveGame = [this](GameDocument& /*document*/) {
            ++saves;
            return saveSucceeds;
        };
        list->showNotice = [this](const QString& text) { notices << text; };
    }

    void Start() {
        list->InitDialog();
        list->show();
        list->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(list.get()));
    }

    QString Cell(int row, int column) const {
        return list->model()->index(row, column).data().toString();
    }

    QTemporaryDir dir;
    std::filesystem::path path;
    std::unique_ptr<GamesListDialog> list;
    QStringList opened;
    QStringList notices;
    std::uint32_t openedSaveMode = 0;
    QWidget* displayParent = nullptr;
    bool askSave = false;
    bool saveSucceeds = true;
    int saves = 0;
};

}  // namespace

class GamesListTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { screen_test::CancelPending(); }

    void firstStartCreatesTheEmptyGamesFile();
    void gamesFileLivesInTheDocumentsFolder();
    void rowsShowPlayersMarksAndLast_data();
    void rowsShowPlayersMarksAndLast();
    void listHasThreeEqualColumnsAndACount();
    void rowsFollowTheIndexInFileOrder();
    void unlistedGamesAreToldOnceAfterTheStart();
    void openIsGreyedWithoutSelection();
    void openLoadsTheSelectedGame_data();
    void openLoadsTheSelectedGame();
    void openShowsTheGameInTheGameDisplay();
    void selectionIsKeptByIndexAfterASave();
    void failedSaveShowsItsBoxAndKeepsTheRows();
    void unreadableFileEndsTheList();
    void newGameIsAppendedSelectedAndOpened();
    void menuRunsTheAboutBox();
    void quitAndBackKeyEndTheList_data();
    void quitAndBackKeyEndTheList();
    void slowReadShowsItsProgressThenTheRows();
    void backKeyStopsASlowReadAndEndsTheList();

private:
    screen_test::ModalWatchdog watchdog_;
};

void GamesListTest::firstStartCreatesTheEmptyGamesFile() {
    ListFixture fixture;
    QVERIFY(!std::filesystem::exists(fixture.path));
    QCOMPARE(fixture.list->countLabel()->text(), QStringLiteral("Games :"));
    fixture.Start();
    QVERIFY(std::filesystem::exists(fixture.path));
    QCOMPARE(std::filesystem::file_size(fixture.path), std::uintmax_t{0});
    QCOMPARE(fixture.list->countLabel()->text(), QStringLiteral("0 games"));
    QCOMPARE(fixture.list->windowTitle(), QStringLiteral("Korvani"));
    QVERIFY(!fixture.list->hasEnded());
}

void GamesListTest::gamesFileLivesInTheDocumentsFolder() {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    const std::filesystem::path path = DefaultGamesFilePath();
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    QCOMPARE(QString::fromStdString(path.string()),
             home.path() + QStringLiteral("/Documents/Korvani.pgn"));
    QVERIFY(std::filesystem::is_directory(path.parent_path()));
}

void GamesListTest::rowsShowPlayersMarksAndLast_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("white");
    QTest::addColumn<QString>("black");
    QTest::addColumn<QString>("last");
    QTest::newRow("e-mail game, White to move") << 0 << "* Alice Martin"
                                                << "Bob Stone"
                                                << "05.06";
    QTest::newRow("e-mail game, Black to move") << 1 << "Carol Diaz"
                                                << "* Dave Kim"
                                                << "11.23";
    QTest::newRow("finished, White won") << 2 << "Eve Moreau"
                                         << "Frank Li"
                                         << "1-0";
    QTest::newRow("drawn") << 3 << "Grace Ho"
                           << "Heidi Berg" << QStringLiteral("½-½");
    QTest::newRow("running, not by e-mail, no date") << 4 << "Ivan Petrov"
                                                     << "Judy Chen"
                                                     << "?";
    QTest::newRow("after a game without the roster") << 5 << "Karl Weber"
                                                     << "Lena Vogt"
                                                     << "0-1";
}

void GamesListTest::rowsShowPlayersMarksAndLast() {
    QFETCH(int, row);
    QFETCH(QString, white);
    QFETCH(QString, black);
    QFETCH(QString, last);
    ListFixture fixture(kMarksFile);
    fixture.Start();
    QCOMPARE(fixture.Cell(row, 0), white);
    QCOMPARE(fixture.Cell(row, 1), black);
    QCOMPARE(fixture.Cell(row, 2), last);
}

void GamesListTest::listHasThreeEqualColumnsAndACount() {
    ListFixture fixture(kMarksFile);
    fixture.Start();
    QCOMPARE(fixture.list->rowCount(), 6);
    QCOMPARE(fixture.list->countLabel()->text(), QStringLiteral("6 games"));
    QHeaderView* header = fixture.list->listView()->horizontalHeader();
    QCOMPARE(fixture.list->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("White"));
    QCOMPARE(fixture.list->model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Last"));
    QVERIFY(header->sectionSize(0) > 10);
    QCOMPARE(header->sectionSize(1), header->sectionSize(0));
    QCOMPARE(header->sectionSize(2), header->sectionSize(0));
    QVERIFY(3 * header->sectionSize(0) <= fixture.list->listView()->width());
    // Row 0 is selected when nothing was, on the first fill and on a refill.
    QCOMPARE(fixture.list->SelectedRow(), 0);
    fixture.list->SelectRow(-1);
    QVERIFY(fixture.list->FillGamesList());
    QCOMPARE(fixture.list->SelectedRow(), 0);
}

void GamesListTest::rowsFollowTheIndexInFileOrder() {
    ListFixture fixture(kMarksFile);
    fixture.Start();
    const GamesListModel& model = *fixture.list->model();
    const GamesFile& games = *fixture.list->games();
    // Asked for out of order, each row still gets its own entry of the index.
    QCOMPARE(model.EntryAt(5), games.lastEntry());
    QCOMPARE(model.EntryAt(0), games.firstEntry());
    const GameListEntry* entry = games.firstEntry();
    for (int row = 0; row < model.rowCount(); ++row, entry = entry->nextEntry.get()) {
        QCOMPARE(model.EntryAt(row), entry);
    }
    QVERIFY(entry == nullptr);
    QVERIFY(model.EntryAt(6) == nullptr);
    QVERIFY(model.EntryAt(-1) == nullptr);
    QVERIFY(!model.index(6, 0).data().isValid());
}

void GamesListTest::unlistedGamesAreToldOnceAfterTheStart() {
    ListFixture fixture(kMarksFile);  // its seventh game has no Site tag
    fixture.Start();
    QTRY_COMPARE(fixture.notices,
                 QStringList{"1 game of this file is not listed: its tags are incomplete"});
    QVERIFY(fixture.list->FillGamesList());
    QTest::qWait(10);
    QCOMPARE(fixture.notices.size(), 1);
}

void GamesListTest::openIsGreyedWithoutSelection() {
    ListFixture fixture(kMarksFile);
    fixture.Start();
    fixture.list->SelectRow(-1);
    QPushButton* open = fixture.list->softkeyBar()->softkey(0);
    QVERIFY(!open->isEnabled());
    QTest::keyClick(fixture.list->listView(), Qt::Key_F1);
    QTest::keyClick(fixture.list->listView(), Qt::Key_Return);
    QVERIFY(fixture.opened.isEmpty());
    fixture.list->SelectRow(2);
    QVERIFY(open->isEnabled());

    ListFixture empty;
    empty.Start();
    QVERIFY(!empty.list->softkeyBar()->softkey(0)->isEnabled());
    QTest::keyClick(empty.list->listView(), Qt::Key_F1);
    QVERIFY(empty.opened.isEmpty());
}

void GamesListTest::openLoadsTheSelectedGame_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Open softkey (F1)") << int(Qt::Key_F1);
    QTest::newRow("Action key (Return)") << int(Qt::Key_Return);
}

void GamesListTest::openLoadsTheSelectedGame() {
    QFETCH(int, key);
    ListFixture fixture(kMarksFile);
    fixture.Start();
    fixture.list->listView()->setFocus();
    // Down twice from the first row: the third game.
    QTest::keyClick(fixture.list->listView(), Qt::Key_Down);
    QTest::keyClick(fixture.list->listView(), Qt::Key_Down);
    QTest::keyClick(fixture.list->listView(), static_cast<Qt::Key>(key));
    QCOMPARE(fixture.opened, QStringList{"Eve Moreau"});
    QCOMPARE(fixture.openedSaveMode, std::uint32_t{6});
    QCOMPARE(fixture.displayParent, fixture.list.get());
    QCOMPARE(fixture.saves, 0);
}

void GamesListTest::openShowsTheGameInTheGameDisplay() {
    ListFixture fixture(kMarksFile);
    fixture.list->runGameDisplay = [](QWidget* parent, GameDocument& document,
                                      const std::filesystem::path& /*answerWaiting*/) {
        return OpenGameDisplay(parent, document);
    };
    fixture.Start();
    fixture.list->SelectRow(1);
    QString title;
    QSize size;
    screen_test::WhenModalShows(
        [&](QWidget& display) {
            title = display.windowTitle();
            size = display.size();
            // "Save+Close" without a change: nothing is to be saved.
            QTest::keyClick(&display, Qt::Key_F1);
        },
        fixture.list.get());
    QTest::keyClick(fixture.list->listView(), Qt::Key_Return);
    QCOMPARE(title, QStringLiteral("Game display"));
    QCOMPARE(size, fixture.list->size());
    QCOMPARE(fixture.saves, 0);
    QVERIFY(!fixture.list->hasEnded());
}

void GamesListTest::selectionIsKeptByIndexAfterASave() {
    ListFixture fixture(kMarksFile);
    fixture.askSave = true;
    fixture.Start();
    fixture.list->SelectRow(3);
    QSignalSpy refills(fixture.list->model(), &QAbstractItemModel::modelReset);
    QTest::keyClick(fixture.list->listView(), Qt::Key_F1);
    QCOMPARE(fixture.opened, QStringList{"Grace Ho"});
    QCOMPARE(fixture.saves, 1);
    QCOMPARE(refills.count(), 1);
    QCOMPARE(fixture.list->SelectedRow(), 3);
    QCOMPARE(fixture.list->countLabel()->text(), QStringLiteral("6 games"));
}

void GamesListTest::failedSaveShowsItsBoxAndKeepsTheRows() {
    ListFixture fixture(kMarksFile);
    fixture.askSave = true;
    fixture.saveSucceeds = false;
    fixture.Start();
    fixture.list->SelectRow(1);
    QSignalSpy refills(fixture.list->model(), &QAbstractItemModel::modelReset);
    std::optional<screen_test::SeenBox> seen;
    screen_test::AnswerNextBox(seen, QMessageBox::Ok, fixture.list.get());
    QTest::keyClick(fixture.list->listView(), Qt::Key_F1);
    QVERIFY(seen.has_value());
    QCOMPARE(seen->text, QStringLiteral("Unable to save game"));
    QCOMPARE(seen->caption, QStringLiteral("Error"));
    QCOMPARE(seen->icon, QMessageBox::Critical);
    QCOMPARE(refills.count(), 0);
    QCOMPARE(fixture.list->SelectedRow(), 1);
}

void GamesListTest::unreadableFileEndsTheList() {
    ListFixture fixture;
    // A folder in the file's place cannot be read as a games file.
    std::filesystem::create_directory(fixture.path);
    QStringList boxes;
    std::function<void(QWidget&)> answer = [&](QWidget& modal) {
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
            boxes << box->text();
        }
        modal.close();
        screen_test::WhenModalShows(answer, nullptr, 20);
    };
    screen_test::WhenModalShows(answer);
    fixture.list->InitDialog();
    QVERIFY(fixture.list->hasEnded());
    QCOMPARE(fixture.list->endCode(), kIdCancel);
    QVERIFY(boxes.contains(QStringLiteral("Unable to load games file")));
    QCOMPARE(fixture.list->model()->rowCount(), 0);
}

void GamesListTest::newGameIsAppendedSelectedAndOpened() {
    ListFixture fixture(kMarksFile);
    fixture.Start();
    fixture.list->runNewGame = [](QWidget*, GamesFile& games) {
        auto document = std::make_unique<GameDocument>(&games);
        document->SetWhite(u"Owner Name");
        document->SetBlack(u"Friend Far");
        return document;
    };
    int appends = 0;
    fixture.list->appendNewGame = [&](std::unique_ptr<GameDocument>& document, GamesFile& games) {
        ++appends;
        // Stands in for the file update: the index takes the game at the file's end.
        document->fileOffset = std::filesystem::file_size(fixture.path);
        QFile file(QString::fromStdString(fixture.path.string()));
        file.open(QIODevice::Append);
        file.write(
            "[Event \"?\"]\n[Site \"?\"]\n[Date \"????.??.??\"]\n[Round \"?\"]\n"
            "[White \"Owner Name\"]\n[Black \"Friend Far\"]\n[Result \"*\"]\n\n*\n");
        file.close();
        games.Append(std::move(document));
        return true;
    };
    screen_test::WhenPopupShows(
        [](QMenu& menu) { screen_test::ChooseMenuItem(menu, QStringLiteral("New...")); });
    QTest::keyClick(fixture.list->listView(), Qt::Key_F2);
    QCOMPARE(appends, 1);
    QCOMPARE(fixture.list->rowCount(), 7);
    QCOMPARE(fixture.list->countLabel()->text(), QStringLiteral("7 games"));
    QCOMPARE(fixture.list->SelectedRow(), 6);
    QCOMPARE(fixture.Cell(6, 1), QStringLiteral("Friend Far"));
    QCOMPARE(fixture.opened, QStringList{"Owner Name"});
}

void GamesListTest::menuRunsTheAboutBox() {
    ListFixture fixture(kMarksFile);
    fixture.Start();
    QString title;
    QString text;
    bool hasIcon = false;
    QString softkey;
    screen_test::WhenPopupShows([&](QMenu& menu) {
        screen_test::WhenModalShows(
            [&](QWidget& about) {
                title = about.windowTitle();
                text = about.findChild<QLabel*>(QStringLiteral("aboutText"))->text();
                hasIcon = !about.findChild<QLabel*>(QStringLiteral("aboutIcon"))->pixmap().isNull();
                softkey = about.findChild<QPushButton*>(QStringLiteral("softkey0"))->text();
                QTest::keyClick(&about, Qt::Key_F1);
            },
            fixture.list.get());
        screen_test::ChooseMenuItem(menu, QStringLiteral("About..."));
    });
    QTest::keyClick(fixture.list->listView(), Qt::Key_F2);
    QCOMPARE(title, QStringLiteral("Korvani 0.1"));
    QCOMPARE(text, QStringLiteral("Korvani 0.1"));
    QVERIFY(hasIcon);
    QCOMPARE(softkey, QStringLiteral("OK"));
    QVERIFY(!fixture.list->hasEnded());
}

void GamesListTest::quitAndBackKeyEndTheList_data() {
    QTest::addColumn<bool>("useMenu");
    QTest::newRow("Menu, Quit") << true;
    QTest::newRow("back key") << false;
}

void GamesListTest::quitAndBackKeyEndTheList() {
    QFETCH(bool, useMenu);
    ListFixture fixture(kMarksFile);
    fixture.Start();
    if (useMenu) {
        screen_test::WhenPopupShows([](QMenu& menu) {
            menu.setActiveAction(menu.actions().last());
            QTest::keyClick(&menu, Qt::Key_Return);
        });
        QTest::keyClick(fixture.list->listView(), Qt::Key_F2);
    } else {
        QTest::keyClick(fixture.list->listView(), Qt::Key_Escape);
    }
    QVERIFY(fixture.list->hasEnded());
    QCOMPARE(fixture.list->endCode(), kIdCancel);
    QVERIFY(fixture.opened.isEmpty());
}

namespace {

// A read of ten games that then waits for `release` (or a minute, so that a test whose
// bar never shows fails instead of hanging) before reading the file for good.
GamesListDialog::IndexReader SlowIndexReader(std::shared_future<void> release) {
    return [release](const std::filesystem::path& path, const ReadProgress& progress) {
        for (std::size_t games = 1; games <= 10; ++games) {
            progress(games);
        }
        release.wait_for(std::chrono::minutes(1));
        return ReadGamesIndex(path, progress);
    };
}

// Runs `onBar` once the list's progress bar shows; polled from the screen's events,
// which go on while the list waits for its read.
void WhenBarShows(GamesListDialog& list, QTimer& poll, std::function<void()> onBar) {
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &list, [&list, &poll, onBar = std::move(onBar)] {
        if (list.progressView()->isVisible()) {
            poll.stop();
            onBar();
        }
    });
    poll.start();
}

}  // namespace

void GamesListTest::slowReadShowsItsProgressThenTheRows() {
    ListFixture fixture(kMarksFile);
    std::promise<void> release;
    fixture.list->readIndex = SlowIndexReader(release.get_future().share());
    QString count;
    bool listShown = false;
    bool barShown = false;
    QTimer poll;
    WhenBarShows(*fixture.list, poll, [&] {
        count = fixture.list->progressView()->countLabel()->text();
        barShown = fixture.list->progressView()->bar()->isVisible();
        listShown = fixture.list->isVisible();
        release.set_value();
    });
    fixture.Start();
    QCOMPARE(count, QStringLiteral("10 games indexed"));
    QVERIFY(barShown);
    QVERIFY(listShown);
    QVERIFY(!fixture.list->progressView()->isVisible());
    QCOMPARE(fixture.list->rowCount(), 6);
    QCOMPARE(fixture.Cell(0, 0), QStringLiteral("* Alice Martin"));
    QCOMPARE(fixture.list->countLabel()->text(), QStringLiteral("6 games"));
}

void GamesListTest::backKeyStopsASlowReadAndEndsTheList() {
    ListFixture fixture(kMarksFile);
    std::atomic<bool> stopSeen = false;
    // A read that goes on until it is told to stop.
    fixture.list->readIndex = [&stopSeen](const std::filesystem::path&,
                                          const ReadProgress& progress) {
        for (std::size_t games = 1; games < 100000000; ++games) {
            if (!progress(games)) {
                stopSeen = true;
                break;
            }
            std::this_thread::yield();
        }
        return GamesIndex();
    };
    QTimer poll;
    WhenBarShows(*fixture.list, poll, [&] { QTest::keyClick(fixture.list.get(), Qt::Key_Escape); });
    fixture.list->InitDialog();
    QVERIFY(stopSeen);
    QVERIFY(fixture.list->hasEnded());
    QCOMPARE(fixture.list->endCode(), kIdCancel);
    QVERIFY(fixture.notices.isEmpty());
}

QTEST_MAIN(GamesListTest)
#include "games_list_test.moc"
