#include "rules/board_rules.h"

#include "rules/board_geometry.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace board_rules {
namespace {

using board_geometry::kTables;

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

bool AnyOf(const Board& board, const board_geometry::SquareList& squares, PieceCode code) {
    for (int i = 0; i < squares.count; ++i) {
        if (board[squares.squares[i]] == code) {
            return true;
        }
    }
    return false;
}

bool AttackedByKnightOrKing(const Board& board, Colour colour, int square) {
    const Colour enemy = OtherColour(colour);
    return AnyOf(board, kTables.knight[square], static_cast<PieceCode>(enemy + kKnight)) ||
           AnyOf(board, kTables.king[square], static_cast<PieceCode>(enemy + kKing));
}

// The first square from `start` on that holds `code`, or -1. Eight squares are
// compared at once: a byte of `word ^ pattern` is zero exactly where the code stands.
int FindNextHolding(const Board& board, PieceCode code, int start) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t pattern = 0x0101010101010101ULL * code;
    for (int word = start >> 3; word < 8; ++word) {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, board.data() + std::ptrdiff_t{8} * word, sizeof bytes);
        std::uint64_t x = bytes ^ pattern;
        if (word == start >> 3) {
            x |= (std::uint64_t{1} << (8 * (start & 7))) - 1;  // squares before start
        }
        const std::uint64_t zeroBytes = ~(((x & kLow7) + kLow7) | x | kLow7);
        if (zeroBytes != 0) {
            return 8 * word + (std::countr_zero(zeroBytes) >> 3);
        }
    }
    return -1;
}

// Calls `visit` with each square holding `code`, in ascending order, until it returns
// true; returns whether it did.
template <typename Visit>
bool AnySquareHolding(const Board& board, PieceCode code, Visit visit) {
    for (int s = FindNextHolding(board, code, 0); s >= 0; s = FindNextHolding(board, code, s + 1)) {
        if (visit(s)) {
            return true;
        }
    }
    return false;
}

bool RookCanReach(const Board& board, int from, int to);
bool BishopCanReach(const Board& board, int from, int to);

// The first occupied square from `square` along `direction`, or -1 at the edge.
int FirstOccupied(const Board& board, int square, int direction) {
    const int step = board_geometry::kSquareStep[direction];
    int s = square;
    for (int left = kTables.rayLength[square][direction]; left > 0; --left) {
        s += step;
        if (board[s] != kEmpty) {
            return s;
        }
    }
    return -1;
}

bool AttackedBySlider(const Board& board, Colour colour, int square) {
    const Colour enemy = OtherColour(colour);
    const auto queen = static_cast<PieceCode>(enemy + kQueen);
    for (int direction = 0; direction < board_geometry::kDirectionCount; ++direction) {
        const int s = FirstOccupied(board, square, direction);
        if (s < 0) {
            continue;
        }
        const auto slider = static_cast<PieceCode>(
            enemy + (board_geometry::IsDiagonal(direction) ? kBishop : kRook));
        if (board[s] == queen || board[s] == slider) {
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
    const int doubleStepTarget = enemy == kWhite ? 3 : 4;
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
    const int startRank = white ? 1 : 6;
    if (RankOf(from) == startRank) {
        return signedDy == forward ||
               (signedDy == 2 * forward && board[from + 8 * forward] == kEmpty);
    }
    return signedDy == forward;
}

bool RookCanReach(const Board& board, int from, int to) {
    const bool sameRank = RankOf(from) == RankOf(to);
    const bool sameFile = FileOf(from) == FileOf(to);
    if (sameRank == sameFile) {
        return false;
    }
    const int step =
        sameRank ? (FileOf(to) < FileOf(from) ? -1 : 1) : (RankOf(to) > RankOf(from) ? 8 : -8);
    return IsPathClear(board, from, to, step);
}

bool BishopCanReach(const Board& board, int from, int to) {
    const int dx = FileOf(to) - FileOf(from);
    const int dy = RankOf(to) - RankOf(from);
    if (std::abs(dx) != std::abs(dy)) {
        return false;
    }
    const int step = (dy > 0 ? 8 : -8) + (dx > 0 ? 1 : -1);
    return IsPathClear(board, from, to, step);
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
    int count() const { return count_; }

private:
    std::array<Square, 64>& out_;
    int count_ = 0;
};

void CollectFromList(const Board& board, const board_geometry::SquareList& squares, PieceCode code,
                     SquareCollector& found) {
    for (int i = 0; i < squares.count; ++i) {
        if (board[squares.squares[i]] == code) {
            found.Add(squares.squares[i]);
        }
    }
}

void CollectSliders(const Board& board, PieceCode code, int target, SquareCollector& found) {
    AnySquareHolding(board, code, [&](int s) {
        if (CanReach(board, s, target)) {
            found.Add(s);
        }
        return false;
    });
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
    const int doubleStepTarget = forward == 1 ? 3 : 4;
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
            CollectFromList(board, kTables.knight[target], code, found);
            break;
        case kKing:
            CollectFromList(board, kTables.king[target], code, found);
            break;
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
        if (s > 63 || board[s] != kEmpty) {
            return false;
        }
    }
    return false;
}

bool CanReach(const Board& board, int from, int to) {
    if (from == to || board[from] == kEmpty) {
        return false;
    }
    switch (PieceType(board[from])) {
        case kPawn:
            return PawnCanReach(board, from, to);
        case kRook:
            return RookCanReach(board, from, to);
        case kKnight: {
            const int dx = std::abs(FileOf(to) - FileOf(from));
            const int dy = std::abs(RankOf(to) - RankOf(from));
            return (dx == 2 && dy == 1) || (dx == 1 && dy == 2);
        }
        case kBishop:
            return BishopCanReach(board, from, to);
        case kQueen:
            return RookCanReach(board, from, to) || BishopCanReach(board, from, to);
        case kKing:
            return std::abs(FileOf(to) - FileOf(from)) <= 1 &&
                   std::abs(RankOf(to) - RankOf(from)) <= 1;
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
    const int fileStep = (FileOf(from) > FileOf(king)) - (FileOf(from) < FileOf(king));
    const int rankStep = (RankOf(from) > RankOf(king)) - (RankOf(from) < RankOf(king));
    const int fileDistance = std::abs(FileOf(from) - FileOf(king));
    const int rankDistance = std::abs(RankOf(from) - RankOf(king));
    if (from == king || (fileDistance != 0 && rankDistance != 0 && fileDistance != rankDistance)) {
        return false;
    }
    int file = FileOf(king) + fileStep;
    int rank = RankOf(king) + rankStep;
    bool passedFrom = false;
    for (; OnBoard(file, rank); file += fileStep, rank += rankStep) {
        const int s = MakeSquare(file, rank);
        passedFrom = passedFrom || s == from;
        if (board[s] == kEmpty) {
            continue;
        }
        if (!passedFrom || !IsEnemy(board[s], colour)) {
            return false;
        }
        const bool diagonal = fileStep != 0 && rankStep != 0;
        const int type = PieceType(board[s]);
        return type == kQueen || type == (diagonal ? kBishop : kRook);
    }
    return false;
}

int FindPiece(const Board& board, PieceCode code) {
    return FindNextHolding(board, code, 0);
}

MoveEffects PlayOnBoard(Board& board, int from, int to, Square epSquare) {
    MoveEffects effects;
    const PieceCode mover = board[from];
    if (board[to] != kEmpty) {
        effects.isCapture = true;
    } else if (PieceType(mover) == kPawn && to == epSquare) {
        effects.isCapture = true;
        board[FileOf(to) + 8 * RankOf(from)] = kEmpty;
    } else if ((mover == kKing && from == 4) || (mover == kBlack + kKing && from == 60)) {
        if (to == from + 2) {
            board[from + 1] = board[from + 3];
            board[from + 3] = kEmpty;
            effects.castling = 1;
        } else if (to == from - 2) {
            board[from - 1] = board[from - 4];
            board[from - 4] = kEmpty;
            effects.castling = 2;
        }
    } else if (mover == kPawn && RankOf(from) == 1 && RankOf(to) == 3) {
        effects.newEpSquare = static_cast<Square>(FileOf(from) + 16);
    } else if (mover == kBlack + kPawn && RankOf(from) == 6 && RankOf(to) == 4) {
        effects.newEpSquare = static_cast<Square>(FileOf(from) + 40);
    }
    board[to] = mover;
    board[from] = kEmpty;
    return effects;
}

}  // namespace board_rules
