#include "game/game_document.h"

#include <algorithm>

#include "game/game_observer.h"
#include "game/move_tree.h"
#include "rules/move_node.h"

GameDocument::GameDocument(GamesFile* file) : gamesFile(file) {}

// Members go in reverse order of declaration: the extra tags, then the root with the
// whole tree, then (as bases) the tags.
GameDocument::~GameDocument() = default;

void GameDocument::GoToStart() {
    current = &root;
    NotifyViews();
}

void GameDocument::Reserved() {}

void GameDocument::GoBack() {
    if (current->incomingMove == nullptr) {
        return;
    }
    current = current->incomingMove->parent;
    NotifyViews();
}

void GameDocument::GoForward() {
    MoveNode* first = current->firstMove.get();
    if (first == nullptr) {
        return;
    }
    if (FirstAlternative(*first) == nullptr) {
        SetCurrent(first->child.get());
        return;
    }
    // Only the primary view can ask the user which line to follow.
    if (primaryView == nullptr) {
        return;
    }
    if (Position* chosen = primaryView->ChooseAlternative(first)) {
        SetCurrent(chosen);
    }
}

void GameDocument::GoToMainLine() {
    if (current->incomingMove == nullptr) {
        return;
    }
    if (MoveNode* branch = MainLineAtBranch(*current->incomingMove)) {
        SetCurrent(branch->child.get());
    }
}

void GameDocument::SetCurrent(Position* position) {
    // The current position must stay a node of the tree; a null one is refused.
    if (position == nullptr) {
        return;
    }
    current = position;
    NotifyViews();
}

void GameDocument::GoToLastMove() {
    // Through the interface, so that a wrapping controller sees the change.
    GameController& controller = *this;
    if (Position* last = FindLastMovePosition()) {
        controller.SetCurrent(last);
    } else {
        controller.GoToStart();
    }
}

Position* GameDocument::GetCurrent() {
    return current;
}

bool GameDocument::AttachView(GameObserver* view, bool primary) {
    if (view == nullptr) {
        return false;
    }
    if (primary) {
        if (primaryView != nullptr) {
            return false;
        }
        primaryView = view;
        return true;
    }
    if (viewCount >= kMaxSecondaryViews) {
        return false;
    }
    views[static_cast<std::size_t>(viewCount)] = view;
    ++viewCount;
    return true;
}

void GameDocument::DetachView(GameObserver* view) {
    if (view == nullptr) {
        return;
    }
    if (primaryView == view) {
        primaryView = nullptr;
    }
    // A view that goes away must leave no pointer behind, wherever it was attached.
    auto end = views.begin() + viewCount;
    auto kept = std::remove(views.begin(), end, view);
    std::fill(kept, end, nullptr);
    viewCount = static_cast<int>(kept - views.begin());
}

void GameDocument::NotifyViews() {
    if (primaryView != nullptr) {
        primaryView->OnCurrentChanged(current);
    }
    for (int i = 0; i < viewCount; ++i) {
        views[static_cast<std::size_t>(i)]->OnCurrentChanged(current);
    }
}

Position* GameDocument::FindLastMovePosition() {
    if (lastMove == 0) {
        return &root;
    }
    const Colour lastMover = OtherColour(static_cast<Colour>(trait == kWhite ? kWhite : kBlack));
    // The move numbers stored in the tree are one byte; counting along the line gives
    // the full number, which the byte only repeats modulo 256.
    unsigned number = root.moveNumber;
    for (MoveNode* move = root.firstMove.get(); move != nullptr;
         move = move->child->firstMove.get()) {
        if (move->parent->sideToMove() == kWhite) {
            ++number;
        }
        if (number == lastMove && MoverColour(*move) == lastMover) {
            return move->child.get();
        }
    }
    return nullptr;
}

void GameDocument::AppendExtraTag(std::u16string name, std::u16string value) {
    auto tag = std::make_unique<ExtraTag>(std::move(name), std::move(value));
    ExtraTag* added = tag.get();
    if (!extraTags) {
        extraTags = std::move(tag);
    } else {
        // Start from the last record appended here, so that a long list is not walked
        // again for every tag.
        ExtraTag* last = lastExtraTag_ != nullptr ? lastExtraTag_ : extraTags.get();
        while (last->next) {
            last = last->next.get();
        }
        last->next = std::move(tag);
    }
    lastExtraTag_ = added;
}

void GameDocument::ClearExtraTags() {
    extraTags.reset();
    lastExtraTag_ = nullptr;
}
