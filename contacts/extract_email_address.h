#pragma once

#include <optional>
#include <string>
#include <string_view>

// The e-mail address inside a contact's address text, such as "Jean Dupont
// <jean.dupont@example.org>": the run of address characters (digits, ASCII letters,
// ".", "-", "_") around the first at sign, letter case kept. std::nullopt when the
// text has no at sign, or nothing of an address on either side of it.
std::optional<std::u16string> ExtractEmailAddress(std::u16string_view text);
