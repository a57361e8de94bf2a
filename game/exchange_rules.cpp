#include "game/exchange_rules.h"

#include <cstdio>

#include "game/game_headers.h"
#include "game/letter_case.h"

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
