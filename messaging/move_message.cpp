#include "messaging/move_message.h"

std::vector<std::u16string> SplitAddressText(std::u16string_view text) {
    std::vector<std::u16string> pieces;
    std::size_t i = 0;
    for (;;) {
        while (i < text.size() && text[i] == u' ') {
            ++i;
        }
        if (i >= text.size()) {
            break;
        }
        const std::size_t end = text.find_first_of(u" ;", i);
        if (end == std::u16string_view::npos) {
            pieces.emplace_back(text.substr(i));
            break;
        }
        pieces.emplace_back(text.substr(i, end - i));
        i = end + 1;
    }
    return pieces;
}

std::u16string MoveMessageBody(std::u16string_view moveText, std::u16string_view additionalText) {
    std::u16string body(moveText);
    body += u"\r\n\r\n";
    body += additionalText;
    return body;
}
