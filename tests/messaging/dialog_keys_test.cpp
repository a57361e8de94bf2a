// The keypad in the dialogs with fields: the real dialogs are driven by key presses
// only, as a user of the phone's navigation pad would, and what the keys reached is
// checked: the focused field and the values shown.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "contacts/contacts_database.h"
#include "contacts/owner_identity.h"
#include "game/game_document.h"
#include "messaging/inbox_message.h"
#include "messaging/message_store.h"
#include "pgn/games_file.h"
#include "platform/error_report.h"
#include "resources/resource_ids.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "tests/support/game_builder.h"
#include "tests/support/modal_script.h"
#include "ui/exchange/answer_request.h"
#include "ui/exchange/message_lines_dialog.h"
#include "ui/exchange/send_move_dialog.h"
#include "ui/kit/run_dialog.h"
#include "ui/new_game/new_game_dialog.h"

namespace {

constexpr int kSendMove = 0;
constexpr int kMessageLines = 1;
constexpr int kNewGame = 2;

constexpr const char* kTwoContacts =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dupont;Jean;;;\r\nEMAIL:jean@example.org\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Durand;Bob;;;\r\nEMAIL:bob@example.net\r\nEND:VCARD\r\n";

// What a field shows: a list's or one-line list's current row, an edit's text, a check
// box's state.
QString ValueOf(const QWidget* widget) {
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return combo->currentText();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(widget)) {
        return box->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked");
    }
    if (const auto* list = qobject_cast<const QListWidget*>(widget)) {
        return list->currentItem() != nullptr ? list->currentItem()->text() : QString();
    }
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(widget)) {
        return text->toPlainText();
    }
    return QStringLiteral("?");
}

// "focus=NAME" names the focused field; "NAME=VALUE" gives the value of field NAME.
QStringList State(const QWidget& dialog, const QStringList& wanted) {
    QStringList state;
    for (const QString& item : wanted) {
        const QString name = item.section(QLatin1Char('='), 0, 0);
        if (name == QStringLiteral("focus")) {
            const QWidget* focus = QApplication::focusWidget();
            state << name + QLatin1Char('=') + (focus != nullptr ? focus->objectName() : QString());
        } else {
            const auto* field = dialog.findChild<QWidget*>(name);
            state << name + QLatin1Char('=') +
                         (field != nullptr ? ValueOf(field) : QStringLiteral("-"));
        }
    }
    return state;
}

}  // namespace

class DialogKeysTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void keysReachFieldsAndValues_data();
    void keysReachFieldsAndValues();

private:
    // Runs `dialog` and presses `keys` once it shows; gives the state `wanted` reads
    // right after the keys, then leaves with `leaveKey` unless the keys ended it.
    QStringList PressKeys(DialogController& dialog, const QList<Qt::Key>& keys,
                          const QStringList& wanted, Qt::Key leaveKey);

    std::unique_ptr<QTemporaryDir> folder_;
    MessageStore session_;
    OwnerIdentity owner_;
};

void DialogKeysTest::init() {
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    MessagingSettings settings;
    settings.stores = {std::filesystem::path(folder_->path().toStdString()) / "Mail"};
    settings.isDefault = true;
    QCOMPARE(session_.Logon(settings), 0);
    owner_.Set(u"Alice Martin", u"alice@example.org");
    SetErrorBoxHandler([](const ErrorBox&) {});
}

void DialogKeysTest::cleanup() {
    SetErrorBoxHandler(nullptr);
    session_.Release();
    folder_.reset();
}

QStringList DialogKeysTest::PressKeys(DialogController& dialog, const QList<Qt::Key>& keys,
                                      const QStringList& wanted, Qt::Key leaveKey) {
    QStringList state;
    ModalScript script;
    script.Then([&](QWidget* modal) {
        modal->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(modal));
        for (const Qt::Key key : keys) {
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus != nullptr ? focus : modal, key);
        }
        state = State(dialog, wanted);
        if (!dialog.hasEnded()) {
            QTest::keyClick(modal, leaveKey);
        }
    });
    RunDialog(dialog, nullptr);
    if (script.strayCount() != 0) {
        state << QStringLiteral("(a box or dialog was left open)");
    }
    return state;
}

void DialogKeysTest::keysReachFieldsAndValues_data() {
    QTest::addColumn<int>("screen");
    QTest::addColumn<QList<Qt::Key>>("keys");
    QTest::addColumn<QStringList>("expected");
    using K = QList<Qt::Key>;
    using S = QStringList;
    const Qt::Key up = Qt::Key_Up;
    const Qt::Key down = Qt::Key_Down;
    const Qt::Key left = Qt::Key_Left;
    const Qt::Key right = Qt::Key_Right;
    const Qt::Key tab = Qt::Key_Tab;

    // Send move opens on the language list, then To, Subject and Additional text.
    QTest::newRow("send: down leaves the language as it is")
        << kSendMove << K{down} << S{"focus=to", "language=English"};
    QTest::newRow("send: right changes the language")
        << kSendMove << K{right} << S{"focus=language", "language=French", "moveText=12... Cf6"};
    QTest::newRow("send: left stops at the first language")
        << kSendMove << K{right, left, left} << S{"language=English", "moveText=12... Nf6"};
    QTest::newRow("send: down to the subject")
        << kSendMove << K{down, down} << S{"focus=subject", "subject=Move #12"};
    QTest::newRow("send: down to the additional text and no further")
        << kSendMove << K{down, down, down, down} << S{"focus=additionalText"};
    QTest::newRow("send: up back to the language")
        << kSendMove << K{down, down, down, up, up, up} << S{"focus=language", "language=English"};
    QTest::newRow("send: tab still goes to the next field") << kSendMove << K{tab} << S{"focus=to"};

    // The message lines open on the language list, above the lines.
    QTest::newRow("lines: down reaches the first line in English")
        << kMessageLines << K{down} << S{"focus=lines", "lines=4. Rf1", "language=English"};
    QTest::newRow("lines: down and Next take the rook move")
        << kMessageLines << K{down, Qt::Key_F2} << S{"answer=Rf1"};
    QTest::newRow("lines: French read the same line as the king move")
        << kMessageLines << K{right, down, Qt::Key_F2} << S{"answer=Kf1"};
    QTest::newRow("lines: up from the first line back to the language")
        << kMessageLines << K{down, up} << S{"focus=language", "language=English"};
    QTest::newRow("lines: down walks through the lines")
        << kMessageLines << K{down, down} << S{"focus=lines", "lines=Your turn"};
    QTest::newRow("lines: tab still reaches the lines")
        << kMessageLines << K{tab} << S{"focus=lines"};

    // New Game opens on the name: email, opponent, Play Black, Event, Round, Site.
    QTest::newRow("new: down to the email")
        << kNewGame << K{down} << S{"focus=email", "email=alice@example.org"};
    QTest::newRow("new: down to the opponent, which stays")
        << kNewGame << K{down, down} << S{"focus=opponent", "opponent=Dupont, Jean"};
    QTest::newRow("new: right changes the opponent")
        << kNewGame << K{down, down, right}
        << S{"opponent=Durand, Bob", "opponentAddress=bob@example.net"};
    QTest::newRow("new: down past the opponent to Play Black")
        << kNewGame << K{down, down, down} << S{"focus=playBlack", "opponent=Dupont, Jean"};
    QTest::newRow("new: down to Event")
        << kNewGame << K{down, down, down, down} << S{"focus=event"};
    QTest::newRow("new: down to Round")
        << kNewGame << K{down, down, down, down, down} << S{"focus=round"};
    QTest::newRow("new: down to Site and no further")
        << kNewGame << K{down, down, down, down, down, down, down} << S{"focus=site"};
    QTest::newRow("new: up from Play Black to the opponent")
        << kNewGame << K{down, down, down, up} << S{"focus=opponent"};
    QTest::newRow("new: tab still goes to the next field")
        << kNewGame << K{tab, tab} << S{"focus=opponent"};
}

void DialogKeysTest::keysReachFieldsAndValues() {
    QFETCH(int, screen);
    QFETCH(QList<Qt::Key>, keys);
    QFETCH(QStringList, expected);
    auto game = std::make_unique<GameDocument>(nullptr);
    QStringList state;
    switch (screen) {
        case kSendMove: {
            // The user, Black, has played 12... Nf6 after 12. Nd4.
            QVERIFY(PlayKnightShuffle(*game) != nullptr);
            QVERIFY(PlayMainLine(*game, {u"Nd4", u"Nf6"}) != nullptr);
            game->SetWhiteEmail(u"bob@example.net");
            game->lastMove = 12;
            game->trait = 32;
            SendMoveDialog dialog(nullptr, *game, session_, owner_);
            state = PressKeys(dialog, keys, expected, Qt::Key_F2);
            break;
        }
        case kMessageLines: {
            // The user, Black, awaits White's fourth move; both Rf1 and Kf1 are legal.
            QVERIFY(PlayMainLine(*game, {u"e4", u"e5", u"Nf3", u"Nc6", u"Bc4", u"Bc5"}));
            game->lastMove = 3;
            game->trait = 0;
            const auto message = BuildInboxMessage(
                "From: bob@example.net\nSubject: Move #4\n\n4. Rf1\n\nYour turn\n", std::nullopt);
            AnswerRequest request(*game, session_);
            request.message = message.get();
            MessageLinesDialog dialog(nullptr, request);
            state = PressKeys(dialog, keys, expected, Qt::Key_F1);
            if (dialog.hasEnded() && dialog.endCode() == kIdOk) {
                state = QStringList{QStringLiteral("answer=") +
                                    QString::fromStdU16String(FormatSanText(
                                        *request.answer, false, false, NotationLanguage::English))};
            }
            break;
        }
        case kNewGame: {
            const std::filesystem::path root(folder_->path().toStdString());
            std::ofstream(root / "contacts.vcf", std::ios::binary) << kTwoContacts;
            ContactsDatabase contacts;
            QCOMPARE(contacts.Logon({root / "contacts.vcf", false}), 0);
            GamesFile games(root / "Korvani.pgn");
            NewGameDialog dialog(nullptr, games, &contacts, owner_);
            state = PressKeys(dialog, keys, expected, Qt::Key_F2);
            break;
        }
    }
    QCOMPARE(state, expected);
}

QTEST_MAIN(DialogKeysTest)
#include "dialog_keys_test.moc"
