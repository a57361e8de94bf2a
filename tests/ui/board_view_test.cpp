#include <QImage>
#include <QPainter>
#include <QtTest>
#include <functional>

#include "rules/position.h"
#include "ui/game/board_view.h"
#include "ui/game/drawing_resources.h"

namespace {

// Every piece cell of the test strip has the same shape: a black outline ring from
// pixel 5 to 13 and a body inside it; the blank cell is white.
constexpr int kCell = 19;
constexpr int kOutline = 5;         // the ring's first pixel, on both axes
constexpr int kOutlineEnd = 13;     // its last pixel
constexpr QPoint kBodyPixel{9, 9};  // inside the ring
constexpr QPoint kOutlinePixel{kOutline, 9};
constexpr QPoint kBackgroundPixel{1, 1};

bool InRing(int x, int y) {
    const bool inside = x >= kOutline && x <= kOutlineEnd && y >= kOutline && y <= kOutlineEnd;
    const bool innerPart = x > kOutline && x < kOutlineEnd && y > kOutline && y < kOutlineEnd;
    return inside && !innerPart;
}

bool InBody(int x, int y) {
    return x > kOutline && x < kOutlineEnd && y > kOutline && y < kOutlineEnd;
}

// The strip laid out as the program's bitmap: white image (black, white body), white
// mask (white, black outline), black image (all black), black mask (black silhouette).
QImage MakeStrip() {
    QImage strip(kCell * kPieceCellCount, kCell, QImage::Format_RGB32);
    strip.fill(Qt::white);
    for (int type = 1; type <= 6; ++type) {
        for (int y = 0; y < kCell; ++y) {
            for (int x = 0; x < kCell; ++x) {
                const QRgb whiteImage = InBody(x, y) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
                const QRgb whiteMask = InRing(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
                const QRgb silhouette =
                    InRing(x, y) || InBody(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
                strip.setPixel((4 * type - 3) * kCell + x, y, whiteImage);
                strip.setPixel((4 * type - 2) * kCell + x, y, whiteMask);
                strip.setPixel((4 * type - 1) * kCell + x, y, qRgb(0, 0, 0));
                strip.setPixel((4 * type) * kCell + x, y, silhouette);
            }
        }
    }
    return strip;
}

constexpr QRgb kBlackPixel = 0x000000;  // colours compared without alpha
constexpr QRgb kWhitePixel = 0xFFFFFF;

}  // namespace

class BoardViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void squaresTakeTheirColourByParity();
    void pieceShowsOnItsSquare_data();
    void pieceShowsOnItsSquare();
    void clearingTheSelectionRestoresTheSquare();
    void frameOutlinesTheBoardOnePixelOutside();
    void highlightedFileLabelHasTheHighlightBackground();
    void rankAndFileLabelsAreDrawn();
    void largerSquaresDrawSharpGlyphs_data();
    void largerSquaresDrawSharpGlyphs();
    void emptyBoardWithoutPosition();
    void programBitmapDrawsOutlinesAndSilhouettes();
};

namespace {

// The initial position: the black knight on b8 and the white rook on a1 stand on
// dark squares.
const Position& InitialPosition() {
    static const Position position;
    return position;
}

// A board of the phone's size with the test strip.
void Prepare(BoardView& board) {
    board.resize(BoardView::kBaseWidth, BoardView::kBaseHeight);
    board.Init(19, 12, 14, MakeStrip());
}

QImage Render(BoardView& board) {
    board.SetPosition(&InitialPosition());
    return board.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb PixelOf(const QImage& image, const BoardView& board, int file, int rank, QPoint at) {
    const QRect square = board.SquareRect(file, rank);
    return image.pixel(square.topLeft() + at) & 0xFFFFFF;
}

}  // namespace

void BoardViewTest::initTestCase() {
    CreateBoardBrushes();
    GetDrawingResources().programFont.setPixelSize(10);
}

void BoardViewTest::squaresTakeTheirColourByParity() {
    BoardView board;
    Prepare(board);
    const QImage image = Render(board);
    QCOMPARE(board.SquareRect(0, 0), QRect(12, 14 + 7 * 19, 19, 19));
    // Empty squares are filled wholly: a3 dark, b3 light.
    for (QPoint at : {QPoint(0, 0), kBodyPixel, QPoint(18, 18)}) {
        QCOMPARE(PixelOf(image, board, 0, 2, at), DarkSquareColour & 0xFFFFFF);
        QCOMPARE(PixelOf(image, board, 1, 2, at), LightSquareColour & 0xFFFFFF);
    }
}

void BoardViewTest::pieceShowsOnItsSquare_data() {
    QTest::addColumn<QPoint>("selected");  // (-1, -1): no selection
    QTest::addColumn<QPoint>("square");    // file, rank
    QTest::addColumn<QRgb>("body");
    QTest::addColumn<QRgb>("outline");
    QTest::addColumn<QRgb>("background");
    const QPoint none(-1, -1);
    const QRgb dark = DarkSquareColour & 0xFFFFFF;
    const QRgb light = LightSquareColour & 0xFFFFFF;
    // A white piece shows body and outline; a black one a solid silhouette.
    QTest::newRow("white rook on dark a1")
        << none << QPoint(0, 0) << kWhitePixel << kBlackPixel << dark;
    QTest::newRow("white rook on light h1")
        << none << QPoint(7, 0) << kWhitePixel << kBlackPixel << light;
    QTest::newRow("black knight on dark b8")
        << none << QPoint(1, 7) << kBlackPixel << kBlackPixel << dark;
    QTest::newRow("black rook on light a8")
        << none << QPoint(0, 7) << kBlackPixel << kBlackPixel << light;
    QTest::newRow("selected e2 takes the highlight") << QPoint(4, 1) << QPoint(4, 1) << kWhitePixel
                                                     << kBlackPixel << (HighlightColour & 0xFFFFFF);
    QTest::newRow("d2 beside the selection keeps its colour")
        << QPoint(4, 1) << QPoint(3, 1) << kWhitePixel << kBlackPixel << dark;
}

void BoardViewTest::pieceShowsOnItsSquare() {
    QFETCH(QPoint, selected);
    QFETCH(QPoint, square);
    QFETCH(QRgb, body);
    QFETCH(QRgb, outline);
    QFETCH(QRgb, background);
    BoardView board;
    Prepare(board);
    if (selected.x() >= 0) {
        board.SetSelection(selected.x(), selected.y());
    }
    const QImage image = Render(board);
    QCOMPARE(PixelOf(image, board, square.x(), square.y(), kBodyPixel), body);
    QCOMPARE(PixelOf(image, board, square.x(), square.y(), kOutlinePixel), outline);
    QCOMPARE(PixelOf(image, board, square.x(), square.y(), kBackgroundPixel), background);
}

void BoardViewTest::clearingTheSelectionRestoresTheSquare() {
    BoardView board;
    Prepare(board);
    board.SetSelection(4, 1);
    board.RedrawSelectedSquare();
    board.ClearSelection();
    QCOMPARE(board.SelectedFile(), BoardView::kNone);
    QCOMPARE(board.SelectedRank(), BoardView::kNone);
    const QImage image = Render(board);
    QCOMPARE(PixelOf(image, board, 4, 1, kBackgroundPixel), LightSquareColour & 0xFFFFFF);
}

void BoardViewTest::frameOutlinesTheBoardOnePixelOutside() {
    BoardView board;
    Prepare(board);
    const QImage image = Render(board);
    const QRgb frame = GetDrawingResources().framePen.color().rgb() & 0xFFFFFF;
    const int right = 12 + 8 * 19;  // first column right of the squares
    const int bottom = 14 + 8 * 19;
    QCOMPARE(image.pixel(11, 13) & 0xFFFFFF, frame);
    QCOMPARE(image.pixel(11, 80) & 0xFFFFFF, frame);
    QCOMPARE(image.pixel(right, 80) & 0xFFFFFF, frame);
    QCOMPARE(image.pixel(80, bottom) & 0xFFFFFF, frame);
    QCOMPARE(image.pixel(right, bottom) & 0xFFFFFF, frame);
    // Nothing beyond it: the dialog's white.
    QCOMPARE(image.pixel(10, 80) & 0xFFFFFF, kWhitePixel);
    QCOMPARE(image.pixel(right + 1, 80) & 0xFFFFFF, kWhitePixel);
}

namespace {

// The colours found in `rect`, without alpha.
QSet<QRgb> ColoursIn(const QImage& image, const QRect& rect) {
    QSet<QRgb> colours;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            colours.insert(image.pixel(x, y) & 0xFFFFFF);
        }
    }
    return colours;
}

// How many pixels of `rect` `accept` takes.
int CountPixels(const QImage& image, const QRect& rect, const std::function<bool(QRgb)>& accept) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            count += accept(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

int CountPixels(const QImage& image, const QRect& rect, QRgb colour) {
    return CountPixels(image, rect,
                       [colour](QRgb pixel) { return (pixel & 0xFFFFFF) == (colour & 0xFFFFFF); });
}

// Pixels clearly darker than the background: the strokes of a glyph.
int CountInk(const QImage& image, const QRect& rect) {
    return CountPixels(image, rect, [](QRgb pixel) { return qGray(pixel) < 100; });
}

// The smallest rectangle holding every ink pixel of `rect`.
QRect InkBounds(const QImage& image, const QRect& rect) {
    QRect bounds;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 100) {
                bounds = bounds.united(QRect(x, y, 1, 1));
            }
        }
    }
    return bounds;
}

}  // namespace

void BoardViewTest::highlightedFileLabelHasTheHighlightBackground() {
    BoardView board;
    Prepare(board);
    board.SetHighlightedFile(4);
    QImage image = Render(board);
    QVERIFY(CountPixels(image, board.FileLabelRect(4), HighlightColour) > 10);
    QVERIFY(CountInk(image, board.FileLabelRect(4)) > 0);  // the digit stays readable
    for (int file : {0, 3, 5, 7}) {
        QCOMPARE(CountPixels(image, board.FileLabelRect(file), HighlightColour), 0);
    }
    board.SetHighlightedFile(BoardView::kNone);
    image = Render(board);
    QCOMPARE(CountPixels(image, board.FileLabelRect(4), HighlightColour), 0);
}

void BoardViewTest::rankAndFileLabelsAreDrawn() {
    BoardView board;
    Prepare(board);
    const QImage image = Render(board);
    for (int index = 0; index < 8; ++index) {
        QVERIFY2(CountInk(image, board.FileLabelRect(index)) > 0, "file digit missing");
        // The rank digit stands left of its rank, within the rank's rows.
        const QRect rankArea(0, 14 + 19 * (7 - index), 11, 19);
        QVERIFY2(CountInk(image, rankArea) > 0, "rank digit missing");
    }
}

void BoardViewTest::largerSquaresDrawSharpGlyphs_data() {
    QTest::addColumn<int>("square");
    QTest::newRow("40 pixels") << 40;
    QTest::newRow("87 pixels") << 87;
}

void BoardViewTest::largerSquaresDrawSharpGlyphs() {
    QFETCH(int, square);
    BoardView board;
    board.resize(24 + 8 * square + 10, 14 + 8 * square + 40);
    board.Init(19, 12, 14, MakeStrip());
    board.SetBoardGeometry(square, 24, 14, GetDrawingResources().programFont);
    const QImage image = Render(board);
    const QRect e1 = board.SquareRect(4, 0);
    const QRect e8 = board.SquareRect(4, 7);
    QCOMPARE(e1.size(), QSize(square, square));
    // The kings fill most of their squares at any size, not the test strip's ring.
    const QRect ink = InkBounds(image, e1);
    QVERIFY2(ink.height() > square * 6 / 10 && ink.height() < square * 95 / 100,
             qPrintable(QString::number(ink.height())));
    QCOMPARE(InkBounds(image, e8).height(), ink.height());
    // White's king is white inside its outline; Black's queen, on a dark square too,
    // is mostly black.
    const QRect d8 = board.SquareRect(3, 7);
    QVERIFY(CountPixels(image, e1, kWhitePixel) > square);
    QVERIFY(CountInk(image, d8) > 4 * CountPixels(image, d8, kWhitePixel));
    // Drawn at the size itself: the colour changes along the rows fall on columns of
    // every remainder, where a bitmap enlarged k times changes only every k columns.
    for (int k = 2; k <= 6; ++k) {
        QSet<int> remainders;
        for (int y = e1.top(); y <= e1.bottom(); ++y) {
            for (int x = e1.left() + 1; x <= e1.right(); ++x) {
                if (image.pixel(x, y) != image.pixel(x - 1, y)) {
                    remainders.insert((x - e1.left()) % k);
                }
            }
        }
        QCOMPARE(remainders.size(), k);
    }
}

void BoardViewTest::emptyBoardWithoutPosition() {
    BoardView board;
    Prepare(board);
    board.SetPosition(nullptr);
    const QImage image = board.grab().toImage();
    QCOMPARE(PixelOf(image, board, 0, 0, kBodyPixel), DarkSquareColour & 0xFFFFFF);
    QCOMPARE(PixelOf(image, board, 4, 7, kBodyPixel), LightSquareColour & 0xFFFFFF);
}

void BoardViewTest::programBitmapDrawsOutlinesAndSilhouettes() {
    CreateDrawingResources();
    const QImage& bitmap = GetDrawingResources().piecesBitmap;
    QVERIFY(!bitmap.isNull());
    QCOMPARE(bitmap.size(), QSize(kPieceCellSize * kPieceCellCount, kPieceCellSize));
    BoardView board;
    board.resize(BoardView::kBaseWidth, BoardView::kBaseHeight);
    board.Init(19, 12, 14, bitmap);
    board.SetSelection(4, 1);
    const QImage image = Render(board);
    const QRgb dark = DarkSquareColour & 0xFFFFFF;
    const QRgb highlight = HighlightColour & 0xFFFFFF;
    // A white piece: white body, black outline, the square's colour around them.
    QCOMPARE(ColoursIn(image, board.SquareRect(0, 0)),
             (QSet<QRgb>{dark, kBlackPixel, kWhitePixel}));
    QCOMPARE(ColoursIn(image, board.SquareRect(4, 1)),
             (QSet<QRgb>{highlight, kBlackPixel, kWhitePixel}));
    // A black piece: a black silhouette on the square's colour, nothing white.
    QCOMPARE(ColoursIn(image, board.SquareRect(1, 7)), (QSet<QRgb>{dark, kBlackPixel}));
    QCOMPARE(ColoursIn(image, board.SquareRect(0, 2)), (QSet<QRgb>{dark}));
}

QTEST_MAIN(BoardViewTest)
#include "board_view_test.moc"
