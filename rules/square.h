#pragma once

#include <cstdint>

// Squares are numbered file + 8 * rank: a1 = 0, h1 = 7, a8 = 56, h8 = 63.
using Square = std::uint8_t;
inline constexpr int kSquareCount = 64;
inline constexpr Square kNoSquare = 255;

// Piece codes: the type for White, the type + 32 for Black, 0 for an empty square.
using PieceCode = std::uint8_t;
inline constexpr PieceCode kEmpty = 0;
inline constexpr PieceCode kPawn = 1;
inline constexpr PieceCode kRook = 2;
inline constexpr PieceCode kKnight = 3;
inline constexpr PieceCode kBishop = 4;
inline constexpr PieceCode kQueen = 5;
inline constexpr PieceCode kKing = 6;

// Colours: 0 White, 32 Black; the other colour is 32 - colour.
using Colour = std::uint8_t;
inline constexpr Colour kWhite = 0;
inline constexpr Colour kBlack = 32;

// Ranks counted from 0, White's first rank.
inline constexpr int kRank1 = 0;
inline constexpr int kRank2 = 1;
inline constexpr int kRank3 = 2;
inline constexpr int kRank4 = 3;
inline constexpr int kRank5 = 4;
inline constexpr int kRank6 = 5;
inline constexpr int kRank7 = 6;
inline constexpr int kRank8 = 7;

// The squares of the two back ranks, where the kings and rooks castle from and to.
inline constexpr Square kA1 = 0;
inline constexpr Square kB1 = 1;
inline constexpr Square kC1 = 2;
inline constexpr Square kD1 = 3;
inline constexpr Square kE1 = 4;
inline constexpr Square kF1 = 5;
inline constexpr Square kG1 = 6;
inline constexpr Square kH1 = 7;
inline constexpr Square kA8 = 56;
inline constexpr Square kB8 = 57;
inline constexpr Square kC8 = 58;
inline constexpr Square kD8 = 59;
inline constexpr Square kE8 = 60;
inline constexpr Square kF8 = 61;
inline constexpr Square kG8 = 62;
inline constexpr Square kH8 = 63;

// The castling rights a position holds, in the order FEN writes them (K Q k q).
enum class CastlingRight : std::uint8_t {
    WhiteKingSide,
    WhiteQueenSide,
    BlackKingSide,
    BlackQueenSide
};
inline constexpr int kCastlingRightCount = 4;

// The castling a king move makes.
enum class CastlingSide : std::uint8_t { None, KingSide, QueenSide };

constexpr int FileOf(int square) {
    return square & 7;
}
constexpr int RankOf(int square) {
    return square >> 3;
}
constexpr int MakeSquare(int file, int rank) {
    return file + 8 * rank;
}
constexpr Colour OtherColour(Colour colour) {
    return static_cast<Colour>(kBlack - colour);
}

// The piece type of a code: 1 pawn ... 6 king, 0 empty.
constexpr int PieceType(PieceCode code) {
    return code % 32;
}

// The colour of a code: 0 for White pieces (and the empty square), 32 for Black.
constexpr Colour PieceColour(PieceCode code) {
    return code < 33 ? kWhite : kBlack;
}
