#include "rules/position.h"

#include <new>
#include <vector>

#include "rules/board_rules.h"
#include "rules/move_node.h"
#include "rules/notation.h"

namespace {

constexpr Position::Board kStandardBoard = [] {
    Position::Board board{};
    constexpr PieceCode kBackRank[8] = {kRook, kKnight, kBishop, kQueen,
                                        kKing, kBishop, kKnight, kRook};
    for (int file = 0; file < 8; ++file) {
        board[MakeSquare(file, 0)] = kBackRank[file];
        board[MakeSquare(file, 1)] = kPawn;
        board[MakeSquare(file, 6)] = kBlack + kPawn;
        board[MakeSquare(file, 7)] = kBlack + kBackRank[file];
    }
    return board;
}();

}  // namespace

Position::Position() {
    InitStandard();
}

Position::Position(ChildTag /*tag*/, const Position& parent)
    : squares_(parent.squares_), castleRights_(parent.castleRights_), pools_(parent.pools_) {}

void JoinComment(std::optional<std::u16string>& comment, std::u16string_view text) {
    if (!comment || comment->empty()) {
        comment = std::u16string(text);
    } else if (!text.empty()) {
        *comment += u' ';
        *comment += text;
    }
}

Position::~Position() {
    DestroyMoveList(std::move(firstMove));
}

void Position::ClearBoard() {
    squares_.fill(kEmpty);
    castleRights_.fill(false);
    ForgetTests();
}

void Position::InitStandard() {
    DestroyMoveList(std::move(firstMove));
    squares_ = kStandardBoard;
    castleRights_.fill(true);
    epSquare_ = kNoSquare;
    sideToMove_ = kWhite;
    ForgetTests();
    positionNag = 0;
    moveNumber = 0;
    setUp = false;
    halfMoveClock = 0;
    fullMoveNumber = 0;
    comment.reset();
    incomingMove = nullptr;
}

MoveNodePtr Position::MakeChild(Position& parent, int from, int to) {
    if (parent.pools_ == nullptr) {
        parent.ownPools_ = std::make_unique<TreePools>();
        parent.pools_ = parent.ownPools_.get();
    }
    TreePools& pools = *parent.pools_;
    PositionPtr child(new (pools.positions.Allocate()) Position(ChildTag{}, parent));
    child->sideToMove_ = OtherColour(parent.sideToMove_);
    child->moveNumber = static_cast<std::uint8_t>(
        child->sideToMove_ == kBlack ? parent.moveNumber + 1 : parent.moveNumber);
    Position& position = *child;
    MoveNodePtr node(new (pools.moves.Allocate())
                         MoveNode(&parent, std::move(child), from, to, position.moveNumber));
    position.incomingMove = node.get();

    board_rules::MoveEffects effects;
    board_rules::PlayOnBoard(position.squares_, from, to, parent.epSquare_, effects);
    node->isCapture = effects.isCapture != 0;
    node->castling = effects.castling;
    position.epSquare_ = static_cast<Square>(effects.newEpSquare);
    return node;
}

MoveNode::MoveNode(Position* parentPosition, PositionPtr childPosition, int from, int to,
                   std::uint8_t number) noexcept
    : from(static_cast<Square>(from)),
      to(static_cast<Square>(to)),
      moveNumber(number),
      disambiguation(ComputeDisambiguation(*parentPosition, from, to)),
      parent(parentPosition),
      child(std::move(childPosition)) {}

MoveNode::~MoveNode() {
    DestroyMoveList(std::move(nextSibling));
}

void DestroyMoveList(MoveNodePtr first) {
    if (!first) {
        return;
    }
    // Detach every node before it dies, so that no destructor has anything left
    // below it to destroy: the depth of the tree never reaches the call stack.
    std::vector<MoveNodePtr> pending;
    pending.push_back(std::move(first));
    while (!pending.empty()) {
        MoveNodePtr node = std::move(pending.back());
        pending.pop_back();
        if (node->nextSibling) {
            pending.push_back(std::move(node->nextSibling));
        }
        if (node->child && node->child->firstMove) {
            pending.push_back(std::move(node->child->firstMove));
        }
    }
}
