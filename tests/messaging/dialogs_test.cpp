// Send move, Get answer and New Game driven by key presses only, as a user of the
// phone's navigation pad would; each row checks what the dialogs showed and left.
#include <fcntl.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>
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
#include "tests/support/game_screen_fixtures.h"
#include "tests/support/messaging_test_support.h"
#include "ui/exchange/answer_request.h"
#include "ui/exchange/send_move_dialog.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/new_game/new_game_dialog.h"

namespace {

namespace fs = std::filesystem;

QString Text(const std::optional<std::u16string>& value) {
    return value ? QString::fromStdU16String(*value) : QStringLiteral("-");
}

// What `dialog` shows under `name`: "focus", "open", "rows" (of its list), else the named
// field's value; null for nothing.
QString Shown(const DialogController& dialog, const QString& name) {
    const QWidget* focus = QApplication::focusWidget();
    const QWidget* field = dialog.findChild<QWidget*>(name);
    if (name == "focus") {
        return focus ? focus->objectName() : "";
    } else if (name == "open") {
        return dialog.hasEnded() ? "no" : "yes";
    } else if (name == "rows") {
        const auto* view = dialog.findChild<QAbstractItemView*>();
        const QAbstractItemModel* model =
            view ? view->model() : dialog.findChild<QComboBox*>()->model();
        QStringList rows;
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList columns;
            for (int column = 0; column < model->columnCount(); ++column) {
                columns << model->index(row, column).data().toString();
            }
            rows << columns.join(' ');
        }
        return rows.join('|');
    } else if (auto* list = qobject_cast<const QListWidget*>(field)) {
        return list->currentItem() ? list->currentItem()->text() : "";
    }
    for (const char* property : {"checked", "currentText", "plainText", "text"}) {
        if (field && field->property(property).isValid()) {
            return field->property(property).toString();
        }
    }
    return {};
}

// Plays each modal widget as it first shows: a message box is recorded and closed; a
// dialog gets the next keys ("|" separates dialogs, "=text" types, "_" a blank), is read
// ("rows" as it opens, the rest after its keys, "path" the focus after each key) and is
// cancelled if the keys left it open.
struct KeyDriver {
    KeyDriver(const QString& keys, const QStringList& wanted) : segments(keys.split('|')) {
        QObject::connect(&poll, &QTimer::timeout, &poll, [this, wanted] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal->isVisible() && !seen.contains(modal)) {
                seen << modal;
                QTimer::singleShot(0, &poll, [=, this, target = QPointer<QWidget>(modal)] {
                    if (target) {
                        Handle(*target, wanted);
                    }
                });
            }
        });
        poll.start(10);
    }
    void Handle(QWidget& modal, const QStringList& wanted) {
        auto* dialog = dynamic_cast<DialogController*>(&modal);
        if (auto* box = qobject_cast<QMessageBox*>(&modal); box || !dialog) {
            boxes << (box ? box->text() : "(stray)");
            modal.close();
            return;
        }
        values["shown"] = QString::number(values["shown"].toInt() + 1);
        // A dialog at a closed one's address may miss the activation that focuses its field.
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
        const auto read = [&](bool rows) {
            for (const QString& item : wanted) {
                const QString name = item.section('=', 0, 0);
                const QString value = Shown(*dialog, name);
                if ((name == "rows") == rows && !value.isNull() &&
                    (rows || !values.contains(name))) {
                    values[name] = value;
                }
            }
        };
        activate();
        read(true);
        const QString keys = segments.isEmpty() ? QString() : segments.takeFirst();
        QStringList path;
        for (const QString& key : keys.split(' ', Qt::SkipEmptyParts)) {
            if (dialog->hasEnded()) {
                break;
            } else if (QApplication::activeWindow() != &modal) {  // back from a box
                activate();
            }
            QWidget* target = screen_test::FocusedOr(&modal);
            const QKeyCombination press = QKeySequence(key)[0];
            if (key.startsWith('=')) {
                QTest::keyClicks(target, key.mid(1).replace('_', ' '));
            } else {
                QTest::keyClick(target, press.key(), press.keyboardModifiers());
            }
            const QWidget* focus = QApplication::focusWidget();
            const auto* list = qobject_cast<const QListWidget*>(focus);
            path << (focus ? focus->objectName() : "") +
                        (list && list->currentItem() ? ":" + list->currentItem()->text() : "");
        }
        values.insert("path", values.value("path", path.join('>')));
        QCoreApplication::processEvents();
        read(false);
        if (!dialog->hasEnded()) {
            dialog->done(QDialog::Rejected);
        }
    }

    QStringList segments, boxes;
    QMap<QString, QString> values{{"shown", "0"}};
    QList<QPointer<QWidget>> seen;
    QTimer poll;
};

// One row: the dialog begins its name; `setup` holds "mail=SUBJECT|BODY" (a message a day
// after the one before), "command=", "owner=NAME|EMAIL", "book=none|gone|null|closed", "no
// address"; `expected` holds, ";" apart, what the dialogs showed (see Shown) and left ("box",
// "error", "answer", "date", "moves", "outbox", "sent", "mail", "result", "game", "owner",
// "shown", "path"). A value ending in "*" is a beginning.
void Row(const char* name, const QString& game, const QStringList& setup, const QString& keys,
         const QString& expected) {
    QTest::newRow(name) << game << setup << keys << expected.split(';');
}

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
    WriteBytes(
        root_ / "contacts.vcf",
        "BEGIN:VCARD\nN:Dupont;Jean\nEMAIL:Jean Dupont <Jean.Dupont@Example.org>\nEND:VCARD\n"
        "BEGIN:VCARD\nN:Nomail;Nora\nTEL:555 0100\nEND:VCARD\n"
        "BEGIN:VCARD\nN:Durand;Bob\nEMAIL:bob@example.net\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:4.0\nFN:Jan van Berg\nEMAIL:jan@example.nl\nEND:VCARD\n");
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

void DialogsTest::keysReachFieldsAndValues_data() {
    QTest::addColumn<QString>("game");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("expected");
    // Games: "@ *" at the exchange, then the user's move or studied moves ("(" alternatives).
    // Knights out and back eleven times: every square the moves need stays free.
    const QString shuffle = QString("Nf3 Nc6 Ng1 Nb8 ").repeated(5) + "Nf3 Nc6 ";
    const QString black = shuffle + "Nd4 @ * Nf6", white = shuffle + "@ * Nd4";
    const QString awaited = shuffle + "Nd4 @ *", studied = shuffle + "Nd4 @ * a6 ( Nf6 )";
    const QString castled = "e4 e5 Nf3 Nf6 Bc4 Bc5 O-O @ *", rook = "e4 e5 Nf3 Nc6 Bc4 Bc5 @ *";
    const QStringList lines{"mail=Move #4|4. Rf1\r\n\r\nYour turn\r\n"}, none{"owner=|"};
    const QString invalid = "box=Move seems invalid !*;answer=none;moves=0";
    const QString type = "Down Down Down =Your_turn,_Bob F1";
    const QString filed =
        ";mail=alice@example.org | Move #12 | 12... Nf6\r\n\r\nYour turn, Bob\r\n";
    const QString noBook = "box=Unable to access Contacts list;shown=0;game=none";
    const QString owner = ";owner=Alice Martin <alice@example.org>";
    // clang-format off
    Row("send: the fields of Black's move", black, {}, "", "moveText=12... Nf6;to=bob@example.net;subject=Move #12;language=English;rows=English|French;additionalText=;focus=language");
    Row("send: White's move, an annotation cut, its blank kept", white + " $1", {}, "", "moveText=12. Nd4 ;to=bob@example.net");
    Row("send: no opponent's address", white, {"no address"}, "", "to=;open=yes");
    Row("send: nothing to send does not start", awaited, {}, "", "shown=0;result=false;outbox=0");
    Row("send: right changes the language", black, {}, "Right", "focus=language;moveText=12... Cf6");
    Row("send: down and up walk the fields, back deletes", black, {}, "Down Down Down Down Up Up End Esc", "path=to>subject>additionalText>additionalText>subject>to>to>to;to=bob@example.ne;open=yes");
    Row("send: without send command the move waits in the Outbox", black, {}, type, "box=Your move 12... Nf6 waits in the Outbox of your mail store: no send command is set, so it has not been sent. To have your moves sent, set SendCommand in device.ini (see \"Sending your moves\" in the README).;outbox=1;sent=0;result=true;error=" + filed);
    Row("send: a send command that succeeds sent it", black, {"command=cat > /dev/null"}, type, "box=Your move 12... Nf6 was sent to bob@example.net.;outbox=0;sent=1;result=true" + filed);
    Row("send: a send command that fails says how", black, {"command=cat >/dev/null; echo 'smtp: 550 relay denied' >&2; exit 3"}, type, "box=Unable to send message;error=Unable to send message: The send command ended with exit status 3.\nsmtp: 550 relay denied*;outbox=1;sent=0;open=yes;to=bob@example.net;result=false" + filed);
    Row("send: without the owner's e-mail nothing is sent", black, {"owner=Alice Martin|"}, type, "box=Your e-mail address is not set, so your move cannot be sent. Set E-mail in the [Owner] section*;outbox=0;sent=0;open=yes;subject=Move #12;result=false");

    Row("answer: no studied move opens the inbox", awaited, {"mail=Move #12|12... Nf6\r\n", "mail=Re: Move #12|Sorry, 12... Nc6"}, "F1", "rows=12.09 bob@example.net Move #12|12.10 bob@example.net Re: Move #12;answer=none;moves=0;shown=1");
    Row("answer: ten studied moves list nine", shuffle + "Nd4 @ * a6 ( a5 ) ( b6 ) ( b5 ) ( d6 ) ( d5 ) ( e6 ) ( e5 ) ( g6 ) ( g5 )", {}, "F1", "rows=0. Check inbox|1 : a6|2 : a5|3 : b6|4 : b5|5 : d6|6 : d5|7 : e6|8 : e5|9 : g6");
    Row("answer: a digit takes a studied move with today's date", studied, {"mail=Move #12|12... a6\r\n"}, "2", "answer=Nf6;date=today;moves=2");
    Row("answer: a digit beyond the list ends", studied, {}, "5", "open=no;answer=none");
    Row("answer: the action key takes the highlighted move", studied, {}, "Down Return", "answer=a6");
    Row("answer: a line read in English", awaited, {"mail=Move #12|12... Nf6\r\n\r\nGood luck\r\n"}, "F2|Down F2", "from=From:bob@example.net;subject=Subject: Move #12;rows=12... Nf6|Good luck;answer=Nf6;date=12.09;moves=1");
    Row("answer: a French line gives the English move", awaited, {"mail=Coup 12|12... Cf6\r\n"}, "F2|Right Down F2", "answer=Nf6;date=12.09");
    Row("answer: castling with letter O", castled, {"mail=Move #4|4... O-O\r\n"}, "F2|Down F2", "answer=O-O");
    Row("answer: castling with zeros is refused", castled, {"mail=Move #4|4... 0-0\r\n"}, "F2|Down F2", invalid);
    Row("answer: a word before the move is refused", "@ *", {"mail=First move|Move: e4\r\n"}, "F2|Down F2", invalid + ";date=today");
    Row("answer: an answer already studied is reused", studied, {"mail=Move #12|12... Nf6\r\n"}, "0|F2|Down F2", "answer=Nf6;moves=2;date=12.09");
    Row("answer: the rook move read in English", rook, lines, "F2|Down F2", "answer=Rf1");
    Row("answer: the same line in French is the king move", rook, lines, "F2|Right Down F2", "answer=Kf1");
    Row("answer: down and up walk the language and the lines", rook, lines, "F2|Down Down Up Up", "path=lines:4. Rf1>lines:Your turn>lines:4. Rf1>language;language=English");

    Row("new: the owner and the contacts with an address", "@ *", {}, "", "name=Alice Martin;email=alice@example.org;rows=Dupont, Jean|Durand, Bob|Jan van Berg;opponentAddress=Jean.Dupont@Example.org;playBlack=false;focus=name");
    Row("new: done gives the game with the user as White", "@ *", {}, "Return", "game=Alice Martin <alice@example.org> - Dupont, Jean <Jean.Dupont@Example.org>, ?/?/?, *, -/-, 0 0 no moves" + owner);
    Row("new: a typed address is the game's, not the owner's", "@ *", {}, "Down Ctrl+A =alice@work.example F1", "game=Alice Martin <alice@work.example>*" + owner);
    Row("new: Play Black gives White to the opponent", "@ *", {}, "Down Down Right Down Space Down =Club Down =3 Down =Lyon F1", "game=Durand, Bob <bob@example.net> - Alice Martin <alice@example.org>, Club/3/Lyon*");
    Row("new: without owner, name and e-mail are asked for and stored", "@ *", none, "F1 =" + QString(130, 'N') + " F1 Down =new@example.org F1", "box=Your name is mandatory|Your email is mandatory;game=" + QString(127, 'N') + " <new@example.org>*;owner=" + QString(127, 'N') + " <new@example.org>");
    Row("new: the fields start empty without owner", "@ *", none, "", "name=;email=");
    Row("new: cancel gives no game", "@ *", none, "=Someone Down =s@example.org F2", "game=none;owner= <>");
    Row("new: back deletes in the name", "@ *", {}, "End Esc", "name=Alice Marti;open=yes");
    Row("new: right changes the opponent", "@ *", {}, "Down Down Right", "focus=opponent;opponent=Durand, Bob;opponentAddress=bob@example.net");
    Row("new: down walks the fields to Site and no further", "@ *", {}, "Down Down Down Down Down Down Down", "path=email>opponent>playBlack>event>round>site>site");
    Row("new: no contact with an address", "@ *", {"book=none"}, "", "box=No contact found;shown=0;game=none");
    Row("new: address book gone", "@ *", {"book=gone"}, "", noBook + ";error=Unable to access Folders: *");
    Row("new: no address book session", "@ *", {"book=null"}, "", noBook);
    Row("new: address book session closed", "@ *", {"book=closed"}, "", noBook);
    // clang-format on
}

void DialogsTest::keysReachFieldsAndValues() {
    QFETCH(QString, game);
    QFETCH(QStringList, setup);
    QFETCH(QString, keys);
    QFETCH(QStringList, expected);
    const auto set = [&](const QString& key) {
        const QStringList found = setup.filter(QRegularExpression("^" + key + "="));
        return found.isEmpty() ? std::optional<QString>() : found[0].mid(key.size() + 1);
    };
    // The user has the move at the end of the main line; the opponent is bob@example.net.
    auto document = std::make_unique<GameDocument>(nullptr);
    Position* exchange = screen_test::SetUpGame(*document, game);
    QVERIFY(exchange != nullptr);
    const bool black = document->trait == kBlack;
    document->SetWhiteEmail(black ? u"bob@example.net" : u"alice@example.org");
    document->SetBlackEmail(black ? u"alice@example.org" : u"bob@example.net");
    MessagingSettings settings;
    settings.stores = {root_ / "Mail"};
    settings.sendCommand = set("command").value_or("").toStdString();
    QCOMPARE(session_.Logon(settings), 0);
    int delivered = 0;
    for (const QString& mail : setup.filter(QRegularExpression("^mail="))) {
        const fs::path file = root_ / "Mail" / "new" / std::to_string(++delivered);
        WriteBytes(file, "From: Bob Durand <bob@example.net>\nSubject: " +
                             mail.mid(5).section('|', 0, 0).toStdString() +
                             "\nContent-Type: text/plain; charset=UTF-8\n\n" +
                             mail.section('|', 1).toStdString());
        const std::time_t when = 1765281600 + (delivered - 1) * 86400;  // 9 December, 12:00 UTC
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
    const QString book = set("book").value_or("");
    if (book == "none") {
        WriteBytes(root_ / "contacts.vcf",
                   "BEGIN:VCARD\nN:Roux;Paul\nEMAIL:paul at x\nEND:VCARD\n");
    } else if (book == "gone") {
        fs::remove(root_ / "contacts.vcf");
    } else if (book == "closed") {
        contacts_.Close();
    }
    KeyDriver driver(keys, expected);
    QMap<QString, QString>& values = driver.values;
    const std::u16string today = TodayDateText();
    const QString dialog = QString(QTest::currentDataTag()).section(':', 0, 0);
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
        // The clock may pass midnight while the dialogs run.
        const bool isToday = request.date == today || request.date == TodayDateText();
        values["date"] = isToday ? "today" : QString::fromStdU16String(request.date);
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
            !made ? QString("none")
                  : QString("%1 <%2> - %3 <%4>, %5/%6/%7, %8, %9/%10, %11 %12 %13%14")
                        .arg(Text(made->white), Text(made->whiteEmail), Text(made->black),
                             Text(made->blackEmail), Text(made->event), Text(made->round),
                             Text(made->site),
                             QString::fromStdU16String(std::u16string(made->ResultText(true))),
                             Text(made->date), Text(made->lastMoveDate),
                             QString::number(made->lastMove), QString::number(made->trait),
                             made->root.firstMove ? "moves" : "no moves",
                             made->gamesFile == &games ? "" : " in another file");
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
    QVERIFY(!driver.boxes.contains("(stray)"));
    QCOMPARE(driver.segments.join("").trimmed(), "");  // every key reached its dialog
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
        KeyDriver driver("Down Down Right F1", {});
        list.InitDialog();
        if (!writable) {
            fs::remove(gamesPath);  // the games file turned into a folder
            fs::create_directory(gamesPath);
        }
        list.HandleCommand(kCmdNewGame);
        QCOMPARE(list.rowCount(), writable ? 1 : 0);
        QCOMPARE(opened, writable ? QStringList{"Alice Martin"} : QStringList{});
        QCOMPARE(fs::is_regular_file(gamesPath) && fs::file_size(gamesPath) > 0, writable);
        QCOMPARE(errors_.size(), writable ? 0 : 1);
        QCOMPARE(driver.segments.join("") + driver.boxes.join(""), "");
    }
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
