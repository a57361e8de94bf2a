#pragma once

#include <QDateTime>
#include <QList>
#include <QMenu>
#include <QString>
#include <QTest>
#include <QWidget>
#include <string_view>

#include "game/game_document.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"
#include "tests/support/screen_test_support.h"
#include "ui/game/game_display.h"
#include "ui/kit/softkey_bar.h"

// Fixtures shared by the screen tests that set up a game: playing moves, showing a
// game display and typing on it.

namespace screen_test {

// Plays `moves` (SAN, space separated) from `from` and returns the last position.
inline Position* Play(Position& from, const char16_t* moves) {
    Position* position = &from;
    std::u16string_view rest(moves);
    while (!rest.empty() && position != nullptr) {
        const std::size_t blank = rest.find(u' ');
        position = ParseSan(*position, rest.substr(0, blank));
        rest = blank == std::u16string_view::npos ? std::u16string_view() : rest.substr(blank + 1);
    }
    return position;
}

inline int MoveCount(const Position& position) {
    int count = 0;
    for (const MoveNode* move = position.firstMove.get(); move; move = move->nextSibling.get()) {
        ++count;
    }
    return count;
}

// An e-mail game still running between Anna (White) and Boris (Black), as the games
// list opens it.
inline void MakeEmailGame(GameDocument& document) {
    document.SetWhite(u"Anna");
    document.SetBlack(u"Boris");
    document.SetWhiteEmail(u"anna@example.org");
    document.SetBlackEmail(u"boris@example.org");
    document.SetResultCode(3);
}

// Shows `display` for `document` the way RunDialog does, without its modal loop, so
// that the test can press keys and look at the screen in between.
inline void OpenOnScreen(GameDisplay& display, GameDocument& document) {
    QVERIFY(display.Open(document));
    display.resize(240, 320);
    display.InitDialog();
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
}

// Clicks each character of `keys` on `widget`.
inline void Type(QWidget& widget, const char* keys) {
    for (const char* key = keys; *key != '\0'; ++key) {
        QTest::keyClick(&widget, *key);
    }
}

// Today's date as the exchange records it (MM.DD, UTC).
inline QString TodayUtc() {
    const QDate today = QDateTime::currentDateTimeUtc().date();
    return QStringLiteral("%1.%2")
        .arg(today.month(), 2, 10, QLatin1Char('0'))
        .arg(today.day(), 2, 10, QLatin1Char('0'));
}

// The enabled state of the item that sends `command` in the bar's popup (or one of
// its submenus), after the display has prepared the popup.
inline bool MenuItemEnabled(GameDisplay& display, SoftkeyBar& bar, int command) {
    QMenu* popup = bar.popupMenu(1);
    display.InitMenuPopup(bar.menuId(), *popup);
    QList<QMenu*> menus{popup};
    while (!menus.isEmpty()) {
        QMenu* menu = menus.takeFirst();
        for (QAction* action : menu->actions()) {
            if (action->menu() != nullptr) {
                menus << action->menu();
            } else if (SoftkeyBar::CommandOf(*action) == command) {
                return action->isEnabled();
            }
        }
    }
    qFatal("menu item %d missing", command);
    return false;
}

}  // namespace screen_test
