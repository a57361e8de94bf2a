#include "game/move_tree.h"

#include <utility>
#include <vector>

#include "rules/move_node.h"
#include "rules/position.h"

bool IsAlternative(const MoveNode& move) {
    return move.prevSibling != nullptr;
}

MoveNode* FirstAlternative(const MoveNode& move) {
    return IsAlternative(move) ? nullptr : move.nextSibling.get();
}

MoveNode* NextAlternative(const MoveNode& move) {
    return IsAlternative(move) ? move.nextSibling.get() : nullptr;
}

Colour MoverColour(const MoveNode& move) {
    return PieceColour(move.parent->GetSquare(move.from));
}

MoveNodePtr UnlinkMove(MoveNode& move) {
    if (!IsAlternative(move)) {
        // The first move keeps its alternatives: they all go with it.
        return std::move(move.parent->firstMove);
    }
    MoveNode* previous = move.prevSibling;
    MoveNodePtr unlinked = std::move(previous->nextSibling);
    previous->nextSibling = std::move(move.nextSibling);
    if (previous->nextSibling) {
        previous->nextSibling->prevSibling = previous;
    }
    move.prevSibling = nullptr;
    return unlinked;
}

void PromoteVariation(MoveNode& move) {
    // Climb to the alternative that opens the variation holding `move`. Depths are
    // not trusted for this: they wrap in very deep nesting.
    MoveNode* opening = &move;
    while (opening != nullptr && !IsAlternative(*opening)) {
        opening = opening->parent->incomingMove;
    }
    if (opening == nullptr) {
        return;  // on the main line already
    }
    Position& position = *opening->parent;
    MoveNode* previous = opening->prevSibling;
    MoveNodePtr raised = std::move(previous->nextSibling);
    previous->nextSibling = std::move(raised->nextSibling);
    if (previous->nextSibling) {
        previous->nextSibling->prevSibling = previous;
    }
    raised->nextSibling = std::move(position.firstMove);
    raised->nextSibling->prevSibling = raised.get();
    raised->prevSibling = nullptr;
    position.firstMove = std::move(raised);
    RenumberDepths(*position.firstMove, IncomingDepth(position));
}

void RenumberDepths(MoveNode& move, std::uint8_t d) {
    // Lists still to renumber, each with the depth of its first move.
    std::vector<std::pair<MoveNode*, std::uint8_t>> pending;
    pending.emplace_back(&move, d);
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        for (; node != nullptr; node = node->nextSibling.get()) {
            node->depth = depth;
            if (node->child && node->child->firstMove) {
                pending.emplace_back(node->child->firstMove.get(), depth);
            }
            if (!IsAlternative(*node)) {
                depth = static_cast<std::uint8_t>(depth + 1);
            }
        }
    }
}

MoveNode* MainLineAtBranch(MoveNode& move) {
    for (MoveNode* node = &move; node != nullptr; node = node->parent->incomingMove) {
        if (IsAlternative(*node)) {
            return node->parent->firstMove.get();
        }
    }
    return nullptr;
}

namespace {

// One step of the display-order walk still to do.
struct WalkStep {
    enum class Kind {
        Line,            // a first move, its alternatives, then its continuation
        Alternative,     // one alternative with its line, then the ones after it
        EndOfVariation,  // closes the variation that `move` opened
    };
    Kind kind;
    const MoveNode* move;
};

const MoveNode* Continuation(const MoveNode& move) {
    return move.child ? move.child->firstMove.get() : nullptr;
}

}  // namespace

void WalkDisplayOrder(const MoveNode* first, DisplayOrderVisitor& visitor) {
    if (first == nullptr) {
        return;
    }
    // The steps are kept on the heap in reverse order of execution: the stack grows
    // with the nesting of variations only, never with the length of a line.
    std::vector<WalkStep> pending;
    pending.push_back({WalkStep::Kind::Line, first});
    while (!pending.empty()) {
        const WalkStep step = pending.back();
        pending.pop_back();
        const MoveNode& move = *step.move;
        switch (step.kind) {
            case WalkStep::Kind::Line:
                visitor.OnMove(move);
                if (const MoveNode* next = Continuation(move)) {
                    pending.push_back({WalkStep::Kind::Line, next});
                }
                if (move.nextSibling) {
                    pending.push_back({WalkStep::Kind::Alternative, move.nextSibling.get()});
                }
                break;
            case WalkStep::Kind::Alternative:
                visitor.OnVariationStart(move);
                visitor.OnMove(move);
                if (move.nextSibling) {
                    pending.push_back({WalkStep::Kind::Alternative, move.nextSibling.get()});
                }
                pending.push_back({WalkStep::Kind::EndOfVariation, &move});
                if (const MoveNode* next = Continuation(move)) {
                    pending.push_back({WalkStep::Kind::Line, next});
                }
                break;
            case WalkStep::Kind::EndOfVariation:
                visitor.OnVariationEnd(move);
                break;
        }
    }
}
