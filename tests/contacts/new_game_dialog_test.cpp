#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "contacts/contacts_database.h"
#include "contacts/extract_email_address.h"
#include "contacts/owner_identity.h"
#include "game/game_document.h"
#include "pgn/games_file.h"
#include "pgn/games_file_update.h"
#include "platform/error_report.h"
#include "resources/resource_ids.h"
#include "tests/support/modal_script.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/kit/run_dialog.h"
#include "ui/kit/softkey_bar.h"
#include "ui/new_game/new_game_dialog.h"

namespace {

// Three contacts with an address (one written with a display name, one named only by
// its FN), one without.
constexpr const char* kFourContacts =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dupont;Jean;;;\r\n"
    "EMAIL:Jean Dupont <Jean.Dupont@Example.org>\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nomail;Nora;;;\r\nTEL:555 0100\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Durand;Bob;;;\r\nEMAIL:bob@example.net\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Jan van Berg\r\nEMAIL:jan@example.nl\r\nEND:VCARD\r\n";

// Contacts whose address texts hold no address.
constexpr const char* kNoAddress =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nomail;Nora;;;\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roux;Paul;;;\r\nEMAIL:paul at example.org\r\nEND:VCARD\r\n";

NewGameDialog* AsNewGame(QWidget* modal) {
    return dynamic_cast<NewGameDialog*>(modal);
}

// The object name of the widget with the keyboard focus; empty for none.
QString FocusName() {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus->objectName() : QString();
}

QString Text(const std::optional<std::u16string>& value) {
    return value.has_value() ? QString::fromStdU16String(*value) : QStringLiteral("<unset>");
}

}  // namespace

class NewGameDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void extractEmailAddress_data();
    void extractEmailAddress();

    // The form as it starts.
    void opponentsAreTheContactsWithAnAddress();
    void ownerIdentityFillsTheFieldsAndIsKept();

    // The new game.
    void doneBuildsTheGameWithTheUserAsWhite();
    void playBlackGivesWhiteToTheOpponent();
    void withoutOwnerIdentityTheTypedOneIsStored();
    void cancelGivesNoGame();
    void backKeyDeletesInTheNameField();
    void arrowsMoveBetweenFieldsAndTheFormFollows();

    // Address books that offer no opponent.
    void noContactWithAnAddressEndsTheDialog();
    void contactsUnavailableEndsTheDialog();
    void missingSessionEndsTheDialog();

    // "New..." in the games list.
    void newGameIsAppendedAndOpened();
    void newGameNotWrittenGetsNoRow();

private:
    // Runs the games list on `gamesPath` with New... wired to the dialog and to the
    // games file; `beforeNew` runs just before the command. Gives the White tag of
    // each game the display was asked to open, and the rows after the command.
    int RunNewFromGamesList(const std::filesystem::path& gamesPath,
                            const std::function<void()>& beforeNew, QStringList& opened,
                            ModalScript& script);
    void WriteBook(const char* cards);
    // Runs the dialog with `step` on it; the boxes it shows are accepted and recorded.
    std::unique_ptr<GameDocument> Run(ModalScript::Step step, int boxes, ModalScript& script);

    std::unique_ptr<QTemporaryDir> folder_;
    std::filesystem::path bookPath_;
    ContactsDatabase contacts_;
    OwnerIdentity owner_;
    std::unique_ptr<GamesFile> games_;
    std::vector<ErrorBox> errorBoxes_;
};

void NewGameDialogTest::init() {
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    const std::filesystem::path root(folder_->path().toStdString());
    bookPath_ = root / "contacts.vcf";
    games_ = std::make_unique<GamesFile>(root / "Korvani.pgn");
    WriteBook(kFourContacts);
    QCOMPARE(contacts_.Logon({bookPath_, false}), 0);
    owner_.Set(u"Alice Martin", u"alice@example.org");
    errorBoxes_.clear();
    SetErrorBoxHandler([this](const ErrorBox& box) { errorBoxes_.push_back(box); });
}

void NewGameDialogTest::cleanup() {
    SetErrorBoxHandler(nullptr);
    contacts_.Close();
    games_.reset();
    folder_.reset();
}

void NewGameDialogTest::WriteBook(const char* cards) {
    std::ofstream out(bookPath_, std::ios::binary | std::ios::trunc);
    out << cards;
}

std::unique_ptr<GameDocument> NewGameDialogTest::Run(ModalScript::Step step, int boxes,
                                                     ModalScript& script) {
    script.Then(std::move(step));
    for (int box = 0; box < boxes; ++box) {
        script.ThenAcceptBox();
    }
    return RunNewGameDialog(nullptr, *games_, &contacts_, owner_);
}

void NewGameDialogTest::extractEmailAddress_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address");  // null for none
    QTest::newRow("display name and brackets")
        << QStringLiteral("Jean Dupont <jean.dupont@example.org>")
        << QStringLiteral("jean.dupont@example.org");
    QTest::newRow("upper case kept") << QStringLiteral("\"Bob\" <Bob_Durand@Mail-Box.NET>")
                                     << QStringLiteral("Bob_Durand@Mail-Box.NET");
    QTest::newRow("bare address") << QStringLiteral(" bob@example.net ")
                                  << QStringLiteral("bob@example.net");
    QTest::newRow("a plain address is kept whole with its plus")
        << QStringLiteral("pat+chess@example.org") << QStringLiteral("pat+chess@example.org");
    QTest::newRow("a plain address is kept whole with its apostrophe")
        << QStringLiteral("sean.o'brien@example.ie") << QStringLiteral("sean.o'brien@example.ie");
    QTest::newRow("whole address between brackets")
        << QStringLiteral("Pat <pat+chess@example.org>") << QStringLiteral("pat+chess@example.org");
    QTest::newRow("name around an address without brackets")
        << QStringLiteral("Sean O'Brien sean.o'brien@example.ie (home)")
        << QStringLiteral("sean.o'brien@example.ie");
    QTest::newRow("scheme and trailing separator")
        << QStringLiteral("mailto:bob@example.net;") << QStringLiteral("bob@example.net");
    QTest::newRow("first at sign wins")
        << QStringLiteral("a@b.c, d@e.f") << QStringLiteral("a@b.c");
    QTest::newRow("no at sign") << QStringLiteral("Bob Durand") << QString();
    QTest::newRow("at sign first") << QStringLiteral("@example.net") << QString();
    QTest::newRow("nothing after the at sign") << QStringLiteral("bob@ example") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void NewGameDialogTest::extractEmailAddress() {
    QFETCH(QString, text);
    QFETCH(QString, address);
    const std::optional<std::u16string> extracted = ExtractEmailAddress(text.toStdU16String());
    if (address.isNull()) {
        QVERIFY(!extracted.has_value());
    } else {
        QVERIFY(extracted.has_value());
        QCOMPARE(QString::fromStdU16String(*extracted), address);
    }
}

void NewGameDialogTest::opponentsAreTheContactsWithAnAddress() {
    NewGameDialog dialog(nullptr, *games_, &contacts_, owner_);
    dialog.InitDialog();
    QVERIFY(!dialog.hasEnded());
    QCOMPARE(dialog.activeSoftkeyBar()->barId(), kBarNewGame);
    QCOMPARE(dialog.opponentList()->count(), 3);
    QCOMPARE(dialog.opponentList()->itemText(0), QStringLiteral("Dupont, Jean"));
    QCOMPARE(dialog.opponentList()->itemText(1), QStringLiteral("Durand, Bob"));
    QCOMPARE(dialog.opponentList()->itemText(2), QStringLiteral("Jan van Berg"));
    QCOMPARE(dialog.opponentList()->currentIndex(), 0);
    QCOMPARE(dialog.opponentAddress()->text(), QStringLiteral("Jean.Dupont@Example.org"));
    dialog.opponentList()->setCurrentIndex(1);
    QCOMPARE(dialog.opponentAddress()->text(), QStringLiteral("bob@example.net"));
    QVERIFY(!dialog.playBlackBox()->isChecked());
}

void NewGameDialogTest::ownerIdentityFillsTheFieldsAndIsKept() {
    NewGameDialog dialog(nullptr, *games_, &contacts_, owner_);
    dialog.InitDialog();
    QCOMPARE(dialog.nameEdit()->text(), QStringLiteral("Alice Martin"));
    QCOMPARE(dialog.emailEdit()->text(), QStringLiteral("alice@example.org"));
    dialog.emailEdit()->setText(QStringLiteral("alice@work.example"));
    QTest::keyClick(&dialog, Qt::Key_F1);
    QVERIFY(dialog.hasEnded());
    const std::unique_ptr<GameDocument> game = dialog.TakeResult();
    QVERIFY(game != nullptr);
    QCOMPARE(Text(game->whiteEmail), QStringLiteral("alice@work.example"));
    // The identity was set before the dialog: typing does not replace it.
    QVERIFY(owner_.email == u"alice@example.org");
}

void NewGameDialogTest::doneBuildsTheGameWithTheUserAsWhite() {
    ModalScript script;
    auto game = Run(
        [](QWidget* modal) {
            NewGameDialog* dialog = AsNewGame(modal);
            QVERIFY(dialog != nullptr);
            dialog->eventEdit()->setText(QStringLiteral("Club match"));
            QTest::keyClick(dialog, Qt::Key_Return);
        },
        0, script);
    QCOMPARE(script.strayCount(), 0);
    QVERIFY(game != nullptr);
    QVERIFY(game->gamesFile == games_.get());
    QCOMPARE(Text(game->white), QStringLiteral("Alice Martin"));
    QCOMPARE(Text(game->black), QStringLiteral("Dupont, Jean"));
    QCOMPARE(Text(game->whiteEmail), QStringLiteral("alice@example.org"));
    QCOMPARE(Text(game->blackEmail), QStringLiteral("Jean.Dupont@Example.org"));
    QCOMPARE(Text(game->event), QStringLiteral("Club match"));
    QCOMPARE(Text(game->round), QStringLiteral("?"));
    QCOMPARE(Text(game->site), QStringLiteral("?"));
    QCOMPARE(game->result, GameResult::Other);
    QCOMPARE(QString::fromStdU16String(std::u16string(game->ResultText(true))),
             QStringLiteral("*"));
    QCOMPARE(Text(game->date), QStringLiteral("<unset>"));
    QCOMPARE(Text(game->lastMoveDate), QStringLiteral("<unset>"));
    QCOMPARE(int{game->lastMove}, 0);
    QCOMPARE(int{game->trait}, 0);
    QVERIFY(game->root.firstMove == nullptr);
}

void NewGameDialogTest::playBlackGivesWhiteToTheOpponent() {
    ModalScript script;
    auto game = Run(
        [](QWidget* modal) {
            NewGameDialog* dialog = AsNewGame(modal);
            QVERIFY(dialog != nullptr);
            dialog->opponentList()->setCurrentIndex(1);
            dialog->playBlackBox()->setChecked(true);
            dialog->roundEdit()->setText(QStringLiteral("3"));
            dialog->siteEdit()->setText(QStringLiteral("Lyon"));
            QTest::keyClick(dialog, Qt::Key_F1);
        },
        0, script);
    QVERIFY(game != nullptr);
    QCOMPARE(Text(game->white), QStringLiteral("Durand, Bob"));
    QCOMPARE(Text(game->whiteEmail), QStringLiteral("bob@example.net"));
    QCOMPARE(Text(game->black), QStringLiteral("Alice Martin"));
    QCOMPARE(Text(game->blackEmail), QStringLiteral("alice@example.org"));
    QCOMPARE(Text(game->event), QStringLiteral("?"));
    QCOMPARE(Text(game->round), QStringLiteral("3"));
    QCOMPARE(Text(game->site), QStringLiteral("Lyon"));
}

void NewGameDialogTest::withoutOwnerIdentityTheTypedOneIsStored() {
    owner_.Set(u"", u"");
    bool fieldsStartedEmpty = false;
    ModalScript script;
    auto game = Run(
        [&fieldsStartedEmpty](QWidget* modal) {
            NewGameDialog* dialog = AsNewGame(modal);
            QVERIFY(dialog != nullptr);
            fieldsStartedEmpty =
                dialog->nameEdit()->text().isEmpty() && dialog->emailEdit()->text().isEmpty();
            QTest::keyClick(dialog, Qt::Key_F1);
            QVERIFY(!dialog->hasEnded());
            dialog->nameEdit()->setText(QString(130, QLatin1Char('N')));
            QTest::keyClick(dialog, Qt::Key_F1);
            QVERIFY(!dialog->hasEnded());
            dialog->emailEdit()->setText(QStringLiteral("new.owner@example.org"));
            QTest::keyClick(dialog, Qt::Key_F1);
        },
        2, script);
    QVERIFY(fieldsStartedEmpty);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(script.boxes().size(), std::size_t{2});
    QCOMPARE(script.boxes()[0].text, QStringLiteral("Your name is mandatory"));
    QCOMPARE(script.boxes()[0].caption, QStringLiteral("Error"));
    QCOMPARE(script.boxes()[0].icon, QMessageBox::Critical);
    QCOMPARE(script.boxes()[1].text, QStringLiteral("Your email is mandatory"));
    QCOMPARE(script.boxes()[1].caption, QStringLiteral("Error"));
    QVERIFY(game != nullptr);
    const QString name(127, QLatin1Char('N'));
    QCOMPARE(Text(game->white), name);
    QCOMPARE(QString::fromStdU16String(owner_.name), name);
    QVERIFY(owner_.email == u"new.owner@example.org");
}

void NewGameDialogTest::cancelGivesNoGame() {
    owner_.Set(u"", u"");
    ModalScript script;
    auto game = Run(
        [](QWidget* modal) {
            NewGameDialog* dialog = AsNewGame(modal);
            QVERIFY(dialog != nullptr);
            dialog->nameEdit()->setText(QStringLiteral("Someone"));
            dialog->emailEdit()->setText(QStringLiteral("someone@example.org"));
            QTest::keyClick(dialog, Qt::Key_F2);
        },
        0, script);
    QVERIFY(game == nullptr);
    QCOMPARE(script.strayCount(), 0);
    QVERIFY(owner_.name.empty());
}

void NewGameDialogTest::backKeyDeletesInTheNameField() {
    QString nameAfterBack;
    bool openAfterBack = false;
    ModalScript script;
    auto game = Run(
        [&](QWidget* modal) {
            NewGameDialog* dialog = AsNewGame(modal);
            QVERIFY(dialog != nullptr);
            dialog->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            dialog->nameEdit()->setFocus();
            dialog->nameEdit()->end(false);
            QTest::keyClick(dialog->nameEdit(), Qt::Key_Escape);
            nameAfterBack = dialog->nameEdit()->text();
            openAfterBack = !dialog->hasEnded();
            QTest::keyClick(dialog, Qt::Key_F2);
        },
        0, script);
    QVERIFY(game == nullptr);
    QVERIFY(openAfterBack);
    QCOMPARE(nameAfterBack, QStringLiteral("Alice Marti"));
}

void NewGameDialogTest::arrowsMoveBetweenFieldsAndTheFormFollows() {
    QString reachedDown;
    QString reachedUp;
    int scrollRange = 0;
    int scrolledDown = 0;
    int scrolledUp = -1;
    bool siteShown = false;
    ModalScript script;
    auto game = Run(
        [&](QWidget* modal) {
            NewGameDialog* dialog = AsNewGame(modal);
            QVERIFY(dialog != nullptr);
            dialog->resize(kMinimumWindowSize);
            dialog->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QScrollBar* bar = dialog->formScroll()->verticalScrollBar();
            scrollRange = bar->maximum();
            dialog->playBlackBox()->setFocus();
            for (int press = 0; press < 3; ++press) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            }
            reachedDown = FocusName();
            scrolledDown = bar->value();
            const QWidget* viewport = dialog->formScroll()->viewport();
            const QRect site(dialog->siteEdit()->mapTo(viewport, QPoint(0, 0)),
                             dialog->siteEdit()->size());
            siteShown = viewport->rect().contains(site);
            dialog->emailEdit()->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
            reachedUp = FocusName();
            scrolledUp = bar->value();
            QTest::keyClick(dialog, Qt::Key_F2);
        },
        0, script);
    QVERIFY(game == nullptr);
    QCOMPARE(script.strayCount(), 0);
    QVERIFY(scrollRange > 0);
    QCOMPARE(reachedDown, QStringLiteral("site"));
    QVERIFY(scrolledDown > 0);
    QVERIFY(siteShown);
    QCOMPARE(reachedUp, QStringLiteral("name"));
    QCOMPARE(scrolledUp, 0);
}

void NewGameDialogTest::noContactWithAnAddressEndsTheDialog() {
    WriteBook(kNoAddress);
    ModalScript script;
    script.ThenAcceptBox();
    QVERIFY(RunNewGameDialog(nullptr, *games_, &contacts_, owner_) == nullptr);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(script.boxes().size(), std::size_t{1});
    QCOMPARE(script.boxes()[0].text, QStringLiteral("No contact found"));
    QCOMPARE(script.boxes()[0].caption, QStringLiteral("Korvani"));
    QCOMPARE(script.boxes()[0].icon, QMessageBox::Critical);
}

void NewGameDialogTest::contactsUnavailableEndsTheDialog() {
    // The address book is gone: its session cannot read it any more.
    std::filesystem::remove(bookPath_);
    ModalScript script;
    script.ThenAcceptBox();
    QVERIFY(RunNewGameDialog(nullptr, *games_, &contacts_, owner_) == nullptr);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(script.boxes().size(), std::size_t{1});
    QCOMPARE(script.boxes()[0].text, QStringLiteral("Unable to access Contacts list"));
    QCOMPARE(script.boxes()[0].caption, QStringLiteral("Korvani"));
    QCOMPARE(script.boxes()[0].icon, QMessageBox::Critical);
    // The session's own box, captioned with the step that failed, came first.
    QCOMPARE(errorBoxes_.size(), std::size_t{1});
}

void NewGameDialogTest::missingSessionEndsTheDialog() {
    ModalScript script;
    script.ThenAcceptBox();
    QVERIFY(RunNewGameDialog(nullptr, *games_, nullptr, owner_) == nullptr);
    QCOMPARE(script.boxes().size(), std::size_t{1});
    QCOMPARE(script.boxes()[0].text, QStringLiteral("Unable to access Contacts list"));
    contacts_.Close();
    script.ThenAcceptBox();
    QVERIFY(RunNewGameDialog(nullptr, *games_, &contacts_, owner_) == nullptr);
    QCOMPARE(script.boxes().size(), std::size_t{2});
    QCOMPARE(script.boxes()[1].text, QStringLiteral("Unable to access Contacts list"));
    QCOMPARE(script.strayCount(), 0);
}

int NewGameDialogTest::RunNewFromGamesList(const std::filesystem::path& gamesPath,
                                           const std::function<void()>& beforeNew,
                                           QStringList& opened, ModalScript& script) {
    GamesListDialog list(gamesPath);
    list.runNewGame = [this](QWidget* parent, GamesFile& games) {
        return RunNewGameDialog(parent, games, &contacts_, owner_);
    };
    list.appendNewGame = [](std::unique_ptr<GameDocument>& document, GamesFile& games) {
        return AppendNewGame(document, games) == SaveResult::Ok;
    };
    list.runGameDisplay = [&opened](QWidget* /*parent*/, GameDocument& document,
                                    const std::filesystem::path& /*answerWaiting*/) {
        opened << Text(document.white);
        return false;
    };
    int rows = -1;
    script.Then([&](QWidget* modal) {
        QVERIFY(modal == &list);
        beforeNew();
        list.HandleCommand(kCmdNewGame);
        rows = list.rowCount();
        list.HandleCommand(kCmdQuit);
    });
    script.Then([](QWidget* modal) {
        NewGameDialog* dialog = AsNewGame(modal);
        QVERIFY(dialog != nullptr);
        dialog->opponentList()->setCurrentIndex(1);
        QTest::keyClick(dialog, Qt::Key_F1);
    });
    RunDialog(list, nullptr);
    return rows;
}

void NewGameDialogTest::newGameIsAppendedAndOpened() {
    const std::filesystem::path gamesPath = games_->path();
    QStringList opened;
    ModalScript script;
    const int rows = RunNewFromGamesList(
        gamesPath, [] {}, opened, script);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(rows, 1);
    QCOMPARE(opened, QStringList{QStringLiteral("Alice Martin")});
    std::ifstream in(gamesPath, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    QVERIFY(text.find("[White \"Alice Martin\"]") != std::string::npos);
    QVERIFY(text.find("[Black \"Durand, Bob\"]") != std::string::npos);
    QVERIFY(text.find("[BlackEmail \"bob@example.net\"]") != std::string::npos);
    QVERIFY(errorBoxes_.empty());
}

void NewGameDialogTest::newGameNotWrittenGetsNoRow() {
    const std::filesystem::path gamesPath = games_->path();
    QStringList opened;
    ModalScript script;
    // Once the list is up, the games file turns into a folder that cannot be written.
    const int rows = RunNewFromGamesList(
        gamesPath,
        [&gamesPath] {
            std::filesystem::remove(gamesPath);
            std::filesystem::create_directory(gamesPath);
        },
        opened, script);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(rows, 0);
    QVERIFY(opened.isEmpty());
    QCOMPARE(errorBoxes_.size(), std::size_t{1});
}

QTEST_MAIN(NewGameDialogTest)
#include "new_game_dialog_test.moc"
