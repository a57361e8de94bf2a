#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "rules/notation.h"
#include "tests/support/rules_test_support.h"

namespace {

using Board = Position::Board;
constexpr const char* kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Whether the piece on `from` attacks `to`, by the plain movement rules.
bool Attacks(const Board& b, int from, int to) {
    const int df = FileOf(to) - FileOf(from), dr = RankOf(to) - RankOf(from);
    const int adf = std::abs(df), adr = std::abs(dr), type = PieceType(b[from]);
    if (type == kPawn || type == kKnight || type == kKing) {
        return type == kKnight ? adf * adr == 2
               : type == kKing ? std::max(adf, adr) == 1
                               : adf == 1 && dr == (PieceColour(b[from]) == kWhite ? 1 : -1);
    }
    const bool straight = (df == 0) != (dr == 0), diagonal = adf == adr && adf != 0;
    if (!(straight && type != kBishop) && !(diagonal && type != kRook)) {
        return false;
    }
    const int step = (df > 0) - (df < 0) + 8 * ((dr > 0) - (dr < 0));
    for (int s = from + step; s != to; s += step) {
        if (b[s] != kEmpty) {
            return false;
        }
    }
    return true;
}

bool AttackedBy(const Board& b, int square, Colour by) {
    for (int s = 0; s < 64; ++s) {
        if (b[s] != kEmpty && PieceColour(b[s]) == by && Attacks(b, s, square)) {
            return true;
        }
    }
    return false;
}

// Legality by brute force: the move by the piece's own rule, played on a copy of the
// board, must leave the mover's king unattacked.
bool LegalByScan(const Position& p, int from, int to) {
    Board b = p.board();
    const Colour us = p.sideToMove(), them = OtherColour(us);
    const PieceCode piece = b[from], target = b[to];
    if (piece == kEmpty || PieceColour(piece) != us ||
        (target != kEmpty && PieceColour(target) == us)) {
        return false;
    }
    const int forward = us == kWhite ? 8 : -8, home = us == kWhite ? 0 : 56;
    bool pseudo = Attacks(b, from, to) && PieceType(piece) != kPawn;
    if (PieceType(piece) == kPawn) {
        const bool start = RankOf(from) == (us == kWhite ? kRank2 : kRank7);
        pseudo = (target == kEmpty && to == from + forward) ||
                 (start && target == kEmpty && to == from + 2 * forward &&
                  b[from + forward] == kEmpty) ||
                 (Attacks(b, from, to) && (target != kEmpty || to == p.epSquare()));
        if (to == p.epSquare() && target == kEmpty) {
            b[MakeSquare(FileOf(to), RankOf(from))] = kEmpty;
        }
    } else if (piece == us + kKing && from == home + 4 && (to == home + 6 || to == home + 2)) {
        const bool kingSide = to == home + 6;
        const int corner = kingSide ? home + 7 : home, passed = (from + to) / 2;
        const auto right = static_cast<CastlingRight>((us == kBlack ? 2 : 0) + (kingSide ? 0 : 1));
        pseudo = p.HasCastlingRight(right) && b[corner] == us + kRook && b[passed] == kEmpty &&
                 target == kEmpty && (kingSide || b[home + 1] == kEmpty) &&
                 !AttackedBy(b, from, them) && !AttackedBy(b, passed, them);
        std::swap(b[corner], b[passed]);
    }
    if (!pseudo) {
        return false;
    }
    b[to] = piece;
    b[from] = kEmpty;
    const auto king = std::find(b.begin(), b.end(), us + kKing);
    return king == b.end() || !AttackedBy(b, static_cast<int>(king - b.begin()), them);
}

// FindCandidates looks back from the target; it must give what a scan of every square
// through CanReach gives, in the same order.
void ExpectCandidatesMatchScan(const Position& p) {
    for (int target = 0; target < 64; ++target) {
        std::array<std::vector<Square>, 64> scanned;  // by piece code
        for (int s = 0; s < 64; ++s) {
            if (p.CanReach(s, target)) {
                scanned[p.GetSquare(s)].push_back(static_cast<Square>(s));
            }
        }
        for (const PieceCode code : {1, 2, 3, 4, 5, 6, 33, 34, 35, 36, 37, 38}) {
            std::array<Square, 64> found{};
            const int count = p.FindCandidates(code, kNoSquare, target, found);
            ASSERT_EQ(std::vector<Square>(found.begin(), found.begin() + count), scanned[code])
                << Narrow(WriteFen(p)) << " code " << int{code} << " target " << target;
        }
    }
}

}  // namespace

// Every position two plies from these: the legal moves match the brute-force scan, both
// through IsLegal and through AddMove alone, and the check flag matches the attack test.
TEST(Legality, EveryMoveNearTheseMatchesABruteForceScan) {
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1",
        "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
        "1r2k3/8/8/8/8/8/2k5/R3K2R w KQ - 0 1",
        "3qk3/8/8/8/8/7n/4p3/R3K2R w KQ - 0 1",
        "rn2k1nr/8/8/8/8/8/8/RN2K1NR b KQkq - 0 1",
        "4k3/4r3/8/8/8/8/8/R3K2n w KQ - 0 1",
        // Pawns on the first and last ranks, several kings: candidates only.
        "PpQqNnKk/8/2P5/1pP5/8/6p1/pP6/pPkKBbRr b - c6 0 1",
    };
    for (const char* fen : fens) {
        SCOPED_TRACE(fen);
        Position root;
        SetFen(root, fen);
        const bool oddPieces = std::count(root.board().begin(), root.board().end(), kKing) != 1;
        std::vector<std::pair<Position*, int>> pending{{&root, 0}};
        while (!pending.empty() && !HasFatalFailure()) {
            auto [position, plies] = pending.back();
            pending.pop_back();
            ExpectCandidatesMatchScan(*position);
            for (int from = 0; from < 64; ++from) {
                for (int to = 0; to < 64; ++to) {
                    auto where = [&] {
                        return Narrow(WriteFen(*position)) + " " + std::to_string(from) + "-" +
                               std::to_string(to);
                    };
                    Position* child = plies < 2 ? position->AddMove(from, to, nullptr, 0) : nullptr;
                    const bool legal = position->IsLegal(from, to);
                    EXPECT_EQ(position->LastTestedMove().legal, legal) << where();
                    ASSERT_TRUE(plies == 2 || (child != nullptr) == legal) << where();
                    ASSERT_TRUE(oddPieces || LegalByScan(*position, from, to) == legal) << where();
                    if (child != nullptr) {
                        EXPECT_EQ(child->incomingMove->givesCheck,
                                  child->IsAttacked(child->sideToMove(), -1));
                        pending.emplace_back(child, plies + 1);
                    }
                }
            }
        }
    }
}

namespace {

struct MovesRow {
    const char* name;
    const char* fen;  // "" for the standard position of a new root
    const char* moves;
    const char* after;
};

constexpr const char* kCorners = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
constexpr const char* kCornersB = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";

// The castling rights a move clears (a rook taken on its corner among them), the rook of
// a castling king, en passant, promotion and the move numbers, seen in the FEN after.
const MovesRow kMovesRows[] = {
    {"king move", kCorners, "e1e2", "r3k2r/8/8/8/8/8/4K3/R6R b kq - 0 1"},
    {"short castling", kCorners, "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 0 1"},
    {"long castling", kCorners, "e1c1", "r3k2r/8/8/8/8/8/8/2KR3R b kq - 0 1"},
    {"rook leaves a1", kCorners, "a1b1", "r3k2r/8/8/8/8/8/8/1R2K2R b Kkq - 0 1"},
    {"rook leaves h1", kCorners, "h1h2", "r3k2r/8/8/8/8/8/7R/R3K3 b Qkq - 0 1"},
    {"rook takes on a8", kCorners, "a1a8", "R3k2r/8/8/8/8/8/8/4K2R b Kk - 0 1"},
    {"rook takes on h8", kCorners, "h1h8", "r3k2R/8/8/8/8/8/8/R3K3 b Qq - 0 1"},
    {"black king move", kCornersB, "e8f8", "r4k1r/8/8/8/8/8/8/R3K2R w KQ - 0 2"},
    {"black short castling", kCornersB, "e8g8", "r4rk1/8/8/8/8/8/8/R3K2R w KQ - 0 2"},
    {"black long castling", kCornersB, "e8c8", "2kr3r/8/8/8/8/8/8/R3K2R w KQ - 0 2"},
    {"black rook takes on a1", kCornersB, "a8a1", "4k2r/8/8/8/8/8/8/r3K2R w Kk - 0 2"},
    {"black rook takes on h1", kCornersB, "h8h1", "r3k3/8/8/8/8/8/8/R3K2r w Qq - 0 2"},
    {"bishop takes on a1", "r3k2r/8/8/8/8/8/1b6/R3K2R b KQkq - 0 1", "b2a1",
     "r3k2r/8/8/8/8/8/8/b3K2R w Kkq - 0 2"},
    {"bishop takes on h1", "r3k2r/8/8/8/8/8/6b1/R3K2R b KQkq - 0 1", "g2h1",
     "r3k2r/8/8/8/8/8/8/R3K2b w Qkq - 0 2"},
    {"knight takes on a8", "r3k2r/8/1N6/8/8/8/8/R3K2R w KQkq - 0 1", "b6a8",
     "N3k2r/8/8/8/8/8/8/R3K2R b KQk - 0 1"},
    {"knight takes on h8", "r3k2r/5N2/8/8/8/8/8/R3K2R w KQkq - 0 1", "f7h8",
     "r3k2N/8/8/8/8/8/8/R3K2R b KQq - 0 1"},
    {"pawn move keeps the rights", "r3k2r/8/8/8/8/8/P7/R3K2R w KQkq - 0 1", "a2a3",
     "r3k2r/8/8/8/8/P7/8/R3K2R b KQkq - 0 1"},
    {"standard start", "", "e2e4 e7e5 g1f3",
     "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 0 2"},
    {"en passant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", "4k3/8/3P4/8/8/8/8/4K3 b - - 0 1"},
    {"en passant square lasts one move", "4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", "d7d5 e1e2",
     "4k3/8/8/3pP3/8/8/4K3/8 b - - 0 2"},
    {"promotion", "8/4P1k1/8/8/8/8/8/K7 w - - 0 1", "e7e8", "4Q3/6k1/8/8/8/8/8/K7 b - - 0 1"},
    {"black promotion", "8/8/8/8/8/8/3p4/K6k b - - 0 1", "d2d1", "8/8/8/8/8/8/8/K2q3k w - - 0 2"},
    {"numbers from a set-up", "4k3/8/8/8/8/8/8/4K3 w - - 17 40", "e1e2",
     "4k3/8/8/8/8/8/4K3/8 b - - 0 40"},
    {"full move 0 counts as 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 0", "e1e2 e8e7",
     "8/4k3/8/8/8/8/4K3/8 w - - 0 2"},
    {"full move past 255", "4k3/8/8/8/8/8/8/4K3 b - - 12 300", "e8e7",
     "8/4k3/8/8/8/8/8/4K3 w - - 0 45"},
};

}  // namespace

TEST(Moves, PlayOutAsTheFenAfterThemSays) {
    for (const MovesRow& row : kMovesRows) {
        SCOPED_TRACE(row.name);
        Position root;
        if (*row.fen != 0) {
            SetFen(root, row.fen);
        }
        Position* tip = &root;
        for (std::size_t i = 0; tip != nullptr && i < std::strlen(row.moves); i += 5) {
            tip = Play(*tip, std::string_view(row.moves).substr(i, 4));
        }
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(Narrow(WriteFen(*tip)), row.after);
    }
}

TEST(Fen, ReadAndWrittenBack) {
    const std::pair<const char*, const char*> rows[] = {
        {kStart, kStart},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", nullptr},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w Kq - 3 17", nullptr},
        {"4k3/8/8/8/8/8/8/4K3 b - - 12 300", nullptr},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 0", nullptr},
        {"4k3/8/8/8/8/8/8/4K3 w - - 99999999999 1", "4k3/8/8/8/8/8/8/4K3 w - - 1000000000 1"},
        // Ranks are counted, not split at "/"; any colour letter but "w" is Black.
        {"rnbqkbnrpppppppp8888PPPPPPPPRNBQKBNR w KQkq - 0 1", kStart},
        {"4k3/8/8/8/8/8/8/4K3 x Kq - 0 3", "4k3/8/8/8/8/8/8/4K3 b Kq - 0 3"},
        // Squares beyond h1 (too long a rank, a ninth rank, a tenth file) get nothing.
        {"4k3pp/8/8/8/8/8/8/4K3 w - - 0 1", "4k3/pp6/8/8/8/8/8/6K1 w - - 0 1"},
        {"8/8/8/8/8/8/8/7K8k w - - 0 1", "8/8/8/8/8/8/8/7K w - - 0 1"},
        {"pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/"
         "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKK b - - 0 7",
         "pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp b - - 0 7"},
        {"4k3/8/8/4K3 w - - 0 1", "4k3/8/8/4K3/8/8/8/8 w - - 0 1"},
        {"4k3/8/8/8/8/8/8/4K39 w - - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
    };
    for (const auto& [text, written] : rows) {
        Position position;
        ASSERT_TRUE(ReadFen(position, U16(text))) << text;
        EXPECT_EQ(Narrow(WriteFen(position)), written != nullptr ? written : text);
        EXPECT_TRUE(position.setUp);
        EXPECT_EQ(position.firstMove, nullptr) << "nothing is written outside the board";
        EXPECT_EQ(position.incomingMove, nullptr);
    }
    Position read;
    SetFen(read, kStart);
    EXPECT_EQ(read.board(), Position().board());
    EXPECT_EQ(Narrow(WriteFen(Position())), kStart);
}

TEST(Fen, RefusedTexts) {
    for (const char* text : {
             "4k3/8/8/8/8/8/8/4K3 w KQkx - 0 1",  // bad castling letter
             "4k3/8/8/8/8/8/8/4K3 w - e 0 1",     // file letter without rank
             "4k3/8/8/8/8/8/8/4K3 w - ex 0 1",
             "4k3/8/8/8/8/8/8/4K3 w - i3 0 1",  // files and ranks beyond the board
             "4k3/8/8/8/8/8/8/4K3 w - e9 0 1",
             "4k3/8/8/8/8/8/8/4K3 w - e0 0 1",
             "4k3/8/8/8/8/8/8/4K3 w - 3 0 1",
             "4k3/8/8/8/8/8/8/4K3 w -  0 1",     // empty en-passant field
             "4k3/8/8/8/8/8/8/4K3  KQkq - 0 1",  // empty colour field
             "4k3/8/8/8/8/8/8/4K3 w - -",        // ends early
             "4k3/8/8/8/8/8/8/4K3 w KQ",
             "4k3/8/8/8/8/8/8/4K3 w",
             "4k3/8/8/8/8/8/8/4K3",
             "",
         }) {
        Position position;
        EXPECT_FALSE(ReadFen(position, U16(text))) << text;
    }
}

namespace {

struct SanRow {
    const char* fen;
    const char* text;
    const char* move;     // "e2e4", "e7e8q" for a promotion, "" when refused
    const char* written;  // the SAN written for the move read
    const char* french = nullptr;
};

constexpr const char* kKnights = "4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1";
constexpr const char* kPawnA7 = "4k3/P7/8/8/8/8/8/4K3 w - - 0 1";
constexpr const char* kKings = "4k3/8/8/8/8/8/8/4K3 w - - 0 1";

const SanRow kSanRows[] = {
    {kStart, "e4", "e2e4", "e4"},
    {kStart, "e3", "e2e3", "e3"},
    {kStart, "Nf3+!?", "g1f3", "Nf3"},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", "e5", "e7e5", "e5"},
    {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "exd5", "e4d5", "exd5"},
    {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "ed5", "e4d5", "exd5"},
    {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "exd6", "e5d6", "exd6"},
    {kPawnA7, "a8=Q", "a7a8q", "a8=Q+", "a8=D+"},
    {kPawnA7, "a8Q", "a7a8q", "a8=Q+"},
    {kPawnA7, "a8=N", "a7a8n", "a8=N"},
    {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a1=R", "a2a1r", "a1=R+"},
    {"8/4P1k1/8/8/8/8/8/K7 w - - 0 1", "e8=B", "e7e8b", "e8=B"},
    {kKnights, "Nbd2", "b1d2", "Nbd2", "Cbd2"},
    {kKnights, "Nfd2", "f1d2", "Nfd2"},
    {kKnights, "Nb1d2", "b1d2", "Nbd2"},
    {kKnights, "Nb1xd2", "b1d2", "Nbd2"},
    {kKnights, "Nd2", "b1d2", "Nbd2"},
    {"4k3/8/8/4N3/8/8/8/4K1N1 w - - 0 1", "N1f3", "g1f3", "Ngf3"},
    {"4k3/8/8/4N3/8/8/8/4K1N1 w - - 0 1", "N5f3", "e5f3", "Nef3"},
    // With a single candidate the hint is not checked.
    {"4k3/8/8/8/8/8/5N2/4K3 w - - 0 1", "N2d3", "f2d3", "Nd3"},
    {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "R1a3", "a1a3", "R1a3", "T1a3"},
    {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "R5a3", "a5a3", "R5a3"},
    {"2k5/8/8/Q7/8/8/8/Q3Q1K1 w - - 0 1", "Qa1e5", "a1e5", "Qa1e5", "Da1e5"},
    {"2k5/8/8/Q7/8/8/8/Q3Q1K1 w - - 0 1", "Qee5", "e1e5", "Qee5"},
    {"7k/8/8/Q3p3/8/8/8/Q3Q1K1 w - - 0 1", "Qa1xe5", "a1e5", "Qa1xe5+"},
    {"7k/8/8/4p3/8/8/8/4Q1K1 w - - 0 1", "Qxe5+", "e1e5", "Qxe5+"},
    {"4k3/8/8/4p3/8/2B5/8/4K3 w - - 0 1", "Bxe5", "c3e5", "Bxe5", "Fxe5"},
    {kKings, "Kd2", "e1d2", "Kd2", "Rd2"},
    {"k7/8/8/8/8/8/8/4K2R w - - 0 1", "Rh8", "h1h8", "Rh8+"},
    {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "Ra8#", "a1a8", "Ra8+"},
    {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "O-O", "e1g1", "O-O"},
    {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "0-0", "e1g1", "O-O"},
    {"4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "0-0-0", "e1c1", "O-O-O"},
    {"r3k3/8/8/8/8/8/8/4K3 b q - 0 1", "O-O-O", "e8c8", "O-O-O"},
    // Pinned pieces count for the disambiguation, not for reading.
    {"4k3/4r3/8/8/8/8/4N3/1N2K3 w - - 0 1", "Nc3", "b1c3", "Nbc3"},
    {"4k3/8/4N3/8/8/8/K1N4r/8 w - - 0 1", "Nd4", "e6d4", "Ned4"},
    {"4k3/8/4N3/8/8/8/K1N4r/8 w - - 0 1", "Ncd4", "", ""},
    {kStart, "e5", "", ""},
    {kStart, "Zf3", "", ""},
    {kStart, "P e4", "", ""},
    {kStart, "e2e4", "", ""},
    {kStart, "Nf4", "", ""},
    {kStart, "Ni3", "", ""},
    {"3qk3/4P3/8/8/8/8/8/4K3 w - - 0 1", "e8=Q", "", ""},
    {kPawnA7, "a8", "", ""},
    {kPawnA7, "a8=K", "", ""},
    {kKnights, "Ncd2", "", ""},
    {kKnights, "Bb1d2", "", ""},
    {"4k3/8/8/4N3/8/8/8/4K1N1 w - - 0 1", "N2f3", "", ""},
    {kKings, "O-O", "", ""},
    {kKings, "e2", "", ""},  // a pawn's from-square holding another piece
};

}  // namespace

TEST(San, ReadAndWrittenBothWays) {
    for (const SanRow& row : kSanRows) {
        SCOPED_TRACE(std::string(row.fen) + " " + row.text);
        Position position;
        SetFen(position, row.fen);
        Position* child = ParseSan(position, U16(row.text));
        const std::string move = row.move;
        if (move.empty()) {
            EXPECT_EQ(child, nullptr);
            EXPECT_EQ(position.firstMove, nullptr) << "a refused text adds nothing";
            continue;
        }
        ASSERT_NE(child, nullptr);
        const MoveNode& node = *child->incomingMove;
        EXPECT_EQ(node.from, Sq(move.substr(0, 2)));
        EXPECT_EQ(node.to, Sq(move.substr(2, 2)));
        EXPECT_EQ(node.promotion, move.size() > 4 ? std::string("  rnbq").find(move[4]) : 0);
        const std::u16string written = FormatSanText(node, false, false, NotationLanguage::English);
        EXPECT_EQ(Narrow(written), row.written);
        EXPECT_EQ(ParseSan(position, written), child) << "read back as the same move";
        std::u16string french = FormatSanText(node, false, false, NotationLanguage::French);
        if (row.french != nullptr) {
            EXPECT_EQ(Narrow(french), row.french);
        }
        TranslateToEnglish(french, NotationLanguage::French);
        EXPECT_EQ(french, written);
    }
}

TEST(San, NumbersAnnotationsAndTranslation) {
    Position black;
    SetFen(black, "r3k3/8/8/8/8/8/8/4K3 b q - 0 15");
    EXPECT_EQ(Narrow(FormatSanText(*Play(black, "e8c8")->incomingMove, true, false,
                                   NotationLanguage::English)),
              "15... O-O-O");
    Position white;
    SetFen(white, "8/4P3/8/8/8/8/8/K3k3 w - - 0 1");
    MoveNode& queen = *Play(white, "e7e8", kQueen)->incomingMove;
    const std::pair<int, const char*> nags[] = {{1, "e8=Q+!"}, {6, "e8=Q+?!"}, {7, "e8=Q+"}};
    for (const auto& [nag, text] : nags) {
        queen.nag = static_cast<std::uint8_t>(nag);
        EXPECT_EQ(Narrow(FormatSanText(queen, false, false, NotationLanguage::English)), text);
    }
    queen.nag = 1;
    EXPECT_EQ(Narrow(FormatSanText(queen, true, true, NotationLanguage::French)), "1. e8=D+ $1");
    queen.nag = 255;
    queen.moveNumber = 255;
    SanBuffer buffer{};
    const std::size_t length = FormatSan(queen, buffer, true, true, NotationLanguage::English);
    EXPECT_EQ(Narrow({buffer.data(), length}), "255. e8=Q+ $255");
    EXPECT_EQ(buffer[length], 0);

    std::u16string text = u"Rc2 Dd8 Cf3 e8=D Fxe5 Txe1";
    TranslateToEnglish(text, NotationLanguage::French);
    EXPECT_EQ(text, u"Kc2 Qd8 Nf3 e8=Q Bxe5 Rxe1") << "each letter is translated once";
    TranslateToEnglish(text, NotationLanguage::English);
    EXPECT_EQ(text, u"Kc2 Qd8 Nf3 e8=Q Bxe5 Rxe1");
}

TEST(San, ReadingReusesAMoveUnlessAskedForANewLine) {
    Position position;
    Position* first = ParseSan(position, u"e4");
    EXPECT_EQ(ParseSan(position, u"e4"), first);
    EXPECT_EQ(position.firstMove->nextSibling, nullptr);
    Position* second = ParseSanAsNewLine(position, u"e4");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(position.firstMove->nextSibling->child.get(), second);
}

TEST(AddMove, PromotionChooserAndRefusedMoves) {
    Position position;
    SetFen(position, "8/4P1k1/8/8/8/8/8/K7 w - - 0 1");
    int asked = 0;
    auto chooser = [&asked](int answer) { return [&asked, answer] { return ++asked, answer; }; };
    EXPECT_EQ(position.AddMove(Sq("e7"), Sq("e8"), nullptr, 0, chooser(kRook))->GetSquare(Sq("e8")),
              kRook);
    EXPECT_EQ(
        position.AddMove(Sq("e7"), Sq("e8"), nullptr, kKnight, chooser(kRook))->GetSquare(Sq("e8")),
        kKnight);
    EXPECT_EQ(asked, 1) << "a promotion given is not asked for";
    EXPECT_EQ(position.AddMove(Sq("e7"), Sq("e8"), nullptr, 0, chooser(kKing))->GetSquare(Sq("e8")),
              kQueen);
    EXPECT_NE(position.FindMove(Sq("e7"), Sq("e8"), kKnight), nullptr);
    EXPECT_EQ(position.FindMove(Sq("e7"), Sq("e8"), kBishop), nullptr);
    EXPECT_EQ(Play(position, "a1a3"), nullptr);
    EXPECT_EQ(position.AddMove(64, 0, nullptr, 0), nullptr);
    EXPECT_EQ(position.AddMove(0, -1, nullptr, 0), nullptr);
    Position other;
    EXPECT_EQ(Play(other, "e2e4")->AddMove(Sq("g8"), Sq("f6"), position.firstMove.get(), 0),
              nullptr)
        << "a move of another position's list is not replaced";
}

TEST(Attacks, SquaresLinesAndCandidates) {
    Position position;
    SetFen(position, "4k3/8/8/8/R3Q3/8/8/1N1NK3 w - - 0 1");
    EXPECT_TRUE(position.IsAttacked(kBlack, Sq("e7")));
    EXPECT_FALSE(position.IsAttacked(kBlack, Sq("f7")));
    EXPECT_TRUE(position.IsAttacked(kBlack, -1)) << "the queen checks along the e-file";
    EXPECT_FALSE(position.IsAttacked(kWhite, -1));
    EXPECT_TRUE(position.IsPathClear(Sq("a4"), Sq("d4"), 1));
    EXPECT_FALSE(position.IsPathClear(Sq("a4"), Sq("f4"), 1));
    std::array<Square, 64> found{};
    ASSERT_EQ(position.FindCandidates(0, Sq("b1"), Sq("c3"), found), 1);
    EXPECT_EQ(found[0], Sq("d1"));
    EXPECT_EQ(position.FindCandidates(0, Sq("c3"), Sq("d5"), found), 0) << "an empty square";
    SetFen(position, "8/8/8/8/8/8/8/r7 w - - 0 1");
    EXPECT_FALSE(position.IsAttacked(kWhite, -1)) << "no king, nothing attacks it";
}
