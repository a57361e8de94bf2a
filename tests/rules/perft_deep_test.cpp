#include "tests/support/perft_support.h"

namespace {

const PerftCase kDeepPerftCases[] = {
    {"kiwipete",
     "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
     {0, 0, 0, 4085603}},
    {"position3", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {0, 0, 0, 0, 674624}},
    {"position4",
     "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
     {0, 0, 0, 422333}},
    {"position5", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {0, 0, 0, 2103487}},
    {"castling gives check", "5k2/8/8/8/8/8/8/4K2R w K - 0 1", {0, 0, 0, 0, 0, 661072}},
    {"long castling gives check", "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", {0, 0, 0, 0, 0, 803711}},
    {"illegal en passant", "3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1", {0, 0, 0, 0, 0, 1134888}},
    {"en passant gives check", "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", {0, 0, 0, 0, 0, 1440467}},
    {"rook and bishop", "1k6/1b6/8/8/7R/8/8/4K2R b K - 0 1", {0, 0, 0, 0, 1063513}},
};

}  // namespace

// Deeper counts, under the CTest label "slow": ctest -L slow.
TEST(PerftDeep, StandardPositionsMatchPublishedCounts) {
    for (const PerftCase& c : kDeepPerftCases) {
        CheckCounts(c);
    }
}
