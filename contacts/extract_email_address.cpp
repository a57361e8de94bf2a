#include "contacts/extract_email_address.h"

namespace {

bool IsAddressCharacter(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c == u'.' || c == u'-' || c == u'_';
}

// Index of the first character of the address that ends just before `at`.
std::size_t AddressStart(std::u16string_view text, std::size_t at) {
    std::size_t start = at;
    while (start > 0 && IsAddressCharacter(text[start - 1])) {
        --start;
    }
    return start;
}

// Index just past the last character of the address that begins after `at`.
std::size_t AddressEnd(std::u16string_view text, std::size_t at) {
    std::size_t end = at + 1;
    while (end < text.size() && IsAddressCharacter(text[end])) {
        ++end;
    }
    return end;
}

}  // namespace

std::optional<std::u16string> ExtractEmailAddress(std::u16string_view text) {
    const std::size_t at = text.find(u'@');
    if (at == std::u16string_view::npos) {
        return std::nullopt;
    }
    const std::size_t start = AddressStart(text, at);
    const std::size_t end = AddressEnd(text, at);
    // A lone at sign, or one with nothing before or after it, names no mailbox that
    // a move could be sent to.
    if (start == at || end == at + 1) {
        return std::nullopt;
    }
    return std::u16string(text.substr(start, end - start));
}
