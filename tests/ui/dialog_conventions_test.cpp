#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/support/screen_test_support.h"
#include "ui/kit/dialog_controller.h"
#include "ui/kit/run_dialog.h"
#include "ui/kit/softkey_bar.h"

namespace {

// A screen that records what reaches it.
class RecordingScreen : public DialogController {
public:
    explicit RecordingScreen(int barId, QWidget* parent = nullptr)
        : DialogController(parent), barId_(barId) {}

    void InitDialog() override {
        if (endInInit != 0) {
            EndDialog(endInInit);
            return;
        }
        bar = CreateSoftkeyBar(barId_);
    }
    bool HandleCommand(int commandId) override {
        commands.push_back(commandId);
        if (commandId == endOnCommand) {
            EndDialog(endCode);
        }
        return true;
    }
    bool HandleKeyDown(QKeyEvent& event) override {
        if (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9) {
            digits.push_back(event.key() - Qt::Key_0);
            return true;
        }
        return false;
    }
    void InitMenuPopup(int menuId, QMenu& popup) override {
        popupMenus.push_back(menuId);
        for (int command : greyed) {
            SoftkeyBar::EnableMenuCommand(popup, command, false);
        }
    }

    SoftkeyBar* bar = nullptr;
    std::vector<int> commands;
    std::vector<int> digits;
    std::vector<int> popupMenus;
    std::vector<int> greyed;
    int endInInit = 0;
    int endOnCommand = -1;
    int endCode = 0;

private:
    int barId_;
};

QAction* FindAction(QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

QStringList MenuTexts(QMenu& menu) {
    QStringList texts;
    for (QAction* action : menu.actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

}  // namespace

class DialogConventionsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { screen_test::CancelPending(); }
    void everyBarIsBuiltFromTheTable_data();
    void everyBarIsBuiltFromTheTable();
    void unknownBarIsNotBuilt();
    void f1PressesThePlainSoftkey_data();
    void f1PressesThePlainSoftkey();
    void f2OpensThePopupAndItsItemSendsItsCommand();
    void greyedMenuItemIsShownDisabled();
    void greyedSoftkeyIgnoresItsKey();
    void popupHoldsSubmenus();
    void actionAndBackKeysSendOkAndCancel_data();
    void actionAndBackKeysSendOkAndCancel();
    void backKeyDeletesACharacterWhenOverridden();
    void digitsReachTheScreenPastAFocusedList();
    void endingDuringInitialisationSkipsTheRun();
    void runDialogReturnsTheEndCode();
    void nestedScreenCoversItsParentWindow();

private:
    screen_test::ModalWatchdog watchdog_;
};

void DialogConventionsTest::everyBarIsBuiltFromTheTable_data() {
    QTest::addColumn<int>("barId");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<int>("leftCommand");
    QTest::addColumn<bool>("rightOpensPopup");
    QTest::newRow("choice 110") << kBarChoice << QStringList{"Cancel"} << kIdCancel << false;
    QTest::newRow("games list 117")
        << kBarGamesList << QStringList{"Open", "Menu"} << kCmdOpen << true;
    QTest::newRow("board 118") << kBarBoard << QStringList{"Save+Close", "Menu"} << kCmdSaveClose
                               << true;
    QTest::newRow("new game 120") << kBarNewGame << QStringList{"Done", "Cancel"} << kIdOk << false;
    QTest::newRow("move list 121")
        << kBarMoveList << QStringList{"Save+Close", "Menu"} << kCmdSaveClose << true;
    QTest::newRow("send move 122")
        << kBarSendMove << QStringList{"Send", "Cancel"} << kCmdSend << false;
    QTest::newRow("studied moves 123")
        << kBarStudiedMoves << QStringList{"Cancel"} << kIdCancel << false;
    QTest::newRow("answer 124") << kBarAnswerMessages << QStringList{"Cancel", "Next"} << kIdCancel
                                << false;
    QTest::newRow("about 125") << kBarAbout << QStringList{"OK"} << kCmdAboutOk << false;
}

void DialogConventionsTest::everyBarIsBuiltFromTheTable() {
    QFETCH(int, barId);
    QFETCH(QStringList, labels);
    QFETCH(int, leftCommand);
    QFETCH(bool, rightOpensPopup);
    RecordingScreen screen(barId);
    screen.InitDialog();
    QVERIFY(screen.bar != nullptr);
    QCOMPARE(screen.bar->softkeyCount(), labels.size());
    for (int i = 0; i < labels.size(); ++i) {
        QCOMPARE(screen.bar->softkey(i)->text(), labels[i]);
        QCOMPARE(screen.bar->softkey(i)->focusPolicy(), Qt::NoFocus);
        QVERIFY(!screen.bar->softkey(i)->autoDefault());
    }
    QVERIFY(screen.bar->popupMenu(0) == nullptr);
    QCOMPARE(screen.bar->popupMenu(1) != nullptr, rightOpensPopup);
    QVERIFY(screen.bar->Press(0));
    QCOMPARE(screen.commands, std::vector<int>{leftCommand});
    QVERIFY(!screen.bar->Press(2));
}

void DialogConventionsTest::unknownBarIsNotBuilt() {
    RecordingScreen screen(999);
    screen.InitDialog();
    QVERIFY(screen.bar == nullptr);
    QVERIFY(screen.activeSoftkeyBar() == nullptr);
}

void DialogConventionsTest::f1PressesThePlainSoftkey_data() {
    QTest::addColumn<int>("barId");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("command");
    QTest::newRow("F1 Open") << kBarGamesList << int(Qt::Key_F1) << kCmdOpen;
    QTest::newRow("F1 Send") << kBarSendMove << int(Qt::Key_F1) << kCmdSend;
    QTest::newRow("F2 Cancel") << kBarSendMove << int(Qt::Key_F2) << kIdCancel;
    QTest::newRow("F2 Next") << kBarAnswerMessages << int(Qt::Key_F2) << kCmdNext;
}

void DialogConventionsTest::f1PressesThePlainSoftkey() {
    QFETCH(int, barId);
    QFETCH(int, key);
    QFETCH(int, command);
    RecordingScreen screen(barId);
    screen.InitDialog();
    screen.show();
    QTest::keyClick(&screen, static_cast<Qt::Key>(key));
    QCOMPARE(screen.commands, std::vector<int>{command});
}

void DialogConventionsTest::f2OpensThePopupAndItsItemSendsItsCommand() {
    RecordingScreen screen(kBarGamesList);
    screen.InitDialog();
    screen.show();
    QStringList shown;
    screen_test::WhenPopupShows([&](QMenu& menu) {
        shown = MenuTexts(menu);
        screen_test::ChooseMenuItem(menu, QStringLiteral("About..."));
    });
    QTest::keyClick(&screen, Qt::Key_F2);
    QCOMPARE(shown, (QStringList{"New...", "-", "Settings...", "About...", "Quit"}));
    QCOMPARE(screen.popupMenus, std::vector<int>{kBarGamesList});
    QCOMPARE(screen.commands, std::vector<int>{kCmdAbout});
}

void DialogConventionsTest::greyedMenuItemIsShownDisabled() {
    RecordingScreen screen(kBarGamesList);
    screen.greyed = {kCmdNewGame};
    screen.InitDialog();
    screen.show();
    bool newEnabled = true;
    bool quitEnabled = false;
    screen_test::WhenPopupShows([&](QMenu& menu) {
        newEnabled = FindAction(menu, QStringLiteral("New..."))->isEnabled();
        quitEnabled = FindAction(menu, QStringLiteral("Quit"))->isEnabled();
        QTest::keyClick(&menu, Qt::Key_Escape);
    });
    QTest::keyClick(&screen, Qt::Key_F2);
    QVERIFY(!newEnabled);
    QVERIFY(quitEnabled);
    QVERIFY(screen.commands.empty());
}

void DialogConventionsTest::greyedSoftkeyIgnoresItsKey() {
    RecordingScreen screen(kBarGamesList);
    screen.InitDialog();
    screen.show();
    screen.bar->SetCommandEnabled(kCmdOpen, false);
    QVERIFY(!screen.bar->softkey(0)->isEnabled());
    QTest::keyClick(&screen, Qt::Key_F1);
    QVERIFY(screen.commands.empty());
    screen.bar->SetCommandEnabled(kCmdOpen, true);
    QTest::keyClick(&screen, Qt::Key_F1);
    QCOMPARE(screen.commands, std::vector<int>{kCmdOpen});
}

void DialogConventionsTest::popupHoldsSubmenus() {
    RecordingScreen screen(kBarBoard);
    screen.greyed = {kCmdDeleteMove};
    screen.InitDialog();
    QMenu* menu = screen.bar->popupMenu(1);
    QVERIFY(menu != nullptr);
    QCOMPARE(MenuTexts(*menu),
             (QStringList{"Go to Current", "View move list", "Line", "Result", "-", "Send move",
                          "Get answer", "-", "Close, no save"}));
    QMenu* line = FindAction(*menu, QStringLiteral("Line"))->menu();
    QVERIFY(line != nullptr);
    QCOMPARE(MenuTexts(*line), (QStringList{"Promote", "Delete move"}));
    // Greying reaches items inside submenus.
    screen.InitMenuPopup(kBarBoard, *menu);
    QVERIFY(!FindAction(*line, QStringLiteral("Delete move"))->isEnabled());
    QVERIFY(FindAction(*line, QStringLiteral("Promote"))->isEnabled());
    QCOMPARE(SoftkeyBar::CommandOf(*FindAction(*line, QStringLiteral("Promote"))), kCmdPromote);
}

void DialogConventionsTest::actionAndBackKeysSendOkAndCancel_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("command");
    QTest::newRow("Return") << int(Qt::Key_Return) << kIdOk;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << kIdOk;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << kIdCancel;
}

void DialogConventionsTest::actionAndBackKeysSendOkAndCancel() {
    QFETCH(int, key);
    QFETCH(int, command);
    RecordingScreen screen(kBarNewGame);
    screen.InitDialog();
    screen.show();
    QTest::keyClick(&screen, static_cast<Qt::Key>(key));
    QCOMPARE(screen.commands, std::vector<int>{command});
    // The softkeys never take Return for themselves.
    QVERIFY(!screen.isHidden());
}

void DialogConventionsTest::backKeyDeletesACharacterWhenOverridden() {
    RecordingScreen screen(kBarNewGame);
    auto* edit = new QLineEdit(QStringLiteral("abc"), &screen);
    screen.InitDialog();
    screen.OverrideBackKey();
    screen.WatchKeys(edit);
    screen.show();
    screen.activateWindow();
    edit->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&screen));
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(edit->text(), QStringLiteral("ab"));
    QVERIFY(screen.commands.empty());
}

void DialogConventionsTest::digitsReachTheScreenPastAFocusedList() {
    RecordingScreen screen(kBarChoice);
    auto* list = new QListWidget(&screen);
    list->addItems({QStringLiteral("1 : first"), QStringLiteral("2 : second")});
    list->setCurrentRow(0);
    screen.InitDialog();
    screen.WatchKeys(list);
    screen.show();
    screen.activateWindow();
    list->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&screen));
    QTest::keyClick(list, Qt::Key_2);
    QCOMPARE(screen.digits, std::vector<int>{2});
    // The list's type-ahead search did not see the digit.
    QCOMPARE(list->currentRow(), 0);
    // Arrows still move the list's highlight.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 1);
}

void DialogConventionsTest::endingDuringInitialisationSkipsTheRun() {
    RecordingScreen screen(kBarChoice);
    screen.endInInit = 5;
    QCOMPARE(RunDialog(screen, nullptr), 5);
    QVERIFY(!screen.isVisible());
}

void DialogConventionsTest::runDialogReturnsTheEndCode() {
    RecordingScreen screen(kBarAbout);
    screen.endOnCommand = kCmdAboutOk;
    screen.endCode = 7;
    bool wasVisible = false;
    screen_test::WhenModalShows([&](QWidget& modal) {
        wasVisible = &modal == &screen;
        QTest::keyClick(&modal, Qt::Key_F1);
    });
    QCOMPARE(RunDialog(screen, nullptr), 7);
    QVERIFY(wasVisible);
    QCOMPARE(screen.size(), kPhoneWindowSize);
}

void DialogConventionsTest::nestedScreenCoversItsParentWindow() {
    QWidget window;
    window.setGeometry(50, 60, 300, 400);
    window.show();
    RecordingScreen screen(kBarChoice);
    QRect childGeometry;
    screen_test::WhenModalShows([&](QWidget& modal) {
        childGeometry = modal.geometry();
        QTest::keyClick(&modal, Qt::Key_Escape);
    });
    screen.endOnCommand = kIdCancel;
    screen.endCode = kIdCancel;
    QCOMPARE(RunDialog(screen, &window), kIdCancel);
    QCOMPARE(childGeometry.size(), window.geometry().size());
}

QTEST_MAIN(DialogConventionsTest)
#include "dialog_conventions_test.moc"
