#include "ui/game/board_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "rules/move_node.h"
#include "rules/position.h"
#include "ui/game/drawing_resources.h"
#include "ui/game/piece_glyphs.h"

namespace {

// The labels' places in the phone's geometry.
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
    bitmap_ = bitmap.convertToFormat(QImage::Format_RGB32);
    SetBoardGeometry(squareSize, originX, originY, GetDrawingResources().programFont);
}

void BoardView::SetBoardGeometry(int squareSize, int originX, int originY, const QFont& labelFont) {
    squareSize_ = std::max(1, squareSize);
    originX_ = originX;
    originY_ = originY;
    labelFont_ = labelFont;
    update();
}

void BoardView::SetLastMoveShown(bool shown) {
    lastMoveShown_ = shown;
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

bool BoardView::HasPhoneGeometry() const {
    return squareSize_ == kSquareSize && originX_ == kOriginX && originY_ == kOriginY;
}

bool BoardView::UsesBitmap() const {
    return !bitmap_.isNull() && bitmap_.height() == squareSize_;
}

int BoardView::FrameWidth() const {
    return std::max(1, squareSize_ / kSquareSize);
}

QRect BoardView::SquareRect(int file, int rank) const {
    return {originX_ + squareSize_ * file, originY_ + squareSize_ * (7 - rank), squareSize_,
            squareSize_};
}

QRect BoardView::FileLabelRect(int file) const {
    if (HasPhoneGeometry()) {
        return {kFileLabelLeft + kSquareSize * file, kFileLabelTop, kSquareSize,
                kFileLabelBottom - kFileLabelTop};
    }
    const QFontMetrics metrics(labelFont_);
    const int top = originY_ + 8 * squareSize_ + FrameWidth() + metrics.descent();
    return {originX_ + squareSize_ * file, top, squareSize_, metrics.height()};
}

QRect BoardView::RankLabelRect(int rank) const {
    if (HasPhoneGeometry()) {
        const int top = kRankOneLabelTop - kSquareSize * rank;
        return {kRankLabelLeft, top, kRankLabelRight - kRankLabelLeft,
                kRankOneLabelBottom - kRankOneLabelTop};
    }
    // A column of the digits' width, right of which the frame stands.
    const QFontMetrics metrics(labelFont_);
    const int width = metrics.horizontalAdvance(QLatin1Char('8'));
    const int right = originX_ - FrameWidth() - metrics.descent();
    return {right - width, originY_ + squareSize_ * (7 - rank), width, squareSize_};
}

bool BoardView::IsLastMoveSquare(int file, int rank) const {
    const MoveNode* move = position_ != nullptr ? position_->incomingMove : nullptr;
    if (!lastMoveShown_ || move == nullptr) {
        return false;
    }
    const int square = MakeSquare(file, rank);
    return square == move->from || square == move->to;
}

void BoardView::DrawBoard(QPainter& painter, const Position* position, bool withFrame) const {
    const int side = squareSize_;
    const DrawingResources& resources = GetDrawingResources();
    if (withFrame && resources.framePen.style() != Qt::NoPen) {
        // Just outside the squares, one pixel wide on the phone.
        const int frame = FrameWidth();
        const QRect board(originX_, originY_, 8 * side, 8 * side);
        const QRect outer = board.adjusted(-frame, -frame, frame, frame);
        const QColor colour = resources.framePen.color();
        painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), frame), colour);
        painter.fillRect(QRect(outer.left(), board.bottom() + 1, outer.width(), frame), colour);
        painter.fillRect(QRect(outer.left(), board.top(), frame, board.height()), colour);
        painter.fillRect(QRect(board.right() + 1, board.top(), frame, board.height()), colour);
    }
    const QBrush previous = painter.brush();
    for (int rank = 7; rank >= 0; --rank) {
        for (int file = 0; file < 8; ++file) {
            const bool dark = file % 2 == rank % 2;
            if (file == selectedFile_ && rank == selectedRank_) {
                painter.setBrush(resources.highlightBrush);
            } else if (IsLastMoveSquare(file, rank)) {
                painter.setBrush(QColor(dark ? LastMoveDarkColour : LastMoveLightColour));
            } else if (dark) {
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
    // The brush colour is the destination that the mask is ANDed with.
    painter.fillRect(target, painter.brush());
    const PieceCode piece = position ? position->GetSquare(file, rank) : kEmpty;
    if (!UsesBitmap()) {
        // Any other size draws the glyphs at that size rather than enlarging cells.
        DrawPieceGlyph(painter, target, piece);
        return;
    }
    const int side = target.width();
    const QPainter::CompositionMode previous = painter.compositionMode();
    if (piece == kEmpty) {
        // Cell 0 is white: the square keeps the brush colour.
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.drawImage(target.topLeft(), bitmap_, QRect(0, 0, side, side));
    } else {
        const int cell = PieceColour(piece) == kBlack ? WhiteImageCell(PieceType(piece)) + 2
                                                      : WhiteImageCell(PieceType(piece));
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.drawImage(target.topLeft(), bitmap_, QRect((cell + 1) * side, 0, side, side));
        painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        painter.drawImage(target.topLeft(), bitmap_, QRect(cell * side, 0, side, side));
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
    const Qt::Alignment alignment =
        HasPhoneGeometry() ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignRight | Qt::AlignVCenter;
    for (int rank = 0; rank < 8; ++rank) {
        painter.drawText(RankLabelRect(rank), alignment | Qt::TextDontClip, Digit(rank));
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
    QPainter painter(this);
    DrawBoard(painter, position_, true);
    painter.setFont(labelFont_);
    painter.setPen(Qt::black);
    DrawRankLabels(painter);
    DrawFileLabels(painter);
}
