#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "rules/node_pool.h"
#include "rules/promotion_chooser.h"
#include "rules/square.h"

class MoveNode;

// Adds `text` to a comment: several comments at one place are kept as one, joined by
// one blank (an empty comment adds nothing to a text, nor a text to an empty one).
void JoinComment(std::optional<std::u16string>& comment, std::u16string_view text);

// One node of a game tree: a complete board position and the moves that leave it.
// A Position owns its comment and its list of moves (firstMove and the siblings after
// it); destroying it destroys the whole subtree below it, iteratively. A root (a
// position made by the public constructor) owns the pools its tree is made from.
// The board, the side to move, the en-passant square and the castling rights are
// written only through the members below, which forget what the legality tests
// remember of the position (the king's square, check, the last move tested, the
// candidates of a move).
class Position final {
public:
    using Board = std::array<PieceCode, 64>;

    // The standard initial position, a root with no moves.
    Position();
    ~Position();

    Position(const Position&) = delete;
    Position& operator=(const Position&) = delete;

    // Sets the standard initial position and clears every other field; the moves
    // below this position, if any, are destroyed.
    void InitStandard();

    // Plays from->to on a copy of `parent` and returns the new, unlinked move that
    // owns the resulting child position. No legality test, no promotion, no loss of
    // castling rights and no check flag: AddMove does those.
    [[nodiscard]] static MoveNodePtr MakeChild(Position& parent, int from, int to);

    // The pools of this position's tree; null for a root that has had no move yet.
    TreePools* Pools() const { return pools_; }

    [[nodiscard]] PieceCode GetSquare(int square) const { return squares_[square]; }
    [[nodiscard]] PieceCode GetSquare(int file, int rank) const {
        return squares_[MakeSquare(file, rank)];
    }
    [[nodiscard]] const Board& board() const { return squares_; }
    [[nodiscard]] Colour sideToMove() const { return sideToMove_; }
    // The square a pawn that just made a double step passed, kNoSquare when none did.
    [[nodiscard]] Square epSquare() const { return epSquare_; }
    [[nodiscard]] bool HasCastlingRight(CastlingRight right) const {
        return castleRights_[static_cast<std::size_t>(right)];
    }

    // Each setter changes the position in place and forgets what the legality tests
    // remember of it, which may no longer hold.
    void SetSquare(int square, PieceCode code) {
        squares_[square] = code;
        ForgetTests();
    }
    void SetSideToMove(Colour colour) {
        sideToMove_ = colour;
        ForgetTests();
    }
    void SetEpSquare(Square square) {
        epSquare_ = square;
        ForgetTests();
    }
    void SetCastlingRight(CastlingRight right, bool held) {
        castleRights_[static_cast<std::size_t>(right)] = held;
        ForgetTests();
    }
    // Empties the board and takes every castling right away.
    void ClearBoard();

    // Forgets what the legality tests remember of this position; for a caller that
    // wants the tests run afresh (the setters above call it themselves).
    void ForgetTests();

    // True when the king of the side to move is attacked (remembered once known).
    bool IsInCheck() const;

    // Replaces the comment; std::nullopt clears it (an empty text is still a comment).
    void SetComment(std::optional<std::u16string> text) { comment = std::move(text); }

    // True when the piece on `from` could move to `to` by its movement rule,
    // ignoring check; false for an empty from-square and for from == to.
    bool CanReach(int from, int to) const;

    // True when every square strictly between from and to, walking by step, is empty.
    bool IsPathClear(int from, int to, int step) const;

    // True when a piece of the other colour can reach `square`; square -1 means the
    // king of `colour` (false when there is none).
    bool IsAttacked(Colour colour, int square) const;

    // The squares other than `exclude` that hold exactly `pieceCode` (0: the code on
    // `exclude`) and from which CanReach(target) holds, in ascending order. Returns
    // the count; `out` receives up to 64 squares.
    [[nodiscard]] int FindCandidates(PieceCode pieceCode, int exclude, int target,
                                     std::array<Square, 64>& out) const;

    // The move IsLegal tested last and its answer, which AddMove uses again.
    struct TestedMove {
        Square from = kNoSquare;
        Square to = kNoSquare;
        bool legal = false;
    };

    // Full legality of from->to for the side to move; remembered as the tested move.
    [[nodiscard]] bool IsLegal(int from, int to);
    [[nodiscard]] const TestedMove& LastTestedMove() const { return tested_; }

    // Plays a legal move into the tree and returns its child position, or null when
    // the move is not legal. With `replaced` the new move takes that move's place
    // and `replaced` is destroyed; otherwise it is the first move or is appended.
    // `promotion` 0 asks `chooser` when needed (a queen without one).
    [[nodiscard]] Position* AddMove(int from, int to, MoveNode* replaced, int promotion,
                                    const PromotionChooser& chooser = {});

    // The child of the existing move with equal from, to and promotion, or null.
    Position* FindMove(int from, int to, int promotion) const;

    std::uint8_t positionNag = 0;
    std::uint8_t moveNumber = 0;
    bool setUp = false;
    // The FEN fields of a set-up root as they were read: the half-move clock, and the
    // full-move number, which moveNumber holds only modulo 256 (and as 1 for 0).
    // Positions reached by moves leave them 0.
    std::uint32_t halfMoveClock = 0;
    std::uint32_t fullMoveNumber = 0;
    std::optional<std::u16string> comment;
    MoveNode* incomingMove = nullptr;  // back link; null for the root
    MoveNodePtr firstMove;             // the main continuation, then its siblings

private:
    struct ChildTag {};
    static constexpr std::int8_t kUnknown = -1;

    Board squares_{};
    std::array<bool, kCastlingRightCount> castleRights_{};  // by CastlingRight
    Square epSquare_ = kNoSquare;
    Colour sideToMove_ = kWhite;
    TestedMove tested_;

    // True when the move from->to, already found possible, leaves the mover's king
    // attacked.
    bool LeavesKingAttacked(int from, int to) const;

    // True when the king of the side not to move is not attacked: so in every
    // position reached by a legal move (remembered once known).
    bool IsOtherKingSafe() const;

    // Whether the move just played into `child` attacks the king of the side to move
    // there.
    bool MoveGivesCheck(const MoveNode& node, const Position& child) const;

    // Whether the side to move is in check: kUnknown, 0 or 1. The child of a move
    // learns it from the move's check flag.
    mutable std::int8_t inCheck_ = kUnknown;
    // Whether the other side's king is safe: kUnknown, 0 or 1.
    mutable std::int8_t otherKingSafe_ = kUnknown;

    // The first square holding the king of the side to move (-1 for none), looked up
    // once: kUnknownSquare until then.
    int SideToMoveKing() const;
    static constexpr std::int8_t kUnknownSquare = -2;
    mutable std::int8_t sideToMoveKing_ = kUnknownSquare;

    // The last pieces FindCandidates found: reading a move asks for the pieces that
    // reach its target, and the new move's disambiguation asks again for the same
    // pieces but one. One bit per square; valid while candidateCode_ is not kEmpty.
    mutable PieceCode candidateCode_ = kEmpty;
    mutable Square candidateTarget_ = kNoSquare;
    mutable std::uint64_t candidateSquares_ = 0;

    // The pools of the tree: a root's own (made with its first move), a child's
    // parent's.
    TreePools* pools_ = nullptr;
    std::unique_ptr<TreePools> ownPools_;

    Position(ChildTag, const Position& parent);
};
