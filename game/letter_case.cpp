#include "game/letter_case.h"

namespace {

// Lower case of the letters of the alphabets a name is likely to use.
char16_t FoldCase(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<char16_t>(c + 32);
    }
    // Latin Extended-A pairs capitals and small letters as even and odd neighbours;
    // the dotted and dotless i (U+0130, U+0131) are no such pair.
    if (c >= 0x100 && c <= 0x137 && c != 0x130 && c % 2 == 0) {
        return static_cast<char16_t>(c + 1);
    }
    if (c >= 0x139 && c <= 0x148 && c % 2 == 1) {
        return static_cast<char16_t>(c + 1);
    }
    if (c >= 0x14A && c <= 0x177 && c % 2 == 0) {
        return static_cast<char16_t>(c + 1);
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (c >= 0x179 && c <= 0x17E && c % 2 == 1) {
        return static_cast<char16_t>(c + 1);
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) {
        return static_cast<char16_t>(c + 32);
    }
    if (c >= 0x410 && c <= 0x42F) {
        return static_cast<char16_t>(c + 32);
    }
    if (c >= 0x400 && c <= 0x40F) {
        return static_cast<char16_t>(c + 80);
    }
    return c;
}

}  // namespace

bool EqualsIgnoringLetterCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}
