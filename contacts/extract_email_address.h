#pragma once

#include <optional>
#include <string>
#include <string_view>

// The e-mail address in a contact's address text. A text that is an address by itself
// (blanks around it aside) is kept whole, whatever characters it holds (a "+" or an
// apostrophe included); an address between angle brackets, as in "Jean Dupont
// <jean.dupont@example.org>", is taken from between them; otherwise, where a name or
// other words surround an address, the address is the run of address characters
// (letters, digits and the other characters an unquoted address may hold: . ! # $ % &
// ' * + - / = ? ^ _ ` { | } ~) around the first at sign, letter case kept. std::nullopt
// when the text has no at sign, or nothing of an address on either side of it.
std::optional<std::u16string> ExtractEmailAddress(std::u16string_view text);
