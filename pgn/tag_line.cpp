#include "pgn/tag_line.h"

#include <array>
#include <utility>

#include "game/game_headers.h"

namespace {

struct TagBeginning {
    std::string_view name;
    TagName tag;
};

// Grouped by the first letter of the name, which picks the group to compare.
constexpr std::array<TagBeginning, 14> kNames = {{
    {"White", TagName::White},
    {"WhiteEmail", TagName::WhiteEmail},
    {"Black", TagName::Black},
    {"BlackEmail", TagName::BlackEmail},
    {"Result", TagName::Result},
    {"Round", TagName::Round},
    {"Site", TagName::Site},
    {"SetUp", TagName::SetUpOne},
    {"LastMoveDate", TagName::LastMoveDate},
    {"LastMove", TagName::LastMove},
    {"Event", TagName::Event},
    {"Date", TagName::Date},
    {"Trait", TagName::Trait},
    {"FEN", TagName::Fen},
}};

// The rows of kNames whose name begins with `c`: first index and count.
template <typename Char>
std::pair<std::size_t, std::size_t> GroupOf(Char c) {
    switch (c) {
        case static_cast<Char>('W'):
            return {0, 2};
        case static_cast<Char>('B'):
            return {2, 2};
        case static_cast<Char>('R'):
            return {4, 2};
        case static_cast<Char>('S'):
            return {6, 2};
        case static_cast<Char>('L'):
            return {8, 2};
        case static_cast<Char>('E'):
            return {10, 1};
        case static_cast<Char>('D'):
            return {11, 1};
        case static_cast<Char>('T'):
            return {12, 1};
        case static_cast<Char>('F'):
            return {13, 1};
        default:
            return {0, 0};
    }
}

template <typename Char>
bool IsNameEnd(Char c) {
    return c == static_cast<Char>(' ') || c == static_cast<Char>('\t') ||
           c == static_cast<Char>('"');
}

template <typename Char>
bool Equals(std::basic_string_view<Char> text, std::string_view name) {
    if (text.size() != name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (text[i] != static_cast<Char>(name[i])) {
            return false;
        }
    }
    return true;
}

// [SetUp "1"] makes a set-up; any other value is an ordinary tag.
template <typename Char>
bool HoldsValueOne(std::basic_string_view<Char> rest) {
    std::size_t i = 0;
    while (i < rest.size() &&
           (rest[i] == static_cast<Char>(' ') || rest[i] == static_cast<Char>('\t'))) {
        ++i;
    }
    return rest.size() >= i + 3 && rest[i] == static_cast<Char>('"') &&
           rest[i + 1] == static_cast<Char>('1') && rest[i + 2] == static_cast<Char>('"');
}

template <typename Char>
TagName Classify(std::basic_string_view<Char> line, std::size_t& valueStart) {
    if (line.empty() || line[0] != static_cast<Char>('[')) {
        valueStart = 0;
        return TagName::NotATag;
    }
    valueStart = 1;
    if (line.size() < 2) {
        return TagName::Other;
    }
    // The name runs to a blank, a tab or the value's opening quote (a line without any
    // of them holds no value to interpret), so a known name is one that the line
    // starts with, followed by one of those. Only the names of the first letter's
    // group are tried: most other tags are told apart by their first letter alone.
    const auto [first, count] = GroupOf(line[1]);
    for (std::size_t i = first; i < first + count; ++i) {
        const std::size_t end = 1 + kNames[i].name.size();
        if (line.size() <= end || !IsNameEnd(line[end]) ||
            !Equals(line.substr(1, end - 1), kNames[i].name)) {
            continue;
        }
        if (kNames[i].tag == TagName::SetUpOne && !HoldsValueOne(line.substr(end))) {
            return TagName::Other;
        }
        valueStart = end;
        return kNames[i].tag;
    }
    return TagName::Other;
}

}  // namespace

TagName ClassifyTagLine(std::string_view line, std::size_t& valueStart) {
    return Classify(line, valueStart);
}

TagName ClassifyTagLine(std::u16string_view line, std::size_t& valueStart) {
    return Classify(line, valueStart);
}

std::size_t TagNameLength(std::u16string_view line) {
    std::size_t end = 1;
    while (end < line.size() && !IsNameEnd(line[end])) {
        ++end;
    }
    return line.empty() ? 0 : end - 1;
}

std::u16string ExtractTagValue(std::u16string_view text) {
    std::u16string value;
    const std::size_t quote = text.find(u'"');
    if (quote == std::u16string_view::npos) {
        return value;
    }
    // Runs without a quote or a backslash are taken whole. Other programs (and ours)
    // write a quote or a backslash inside a value as \" and \\; any other backslash
    // is an ordinary character.
    std::size_t i = quote + 1;
    while (i < text.size()) {
        const std::size_t stop = text.find_first_of(u"\"\\", i);
        const std::size_t end = stop == std::u16string_view::npos ? text.size() : stop;
        value.append(text.substr(i, end - i));
        if (end == text.size() || text[end] == u'"') {
            break;
        }
        const bool escape =
            end + 1 < text.size() && (text[end + 1] == u'"' || text[end + 1] == u'\\');
        value += escape ? text[end + 1] : u'\\';
        i = end + (escape ? 2 : 1);
    }
    return value;
}

void StoreHeaderTag(GameHeaders& headers, TagName name, std::u16string value) {
    // The text moves into its field: the same as the setter's copy, without copying.
    switch (name) {
        case TagName::White:
            headers.white = std::move(value);
            break;
        case TagName::Black:
            headers.black = std::move(value);
            break;
        case TagName::Result:
            headers.ParseResult(value);
            break;
        case TagName::Event:
            headers.event = std::move(value);
            break;
        case TagName::Round:
            headers.round = std::move(value);
            break;
        case TagName::Site:
            headers.site = std::move(value);
            break;
        case TagName::Date:
            headers.date = std::move(value);
            break;
        case TagName::WhiteEmail:
            headers.whiteEmail = std::move(value);
            break;
        case TagName::BlackEmail:
            headers.blackEmail = std::move(value);
            break;
        case TagName::LastMoveDate:
            headers.lastMoveDate = std::move(value);
            break;
        case TagName::LastMove:
            headers.lastMove = ParseLastMove(value);
            headers.lastMoveRead = true;
            break;
        case TagName::Trait:
            headers.trait = ParseTrait(value);
            headers.traitRead = true;
            break;
        default:
            break;
    }
}
