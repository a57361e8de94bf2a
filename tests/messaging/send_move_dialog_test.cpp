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
#include "platform/error_report.h"
#include "resources/resource_ids.h"
#include "tests/support/game_builder.h"
#include "tests/support/modal_script.h"
#include "ui/exchange/send_move_dialog.h"
#include "ui/kit/softkey_bar.h"

namespace {

const QString kQueuedText = QStringLiteral(
    "Your move 12... Nf6 waits in the Outbox of your mail store: no send command is set, so "
    "it has not been sent. To have your moves sent, set SendCommand in device.ini (see "
    "\"Sending your moves\" in the README).");
const QString kNoOwnerEmailText = QStringLiteral(
    "Your e-mail address is not set, so your move cannot be sent. Set E-mail in the [Owner] "
    "section of device.ini (see \"Your name, your mail and your contacts\" in the README).");

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
    void annotationIsCutKeepingTheBlank();
    void missingOpponentAddressLeavesToEmpty();
    void noMoveToSendDoesNotStart();

    // Sending: the box says what became of the move, and where it was filed.
    void sendSaysWhatHappened_data();
    void sendSaysWhatHappened();
    void backKeyDeletesInTheFocusedField();

private:
    // A game of eleven exchanged moves each; the user, White, has played 12. Nd4.
    std::unique_ptr<GameDocument> WhiteToSend();
    // The same game after 12. Nd4 was sent; the user, Black, has played 12... Nf6.
    std::unique_ptr<GameDocument> BlackToSend();

    std::unique_ptr<QTemporaryDir> folder_;
    std::filesystem::path store_;
    MessageStore session_;
    OwnerIdentity owner_;
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
    owner_.Set(u"Alice Martin", u"alice@example.org");
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
    SendMoveDialog dialog(nullptr, *game, session_, owner_);
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
    SendMoveDialog dialog(nullptr, *game, session_, owner_);
    dialog.InitDialog();
    QCOMPARE(dialog.moveLabel()->text(), QStringLiteral("12... Nf6"));
    QCOMPARE(dialog.toEdit()->text(), QStringLiteral("bob@example.net"));
    QCOMPARE(dialog.subjectEdit()->text(), QStringLiteral("Move #12"));
}

void SendMoveDialogTest::annotationIsCutKeepingTheBlank() {
    auto game = WhiteToSend();
    QVERIFY(game != nullptr);
    Position* exchange = game->FindLastMovePosition();
    QVERIFY(exchange != nullptr && exchange->firstMove != nullptr);
    exchange->firstMove->nag = 1;
    SendMoveDialog dialog(nullptr, *game, session_, owner_);
    dialog.InitDialog();
    QCOMPARE(dialog.moveLabel()->text(), QStringLiteral("12. Nd4 "));
}

void SendMoveDialogTest::missingOpponentAddressLeavesToEmpty() {
    auto game = WhiteToSend();
    QVERIFY(game != nullptr);
    game->SetBlackEmail(std::nullopt);
    SendMoveDialog dialog(nullptr, *game, session_, owner_);
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
    QVERIFY(!RunSendMoveDialog(nullptr, *game, session_, owner_));
    QCOMPARE(script.strayCount(), 0);
    QVERIFY(MessageFiles(store_ / ".Outbox").empty());
}

void SendMoveDialogTest::sendSaysWhatHappened_data() {
    QTest::addColumn<QString>("sendCommand");
    QTest::addColumn<QString>("ownerEmail");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("errorBoxText");
    QTest::addColumn<int>("inOutbox");
    QTest::addColumn<int>("inSent");
    QTest::addColumn<bool>("done");
    QTest::newRow("without send command the move waits in the outbox")
        << QString() << QStringLiteral("alice@example.org") << kQueuedText << QString() << 1 << 0
        << true;
    QTest::newRow("a send command that succeeds sent it")
        << QStringLiteral("cat > /dev/null") << QStringLiteral("alice@example.org")
        << QStringLiteral("Your move 12... Nf6 was sent to bob@example.net.") << QString() << 0 << 1
        << true;
    QTest::newRow("a send command that fails says how")
        << QStringLiteral("cat > /dev/null; echo 'smtp: 550 relay denied' >&2; exit 3")
        << QStringLiteral("alice@example.org") << QStringLiteral("Unable to send message")
        << QStringLiteral(
               "The send command ended with exit status 3.\nsmtp: 550 relay denied\n"
               "The message stays in the Outbox.")
        << 1 << 0 << false;
    QTest::newRow("without the owner's address nothing is sent")
        << QStringLiteral("cat > /dev/null") << QString() << kNoOwnerEmailText << QString() << 0
        << 0 << false;
}

void SendMoveDialogTest::sendSaysWhatHappened() {
    QFETCH(QString, sendCommand);
    QFETCH(QString, ownerEmail);
    QFETCH(QString, boxText);
    QFETCH(QString, errorBoxText);
    QFETCH(int, inOutbox);
    QFETCH(int, inSent);
    QFETCH(bool, done);
    MessagingSettings settings;
    settings.stores = {store_};
    settings.sendCommand = sendCommand.toStdString();
    QCOMPARE(session_.Logon(settings), 0);
    owner_.Set(u"Alice Martin", ownerEmail.toStdU16String());
    auto game = BlackToSend();
    QVERIFY(game != nullptr);
    bool keptFields = false;
    ModalScript script;
    script.Then([&keptFields, done](QWidget* modal) {
        auto* dialog = dynamic_cast<SendMoveDialog*>(modal);
        QVERIFY(dialog != nullptr);
        dialog->additionalTextEdit()->setPlainText(QStringLiteral("Your turn, Bob"));
        QTest::keyClick(dialog, Qt::Key_F1);
        if (!done) {
            // Nothing went out: the dialog stays as it was, for another try or Cancel.
            keptFields = !dialog->hasEnded() &&
                         dialog->toEdit()->text() == QStringLiteral("bob@example.net") &&
                         dialog->subjectEdit()->text() == QStringLiteral("Move #12");
            QTest::keyClick(dialog, Qt::Key_F2);
        }
    });
    script.ThenAcceptBox();
    QCOMPARE(RunSendMoveDialog(nullptr, *game, session_, owner_), done);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(script.boxes().size(), std::size_t{1});
    QCOMPARE(script.boxes()[0].text, boxText);
    QCOMPARE(script.boxes()[0].caption, QStringLiteral("Korvani"));
    QCOMPARE(script.boxes()[0].icon, done ? QMessageBox::NoIcon : QMessageBox::Critical);
    QCOMPARE(keptFields, !done);
    QCOMPARE(errorBoxes_.size(), std::size_t{errorBoxText.isEmpty() ? 0u : 1u});
    if (!errorBoxText.isEmpty()) {
        QCOMPARE(QString::fromStdU16String(errorBoxes_[0].text), errorBoxText);
    }
    const auto outbox = MessageFiles(store_ / ".Outbox");
    const auto sent = MessageFiles(store_ / ".Sent");
    QCOMPARE(static_cast<int>(outbox.size()), inOutbox);
    QCOMPARE(static_cast<int>(sent.size()), inSent);
    for (const auto& filed : {outbox, sent}) {
        for (const std::filesystem::path& file : filed) {
            const std::string mail = ReadAll(file);
            QVERIFY(mail.find("Subject: Move #12") != std::string::npos);
            QVERIFY(mail.find("From: Alice Martin <alice@example.org>") != std::string::npos);
            QVERIFY(mail.find("To: bob@example.net") != std::string::npos);
            QVERIFY(mail.find("12... Nf6") != std::string::npos);
            QVERIFY(mail.find("Your turn, Bob") != std::string::npos);
        }
    }
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
    QVERIFY(!RunSendMoveDialog(nullptr, *game, session_, owner_));
    QVERIFY(openAfterBack);
    QCOMPARE(toAfterBack, QStringLiteral("bob@example.ne"));
    QCOMPARE(script.strayCount(), 0);
}

QTEST_MAIN(SendMoveDialogTest)
#include "send_move_dialog_test.moc"
