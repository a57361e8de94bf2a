#include "resources/menu_bar_table.h"

#include <algorithm>
#include <array>

#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace {

constexpr int kNoPopup = -1;
// The popup index the right softkey of the menu bars opens (their menus' second
// top-level item).
constexpr int kMenuPopup = 1;

constexpr SoftkeyResource kChoiceKeys[] = {{kIdCancel, kIdsCancelChoice, kNoPopup}};
constexpr SoftkeyResource kGamesListKeys[] = {{kCmdOpen, kIdsOpen, kNoPopup},
                                              {kCmdGamesListMenu, kIdsGamesMenu, kMenuPopup}};
constexpr SoftkeyResource kBoardKeys[] = {{kCmdSaveClose, kIdsSaveClose, kNoPopup},
                                          {kCmdGameMenu, kIdsMenu, kMenuPopup}};
constexpr SoftkeyResource kNewGameKeys[] = {{kIdOk, kIdsDone, kNoPopup},
                                            {kIdCancel, kIdsCancel, kNoPopup}};
constexpr SoftkeyResource kSendMoveKeys[] = {{kCmdSend, kIdsSend, kNoPopup},
                                             {kIdCancel, kIdsCancel, kNoPopup}};
constexpr SoftkeyResource kStudiedMovesKeys[] = {{kIdCancel, kIdsCancel, kNoPopup}};
constexpr SoftkeyResource kAnswerKeys[] = {{kIdCancel, kIdsCancel, kNoPopup},
                                           {kCmdNext, kIdsNext, kNoPopup}};
constexpr SoftkeyResource kAboutKeys[] = {{kCmdAboutOk, kIdsOk, kNoPopup}};

constexpr MenuBarResource kBars[] = {
    {kBarChoice, kBarChoice, kChoiceKeys},
    {kBarGamesList, kBarGamesList, kGamesListKeys},
    {kBarBoard, kBarBoard, kBoardKeys},
    {kBarNewGame, kBarNewGame, kNewGameKeys},
    {kBarMoveList, kBarMoveList, kBoardKeys},
    {kBarSendMove, kBarSendMove, kSendMoveKeys},
    {kBarStudiedMoves, kBarStudiedMoves, kStudiedMovesKeys},
    {kBarAnswerMessages, kBarAnswerMessages, kAnswerKeys},
    {kBarAbout, kBarAbout, kAboutKeys},
    {kBarSettings, kBarSettings, kNewGameKeys},
};

constexpr MenuItemResource kSeparator{0, u"", {}};

constexpr MenuItemResource kGamesListMenu[] = {
    {kCmdNewGame, u"New...", {}},
    kSeparator,
    {kCmdSettings, u"Settings...", {}},
    {kCmdAbout, u"About...", {}},
    {kCmdQuit, u"Quit", {}},
};

constexpr MenuItemResource kLineMenu[] = {
    {kCmdPromote, u"Promote", {}},
    {kCmdDeleteMove, u"Delete move", {}},
};

constexpr MenuItemResource kResultMenu[] = {
    {kCmdResultWhiteWins, u"1-0", {}},
    {kCmdResultDraw, u"1/2-1/2", {}},
    {kCmdResultBlackWins, u"0-1", {}},
};

constexpr MenuItemResource kBoardMenu[] = {
    {kCmdGoToCurrent, u"Go to Current", {}},
    {kCmdViewMoveList, u"View move list", {}},
    {0, u"Line", kLineMenu},
    {0, u"Result", kResultMenu},
    kSeparator,
    {kCmdSendMove, u"Send move", {}},
    {kCmdGetAnswer, u"Get answer", {}},
    kSeparator,
    {kCmdCloseNoSave, u"Close, no save", {}},
};

constexpr MenuItemResource kMoveListMenu[] = {
    {kCmdGoToCurrent, u"Go to Current", {}},  {kCmdSendMove, u"Send move", {}},
    {kCmdShowBoard, u"Show Board", {}},       {0, u"Line", kLineMenu},
    {kCmdCloseNoSave, u"Close, no save", {}},
};

constexpr PopupMenuResource kPopups[] = {
    {kBarGamesList, kMenuPopup, kGamesListMenu},
    {kBarBoard, kMenuPopup, kBoardMenu},
    {kBarMoveList, kMenuPopup, kMoveListMenu},
};

}  // namespace

const MenuBarResource* FindMenuBar(int barId) {
    const auto* found = std::find_if(std::begin(kBars), std::end(kBars),
                                     [barId](const auto& bar) { return bar.barId == barId; });
    return found == std::end(kBars) ? nullptr : found;
}

const PopupMenuResource* FindPopupMenu(int menuId, int popupIndex) {
    const auto* found =
        std::find_if(std::begin(kPopups), std::end(kPopups), [&](const auto& popup) {
            return popup.menuId == menuId && popup.popupIndex == popupIndex;
        });
    return found == std::end(kPopups) ? nullptr : found;
}

std::span<const MenuBarResource> AllMenuBars() {
    return kBars;
}
