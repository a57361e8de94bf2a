#pragma once

#include <optional>
#include <string_view>

// The program's string table: the texts of the screens, menus and softkeys by id.
// Returns std::nullopt for an id the table does not hold.
std::optional<std::u16string_view> LoadString(int id);

inline constexpr int kIdsDisplayTitle = 106;      // "Korvani"
inline constexpr int kIdsMenu = 107;              // "Menu" (game display)
inline constexpr int kIdsUnableToOpenFile = 108;  // "Unable to open file"
inline constexpr int kIdsCancelChoice = 40014;    // "Cancel" (choice dialogs)
inline constexpr int kIdsDone = 40019;            // "Done"
inline constexpr int kIdsCancel = 40022;          // "Cancel"
inline constexpr int kIdsSend = 40032;            // "Send"
inline constexpr int kIdsOpen = 40039;            // "Open"
inline constexpr int kIdsGamesMenu = 40040;       // "Menu" (games list)
inline constexpr int kIdsSaveClose = 40043;       // "Save+Close"
inline constexpr int kIdsNext = 40056;            // "Next"
inline constexpr int kIdsOk = 40062;              // "OK"
