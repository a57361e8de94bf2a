#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "game/game_document.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"

// Plays `moves` (English SAN) one after the other along the main line from the end
// of `game`'s main line. Returns the last position reached, or null as soon as a move
// is not legal there.
inline Position* PlayMainLine(GameDocument& game,
                              std::initializer_list<std::u16string_view> moves) {
    Position* position = &game.root;
    while (position->firstMove != nullptr) {
        position = position->firstMove->child.get();
    }
    for (const std::u16string_view move : moves) {
        position = ParseSan(*position, move);
        if (position == nullptr) {
            return nullptr;
        }
    }
    return position;
}

// Eleven moves each of knights going out and back (1. Nf3 Nc6 2. Ng1 Nb8 ... 11. Nf3
// Nc6): every square the tests' moves need stays free.
inline Position* PlayKnightShuffle(GameDocument& game) {
    Position* position = nullptr;
    for (int move = 1; move <= 11; ++move) {
        position = move % 2 == 1 ? PlayMainLine(game, {u"Nf3", u"Nc6"})
                                 : PlayMainLine(game, {u"Ng1", u"Nb8"});
        if (position == nullptr) {
            return nullptr;
        }
    }
    return position;
}

// Counts the moves that leave `position`.
inline int CountMoves(const Position& position) {
    int count = 0;
    for (const MoveNode* move = position.firstMove.get(); move != nullptr;
         move = move->nextSibling.get()) {
        ++count;
    }
    return count;
}
