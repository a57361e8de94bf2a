#include <gtest/gtest.h>

#include "rules/move_node.h"
#include "rules/promotion_chooser.h"
#include "tests/support/rules_test_support.h"

namespace {

struct LegalityCase {
    const char* name;
    const char* fen;
    const char* move;
    bool legal;
};

void PrintTo(const LegalityCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr const char* kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

const LegalityCase kLegalityCases[] = {
    {"pawn single step", kStart, "e2e3", true},
    {"pawn double step", kStart, "e2e4", true},
    {"pawn triple step", kStart, "e2e5", false},
    {"knight jump", kStart, "g1f3", true},
    {"knight straight", kStart, "g1g3", false},
    {"bishop blocked", kStart, "f1c4", false},
    {"other side's piece", kStart, "e7e5", false},
    {"empty from-square", kStart, "e4e5", false},
    {"capture own piece", kStart, "d1d2", false},
    {"pawn blocked on e3", "4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", "e2e3", false},
    {"pawn double blocked on e3", "4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", "e2e4", false},
    {"pawn takes diagonally", "4k3/8/8/8/8/3n4/4P3/4K3 w - - 0 1", "e2d3", true},
    {"pawn diagonal to empty", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "e2d3", false},
    {"black pawn forward", "4k3/4p3/8/8/8/8/8/4K3 b - - 0 1", "e7e5", true},
    {"black pawn backward", "4k3/8/4p3/8/8/8/8/4K3 b - - 0 1", "e6e7", false},
    {"pinned knight leaves pin", "4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1", "e2c3", false},
    {"pinned rook along pin", "4k3/4r3/8/8/8/8/4R3/4K3 w - - 0 1", "e2e7", true},
    {"king takes defended piece", "4k3/8/8/8/8/8/3q4/3rK3 w - - 0 1", "e1d2", false},
    {"king takes undefended piece", "4k3/8/8/8/8/8/3q4/4K3 w - - 0 1", "e1d2", true},
    {"king steps into pawn attack", "4k3/8/8/8/8/3p4/8/4K3 w - - 0 1", "e1e2", false},
    {"king next to king", "8/8/8/8/8/4k3/8/4K3 w - - 0 1", "e1e2", false},
    {"check must be answered", "4k3/4r3/8/8/8/8/8/3K4 w - - 0 1", "d1e2", false},
    {"block the check", "4k3/4r3/8/8/8/8/3B4/4K3 w - - 0 1", "d2e3", true},
    {"en passant right after", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", true},
    {"en passant without double step", "4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", "e5d6", false},
    {"en passant exposing king", "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", "e5d6", false},
    {"short castling", "4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", true},
    {"long castling", "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", true},
    {"black short castling", "4k2r/8/8/8/8/8/8/4K3 b k - 0 1", "e8g8", true},
    {"black long castling", "r3k3/8/8/8/8/8/8/4K3 b q - 0 1", "e8c8", true},
    {"castling without right", "4k3/8/8/8/8/8/8/4K2R w Q - 0 1", "e1g1", false},
    {"castling through piece", "4k3/8/8/8/8/8/8/4KB1R w K - 0 1", "e1g1", false},
    {"long castling with b1 taken", "4k3/8/8/8/8/8/8/RN2K3 w Q - 0 1", "e1c1", false},
    {"castling in check", "4k3/4r3/8/8/8/8/8/4K2R w K - 0 1", "e1g1", false},
    {"castling through rook attack", "4k3/5r2/8/8/8/8/8/4K2R w K - 0 1", "e1g1", false},
    {"castling through bishop attack", "4k3/8/8/8/8/8/6b1/4K2R w K - 0 1", "e1g1", false},
    {"castling through knight attack", "4k3/8/8/8/8/4n3/8/4K2R w K - 0 1", "e1g1", false},
    {"castling through queen attack", "3qk3/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", false},
    {"castling through king attack", "8/8/8/8/8/8/2k5/R3K3 w Q - 0 1", "e1c1", false},
    {"castling through pawn attack", "4k3/8/8/8/8/8/4p3/4K2R w K - 0 1", "e1g1", false},
    {"castling into check", "4k3/6r1/8/8/8/8/8/4K2R w K - 0 1", "e1g1", false},
    {"long castling, b1 occupied", "4k3/8/8/8/8/8/8/Rr2K3 w Q - 0 1", "e1c1", false},
    {"long castling, b8 attacked", "1r2k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", true},
    {"castling without the rook", "4k3/8/8/8/8/8/8/4K3 w K - 0 1", "e1g1", false},
    {"castling with rook of other colour", "4k3/8/8/8/8/8/8/4K2r w K - 0 1", "e1g1", false},
};

class LegalityTable : public testing::TestWithParam<LegalityCase> {};

}  // namespace

TEST_P(LegalityTable, IsLegalAnswersAsTheRulesSay) {
    const LegalityCase& c = GetParam();
    Position position;
    SetFen(position, c.fen);
    const std::string move = c.move;
    EXPECT_EQ(position.IsLegal(Sq(move.substr(0, 2)), Sq(move.substr(2, 2))), c.legal) << c.name;
    EXPECT_EQ(position.LastTestedMove().from, Sq(move.substr(0, 2)));
    EXPECT_EQ(position.LastTestedMove().to, Sq(move.substr(2, 2)));
    EXPECT_EQ(position.LastTestedMove().legal, c.legal);
    EXPECT_EQ(Play(position, c.move) != nullptr, c.legal) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Rules, LegalityTable, testing::ValuesIn(kLegalityCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

TEST(Legality, EnPassantOnlyOnTheNextMove) {
    Position position;
    SetFen(position, "4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1");
    Position* afterD5 = Play(position, "d7d5");
    ASSERT_NE(afterD5, nullptr);
    EXPECT_TRUE(afterD5->IsLegal(Sq("e5"), Sq("d6")));
    Position* later = Play(*Play(*afterD5, "e1e2"), "e8e7");
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(later->epSquare(), kNoSquare);
    EXPECT_FALSE(later->IsLegal(Sq("e5"), Sq("d6")));
}

TEST(Legality, CastlingRightsFollowTheKingAndTheRooks) {
    Position position;
    SetFen(position, "r3k2r/8/8/8/8/8/6b1/R3K2R b KQkq - 0 1");
    // The bishop takes the rook on h1: White may no longer castle on that side.
    Position* afterCapture = Play(position, "g2h1");
    ASSERT_NE(afterCapture, nullptr);
    EXPECT_FALSE(afterCapture->HasCastlingRight(CastlingRight::WhiteKingSide));
    EXPECT_TRUE(afterCapture->HasCastlingRight(CastlingRight::WhiteQueenSide));
    EXPECT_FALSE(afterCapture->IsLegal(Sq("e1"), Sq("g1")));
    Position* afterRook = Play(*afterCapture, "a1b1");
    ASSERT_NE(afterRook, nullptr);
    EXPECT_FALSE(afterRook->HasCastlingRight(CastlingRight::WhiteQueenSide));
    Position* afterKing = Play(*afterRook, "e8f8");
    ASSERT_NE(afterKing, nullptr);
    EXPECT_FALSE(afterKing->HasCastlingRight(CastlingRight::BlackKingSide));
    EXPECT_FALSE(afterKing->HasCastlingRight(CastlingRight::BlackQueenSide));
}

TEST(Legality, PromotionAsksTheChooserOrMakesAQueen) {
    Position position;
    SetFen(position, "8/4P1k1/8/8/8/8/8/K7 w - - 0 1");
    Position* queen = Play(position, "e7e8");
    ASSERT_NE(queen, nullptr);
    EXPECT_EQ(queen->incomingMove->promotion, kQueen);
    EXPECT_EQ(queen->GetSquare(Sq("e8")), kQueen);
    EXPECT_FALSE(queen->incomingMove->givesCheck);

    Position* knight = Play(position, "e7e8", kKnight);
    EXPECT_EQ(knight->GetSquare(Sq("e8")), kKnight);
    EXPECT_TRUE(knight->incomingMove->givesCheck) << "the new knight checks g7";
    EXPECT_EQ(position.FindMove(Sq("e7"), Sq("e8"), kKnight), knight);
    EXPECT_EQ(position.FindMove(Sq("e7"), Sq("e8"), kBishop), nullptr);

    int asked = 0;
    Position* rook = position.AddMove(Sq("e7"), Sq("e8"), nullptr, 0, [&asked] {
        ++asked;
        return static_cast<int>(kRook);
    });
    ASSERT_NE(rook, nullptr);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(rook->GetSquare(Sq("e8")), kRook);
    EXPECT_FALSE(rook->incomingMove->givesCheck);

    Position black;
    SetFen(black, "8/8/8/8/8/8/3p4/K6k b - - 0 1");
    Position* blackQueen = Play(black, "d2d1");
    ASSERT_NE(blackQueen, nullptr);
    EXPECT_EQ(blackQueen->GetSquare(Sq("d1")), kBlack + kQueen);
    EXPECT_TRUE(blackQueen->incomingMove->givesCheck);
}

TEST(Legality, AddMoveLinksFirstMovesAndAlternativesWithDepths) {
    Position root;
    Position* e4 = Play(root, "e2e4");
    Position* d4 = Play(root, "d2d4");
    Position* c4 = Play(root, "c2c4");
    EXPECT_EQ(root.firstMove->child.get(), e4);
    EXPECT_EQ(e4->incomingMove->depth, 0);
    EXPECT_EQ(d4->incomingMove->depth, 1);
    EXPECT_EQ(c4->incomingMove->depth, 1);
    EXPECT_EQ(c4->incomingMove->prevSibling, d4->incomingMove);
    EXPECT_EQ(Play(*d4, "e7e5")->incomingMove->depth, 1);
    EXPECT_EQ(Play(*d4, "d7d5")->incomingMove->depth, 2);

    // Replacing the first move keeps its place and depth and frees its line.
    Position* f4 = root.AddMove(Sq("f2"), Sq("f4"), root.firstMove.get(), 0);
    ASSERT_NE(f4, nullptr);
    EXPECT_EQ(root.firstMove->child.get(), f4);
    EXPECT_EQ(root.firstMove->depth, 0);
    EXPECT_EQ(root.firstMove->nextSibling->child.get(), d4);
    EXPECT_EQ(root.firstMove->nextSibling->prevSibling, root.firstMove.get());
    EXPECT_EQ(root.FindMove(Sq("e2"), Sq("e4"), 0), nullptr);

    // An illegal move and a move of another position's list add nothing.
    EXPECT_EQ(Play(root, "e2e5"), nullptr);
    EXPECT_EQ(root.AddMove(Sq("g1"), Sq("f3"), d4->firstMove.get(), 0), nullptr);
    EXPECT_EQ(root.AddMove(64, 0, nullptr, 0), nullptr);
}

TEST(Legality, CheckIsMarkedButMateIsNot) {
    Position position;
    SetFen(position, "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    Position* mate = Play(position, "a1a8");
    ASSERT_NE(mate, nullptr);
    EXPECT_TRUE(mate->incomingMove->givesCheck);
    // Every king move of the mated side simply fails.
    for (int to = 0; to < 64; ++to) {
        EXPECT_FALSE(mate->IsLegal(Sq("g8"), to));
    }
}

TEST(Legality, AttacksAndCandidates) {
    Position position;
    SetFen(position, "4k3/8/8/8/R3Q3/8/8/1N1NK3 w - - 0 1");
    EXPECT_TRUE(position.IsAttacked(kBlack, Sq("e7")));
    EXPECT_FALSE(position.IsAttacked(kBlack, Sq("f7")));
    EXPECT_TRUE(position.IsAttacked(kBlack, -1)) << "the queen gives check along the e-file";
    EXPECT_FALSE(position.IsAttacked(kWhite, -1));
    EXPECT_TRUE(position.IsPathClear(Sq("a4"), Sq("d4"), 1));
    EXPECT_FALSE(position.IsPathClear(Sq("a4"), Sq("f4"), 1));
    std::array<Square, 64> found{};
    ASSERT_EQ(position.FindCandidates(kKnight, kNoSquare, Sq("c3"), found), 2);
    EXPECT_EQ(found[0], Sq("b1"));
    EXPECT_EQ(found[1], Sq("d1"));
    ASSERT_EQ(position.FindCandidates(0, Sq("b1"), Sq("c3"), found), 1);
    EXPECT_EQ(found[0], Sq("d1"));
    // With no king of that colour, nothing attacks it.
    Position kingless;
    SetFen(kingless, "8/8/8/8/8/8/8/r7 w - - 0 1");
    EXPECT_FALSE(kingless.IsAttacked(kWhite, -1));
}
