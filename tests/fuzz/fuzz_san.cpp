// Plays arbitrary SAN texts, separated by blanks, from a FEN position or the start.
#include <cstddef>
#include <cstdint>
#include <string>

#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text(data, data + size);
    Position root;
    std::size_t start = 0;
    const std::size_t bar = text.find(u'|');
    if (bar != std::u16string::npos && !ReadFen(root, text.substr(0, bar))) {
        return 0;
    }
    if (bar != std::u16string::npos) {
        start = bar + 1;
    }
    Position* tip = &root;
    while (start < text.size()) {
        std::size_t end = text.find(u' ', start);
        if (end == std::u16string::npos) {
            end = text.size();
        }
        std::u16string token = text.substr(start, end - start);
        TranslateToEnglish(token, NotationLanguage::French);
        if (Position* next = ParseSan(*tip, token)) {
            const std::u16string san =
                FormatSanText(*next->incomingMove, true, false, NotationLanguage::French);
            (void)san;
            tip = next;
        }
        start = end + 1;
    }
    return 0;
}
