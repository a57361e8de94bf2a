#include "ui/games_list/answer_waiting.h"

#include "contacts/owner_identity.h"
#include "game/exchange_rules.h"
#include "game/game_headers.h"
#include "game/letter_case.h"

namespace {

bool IsOwnerAddress(const std::optional<std::u16string>& address, const OwnerIdentity& owner) {
    return address && !owner.email.empty() && EqualsIgnoringLetterCase(*address, owner.email);
}

}  // namespace

PlayerSide OpponentSide(const GameHeaders& game, const OwnerIdentity& owner) {
    const bool ownerWhite = IsOwnerAddress(game.whiteEmail, owner);
    const bool ownerBlack = IsOwnerAddress(game.blackEmail, owner);
    if (ownerWhite != ownerBlack) {
        return ownerWhite ? PlayerSide::Black : PlayerSide::White;
    }
    const PlayerSide toMove = game.trait == 0 ? PlayerSide::White : PlayerSide::Black;
    if (WhoseTurn(game, owner.name) != Turn::Owner) {
        return toMove;
    }
    return toMove == PlayerSide::White ? PlayerSide::Black : PlayerSide::White;
}

const NewestMessages::Message* AnswerWaiting(const GameHeaders& game, const OwnerIdentity& owner,
                                             const NewestMessages& inbox, std::time_t now) {
    return AnswerWaitingFrom(game, OpponentSide(game, owner), inbox, now);
}

const NewestMessages::Message* AnswerWaitingFrom(const GameHeaders& game, PlayerSide opponent,
                                                 const NewestMessages& inbox, std::time_t now) {
    if (!CanExchange(game)) {
        return nullptr;
    }
    const std::optional<std::u16string>& address =
        opponent == PlayerSide::White ? game.whiteEmail : game.blackEmail;
    const std::optional<std::u16string>& lastMove =
        game.lastMoveDate && *game.lastMoveDate != u"?" ? game.lastMoveDate : game.date;
    if (!address || address->empty() || !lastMove) {
        return nullptr;
    }
    const std::optional<std::int64_t> day = DayOfGameDate(*lastMove, now);
    return day ? inbox.NewerThan(*address, *day) : nullptr;
}
