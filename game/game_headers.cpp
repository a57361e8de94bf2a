#include "game/game_headers.h"

#include <limits>

#include "game/letter_case.h"
#include "rules/square.h"

namespace {

constexpr std::u16string_view kWhiteWins = u"1-0";
constexpr std::u16string_view kBlackWins = u"0-1";
constexpr std::u16string_view kDrawLong = u"1/2-1/2";
constexpr std::u16string_view kDrawCompact = u"\u00BD-\u00BD";
constexpr std::u16string_view kOtherResult = u"*";

void Store(std::optional<std::u16string>& field, std::optional<std::u16string_view> text) {
    if (text) {
        field.emplace(*text);
    } else {
        field.reset();
    }
}

}  // namespace

GameHeaders::GameHeaders() : white(u"White"), black(u"Black") {}

void GameHeaders::SetWhite(std::optional<std::u16string_view> text) {
    Store(white, text);
}
void GameHeaders::SetBlack(std::optional<std::u16string_view> text) {
    Store(black, text);
}
void GameHeaders::SetEvent(std::optional<std::u16string_view> text) {
    Store(event, text);
}
void GameHeaders::SetDate(std::optional<std::u16string_view> text) {
    Store(date, text);
}
void GameHeaders::SetRound(std::optional<std::u16string_view> text) {
    Store(round, text);
}
void GameHeaders::SetSite(std::optional<std::u16string_view> text) {
    Store(site, text);
}
void GameHeaders::SetWhiteEmail(std::optional<std::u16string_view> text) {
    Store(whiteEmail, text);
}
void GameHeaders::SetBlackEmail(std::optional<std::u16string_view> text) {
    Store(blackEmail, text);
}
void GameHeaders::SetLastMoveDate(std::optional<std::u16string_view> text) {
    Store(lastMoveDate, text);
}

void GameHeaders::SetResultCode(int code) {
    result = static_cast<GameResult>(code & 0xFF);
}

void GameHeaders::ParseResult(std::u16string_view text) {
    if (text == kWhiteWins) {
        result = GameResult::WhiteWins;
    } else if (text == kBlackWins) {
        result = GameResult::BlackWins;
    } else if (text == kDrawLong || text == kDrawCompact) {
        result = GameResult::Draw;
    } else {
        result = GameResult::Other;
    }
}

std::u16string_view GameHeaders::ResultText(bool compact) const {
    switch (result) {
        case GameResult::WhiteWins:
            return kWhiteWins;
        case GameResult::Draw:
            return compact ? kDrawCompact : kDrawLong;
        case GameResult::BlackWins:
            return kBlackWins;
        default:
            return kOtherResult;
    }
}

void GameHeaders::ClearTags() {
    white.reset();
    black.reset();
    event.reset();
    date.reset();
    round.reset();
    site.reset();
    whiteEmail.reset();
    blackEmail.reset();
    lastMoveDate.reset();
    result = GameResult::Unset;
    lastMove = 0;
    trait = kWhite;
    lastMoveRead = false;
    traitRead = false;
}

bool GameHeaders::IsComplete() const {
    return white && black && event && date && round && site && result != GameResult::Unset;
}

void GameHeaders::AdvanceAfterExchange() {
    if (trait == kWhite) {
        trait = kBlack;
        // A saturated count still names a move past the end of any real game.
        if (lastMove < std::numeric_limits<std::uint16_t>::max()) {
            ++lastMove;
        }
    } else {
        trait = kWhite;
    }
}

bool GameHeaders::IsRunningEmailGame() const {
    return whiteEmail.has_value() && result == GameResult::Other;
}

std::u16string_view GameHeaders::PlayerToMove() const {
    const std::optional<std::u16string>& name = trait == kWhite ? white : black;
    return name ? std::u16string_view(*name) : std::u16string_view();
}

std::uint16_t ParseTrait(std::u16string_view value) {
    return EqualsIgnoringLetterCase(value, u"White") ? kWhite : kBlack;
}

std::uint16_t ParseLastMove(std::u16string_view value) {
    std::size_t i = 0;
    while (i < value.size() && (value[i] == u' ' || value[i] == u'\t')) {
        ++i;
    }
    // Saturates instead of wrapping: a huge number must not become a small one.
    constexpr std::uint32_t kMax = std::numeric_limits<std::uint16_t>::max();
    std::uint32_t number = 0;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        number = number * 10 + static_cast<std::uint32_t>(value[i] - u'0');
        if (number > kMax) {
            number = kMax;
        }
    }
    return static_cast<std::uint16_t>(number);
}
