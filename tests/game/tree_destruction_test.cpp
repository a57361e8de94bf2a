#include <gtest/gtest.h>

#include <memory>

#include "tests/support/allocation_counter.h"
#include "game/game_document.h"
#include "game/move_tree.h"
#include "tests/support/tree_test_support.h"

namespace {

constexpr int kNestingLevels = 10000;

// Counts what a display-order walk reports, without keeping the moves.
class CountingVisitor : public DisplayOrderVisitor {
public:
    void OnMove(const MoveNode& /*move*/) override { ++moves; }
    void OnVariationStart(const MoveNode& /*first*/) override {
        ++starts;
        ++open;
        deepest = std::max(deepest, open);
    }
    void OnVariationEnd(const MoveNode& /*first*/) override { --open; }

    long moves = 0;
    long starts = 0;
    long open = 0;
    long deepest = 0;
};

}  // namespace

TEST(TreeDestruction, EveryPositionAndMoveIsFreedExactlyOnce) {
    const std::int64_t baseline = LiveAllocations();
    auto root = std::make_unique<Position>();
    PlayLine(*root, {"e4", "e5", "Nf3"});
    PlayLine(*root, {"d4", "d5", "c4"});
    PlayLine(*root, {"e4", "c5", "Nf3", "d6"});  // reuses 1.e4
    ASSERT_EQ(CountMoves(*root), 9u);
    // The root, then one Position and one MoveNode per move.
    EXPECT_EQ(LiveAllocations(root.get()) - baseline, 1 + 2 * 9);

    UnlinkMove(MoveTo(root->FindMove(Sq("d2"), Sq("d4"), 0)));  // destroyed at once
    EXPECT_EQ(LiveAllocations(root.get()) - baseline, 1 + 2 * 6) << "d4, d5 and c4 are freed";
    EXPECT_TRUE(TreeInvariantsHold(*root));

    ASSERT_NE(root->AddMove(Sq("f2"), Sq("f4"), root->firstMove.get(), 0), nullptr);
    EXPECT_EQ(LiveAllocations(root.get()) - baseline, 1 + 2 * 1)
        << "replacing e4 frees its 6 moves";
    EXPECT_TRUE(TreeInvariantsHold(*root));

    root.reset();
    EXPECT_EQ(LiveAllocations(), baseline);
}

TEST(TreeDestruction, DocumentFreesTreeTagsAndExtraTags) {
    const std::int64_t baseline = LiveAllocations();
    {
        auto document = std::make_unique<GameDocument>(nullptr);
        PlayLine(document->root, {"e4", "e5"});
        PlayLine(document->root, {"d4", "d5"});
        document->SetEvent(u"A correspondence event with a name too long for small strings");
        document->AppendExtraTag(u"Annotator", u"Somebody with a rather long name indeed");
        document->AppendExtraTag(u"ECO", u"C20");
        document->SetCurrent(document->root.firstMove->child.get());
        EXPECT_GT(LiveAllocations(), baseline);
    }
    EXPECT_EQ(LiveAllocations(), baseline);
}

TEST(TreeDestruction, NestedVariationsTenThousandDeep) {
    const std::int64_t baseline = LiveAllocations();
    auto root = std::make_unique<Position>();
    Position* deepest = NestVariations(*root, kNestingLevels);
    ASSERT_NE(deepest, nullptr);
    ASSERT_EQ(CountMoves(*root), 2u * kNestingLevels);
    EXPECT_EQ(MoveTo(deepest).depth, kNestingLevels % 256) << "the one-byte depth wraps";
    EXPECT_TRUE(TreeInvariantsHold(*root));

    CountingVisitor counts;
    RunOnSmallStack([&] { WalkDisplayOrder(root->firstMove.get(), counts); });
    EXPECT_EQ(counts.moves, 2 * kNestingLevels);
    EXPECT_EQ(counts.starts, kNestingLevels);
    EXPECT_EQ(counts.open, 0) << "every variation that starts also ends";
    EXPECT_EQ(counts.deepest, kNestingLevels);

    RunOnSmallStack([&] { RenumberDepths(*root->firstMove, 0); });
    EXPECT_TRUE(TreeInvariantsHold(*root));

    // The deepest line climbs one level although its one-byte depth reads 16.
    RunOnSmallStack([&] { PromoteVariation(*deepest->incomingMove); });
    EXPECT_TRUE(TreeInvariantsHold(*root));
    EXPECT_FALSE(IsAlternative(MoveTo(deepest)));

    RunOnSmallStack([&] { root.reset(); });
    EXPECT_EQ(LiveAllocations(), baseline);
}

TEST(TreeDestruction, UnlinkedNestedVariationIsDestroyedWithoutRecursion) {
    auto root = std::make_unique<Position>();
    ASSERT_NE(NestVariations(*root, kNestingLevels), nullptr);
    const std::int64_t before = LiveAllocations(root.get());
    RunOnSmallStack([&] { UnlinkMove(*root->firstMove->nextSibling); });
    EXPECT_EQ(LiveAllocations(root.get()), before - 2 * (2 * kNestingLevels - 1));
    EXPECT_EQ(CountMoves(*root), 1u);
    EXPECT_TRUE(TreeInvariantsHold(*root));
}
