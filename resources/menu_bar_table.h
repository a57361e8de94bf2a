#pragma once

#include <span>
#include <string_view>

// One softkey of a bar: its command, the string id of its label and, for a softkey
// that opens a popup, the index of that popup in the bar's menu (-1 for none).
struct SoftkeyResource {
    int commandId;
    int labelId;
    int popupIndex;
};

// One item of a popup menu: a command, a separator (commandId 0, no text) or a
// submenu (its items in subItems).
struct MenuItemResource {
    int commandId;
    std::u16string_view text;
    std::span<const MenuItemResource> subItems;
};

// One popup of a menu resource.
struct PopupMenuResource {
    int menuId;
    int popupIndex;
    std::span<const MenuItemResource> items;
};

// One softkey bar: its id, the menu that holds its popups and its one or two
// softkeys, left first.
struct MenuBarResource {
    int barId;
    int menuId;
    std::span<const SoftkeyResource> softkeys;
};

// The bar with id `barId`; null when the program has no such bar. The table is static.
const MenuBarResource* FindMenuBar(int barId);

// The popup `popupIndex` of menu `menuId`; null when there is none.
const PopupMenuResource* FindPopupMenu(int menuId, int popupIndex);

// Every bar of the program, in order of id.
std::span<const MenuBarResource> AllMenuBars();
