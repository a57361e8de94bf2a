#include "messaging/answer_line.h"

#include <string>

#include "rules/position.h"

namespace {

// The characters a move in English SAN can start with.
constexpr std::u16string_view kMoveStartLetters = u"abcdefghBKNOQR";

}  // namespace

Position* ParseAnswerLine(Position& exchange, std::u16string_view line, NotationLanguage language) {
    std::u16string text(line);
    TranslateToEnglish(text, language);
    // Move numbers, dots and words such as "Move:" come before the move itself.
    const std::size_t start = text.find_first_of(kMoveStartLetters);
    if (start == std::u16string::npos) {
        return nullptr;
    }
    return ParseSan(exchange, std::u16string_view(text).substr(start));
}
