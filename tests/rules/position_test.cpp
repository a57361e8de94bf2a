#include <gtest/gtest.h>

#include "rules/move_node.h"
#include "tests/support/rules_test_support.h"

TEST(Position, InitStandardSetsTheInitialPosition) {
    const Position start;
    EXPECT_EQ(start.GetSquare(Sq("a1")), kRook);
    EXPECT_EQ(start.GetSquare(Sq("e1")), kKing);
    EXPECT_EQ(start.GetSquare(3, 0), kQueen);
    EXPECT_EQ(start.GetSquare(Sq("e8")), kBlack + kKing);
    EXPECT_EQ(start.GetSquare(Sq("h7")), kBlack + kPawn);
    EXPECT_EQ(start.GetSquare(Sq("e4")), kEmpty);
    EXPECT_EQ(start.epSquare(), kNoSquare);
    EXPECT_EQ(start.sideToMove(), kWhite);
    EXPECT_EQ(start.moveNumber, 0);
    EXPECT_FALSE(start.setUp);
    EXPECT_EQ(WriteFen(start), u"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
}

TEST(Position, MakeChildTracksSideNumberAndEnPassantSquare) {
    Position start;
    auto e4 = Position::MakeChild(start, Sq("e2"), Sq("e4"));
    Position& afterE4 = *e4->child;
    EXPECT_EQ(afterE4.incomingMove, e4.get());
    EXPECT_EQ(e4->parent, &start);
    EXPECT_EQ(afterE4.epSquare(), Sq("e3"));
    EXPECT_EQ(afterE4.sideToMove(), kBlack);
    EXPECT_EQ(afterE4.moveNumber, 1);
    EXPECT_EQ(start.firstMove, nullptr) << "MakeChild links nothing";

    auto e5 = Position::MakeChild(afterE4, Sq("e7"), Sq("e5"));
    EXPECT_EQ(e5->child->epSquare(), Sq("e6"));
    EXPECT_EQ(e5->child->sideToMove(), kWhite);
    EXPECT_EQ(e5->child->moveNumber, 1);
    auto nf3 = Position::MakeChild(*e5->child, Sq("g1"), Sq("f3"));
    EXPECT_EQ(nf3->child->moveNumber, 2);
    EXPECT_EQ(nf3->child->epSquare(), kNoSquare);
}

TEST(Position, MakeChildTakesEnPassantAndMovesTheCastlingRook) {
    Position position;
    SetFen(position, "4k3/8/8/3pP3/8/8/8/R3K2R w KQ d6 0 1");
    auto capture = Position::MakeChild(position, Sq("e5"), Sq("d6"));
    EXPECT_TRUE(capture->isCapture);
    EXPECT_EQ(capture->child->GetSquare(Sq("d5")), kEmpty);
    EXPECT_EQ(capture->child->GetSquare(Sq("d6")), kPawn);

    auto shortCastle = Position::MakeChild(position, Sq("e1"), Sq("g1"));
    EXPECT_EQ(shortCastle->castling, CastlingSide::KingSide);
    EXPECT_EQ(shortCastle->child->GetSquare(Sq("f1")), kRook);
    EXPECT_EQ(shortCastle->child->GetSquare(Sq("h1")), kEmpty);
    auto longCastle = Position::MakeChild(position, Sq("e1"), Sq("c1"));
    EXPECT_EQ(longCastle->castling, CastlingSide::QueenSide);
    EXPECT_EQ(longCastle->child->GetSquare(Sq("d1")), kRook);
    EXPECT_EQ(longCastle->child->GetSquare(Sq("a1")), kEmpty);
}

namespace {

// Counts constructions and destructions of positions below a root through a derived
// comment-free marker: every Position of the tree is reached by walking it.
int CountPositions(const Position& root) {
    int count = 0;
    std::vector<const Position*> pending{&root};
    while (!pending.empty()) {
        const Position* position = pending.back();
        pending.pop_back();
        ++count;
        for (const MoveNode* m = position->firstMove.get(); m; m = m->nextSibling.get()) {
            pending.push_back(m->child.get());
        }
    }
    return count;
}

}  // namespace

TEST(Position, DestroyingALongLineDoesNotRecurse) {
    // A line of 1,000,000 plies would overflow the stack with recursive destructors.
    auto root = std::make_unique<Position>();
    Position* tip = root.get();
    const int knightShuffle[4][2] = {
        {Sq("g1"), Sq("f3")}, {Sq("g8"), Sq("f6")}, {Sq("f3"), Sq("g1")}, {Sq("f6"), Sq("g8")}};
    for (int ply = 0; ply < 1'000'000; ++ply) {
        const auto& move = knightShuffle[ply % 4];
        auto node = Position::MakeChild(*tip, move[0], move[1]);
        Position* next = node->child.get();
        tip->firstMove = std::move(node);
        tip = next;
    }
    // Variations on a few plies, so the sibling links are freed too.
    Play(*root, "e2e4");
    Play(*root, "d2d4");
    EXPECT_EQ(CountPositions(*root), 1'000'003);
    root.reset();
    SUCCEED();
}
