#pragma once

#include <string>
#include <string_view>

class GameHeaders;

// The texts of the games list's three columns for one game, shared by the screen and
// the command-line companion. A "* " before a name marks the side to move in a running
// game played by e-mail.

// A column's text in two parts: the mark ("* " or nothing) and what follows it. Both
// view constants or the entry's own strings, so they are valid while it lives.
struct ColumnParts {
    std::u16string_view mark;
    std::u16string_view text;
};

// The columns below in parts, for a caller that copies them anyway.
[[nodiscard]] ColumnParts WhiteColumn(const GameHeaders& entry);
[[nodiscard]] ColumnParts BlackColumn(const GameHeaders& entry);
[[nodiscard]] ColumnParts LastColumn(const GameHeaders& entry);

// White's name (empty when unset), with "* " when the game is a running e-mail game
// (GameHeaders::IsRunningEmailGame) and White is to move.
[[nodiscard]] std::u16string WhiteColumnText(const GameHeaders& entry);

// Black's name, with "* " under the same conditions with Black to move.
[[nodiscard]] std::u16string BlackColumnText(const GameHeaders& entry);

// For an unfinished game (result code 3) its LastMoveDate, or "?" when unset;
// otherwise the short result: "1-0", "½-½", "0-1" or "*".
[[nodiscard]] std::u16string LastColumnText(const GameHeaders& entry);
