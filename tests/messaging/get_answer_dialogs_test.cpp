#include <fcntl.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "game/exchange_rules.h"
#include "game/game_document.h"
#include "messaging/message_store.h"
#include "messaging/move_text.h"
#include "platform/error_report.h"
#include "resources/resource_ids.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "tests/support/game_builder.h"
#include "tests/support/modal_script.h"
#include "ui/exchange/answer_request.h"
#include "ui/exchange/get_answer_dialog.h"
#include "ui/exchange/inbox_list_dialog.h"
#include "ui/exchange/message_lines_dialog.h"
#include "ui/kit/softkey_bar.h"

namespace {

const QString kInvalidMoveText = QStringLiteral(
    "Move seems invalid !\nNote :may be it is a syntax problem, in which case you can "
    "enter it with the board and validate it");

// 9 December 2025, 12:00 UTC: the inbox shows it as "12.09".
constexpr std::time_t kDecemberNinth = 1765281600;

QString SanOf(const MoveNode* move) {
    return move == nullptr ? QString()
                           : QString::fromStdU16String(
                                 FormatSanText(*move, false, false, NotationLanguage::English));
}

// Presses `key` in the dialog itself, as the keyboard mapping of the screens does.
void Press(QWidget* dialog, Qt::Key key) {
    QTest::keyClick(dialog, key);
}

}  // namespace

class GetAnswerDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Splitting a body into lines.
    void bodyLines_data();
    void bodyLines();

    // The studied moves.
    void noStudiedMoveOpensTheInboxAtOnce();
    void tenStudiedMovesListOnlyNine();
    void digitOfAStudiedMoveTakesItWithTodaysDate();
    void digitBeyondTheListEndsWithoutAnswer();
    void actionKeyTakesTheHighlightedMove();

    // The inbox and the message lines.
    void inboxListsDateSenderAndSubject();
    void lineReadFromTheMoveLetters();
    void frenchLineGivesTheEnglishMove();
    void castlingWithLetterOIsRead();
    void castlingWithZerosIsRefused();
    void wordBeforeTheMoveIsRefused();
    void answerAlreadyStudiedIsReused();

private:
    // Puts a message into the Inbox, delivered at `when`.
    void Deliver(const std::string& name, const std::string& subject, const std::string& body,
                 std::time_t when = kDecemberNinth);
    // The user (White) sent 12. Nd4; Black's answer is awaited.
    std::unique_ptr<GameDocument> AwaitingBlacksTwelfth();
    // Reads the answer from the first line of the first message, in `language`
    // (0 English, 1 French). With `expectBox` the move is refused: the box is recorded
    // and everything is cancelled.
    MoveNode* ReadFromMessage(AnswerRequest& request, int language, bool expectBox,
                              ModalScript& script);

    std::unique_ptr<QTemporaryDir> folder_;
    std::filesystem::path store_;
    MessageStore session_;
    std::vector<ErrorBox> errorBoxes_;
};

void GetAnswerDialogsTest::init() {
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    store_ = std::filesystem::path(folder_->path().toStdString()) / "Mail";
    MessagingSettings settings;
    settings.stores = {store_};
    settings.isDefault = true;
    QCOMPARE(session_.Logon(settings), 0);
    errorBoxes_.clear();
    SetErrorBoxHandler([this](const ErrorBox& box) { errorBoxes_.push_back(box); });
}

void GetAnswerDialogsTest::cleanup() {
    SetErrorBoxHandler(nullptr);
    session_.Release();
    folder_.reset();
}

void GetAnswerDialogsTest::Deliver(const std::string& name, const std::string& subject,
                                   const std::string& body, std::time_t when) {
    const std::filesystem::path file = store_ / "new" / name;
    {
        std::ofstream out(file, std::ios::binary);
        out << "From: Bob Durand <bob@example.net>\r\n"
            << "To: alice@example.org\r\n"
            << "Subject: " << subject << "\r\n"
            << "MIME-Version: 1.0\r\n"
            << "Content-Type: text/plain; charset=UTF-8\r\n"
            << "\r\n"
            << body;
    }
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

std::unique_ptr<GameDocument> GetAnswerDialogsTest::AwaitingBlacksTwelfth() {
    auto game = std::make_unique<GameDocument>(nullptr);
    if (PlayKnightShuffle(*game) == nullptr || PlayMainLine(*game, {u"Nd4"}) == nullptr) {
        return nullptr;
    }
    game->SetWhiteEmail(u"alice@example.org");
    game->SetBlackEmail(u"bob@example.net");
    game->lastMove = 12;
    game->trait = 32;
    return game;
}

MoveNode* GetAnswerDialogsTest::ReadFromMessage(AnswerRequest& request, int language,
                                                bool expectBox, ModalScript& script) {
    script.Then([](QWidget* modal) {
        auto* inbox = dynamic_cast<InboxListDialog*>(modal);
        QVERIFY(inbox != nullptr);
        QVERIFY(!inbox->list()->selectedItems().isEmpty());
        Press(inbox, Qt::Key_F2);
        if (!inbox->hasEnded()) {
            Press(inbox, Qt::Key_F1);
        }
    });
    script.Then([language, expectBox](QWidget* modal) {
        auto* lines = dynamic_cast<MessageLinesDialog*>(modal);
        QVERIFY(lines != nullptr);
        QVERIFY(lines->lines()->count() > 0);
        lines->languageList()->setCurrentIndex(language);
        lines->lines()->setCurrentRow(0);
        Press(lines, Qt::Key_F2);
        if (expectBox) {
            QVERIFY(!lines->hasEnded());
            Press(lines, Qt::Key_F1);
        }
    });
    if (expectBox) {
        script.ThenAcceptBox();
    }
    return request.Run(nullptr);
}

void GetAnswerDialogsTest::bodyLines_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf lines") << QStringLiteral("12... Nf6\r\n\r\nGood luck\r\n")
                                << QStringList{QStringLiteral("12... Nf6"),
                                               QStringLiteral("Good luck")};
    QTest::newRow("white space around lines")
        << QStringLiteral(" \t\r\n  e4  \t\r\n\r\n \r\n d5 ")
        << QStringList{QStringLiteral("e4"), QStringLiteral("d5")};
    QTest::newRow("lf alone ends no line")
        << QStringLiteral("12... Nf6\nGood luck\nBob")
        << QStringList{QStringLiteral("12... Nf6\nGood luck\nBob")};
    QTest::newRow("cr alone ends a line")
        << QStringLiteral("a\rb") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("only white space") << QStringLiteral(" \r\n\t\r\n ") << QStringList{};
    QTest::newRow("empty") << QString() << QStringList{};
}

void GetAnswerDialogsTest::bodyLines() {
    QFETCH(QString, body);
    QFETCH(QStringList, lines);
    QStringList split;
    for (const std::u16string& line : SplitBodyIntoLines(body.toStdU16String())) {
        split << QString::fromStdU16String(line);
    }
    QCOMPARE(split, lines);
}

void GetAnswerDialogsTest::noStudiedMoveOpensTheInboxAtOnce() {
    auto game = AwaitingBlacksTwelfth();
    QVERIFY(game != nullptr);
    Deliver("1.msg", "Move #12", "12... Nf6\r\n");
    AnswerRequest request(*game, session_);
    std::size_t heldBeforeCancel = 0;
    std::size_t heldAfterCancel = 1;
    ModalScript script;
    script.Then([&](QWidget* modal) {
        auto* inbox = dynamic_cast<InboxListDialog*>(modal);
        QVERIFY(inbox != nullptr);
        heldBeforeCancel = inbox->messageCount();
        Press(inbox, Qt::Key_F1);
        heldAfterCancel = inbox->messageCount();
    });
    QVERIFY(request.Run(nullptr) == nullptr);
    QCOMPARE(script.pendingSteps(), std::size_t{0});
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(heldBeforeCancel, std::size_t{1});
    QCOMPARE(heldAfterCancel, std::size_t{0});
    QCOMPARE(CountMoves(*game->FindLastMovePosition()), 0);
}

void GetAnswerDialogsTest::tenStudiedMovesListOnlyNine() {
    auto game = AwaitingBlacksTwelfth();
    QVERIFY(game != nullptr);
    Position* exchange = game->FindLastMovePosition();
    for (const char16_t* move :
         {u"a6", u"a5", u"b6", u"b5", u"d6", u"d5", u"e6", u"e5", u"g6", u"g5"}) {
        QVERIFY(ParseSan(*exchange, move) != nullptr);
    }
    AnswerRequest request(*game, session_);
    QStringList rows;
    ModalScript script;
    script.Then([&rows](QWidget* modal) {
        auto* dialog = dynamic_cast<GetAnswerDialog*>(modal);
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->activeSoftkeyBar()->barId(), kBarStudiedMoves);
        for (int row = 0; row < dialog->list()->count(); ++row) {
            rows << dialog->list()->item(row)->text();
        }
        Press(dialog, Qt::Key_F1);
    });
    QVERIFY(request.Run(nullptr) == nullptr);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(rows.size(), 10);
    QCOMPARE(rows.first(), QStringLiteral("0. Check inbox"));
    QCOMPARE(rows[1], QStringLiteral("1 : a6"));
    QCOMPARE(rows[3], QStringLiteral("3 : b6"));
    QCOMPARE(rows.last(), QStringLiteral("9 : g6"));
}

void GetAnswerDialogsTest::digitOfAStudiedMoveTakesItWithTodaysDate() {
    auto game = AwaitingBlacksTwelfth();
    QVERIFY(game != nullptr);
    Position* exchange = game->FindLastMovePosition();
    QVERIFY(ParseSan(*exchange, u"a6") != nullptr);
    QVERIFY(ParseSan(*exchange, u"Nf6") != nullptr);
    Deliver("1.msg", "Move #12", "12... a6\r\n");
    const std::u16string dayBefore = TodayDateText();
    AnswerRequest request(*game, session_);
    ModalScript script;
    script.Then([](QWidget* modal) { Press(modal, Qt::Key_2); });
    MoveNode* answer = request.Run(nullptr);
    const std::u16string dayAfter = TodayDateText();
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(SanOf(answer), QStringLiteral("Nf6"));
    QVERIFY(answer == exchange->firstMove->nextSibling.get());
    // The clock may pass midnight while the dialog runs.
    QVERIFY(request.date == dayBefore || request.date == dayAfter);
    QCOMPARE(request.date.size(), std::size_t{5});
}

void GetAnswerDialogsTest::digitBeyondTheListEndsWithoutAnswer() {
    auto game = AwaitingBlacksTwelfth();
    QVERIFY(game != nullptr);
    Position* exchange = game->FindLastMovePosition();
    QVERIFY(ParseSan(*exchange, u"a6") != nullptr);
    QVERIFY(ParseSan(*exchange, u"Nf6") != nullptr);
    AnswerRequest request(*game, session_);
    bool ended = false;
    ModalScript script;
    script.Then([&ended](QWidget* modal) {
        auto* dialog = dynamic_cast<GetAnswerDialog*>(modal);
        QVERIFY(dialog != nullptr);
        Press(dialog, Qt::Key_5);
        ended = dialog->hasEnded() && dialog->endCode() == kIdOk;
    });
    QVERIFY(request.Run(nullptr) == nullptr);
    QVERIFY(ended);
    QCOMPARE(script.strayCount(), 0);
}

void GetAnswerDialogsTest::actionKeyTakesTheHighlightedMove() {
    auto game = AwaitingBlacksTwelfth();
    QVERIFY(game != nullptr);
    Position* exchange = game->FindLastMovePosition();
    QVERIFY(ParseSan(*exchange, u"a6") != nullptr);
    QVERIFY(ParseSan(*exchange, u"Nf6") != nullptr);
    AnswerRequest request(*game, session_);
    ModalScript script;
    script.Then([](QWidget* modal) {
        auto* dialog = dynamic_cast<GetAnswerDialog*>(modal);
        QVERIFY(dialog != nullptr);
        dialog->list()->setCurrentRow(1);
        Press(dialog, Qt::Key_Return);
    });
    QCOMPARE(SanOf(request.Run(nullptr)), QStringLiteral("a6"));
    QCOMPARE(script.strayCount(), 0);
}

void GetAnswerDialogsTest::inboxListsDateSenderAndSubject() {
    auto game = AwaitingBlacksTwelfth();
    QVERIFY(game != nullptr);
    Deliver("1.msg", "Move #12", "12... Nf6\r\n", kDecemberNinth);
    Deliver("2.msg", "Re: Move #12", "Sorry, 12... Nc6\r\n", kDecemberNinth + 86400);
    AnswerRequest request(*game, session_);
    QStringList headers;
    QStringList firstRow;
    QStringList secondRow;
    bool firstSelected = false;
    ModalScript script;
    script.Then([&](QWidget* modal) {
        auto* inbox = dynamic_cast<InboxListDialog*>(modal);
        QVERIFY(inbox != nullptr);
        QCOMPARE(inbox->activeSoftkeyBar()->barId(), kBarAnswerMessages);
        QTreeWidget* list = inbox->list();
        for (int column = 0; column < list->columnCount(); ++column) {
            headers << list->headerItem()->text(column);
        }
        QCOMPARE(list->topLevelItemCount(), 2);
        for (int column = 0; column < 3; ++column) {
            firstRow << list->topLevelItem(0)->text(column);
            secondRow << list->topLevelItem(1)->text(column);
        }
        firstSelected = list->topLevelItem(0)->isSelected();
        // Sender and subject share the width that the date leaves.
        const int dateWidth = list->columnWidth(0);
        const int viewWidth = list->viewport()->width();
        QVERIFY(dateWidth > 0);
        QVERIFY(qAbs(list->columnWidth(1) - list->columnWidth(2)) <= 1);
        QVERIFY(list->columnWidth(1) >= (viewWidth - dateWidth - 4) / 2 - 1);
        QVERIFY(dateWidth + list->columnWidth(1) + list->columnWidth(2) <= viewWidth);
        Press(inbox, Qt::Key_F1);
    });
    QVERIFY(request.Run(nullptr) == nullptr);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(headers, (QStringList{QStringLiteral("Date"), QStringLiteral("Sender"),
                                   QStringLiteral("Subject")}));
    QCOMPARE(firstRow, (QStringList{QStringLiteral("12.09"), QStringLiteral("bob@example.net"),
                                    QStringLiteral("Move #12")}));
    QCOMPARE(secondRow, (QStringList{QStringLiteral("12.10"), QStringLiteral("bob@example.net"),
                                     QStringLiteral("Re: Move #12")}));
    QVERIFY(firstSelected);
}

void GetAnswerDialogsTest::lineReadFromTheMoveLetters() {
    auto game = AwaitingBlacksTwelfth();
    QVERIFY(game != nullptr);
    Deliver("1.msg", "Move #12", "12... Nf6\r\n\r\nGood luck\r\n");
    AnswerRequest request(*game, session_);
    QString from;
    QString subject;
    QString instruction;
    QStringList lines;
    ModalScript script;
    script.Then([](QWidget* modal) { Press(modal, Qt::Key_F2); });
    script.Then([&](QWidget* modal) {
        auto* dialog = dynamic_cast<MessageLinesDialog*>(modal);
        QVERIFY(dialog != nullptr);
        from = dialog->fromLabel()->text();
        subject = dialog->subjectLabel()->text();
        instruction = dialog->instructionLabel()->text();
        for (int row = 0; row < dialog->lines()->count(); ++row) {
            lines << dialog->lines()->item(row)->text();
        }
        QCOMPARE(dialog->languageList()->currentText(), QStringLiteral("English"));
        dialog->lines()->setCurrentRow(0);
        Press(dialog, Qt::Key_F2);
    });
    MoveNode* answer = request.Run(nullptr);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(from, QStringLiteral("From:bob@example.net"));
    QCOMPARE(subject, QStringLiteral("Subject: Move #12"));
    // The softkey that takes the line is "Next".
    QCOMPARE(instruction, QStringLiteral("Select the line containing the move and press Next"));
    QCOMPARE(lines, (QStringList{QStringLiteral("12... Nf6"), QStringLiteral("Good luck")}));
    QCOMPARE(SanOf(answer), QStringLiteral("Nf6"));
    QVERIFY(answer == game->FindLastMovePosition()->firstMove.get());
    QVERIFY(request.date == u"12.09");
    QVERIFY(request.message == nullptr);
}

void GetAnswerDialogsTest::frenchLineGivesTheEnglishMove() {
    auto game = AwaitingBlacksTwelfth();
    QVERIFY(game != nullptr);
    Deliver("1.msg", "Coup 12", "12... Cf6\r\n");
    AnswerRequest request(*game, session_);
    ModalScript script;
    QCOMPARE(SanOf(ReadFromMessage(request, 1, false, script)), QStringLiteral("Nf6"));
    QCOMPARE(script.strayCount(), 0);
    QVERIFY(request.date == u"12.09");
}

void GetAnswerDialogsTest::castlingWithLetterOIsRead() {
    auto game = std::make_unique<GameDocument>(nullptr);
    QVERIFY(PlayMainLine(*game, {u"e4", u"e5", u"Nf3", u"Nf6", u"Bc4", u"Bc5", u"O-O"}));
    game->lastMove = 4;
    game->trait = 32;
    Deliver("1.msg", "Move #4", "4... O-O\r\n");
    AnswerRequest request(*game, session_);
    ModalScript script;
    MoveNode* answer = ReadFromMessage(request, 0, false, script);
    QVERIFY(answer != nullptr);
    QVERIFY(answer->castling == CastlingSide::KingSide);
    QCOMPARE(script.strayCount(), 0);
}

void GetAnswerDialogsTest::castlingWithZerosIsRefused() {
    auto game = std::make_unique<GameDocument>(nullptr);
    QVERIFY(PlayMainLine(*game, {u"e4", u"e5", u"Nf3", u"Nf6", u"Bc4", u"Bc5", u"O-O"}));
    game->lastMove = 4;
    game->trait = 32;
    Deliver("1.msg", "Move #4", "4... 0-0\r\n");
    AnswerRequest request(*game, session_);
    ModalScript script;
    QVERIFY(ReadFromMessage(request, 0, true, script) == nullptr);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(script.boxes().size(), std::size_t{1});
    QCOMPARE(script.boxes()[0].text, kInvalidMoveText);
    QCOMPARE(script.boxes()[0].caption, QStringLiteral("Korvani"));
    QCOMPARE(script.boxes()[0].icon, QMessageBox::NoIcon);
    QCOMPARE(CountMoves(*game->FindLastMovePosition()), 0);
}

void GetAnswerDialogsTest::wordBeforeTheMoveIsRefused() {
    auto game = std::make_unique<GameDocument>(nullptr);
    Deliver("1.msg", "First move", "Move: e4\r\n");
    AnswerRequest request(*game, session_);
    const std::u16string today = request.date;
    ModalScript script;
    QVERIFY(ReadFromMessage(request, 0, true, script) == nullptr);
    QCOMPARE(script.strayCount(), 0);
    QCOMPARE(script.boxes().size(), std::size_t{1});
    QCOMPARE(script.boxes()[0].text, kInvalidMoveText);
    QCOMPARE(CountMoves(game->root), 0);
    QVERIFY(request.date == today);
}

void GetAnswerDialogsTest::answerAlreadyStudiedIsReused() {
    auto game = AwaitingBlacksTwelfth();
    QVERIFY(game != nullptr);
    Position* exchange = game->FindLastMovePosition();
    QVERIFY(ParseSan(*exchange, u"a6") != nullptr);
    Position* studied = ParseSan(*exchange, u"Nf6");
    QVERIFY(studied != nullptr);
    Deliver("1.msg", "Move #12", "12... Nf6\r\n");
    AnswerRequest request(*game, session_);
    ModalScript script;
    script.Then([](QWidget* modal) { Press(modal, Qt::Key_0); });
    MoveNode* answer = ReadFromMessage(request, 0, false, script);
    QCOMPARE(script.strayCount(), 0);
    QVERIFY(answer == studied->incomingMove);
    QCOMPARE(CountMoves(*exchange), 2);
    QVERIFY(request.date == u"12.09");
}

QTEST_MAIN(GetAnswerDialogsTest)
#include "get_answer_dialogs_test.moc"
