#include "pgn/tag_line.h"

#include <array>

#include "game/game_headers.h"

namespace {

struct TagBeginning {
    std::string_view text;
    TagName name;
};

// "[LastMoveDate " comes before "[LastMove "; with the blank included no beginning is
// a prefix of another, so each line matches one row only.
constexpr std::array<TagBeginning, 14> kBeginnings = {{
    {"[White ", TagName::White},
    {"[Black ", TagName::Black},
    {"[Result ", TagName::Result},
    {"[Event ", TagName::Event},
    {"[Round ", TagName::Round},
    {"[Site ", TagName::Site},
    {"[Date ", TagName::Date},
    {"[WhiteEmail ", TagName::WhiteEmail},
    {"[BlackEmail ", TagName::BlackEmail},
    {"[LastMoveDate ", TagName::LastMoveDate},
    {"[LastMove ", TagName::LastMove},
    {"[Trait ", TagName::Trait},
    {"[SetUp \"1\"]", TagName::SetUpOne},
    {"[FEN ", TagName::Fen},
}};

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
    // Every beginning has a distinct second character, except White/WhiteEmail,
    // LastMove/LastMoveDate and the two that start with "S"; comparing it first keeps
    // the scan of a large file cheap.
    for (const TagBeginning& tag : kBeginnings) {
        if (line.size() > 1 && line[1] == static_cast<Char>(tag.text[1]) &&
            BeginsWith(line, tag.text)) {
            valueStart = tag.text.size();
            return tag.name;
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

void StoreHeaderTag(GameHeaders& headers, TagName name, std::u16string_view value) {
    switch (name) {
        case TagName::White:
            headers.SetWhite(value);
            break;
        case TagName::Black:
            headers.SetBlack(value);
            break;
        case TagName::Result:
            headers.ParseResult(value);
            break;
        case TagName::Event:
            headers.SetEvent(value);
            break;
        case TagName::Round:
            headers.SetRound(value);
            break;
        case TagName::Site:
            headers.SetSite(value);
            break;
        case TagName::Date:
            headers.SetDate(value);
            break;
        case TagName::WhiteEmail:
            headers.SetWhiteEmail(value);
            break;
        case TagName::BlackEmail:
            headers.SetBlackEmail(value);
            break;
        case TagName::LastMoveDate:
            headers.SetLastMoveDate(value);
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
