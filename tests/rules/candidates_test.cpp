#include <gtest/gtest.h>

#include <vector>

#include "rules/move_node.h"
#include "tests/support/rules_test_support.h"

namespace {

// The candidates as the plain rule states them: every square holding the code whose
// piece can reach the target.
int CandidatesByScan(const Position& position, PieceCode code, int exclude, int target,
                     std::array<Square, 64>& out) {
    int count = 0;
    for (int square = 0; square < 64; ++square) {
        if (square != exclude && position.GetSquare(square) == code &&
            position.CanReach(square, target)) {
            out[count++] = static_cast<Square>(square);
        }
    }
    return count;
}

void ExpectCandidatesMatchScan(const Position& position) {
    static constexpr PieceCode kCodes[] = {1, 2, 3, 4, 5, 6, 33, 34, 35, 36, 37, 38};
    for (PieceCode code : kCodes) {
        for (int target = 0; target < 64; ++target) {
            std::array<Square, 64> fast{};
            std::array<Square, 64> scanned{};
            const int fastCount = position.FindCandidates(code, kNoSquare, target, fast);
            const int scanCount = CandidatesByScan(position, code, kNoSquare, target, scanned);
            ASSERT_EQ(fastCount, scanCount)
                << Narrow(WriteFen(position)) << " code " << int{code} << " target " << target;
            for (int i = 0; i < fastCount; ++i) {
                ASSERT_EQ(fast[i], scanned[i]);
            }
        }
    }
}

// Every position up to two plies from `fen`.
std::vector<Position*> PositionsNear(Position& root) {
    std::vector<Position*> positions{&root};
    for (std::size_t i = 0; i < positions.size(); ++i) {
        Position* position = positions[i];
        if (position->incomingMove != nullptr && position->incomingMove->parent->incomingMove) {
            continue;
        }
        for (int from = 0; from < 64; ++from) {
            for (int to = 0; to < 64; ++to) {
                if (position->IsLegal(from, to)) {
                    positions.push_back(position->AddMove(from, to, nullptr, 0));
                }
            }
        }
    }
    return positions;
}

}  // namespace

// The candidate search looks back from the target instead of testing every square;
// it must give the very same squares in the same order, odd positions included.
TEST(FindCandidates, MatchesAScanOfEverySquare) {
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        // Pawns on the first and last ranks, several kings and queens.
        "PpQqNnKk/8/2P5/1pP5/8/6p1/pP6/pPkKBbRr b - c6 0 1",
    };
    for (const char* fen : fens) {
        Position root;
        SetFen(root, fen);
        for (const Position* position : PositionsNear(root)) {
            ExpectCandidatesMatchScan(*position);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}
