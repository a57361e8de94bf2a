#pragma once

#include <string_view>

// Compares two texts without regard to letter case: Latin (with Latin-1 and Latin
// Extended-A), Greek and Cyrillic capitals equal their small letters. Player names and
// tag words such as "White" are compared this way.
[[nodiscard]] bool EqualsIgnoringLetterCase(std::u16string_view a, std::u16string_view b);
