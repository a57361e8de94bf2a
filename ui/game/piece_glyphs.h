#pragma once

#include <QRect>

#include "rules/square.h"

class QPainter;

// Draws a piece into `square` at any size from the chess glyphs of a scalable font
// (DejaVu Sans, or whichever installed font Qt finds them in), so that it stays sharp
// where the pieces bitmap would have to be enlarged. As with the bitmap, a white piece
// is white with a black outline and a black piece black (its inner lines white), both
// standing on the square's colour. Nothing is drawn for the empty square, an unknown code, or when
// no installed font has the glyphs.
void DrawPieceGlyph(QPainter& painter, const QRect& square, PieceCode piece);
