#include "rules/move_links.h"

#include "rules/move_node.h"
#include "rules/position.h"

std::uint8_t IncomingDepth(const Position& position) {
    return position.incomingMove != nullptr ? position.incomingMove->depth : 0;
}

void LinkNewMove(Position& position, MoveNodePtr move) {
    const std::uint8_t depth = IncomingDepth(position);
    if (!position.firstMove) {
        move->depth = depth;
        move->prevSibling = nullptr;
        position.firstMove = std::move(move);
        return;
    }
    AppendAlternative(*position.firstMove, std::move(move), depth);
}

void AppendAlternative(MoveNode& head, MoveNodePtr move, std::uint8_t d) {
    MoveNode* last = &head;
    while (last->nextSibling) {
        last = last->nextSibling.get();
    }
    move->depth = static_cast<std::uint8_t>(d + 1);
    move->prevSibling = last;
    last->nextSibling = std::move(move);
}

void ReplaceMove(MoveNodePtr replacement, MoveNode& old) {
    replacement->depth = old.depth;
    replacement->prevSibling = old.prevSibling;
    replacement->nextSibling = std::move(old.nextSibling);
    if (replacement->nextSibling) {
        replacement->nextSibling->prevSibling = replacement.get();
    }
    MoveNodePtr& slot =
        old.prevSibling != nullptr ? old.prevSibling->nextSibling : old.parent->firstMove;
    MoveNodePtr doomed = std::move(slot);
    slot = std::move(replacement);
    doomed->prevSibling = nullptr;
}
