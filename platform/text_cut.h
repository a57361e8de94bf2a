#pragma once

#include <cstddef>
#include <string_view>

// The first `maxUnits` UTF-16 units of `text`, one fewer when the cut would split a
// surrogate pair, so that a cut text never ends in half a character. The view points
// into `text`.
inline std::u16string_view CutText(std::u16string_view text, std::size_t maxUnits) {
    if (text.size() <= maxUnits) {
        return text;
    }
    std::size_t length = maxUnits;
    if (length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) {
        --length;
    }
    return text.substr(0, length);
}
