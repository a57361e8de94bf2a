// Send move, Get answer and New Game driven by key presses only, as a user of the
// phone's navigation pad would; each row checks what the dialogs showed and left.
#include <fcntl.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "contacts/contacts_database.h"
#include "contacts/owner_identity.h"
#include "game/exchange_rules.h"
#include "game/game_document.h"
#include "messaging/inbox_message.h"
#include "messaging/message_store.h"
#include "pgn/games_file.h"
#include "pgn/games_file_update.h"
#include "platform/error_report.h"
#include "resources/resource_ids.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "tests/support/messaging_test_support.h"
#include "ui/exchange/answer_request.h"
#include "ui/exchange/send_move_dialog.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/kit/run_dialog.h"
#include "ui/new_game/new_game_dialog.h"

namespace {

namespace fs = std::filesystem;

// Knights out and back eleven times: every square the tests' moves need stays free.
const QString kShuffle = QStringLiteral("Nf3 Nc6 Ng1 Nb8 ").repeated(5) + "Nf3 Nc6 ";
const QString kCastled = QStringLiteral("e4 e5 Nf3 Nf6 Bc4 Bc5 O-O");
const QString kInvalid = QStringLiteral(
    "Move seems invalid !\nNote :may be it is a syntax problem, in which case you can enter it "
    "with the board and validate it");
const char* kContacts =
    "BEGIN:VCARD\nN:Dupont;Jean\nEMAIL:Jean Dupont <Jean.Dupont@Example.org>\nEND:VCARD\n"
    "BEGIN:VCARD\nN:Nomail;Nora\nTEL:555 0100\nEND:VCARD\n"
    "BEGIN:VCARD\nN:Durand;Bob\nEMAIL:bob@example.net\nEND:VCARD\n"
    "BEGIN:VCARD\nVERSION:4.0\nFN:Jan van Berg\nEMAIL:jan@example.nl\nEND:VCARD\n";

// The game of `spec`: SAN moves along the main line up to "*", the last exchanged
// position (the end when there is no "*"), then moves from that position. The user
// has the move there; the opponent is bob@example.net.
std::unique_ptr<GameDocument> Game(const QString& spec) {
    auto game = std::make_unique<GameDocument>(nullptr);
    Position* end = &game->root;
    Position* exchange = nullptr;
    int plies = 0;
    for (const QString& san : spec.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        Position* next =
            san == "*" ? end : ParseSan(exchange ? *exchange : *end, san.toStdU16String());
        if (next == nullptr) {
            return nullptr;
        }
        exchange = san == "*" ? end : exchange;
        plies += exchange == nullptr;
        end = exchange == nullptr ? next : end;
    }
    game->lastMove = static_cast<std::uint16_t>((plies + 1) / 2);
    game->trait = plies % 2 == 1 ? 32 : 0;
    game->SetWhiteEmail(plies % 2 == 1 ? u"bob@example.net" : u"alice@example.org");
    game->SetBlackEmail(plies % 2 == 1 ? u"alice@example.org" : u"bob@example.net");
    return game;
}

QString Text(const std::optional<std::u16string>& value) {
    return value ? QString::fromStdU16String(*value) : QStringLiteral("-");
}

// What a dialog shows under `name`: "focus" (the focused field), "open", "rows" (every
// row of its list), "scrolled" (its form), "inView" (the focused field), else a field's value.
QString Shown(const DialogController& dialog, const QString& name) {
    if (name == "focus") {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "";
    }
    if (name == "open") {
        return dialog.hasEnded() ? "no" : "yes";
    }
    QStringList rows;
    if (name == "rows") {
        if (auto* tree = dialog.findChild<QTreeWidget*>()) {
            for (int row = 0; row < tree->topLevelItemCount(); ++row) {
                const QTreeWidgetItem* item = tree->topLevelItem(row);
                rows << item->text(0) + " " + item->text(1) + " " + item->text(2);
            }
        } else if (auto* list = dialog.findChild<QListWidget*>()) {
            for (int row = 0; row < list->count(); ++row) {
                rows << list->item(row)->text();
            }
        } else if (auto* combo = dialog.findChild<QComboBox*>()) {
            for (int row = 0; row < combo->count(); ++row) {
                rows << combo->itemText(row);
            }
        }
        return rows.join("|");
    }
    if (name == "scrolled" || name == "inView") {
        const auto* scroll = dialog.findChild<QScrollArea*>();
        const QWidget* focus = QApplication::focusWidget();
        const int top = focus->mapTo(scroll->viewport(), QPoint(0, 0)).y();
        const bool yes = name == "scrolled"
                             ? scroll->verticalScrollBar()->value() > 0
                             : top >= 0 && top + focus->height() <= scroll->viewport()->height();
        return yes ? "yes" : "no";
    }
    const QWidget* field = dialog.findChild<QWidget*>(name);
    if (auto* combo = qobject_cast<const QComboBox*>(field)) {
        return combo->currentText();
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(field)) {
        return edit->text();
    }
    if (auto* label = qobject_cast<const QLabel*>(field)) {
        return label->text();
    }
    if (auto* box = qobject_cast<const QCheckBox*>(field)) {
        return box->isChecked() ? "checked" : "unchecked";
    }
    if (auto* list = qobject_cast<const QListWidget*>(field)) {
        return list->currentItem() ? list->currentItem()->text() : "";
    }
    if (auto* text = qobject_cast<const QPlainTextEdit*>(field)) {
        return text->toPlainText();
    }
    return "<none>";
}

// Hands each modal widget that shows for the first time its part: a message box is
// recorded and accepted; a dialog gets the next keys ("|" separates dialogs, "=text"
// types text), what it shows is read, and it is cancelled if the keys left it open.
class KeyDriver : public QObject {
public:
    KeyDriver(const QStringList& keys, const QStringList& wanted, QMap<QString, QString>& values,
              bool small = false)
        : segments_(keys.join(' ').split('|')), wanted_(wanted), values_(values), small_(small) {
        QObject::connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
        poll_.start(10);
    }
    QStringList boxes;

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || seen_.contains(modal)) {
            return;
        }
        seen_ << modal;
        QTimer::singleShot(0, this, [this, target = QPointer<QWidget>(modal)] {
            if (target != nullptr) {
                Handle(*target);
            }
        });
    }
    void Handle(QWidget& modal) {
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
            boxes << box->text();
            box->accept();
            return;
        }
        auto* dialog = dynamic_cast<DialogController*>(&modal);
        if (dialog == nullptr) {
            modal.close();
            return;
        }
        values_["shown"] = QString::number(values_.value("shown").toInt() + 1);
        if (small_) {
            modal.resize(kMinimumWindowSize);
        }
        // A dialog at a closed one's address may come up without the activation that gives
        // its field the focus: the field takes it here as activation would give it.
        const auto activate = [&modal] {
            modal.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&modal));
            if (QWidget* field = modal.focusWidget(); field != nullptr && field != &modal) {
                field->clearFocus();
                field->setFocus();
            } else {
                QTest::keyClick(&modal, Qt::Key_Tab);
            }
        };
        activate();
        // The rows are read as the dialog opens (the last dialog's are kept), the rest
        // after the keys (a nested dialog ends first: what it showed is kept).
        const auto read = [&](bool rows) {
            for (const QString& item : wanted_) {
                const QString name = item.section('=', 0, 0);
                if (const QString value = Shown(*dialog, name); (name == "rows") == rows &&
                                                                value != "<none>" &&
                                                                (rows || !values_.contains(name))) {
                    values_[name] = value;
                }
            }
        };
        read(true);
        const QString keys = segments_.isEmpty() ? QString() : segments_.takeFirst();
        for (const QString& key : keys.split(' ', Qt::SkipEmptyParts)) {
            if (dialog->hasEnded()) {
                break;
            }
            if (QApplication::activeWindow() != &modal) {  // back from a box
                activate();
            }
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &modal;
            if (key.startsWith('=')) {
                QTest::keyClicks(target, key.mid(1).replace('_', ' '));
            } else {
                const QKeyCombination press = QKeySequence(key)[0];
                QTest::keyClick(target, press.key(), press.keyboardModifiers());
            }
        }
        QCoreApplication::processEvents();
        read(false);
        if (!dialog->hasEnded()) {
            dialog->done(QDialog::Rejected);
        }
    }

    QTimer poll_;
    QStringList segments_;
    QStringList wanted_;
    QMap<QString, QString>& values_;
    bool small_;
    QList<QPointer<QWidget>> seen_;
};

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void keysReachFieldsAndValues_data();
    void keysReachFieldsAndValues();
    void newGameFromTheGamesList();

private:
    std::unique_ptr<QTemporaryDir> folder_;
    fs::path root_;
    MessageStore session_;
    ContactsDatabase contacts_;
    OwnerIdentity owner_;
    QStringList errors_;
};

void DialogsTest::init() {
    folder_ = std::make_unique<QTemporaryDir>();
    root_ = folder_->path().toStdString();
    MakeMaildir(root_ / "Mail");
    WriteBytes(root_ / "contacts.vcf", kContacts);
    QCOMPARE(contacts_.Logon({root_ / "contacts.vcf", false}), 0);
    owner_.Set(u"Alice Martin", u"alice@example.org");
    errors_.clear();
    SetErrorBoxHandler([this](const ErrorBox& box) {
        errors_ << QString::fromStdU16String(box.caption + u": " + box.text);
    });
}

void DialogsTest::cleanup() {
    SetErrorBoxHandler(nullptr);
    session_.Release();
    contacts_.Close();
    folder_.reset();
}

// Columns: the game (see Game), the setup ("mail=SUBJECT|BODY" delivers a message a day
// after the one before, "command=", "owner=NAME|EMAIL", "book=" for an address book
// that offers no opponent, "nag", "no address", "small"), the keys, and what is
// expected: fields the dialogs showed (see Shown) and what they left ("box", "error",
// "answer", "date", "moves", "outbox", "sent", "mail", "result", "game", "owner",
// "shown"). A value ending in "*" is a beginning. The row's name starts with the dialog.
void DialogsTest::keysReachFieldsAndValues_data() {
    QTest::addColumn<QString>("game");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("expected");
    using S = QStringList;
    const QString black = kShuffle + "Nd4 * Nf6";
    const QString white = kShuffle + "* Nd4";
    const QString awaited = kShuffle + "Nd4 *";
    const QString studied = kShuffle + "Nd4 * a6 Nf6";
    const QString rook = QStringLiteral("e4 e5 Nf3 Nc6 Bc4 Bc5");
    const S lines{"mail=Move #4|4. Rf1\r\n\r\nYour turn\r\n"};
    const S queued = {
        "box=Your move 12... Nf6 waits in the Outbox of your mail store: no send "
        "command is set, so it has not been sent. To have your moves sent, set "
        "SendCommand in device.ini (see \"Sending your moves\" in the README).",
        "outbox=1", "sent=0", "result=true"};
    const QString noEmail = QStringLiteral(
        "box=Your e-mail address is not set, so your move cannot be sent. Set E-mail in the "
        "[Owner] section of device.ini (see \"Your name, your mail and your contacts\" in the "
        "README).");
    const QString filed = QStringLiteral(
        "mail=alice@example.org | Move #12 | 12... Nf6\r\n\r\n"
        "Your turn, Bob\r\n");
    const S typeText{"Down", "Down", "Down", "=Your_turn,_Bob", "F1"};

    QTest::newRow("send: the fields of Black's move")
        << black << S{} << S{}
        << S{"moveText=12... Nf6",  "to=bob@example.net", "subject=Move #12", "language=English",
             "rows=English|French", "additionalText=",    "focus=language"};
    QTest::newRow("send: White's move")
        << white << S{} << S{} << S{"moveText=12. Nd4", "to=bob@example.net"};
    QTest::newRow("send: an annotation is cut, its blank kept")
        << white << S{"nag"} << S{} << S{"moveText=12. Nd4 "};
    QTest::newRow("send: without the opponent's address To is empty")
        << white << S{"no address"} << S{} << S{"to=", "open=yes"};
    QTest::newRow("send: nothing to send does not start")
        << awaited << S{} << S{} << S{"shown=0", "result=false", "outbox=0"};
    QTest::newRow("send: down leaves the language")
        << black << S{} << S{"Down"} << S{"focus=to", "language=English"};
    QTest::newRow("send: right changes the language")
        << black << S{} << S{"Right"} << S{"focus=language", "moveText=12... Cf6"};
    QTest::newRow("send: left stops at the first language")
        << black << S{} << S{"Right", "Left", "Left"} << S{"moveText=12... Nf6"};
    QTest::newRow("send: down to the subject")
        << black << S{} << S{"Down", "Down"} << S{"focus=subject"};
    QTest::newRow("send: down to the additional text and no further")
        << black << S{} << S{"Down", "Down", "Down", "Down"} << S{"focus=additionalText"};
    QTest::newRow("send: up back to the language")
        << black << S{} << S{"Down", "Down", "Down", "Up", "Up", "Up"} << S{"focus=language"};
    QTest::newRow("send: tab goes to the next field") << black << S{} << S{"Tab"} << S{"focus=to"};
    QTest::newRow("send: back deletes in the field")
        << black << S{} << S{"Down", "End", "Esc"} << S{"to=bob@example.ne", "open=yes"};
    QTest::newRow("send: without send command the move waits in the Outbox")
        << black << S{} << typeText << queued + S{filed, "error="};
    QTest::newRow("send: a send command that succeeds sent it")
        << black << S{"command=cat > /dev/null"} << typeText
        << S{"box=Your move 12... Nf6 was sent to bob@example.net.",
             "outbox=0",
             "sent=1",
             filed,
             "result=true",
             "error="};
    QTest::newRow("send: a send command that fails says how")
        << black << S{"command=cat >/dev/null; echo 'smtp: 550 relay denied' >&2; exit 3"}
        << typeText
        << S{"box=Unable to send message",
             "error=Unable to send message: The send command ended with exit status 3.\nsmtp: "
             "550 relay denied\nThe message stays in the Outbox.",
             "outbox=1",
             "sent=0",
             filed,
             "open=yes",
             "to=bob@example.net",
             "result=false"};
    QTest::newRow("send: without the owner's e-mail nothing is sent")
        << black << S{"owner=Alice Martin|"} << typeText
        << S{noEmail, "outbox=0", "sent=0", "open=yes", "subject=Move #12", "result=false"};

    QTest::newRow("answer: no studied move opens the inbox")
        << awaited << S{"mail=Move #12|12... Nf6\r\n", "mail=Re: Move #12|Sorry, 12... Nc6"}
        << S{"F1"}
        << S{"rows=12.09 bob@example.net Move #12|12.10 bob@example.net Re: Move #12",
             "answer=none", "moves=0", "shown=1"};
    QTest::newRow("answer: ten studied moves list nine")
        << kShuffle + "Nd4 * a6 a5 b6 b5 d6 d5 e6 e5 g6 g5" << S{} << S{"F1"}
        << S{"rows=0. Check inbox|1 : a6|2 : a5|3 : b6|4 : b5|5 : d6|6 : d5|7 : e6|8 : e5|9 : g6",
             "answer=none"};
    QTest::newRow("answer: a digit takes a studied move with today's date")
        << studied << S{"mail=Move #12|12... a6\r\n"} << S{"2"}
        << S{"answer=Nf6", "date=today", "moves=2"};
    QTest::newRow("answer: a digit beyond the list ends without answer")
        << studied << S{} << S{"5"} << S{"open=no", "answer=none"};
    QTest::newRow("answer: the action key takes the highlighted move")
        << studied << S{} << S{"Down", "Return"} << S{"answer=a6"};
    QTest::newRow("answer: a line read in English")
        << awaited << S{"mail=Move #12|12... Nf6\r\n\r\nGood luck\r\n"} << S{"F2|Down", "F2"}
        << S{"from=From:bob@example.net",
             "subject=Subject: Move #12",
             "rows=12... Nf6|Good luck",
             "answer=Nf6",
             "date=12.09",
             "moves=1"};
    QTest::newRow("answer: a French line gives the English move")
        << awaited << S{"mail=Coup 12|12... Cf6\r\n"} << S{"F2|Right", "Down", "F2"}
        << S{"answer=Nf6", "date=12.09"};
    QTest::newRow("answer: castling with letter O")
        << kCastled << S{"mail=Move #4|4... O-O\r\n"} << S{"F2|Down", "F2"} << S{"answer=O-O"};
    QTest::newRow("answer: castling with zeros is refused")
        << kCastled << S{"mail=Move #4|4... 0-0\r\n"} << S{"F2|Down", "F2"}
        << S{"box=" + kInvalid, "answer=none", "moves=0"};
    QTest::newRow("answer: a word before the move is refused")
        << QString() << S{"mail=First move|Move: e4\r\n"} << S{"F2|Down", "F2"}
        << S{"box=" + kInvalid, "answer=none", "moves=0", "date=today"};
    QTest::newRow("answer: an answer already studied is reused")
        << studied << S{"mail=Move #12|12... Nf6\r\n"} << S{"0|F2|Down", "F2"}
        << S{"answer=Nf6", "moves=2", "date=12.09"};
    QTest::newRow("answer: lines open on the language, down to the first line")
        << rook << lines << S{"F2|Down"} << S{"focus=lines", "lines=4. Rf1", "language=English"};
    QTest::newRow("answer: the rook move read in English")
        << rook << lines << S{"F2|Down", "F2"} << S{"answer=Rf1"};
    QTest::newRow("answer: the same line in French is the king move")
        << rook << lines << S{"F2|Right", "Down", "F2"} << S{"answer=Kf1"};
    QTest::newRow("answer: up from the first line back to the language")
        << rook << lines << S{"F2|Down", "Up"} << S{"focus=language"};
    QTest::newRow("answer: down walks through the lines")
        << rook << lines << S{"F2|Down", "Down"} << S{"lines=Your turn"};
    QTest::newRow("answer: tab reaches the lines")
        << rook << lines << S{"F2|Tab"} << S{"focus=lines"};

    const QString game = QStringLiteral(
        "game=Alice Martin <alice@example.org> - Dupont, Jean "
        "<Jean.Dupont@Example.org>, ?/?/?, *, -/-, 0 0 no moves");
    QTest::newRow("new: the owner and the contacts with an address")
        << QString() << S{} << S{}
        << S{"name=Alice Martin",
             "email=alice@example.org",
             "rows=Dupont, Jean|Durand, Bob|Jan van Berg",
             "opponentAddress=Jean.Dupont@Example.org",
             "playBlack=unchecked",
             "focus=name"};
    QTest::newRow("new: done gives the game with the user as White")
        << QString() << S{} << S{"Return"} << S{game, "owner=Alice Martin <alice@example.org>"};
    QTest::newRow("new: a typed address is the game's, not the owner's")
        << QString() << S{} << S{"Down", "Ctrl+A", "=alice@work.example", "F1"}
        << S{"game=Alice Martin <alice@work.example>*", "owner=Alice Martin <alice@example.org>"};
    QTest::newRow("new: Play Black gives White to the opponent")
        << QString() << S{} << S{"Down",  "Down", "Right", "Down", "Space", "Down",
                                 "=Club", "Down", "=3",    "Down", "=Lyon", "F1"}
        << S{"game=Durand, Bob <bob@example.net> - Alice Martin <alice@example.org>, Club/3/Lyon*"};
    QTest::newRow("new: without owner, name and e-mail are asked for and stored")
        << QString() << S{"owner=|"}
        << S{"F1", "=" + QString(130, 'N'), "F1", "Down", "=new@example.org", "F1"}
        << S{"box=Your name is mandatory|Your email is mandatory",
             "game=" + QString(127, 'N') + " <new@example.org>*",
             "owner=" + QString(127, 'N') + " <new@example.org>"};
    QTest::newRow("new: the fields start empty without owner")
        << QString() << S{"owner=|"} << S{} << S{"name=", "email="};
    QTest::newRow("new: cancel gives no game")
        << QString() << S{"owner=|"} << S{"=Someone", "Down", "=s@example.org", "F2"}
        << S{"game=none", "owner= <>"};
    QTest::newRow("new: back deletes in the name")
        << QString() << S{} << S{"End", "Esc"} << S{"name=Alice Marti", "open=yes"};
    QTest::newRow("new: down to the e-mail") << QString() << S{} << S{"Down"} << S{"focus=email"};
    QTest::newRow("new: right changes the opponent")
        << QString() << S{} << S{"Down", "Down", "Right"}
        << S{"focus=opponent", "opponent=Durand, Bob", "opponentAddress=bob@example.net"};
    QTest::newRow("new: down past the opponent to Play Black")
        << QString() << S{} << S{"Down", "Down", "Down"}
        << S{"focus=playBlack", "opponent=Dupont, Jean"};
    QTest::newRow("new: down to Event")
        << QString() << S{} << S{"Down", "Down", "Down", "Down"} << S{"focus=event"};
    QTest::newRow("new: down to Round")
        << QString() << S{} << S{"Down", "Down", "Down", "Down", "Down"} << S{"focus=round"};
    QTest::newRow("new: down to Site and no further in a small window")
        << QString() << S{"small"} << S{"Down", "Down", "Down", "Down", "Down", "Down", "Down"}
        << S{"focus=site", "scrolled=yes", "inView=yes"};
    QTest::newRow("new: up back to the name in a small window")
        << QString() << S{"small"}
        << S{"Down", "Down", "Down", "Down", "Down", "Down", "Up", "Up", "Up", "Up", "Up", "Up"}
        << S{"focus=name", "inView=yes"};
    QTest::newRow("new: up from Play Black to the opponent")
        << QString() << S{} << S{"Down", "Down", "Down", "Up"} << S{"focus=opponent"};
    QTest::newRow("new: tab goes to the next field")
        << QString() << S{} << S{"Tab", "Tab"} << S{"focus=opponent"};
    QTest::newRow("new: no contact with an address")
        << QString() << S{"book=none"} << S{} << S{"box=No contact found", "shown=0", "game=none"};
    QTest::newRow("new: address book gone")
        << QString() << S{"book=gone"} << S{}
        << S{"box=Unable to access Contacts list", "error=Unable to access Folders: *"};
    QTest::newRow("new: no address book session")
        << QString() << S{"book=null"} << S{} << S{"box=Unable to access Contacts list"};
    QTest::newRow("new: address book session closed")
        << QString() << S{"book=closed"} << S{} << S{"box=Unable to access Contacts list"};
}

void DialogsTest::keysReachFieldsAndValues() {
    QFETCH(QString, game);
    QFETCH(QStringList, setup);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, expected);
    const QString dialog = QString(QTest::currentDataTag()).section(':', 0, 0);
    const auto set = [&](const QString& key) -> std::optional<QString> {
        const QStringList found = setup.filter(QRegularExpression("^" + key + "="));
        return found.isEmpty() ? std::nullopt : std::optional(found[0].mid(key.size() + 1));
    };
    auto document = Game(game);
    QVERIFY(document != nullptr);
    Position* exchange = document->FindLastMovePosition();
    MessagingSettings settings;
    settings.stores = {root_ / "Mail"};
    settings.sendCommand = set("command").value_or("").toStdString();
    QCOMPARE(session_.Logon(settings), 0);
    int delivered = 0;
    for (const QString& mail : setup.filter(QRegularExpression("^mail="))) {
        const fs::path file = root_ / "Mail" / "new" / std::to_string(++delivered);
        WriteBytes(file, "From: Bob Durand <bob@example.net>\nTo: alice@example.org\nSubject: " +
                             mail.mid(5).section('|', 0, 0).toStdString() +
                             "\nContent-Type: text/plain; charset=UTF-8\n\n" +
                             mail.section('|', 1).toStdString());
        const std::time_t when = 1765281600 + (delivered - 1) * 86400;  // 12:00 UTC, 9 Dec
        const timespec times[2] = {{when, 0}, {when, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    }
    if (const auto owner = set("owner")) {
        owner_.Set(owner->section('|', 0, 0).toStdU16String(),
                   owner->section('|', 1).toStdU16String());
    }
    if (setup.contains("no address")) {
        document->SetBlackEmail(std::nullopt);
    }
    if (setup.contains("nag")) {
        exchange->firstMove->nag = 1;
    }
    const QString book = set("book").value_or("");
    if (book == "none") {
        WriteBytes(root_ / "contacts.vcf",
                   "BEGIN:VCARD\nN:Roux;Paul\nEMAIL:paul at example.org"
                   "\nEND:VCARD\n");
    } else if (book == "gone") {
        fs::remove(root_ / "contacts.vcf");
    } else if (book == "closed") {
        contacts_.Close();
    }
    QMap<QString, QString> values{{"shown", "0"}};
    KeyDriver driver(keys, expected, values, setup.contains("small"));
    const std::u16string today = TodayDateText();
    if (dialog == "send") {
        values["result"] =
            RunSendMoveDialog(nullptr, *document, session_, owner_) ? "true" : "false";
        const auto outbox = MessageFiles(root_ / "Mail" / ".Outbox");
        const auto sent = MessageFiles(root_ / "Mail" / ".Sent");
        values["outbox"] = QString::number(outbox.size());
        values["sent"] = QString::number(sent.size());
        for (const fs::path& file : outbox.empty() ? sent : outbox) {
            const auto mail = BuildInboxMessage(ReadBytes(file), std::nullopt);
            values["mail"] = QString::fromStdU16String(mail->sender + u" | " + mail->subject +
                                                       u" | " + mail->body.value_or(u"-"));
        }
    } else if (dialog == "answer") {
        AnswerRequest request(*document, session_);
        const MoveNode* answer = request.Run(nullptr);
        values["answer"] = answer ? QString::fromStdU16String(FormatSanText(
                                        *answer, false, false, NotationLanguage::English))
                                  : "none";
        values["date"] = request.date == today || request.date == TodayDateText()
                             ? "today"
                             : QString::fromStdU16String(request.date);
        int moves = 0;
        for (const MoveNode* move = exchange->firstMove.get(); move;
             move = move->nextSibling.get()) {
            ++moves;
        }
        values["moves"] = QString::number(moves);
    } else {
        GamesFile games(root_ / "Korvani.pgn");
        const auto made =
            RunNewGameDialog(nullptr, games, book == "null" ? nullptr : &contacts_, owner_);
        values["game"] =
            !made ? QStringLiteral("none")
                  : Text(made->white) + " <" + Text(made->whiteEmail) + "> - " + Text(made->black) +
                        " <" + Text(made->blackEmail) + ">, " + Text(made->event) + "/" +
                        Text(made->round) + "/" + Text(made->site) + ", " +
                        QString::fromStdU16String(std::u16string(made->ResultText(true))) + ", " +
                        Text(made->date) + "/" + Text(made->lastMoveDate) + ", " +
                        QString::number(made->lastMove) + " " + QString::number(made->trait) +
                        (made->root.firstMove ? " moves" : " no moves") +
                        (made->gamesFile == &games ? "" : " in another file");
        values["owner"] = QString::fromStdU16String(owner_.name + u" <" + owner_.email + u">");
    }
    values["box"] = driver.boxes.join('|');
    values["error"] = errors_.join('|');
    QStringList state;
    for (const QString& item : expected) {
        const QString name = item.section('=', 0, 0);
        const QString value = values.value(name, "<not read>");
        state << name + "=" +
                     (item.endsWith('*') ? value.left(item.size() - name.size() - 2) + "*" : value);
    }
    QCOMPARE(state, expected);
}

// "New..." in the games list appends the game and opens it; a game that cannot be
// written gets no row.
void DialogsTest::newGameFromTheGamesList() {
    for (const bool writable : {true, false}) {
        const fs::path gamesPath = root_ / (writable ? "a.pgn" : "b.pgn");
        GamesListDialog list(gamesPath);
        list.runNewGame = [this](QWidget* parent, GamesFile& games) {
            return RunNewGameDialog(parent, games, &contacts_, owner_);
        };
        list.appendNewGame = [](std::unique_ptr<GameDocument>& document, GamesFile& games) {
            return AppendNewGame(document, games) == SaveResult::Ok;
        };
        QStringList opened;
        list.runGameDisplay = [&opened](QWidget*, GameDocument& document, const fs::path&) {
            opened << Text(document.white);
            return false;
        };
        QMap<QString, QString> values;
        KeyDriver driver({"Down Down Right F1"}, {}, values);
        list.InitDialog();
        if (!writable) {
            fs::remove(gamesPath);  // the games file turned into a folder
            fs::create_directory(gamesPath);
        }
        list.HandleCommand(kCmdNewGame);
        values["rows"] = QString::number(list.rowCount());
        QCOMPARE(values["rows"], writable ? "1" : "0");
        QCOMPARE(opened, writable ? QStringList{"Alice Martin"} : QStringList{});
        const std::string text = writable ? ReadBytes(gamesPath) : "";
        QCOMPARE(text.find("[Black \"Durand, Bob\"]") != std::string::npos, writable);
        QCOMPARE(text.find("[BlackEmail \"bob@example.net\"]") != std::string::npos, writable);
        QCOMPARE(errors_.size(), writable ? 0 : 1);
    }
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
