#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/move_tree.h"
#include "tests/support/tree_test_support.h"

using Strings = std::vector<std::string>;

namespace {

// The depth of every move of a list, in list order.
std::vector<int> DepthsOf(const Position& position) {
    std::vector<int> out;
    for (const MoveNode* m = position.firstMove.get(); m != nullptr; m = m->nextSibling.get()) {
        out.push_back(m->depth);
    }
    return out;
}

// 1.e4 e5 2.Nf3, 1.d4 d5 and 1.c4 e5 (1...c5 2.Nf3) 2.Nc3 from the root.
struct ThreeOpenings {
    Position root;
    Position* afterE4 = PlayLine(root, {"e4"});
    Position* afterNf3 = PlayLine(*afterE4, {"e5", "Nf3"});
    Position* afterD4 = PlayLine(root, {"d4"});
    Position* afterD5 = PlayLine(*afterD4, {"d5"});
    Position* afterC4 = PlayLine(root, {"c4"});
    Position* afterNc3 = PlayLine(*afterC4, {"e5", "Nc3"});
    Position* afterC5Nf3 = PlayLine(*afterC4, {"c5", "Nf3"});
};

}  // namespace

TEST(TreeBuilding, AlternativesFromTheRootAreOneLevelDeeper) {
    Position root;
    Position* afterE4 = PlayLine(root, {"e4"});
    Position* afterD4 = PlayLine(root, {"d4"});
    PlayLine(root, {"c4"});
    EXPECT_EQ(ListOf(root), (Strings{"e4", "d4", "c4"}));
    EXPECT_EQ(DepthsOf(root), (std::vector<int>{0, 1, 1}));

    PlayLine(*afterD4, {"e5"});
    PlayLine(*afterD4, {"d5"});
    EXPECT_EQ(DepthsOf(*afterD4), (std::vector<int>{1, 2})) << "a reply inside a variation";
    PlayLine(*afterE4, {"e5"});
    EXPECT_EQ(DepthsOf(*afterE4), (std::vector<int>{0}));
    EXPECT_TRUE(TreeInvariantsHold(root));
}

TEST(DisplayOrder, VariationComesBeforeTheContinuation) {
    Position root;
    Position* afterE4 = PlayLine(root, {"e4"});
    PlayLine(root, {"d4", "d5"});
    PlayLine(*afterE4, {"e5"});
    EXPECT_TRUE(TreeInvariantsHold(root));
    EXPECT_EQ(DisplayOrder(root), (Strings{"e4/0", "(", "d4/1", "d5/1", ")", "e5/0"}));
}

TEST(DisplayOrder, NestedVariationsAndSeveralAlternatives) {
    // 1.e4 e5 (1...c5 2.Nf3 (2.Nc3 Nc6) 2...d6) (1...e6) 2.Nf3
    Position root;
    Position* afterE4 = PlayLine(root, {"e4"});
    PlayLine(*afterE4, {"e5", "Nf3"});
    Position* afterC5 = PlayLine(*afterE4, {"c5"});
    PlayLine(*afterC5, {"Nf3", "d6"});
    PlayLine(*afterC5, {"Nc3", "Nc6"});
    PlayLine(*afterE4, {"e6"});
    EXPECT_TRUE(TreeInvariantsHold(root));
    EXPECT_EQ(DisplayOrder(root), (Strings{"e4/0", "e5/0", "(", "c5/1", "Nf3/1", "(", "Nc3/2",
                                           "Nc6/2", ")", "d6/1", ")", "(", "e6/1", ")", "Nf3/0"}));
}

TEST(DisplayOrder, EmptyTreeVisitsNothing) {
    Position root;
    EXPECT_TRUE(DisplayOrder(root).empty());
}

TEST(DisplayOrder, WalkFromAnInnerLineCoversOnlyThatLine) {
    ThreeOpenings tree;
    DisplayOrderRecorder recorder;
    WalkDisplayOrder(tree.afterC4->firstMove.get(), recorder);
    EXPECT_EQ(recorder.items, (Strings{"e5/1", "(", "c5/2", "Nf3/2", ")", "Nc3/1"}));
}

TEST(AlternativeQueries, FirstAndNextAlternativeDependOnThePlaceInTheList) {
    ThreeOpenings tree;
    MoveNode& e4 = *tree.root.firstMove;
    MoveNode& d4 = *e4.nextSibling;
    MoveNode& c4 = *d4.nextSibling;
    EXPECT_FALSE(IsAlternative(e4));
    EXPECT_TRUE(IsAlternative(d4));
    EXPECT_TRUE(IsAlternative(c4));
    EXPECT_EQ(FirstAlternative(e4), &d4);
    EXPECT_EQ(FirstAlternative(d4), nullptr);
    EXPECT_EQ(NextAlternative(e4), nullptr);
    EXPECT_EQ(NextAlternative(d4), &c4);
    EXPECT_EQ(NextAlternative(c4), nullptr);
    EXPECT_EQ(FirstAlternative(MoveTo(tree.afterNf3)), nullptr) << "a move without siblings";
}

TEST(AlternativeQueries, MoverColourIsThePieceOnTheFromSquare) {
    ThreeOpenings tree;
    EXPECT_EQ(MoverColour(*tree.root.firstMove), kWhite);
    EXPECT_EQ(MoverColour(MoveTo(tree.afterD5)), kBlack);
    EXPECT_EQ(MoverColour(MoveTo(tree.afterNf3)), kWhite);
}

TEST(PromoteVariation, AlternativeAtDepthOneBecomesTheMainLine) {
    ThreeOpenings tree;
    PromoteVariation(MoveTo(tree.afterC4));
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
    EXPECT_EQ(ListOf(tree.root), (Strings{"c4", "e4", "d4"}));
    EXPECT_EQ(DepthsOf(tree.root), (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(MoveTo(tree.afterNf3).depth, 1) << "below e4: one level deeper";
    EXPECT_EQ(MoveTo(tree.afterNc3).depth, 0) << "below c4: one level shallower";
    EXPECT_EQ(MoveTo(tree.afterC5Nf3).depth, 1) << "a variation below c4 rises too";
    EXPECT_EQ(MoveTo(tree.afterD5).depth, 1) << "d4 keeps its level";
}

TEST(PromoteVariation, PromotingFromInsideALineRaisesTheWholeLine) {
    ThreeOpenings tree;
    PromoteVariation(MoveTo(tree.afterNc3));  // 2.Nc3, deep inside the c4 line
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
    EXPECT_EQ(ListOf(tree.root), (Strings{"c4", "e4", "d4"}));
}

TEST(PromoteVariation, DepthTwoLineNeedsTwoCallsToReachTheMainLine) {
    // 1.e4 e5 (1...c5 2.Nf3 (2.Nc3 Nc6))
    Position root;
    Position* afterE4 = PlayLine(root, {"e4"});
    Position* afterE5 = PlayLine(*afterE4, {"e5"});
    Position* afterC5 = PlayLine(*afterE4, {"c5"});
    Position* afterNf3 = PlayLine(*afterC5, {"Nf3"});
    Position* afterNc6 = PlayLine(*afterC5, {"Nc3", "Nc6"});
    ASSERT_EQ(MoveTo(afterNc6).depth, 2);

    PromoteVariation(MoveTo(afterNc6));
    EXPECT_TRUE(TreeInvariantsHold(root));
    EXPECT_EQ(ListOf(*afterC5), (Strings{"Nc3", "Nf3"}));
    EXPECT_EQ(MoveTo(afterNc6).depth, 1);
    EXPECT_EQ(MoveTo(afterNf3).depth, 2);
    EXPECT_EQ(ListOf(*afterE4), (Strings{"e5", "c5"})) << "the outer level is untouched";

    PromoteVariation(MoveTo(afterNc6));
    EXPECT_TRUE(TreeInvariantsHold(root));
    EXPECT_EQ(ListOf(*afterE4), (Strings{"c5", "e5"}));
    EXPECT_EQ(MoveTo(afterNc6).depth, 0);
    EXPECT_EQ(MoveTo(afterNf3).depth, 1);
    EXPECT_EQ(MoveTo(afterE5).depth, 1);
    EXPECT_EQ(DisplayOrder(root),
              (Strings{"e4/0", "c5/0", "(", "e5/1", ")", "Nc3/0", "(", "Nf3/1", ")", "Nc6/0"}));
}

TEST(PromoteVariation, MiddleAlternativeMovesToTheHeadKeepingTheOthersInOrder) {
    ThreeOpenings tree;
    PromoteVariation(MoveTo(tree.afterD4));
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
    EXPECT_EQ(ListOf(tree.root), (Strings{"d4", "e4", "c4"}));
}

TEST(PromoteVariation, MainLineMoveIsLeftAlone) {
    ThreeOpenings tree;
    const Strings before = DisplayOrder(tree.root);
    PromoteVariation(MoveTo(tree.afterNf3));
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
    EXPECT_EQ(DisplayOrder(tree.root), before);
}

TEST(UnlinkMove, AlternativeLeavesAloneAndTheRestStays) {
    ThreeOpenings tree;
    MoveNode& d4 = MoveTo(tree.afterD4);
    MoveNodePtr unlinked = UnlinkMove(d4);
    ASSERT_EQ(unlinked.get(), &d4);
    EXPECT_EQ(unlinked->nextSibling, nullptr);
    EXPECT_EQ(unlinked->prevSibling, nullptr);
    EXPECT_EQ(unlinked->parent, &tree.root) << "the caller still finds where it was";
    EXPECT_EQ(ListOf(tree.root), (Strings{"e4", "c4"}));
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
    unlinked.reset();
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
    EXPECT_EQ(CountMoves(tree.root), 8u);
}

TEST(UnlinkMove, LastAlternativeLeavesTheListClosed) {
    ThreeOpenings tree;
    MoveNodePtr unlinked = UnlinkMove(MoveTo(tree.afterC4));
    EXPECT_EQ(ListOf(tree.root), (Strings{"e4", "d4"}));
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
}

TEST(UnlinkMove, FirstMoveTakesEveryAlternativeWithIt) {
    ThreeOpenings tree;
    MoveNodePtr unlinked = UnlinkMove(*tree.root.firstMove);
    EXPECT_EQ(tree.root.firstMove, nullptr);
    ASSERT_NE(unlinked, nullptr);
    EXPECT_EQ(San(*unlinked), "e4");
    ASSERT_NE(unlinked->nextSibling, nullptr);
    EXPECT_EQ(San(*unlinked->nextSibling), "d4");
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
    EXPECT_EQ(CountMoves(tree.root), 0u);
}

TEST(UnlinkMove, FirstMoveInsideALineEmptiesOnlyThatPosition) {
    ThreeOpenings tree;
    MoveNodePtr unlinked = UnlinkMove(*tree.afterC4->firstMove);
    EXPECT_EQ(tree.afterC4->firstMove, nullptr);
    EXPECT_EQ(ListOf(tree.root), (Strings{"e4", "d4", "c4"}));
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
    EXPECT_EQ(CountMoves(tree.root), 6u);
}

TEST(ReplaceMove, FirstMoveIsReplacedWithItsWholeLine) {
    ThreeOpenings tree;
    Position* afterF4 = tree.root.AddMove(Sq("f2"), Sq("f4"), tree.root.firstMove.get(), 0);
    ASSERT_NE(afterF4, nullptr);
    EXPECT_EQ(ListOf(tree.root), (Strings{"f4", "d4", "c4"}));
    EXPECT_EQ(DepthsOf(tree.root), (std::vector<int>{0, 1, 1}));
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
    EXPECT_EQ(CountMoves(tree.root), 8u) << "e4, e5 and Nf3 are gone, f4 is new";
}

TEST(ReplaceMove, AlternativeKeepsItsPlaceAndDepth) {
    ThreeOpenings tree;
    Position* afterNf3 = tree.root.AddMove(Sq("g1"), Sq("f3"), &MoveTo(tree.afterD4), 0);
    ASSERT_NE(afterNf3, nullptr);
    EXPECT_EQ(ListOf(tree.root), (Strings{"e4", "Nf3", "c4"}));
    EXPECT_EQ(DepthsOf(tree.root), (std::vector<int>{0, 1, 1}));
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
}

TEST(ReplaceMove, MoveInsideAVariationKeepsTheVariationDepth) {
    ThreeOpenings tree;
    MoveNode& c5 = *tree.afterC4->firstMove->nextSibling;
    Position* afterE6 = tree.afterC4->AddMove(Sq("e7"), Sq("e6"), &c5, 0);
    ASSERT_NE(afterE6, nullptr);
    EXPECT_EQ(ListOf(*tree.afterC4), (Strings{"e5", "e6"}));
    EXPECT_EQ(MoveTo(afterE6).depth, 2);
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
}

TEST(RenumberDepths, RestoresEveryDepthBelowAFirstMove) {
    ThreeOpenings tree;
    const Strings before = DisplayOrder(tree.root);
    std::vector<Position*> pending{&tree.root};
    while (!pending.empty()) {
        Position* position = pending.back();
        pending.pop_back();
        for (MoveNode* m = position->firstMove.get(); m != nullptr; m = m->nextSibling.get()) {
            m->depth = 77;
            pending.push_back(m->child.get());
        }
    }
    ASSERT_FALSE(TreeInvariantsHold(tree.root));
    RenumberDepths(*tree.root.firstMove, 0);
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
    EXPECT_EQ(DisplayOrder(tree.root), before);
}

TEST(RenumberDepths, StartingAtAnAlternativeGivesTheFollowingOnesTheSameDepth) {
    ThreeOpenings tree;
    RenumberDepths(MoveTo(tree.afterD4), 5);
    EXPECT_EQ(DepthsOf(tree.root), (std::vector<int>{0, 5, 5}));
    EXPECT_EQ(MoveTo(tree.afterD5).depth, 5);
    EXPECT_EQ(MoveTo(tree.afterNc3).depth, 5);
    EXPECT_EQ(MoveTo(tree.afterC5Nf3).depth, 6);
}

TEST(MainLineAtBranch, FindsTheFirstMoveAtTheNearestBranch) {
    ThreeOpenings tree;
    MoveNode& e5InC4Line = *tree.afterC4->firstMove;
    MoveNode& c4 = MoveTo(tree.afterC4);
    EXPECT_EQ(MainLineAtBranch(MoveTo(tree.afterC5Nf3)), &e5InC4Line);
    EXPECT_EQ(MainLineAtBranch(*e5InC4Line.nextSibling), &e5InC4Line);
    EXPECT_EQ(MainLineAtBranch(MoveTo(tree.afterNc3)), tree.root.firstMove.get());
    EXPECT_EQ(MainLineAtBranch(c4), tree.root.firstMove.get());
    EXPECT_EQ(MainLineAtBranch(MoveTo(tree.afterNf3)), nullptr);
    EXPECT_EQ(MainLineAtBranch(*tree.root.firstMove), nullptr);
}

TEST(TreeInvariantsHold, CatchesBrokenLinksAndDepths) {
    ThreeOpenings tree;
    ASSERT_TRUE(TreeInvariantsHold(tree.root));

    MoveNode& d4 = MoveTo(tree.afterD4);
    d4.depth = 2;
    EXPECT_FALSE(TreeInvariantsHold(tree.root)) << "wrong depth";
    d4.depth = 1;

    d4.prevSibling = nullptr;
    EXPECT_FALSE(TreeInvariantsHold(tree.root)) << "wrong prevSibling";
    d4.prevSibling = tree.root.firstMove.get();

    d4.parent = tree.afterE4;
    EXPECT_FALSE(TreeInvariantsHold(tree.root)) << "wrong parent";
    d4.parent = &tree.root;

    tree.afterD5->incomingMove = &d4;
    EXPECT_FALSE(TreeInvariantsHold(tree.root)) << "wrong incomingMove";
    tree.afterD5->incomingMove = tree.afterD4->firstMove.get();
    EXPECT_TRUE(TreeInvariantsHold(tree.root));
}
