#include "contacts/extract_email_address.h"

namespace {

constexpr std::u16string_view kBlanks = u" \t\r\n";

bool IsAsciiAlphanumeric(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// The characters of an unquoted address's local part and domain.
bool IsAddressCharacter(char16_t c) {
    return IsAsciiAlphanumeric(c) ||
           std::u16string_view(u".!#$%&'*+-/=?^_`{|}~").find(c) != std::u16string_view::npos;
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::u16string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// True when `text` is one address and nothing else: one at sign with something on
// either side, and no blank, control character or character that separates an address
// from what surrounds it.
bool IsWholeAddress(std::u16string_view text) {
    const std::size_t at = text.find(u'@');
    if (at == std::u16string_view::npos || at == 0 || at + 1 == text.size() ||
        text.find(u'@', at + 1) != std::u16string_view::npos) {
        return false;
    }
    for (const char16_t c : text) {
        if (c < 0x20 || c == 0x7F ||
            std::u16string_view(u" <>()[],;:\"\\").find(c) != std::u16string_view::npos) {
            return false;
        }
    }
    return true;
}

// The address between the first "<" and the ">" after it, when it is one.
std::optional<std::u16string> BracketedAddress(std::u16string_view text) {
    const std::size_t open = text.find(u'<');
    const std::size_t close = open == std::u16string_view::npos ? open : text.find(u'>', open + 1);
    if (close == std::u16string_view::npos) {
        return std::nullopt;
    }
    const std::u16string_view inside = TrimBlanks(text.substr(open + 1, close - open - 1));
    if (!IsWholeAddress(inside)) {
        return std::nullopt;
    }
    return std::u16string(inside);
}

// The run of address characters around the first at sign.
std::optional<std::u16string> AddressAroundAtSign(std::u16string_view text) {
    const std::size_t at = text.find(u'@');
    if (at == std::u16string_view::npos) {
        return std::nullopt;
    }
    std::size_t start = at;
    while (start > 0 && IsAddressCharacter(text[start - 1])) {
        --start;
    }
    std::size_t end = at + 1;
    while (end < text.size() && IsAddressCharacter(text[end])) {
        ++end;
    }
    // A lone at sign, or one with nothing before or after it, names no mailbox that
    // a move could be sent to.
    if (start == at || end == at + 1) {
        return std::nullopt;
    }
    return std::u16string(text.substr(start, end - start));
}

}  // namespace

std::optional<std::u16string> ExtractEmailAddress(std::u16string_view text) {
    const std::u16string_view trimmed = TrimBlanks(text);
    if (IsWholeAddress(trimmed)) {
        return std::u16string(trimmed);
    }
    if (std::optional<std::u16string> bracketed = BracketedAddress(trimmed)) {
        return bracketed;
    }
    return AddressAroundAtSign(trimmed);
}
