#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "resources/resource_ids.h"
#include "tests/support/screen_script.h"
#include "tests/support/screen_test_support.h"
#include "ui/kit/dialog_controller.h"
#include "ui/kit/run_dialog.h"
#include "ui/kit/softkey_bar.h"

namespace {

// A screen that logs the commands and digits that reach it.
class RecordingScreen : public DialogController {
public:
    explicit RecordingScreen(int barId) : DialogController(nullptr), barId_(barId) {}
    void InitDialog() override {
        bar = CreateSoftkeyBar(barId_);
        if (endInInit != 0) {
            EndDialog(endInInit);
        }
    }
    bool HandleCommand(int commandId) override {
        log << QStringLiteral("command %1").arg(commandId);
        if (commandId == endOn) {
            EndDialog(commandId);
        }
        return true;
    }
    bool HandleKeyDown(QKeyEvent& event) override {
        const bool digit = event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9;
        if (digit) {
            log << QStringLiteral("digit %1").arg(event.key() - Qt::Key_0);
        }
        return digit;
    }
    void InitMenuPopup(int /*menuId*/, QMenu& popup) override {
        if (greyed != 0) {
            SoftkeyBar::EnableMenuCommand(popup, greyed, false);
        }
    }

    SoftkeyBar* bar = nullptr;
    QStringList log;
    int greyed = 0;
    int endInInit = 0;
    int endOn = -1;

private:
    int barId_;
};

// A menu as the user sees it: greyed items in parentheses, submenus in brackets.
QString Shown(const QList<QAction*>& actions) {
    QStringList items;
    for (const QAction* action : actions) {
        QString text = action->isSeparator() ? QStringLiteral("-") : action->text();
        if (action->menu() != nullptr) {
            text += QLatin1Char('[') + Shown(action->menu()->actions()) + QLatin1Char(']');
        }
        items << (action->isEnabled() || action->isSeparator() ? text : '(' + text + ')');
    }
    return items.join(QLatin1Char('|'));
}

enum Widget { kNoWidget, kEditWithBackOverridden, kList };

}  // namespace

class DialogConventionsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { screen_test::CancelPending(); }

    void keys_data() {
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("greyed");
        QTest::addColumn<int>("widget");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("effect");
        const auto row = [](const char* name, int bar, Qt::Key key, const QString& effect,
                            int greyed = 0, Widget widget = kNoWidget) {
            QTest::newRow(name) << bar << greyed << int(widget) << int(key) << effect;
        };
        const auto sends = [](int command) { return QStringLiteral("command %1").arg(command); };
        const QString gamesMenu = QStringLiteral("menu %1|-|Settings...|About...|Quit");
        row("games list F1 Open", kBarGamesList, Qt::Key_F1, sends(kCmdOpen));
        row("games list F2 menu", kBarGamesList, Qt::Key_F2, gamesMenu.arg("New..."));
        row("greyed menu item", kBarGamesList, Qt::Key_F2, gamesMenu.arg("(New...)"), kCmdNewGame);
        row("greyed softkey ignores F1", kBarGamesList, Qt::Key_F1, "", kCmdOpen);
        row("Return is OK, not a softkey", kBarGamesList, Qt::Key_Return, sends(kIdOk));
        row("Enter is OK", kBarGamesList, Qt::Key_Enter, sends(kIdOk));
        row("Esc is Cancel", kBarGamesList, Qt::Key_Escape, sends(kIdCancel));
        row("board F1 Save+Close", kBarBoard, Qt::Key_F1, sends(kCmdSaveClose));
        row("board F2 menu, greyed in a submenu", kBarBoard, Qt::Key_F2,
            "menu Go to Current|View move list|Line[Promote|(Delete move)]|"
            "Result[1-0|1/2-1/2|0-1]|-|Send move|Get answer|-|Close, no save",
            kCmdDeleteMove);
        row("move list F1 Save+Close", kBarMoveList, Qt::Key_F1, sends(kCmdSaveClose));
        row("new game F1 Done", kBarNewGame, Qt::Key_F1, sends(kIdOk));
        row("new game F2 Cancel", kBarNewGame, Qt::Key_F2, sends(kIdCancel));
        row("send move F1 Send", kBarSendMove, Qt::Key_F1, sends(kCmdSend));
        row("send move F2 Cancel", kBarSendMove, Qt::Key_F2, sends(kIdCancel));
        row("studied moves F1 Cancel", kBarStudiedMoves, Qt::Key_F1, sends(kIdCancel));
        row("answer F1 Cancel", kBarAnswerMessages, Qt::Key_F1, sends(kIdCancel));
        row("answer F2 Next", kBarAnswerMessages, Qt::Key_F2, sends(kCmdNext));
        row("about F1 OK", kBarAbout, Qt::Key_F1, sends(kCmdAboutOk));
        row("choice F1 Cancel", kBarChoice, Qt::Key_F1, sends(kIdCancel));
        row("choice F2 nothing", kBarChoice, Qt::Key_F2, "");
        row("unknown bar", 999, Qt::Key_F1, "no bar");
        row("overridden back key deletes a character", kBarNewGame, Qt::Key_Escape, "edit ab", 0,
            kEditWithBackOverridden);
        row("digit passes a focused list", kBarChoice, Qt::Key_2, "digit 2 row 0", 0, kList);
        row("arrow moves a focused list", kBarChoice, Qt::Key_Down, "row 1", 0, kList);
    }

    void keys() {
        QFETCH(int, bar);
        QFETCH(int, greyed);
        QFETCH(int, widget);
        QFETCH(int, key);
        RecordingScreen screen(bar);
        screen.greyed = greyed;
        auto* edit = widget == kEditWithBackOverridden ? new QLineEdit("abc", &screen) : nullptr;
        auto* list = widget == kList ? new QListWidget(&screen) : nullptr;
        QWidget* focus = edit != nullptr ? edit : static_cast<QWidget*>(list);
        if (list != nullptr) {
            list->addItems({QStringLiteral("1 : first"), QStringLiteral("2 : second")});
            list->setCurrentRow(0);
        }
        screen.InitDialog();
        if (screen.bar == nullptr) {
            screen.log << QStringLiteral("no bar");
        } else {
            screen.bar->SetCommandEnabled(greyed, false);
        }
        if (edit != nullptr) {
            screen.OverrideBackKey();
        }
        if (focus != nullptr) {
            screen.WatchKeys(focus);
        }
        ScreenScript script;
        script.Then(
            QStringLiteral("a popup"), [](QWidget& top) { return qobject_cast<QMenu*>(&top); },
            [&screen](QWidget& top) {
                screen.log << QStringLiteral("menu ") + Shown(top.actions());
                QTest::keyClick(&top, Qt::Key_Escape);
            });
        screen.show();
        screen.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        if (focus != nullptr) {
            focus->setFocus();
        }
        QTest::keyClick(focus != nullptr ? focus : &screen, static_cast<Qt::Key>(key));
        if (edit != nullptr) {
            screen.log << QStringLiteral("edit ") + edit->text();
        }
        if (list != nullptr) {
            screen.log << QStringLiteral("row %1").arg(list->currentRow());
        }
        QTEST(screen.log.join(QLatin1Char(' ')), "effect");
    }

    // RunDialog gives the screen's end code, sized as the phone or over its parent, and
    // never shows a screen that ended while it was being set up.
    void runDialog() {
        RecordingScreen early(kBarChoice);
        early.endInInit = 5;
        QCOMPARE(RunDialog(early, nullptr), 5);
        QVERIFY(!early.isVisible());
        QWidget window;
        window.setGeometry(50, 60, 300, 400);
        window.show();
        for (QWidget* parent : {static_cast<QWidget*>(nullptr), &window}) {
            RecordingScreen screen(kBarAbout);
            screen.endOn = kCmdAboutOk;
            QSize shown;
            screen_test::WhenModalShows([&](QWidget& modal) {
                shown = modal.size();
                QTest::keyClick(&modal, Qt::Key_F1);
            });
            QCOMPARE(RunDialog(screen, parent), kCmdAboutOk);
            QCOMPARE(shown, parent != nullptr ? window.size() : kPhoneWindowSize);
        }
    }

private:
    screen_test::ModalWatchdog watchdog_;
};

QTEST_MAIN(DialogConventionsTest)
#include "dialog_conventions_test.moc"
