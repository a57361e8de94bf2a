#pragma once

#include <optional>
#include <string_view>

// The program's string table: the texts of the screens, menus and softkeys by id.
// Returns std::nullopt for an id the table does not hold.
std::optional<std::u16string_view> LoadString(int id);

inline constexpr int kIdsDisplayTitle = 106;      // "Korvani"
inline constexpr int kIdsUnableToOpenFile = 108;  // "Unable to open file"
