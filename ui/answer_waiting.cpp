#include "ui/answer_waiting.h"

#include "contacts/owner_identity.h"
#include "game/game_headers.h"

namespace {

bool IsOwnerAddress(const std::optional<std::u16string>& address) {
    return address && !OwnerEmail().empty() && EqualsIgnoringLetterCase(*address, OwnerEmail());
}

}  // namespace

PlayerSide OpponentSide(const GameHeaders& game) {
    const bool ownerWhite = IsOwnerAddress(game.whiteEmail);
    const bool ownerBlack = IsOwnerAddress(game.blackEmail);
    if (ownerWhite != ownerBlack) {
        return ownerWhite ? PlayerSide::Black : PlayerSide::White;
    }
    const PlayerSide toMove = game.trait == 0 ? PlayerSide::White : PlayerSide::Black;
    if (!IsOwnerToMove(game.PlayerToMove())) {
        return toMove;
    }
    return toMove == PlayerSide::White ? PlayerSide::Black : PlayerSide::White;
}

const NewestMessages::Message* AnswerWaiting(const GameHeaders& game, const NewestMessages& inbox,
                                             std::time_t now) {
    if (!game.IsRunningEmailGame()) {
        return nullptr;
    }
    const std::optional<std::u16string>& address =
        OpponentSide(game) == PlayerSide::White ? game.whiteEmail : game.blackEmail;
    const std::optional<std::u16string>& lastMove =
        game.lastMoveDate && *game.lastMoveDate != u"?" ? game.lastMoveDate : game.date;
    if (!address || address->empty() || !lastMove) {
        return nullptr;
    }
    const std::optional<std::int64_t> day = DayOfGameDate(*lastMove, now);
    return day ? inbox.NewerThan(*address, *day) : nullptr;
}
