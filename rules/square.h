#pragma once

#include <cstdint>

// Squares are numbered file + 8 * rank: a1 = 0, h1 = 7, a8 = 56, h8 = 63.
using Square = std::uint8_t;
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
