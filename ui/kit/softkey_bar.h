#pragma once

#include <QWidget>
#include <array>
#include <functional>

class QMenu;
class QPushButton;
struct MenuBarResource;
struct MenuItemResource;

// The bar of one or two softkeys at the bottom of a screen, built from the table of
// bars. A plain softkey sends its command; a popup softkey opens its menu, and the
// chosen item sends its command. The buttons never take the focus, so Return and the
// digits keep reaching the screen.
class SoftkeyBar : public QWidget {
public:
    // Receives the command id of a pressed softkey or a chosen menu item.
    using CommandHandler = std::function<void(int commandId)>;
    // Called with the bar's menu id and the popup just before the popup shows, so
    // that the screen can grey items (EnableMenuCommand).
    using PopupHandler = std::function<void(int menuId, QMenu& popup)>;

    // Builds bar `barId` as a child of `owner` (who owns it, as its Qt parent).
    // Returns null when the table has no such bar or its popup is missing.
    static SoftkeyBar* Create(int barId, QWidget* owner, CommandHandler onCommand,
                              PopupHandler onPopup);

    [[nodiscard]] int barId() const { return barId_; }
    [[nodiscard]] int menuId() const { return menuId_; }
    [[nodiscard]] int softkeyCount() const { return softkeyCount_; }

    // Presses softkey `index` (0 left, 1 right), as F1 and F2 do. A popup softkey
    // shows its menu and waits for the user's choice. Returns false when the bar has
    // no such softkey.
    bool Press(int index);

    // Greys or enables the softkeys that send `commandId`; a greyed softkey ignores
    // its key.
    void SetCommandEnabled(int commandId, bool enabled);

    // The button of softkey `index`, or null; owned by the bar.
    [[nodiscard]] QPushButton* softkey(int index) const;

    // The popup menu of softkey `index`, or null when it opens none; owned by the bar.
    [[nodiscard]] QMenu* popupMenu(int index) const;

    // Greys or enables every item of `menu` and its submenus that sends `commandId`.
    // Items the menu does not hold are ignored.
    static void EnableMenuCommand(QMenu& menu, int commandId, bool enabled);

    // The command id carried by a menu action, 0 for separators and submenus.
    static int CommandOf(const QAction& action);

private:
    SoftkeyBar(const MenuBarResource& bar, QWidget* owner, CommandHandler onCommand,
               PopupHandler onPopup);
    bool AddSoftkey(int index, int commandId, int labelId, int popupIndex);
    void FillMenu(QMenu& menu, const MenuItemResource* items, std::size_t count);

    int barId_;
    int menuId_;
    int softkeyCount_ = 0;
    std::array<QPushButton*, 2> buttons_{};
    std::array<QMenu*, 2> popups_{};
    std::array<int, 2> commands_{};
    CommandHandler onCommand_;
    PopupHandler onPopup_;
};
