#include "messaging/move_text.h"

#include <string>

#include "rules/position.h"

namespace {

bool IsLineSpace(char16_t c) {
    return c == u'\r' || c == u'\n' || c == u'\t' || c == u' ';
}

// Adds `line` without its trailing white space, when something remains.
void AddTrimmedLine(std::u16string_view line, std::vector<std::u16string>& lines) {
    std::size_t length = line.size();
    while (length > 0 && IsLineSpace(line[length - 1])) {
        --length;
    }
    if (length > 0) {
        lines.emplace_back(line.substr(0, length));
    }
}

// The characters a move in English SAN can start with.
constexpr std::u16string_view kMoveStartLetters = u"abcdefghBKNOQR";

}  // namespace

std::vector<std::u16string> SplitBodyIntoLines(std::u16string_view body) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start < body.size() && IsLineSpace(body[start])) {
        ++start;
    }
    while (start < body.size()) {
        const std::size_t cr = body.find(u'\r', start);
        if (cr == std::u16string_view::npos) {
            AddTrimmedLine(body.substr(start), lines);
            break;
        }
        AddTrimmedLine(body.substr(start, cr - start), lines);
        // The white space after a CR (its LF, blank lines, indentation) belongs to
        // no line.
        start = cr + 1;
        while (start < body.size() && IsLineSpace(body[start])) {
            ++start;
        }
    }
    return lines;
}

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

std::u16string FormatMoveToSend(const MoveNode& move, NotationLanguage language) {
    std::u16string text = FormatSanText(move, true, true, language);
    // With nagAsNumber an annotation is written " $n"; the opponent gets the move only.
    const std::size_t dollar = text.find(u'$');
    if (dollar != std::u16string::npos) {
        text.resize(dollar);
    }
    return text;
}
