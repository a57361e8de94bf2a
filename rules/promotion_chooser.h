#pragma once

// Asks the user for the piece a pawn promotes to; returns a piece type (2 rook,
// 3 knight, 4 bishop, 5 queen). `context` is what the caller of AddMove passed.
using PromotionChooser = int (*)(void* context);

// Registers the process-wide chooser (null removes it). Without one, pawns promote
// to queens.
void SetPromotionChooser(PromotionChooser chooser);
PromotionChooser GetPromotionChooser();
