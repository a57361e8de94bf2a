#include "ui/game/game_display_layout.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

#include "ui/game/board_view.h"
#include "ui/kit/run_dialog.h"

namespace {

// The list keeps this margin (grown with the text) to the client area's edges in
// list mode.
constexpr int kListMargin = 12;
// Rows of the move list that must fit under the board before the list goes there.
constexpr int kRowsBelowBoard = 4;
// The widest row the list beside the board should show whole, and room for its
// scroll bar.
const QString kWidestRow = QStringLiteral("  (100... Qe1xd7+)");
constexpr int kScrollBarRows = 2;

int PixelSize(const QFont& font) {
    return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
}

QRect Shrunk(const QRect& rect, int margin) {
    return rect.adjusted(margin, margin, -margin, -margin);
}

}  // namespace

GameDisplayLayout LayOutGameDisplay(QSize window, const QRect& client, const QFont& programFont) {
    GameDisplayLayout phone;
    phone.textFont = programFont;
    phone.squareSize = BoardView::kSquareSize;
    phone.boardOrigin = QPoint(BoardView::kOriginX, BoardView::kOriginY);
    phone.fullList = Shrunk(client, kListMargin);
    if (window.width() <= kPhoneWindowSize.width() &&
        window.height() <= kPhoneWindowSize.height()) {
        return phone;
    }

    GameDisplayLayout desk;
    desk.phone = false;
    desk.textGrowth = std::clamp(std::min(double(window.width()) / kPhoneWindowSize.width(),
                                          double(window.height()) / kPhoneWindowSize.height()),
                                 1.0, 2.0);
    const int basePixels = std::max(1, PixelSize(programFont));
    desk.textFont = programFont;
    desk.textFont.setPixelSize(static_cast<int>(std::lround(basePixels * desk.textGrowth)));
    const QFontMetrics metrics(desk.textFont);
    const int line = metrics.height();
    const int pad = std::max(2, line / 4);
    // Left of the squares: the rank digits, the frame and a margin; under them the
    // frame, the file digits and a margin.
    const int rankColumn = metrics.horizontalAdvance(QLatin1Char('8')) + 3 * pad;
    const int fileRow = line + 2 * pad;
    const int top = client.top() + line + pad;
    const int width = client.width();
    const int height = client.bottom() + 1 - top;
    const bool beside = client.width() > client.height();
    int side = 0;
    if (beside) {
        const int listWidth = metrics.horizontalAdvance(kWidestRow) + kScrollBarRows * line;
        side = std::min(width - rankColumn - listWidth - 2 * pad, height - fileRow);
    } else {
        side = std::min(width - rankColumn - pad,
                        height - fileRow - kRowsBelowBoard * (line + 2) - pad);
    }
    desk.squareSize = side / 8;
    // A window too narrow or too flat for larger squares keeps the phone's board.
    if (desk.squareSize <= BoardView::kSquareSize) {
        return phone;
    }
    const int board = 8 * desk.squareSize;
    if (beside) {
        desk.boardOrigin = QPoint(client.left() + rankColumn, top);
        const int listLeft = desk.boardOrigin.x() + board + 2 * pad;
        desk.sideList = QRect(listLeft, top, client.right() + 1 - pad - listLeft, height - pad);
    } else {
        // The board stands in the middle of the width, the list across it below.
        const int left = client.left() + (width - rankColumn - board - pad) / 2;
        desk.boardOrigin = QPoint(left + rankColumn, top);
        const int listTop = top + board + fileRow;
        desk.sideList = QRect(client.left() + pad, listTop, width - 2 * pad,
                              client.bottom() + 1 - pad - listTop);
    }
    desk.fullList = Shrunk(client, static_cast<int>(std::lround(kListMargin * desk.textGrowth)));
    return desk;
}
