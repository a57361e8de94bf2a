#pragma once

#include <array>
#include <cstdint>

// Precomputed geometry of the board: the squares a knight or a king reaches from each
// square and the length of each of the eight rays, so that attack and candidate tests
// look only at the squares that matter.
namespace board_geometry {

struct SquareList {
    std::uint8_t count = 0;
    std::array<std::uint8_t, 8> squares{};
};

// Directions: the four straight ones first, then the four diagonals.
inline constexpr int kDirectionCount = 8;
inline constexpr std::array<int, kDirectionCount> kFileStep = {1, -1, 0, 0, 1, -1, 1, -1};
inline constexpr std::array<int, kDirectionCount> kRankStep = {0, 0, 1, -1, 1, 1, -1, -1};
inline constexpr std::array<int, kDirectionCount> kSquareStep = {1, -1, 8, -8, 9, 7, -7, -9};

constexpr bool IsDiagonal(int direction) {
    return direction >= 4;
}

struct Tables {
    std::array<SquareList, 64> knight{};
    std::array<SquareList, 64> king{};
    std::array<std::array<std::uint8_t, kDirectionCount>, 64> rayLength{};
};

constexpr Tables MakeTables() {
    Tables tables;
    constexpr int kKnightFile[8] = {1, 2, 2, 1, -1, -2, -2, -1};
    constexpr int kKnightRank[8] = {2, 1, -1, -2, -2, -1, 1, 2};
    auto onBoard = [](int file, int rank) {
        return file >= 0 && file < 8 && rank >= 0 && rank < 8;
    };
    for (int square = 0; square < 64; ++square) {
        const int file = square % 8;
        const int rank = square / 8;
        for (int i = 0; i < 8; ++i) {
            if (onBoard(file + kKnightFile[i], rank + kKnightRank[i])) {
                SquareList& list = tables.knight[square];
                list.squares[list.count++] =
                    static_cast<std::uint8_t>(file + kKnightFile[i] + 8 * (rank + kKnightRank[i]));
            }
        }
        for (int d = 0; d < kDirectionCount; ++d) {
            int length = 0;
            while (
                onBoard(file + kFileStep[d] * (length + 1), rank + kRankStep[d] * (length + 1))) {
                ++length;
            }
            tables.rayLength[square][d] = static_cast<std::uint8_t>(length);
            if (length > 0) {
                SquareList& list = tables.king[square];
                list.squares[list.count++] = static_cast<std::uint8_t>(square + kSquareStep[d]);
            }
        }
    }
    return tables;
}

inline constexpr Tables kTables = MakeTables();

}  // namespace board_geometry
