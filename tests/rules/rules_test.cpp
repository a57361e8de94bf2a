#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "rules/notation.h"
#include "tests/support/rules_test_support.h"

using enum NotationLanguage;
constexpr const char* kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Castling rights cleared, the castling rook, en passant, promotion and move numbers.
TEST(Moves, PlayOutAsTheFenAfterThemSays) {
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1e2", "r3k2r/8/8/8/8/8/4K3/R6R b kq - 0 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 0 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1c1", "r3k2r/8/8/8/8/8/8/2KR3R b kq - 0 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "a1a8", "R3k2r/8/8/8/8/8/8/4K2R b Kk - 0 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "h1h8", "r3k2R/8/8/8/8/8/8/R3K3 b Qq - 0 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8g8", "r4rk1/8/8/8/8/8/8/R3K2R w KQ - 0 2"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", "2kr3r/8/8/8/8/8/8/R3K2R w KQ - 0 2"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "a8a1", "4k2r/8/8/8/8/8/8/r3K2R w Kk - 0 2"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "h8h1", "r3k3/8/8/8/8/8/8/R3K2r w Qq - 0 2"},
        {"r3k2r/8/8/8/8/8/1b6/R3K2R b KQkq - 0 1", "b2a1", "r3k2r/8/8/8/8/8/8/b3K2R w Kkq - 0 2"},
        {"r3k2r/8/8/8/8/8/P7/R3K2R w KQkq - 0 1", "a2a3", "r3k2r/8/8/8/8/P7/8/R3K2R b KQkq - 0 1"},
        {"", "e2e4 g8f6", "rnbqkb1r/pppppppp/5n2/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", "4k3/8/3P4/8/8/8/8/4K3 b - - 0 1"},
        {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", "d7d5", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2"},
        {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", "d7d5 e1d1", "4k3/8/8/3pP3/8/8/8/3K4 b - - 0 2"},
        {"8/4P1k1/8/8/8/8/8/K7 w - - 0 1", "e7e8", "4Q3/6k1/8/8/8/8/8/K7 b - - 0 1"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 17 40", "e1e2", "4k3/8/8/8/8/8/4K3/8 b - - 0 40"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 0", "e1e2 e8e7", "8/4k3/8/8/8/8/4K3/8 w - - 0 2"},
        {"4k3/8/8/8/8/8/8/4K3 b - - 12 300", "e8e7", "8/4k3/8/8/8/8/8/4K3 w - - 0 45"},
        // Rights the board does not bear out go only when a move leaves or takes their square.
        {"4k3/8/8/8/8/8/8/R2K3R w KQ - 0 1", "d1e1", "4k3/8/8/8/8/8/8/R3K2R b KQ - 0 1"},
    };
    for (const auto& [fen, moves, after] : rows) {
        Position root;  // "" for the standard position of a new root
        ASSERT_TRUE(*fen == 0 || ReadFen(root, U16(fen))) << fen;
        Position* tip = &root;
        for (std::size_t i = 0; tip != nullptr && i < std::string_view(moves).size(); i += 5) {
            tip = Play(*tip, std::string_view(moves).substr(i, 4));
        }
        EXPECT_EQ(tip ? Narrow(WriteFen(*tip)) : "refused", after) << fen << " " << moves;
    }
}

// Texts read and written back (or as given), or refused; nothing is placed past h1.
TEST(Fen, ReadWrittenBackOrRefused) {
    const std::pair<const char*, const char*> rows[] = {
        {kStart, nullptr},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", nullptr},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w Kq - 3 17", nullptr},
        {"4k3/8/8/8/8/8/8/4K3 b - - 12 300", nullptr},
        {"4k3/8/8/8/8/8/8/4K3 w - h8 0 1", nullptr},  // the en-passant field's bounds
        {"4k3/8/8/8/8/8/8/4K3 b - a1 0 1", nullptr},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 0", nullptr},
        {"4k3/8/8/8/8/8/8/4K3 w - - 99999999999 1", "4k3/8/8/8/8/8/8/4K3 w - - 1000000000 1"},
        {"rnbqkbnrpppppppp8888PPPPPPPPRNBQKBNR w KQkq - 0 1", kStart},  // ranks are counted
        {"4k3/8/8/8/8/8/8/4K3 x Kq - 0 3", "4k3/8/8/8/8/8/8/4K3 b Kq - 0 3"},
        {"4k3pp/8/8/8/8/8/8/4K3 w - - 0 1", "4k3/pp6/8/8/8/8/8/6K1 w - - 0 1"},
        {"8/8/8/8/8/8/8/7K8k w - - 0 1", "8/8/8/8/8/8/8/7K w - - 0 1"},
        {"8/8/8/8/8/8/8/8/KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKK b - - 0 7",
         "8/8/8/8/8/8/8/8 b - - 0 7"},
        {"4k3/8/8/4K3 w - - 0 1", "4k3/8/8/4K3/8/8/8/8 w - - 0 1"},
        {"4k3/8/8/8/8/8/8/4K39 w - - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
    };
    for (const auto& [text, written] : rows) {
        Position position;
        ASSERT_TRUE(ReadFen(position, U16(text))) << text;
        EXPECT_EQ(Narrow(WriteFen(position)), written != nullptr ? written : text);
        EXPECT_TRUE(position.setUp && !position.firstMove && !position.incomingMove)
            << "nothing is written outside the board";
    }
    for (const char* field :
         {"w KQkx - 0 1", "w - e 0 1", "w - ex 0 1", "w - i3 0 1", "w - e9 0 1", "w - e0 0 1",
          "w - 3 0 1", "w -  0 1", " KQkq - 0 1", "w - -", "w KQ", "w", ""}) {
        Position position;
        EXPECT_FALSE(ReadFen(position, U16(std::string("4k3/8/8/8/8/8/8/4K3 ") + field))) << field;
    }
    Position fresh;
    fresh.SetEpSquare(kSquareCount);  // any square off the board writes as none
    EXPECT_EQ(Narrow(WriteFen(fresh)), kStart);
}

// Each text reads as the move written `written` ("": refused), `french` in French, and back.
TEST(San, ReadAndWrittenBothWays) {
    const struct {
        const char *fen, *texts, *written, *french = nullptr;
    } rows[] = {
        {kStart, "e4", "e4"},
        {kStart, "Nf3+!?", "Nf3", "Cf3"},
        {kStart, "e5,Zf3,P e4,e2e4,Nf4,Ni3,O-O", ""},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", "e5", "e5"},
        {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "exd5,ed5", "exd5"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "exd6", "exd6"},
        {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8=Q,a8Q", "a8=Q+", "a8=D+"},
        {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8=N", "a8=N"},
        {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a8,a8=K", ""},
        {"3qk3/4P3/8/8/8/8/8/4K3 w - - 0 1", "e8=Q", ""},
        {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a1=R", "a1=R+", "a1=T+"},
        {"8/8/8/8/8/8/3p4/K6k b - - 0 1", "d1=Q", "d1=Q+"},  // a king on a1 is found
        {"4k3/8/8/8/8/8/8/P3K3 w - - 0 1", "a2", "a2"},      // a pawn on a1 steps up
        {"8/4P1k1/8/8/8/8/8/K7 w - - 0 1", "e8=B", "e8=B", "e8=F"},
        {"8/4P1k1/8/8/8/8/8/K7 w - - 0 1", "e8=N", "e8=N+", "e8=C+"},
        {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Nbd2,Nb1d2,Nb1xd2,Nd2", "Nbd2", "Cbd2"},
        {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Nfd2", "Nfd2"},
        {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Ncd2,Bb1d2", ""},
        {"4k3/8/8/4N3/8/8/8/4K1N1 w - - 0 1", "N1f3", "Ngf3"},
        {"4k3/8/8/4N3/8/8/8/4K1N1 w - - 0 1", "N5f3", "Nef3"},
        {"4k3/8/8/8/8/8/5N2/4K3 w - - 0 1", "N2d3", "Nd3"},  // one candidate: no hint checked
        {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "R1a3", "R1a3", "T1a3"},
        {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "R5a3", "R5a3"},
        {"4k3/8/8/8/8/8/8/1R2K3 w - - 0 1", "Rb1a1,Ra1", "Ra1", "Ta1"},  // to a1, square 0
        {"2k5/8/8/Q7/8/8/8/Q3Q1K1 w - - 0 1", "Qa1e5", "Qa1e5", "Da1e5"},
        {"7k/8/8/Q3p3/8/8/8/Q3Q1K1 w - - 0 1", "Qa1xe5", "Qa1xe5+"},
        {"4k3/8/8/4p3/8/2B5/8/4K3 w - - 0 1", "Bxe5", "Bxe5", "Fxe5"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "Kd2", "Kd2", "Rd2"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "O-O,e2", ""},
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "Ra8#,Ra8", "Ra8+"},
        {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "O-O,0-0", "O-O"},
        {"r3k3/8/8/8/8/8/8/4K3 b q - 0 1", "O-O-O,0-0-0", "O-O-O"},
        // Pinned pieces count for the disambiguation, not for reading.
        {"4k3/4r3/8/8/8/8/4N3/1N2K3 w - - 0 1", "Nc3", "Nbc3"},
        {"4k3/8/4N3/8/8/8/K1N4r/8 w - - 0 1", "Nd4", "Ned4"},
        {"4k3/8/4N3/8/8/8/K1N4r/8 w - - 0 1", "Ncd4", ""},
    };
    for (const auto& row : rows) {
        std::stringstream texts(row.texts);
        for (std::string text; std::getline(texts, text, ',');) {
            SCOPED_TRACE(std::string(row.fen) + " " + text);
            Position p;
            SetFen(p, row.fen);
            Position* child = ParseSan(p, U16(text));
            if (*row.written == 0) {
                EXPECT_TRUE(child == nullptr && p.firstMove == nullptr) << "refused, adds nothing";
                continue;
            }
            ASSERT_NE(child, nullptr);
            const std::u16string written =
                FormatSanText(*child->incomingMove, false, false, English);
            EXPECT_EQ(Narrow(written), row.written);
            EXPECT_EQ(ParseSan(p, written), child) << "read back as the same move";
            std::u16string french = FormatSanText(*child->incomingMove, false, false, French);
            EXPECT_TRUE(row.french == nullptr || Narrow(french) == row.french) << Narrow(french);
            TranslateToEnglish(french, French);
            EXPECT_EQ(french, written);
        }
    }
}

TEST(San, NumbersAnnotationsAndNewLines) {
    Position black, white, start;
    SetFen(black, "r3k3/8/8/8/8/8/8/4K3 b q - 0 15");
    EXPECT_EQ(FormatSanText(*Play(black, "e8c8")->incomingMove, true, false, English),
              u"15... O-O-O");
    SetFen(white, "8/4P3/8/8/8/8/8/K3k3 w - - 0 1");
    MoveNode& queen = *Play(white, "e7e8", kQueen)->incomingMove;
    // clang-format off
    const std::tuple<int, bool, const char16_t*> nags[] = {{1, false, u"1. e8=D+!"}, {6, false, u"1. e8=D+?!"}, {7, false, u"1. e8=D+"}, {1, true, u"1. e8=D+ $1"}};
    // clang-format on
    for (const auto& [nag, asNumber, text] : nags) {
        queen.nag = static_cast<std::uint8_t>(nag);
        EXPECT_EQ(FormatSanText(queen, true, asNumber, French), text);
    }
    queen.nag = queen.moveNumber = 255;
    SanBuffer buffer{};
    const std::size_t length = FormatSan(queen, buffer, true, true, English);
    EXPECT_EQ(std::u16string(buffer.data(), length + 1), std::u16string(u"255. e8=Q+ $255", 16));
    ASSERT_NE(ParseSan(start, u"e4"), nullptr);
    EXPECT_EQ(start.firstMove->nextSibling->child.get(), ParseSanAsNewLine(start, u"e4"));
}

TEST(AddMove, PromotionChooserAndRefusals) {
    Position p, other;
    SetFen(p, "8/4P1k1/8/8/8/8/8/K7 w - - 0 1");
    int asked = 0;
    auto promote = [&](int promotion, int answer) {
        const PromotionChooser chooser = [&asked, answer] { return ++asked, answer; };
        return p.AddMove(Sq("e7"), Sq("e8"), nullptr, promotion, chooser)->GetSquare(Sq("e8"));
    };
    EXPECT_EQ(promote(0, kRook) + promote(kKnight, kRook) + promote(0, kKing),
              kRook + kKnight + kQueen);
    EXPECT_EQ(asked, 2) << "a promotion given is not asked for";
    EXPECT_NE(p.FindMove(Sq("e7"), Sq("e8"), kKnight), nullptr);
    EXPECT_EQ(p.FindMove(Sq("e7"), Sq("e8"), kBishop), nullptr);
    EXPECT_EQ(p.AddMove(64, 0, nullptr, 0), p.AddMove(0, -1, nullptr, 0));
    EXPECT_EQ(other.AddMove(Sq("g1"), Sq("f3"), p.firstMove.get(), 0), nullptr)
        << "a move of another position's list is not replaced";
    SetFen(p, "8/8/8/8/8/8/8/r7 w - - 0 1");
    EXPECT_FALSE(p.IsAttacked(kWhite, -1)) << "no king, nothing attacks it";
}
