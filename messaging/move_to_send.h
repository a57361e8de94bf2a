#pragma once

#include <string>

#include "rules/notation.h"

class MoveNode;

// The text of `move` as sent to the opponent: its SAN in `language` with its number
// ("12. Nf3", "12... Nf6"), the check sign included, cut before the annotation (a
// move with an annotation keeps the blank that stood before it). At most 31
// characters.
std::u16string FormatMoveToSend(const MoveNode& move, NotationLanguage language);
