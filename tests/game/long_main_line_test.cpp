#include <gtest/gtest.h>

#include <memory>

#include "tests/support/allocation_counter.h"
#include "game/game_document.h"
#include "game/move_tree.h"
#include "tests/support/tree_test_support.h"

namespace {

constexpr int kPlies = 1000000;

class CountingVisitor : public DisplayOrderVisitor {
public:
    void OnMove(const MoveNode& /*move*/) override { ++moves; }
    void OnVariationStart(const MoveNode& /*first*/) override { ++variations; }

    long moves = 0;
    long variations = 0;
};

}  // namespace

// A game whose main line has a million plies is walked, renumbered, searched and
// destroyed on a stack far too small for any recursion along the line.
TEST(LongMainLine, MillionPliesAreWalkedAndDestroyedWithoutRecursion) {
    const std::int64_t baseline = LiveAllocations();
    auto document = std::make_unique<GameDocument>(nullptr);
    Position* end = ShuffleKnights(document->root, kPlies);
    ASSERT_NE(end, nullptr);
    Position* side = PlayLine(*end->incomingMove->parent, {"Nc6"});  // one variation at the end
    ASSERT_EQ(MoveTo(side).depth, 1);

    CountingVisitor counts;
    RunOnSmallStack([&] { WalkDisplayOrder(document->root.firstMove.get(), counts); });
    EXPECT_EQ(counts.moves, kPlies + 1);
    EXPECT_EQ(counts.variations, 1);

    RunOnSmallStack([&] { PromoteVariation(MoveTo(side)); });
    EXPECT_EQ(MoveTo(side).depth, 0);
    EXPECT_EQ(MoveTo(end).depth, 1);
    RunOnSmallStack([&] { RenumberDepths(*document->root.firstMove, 0); });
    EXPECT_EQ(MoveTo(end).depth, 1);
    EXPECT_EQ(MoveTo(document->root.firstMove->child.get()).depth, 0);

    // Move 60,000 lies far beyond what the one-byte move numbers can tell apart.
    document->lastMove = 60000;
    document->trait = kBlack;
    Position* found = document->FindLastMovePosition();
    ASSERT_NE(found, nullptr);
    int plies = 0;
    for (Position* p = found; p->incomingMove != nullptr; p = p->incomingMove->parent) {
        ++plies;
    }
    EXPECT_EQ(plies, 2 * 60000 - 1);

    RunOnSmallStack([&] { document.reset(); });
    EXPECT_EQ(LiveAllocations(), baseline);
}
