#pragma once

#include <gtest/gtest.h>

#include <string>

#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"

inline int Sq(std::string_view name) {
    return MakeSquare(name[0] - 'a', name[1] - '1');
}

inline std::u16string U16(std::string_view text) {
    return {text.begin(), text.end()};
}

inline std::string Narrow(std::u16string_view text) {
    return {text.begin(), text.end()};
}

// A root position read from FEN; the test fails when the text is refused.
inline void SetFen(Position& position, std::string_view fen) {
    ASSERT_TRUE(ReadFen(position, U16(fen))) << fen;
}

// Plays a move given as "e2e4" (with an optional promotion type) through AddMove.
inline Position* Play(Position& position, std::string_view move, int promotion = 0) {
    return position.AddMove(Sq(move.substr(0, 2)), Sq(move.substr(2, 2)), nullptr, promotion);
}
