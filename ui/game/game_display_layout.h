#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where the parts of the game display go in a window of a given size. Up to the
// phone's window size the display keeps the phone's fixed geometry: 19-pixel squares
// at (12, 14), the program font, the move list only in list mode. A larger window
// gets the desk layout: the board as large as the window allows, the text growing
// with the window up to twice its size, and the move list beside the board when the
// window is wider than tall, below it otherwise.
struct GameDisplayLayout {
    bool phone = true;
    QFont textFont;  // the status line, the board's labels and the move list
    // How much the text grew from the program font (1 on the phone).
    double textGrowth = 1.0;
    int squareSize = 0;
    QPoint boardOrigin;  // top-left corner of a8, in client coordinates
    QRect sideList;      // the move list beside or below the board; empty for none
    QRect fullList;      // the move list in list mode
};

// The layout for a window of `window` pixels whose free client area is `client` (the
// area above the softkey bar), with `programFont` as the phone's text.
GameDisplayLayout LayOutGameDisplay(QSize window, const QRect& client, const QFont& programFont);
