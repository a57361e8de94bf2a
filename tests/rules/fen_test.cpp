#include <gtest/gtest.h>

#include "rules/fen.h"
#include "rules/notation.h"
#include "tests/support/rules_test_support.h"

TEST(Fen, StandardPositionBothWays) {
    const std::u16string start = u"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    Position read;
    read.SetSquare(0, kEmpty);
    ASSERT_TRUE(ReadFen(read, start));
    const Position standard;
    EXPECT_EQ(read.board(), standard.board());
    EXPECT_EQ(read.moveNumber, 0);
    EXPECT_TRUE(read.setUp);
    EXPECT_EQ(WriteFen(read), start);
}

TEST(Fen, AfterFirstMoveWithEnPassantSquare) {
    Position start;
    Position* afterE4 = Play(start, "e2e4");
    const std::u16string text = u"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1";
    EXPECT_EQ(WriteFen(*afterE4), text);
    Position read;
    ASSERT_TRUE(ReadFen(read, text));
    EXPECT_EQ(read.epSquare(), Sq("e3"));
    EXPECT_EQ(read.sideToMove(), kBlack);
    EXPECT_EQ(read.moveNumber, 1);
    EXPECT_EQ(read.board(), afterE4->board());
}

TEST(Fen, ToleratedIrregularities) {
    Position position;
    // The half-move clock and the full-move number are kept as read, beyond 255 and
    // at 0 too; the moves count on from the number modulo 256 (from 1 for 0).
    for (const std::u16string_view text :
         {u"4k3/8/8/8/8/8/8/4K3 b - - 12 300", u"4k3/8/8/8/8/8/8/4K3 w - - 0 0",
          u"4k3/8/8/8/8/8/8/4K3 w - - 17 40"}) {
        Position read;
        ASSERT_TRUE(ReadFen(read, text));
        EXPECT_EQ(WriteFen(read), text);
    }
    ASSERT_TRUE(ReadFen(position, u"4k3/8/8/8/8/8/8/4K3 w - - 17 40"));
    EXPECT_EQ(position.moveNumber, 39);
    // A position reached by a move has no clock of its own.
    const Position* afterKe2 = ParseSan(position, u"Ke2");
    ASSERT_NE(afterKe2, nullptr);
    EXPECT_EQ(WriteFen(*afterKe2), u"4k3/8/8/8/8/8/4K3/8 b - - 0 40");
    // Ranks are counted, not split at "/".
    Position withoutSlashes;
    ASSERT_TRUE(ReadFen(withoutSlashes, u"rnbqkbnrpppppppp8888PPPPPPPPRNBQKBNR w KQkq - 0 1"));
    EXPECT_EQ(withoutSlashes.board(), Position().board());
    // A field longer than the board places nothing beyond h1.
    Position tooLong;
    ASSERT_TRUE(ReadFen(tooLong,
                        u"pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/"
                        u"pppppppp/pppppppp/KKKKKKKKKKKKKKKK b - - 0 7"));
    EXPECT_EQ(tooLong.GetSquare(Sq("h1")), kBlack + kPawn);
    EXPECT_EQ(tooLong.moveNumber, 7);
    // Any colour letter other than "w" is Black.
    ASSERT_TRUE(ReadFen(position, u"4k3/8/8/8/8/8/8/4K3 x Kq - 0 3"));
    EXPECT_EQ(position.sideToMove(), kBlack);
    EXPECT_TRUE(position.HasCastlingRight(CastlingRight::WhiteKingSide));
    EXPECT_FALSE(position.HasCastlingRight(CastlingRight::WhiteQueenSide));
    EXPECT_FALSE(position.HasCastlingRight(CastlingRight::BlackKingSide));
    EXPECT_TRUE(position.HasCastlingRight(CastlingRight::BlackQueenSide));
}

TEST(Fen, RefusedTexts) {
    const char16_t* refused[] = {
        u"4k3/8/8/8/8/8/8/4K3 w KQkx - 0 1",  // bad castling letter
        u"4k3/8/8/8/8/8/8/4K3 w - e 0 1",     // file letter without rank
        u"4k3/8/8/8/8/8/8/4K3 w - ex 0 1",    // file letter and something else
        u"4k3/8/8/8/8/8/8/4K3 w - 3 0 1",     // neither "-" nor a file letter
        u"4k3/8/8/8/8/8/8/4K3 w - -",         // ends early
        u"4k3/8/8/8/8/8/8/4K3 w",             // ends early
        u"4k3/8/8/8/8/8/8/4K3",               // ends early
        u"",
    };
    for (const char16_t* text : refused) {
        Position position;
        EXPECT_FALSE(ReadFen(position, text)) << Narrow(text);
    }
}
