#include <bit>
#include <cstdlib>
#include <memory>

#include "rules/board_rules.h"
#include "rules/move_links.h"
#include "rules/move_node.h"
#include "rules/position.h"

namespace {

constexpr bool IsBoardSquare(int square) {
    return square >= 0 && square < kSquareCount;
}

// The castling moves: the king's squares, the squares that must be empty, the square
// the king passes, the rook's corner and the index of the right.
struct CastlingRule {
    int kingFrom;
    int kingTo;
    int emptyFrom;
    int emptyTo;
    int passed;
    int rookCorner;
    CastlingRight right;
};

constexpr CastlingRule kCastlingRules[kCastlingRightCount] = {
    {kE1, kG1, kF1, kG1, kF1, kH1, CastlingRight::WhiteKingSide},
    {kE1, kC1, kB1, kD1, kD1, kA1, CastlingRight::WhiteQueenSide},
    {kE8, kG8, kF8, kG8, kF8, kH8, CastlingRight::BlackKingSide},
    {kE8, kC8, kB8, kD8, kD8, kA8, CastlingRight::BlackQueenSide},
};

const CastlingRule* FindCastlingRule(PieceCode mover, int from, int to) {
    if (PieceType(mover) != kKing) {
        return nullptr;
    }
    for (const CastlingRule& rule : kCastlingRules) {
        const Colour colour = rule.kingFrom == kE1 ? kWhite : kBlack;
        if (rule.kingFrom == from && rule.kingTo == to && PieceColour(mover) == colour) {
            return &rule;
        }
    }
    return nullptr;
}

// The right is held, the rook stands on its corner and the squares between are empty.
bool CastlingSquaresReady(const Position& position, const CastlingRule& rule) {
    if (!position.HasCastlingRight(rule.right) ||
        position.GetSquare(rule.rookCorner) != position.sideToMove() + kRook) {
        return false;
    }
    for (int s = rule.emptyFrom; s <= rule.emptyTo; ++s) {
        if (position.GetSquare(s) != kEmpty) {
            return false;
        }
    }
    return true;
}

// The right each corner and king square stands for, cleared when a move starts or
// ends there (a rook that is taken cannot castle any more).
void ClearCastlingRights(Position& child, int from, int to) {
    auto clearFor = [&child](int square) {
        switch (square) {
            case kE1:
                child.SetCastlingRight(CastlingRight::WhiteKingSide, false);
                child.SetCastlingRight(CastlingRight::WhiteQueenSide, false);
                break;
            case kH1:
                child.SetCastlingRight(CastlingRight::WhiteKingSide, false);
                break;
            case kA1:
                child.SetCastlingRight(CastlingRight::WhiteQueenSide, false);
                break;
            case kE8:
                child.SetCastlingRight(CastlingRight::BlackKingSide, false);
                child.SetCastlingRight(CastlingRight::BlackQueenSide, false);
                break;
            case kH8:
                child.SetCastlingRight(CastlingRight::BlackKingSide, false);
                break;
            case kA8:
                child.SetCastlingRight(CastlingRight::BlackQueenSide, false);
                break;
            default:
                break;
        }
    };
    clearFor(from);
    if (to == kA1 || to == kH1 || to == kA8 || to == kH8) {
        clearFor(to);
    }
}

int ChoosePromotion(int requested, const PromotionChooser& chooser) {
    auto isPromotionType = [](int type) { return type >= kRook && type <= kQueen; };
    if (isPromotionType(requested)) {
        return requested;
    }
    if (chooser) {
        const int chosen = chooser();
        if (isPromotionType(chosen)) {
            return chosen;
        }
    }
    return kQueen;
}

void ApplyPromotion(MoveNode& node, PieceCode mover, int requested,
                    const PromotionChooser& chooser) {
    const bool reachesLastRank = (mover == kPawn && RankOf(node.to) == kRank8) ||
                                 (mover == kBlack + kPawn && RankOf(node.to) == kRank1);
    if (!reachesLastRank) {
        return;
    }
    const int type = ChoosePromotion(requested, chooser);
    node.promotion = static_cast<std::uint8_t>(type);
    node.child->SetSquare(node.to, static_cast<PieceCode>(type + PieceColour(mover)));
}

}  // namespace

void Position::ForgetTests() {
    tested_ = TestedMove{};
    inCheck_ = kUnknown;
    otherKingSafe_ = kUnknown;
    sideToMoveKing_ = kUnknownSquare;
    candidateCode_ = kEmpty;
}

bool Position::CanReach(int from, int to) const {
    return IsBoardSquare(from) && IsBoardSquare(to) && board_rules::CanReach(squares_, from, to);
}

bool Position::IsPathClear(int from, int to, int step) const {
    return IsBoardSquare(from) && board_rules::IsPathClear(squares_, from, to, step);
}

bool Position::IsAttacked(Colour colour, int square) const {
    if (square == -1) {
        square = board_rules::FindPiece(squares_, static_cast<PieceCode>(colour + kKing));
        if (square < 0) {
            return false;
        }
    }
    return IsBoardSquare(square) &&
           board_rules::IsAttacked(squares_, colour, square, board_rules::PawnRule::Movement);
}

int Position::FindCandidates(PieceCode pieceCode, int exclude, int target,
                             std::array<Square, 64>& out) const {
    if (pieceCode == kEmpty) {
        if (!IsBoardSquare(exclude)) {
            return 0;
        }
        pieceCode = squares_[exclude];
    }
    if (pieceCode == kEmpty || !IsBoardSquare(target)) {
        return 0;
    }
    if (candidateCode_ != pieceCode || candidateTarget_ != target) {
        std::array<Square, 64> found;  // NOLINT(cppcoreguidelines-pro-type-member-init)
        const int foundCount = board_rules::FindReachingPieces(squares_, pieceCode, target, found);
        candidateSquares_ = 0;
        for (int i = 0; i < foundCount; ++i) {
            candidateSquares_ |= std::uint64_t{1} << found[i];
        }
        candidateCode_ = pieceCode;
        candidateTarget_ = static_cast<Square>(target);
    }
    // The squares come out in ascending order, as FindReachingPieces gives them.
    std::uint64_t remaining = candidateSquares_;
    if (IsBoardSquare(exclude)) {
        remaining &= ~(std::uint64_t{1} << exclude);
    }
    int count = 0;
    for (; remaining != 0; remaining &= remaining - 1) {
        out[count++] = static_cast<Square>(std::countr_zero(remaining));
    }
    return count;
}

bool Position::IsLegal(int from, int to) {
    if (!IsBoardSquare(from) || !IsBoardSquare(to)) {
        return false;
    }
    tested_ = {static_cast<Square>(from), static_cast<Square>(to), false};

    const PieceCode mover = squares_[from];
    if (mover == kEmpty || PieceColour(mover) != sideToMove_) {
        return false;
    }
    if (squares_[to] != kEmpty && PieceColour(squares_[to]) == sideToMove_) {
        return false;
    }

    bool legal = false;
    if (to == epSquare_ && PieceType(mover) == kPawn) {
        // Taking en passant is a diagonal step onto a square that counts as occupied.
        const PieceCode saved = squares_[to];
        squares_[to] = static_cast<PieceCode>(OtherColour(sideToMove_) + kPawn);
        legal = board_rules::CanReach(squares_, from, to);
        squares_[to] = saved;
    } else if (const CastlingRule* rule = FindCastlingRule(mover, from, to);
               rule != nullptr && CastlingSquaresReady(*this, *rule)) {
        legal = !IsInCheck() && !board_rules::IsAttacked(squares_, sideToMove_, rule->passed,
                                                         board_rules::PawnRule::Attack);
    } else {
        legal = board_rules::CanReach(squares_, from, to);
    }

    legal = legal && !LeavesKingAttacked(from, to);
    tested_.legal = legal;
    return legal;
}

bool Position::IsInCheck() const {
    if (inCheck_ == kUnknown) {
        inCheck_ = IsAttacked(sideToMove_, -1) ? 1 : 0;
    }
    return inCheck_ == 1;
}

int Position::SideToMoveKing() const {
    if (sideToMoveKing_ == kUnknownSquare) {
        sideToMoveKing_ = static_cast<std::int8_t>(
            board_rules::FindPiece(squares_, static_cast<PieceCode>(sideToMove_ + kKing)));
    }
    return sideToMoveKing_;
}

bool Position::LeavesKingAttacked(int from, int to) const {
    const int king = SideToMoveKing();
    if (king < 0) {
        return false;
    }
    // A piece other than the king that moves off every line through an unattacked king
    // opens no line onto it; only king moves, en passant (two squares empty) and moves
    // along such a line need the move played out.
    const PieceCode mover = squares_[from];
    const bool special =
        PieceType(mover) == kKing || (PieceType(mover) == kPawn && to == epSquare_);
    const int fileDistance = std::abs(FileOf(from) - FileOf(king));
    const int rankDistance = std::abs(RankOf(from) - RankOf(king));
    const bool onKingLine = fileDistance == 0 || rankDistance == 0 || fileDistance == rankDistance;
    const bool playOut = special || IsInCheck();
    if (!playOut && !onKingLine) {
        return false;
    }
    Board scratch = squares_;
    board_rules::MoveEffects ignored;
    board_rules::PlayOnBoard(scratch, from, to, epSquare_, ignored);
    if (!playOut) {
        return board_rules::LineOpenedOntoKing(scratch, king, from, sideToMove_);
    }
    const int kingAfter =
        PieceType(mover) == kKing
            ? board_rules::FindPiece(scratch, static_cast<PieceCode>(sideToMove_ + kKing))
            : king;
    return kingAfter >= 0 && board_rules::IsAttacked(scratch, sideToMove_, kingAfter,
                                                     board_rules::PawnRule::Movement);
}

bool Position::IsOtherKingSafe() const {
    if (otherKingSafe_ == kUnknown) {
        otherKingSafe_ = IsAttacked(OtherColour(sideToMove_), -1) ? 0 : 1;
    }
    return otherKingSafe_ == 1;
}

bool Position::MoveGivesCheck(const MoveNode& node, const Position& child) const {
    const int king = child.SideToMoveKing();
    if (king < 0) {
        return false;
    }
    // With the king safe before the move, only the moved piece itself or a line opened
    // through its from-square can attack it now; everything else is played out.
    const bool enPassant = node.isCapture && squares_[node.to] == kEmpty;
    const bool special = node.castling != CastlingSide::None || node.promotion != 0 || enPassant ||
                         PieceType(squares_[node.to]) == kKing || !IsOtherKingSafe();
    if (special) {
        return child.IsAttacked(child.sideToMove_, -1);
    }
    return board_rules::CanReach(child.squares_, node.to, king) ||
           board_rules::LineOpenedOntoKing(child.squares_, king, node.from, child.sideToMove_);
}

Position* Position::AddMove(int from, int to, MoveNode* replaced, int promotion,
                            const PromotionChooser& chooser) {
    if (!IsBoardSquare(from) || !IsBoardSquare(to)) {
        return nullptr;
    }
    if (replaced != nullptr && replaced->parent != this) {
        return nullptr;
    }
    // The move entry tests a move before it plays it: the answer is remembered.
    const bool legal = from == tested_.from && to == tested_.to ? tested_.legal : IsLegal(from, to);
    if (!legal) {
        return nullptr;
    }
    const PieceCode mover = squares_[from];
    MoveNodePtr owned = MakeChild(*this, from, to);
    MoveNode& node = *owned;
    Position& child = *node.child;
    ClearCastlingRights(child, from, to);

    if (replaced != nullptr) {
        ReplaceMove(std::move(owned), *replaced);
    } else {
        LinkNewMove(*this, std::move(owned));
    }
    ApplyPromotion(node, mover, promotion, chooser);
    node.givesCheck = MoveGivesCheck(node, child);
    child.inCheck_ = node.givesCheck ? 1 : 0;
    child.otherKingSafe_ = 1;  // the move was legal
    return &child;
}

Position* Position::FindMove(int from, int to, int promotion) const {
    for (MoveNode* move = firstMove.get(); move != nullptr; move = move->nextSibling.get()) {
        if (move->from == from && move->to == to && move->promotion == promotion) {
            return move->child.get();
        }
    }
    return nullptr;
}
