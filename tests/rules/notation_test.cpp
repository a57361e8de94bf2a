#include <gtest/gtest.h>

#include "rules/notation.h"
#include "tests/support/rules_test_support.h"

namespace {

std::string San(Position& position, std::string_view move, bool withNumber = false,
                bool nagAsNumber = false, NotationLanguage language = NotationLanguage::English,
                int promotion = 0) {
    Position* child = Play(position, move, promotion);
    if (child == nullptr) {
        return "(illegal)";
    }
    return Narrow(FormatSanText(*child->incomingMove, withNumber, nagAsNumber, language));
}

struct SanCase {
    const char* fen;
    const char* move;
    const char* english;
    const char* french;
};

const SanCase kSanCases[] = {
    {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "b1d2", "Nbd2", "Cbd2"},
    {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "f1d2", "Nfd2", "Cfd2"},
    {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a1a3", "R1a3", "T1a3"},
    {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a5a3", "R5a3", "T5a3"},
    {"2k5/8/8/Q7/8/8/8/Q3Q1K1 w - - 0 1", "a1e5", "Qa1e5", "Da1e5"},
    {"2k5/8/8/Q7/8/8/8/Q3Q1K1 w - - 0 1", "e1e5", "Qee5", "Dee5"},
    {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "e1d2", "Kd2", "Rd2"},
    {"4k3/8/8/4p3/8/2B5/8/4K3 w - - 0 1", "c3e5", "Bxe5", "Fxe5"},
    {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5", "exd5", "exd5"},
    {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", "O-O", "O-O"},
    {"4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", "O-O-O", "O-O-O"},
    {"3k4/8/8/8/8/8/4K3/8 w - - 0 1", "e2e3", "Ke3", "Re3"},
    {"k7/8/8/8/8/8/8/4K2R w - - 0 1", "h1h8", "Rh8+", "Th8+"},
    // The other knight is pinned, yet the move is still disambiguated.
    {"4k3/4r3/8/8/8/8/4N3/1N2K3 w - - 0 1", "b1c3", "Nbc3", "Cbc3"},
};

}  // namespace

TEST(FormatSan, WritesEnglishAndFrenchLetters) {
    for (const SanCase& c : kSanCases) {
        Position english;
        SetFen(english, c.fen);
        EXPECT_EQ(San(english, c.move), c.english) << c.fen << " " << c.move;
        Position french;
        SetFen(french, c.fen);
        EXPECT_EQ(San(french, c.move, false, false, NotationLanguage::French), c.french)
            << c.fen << " " << c.move;
    }
}

TEST(FormatSan, WritesNumbersCastlingAndPromotions) {
    Position white;
    SetFen(white, "4k3/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_EQ(San(white, "e1g1", true), "1. O-O");
    Position black;
    SetFen(black, "r3k3/8/8/8/8/8/8/4K3 b q - 0 15");
    EXPECT_EQ(San(black, "e8c8", true), "15... O-O-O");

    Position promotion;
    SetFen(promotion, "8/4P3/8/8/8/8/8/K3k3 w - - 0 1");
    Position* queen = Play(promotion, "e7e8", kQueen);
    ASSERT_NE(queen, nullptr);
    queen->incomingMove->nag = 1;
    EXPECT_EQ(Narrow(FormatSanText(*queen->incomingMove, false, false, NotationLanguage::English)),
              "e8=Q+!");
    EXPECT_EQ(Narrow(FormatSanText(*queen->incomingMove, false, true, NotationLanguage::English)),
              "e8=Q+ $1");
    EXPECT_EQ(Narrow(FormatSanText(*queen->incomingMove, true, true, NotationLanguage::French)),
              "1. e8=D+ $1");
    queen->incomingMove->nag = 7;
    EXPECT_EQ(Narrow(FormatSanText(*queen->incomingMove, false, false, NotationLanguage::English)),
              "e8=Q+");
    queen->incomingMove->nag = 255;
    queen->incomingMove->moveNumber = 255;
    SanBuffer buffer{};
    const std::size_t length =
        FormatSan(*queen->incomingMove, buffer, true, true, NotationLanguage::English);
    EXPECT_EQ(Narrow({buffer.data(), length}), "255. e8=Q+ $255");
    EXPECT_EQ(buffer[length], 0);
}

TEST(TranslateToEnglish, ReplacesFrenchPieceLetters) {
    std::u16string text = u"Fxe5";
    TranslateToEnglish(text, NotationLanguage::French);
    EXPECT_EQ(text, u"Bxe5");
    text = u"Txe1";
    TranslateToEnglish(text, NotationLanguage::French);
    EXPECT_EQ(text, u"Rxe1");
    text = u"Rc2 Dd8 Cf3 e8=D";
    TranslateToEnglish(text, NotationLanguage::French);
    EXPECT_EQ(text, u"Kc2 Qd8 Nf3 e8=Q") << "each letter is translated once";
    text = u"Rc2";
    TranslateToEnglish(text, NotationLanguage::English);
    EXPECT_EQ(text, u"Rc2");
}

namespace {

struct ParseCase {
    const char* fen;
    const char* text;
    const char* expected;  // "e2e4", "e7e8q" for a promotion, or "" when refused
};

const ParseCase kParseCases[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e4", "e2e4"},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e3", "e2e3"},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "Nf3+!?", "g1f3"},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e5", ""},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "Zf3", ""},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "P e4", ""},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e2e4", ""},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "Nf4", ""},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "Ni3", ""},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", "e5", "e7e5"},
    {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "exd5", "e4d5"},
    {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "ed5", "e4d5"},
    {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "exd6", "e5d6"},
    {"3qk3/4P3/8/8/8/8/8/4K3 w - - 0 1", "e8=Q", ""},
    {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8=Q", "a7a8q"},
    {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8Q", "a7a8q"},
    {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8=N", "a7a8n"},
    {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8", ""},
    {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8=K", ""},
    {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a1=R", "a2a1r"},
    {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Nbd2", "b1d2"},
    {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Nfd2", "f1d2"},
    {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Nb1d2", "b1d2"},
    {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Nd2", "b1d2"},
    {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Ncd2", ""},
    {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Nb1xd2", "b1d2"},
    {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Bb1d2", ""},
    {"4k3/8/8/4N3/8/8/8/4K1N1 w - - 0 1", "N1f3", "g1f3"},
    {"4k3/8/8/4N3/8/8/8/4K1N1 w - - 0 1", "N5f3", "e5f3"},
    {"4k3/8/8/4N3/8/8/8/4K1N1 w - - 0 1", "N2f3", ""},
    // With a single candidate the hint is not checked.
    {"4k3/8/8/8/8/8/5N2/4K3 w - - 0 1", "N2d3", "f2d3"},
    {"7k/8/8/Q3p3/8/8/8/Q3Q1K1 w - - 0 1", "Qa1xe5", "a1e5"},
    {"7k/8/8/4p3/8/8/8/4Q1K1 w - - 0 1", "Qxe5+", "e1e5"},
    {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "O-O", "e1g1"},
    {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "0-0", "e1g1"},
    {"4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "0-0-0", "e1c1"},
    {"r3k3/8/8/8/8/8/8/4K3 b q - 0 1", "O-O-O", "e8c8"},
    {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "O-O", ""},
    // The knight on c2 is pinned, so "Nd4" can only be the other knight's move.
    {"4k3/8/4N3/8/8/8/K1N4r/8 w - - 0 1", "Nd4", "e6d4"},
    {"4k3/8/4N3/8/8/8/K1N4r/8 w - - 0 1", "Ncd4", ""},
    // A pawn text whose from-square holds another piece.
    {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "e2", ""},
};

}  // namespace

TEST(ParseSan, ReadsMovesAndRefusesEverythingElse) {
    for (const ParseCase& c : kParseCases) {
        Position position;
        SetFen(position, c.fen);
        Position* child = ParseSan(position, U16(c.text));
        const std::string expected = c.expected;
        if (expected.empty()) {
            EXPECT_EQ(child, nullptr) << c.fen << " " << c.text;
            EXPECT_EQ(position.firstMove, nullptr) << "a refused text adds nothing";
            continue;
        }
        ASSERT_NE(child, nullptr) << c.fen << " " << c.text;
        const MoveNode& move = *child->incomingMove;
        EXPECT_EQ(move.from, Sq(expected.substr(0, 2))) << c.text;
        EXPECT_EQ(move.to, Sq(expected.substr(2, 2))) << c.text;
        const int promotion = expected.size() > 4 ? std::string("  rnbq").find(expected[4]) : 0;
        EXPECT_EQ(move.promotion, promotion) << c.text;
    }
}

TEST(ParseSan, ReusesAnExistingMove) {
    Position position;
    Position* first = ParseSan(position, u"e4");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ParseSan(position, u"e4"), first);
    EXPECT_EQ(position.firstMove->nextSibling, nullptr);
    Position* second = ParseSan(position, u"d4");
    EXPECT_EQ(position.firstMove->nextSibling->child.get(), second);
}

TEST(ParseSan, ReadsBackWhatFormatSanWrites) {
    // A game with captures, disambiguations, castling, check and promotion.
    Position root;
    const char16_t* moves[] = {u"e4",  u"d5",  u"exd5", u"Nf6",  u"d4",   u"Nxd5", u"Nf3",
                               u"Bg4", u"Be2", u"e6",   u"O-O",  u"Nc6",  u"c4",   u"Nb6",
                               u"Nc3", u"Be7", u"d5",   u"exd5", u"cxd5", u"Nb4",  u"Qb3",
                               u"a5",  u"a3",  u"Na6",  u"Rd1"};
    Position* tip = &root;
    for (const char16_t* text : moves) {
        Position* next = ParseSan(*tip, text);
        ASSERT_NE(next, nullptr) << Narrow(text);
        const std::u16string written =
            FormatSanText(*next->incomingMove, false, true, NotationLanguage::English);
        EXPECT_EQ(ParseSan(*tip, written), next) << Narrow(written);
        tip = next;
    }
}
