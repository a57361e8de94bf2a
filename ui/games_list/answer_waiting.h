#pragma once

#include <ctime>
#include <string_view>

#include "messaging/newest_messages.h"

class GameHeaders;
struct OwnerIdentity;

// The mark before the opponent's name in the games list when his answer waits in the
// Inbox.
inline constexpr std::u16string_view kAnswerWaitingMark = u"\u2709 ";

enum class PlayerSide { White, Black };

// The side of `owner`'s opponent in `game`: the side whose e-mail address is not the
// owner's when exactly one of the two is his; otherwise the one the turn tells: the
// side to move when the owner is not to move (WhoseTurn), the side that waits when he
// is.
[[nodiscard]] PlayerSide OpponentSide(const GameHeaders& game, const OwnerIdentity& owner);

// The message that waits as the answer of `owner`'s opponent in `game`: the newest message in
// `inbox` from the opponent's address (WhiteEmail or BlackEmail, see OpponentSide)
// when it was delivered on a later day than the game's last move (LastMoveDate or,
// before the first exchange, the game's Date; read as of `now`). Null for a game that
// is not a running e-mail game (GameHeaders::IsRunningEmailGame), has no such
// message, or whose date cannot be read. The message belongs to `inbox`.
[[nodiscard]] const NewestMessages::Message* AnswerWaiting(const GameHeaders& game,
                                                           const OwnerIdentity& owner,
                                                           const NewestMessages& inbox,
                                                           std::time_t now);

// AnswerWaiting for a game whose opponent plays `opponent`, as OpponentSide found.
[[nodiscard]] const NewestMessages::Message* AnswerWaitingFrom(const GameHeaders& game,
                                                               PlayerSide opponent,
                                                               const NewestMessages& inbox,
                                                               std::time_t now);
