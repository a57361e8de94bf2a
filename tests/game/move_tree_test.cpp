#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/game_document.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/tree_test_support.h"

using Strings = std::vector<std::string>;

namespace {

// Display order as "san/depth" items, "(" and ")" around variations.
class Recorder : public DisplayOrderVisitor {
public:
    void OnMove(const MoveNode& move) override {
        items.push_back(San(move) + "/" + std::to_string(move.depth));
    }
    void OnVariationStart(const MoveNode& /*first*/) override { items.emplace_back("("); }
    void OnVariationEnd(const MoveNode& /*first*/) override { items.emplace_back(")"); }
    Strings items;
};

Strings DisplayOrder(const Position& root) {
    Recorder recorder;
    WalkDisplayOrder(root.firstMove.get(), recorder);
    return recorder.items;
}

// The display order as defined, recursively: a first move, each alternative with its
// line in brackets, then the first move's continuation.
void ReferenceOrder(const MoveNode* first, Strings& out) {
    for (const MoveNode* m = first; m != nullptr; m = m->nextSibling.get()) {
        if (m != first) {
            out.emplace_back("(");
        }
        out.push_back(San(*m) + "/" + std::to_string(m->depth));
        if (m != first) {
            ReferenceOrder(m->child->firstMove.get(), out);
            out.emplace_back(")");
        }
    }
    if (first != nullptr) {
        ReferenceOrder(first->child->firstMove.get(), out);
    }
}

std::vector<MoveNode*> ListOf(const Position& position) {
    std::vector<MoveNode*> out;
    for (MoveNode* m = position.firstMove.get(); m != nullptr; m = m->nextSibling.get()) {
        out.push_back(m);
    }
    return out;
}

// Every move below `root` (with the moves of every list after the first), in no order.
std::vector<MoveNode*> MovesBelow(const Position& root) {
    std::vector<MoveNode*> out = ListOf(root);
    for (std::size_t i = 0; i < out.size(); ++i) {
        for (MoveNode* m : ListOf(*out[i]->child)) {
            out.push_back(m);
        }
    }
    return out;
}

}  // namespace

// Random edits, each checked for its own effect, for the invariants, for the display
// order and for the queries; every block is freed in the end.
TEST(MoveTree, RandomEditsKeepTheTreeWhole) {
    { SCOPED_TRACE("the trace stack takes its block before the count starts"); }
    const std::int64_t baseline = LiveAllocations();
    for (const unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        auto root = std::make_unique<Position>();
        for (int step = 0; step < 400; ++step) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
            std::vector<MoveNode*> moves = MovesBelow(*root);
            MoveNode* move = moves.empty() ? nullptr : moves[pick(moves.size())];
            Position& at = move != nullptr && pick(2) ? *move->child : *root;
            const std::vector<MoveNode*> before = ListOf(at);
            const std::size_t kind = moves.empty() ? 0 : pick(7);
            if (kind <= 2) {  // a new move, or one that replaces another of the list
                std::vector<std::pair<int, int>> legal;
                for (int from = 0; from < 64; ++from) {
                    for (int to = 0; to < 64; ++to) {
                        if (at.IsLegal(from, to)) {
                            legal.emplace_back(from, to);
                        }
                    }
                }
                if (legal.empty()) {
                    continue;
                }
                const auto [from, to] = legal[pick(legal.size())];
                const std::size_t slot = kind == 2 && !before.empty() ? pick(before.size()) : 99;
                Position* child = at.AddMove(from, to, slot == 99 ? nullptr : before[slot], 0);
                ASSERT_NE(child, nullptr);
                std::vector<MoveNode*> expected = before;
                (slot == 99 ? expected.emplace_back() : expected[slot]) = child->incomingMove;
                EXPECT_EQ(ListOf(at), expected);
            } else if (kind == 3) {  // the variation holding `move` rises one level
                MoveNode* opening = move;
                while (opening != nullptr && !IsAlternative(*opening)) {
                    opening = opening->parent->incomingMove;
                }
                const Strings order = DisplayOrder(*root);
                std::vector<MoveNode*> expected{opening};
                for (MoveNode* m : opening != nullptr ? ListOf(*opening->parent) : expected) {
                    if (m != opening) {
                        expected.push_back(m);
                    }
                }
                PromoteVariation(*move);
                if (opening == nullptr) {
                    EXPECT_EQ(DisplayOrder(*root), order) << "the main line stays";
                } else {
                    EXPECT_EQ(ListOf(*opening->parent), expected);
                }
            } else if (kind == 4) {  // cut out, then freed
                const std::size_t below = MovesBelow(*move->child).size() + 1;
                const std::size_t total = moves.size();
                Position* parent = move->parent;
                const bool first = !IsAlternative(*move);
                std::vector<MoveNode*> expected = ListOf(*parent);
                std::erase(expected, move);
                MoveNodePtr cut = UnlinkMove(*move);
                ASSERT_EQ(cut.get(), move);
                EXPECT_EQ(cut->parent, parent) << "the caller still finds where it was";
                EXPECT_EQ(cut->prevSibling, nullptr);
                EXPECT_EQ(ListOf(*parent), first ? std::vector<MoveNode*>{} : expected);
                if (!first) {
                    EXPECT_EQ(cut->nextSibling, nullptr);
                    EXPECT_EQ(MovesBelow(*root).size(), total - below);
                }
            } else if (kind == 5) {  // from an alternative on: d, and d + 1 below a first move
                const std::uint8_t was = move->depth;
                const auto d = static_cast<std::uint8_t>(pick(2) ? was : pick(200));
                RenumberDepths(*move, d);
                for (MoveNode* m = move; m != nullptr; m = m->nextSibling.get()) {
                    EXPECT_EQ(m->depth, !IsAlternative(*move) && m != move ? d + 1 : d);
                }
                if (move->child->firstMove) {
                    EXPECT_EQ(move->child->firstMove->depth, d);
                }
                EXPECT_EQ(static_cast<bool>(TreeInvariantsHold(*root)), d == was);
                RenumberDepths(*root->firstMove, 0);
            } else {  // annotations go with the move when it is freed
                move->nag = static_cast<std::uint8_t>(pick(8));
                move->child->SetComment(std::u16string(40, u'c'));
                move->annotations = std::make_unique<MoveAnnotations>();
                move->annotations->commentBefore = std::u16string(40, u'b');
            }
            ASSERT_TRUE(TreeInvariantsHold(*root));
            Strings reference;
            ReferenceOrder(root->firstMove.get(), reference);
            ASSERT_EQ(DisplayOrder(*root), reference);
            for (MoveNode* m : MovesBelow(*root)) {
                EXPECT_EQ(MoverColour(*m), m->parent->sideToMove());
                EXPECT_EQ(FirstAlternative(*m), IsAlternative(*m) ? nullptr : m->nextSibling.get());
                EXPECT_EQ(NextAlternative(*m), IsAlternative(*m) ? m->nextSibling.get() : nullptr);
                MoveNode* branch = MainLineAtBranch(*m);
                EXPECT_EQ(branch == nullptr, m->depth == 0);
                if (branch != nullptr) {
                    EXPECT_EQ(branch->depth + 1, m->depth);
                    EXPECT_EQ(branch, branch->parent->firstMove.get());
                }
            }
        }
        root.reset();
    }
    EXPECT_EQ(LiveAllocations(), baseline);
}

TEST(MoveTree, NestedLinesShowAndRiseAsUsersSee) {
    Position root;
    Position* afterE4 = PlayLine(root, {"e4"});
    PlayLine(*afterE4, {"e5", "Nf3"});
    Position* afterC5 = PlayLine(*afterE4, {"c5"});
    PlayLine(*afterC5, {"Nf3", "d6"});
    Position* afterNc6 = PlayLine(*afterC5, {"Nc3", "Nc6"});
    PlayLine(*afterE4, {"e6"});
    EXPECT_EQ(DisplayOrder(root), (Strings{"e4/0", "e5/0", "(", "c5/1", "Nf3/1", "(", "Nc3/2",
                                           "Nc6/2", ")", "d6/1", ")", "(", "e6/1", ")", "Nf3/0"}));
    PromoteVariation(*afterNc6->incomingMove);
    PromoteVariation(*afterNc6->incomingMove);
    EXPECT_EQ(DisplayOrder(root), (Strings{"e4/0", "c5/0", "(", "e5/1", "Nf3/1", ")", "(", "e6/1",
                                           ")", "Nc3/0", "(", "Nf3/1", "d6/1", ")", "Nc6/0"}));
    EXPECT_TRUE(DisplayOrder(Position()).empty());
}

// Ten thousand nested variations: walked, renumbered, raised and freed on a small stack.
TEST(MoveTree, DeepNestingNeedsNoRecursion) {
    constexpr int kLevels = 10000;
    const std::int64_t baseline = LiveAllocations();
    auto root = std::make_unique<Position>();
    Position* deepest = NestVariations(*root, kLevels);
    ASSERT_NE(deepest, nullptr);
    EXPECT_EQ(deepest->incomingMove->depth, kLevels % 256) << "the one-byte depth wraps";
    EXPECT_EQ(LiveAllocations(root.get()) - baseline, 1 + 2 * 2 * kLevels);
    struct Counter : DisplayOrderVisitor {
        void OnMove(const MoveNode& /*move*/) override { ++moves; }
        void OnVariationStart(const MoveNode& /*first*/) override {
            deepest = std::max(deepest, ++open);
        }
        void OnVariationEnd(const MoveNode& /*first*/) override { --open; }
        int moves = 0, open = 0, deepest = 0;
    } counts;
    RunOnSmallStack([&] { WalkDisplayOrder(root->firstMove.get(), counts); });
    EXPECT_EQ(counts.moves, 2 * kLevels);
    EXPECT_EQ(counts.open, 0) << "every variation that starts also ends";
    EXPECT_EQ(counts.deepest, kLevels);
    RunOnSmallStack([&] { RenumberDepths(*root->firstMove, 0); });
    RunOnSmallStack([&] { PromoteVariation(*deepest->incomingMove); });
    EXPECT_TRUE(TreeInvariantsHold(*root));
    EXPECT_FALSE(IsAlternative(*deepest->incomingMove)) << "raised although its depth reads 16";
    const std::int64_t whole = LiveAllocations(root.get());
    RunOnSmallStack([&] { UnlinkMove(*root->firstMove->nextSibling); });
    EXPECT_EQ(LiveAllocations(root.get()), whole - 2 * (2 * kLevels - 1))
        << "all but the root's first move";
    EXPECT_TRUE(TreeInvariantsHold(*root));
    RunOnSmallStack([&] { root.reset(); });
    EXPECT_EQ(LiveAllocations(), baseline);
}
