#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "contacts/owner_identity.h"
#include "game/game_document.h"
#include "messaging/message_store.h"
#include "messaging/send_move_dialog.h"
#include "platform/error_report.h"
#include "resources/resource_ids.h"
#include "tests/messaging/game_builder.h"
#include "tests/messaging/modal_script.h"
#include "ui/softkey_bar.h"

namespace {

const QString kSentText = QStringLiteral(
    "The message has been put in your outbox, it will be sent during next "
    "\"send/receive email\" operation");

// The files of one maildir folder's new/ and cur/.
std::vector<std::filesystem::path> MessageFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const char* sub : {"new", "cur"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder / sub, error)) {
            files.push_back(entry.path());
        }
    }
    return files;
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

class SendMoveDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // The fields proposed for the move to send.
    void whiteMoverWritesToBlackWithItsNumber();
    void blackMoverWritesToWhiteWithDotsAfterNumber();
    void frenchLettersAndBackToEnglish();
    void annotationIsCutKeepingTheBlank();
    void missingOpponentAddressLeavesToEmpty();
    void noMoveToSendDoesNotStart();

    // Sending.
    void sendPutsTheMessageInTheOutbox();
    void failedSendKeepsTheDialogOpen();
    void backKeyDeletesInTheFocusedField();
    void arrowsLeaveTheOneLineFields();

private:
    // A game of eleven exchanged moves each; the user, White, has played 12. Nd4.
    std::unique_ptr<GameDocument> WhiteToSend();
    // The same game after 12. Nd4 was sent; the user, Black, has played 12... Nf6.
    std::unique_ptr<GameDocument> BlackToSend();

    std::unique_ptr<QTemporaryDir> folder_;
    std::filesystem::path store_;
    MessageStore session_;
    std::vector<ErrorBox> errorBoxes_;
};

void SendMoveDialogTest::init() {
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    store_ = std::filesystem::path(folder_->path().toStdString()) / "Mail";
    MessagingSettings settings;
    settings.stores = {store_};
    settings.isDefault = true;
    QCOMPARE(session_.Logon(settings), 0);
    SetOwnerIdentity(u"Alice Martin", u"alice@example.org");
    errorBoxes_.clear();
    SetErrorBoxHandler([this](const ErrorBox& box) { errorBoxes_.push_back(box); });
}

void SendMoveDialogTest::cleanup() {
    SetErrorBoxHandler(nullptr);
    session_.Release();
    folder_.reset();
}

std::unique_ptr<GameDocument> SendMoveDialogTest::WhiteToSend() {
    auto game = std::make_unique<GameDocument>(nullptr);
    if (PlayKnightShuffle(*game) == nullptr || PlayMainLine(*game, {u"Nd4"}) == nullptr) {
        return nullptr;
    }
    game->SetWhiteEmail(u"alice@example.org");
    game->SetBlackEmail(u"bob@example.net");
    game->lastMove = 11;
    game->trait = 0;
    return game;
}

std::unique_ptr<GameDocument> SendMoveDialogTest::BlackToSend() {
    auto game = std::make_unique<GameDocument>(nullptr);
    if (PlayKnightShuffle(*game) == nullptr || PlayMainLine(*game, {u"Nd4", u"Nf6"}) == nullptr) {
        return nullptr;
    }
    game->SetWhiteEmail(u"bob@example.net");
    game->SetBlackEmail(u"alice@example.org");
    game->lastMove = 12;
    game->trait = 32;
    return game;
}

void SendMoveDialogTest::whiteMoverWritesToBlackWithItsNumber() {
    auto game = WhiteToSend();
    QVERIFY(game != nullptr);
    SendMoveDialog dialog(nullptr, *game, session_);
    dialog.InitDialog();
    QVERIFY(!dialog.hasEnded());
    QCOMPARE(dialog.moveLabel()->text(), QStringLiteral("12. Nd4"));
    QCOMPARE(dialog.toEdit()->text(), QStringLiteral("bob@example.net"));
    QCOMPARE(dialog.subjectEdit()->text(), QStringLiteral("Move #12"));
    QCOMPARE(dialog.languageList()->count(), 2);
    QCOMPARE(dialog.languageList()->itemText(0), QStringLiteral("English"));
    QCOMPARE(dialog.languageList()->itemText(1), QStringLiteral("French"));
    QCOMPARE(dialog.languageList()->currentIndex(), 0);
    QVERIFY(dialog.additionalTextEdit()->toPlainText().isEmpty());
    QVERIFY(dialog.activeSoftkeyBar() != nullptr);
    QCOMPARE(dialog.activeSoftkeyBar()->barId(), kBarSendMove);
}

void SendMoveDialogTest::blackMoverWritesToWhiteWithDotsAfterNumber() {
    auto game = BlackToSend();
    QVERIFY(game != nullptr);
    SendMoveDialog dialog(nullptr, *game, session_);
    dialog.InitDialog();
    QCOMPARE(dialog.moveLabel()->text(), QStringLiteral("12... Nf6"));
    QCOMPARE(dialog.toEdit()->text(), QStringLiteral("bob@example.net"));
    QCOMPARE(dialog.subjectEdit()->text(), QStringLiteral("Move #12"));
}

void SendMoveDialogTest::frenchLettersAndBackToEnglish() {
    auto game = BlackToSend();
    QVERIFY(game != nullptr);
    SendMoveDialog dialog(nullptr, *game, session_);
    dialog.InitDialog();
    QTest::keyClick(dialog.languageList(), Qt::Key_Down);
    QCOMPARE(dialog.languageList()->currentIndex(), 1);
    QCOMPARE(dialog.moveLabel()->text(), QStringLiteral("12... Cf6"));
    QTest::keyClick(dialog.languageList(), Qt::Key_Up);
    QCOMPARE(dialog.moveLabel()->text(), QStringLiteral("12... Nf6"));
}

void SendMoveDialogTest::annotationIsCutKeepingTheBlank() {
    auto game = WhiteToSend();
    QVERIFY(game != nullptr);
    Position* exchange = game->FindLastMovePosition();
    QVERIFY(exchange != nullptr && exchange->firstMove != nullptr);
    exchange->firstMove->nag = 1;
    SendMoveDialog dialog(nullptr, *game, session_);
    dialog.InitDialog();
    QCOMPARE(dialog.moveLabel()->text(), QStringLiteral("12. Nd4 "));
}

void SendMoveDialogTest::missingOpponentAddressLeavesToEmpty() {
    auto game = WhiteToSend();
    QVERIFY(game != nullptr);
    game->SetBlackEmail(std::nullopt);
    SendMoveDialog dialog(nullptr, *game, session_);
    dialog.InitDialog();
    QVERIFY(!dialog.hasEnded());
    QVERIFY(dialog.toEdit()->text().isEmpty());
}

void SendMoveDialogTest::noMoveToSendDoesNotStart() {
    auto game = WhiteToSend();
    QVERIFY(game != nullptr);
    // The exchanged position is the end of the main line: nothing follows it.
    game->lastMove = 12;
    game->trait = 32;
    ModalScript script;
    QVERIFY(!RunSendMoveDialog(nullptr, *game, session_));
    QCOMPARE(script.strayCount(), 0);
    QVERIFY(MessageFiles(store_ / ".Outbox").empty());
}

void SendMoveDialogTest::sendPutsTheMessageInTheOutbox() {
    auto game = BlackToSend();
    QVERIFY(game != nullptr);
    ModalScript script;
    script.Then([](QWidget* modal) {
        auto* dialog = dynamic_cast<SendMoveDialog*>(modal);
        QVERIFY(dialog != nullptr);
        dialog->additionalTextEdit()->setPlainText(QStringLiteral("Your turn, Bob"));
        QTest::keyClick(dialog, Qt::Key_F1);
    });
    script.ThenAcceptBox();
    QVERIFY(RunSendMoveDialog(nullptr, *game, session_));
    QCOMPARE(script.pendingSteps(), std::size_t{0});
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(script.boxes().size(), std::size_t{1});
    QCOMPARE(script.boxes()[0].caption, QStringLiteral("Korvani"));
    QCOMPARE(script.boxes()[0].text, kSentText);
    QCOMPARE(script.boxes()[0].icon, QMessageBox::NoIcon);
    QVERIFY(errorBoxes_.empty());

    const auto outbox = MessageFiles(store_ / ".Outbox");
    QCOMPARE(outbox.size(), std::size_t{1});
    const std::string mail = ReadAll(outbox[0]);
    QVERIFY(mail.find("Subject: Move #12") != std::string::npos);
    QVERIFY(mail.find("bob@example.net") != std::string::npos);
    QVERIFY(mail.find("alice@example.org") != std::string::npos);
    QVERIFY(mail.find("12... Nf6") != std::string::npos);
    QVERIFY(mail.find("Your turn, Bob") != std::string::npos);
}

void SendMoveDialogTest::failedSendKeepsTheDialogOpen() {
    auto game = WhiteToSend();
    QVERIFY(game != nullptr);
    // A closed session makes every send fail before any store is touched.
    session_.Release();
    bool stayedOpen = false;
    ModalScript script;
    script.Then([&stayedOpen](QWidget* modal) {
        auto* dialog = dynamic_cast<SendMoveDialog*>(modal);
        QVERIFY(dialog != nullptr);
        dialog->subjectEdit()->setText(QStringLiteral("Move #12, at last"));
        QTest::keyClick(dialog, Qt::Key_F1);
        stayedOpen = !dialog->hasEnded() && dialog->isVisible() &&
                     dialog->moveLabel()->text() == QStringLiteral("12. Nd4") &&
                     dialog->toEdit()->text() == QStringLiteral("bob@example.net") &&
                     dialog->subjectEdit()->text() == QStringLiteral("Move #12, at last");
        QTest::keyClick(dialog, Qt::Key_F2);
    });
    script.ThenAcceptBox();
    QVERIFY(!RunSendMoveDialog(nullptr, *game, session_));
    QVERIFY(stayedOpen);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(script.boxes().size(), std::size_t{1});
    QCOMPARE(script.boxes()[0].caption, QStringLiteral("Korvani"));
    QCOMPARE(script.boxes()[0].text, QStringLiteral("Unable to send message"));
    QCOMPARE(script.boxes()[0].icon, QMessageBox::Critical);
    // The session's own box comes first, then the summary.
    QCOMPARE(errorBoxes_.size(), std::size_t{1});
    QVERIFY(MessageFiles(store_ / ".Outbox").empty());
}

void SendMoveDialogTest::backKeyDeletesInTheFocusedField() {
    auto game = WhiteToSend();
    QVERIFY(game != nullptr);
    QString toAfterBack;
    bool openAfterBack = false;
    ModalScript script;
    script.Then([&](QWidget* modal) {
        auto* dialog = dynamic_cast<SendMoveDialog*>(modal);
        QVERIFY(dialog != nullptr);
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        dialog->toEdit()->setFocus();
        dialog->toEdit()->end(false);
        QTest::keyClick(dialog->toEdit(), Qt::Key_Escape);
        toAfterBack = dialog->toEdit()->text();
        openAfterBack = !dialog->hasEnded();
        QTest::keyClick(dialog, Qt::Key_F2);
    });
    QVERIFY(!RunSendMoveDialog(nullptr, *game, session_));
    QVERIFY(openAfterBack);
    QCOMPARE(toAfterBack, QStringLiteral("bob@example.ne"));
    QCOMPARE(script.strayCount(), 0);
}

void SendMoveDialogTest::arrowsLeaveTheOneLineFields() {
    auto game = WhiteToSend();
    QVERIFY(game != nullptr);
    QStringList reached;
    ModalScript script;
    script.Then([&reached](QWidget* modal) {
        auto* dialog = dynamic_cast<SendMoveDialog*>(modal);
        QVERIFY(dialog != nullptr);
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        const auto press = [&reached](Qt::Key key) {
            QTest::keyClick(QApplication::focusWidget(), key);
            const QWidget* focus = QApplication::focusWidget();
            reached << (focus != nullptr ? focus->objectName() : QString());
        };
        dialog->subjectEdit()->setFocus();
        press(Qt::Key_Up);
        press(Qt::Key_Up);
        dialog->toEdit()->setFocus();
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        QTest::keyClick(dialog, Qt::Key_F2);
    });
    QVERIFY(!RunSendMoveDialog(nullptr, *game, session_));
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(reached, (QStringList{QStringLiteral("to"), QStringLiteral("language"),
                                   QStringLiteral("subject"), QStringLiteral("additionalText")}));
}

QTEST_MAIN(SendMoveDialogTest)
#include "send_move_dialog_test.moc"
