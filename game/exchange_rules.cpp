#include "game/exchange_rules.h"

#include <cstdio>

#include "game/game_headers.h"
#include "game/letter_case.h"

namespace {

// The number written by the digits of `text`, or -1 when it holds anything else.
int Number(std::u16string_view text) {
    if (text.empty() || text.size() > 4) {
        return -1;
    }
    int value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return -1;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

}  // namespace

Turn WhoseTurn(const GameHeaders& game, std::u16string_view ownerName) {
    const std::optional<std::u16string>& player = game.trait == 0 ? game.white : game.black;
    if (!player) {
        return Turn::Unknown;
    }
    return EqualsIgnoringLetterCase(*player, ownerName) ? Turn::Owner : Turn::Opponent;
}

bool CanExchange(const GameHeaders& game) {
    return game.IsRunningEmailGame();
}

void RecordExchange(GameHeaders& game, std::u16string_view date) {
    game.AdvanceAfterExchange();
    game.SetLastMoveDate(date);
}

std::u16string ExchangeDateText(std::chrono::system_clock::time_point when) {
    const std::chrono::year_month_day day{std::chrono::floor<std::chrono::days>(when)};
    char text[8];
    // Month and day have two digits each: the text always fits.
    static_cast<void>(std::snprintf(text, sizeof text, "%02u.%02u",
                                    static_cast<unsigned>(day.month()),
                                    static_cast<unsigned>(day.day())));
    return {text, text + 5};
}

std::u16string TodayDateText() {
    return ExchangeDateText(std::chrono::system_clock::now());
}

std::optional<std::int64_t> DayOfGameDate(std::u16string_view text, std::time_t now) {
    using namespace std::chrono;
    const std::size_t lastDot = text.rfind(u'.');
    if (lastDot == std::u16string_view::npos) {
        return std::nullopt;
    }
    const std::size_t firstDot = text.find(u'.');
    const int dayNumber = Number(text.substr(lastDot + 1));
    const int monthNumber =
        Number(text.substr(firstDot == lastDot ? 0 : firstDot + 1,
                           firstDot == lastDot ? lastDot : lastDot - firstDot - 1));
    const int yearNumber = firstDot == lastDot ? 0 : Number(text.substr(0, firstDot));
    if (dayNumber < 1 || dayNumber > 31 || monthNumber < 1 || monthNumber > 12 || yearNumber < 0) {
        return std::nullopt;
    }
    const sys_days today = floor<days>(sys_seconds(seconds(now)));
    const year_month_day todayDate(today);
    const month_day monthDay(month(static_cast<unsigned>(monthNumber)),
                             day(static_cast<unsigned>(dayNumber)));
    year dateYear(yearNumber);
    if (firstDot == lastDot) {
        // A month and day only: this year's, unless it is still to come.
        dateYear = todayDate.year();
        if (sys_days(dateYear / monthDay) > today) {
            --dateYear;
        }
    }
    return sys_days(dateYear / monthDay).time_since_epoch().count();
}
