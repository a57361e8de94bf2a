#include "pgn/tag_line.h"

#include <array>
#include <utility>

#include "game/game_headers.h"

namespace {

struct TagBeginning {
    std::string_view text;
    TagName name;
};

// Grouped by the character after "[", which picks the group to compare. With the
// blank included no beginning is a prefix of another ("[LastMove " and
// "[LastMoveDate " included), so each line matches one row only.
constexpr std::array<TagBeginning, 14> kBeginnings = {{
    {"[White ", TagName::White},
    {"[WhiteEmail ", TagName::WhiteEmail},
    {"[Black ", TagName::Black},
    {"[BlackEmail ", TagName::BlackEmail},
    {"[Result ", TagName::Result},
    {"[Round ", TagName::Round},
    {"[Site ", TagName::Site},
    {"[SetUp \"1\"]", TagName::SetUpOne},
    {"[LastMoveDate ", TagName::LastMoveDate},
    {"[LastMove ", TagName::LastMove},
    {"[Event ", TagName::Event},
    {"[Date ", TagName::Date},
    {"[Trait ", TagName::Trait},
    {"[FEN ", TagName::Fen},
}};

// The rows of kBeginnings whose second character is `c`: first index and count.
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
bool BeginsWith(std::basic_string_view<Char> line, std::string_view beginning) {
    if (line.size() < beginning.size()) {
        return false;
    }
    for (std::size_t i = 0; i < beginning.size(); ++i) {
        if (line[i] != static_cast<Char>(beginning[i])) {
            return false;
        }
    }
    return true;
}

template <typename Char>
TagName Classify(std::basic_string_view<Char> line, std::size_t& valueStart) {
    if (line.empty() || line[0] != static_cast<Char>('[')) {
        valueStart = 0;
        return TagName::NotATag;
    }
    if (line.size() > 1) {
        const auto [first, count] = GroupOf(line[1]);
        for (std::size_t i = first; i < first + count; ++i) {
            if (BeginsWith(line, kBeginnings[i].text)) {
                valueStart = kBeginnings[i].text.size();
                return kBeginnings[i].name;
            }
        }
    }
    valueStart = 1;
    return TagName::Other;
}

}  // namespace

TagName ClassifyTagLine(std::string_view line, std::size_t& valueStart) {
    return Classify(line, valueStart);
}

TagName ClassifyTagLine(std::u16string_view line, std::size_t& valueStart) {
    return Classify(line, valueStart);
}

std::u16string ExtractTagValue(std::u16string_view text) {
    std::u16string value;
    const std::size_t quote = text.find(u'"');
    if (quote == std::u16string_view::npos) {
        return value;
    }
    for (std::size_t i = quote + 1; i < text.size() && text[i] != u'"'; ++i) {
        // Other programs (and ours) write a quote or a backslash inside a value as \"
        // and \\; any other backslash is an ordinary character.
        if (text[i] == u'\\' && i + 1 < text.size() &&
            (text[i + 1] == u'"' || text[i + 1] == u'\\')) {
            ++i;
        }
        value += text[i];
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
            break;
        case TagName::Trait:
            headers.trait = ParseTrait(value);
            break;
        default:
            break;
    }
}
