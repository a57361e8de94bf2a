#pragma once

#include <string>

// One card of the address book: the given name and family name from its N property
// (a card whose N names nobody has its FN as the family name) and the text of its
// preferred EMAIL property (TYPE=pref, PREF=1...), else of its first; each text is
// empty when the card has none.
struct Contact {
    std::u16string firstName;
    std::u16string lastName;
    std::u16string email;
};
