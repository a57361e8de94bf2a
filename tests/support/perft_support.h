#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "rules/move_node.h"
#include "tests/support/rules_test_support.h"

// Counts the leaves of the move tree to `depth`, trying every from/to pair of the
// side to move (and every promotion piece) through IsLegal and AddMove. The moves
// of a position are freed once counted, so memory stays small.
inline std::uint64_t Perft(Position& position, int depth) {
    if (depth == 0) {
        return 1;
    }
    std::uint64_t leaves = 0;
    for (int from = 0; from < 64; ++from) {
        const PieceCode piece = position.GetSquare(from);
        if (piece == kEmpty || PieceColour(piece) != position.sideToMove()) {
            continue;
        }
        for (int to = 0; to < 64; ++to) {
            if (!position.IsLegal(from, to)) {
                continue;
            }
            const bool promotes = PieceType(piece) == kPawn && (RankOf(to) == 0 || RankOf(to) == 7);
            for (int promotion = promotes ? kRook : 0; promotion <= (promotes ? kQueen : 0);
                 ++promotion) {
                Position* child = position.AddMove(from, to, nullptr, promotion);
                EXPECT_NE(child, nullptr);
                if (child != nullptr) {
                    // The check flag is found by a shortcut; it must agree with the
                    // full attack test.
                    EXPECT_EQ(child->incomingMove->givesCheck,
                              child->IsAttacked(child->sideToMove(), -1));
                    leaves += Perft(*child, depth - 1);
                }
            }
        }
    }
    DestroyMoveList(std::move(position.firstMove));
    return leaves;
}

struct PerftCase {
    const char* name;
    const char* fen;
    std::uint64_t counts[6];  // depths 1 to 6, 0 where not checked
};

inline void CheckCounts(const PerftCase& c) {
    for (int depth = 1; depth <= 6; ++depth) {
        if (c.counts[depth - 1] == 0) {
            continue;
        }
        Position root;
        SetFen(root, c.fen);
        EXPECT_EQ(Perft(root, depth), c.counts[depth - 1]) << c.name << " depth " << depth;
    }
}
