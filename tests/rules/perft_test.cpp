#include "tests/support/rules_test_support.h"

namespace {

// Counts the leaves to `depth` by trying every from/to pair (and every promotion piece)
// through IsLegal and AddMove; a position's moves are freed once counted.
std::uint64_t Perft(Position& position, int depth) {
    std::uint64_t leaves = depth == 0 ? 1 : 0;
    for (int from = 0; from < 64 && depth > 0; ++from) {
        for (int to = 0; to < 64; ++to) {
            const bool promotes =
                PieceType(position.GetSquare(from)) == kPawn && RankOf(to) % 7 == 0;
            for (int piece = promotes ? kRook : 0;
                 position.IsLegal(from, to) && piece <= (promotes ? kQueen : 0); ++piece) {
                Position* child = position.AddMove(from, to, nullptr, piece);
                // The check flag is found by a shortcut: it must agree with the attack test.
                EXPECT_EQ(child->incomingMove->givesCheck,
                          child->IsAttacked(child->sideToMove(), -1));
                leaves += Perft(*child, depth - 1);
            }
        }
    }
    DestroyMoveList(std::move(position.firstMove));
    return leaves;
}

// Published node counts; the deeper ones run in the program labelled "slow".
const std::tuple<const char*, int, std::uint64_t> kRows[] = {
#ifndef KORVANI_DEEP_PERFT
#define PERFT_SUITE Perft
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 4, 197281},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 3, 97862},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4, 43238},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, 9467},
    {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 3, 9467},
    {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 62379},
#else
#define PERFT_SUITE PerftDeep
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 4, 4085603},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 5, 674624},
    {"5k2/8/8/8/8/8/8/4K2R w K - 0 1", 6, 661072},        // castling gives check
    {"3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", 6, 803711},        // long castling gives check
    {"3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1", 6, 1134888},    // en passant would expose the king
    {"8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", 6, 1440467},  // en passant gives check
    {"1k6/1b6/8/8/7R/8/8/4K2R b K - 0 1", 5, 1063513},
#endif
};

}  // namespace

TEST(PERFT_SUITE, StandardPositionsMatchPublishedCounts) {
    for (const auto& [fen, depth, leaves] : kRows) {
        Position root;
        SetFen(root, fen);
        EXPECT_EQ(Perft(root, depth), leaves) << fen;
    }
}
