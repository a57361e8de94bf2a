#include "rules/board_rules.h"

#include <cstdlib>
#include <cstring>

namespace board_rules {
namespace {

constexpr bool OnBoard(int file, int rank) {
    return file >= 0 && file < 8 && rank >= 0 && rank < 8;
}

bool IsEnemy(PieceCode code, Colour colour) {
    return code != kEmpty && PieceColour(code) != colour;
}

// The first occupied square from `square` in direction (df, dr), or -1 at the edge.
int FirstOccupied(const Board& board, int square, int df, int dr) {
    int file = FileOf(square) + df;
    int rank = RankOf(square) + dr;
    while (OnBoard(file, rank)) {
        const int s = MakeSquare(file, rank);
        if (board[s] != kEmpty) {
            return s;
        }
        file += df;
        rank += dr;
    }
    return -1;
}

bool EnemyAt(const Board& board, Colour colour, int file, int rank, int type) {
    if (!OnBoard(file, rank)) {
        return false;
    }
    const PieceCode code = board[MakeSquare(file, rank)];
    return IsEnemy(code, colour) && PieceType(code) == type;
}

bool AttackedByKnightOrKing(const Board& board, Colour colour, int file, int rank) {
    static constexpr int kKnightSteps[8][2] = {{1, 2},   {2, 1},   {2, -1}, {1, -2},
                                               {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
    for (const auto& step : kKnightSteps) {
        if (EnemyAt(board, colour, file + step[0], rank + step[1], kKnight)) {
            return true;
        }
    }
    for (int df = -1; df <= 1; ++df) {
        for (int dr = -1; dr <= 1; ++dr) {
            if ((df != 0 || dr != 0) && EnemyAt(board, colour, file + df, rank + dr, kKing)) {
                return true;
            }
        }
    }
    return false;
}

bool AttackedBySlider(const Board& board, Colour colour, int square) {
    static constexpr int kDirections[8][2] = {{1, 0}, {-1, 0}, {0, 1},  {0, -1},
                                              {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    for (const auto& direction : kDirections) {
        const int s = FirstOccupied(board, square, direction[0], direction[1]);
        if (s < 0 || !IsEnemy(board[s], colour)) {
            continue;
        }
        const int type = PieceType(board[s]);
        const bool diagonal = direction[0] != 0 && direction[1] != 0;
        if (type == kQueen || type == (diagonal ? kBishop : kRook)) {
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

}  // namespace

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
    return AttackedByKnightOrKing(board, colour, FileOf(square), RankOf(square)) ||
           AttackedBySlider(board, colour, square) ||
           AttackedByPawn(board, colour, square, pawnRule);
}

int FindPiece(const Board& board, PieceCode code) {
    const void* found = std::memchr(board.data(), code, board.size());
    return found == nullptr ? -1
                            : static_cast<int>(static_cast<const PieceCode*>(found) - board.data());
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
