#pragma once

#include <array>
#include <cstdint>

// Precomputed geometry of the board as sets of squares, one bit per square (bit s for
// square s): the squares a knight or a king reaches from each square, the squares
// beyond each square in each of the eight directions, and the direction that leads
// from one square to another. Attack and candidate tests then look at whole lines at
// once instead of walking them square by square.
namespace board_geometry {

using SquareSet = std::uint64_t;

constexpr SquareSet Bit(int square) {
    return SquareSet{1} << square;
}

// Directions: the four straight ones first, then the four diagonals.
inline constexpr int kDirectionCount = 8;
inline constexpr std::array<int, kDirectionCount> kFileStep = {1, -1, 0, 0, 1, -1, 1, -1};
inline constexpr std::array<int, kDirectionCount> kRankStep = {0, 0, 1, -1, 1, 1, -1, -1};
inline constexpr std::array<int, kDirectionCount> kSquareStep = {1, -1, 8, -8, 9, 7, -7, -9};
inline constexpr std::uint8_t kNoDirection = kDirectionCount;  // no direction leads there

constexpr bool IsDiagonal(int direction) {
    return direction >= 4;
}

// True when the squares met in `direction` have ever higher numbers.
constexpr bool Ascends(int direction) {
    return kSquareStep[direction] > 0;
}

struct Tables {
    std::array<SquareSet, 64> knight{};
    std::array<SquareSet, 64> king{};
    // The squares after a square in a direction, up to the edge of the board.
    std::array<std::array<SquareSet, kDirectionCount>, 64> ray{};
    // The direction from one square to another on the same line, else kNoDirection.
    std::array<std::array<std::uint8_t, 64>, 64> direction{};
};

constexpr Tables MakeTables() {
    Tables tables;
    constexpr int kKnightFile[8] = {1, 2, 2, 1, -1, -2, -2, -1};
    constexpr int kKnightRank[8] = {2, 1, -1, -2, -2, -1, 1, 2};
    auto onBoard = [](int file, int rank) {
        return file >= 0 && file < 8 && rank >= 0 && rank < 8;
    };
    for (auto& row : tables.direction) {
        row.fill(kNoDirection);
    }
    for (int square = 0; square < 64; ++square) {
        const int file = square % 8;
        const int rank = square / 8;
        for (int i = 0; i < 8; ++i) {
            if (onBoard(file + kKnightFile[i], rank + kKnightRank[i])) {
                tables.knight[square] |= Bit(file + kKnightFile[i] + 8 * (rank + kKnightRank[i]));
            }
        }
        for (int d = 0; d < kDirectionCount; ++d) {
            for (int length = 1;
                 onBoard(file + kFileStep[d] * length, rank + kRankStep[d] * length); ++length) {
                const int reached = square + kSquareStep[d] * length;
                tables.ray[square][d] |= Bit(reached);
                tables.direction[square][reached] = static_cast<std::uint8_t>(d);
                if (length == 1) {
                    tables.king[square] |= Bit(reached);
                }
            }
        }
    }
    return tables;
}

inline constexpr Tables kTables = MakeTables();

}  // namespace board_geometry
