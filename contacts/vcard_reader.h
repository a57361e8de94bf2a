#pragma once

#include <string_view>
#include <vector>

#include "contacts/contact.h"

// Reads every card of a vCard file (versions 2.1, 3.0 and 4.0, any mixture): folded
// lines (a 2.1 card keeps the blank it was folded at), backslash escapes, CHARSET=
// parameters (any character set the system converts) and QUOTED-PRINTABLE values are
// decoded. Cards nested in another card (a 2.1 AGENT) are skipped, a card without END
// is dropped, and lines outside cards are ignored; malformed text never fails, it only
// gives fewer or emptier contacts. The work is linear in the size of `bytes`.
std::vector<Contact> ReadVCards(std::string_view bytes);
