#pragma once

#include <QDialog>
#include <vector>

class QKeyEvent;
class QMenu;
class SoftkeyBar;

// The base of every screen: a modal dialog run by RunDialog, full size inside the
// program's window, with a softkey bar at the bottom. It turns the keyboard into the
// phone's keys: F1 and F2 press the softkeys, Return sends the Action command
// (kIdOk), Esc is the back key (kIdCancel, or a backspace in the focused edit field
// once OverrideBackKey was called). The arrows are the navigation pad: Up and Down go
// to the field above or below (in Tab order, without wrapping around) from a one-line
// field, a one-line list or a check box, and from a list or a multi-line field once
// its first or last row is reached; Left and Right change a one-line list's value;
// elsewhere the arrows go to the focused control. Tab keeps its own meaning. Digits
// and every other key are offered to HandleKeyDown first, even while a list has the
// focus.
class DialogController : public QDialog {
public:
    explicit DialogController(QWidget* parent = nullptr);
    ~DialogController() override;

    DialogController(const DialogController&) = delete;
    DialogController& operator=(const DialogController&) = delete;

    // Called once by RunDialog before the dialog shows: creates the softkey bar and
    // fills the controls. It may end the dialog at once with EndDialog.
    virtual void InitDialog() {}

    // A command from a softkey, a menu item, Return (kIdOk) or the back key
    // (kIdCancel). Returns true when the screen handled it.
    virtual bool HandleCommand(int commandId);

    // A key press, before the conventions above see it; returns true when handled.
    virtual bool HandleKeyDown(QKeyEvent& event);

    // A popup of menu `menuId` is about to show: grey or enable its items here with
    // SoftkeyBar::EnableMenuCommand.
    virtual void InitMenuPopup(int menuId, QMenu& popup);

    // The window is being closed (the window manager's close button): by default the
    // dialog ends with kIdCancel.
    virtual void HandleClose();

    // Ends the dialog with `code`, which RunDialog returns. Safe before the dialog runs.
    void EndDialog(int code);
    [[nodiscard]] bool hasEnded() const { return ended_; }
    [[nodiscard]] int endCode() const { return endCode_; }

    // Creates softkey bar `barId` at the bottom of the dialog and shows it; the dialog
    // owns it. Returns null when the bar cannot be built; the caller then ends the
    // dialog with its failure code. A screen with two bars shows one at a time.
    SoftkeyBar* CreateSoftkeyBar(int barId);

    // The visible softkey bar, which F1 and F2 press; null when none is shown.
    [[nodiscard]] SoftkeyBar* activeSoftkeyBar() const;

    // Makes the back key delete the character before the cursor of the focused edit
    // field instead of cancelling, as the screens with edit fields want.
    void OverrideBackKey() { backKeyEditsText_ = true; }

    // Routes the key presses of `widget` (a list or an edit field that keeps the
    // focus) through this dialog first. RunDialog does it for every child that exists
    // once InitDialog has run.
    void WatchKeys(QWidget* widget);

    // Presses one of the phone's keys as the keyboard mapping does; true when the key
    // meant something to the dialog.
    bool DispatchKey(QKeyEvent& event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceSoftkeyBars();
    // The pad's arrows between the fields and on a one-line list; true when used.
    bool NavigateFields(QKeyEvent& event);
    // The fields the pad moves between, in Tab order.
    [[nodiscard]] std::vector<QWidget*> Fields() const;
    bool PressBackKey();

    std::vector<SoftkeyBar*> bars_;  // owned through the Qt parent
    bool ended_ = false;
    int endCode_ = 0;
    bool backKeyEditsText_ = false;
};
