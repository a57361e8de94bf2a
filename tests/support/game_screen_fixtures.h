#pragma once

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "game/game_document.h"
#include "resources/resource_ids.h"
#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"
#include "tests/support/screen_test_support.h"
#include "ui/game/board_view.h"
#include "ui/game/game_display.h"
#include "ui/game/move_list_view.h"
#include "ui/kit/softkey_bar.h"

// Setting up a game, showing it on a game display and pressing the phone's keys on it.
namespace screen_test {

// Sets up `document` from "[FEN] movetext" (FEN optional): SAN moves, "(" ")" around an
// alternative to the move before, "$n" an annotation, "@" where the exchange stands and
// "*" the position returned. Null without "*" or on an illegal move (with a warning).
inline Position* SetUpGame(GameDocument& document, const QString& game) {
    QString moves = game;
    const qsizetype fenEnd = moves.startsWith(u'[') ? moves.indexOf(u']') : -1;
    if (fenEnd > 0 && !ReadFen(document.root, moves.mid(1, fenEnd - 1).toStdU16String())) {
        qWarning("bad FEN in %s", qPrintable(game));
    }
    moves = moves.mid(fenEnd + 1).replace(u'(', " ( ").replace(u')', " ) ");
    Position* position = &document.root;
    Position* marked = nullptr;
    std::vector<Position*> branches;  // where each open variation returns to
    int plies = 0;
    for (const QString& token : moves.split(u' ', Qt::SkipEmptyParts)) {
        if (token == u"(") {
            branches.push_back(position);
            position = position->incomingMove->parent;
        } else if (token == u")") {
            position = branches.back();
            branches.pop_back();
        } else if (token.startsWith(u'$')) {
            position->incomingMove->nag = static_cast<std::uint8_t>(token.mid(1).toInt());
        } else if (token == u"@") {
            document.lastMove = static_cast<std::uint16_t>((plies + 1) / 2);
            document.trait = plies % 2 == 1 ? kBlack : kWhite;
        } else if (token == u"*") {
            marked = position;
        } else if (position = ParseSan(*position, token.toStdU16String()); position == nullptr) {
            qWarning("illegal move %s in %s", qPrintable(token), qPrintable(game));
            return nullptr;
        } else if (branches.empty()) {
            ++plies;
        }
    }
    return marked;
}

// Shows `display` for `document` on the phone's screen as RunDialog does, without its loop.
inline void OpenOnScreen(GameDisplay& display, GameDocument& document) {
    QVERIFY(display.Open(document));
    display.resize(240, 320);
    display.InitDialog();
    for (QWidget* child : display.findChildren<QWidget*>()) {
        if (child->focusPolicy() != Qt::NoFocus) {
            display.WatchKeys(child);
        }
    }
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
}

inline void Type(QWidget& widget, const char* keys) {
    for (const char* key = keys; *key != '\0'; ++key) {
        QTest::keyClick(&widget, *key);
    }
}

// A message box's title and text; another dialog's title, labels and list rows.
inline QString ScreenText(QWidget& screen) {
    if (auto* box = qobject_cast<QMessageBox*>(&screen)) {
        return box->windowTitle() + ": " + box->text();
    }
    QStringList parts;
    for (auto* label : screen.findChildren<QLabel*>()) {
        if (label->isVisible() && label->objectName() != u"instruction") {
            parts << label->text();
        }
    }
    if (auto* list = screen.findChild<QListWidget*>()) {
        parts << Rows(*list->model(), 1);
    }
    return screen.windowTitle() + ": " + parts.join(u", ");
}

// Presses keys on the topmost screen: digits, "<>^v" the arrows, "o" Ok, "b" back, "L" "R"
// the softkeys, "x" the close button; commands "P"romote, "D"elete move, "M"ove list,
// "B"oard, "N" Go to Current, "S"end, "A"nswer, "C"lose no save, "=" draw. Each key goes
// from a timer, so that it reaches the newest dialog's loop. Returns the dialogs shown.
inline QStringList PressKeys(GameDisplay& screen, const QString& keys) {
    static const QHash<QChar, int> commands = {
        {u'P', kCmdPromote},   {u'D', kCmdDeleteMove},  {u'M', kCmdViewMoveList},
        {u'B', kCmdShowBoard}, {u'N', kCmdGoToCurrent}, {u'S', kCmdSendMove},
        {u'A', kCmdGetAnswer}, {u'C', kCmdCloseNoSave}, {u'=', kCmdResultDraw}};
    static const QHash<QChar, Qt::Key> named = {
        {u'<', Qt::Key_Left},   {u'>', Qt::Key_Right},  {u'^', Qt::Key_Up}, {u'v', Qt::Key_Down},
        {u'o', Qt::Key_Return}, {u'b', Qt::Key_Escape}, {u'L', Qt::Key_F1}, {u'R', Qt::Key_F2}};
    QStringList seen;
    QEventLoop done;
    qsizetype next = 0;
    std::function<void()> step = [&] {
        if (next == keys.size()) {
            return done.quit();
        }
        const QChar key = keys[next++];
        QTimer::singleShot(0, &done, step);
        QWidget* top = QApplication::activeModalWidget();
        if (top == nullptr || top == &screen) {
            top = &screen;
        } else if (seen.isEmpty() || seen.back() != ScreenText(*top)) {
            seen << ScreenText(*top);
        }
        QWidget* focus = QApplication::focusWidget();
        if (commands.contains(key)) {
            screen.HandleCommand(commands[key]);
        } else if (key == u'x') {
            top->close();
        } else {
            QTest::keyClick(focus != nullptr && top->isAncestorOf(focus) ? focus : top,
                            named.value(key, Qt::Key(key.toUpper().unicode())));
        }
    };
    QTimer::singleShot(0, &done, step);
    done.exec();
    return seen;
}

// A move list's rows after the blank first one, trimmed; the current one in brackets.
inline QString ListText(const QListWidget& list) {
    QStringList rows;
    for (int row = 1; row < list.count(); ++row) {
        const QString text = list.item(row)->text().trimmed();
        rows << (row == list.currentRow() ? u'[' + text + u']' : text);
    }
    return rows.join(u' ');
}

// The screen in one line: on the board "last move|new squares|depth|selected square|
// highlighted file", in list mode "list " and its rows; then "|" and flags: "m" modified,
// "d" list awaiting a rebuild, "k" must be kept, "x" and the code once ended.
inline QString Describe(GameDisplay& display) {
    const BoardView& board = display.Board();
    const auto file = [](int index) {
        return index == BoardView::kNone ? QString() : QString(QChar(u'a' + index));
    };
    const QString flags = QString(display.IsModified() ? "m" : "") +
                          (display.IsListDirty() ? "d" : "") + (display.CanDiscard() ? "" : "k") +
                          (display.hasEnded() ? QStringLiteral("x%1").arg(display.endCode()) : "");
    if (!display.IsBoardMode()) {
        const bool listOnly = display.MoveList()->isVisible() && !board.isVisible();
        return (listOnly ? "list " : "list, board ") + ListText(*display.MoveList()) + '|' + flags;
    }
    const int rank = board.SelectedRank();
    const QString selected =
        rank == BoardView::kNone ? "" : file(board.SelectedFile()) + QChar(u'1' + rank);
    return QStringList{display.StatusLabel(GameDisplay::kLastMove)->text(),
                       display.StatusLabel(GameDisplay::kNewSquares)->text(),
                       display.StatusLabel(GameDisplay::kDepth)->text(),
                       selected,
                       file(board.HighlightedFile()),
                       flags}
        .join(u'|');
}

// The whole tree of `document` as the move list shows it.
inline QString TreeText(GameDocument& document) {
    MoveListView list;
    list.AttachTo(document);
    list.Rebuild(document.GetCurrent()->incomingMove);
    document.DetachView(&list);
    return ListText(list);
}

// Today's date as the exchange records it (MM.DD, UTC).
inline QString TodayUtc() {
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("MM.dd"));
}

// Whether the bar's popup (as the display prepares it) offers `command`.
inline bool MenuItemEnabled(GameDisplay& display, SoftkeyBar& bar, int command) {
    QMenu* popup = bar.popupMenu(1);
    display.InitMenuPopup(bar.menuId(), *popup);
    for (const QAction* action : popup->findChildren<QAction*>()) {
        if (SoftkeyBar::CommandOf(*action) == command) {
            return action->isEnabled();
        }
    }
    qFatal("menu item %d missing", command);
}

}  // namespace screen_test
