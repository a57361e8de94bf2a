#include "resources/resource_ids.h"
#include "tests/support/screen_test_support.h"
#include "ui/kit/dialog_controller.h"
#include "ui/kit/run_dialog.h"
#include "ui/kit/softkey_bar.h"

namespace {

// A focused list under bar `barId`, logging the commands and digits it gets; `greyed` greyed.
class RecordingScreen : public DialogController {
public:
    RecordingScreen(int barId, int greyed) : DialogController(nullptr), greyed(greyed) {
        list->addItems({QStringLiteral("1 : first"), QStringLiteral("2 : second")});
        list->setCurrentRow(0);
        bar = CreateSoftkeyBar(barId);
        WatchKeys(list);
        if (bar != nullptr) {
            bar->SetCommandEnabled(greyed, false);
        }
    }
    void InitDialog() override {
        if (bar == nullptr) {
            EndDialog(kIdCancel);
        }
    }
    bool HandleCommand(int commandId) override {
        log << QStringLiteral("command %1").arg(commandId);
        EndDialog(commandId);
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
        SoftkeyBar::EnableMenuCommand(popup, greyed, false);
    }

    QListWidget* list = new QListWidget(this);
    SoftkeyBar* bar;
    QStringList log;
    int greyed;
};

// A menu as the user sees it: greyed items in parentheses, submenus in brackets.
QString Shown(const QList<QAction*>& actions) {
    QStringList items;
    for (const QAction* action : actions) {
        const QString text = (action->isSeparator() ? QStringLiteral("-") : action->text()) +
                             (action->menu() ? '[' + Shown(action->menu()->actions()) + ']' : "");
        items << (action->isEnabled() || action->isSeparator() ? text : '(' + text + ')');
    }
    return items.join('|');
}

}  // namespace

class DialogConventionsTest : public QObject {
    Q_OBJECT

private slots:
    void keys_data() {
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("effect");
        QTest::addColumn<int>("greyed");
        const auto row = [](const char* name, int bar, Qt::Key key, const QString& effect,
                            int greyed = 0) {
            QTest::newRow(name) << bar << int(key) << effect << greyed;
        };
        const auto sends = [](int command) { return QStringLiteral("command %1").arg(command); };
        // clang-format off
        row("games list F1 Open", kBarGamesList, Qt::Key_F1, sends(kCmdOpen));
        row("Return is OK, not a softkey", kBarGamesList, Qt::Key_Return, sends(kIdOk));
        row("Enter is OK", kBarGamesList, Qt::Key_Enter, sends(kIdOk));
        row("Esc is Cancel", kBarGamesList, Qt::Key_Escape, sends(kIdCancel));
        row("board F1 Save+Close", kBarBoard, Qt::Key_F1, sends(kCmdSaveClose));
        row("new game F1 Done", kBarNewGame, Qt::Key_F1, sends(kIdOk));
        row("send move F1 Send", kBarSendMove, Qt::Key_F1, sends(kCmdSend));
        row("answer F2 Next", kBarAnswerMessages, Qt::Key_F2, sends(kCmdNext));
        row("choice has no F2", kBarChoice, Qt::Key_F2, "");
        row("greyed softkey ignores F1", kBarGamesList, Qt::Key_F1, "", kCmdOpen);
        row("games list F2 menu", kBarGamesList, Qt::Key_F2, "menu New...|-|Settings...|About...|Quit");
        row("greyed menu item", kBarGamesList, Qt::Key_F2, "menu (New...)|-|Settings...|About...|Quit", kCmdNewGame);
        row("board F2 menu, greyed in a submenu", kBarBoard, Qt::Key_F2, "menu Go to Current|View move list|Line[Promote|(Delete move)]|Result[1-0|1/2-1/2|0-1]|-|Send move|Get answer|-|Close, no save", kCmdDeleteMove);
        row("digits pass the focused list", kBarChoice, Qt::Key_2, "digit 2");
        row("arrows move the list", kBarChoice, Qt::Key_Down, "row 1");
        row("unknown bar", 999, Qt::Key_F1, "no bar");
        // clang-format on
    }

    void keys() {
        QFETCH(int, bar);
        QFETCH(int, key);
        QFETCH(int, greyed);
        RecordingScreen screen(bar, greyed);
        screen_test::ScreenAnswerer popups([&screen](QWidget& menu) {
            screen.log << "menu " + Shown(menu.actions());
            QTest::keyClick(&menu, Qt::Key_Escape);
        });
        screen.show();
        screen.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        screen.list->setFocus();
        QTest::keyClick(screen.list, Qt::Key(key));
        if (screen.list->currentRow() != 0) {
            screen.log << QStringLiteral("row %1").arg(screen.list->currentRow());
        }
        QTEST((screen.bar != nullptr ? screen.log : QStringList{"no bar"}).join(' '), "effect");
    }

    // A screen runs at the phone's size until it ends; one that ends while set up never shows.
    void runDialogGivesTheEndCode() {
        RecordingScreen failed(999, 0);
        QCOMPARE(RunDialog(failed, nullptr), kIdCancel);
        QVERIFY(!failed.isVisible());
        RecordingScreen screen(kBarAbout, 0);
        QSize shown;
        screen_test::ScreenAnswerer answerer([&shown](QWidget& modal) {
            shown = modal.size();
            QTest::keyClick(&modal, Qt::Key_F1);
        });
        QCOMPARE(RunDialog(screen, nullptr), kCmdAboutOk);
        QCOMPARE(shown, kPhoneWindowSize);
    }
};

QTEST_MAIN(DialogConventionsTest)
#include "dialog_conventions_test.moc"
