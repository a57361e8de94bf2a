#pragma once

#include <functional>

// Asks the user for the piece a pawn promotes to; returns a piece type (2 rook,
// 3 knight, 4 bishop, 5 queen). Whoever plays a move that may promote holds one and
// hands it to Position::AddMove; anything else it returns, or an empty chooser, makes a
// queen.
using PromotionChooser = std::function<int()>;
