#include <algorithm>

#include "tests/support/rules_test_support.h"

namespace {

// Legality by brute force: CanReach, castling or en passant, and the king safe afterwards.
bool LegalByScan(Position& p, int from, int to) {
    const PieceCode piece = p.GetSquare(from), target = p.GetSquare(to);
    const Colour us = p.sideToMove();
    const int home = us == kWhite ? 0 : 56, passed = (from + to) / 2;
    auto safeAfter = [&](int square) {
        return !Position::MakeChild(p, from, square)->child->IsAttacked(us, -1);
    };
    if (piece == kEmpty || PieceColour(piece) != us || (target && PieceColour(target) == us)) {
        return false;
    }
    if (piece == us + kKing && from == home + 4 && (to == home + 2 || to == home + 6)) {
        const int corner = to > from ? home + 7 : home;
        const auto right = static_cast<CastlingRight>((us == kBlack ? 2 : 0) + (to > from ? 0 : 1));
        return p.HasCastlingRight(right) && p.GetSquare(corner) == us + kRook && !target &&
               !p.GetSquare(passed) && (to > from || !p.GetSquare(home + 1)) &&
               !p.IsAttacked(us, -1) && safeAfter(passed) && safeAfter(to);
    }
    const bool enPassant = piece == us + kPawn && to == p.epSquare() &&
                           std::abs(FileOf(to) - FileOf(from)) == 1 &&
                           RankOf(to) - RankOf(from) == (us == kWhite ? 1 : -1);
    return (p.CanReach(from, to) || enPassant) && safeAfter(to);
}

// FindCandidates looks back from the target: it finds what CanReach from each square finds.
void ExpectCandidatesMatchScan(const Position& p) {
    for (int target = 0; target <= 64; ++target) {    // 64: off the board, nothing reaches it
        std::array<std::vector<Square>, 64> scanned;  // by piece code
        for (int s = 0; s < 64; ++s) {
            if (p.CanReach(s, target)) {
                scanned[p.GetSquare(s)].push_back(static_cast<Square>(s));
            }
        }
        for (const PieceCode code : {0, 1, 2, 3, 4, 5, 6, 33, 34, 35, 36, 37, 38}) {
            std::array<Square, 64> found{};
            const int count = p.FindCandidates(code, kNoSquare, target, found);
            ASSERT_EQ(std::vector<Square>(found.begin(), found.begin() + count), scanned[code])
                << int{code} << " to " << target;
        }
    }
}

// Leaves to `depth` through IsLegal and AddMove for every from/to pair and promotion piece;
// within two plies IsLegal, what it remembers, AddMove and the scan agree (`odd`: no scan).
std::uint64_t Perft(Position& p, int depth, int ply, bool odd) {
    if (ply <= 2) {
        SCOPED_TRACE(Narrow(WriteFen(p)));
        ExpectCandidatesMatchScan(p);
        for (int from = 0; from < 64 && !testing::Test::HasFailure(); ++from) {
            for (int to = 0; to < 64; ++to) {
                const Position* child = ply < 2 ? p.AddMove(from, to, nullptr, 0) : nullptr;
                const bool legal = p.IsLegal(from, to);
                EXPECT_EQ(p.LastTestedMove().legal, legal);
                EXPECT_TRUE(ply == 2 || (child != nullptr) == legal) << from << " " << to;
                EXPECT_TRUE(odd || LegalByScan(p, from, to) == legal) << from << " " << to;
            }
        }
    }
    std::uint64_t leaves = depth == 0 ? 1 : 0;
    for (int from = 0; from < 64 && depth > 0 && !testing::Test::HasFatalFailure(); ++from) {
        for (int to = 0; to < 64; ++to) {
            const bool promotes = PieceType(p.GetSquare(from)) == kPawn && RankOf(to) % 7 == 0;
            for (int piece = promotes ? kRook : 0;
                 p.IsLegal(from, to) && piece <= (promotes ? kQueen : 0); ++piece) {
                Position& c = *p.AddMove(from, to, nullptr, piece);
                // The check flag is found by a shortcut: it must agree with the attack test.
                EXPECT_EQ(c.incomingMove->givesCheck, c.IsAttacked(c.sideToMove(), -1));
                leaves += Perft(c, depth - 1, ply + 1, odd);
            }
        }
    }
    DestroyMoveList(std::move(p.firstMove));
    return leaves;
}

// Published counts (0: none, two plies scanned); the deeper ones run in the "slow" program.
// clang-format off
const std::tuple<const char*, int, std::uint64_t> kRows[] = {
#ifndef KORVANI_DEEP_PERFT
#define PERFT_SUITE Perft
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 4, 197281},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 3, 97862},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4, 43238},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, 9467},
    {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 3, 9467},
    {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 62379},
    {"8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", 2, 0}, {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 2, 0},
    {"1r2k3/8/8/8/8/8/2k5/R3K2R w KQ - 0 1", 2, 0}, {"3qk3/8/8/8/8/7n/4p3/R3K2R w KQ - 0 1", 2, 0},
    {"rn2k1nr/8/8/8/8/8/8/RN2K1NR b KQkq - 0 1", 2, 0}, {"4k3/4r3/8/8/8/8/8/R3K2n w KQ - 0 1", 2, 0},
    {"8/8/8/8/8/8/3p4/K6k b - - 0 1", 2, 0}, {"PpQqNnKk/8/2P5/1pP5/8/6p1/pP6/pPkKBbRr b - c6 0 1", 2, 0},
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
// clang-format on

}  // namespace

// Every position within two plies of these also matches the brute-force scan.
TEST(PERFT_SUITE, PublishedCountsAndABruteForceScanAgree) {
    for (const auto& [fen, depth, leaves] : kRows) {
        Position root;
        SetFen(root, fen);
        const bool odd = std::count(root.board().begin(), root.board().end(), kKing) != 1;
        const std::uint64_t counted = Perft(root, depth, 0, odd);
        EXPECT_TRUE(leaves == 0 || counted == leaves) << fen << ": " << counted;
    }
}
