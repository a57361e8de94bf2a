// Feeds arbitrary text to the readers of a received answer: the body is split into
// lines, each line is read as a move in both piece languages, and the text is searched
// for an e-mail address as the New Game dialog does with a contact's.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "contacts/extract_email_address.h"
#include "messaging/move_text.h"
#include "rules/move_node.h"
#include "rules/position.h"

namespace {

bool IsLineSpace(char16_t c) {
    return c == u'\r' || c == u'\n' || c == u'\t' || c == u' ';
}

void CheckLine(const std::u16string& line) {
    if (line.empty() || IsLineSpace(line.front()) || IsLineSpace(line.back()) ||
        line.find(u'\r') != std::u16string::npos) {
        __builtin_trap();
    }
}

// An extracted address is a piece of the text with one at sign inside it and nothing
// that separates an address from its surroundings.
void CheckAddress(std::u16string_view text, const std::u16string& address) {
    const std::size_t at = address.find(u'@');
    if (at == std::u16string::npos || at == 0 || at + 1 == address.size() ||
        address.find(u'@', at + 1) != std::u16string::npos ||
        text.find(address) == std::u16string_view::npos) {
        __builtin_trap();
    }
    for (const char16_t c : address) {
        if (c < 0x20 || c == 0x7F ||
            std::u16string_view(u" <>()[],;:\"\\").find(c) != std::u16string_view::npos) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Pairs of bytes are UTF-16 units, as the phone's store handed bodies over.
    std::u16string body;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        body.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    Position position;
    for (const std::u16string& line : SplitBodyIntoLines(body)) {
        CheckLine(line);
        for (const NotationLanguage language :
             {NotationLanguage::English, NotationLanguage::French}) {
            if (Position* after = ParseAnswerLine(position, line, language)) {
                if (after->incomingMove == nullptr || after->incomingMove->parent != &position) {
                    __builtin_trap();
                }
            }
        }
    }
    if (const auto address = ExtractEmailAddress(body)) {
        CheckAddress(body, *address);
    }
    return 0;
}
