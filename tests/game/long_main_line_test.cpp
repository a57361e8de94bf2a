#include <gtest/gtest.h>

#include <memory>

#include "game/game_document.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/tree_test_support.h"

// A main line of a million plies is walked, raised, renumbered, searched and freed on a
// stack far too small for any recursion along the line.
TEST(LongMainLine, MillionPliesNeedNoRecursion) {
    constexpr int kPlies = 1000000;
    const std::int64_t baseline = LiveAllocations();
    auto document = std::make_unique<GameDocument>(nullptr);
    Position* end = NestVariations(document->root, kPlies, false);
    ASSERT_NE(end, nullptr);
    Position* side = PlayLine(*end->incomingMove->parent, {"Nc6"});  // one variation at the end
    struct Counter : DisplayOrderVisitor {
        void OnMove(const MoveNode& /*move*/) override { ++moves; }
        void OnVariationStart(const MoveNode& /*first*/) override { ++variations; }
        int moves = 0, variations = 0;
    } counts;
    RunOnSmallStack([&] { WalkDisplayOrder(document->root.firstMove.get(), counts); });
    EXPECT_EQ(counts.moves, kPlies + 1);
    EXPECT_EQ(counts.variations, 1);
    RunOnSmallStack([&] { PromoteVariation(*side->incomingMove); });
    RunOnSmallStack([&] { RenumberDepths(*document->root.firstMove, 0); });
    EXPECT_EQ(side->incomingMove->depth, 0);
    EXPECT_EQ(end->incomingMove->depth, 1);
    EXPECT_TRUE(TreeInvariantsHold(document->root));
    // Move 60,000 lies far beyond what the one-byte move numbers tell apart.
    document->lastMove = 60000;
    document->trait = kBlack;
    int plies = 0;
    for (Position* p = document->FindLastMovePosition(); p != nullptr && p->incomingMove;
         p = p->incomingMove->parent) {
        ++plies;
    }
    EXPECT_EQ(plies, 2 * 60000 - 1);
    RunOnSmallStack([&] { document.reset(); });
    EXPECT_EQ(LiveAllocations(), baseline);
}
