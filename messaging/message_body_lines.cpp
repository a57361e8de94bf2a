#include "messaging/message_body_lines.h"

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
