#pragma once

#include "rules/position.h"

// Movement and attack rules on a bare board, shared by the Position operations and
// the scratch board of the legality test. Squares are 0..63.
namespace board_rules {

using Board = Position::Board;

// Whether a pawn reaches an empty square by its straight step only (the movement rule,
// right for an occupied target such as a king) or attacks it diagonally (the chess
// rule for the empty square a castling king passes).
enum class PawnRule { Movement, Attack };

[[nodiscard]] bool CanReach(const Board& board, int from, int to);
[[nodiscard]] bool IsPathClear(const Board& board, int from, int to, int step);

// True when a piece whose colour is not `colour` can reach `square`.
[[nodiscard]] bool IsAttacked(const Board& board, Colour colour, int square, PawnRule pawnRule);

// The squares holding exactly `code` whose piece can reach `target` by its movement
// rule, in ascending order; returns their count. The same answer as testing CanReach
// from every square, found by looking back from the target.
[[nodiscard]] int FindReachingPieces(const Board& board, PieceCode code, int target,
                                     std::array<Square, 64>& out);

// True when `from`, empty on `board`, lies on a straight or diagonal line from the king
// on `king` (of `colour`) and the first piece beyond it on that line, with nothing
// between, is a rook, bishop or queen of the other colour that moves along such a line:
// the line the move through `from` opened onto the king.
[[nodiscard]] bool LineOpenedOntoKing(const Board& board, int king, int from, Colour colour);

// The first square, in ascending order, that holds `code`; -1 when there is none.
[[nodiscard]] int FindPiece(const Board& board, PieceCode code);

// What playing from->to on a board did besides moving the piece.
struct MoveEffects {
    int isCapture = 0;
    CastlingSide castling = CastlingSide::None;
    int newEpSquare = kNoSquare;
};

// Plays from->to on `board`: captures (en passant through `epSquare`), moves the rook
// of a castling king, notes a pawn's double step, then moves the piece. No promotion.
// The effects are written into `effects` rather than returned, as whole words: the
// compiler returned a struct of bytes by storing them one by one and reloading them as
// one word, a stall on every move played.
void PlayOnBoard(Board& board, int from, int to, Square epSquare, MoveEffects& effects);

}  // namespace board_rules
