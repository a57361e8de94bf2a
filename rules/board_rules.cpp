#include "rules/board_rules.h"

#include "rules/board_geometry.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace board_rules {
namespace {

using board_geometry::Bit;
using board_geometry::IsDiagonal;
using board_geometry::kNoDirection;
using board_geometry::kTables;
using board_geometry::SquareSet;

constexpr bool OnBoard(int file, int rank) {
    return file >= 0 && file < 8 && rank >= 0 && rank < 8;
}

bool IsEnemy(PieceCode code, Colour colour) {
    return code != kEmpty && PieceColour(code) != colour;
}

bool EnemyAt(const Board& board, Colour colour, int file, int rank, int type) {
    if (!OnBoard(file, rank)) {
        return false;
    }
    const PieceCode code = board[MakeSquare(file, rank)];
    return IsEnemy(code, colour) && PieceType(code) == type;
}

// The squares that hold exactly `code`; on x86-64 sixteen squares are compared at once.
SquareSet SquaresHolding(const Board& board, PieceCode code) {
    SquareSet set = 0;
#if defined(__SSE2__)
    const __m128i pattern = _mm_set1_epi8(static_cast<char>(code));
    for (int block = 0; block < 4; ++block) {
        const __m128i squares = _mm_loadu_si128(
            reinterpret_cast<const __m128i*>(board.data() + std::ptrdiff_t{16} * block));
        const auto found =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(squares, pattern)));
        set |= SquareSet{found} << (16 * block);
    }
#else
    for (int square = 0; square < 64; ++square) {
        if (board[square] == code) {
            set |= Bit(square);
        }
    }
#endif
    return set;
}

SquareSet Occupied(const Board& board) {
    return ~SquaresHolding(board, kEmpty);
}

// The squares strictly between `from` and `to`, which lie on one line in `direction`.
SquareSet Between(int from, int to, int direction) {
    return kTables.ray[from][direction] & ~(kTables.ray[to][direction] | Bit(to));
}

// The square of `set`, a non-empty set of squares on one ray, met first along the
// ray's `direction`.
int Nearest(SquareSet set, int direction) {
    return board_geometry::Ascends(direction) ? std::countr_zero(set) : 63 - std::countl_zero(set);
}

// Whether a rook (straight), bishop (diagonal) or queen (both) moves along `direction`.
bool MovesAlong(int type, int direction) {
    return type == kQueen || (type == kBishop) == IsDiagonal(direction);
}

// A rook, bishop or queen of `type` reaches `to` from `from` when both lie on one of
// its lines with every square between them empty.
bool SliderCanReach(int type, int from, int to, SquareSet occupied) {
    const int direction = kTables.direction[from][to];
    return direction != kNoDirection && MovesAlong(type, direction) &&
           (Between(from, to, direction) & occupied) == 0;
}

bool AttackedByKnightOrKing(const Board& board, Colour colour, int square) {
    const Colour enemy = OtherColour(colour);
    return (kTables.knight[square] &
            SquaresHolding(board, static_cast<PieceCode>(enemy + kKnight))) != 0 ||
           (kTables.king[square] & SquaresHolding(board, static_cast<PieceCode>(enemy + kKing))) !=
               0;
}

// An enemy rook, bishop or queen attacks `square` when it is the first piece met along
// one of its lines from the square.
bool AttackedBySlider(const Board& board, Colour colour, int square) {
    const Colour enemy = OtherColour(colour);
    const SquareSet queens = SquaresHolding(board, static_cast<PieceCode>(enemy + kQueen));
    const SquareSet straight =
        queens | SquaresHolding(board, static_cast<PieceCode>(enemy + kRook));
    const SquareSet diagonal =
        queens | SquaresHolding(board, static_cast<PieceCode>(enemy + kBishop));
    const SquareSet occupied = Occupied(board);
    for (int direction = 0; direction < board_geometry::kDirectionCount; ++direction) {
        const SquareSet attackers = IsDiagonal(direction) ? diagonal : straight;
        const SquareSet ray = kTables.ray[square][direction];
        if ((ray & attackers) != 0 && (attackers & Bit(Nearest(ray & occupied, direction))) != 0) {
            return true;
        }
    }
    return false;
}

// Pawns of the other colour that reach `square`: diagonally when it is occupied (or
// under the attack rule), straight ahead when it is empty under the movement rule.
bool AttackedByPawn(const Board& board, Colour colour, int square, PawnRule pawnRule) {
    const Colour enemy = OtherColour(colour);
    const int forward = enemy == kWhite ? 1 : -1;
    const int file = FileOf(square);
    const int rank = RankOf(square);
    if (board[square] != kEmpty || pawnRule == PawnRule::Attack) {
        return EnemyAt(board, colour, file - 1, rank - forward, kPawn) ||
               EnemyAt(board, colour, file + 1, rank - forward, kPawn);
    }
    if (EnemyAt(board, colour, file, rank - forward, kPawn)) {
        return true;
    }
    const int doubleStepTarget = enemy == kWhite ? kRank4 : kRank5;
    return rank == doubleStepTarget && board[MakeSquare(file, rank - forward)] == kEmpty &&
           EnemyAt(board, colour, file, rank - 2 * forward, kPawn);
}

bool PawnCanReach(const Board& board, int from, int to) {
    const bool white = PieceColour(board[from]) == kWhite;
    const int forward = white ? 1 : -1;
    const int dx = std::abs(FileOf(to) - FileOf(from));
    const int signedDy = RankOf(to) - RankOf(from);
    if (dx == 1) {
        return board[to] != kEmpty && signedDy == forward;
    }
    if (dx != 0 || board[to] != kEmpty) {
        return false;
    }
    const int startRank = white ? kRank2 : kRank7;
    if (RankOf(from) == startRank) {
        return signedDy == forward ||
               (signedDy == 2 * forward && board[from + 8 * forward] == kEmpty);
    }
    return signedDy == forward;
}

// Collects squares in ascending order; the lists are short.
class SquareCollector {
public:
    explicit SquareCollector(std::array<Square, 64>& out) : out_(out) {}
    void Add(int square) {
        int i = count_++;
        while (i > 0 && out_[i - 1] > square) {
            out_[i] = out_[i - 1];
            --i;
        }
        out_[i] = static_cast<Square>(square);
    }
    [[nodiscard]] int count() const { return count_; }

private:
    std::array<Square, 64>& out_;
    int count_ = 0;
};

void CollectAll(SquareSet squares, SquareCollector& found) {
    for (; squares != 0; squares &= squares - 1) {
        found.Add(std::countr_zero(squares));
    }
}

void CollectSliders(const Board& board, PieceCode code, int target, SquareCollector& found) {
    const SquareSet occupied = Occupied(board);
    const int type = PieceType(code);
    for (SquareSet pieces = SquaresHolding(board, code); pieces != 0; pieces &= pieces - 1) {
        const int square = std::countr_zero(pieces);
        if (SliderCanReach(type, square, target, occupied)) {
            found.Add(square);
        }
    }
}

// Pawns reach an occupied square diagonally forward, an empty one straight ahead (two
// squares from their first rank over an empty square).
void CollectPawns(const Board& board, PieceCode code, int target, SquareCollector& found) {
    const int forward = PieceColour(code) == kWhite ? 1 : -1;
    const int file = FileOf(target);
    const int rank = RankOf(target);
    const int behind = rank - forward;
    if (behind < 0 || behind > 7) {
        return;
    }
    if (board[target] != kEmpty) {
        for (int side = -1; side <= 1; side += 2) {
            if (OnBoard(file + side, behind) && board[MakeSquare(file + side, behind)] == code) {
                found.Add(MakeSquare(file + side, behind));
            }
        }
        return;
    }
    if (board[MakeSquare(file, behind)] == code) {
        found.Add(MakeSquare(file, behind));
    }
    const int doubleStepTarget = forward == 1 ? kRank4 : kRank5;
    if (rank == doubleStepTarget && board[MakeSquare(file, behind)] == kEmpty &&
        board[MakeSquare(file, behind - forward)] == code) {
        found.Add(MakeSquare(file, behind - forward));
    }
}

}  // namespace

int FindReachingPieces(const Board& board, PieceCode code, int target,
                       std::array<Square, 64>& out) {
    SquareCollector found(out);
    switch (PieceType(code)) {
        case kPawn:
            CollectPawns(board, code, target, found);
            break;
        case kRook:
        case kBishop:
        case kQueen:
            CollectSliders(board, code, target, found);
            break;
        case kKnight:
        case kKing: {
            const SquareSet reach =
                PieceType(code) == kKnight ? kTables.knight[target] : kTables.king[target];
            CollectAll(SquaresHolding(board, code) & reach, found);
            break;
        }
        default:
            break;
    }
    return found.count();
}

bool IsPathClear(const Board& board, int from, int to, int step) {
    int s = from;
    for (int walked = 0; walked < 256; ++walked) {
        s = (s + step) & 255;
        if (s == to) {
            return true;
        }
        if (s >= kSquareCount || board[s] != kEmpty) {
            return false;
        }
    }
    return false;
}

bool CanReach(const Board& board, int from, int to) {
    if (from == to || board[from] == kEmpty) {
        return false;
    }
    const int type = PieceType(board[from]);
    switch (type) {
        case kPawn:
            return PawnCanReach(board, from, to);
        case kKnight:
            return (kTables.knight[from] & Bit(to)) != 0;
        case kKing:
            return (kTables.king[from] & Bit(to)) != 0;
        case kRook:
        case kBishop:
        case kQueen:
            return SliderCanReach(type, from, to, Occupied(board));
        default:
            return false;
    }
}

bool IsAttacked(const Board& board, Colour colour, int square, PawnRule pawnRule) {
    return AttackedByKnightOrKing(board, colour, square) ||
           AttackedBySlider(board, colour, square) ||
           AttackedByPawn(board, colour, square, pawnRule);
}

bool LineOpenedOntoKing(const Board& board, int king, int from, Colour colour) {
    const int direction = kTables.direction[king][from];
    if (direction == kNoDirection) {
        return false;
    }
    const SquareSet pieces = kTables.ray[king][direction] & Occupied(board);
    if (pieces == 0) {
        return false;
    }
    // The first piece from the king must stand on `from` or beyond it: one between them
    // still shields the king.
    const int first = Nearest(pieces, direction);
    if ((Bit(first) & (kTables.ray[from][direction] | Bit(from))) == 0 ||
        !IsEnemy(board[first], colour)) {
        return false;
    }
    const int type = PieceType(board[first]);
    return type == kQueen || type == (IsDiagonal(direction) ? kBishop : kRook);
}

int FindPiece(const Board& board, PieceCode code) {
    const SquareSet squares = SquaresHolding(board, code);
    return squares != 0 ? std::countr_zero(squares) : -1;
}

void PlayOnBoard(Board& board, int from, int to, Square epSquare, MoveEffects& effects) {
    effects = MoveEffects{};
    const PieceCode mover = board[from];
    if (board[to] != kEmpty) {
        effects.isCapture = 1;
    } else if (PieceType(mover) == kPawn && to == epSquare) {
        effects.isCapture = 1;
        board[FileOf(to) + 8 * RankOf(from)] = kEmpty;
    } else if ((mover == kKing && from == kE1) || (mover == kBlack + kKing && from == kE8)) {
        // The rook comes from the corner on the king's side of the move.
        if (to == from + 2) {
            board[from + 1] = board[from + 3];
            board[from + 3] = kEmpty;
            effects.castling = CastlingSide::KingSide;
        } else if (to == from - 2) {
            board[from - 1] = board[from - 4];
            board[from - 4] = kEmpty;
            effects.castling = CastlingSide::QueenSide;
        }
    } else if (mover == kPawn && RankOf(from) == kRank2 && RankOf(to) == kRank4) {
        effects.newEpSquare = MakeSquare(FileOf(from), kRank3);
    } else if (mover == kBlack + kPawn && RankOf(from) == kRank7 && RankOf(to) == kRank5) {
        effects.newEpSquare = MakeSquare(FileOf(from), kRank6);
    }
    board[to] = mover;
    board[from] = kEmpty;
}

}  // namespace board_rules
