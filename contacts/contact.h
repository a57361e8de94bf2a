#pragma once

#include <string>

// One card of the address book: the given name and family name from its N property
// and the text of its first EMAIL property; each text is empty when the card has none.
struct Contact {
    std::u16string firstName;
    std::u16string lastName;
    std::u16string email;
};
