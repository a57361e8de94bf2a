#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

class GameHeaders;

// The rules of a game played by e-mail, shared by the games list, the game display
// and the mail screens.

// Who is to move in a correspondence game, as far as the owner's name tells.
enum class Turn {
    Owner,     // the player to move has the owner's name
    Opponent,  // the player to move has another name
    Unknown,   // the tag of the player to move is unset: nobody can be sure
};

// Whose turn it is: the player to move (White's tag when trait is 0, else Black's)
// compared with `ownerName` without regard to letter case. The e-mail addresses
// play no part.
[[nodiscard]] Turn WhoseTurn(const GameHeaders& game, std::u16string_view ownerName);

// True when a move may be sent or an answer imported: the game is played by e-mail
// and still running.
[[nodiscard]] bool CanExchange(const GameHeaders& game);

// Records a move sent or an answer imported: the turn passes to the other side (the
// move count grows after White's move) and `date` becomes the LastMoveDate.
void RecordExchange(GameHeaders& game, std::u16string_view date);

// The date text of the exchange tags for `when`, in UTC, month first: "05.06" on
// the sixth of May.
[[nodiscard]] std::u16string ExchangeDateText(std::chrono::system_clock::time_point when);

// ExchangeDateText of the system clock's now.
[[nodiscard]] std::u16string TodayDateText();

// The day (UTC, counted from 1970-01-01) that a game's date text names: "MM.DD", as a
// last move's date is kept, is the latest such day that is not after `now`;
// "YYYY.MM.DD", the game's Date tag, is that day. std::nullopt for any other text
// ("?", "2025.??.??", "13.40").
[[nodiscard]] std::optional<std::int64_t> DayOfGameDate(std::u16string_view text, std::time_t now);
