#pragma once

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QRgb>

// The colour of the selected square and of a highlighted file label.
inline constexpr QRgb HighlightColour = qRgb(128, 128, 255);
inline constexpr QRgb LightSquareColour = qRgb(255, 255, 255);
inline constexpr QRgb DarkSquareColour = qRgb(128, 255, 128);
// The two squares of the last move on a board larger than the phone's, light and dark.
inline constexpr QRgb LastMoveLightColour = qRgb(255, 240, 150);
inline constexpr QRgb LastMoveDarkColour = qRgb(205, 230, 110);

// The pieces bitmap is a strip of 25 cells of 19 x 19 pixels: cell 0 blank, then for
// piece type t (1 pawn .. 6 king) cells 4t-3 (white image), 4t-2 (white mask), 4t-1
// (black image), 4t (black mask).
inline constexpr int kPieceCellSize = 19;
inline constexpr int kPieceCellCount = 25;

// The drawing objects that every screen shares, made once at start-up and owned by
// the process. An object that could not be made is left empty (a null image, a
// Qt::NoBrush brush, a Qt::NoPen pen, the default font): the screens then draw
// without it.
class DrawingResources {
public:
    QFont programFont;                     // "Verdana" or a metric twin, 1/9 inch high
    QImage piecesBitmap;                   // 475 x 19, Format_RGB32 for the raster ops
    QBrush lightSquareBrush{Qt::NoBrush};  // white
    QBrush highlightBrush{Qt::NoBrush};    // HighlightColour
    QBrush darkSquareBrush{Qt::NoBrush};   // light green
    QPen framePen{Qt::NoPen};              // one pixel, light green
};

// The process-wide drawing resources; empty until CreateDrawingResources.
DrawingResources& GetDrawingResources();

// Loads the pieces bitmap, builds the program font from the screen's vertical
// resolution and makes the board brushes. Nothing is tested: what fails stays empty.
void CreateDrawingResources();

// Frees the brushes and the pen, then makes them again (light, highlight, dark,
// pen), so that calling it twice leaves one set.
void CreateBoardBrushes();

// Frees the brushes and the pen; with `all` also the pieces bitmap and the font.
void FreeDrawingResources(bool all);

// The pixel height of the program font for a screen of `dotsPerInch` (one ninth of
// an inch, truncated), at least 1.
int ProgramFontPixelSize(int dotsPerInch);
