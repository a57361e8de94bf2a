#include "ui/board_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "rules/position.h"
#include "ui/drawing_resources.h"

namespace {

constexpr int kRankLabelLeft = 4;
constexpr int kRankLabelRight = 11;
constexpr int kRankOneLabelTop = 150;
constexpr int kRankOneLabelBottom = 169;
constexpr int kFileLabelLeft = 13;
constexpr int kFileLabelTop = 167;
constexpr int kFileLabelBottom = 177;

// Cell of the white piece image of type t in the strip; its mask is the next cell,
// the black image and mask the two after.
int WhiteImageCell(int pieceType) {
    return 4 * pieceType - 3;
}

QString Digit(int index) {
    return {QChar(u'1' + index)};
}

}  // namespace

BoardView::BoardView(QWidget* parent) : QWidget(parent) {
    // The phone's dialogs are white; the labels are drawn on it.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);
    setMinimumSize(kBaseWidth, kBaseHeight);
}

BoardView::~BoardView() = default;

void BoardView::Init(int squareSize, int originX, int originY, const QImage& bitmap) {
    squareSize_ = squareSize;
    originX_ = originX;
    originY_ = originY;
    bitmap_ = bitmap.convertToFormat(QImage::Format_RGB32);
    RescaleCells();
    update();
}

void BoardView::SetPosition(const Position* position) {
    position_ = position;
    update();
}

void BoardView::SetSelection(int file, int rank) {
    // The square that loses the highlight is repainted too.
    RedrawSelectedSquare();
    selectedFile_ = static_cast<std::uint8_t>(file);
    selectedRank_ = static_cast<std::uint8_t>(rank);
}

void BoardView::ClearSelection() {
    RedrawSelectedSquare();
    selectedFile_ = kNone;
    selectedRank_ = kNone;
}

void BoardView::SetHighlightedFile(int file) {
    const auto value = static_cast<std::uint8_t>(file < 0 || file > 7 ? kNone : file);
    if (value == highlightedFile_) {
        return;
    }
    highlightedFile_ = value;
    // The labels' backgrounds are as tall as the font, which may pass their boxes.
    const int top = FileLabelRect(0).top();
    update(QRect(0, top, width(), height() - top));
}

QRect BoardView::SquareRect(int file, int rank) const {
    const int side = squareSize_ * Scale();
    return {originX_ * Scale() + side * file, originY_ * Scale() + side * (7 - rank), side, side};
}

QRect BoardView::FileLabelRect(int file) const {
    const int left = kFileLabelLeft + kSquareSize * file;
    return {left * Scale(), kFileLabelTop * Scale(), kSquareSize * Scale(),
            (kFileLabelBottom - kFileLabelTop) * Scale()};
}

QRect BoardView::RankLabelRect(int rank) const {
    const int top = kRankOneLabelTop - kSquareSize * rank;
    return {kRankLabelLeft * Scale(), top * Scale(), (kRankLabelRight - kRankLabelLeft) * Scale(),
            (kRankOneLabelBottom - kRankOneLabelTop) * Scale()};
}

QFont BoardView::LabelFont() const {
    QFont font = GetDrawingResources().programFont;
    if (font.pixelSize() > 0) {
        font.setPixelSize(font.pixelSize() * Scale());
    } else {
        font.setPointSizeF(font.pointSizeF() * Scale());
    }
    return font;
}

void BoardView::DrawBoard(QPainter& painter, const Position* position, bool withFrame) const {
    const int side = squareSize_ * Scale();
    const DrawingResources& resources = GetDrawingResources();
    if (withFrame && resources.framePen.style() != Qt::NoPen) {
        // One pixel (at scale 1) all round, just outside the squares.
        const QRect board(originX_ * Scale(), originY_ * Scale(), 8 * side, 8 * side);
        const QRect outer = board.adjusted(-Scale(), -Scale(), Scale(), Scale());
        const QColor frame = resources.framePen.color();
        painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), Scale()), frame);
        painter.fillRect(QRect(outer.left(), board.bottom() + 1, outer.width(), Scale()), frame);
        painter.fillRect(QRect(outer.left(), board.top(), Scale(), board.height()), frame);
        painter.fillRect(QRect(board.right() + 1, board.top(), Scale(), board.height()), frame);
    }
    const QBrush previous = painter.brush();
    for (int rank = 7; rank >= 0; --rank) {
        for (int file = 0; file < 8; ++file) {
            if (file == selectedFile_ && rank == selectedRank_) {
                painter.setBrush(resources.highlightBrush);
            } else if (file % 2 == rank % 2) {
                painter.setBrush(resources.darkSquareBrush);
            } else {
                painter.setBrush(resources.lightSquareBrush);
            }
            DrawSquare(painter, position, file, rank);
        }
    }
    painter.setBrush(previous);
}

void BoardView::DrawSquare(QPainter& painter, const Position* position, int file, int rank) const {
    const QRect target = SquareRect(file, rank);
    const int side = target.width();
    const QPainter::CompositionMode previous = painter.compositionMode();
    // The brush colour is the destination that the mask is ANDed with.
    painter.fillRect(target, painter.brush());
    const PieceCode piece = position ? position->GetSquare(file, rank) : kEmpty;
    if (cells_.isNull() || cellsScale_ != Scale()) {
        return;
    }
    if (piece == kEmpty) {
        // Cell 0 is white: the square keeps the brush colour.
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.drawImage(target.topLeft(), cells_, QRect(0, 0, side, side));
    } else {
        const int cell = PieceColour(piece) == kBlack ? WhiteImageCell(PieceType(piece)) + 2
                                                      : WhiteImageCell(PieceType(piece));
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.drawImage(target.topLeft(), cells_, QRect((cell + 1) * side, 0, side, side));
        painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        painter.drawImage(target.topLeft(), cells_, QRect(cell * side, 0, side, side));
    }
    painter.setCompositionMode(previous);
}

void BoardView::RedrawSelectedSquare() {
    if (selectedFile_ > 7 || selectedRank_ > 7) {
        return;
    }
    update(SquareRect(selectedFile_, selectedRank_));
}

void BoardView::DrawRankLabels(QPainter& painter) const {
    for (int rank = 0; rank < 8; ++rank) {
        painter.drawText(RankLabelRect(rank), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                         Digit(rank));
    }
}

void BoardView::DrawFileLabels(QPainter& painter) const {
    const QFontMetrics metrics(painter.font());
    for (int file = 0; file < 8; ++file) {
        const QRect rect = FileLabelRect(file);
        const QString text = Digit(file);
        // An opaque background covers the character cell only, as on the phone.
        const int width = metrics.horizontalAdvance(text);
        const QRect cell(rect.left() + (rect.width() - width) / 2, rect.top(), width,
                         metrics.height());
        painter.fillRect(cell,
                         QColor(file == highlightedFile_ ? HighlightColour : LightSquareColour));
        painter.drawText(rect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, text);
    }
}

void BoardView::paintEvent(QPaintEvent* /*event*/) {
    if (cellsScale_ != Scale()) {
        RescaleCells();
    }
    QPainter painter(this);
    DrawBoard(painter, position_, true);
    painter.setFont(LabelFont());
    painter.setPen(Qt::black);
    DrawRankLabels(painter);
    DrawFileLabels(painter);
}

int BoardView::Scale() const {
    return std::max(1, std::min(width() / kBaseWidth, height() / kBaseHeight));
}

void BoardView::RescaleCells() {
    cellsScale_ = Scale();
    if (bitmap_.isNull() || cellsScale_ == 1) {
        cells_ = bitmap_;
        return;
    }
    // Pixel replication keeps the cells' black and white edges sharp.
    cells_ =
        bitmap_.scaled(bitmap_.size() * cellsScale_, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
