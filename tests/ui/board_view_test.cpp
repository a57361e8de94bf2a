#include <QtTest>
#include <functional>

#include "rules/position.h"
#include "ui/game/board_view.h"
#include "ui/game/drawing_resources.h"

namespace {

// Colours compared without alpha: black ink, white paper, the squares and the highlight.
constexpr QRgb kInk = 0x000000;
constexpr QRgb kPaper = 0xFFFFFF;
constexpr QRgb kDark = DarkSquareColour & 0xFFFFFF;
constexpr QRgb kLight = LightSquareColour & 0xFFFFFF;
constexpr QRgb kHighlight = HighlightColour & 0xFFFFFF;
using Colours = QSet<QRgb>;

int CountPixels(const QImage& image, const QRect& rect, const std::function<bool(QRgb)>& accept) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            count += accept(image.pixel(x, y) & 0xFFFFFF) ? 1 : 0;
        }
    }
    return count;
}

// Pixels clearly darker than the background: the strokes of a glyph or a digit.
int CountInk(const QImage& image, const QRect& rect) {
    return CountPixels(image, rect, [](QRgb pixel) { return qGray(pixel) < 100; });
}

Colours ColoursIn(const QImage& image, const QRect& rect) {
    Colours colours;
    CountPixels(image, rect, [&colours](QRgb pixel) {
        colours.insert(pixel);
        return true;
    });
    return colours;
}

// The phone's board with the program's pieces, `setup` applied, as drawn.
QImage Draw(BoardView& board, const std::function<void(BoardView&)>& setup = {}) {
    static const Position initial;
    board.resize(BoardView::kBaseWidth, BoardView::kBaseHeight);
    board.Init(19, 12, 14, GetDrawingResources().piecesBitmap);
    board.SetPosition(&initial);
    if (setup) {
        setup(board);
    }
    return board.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class BoardViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CreateDrawingResources(); }

    void squaresShowTheirPieces_data();
    void squaresShowTheirPieces();
    void frameAndLabelsSurroundTheBoard();
    void largerSquaresDrawSharpGlyphs();
    void drawingResourcesLoad();
};

void BoardViewTest::squaresShowTheirPieces_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QPoint>("square");  // file, rank
    QTest::addColumn<Colours>("colours");
    // A white piece is white inside a black outline, a black one a black silhouette,
    // both on the square's colour.
    QTest::newRow("white rook on dark a1") << "" << QPoint(0, 0) << Colours{kDark, kInk, kPaper};
    QTest::newRow("white rook on light h1") << "" << QPoint(7, 0) << Colours{kLight, kInk, kPaper};
    QTest::newRow("black knight on dark b8") << "" << QPoint(1, 7) << Colours{kDark, kInk};
    QTest::newRow("black rook on light a8") << "" << QPoint(0, 7) << Colours{kLight, kInk};
    QTest::newRow("empty dark a3") << "" << QPoint(0, 2) << Colours{kDark};
    QTest::newRow("empty light b3") << "" << QPoint(1, 2) << Colours{kLight};
    QTest::newRow("selected e2") << "selected" << QPoint(4, 1) << Colours{kHighlight, kInk, kPaper};
    QTest::newRow("d2 beside e2") << "selected" << QPoint(3, 1) << Colours{kDark, kInk, kPaper};
    QTest::newRow("e2 once cleared") << "" << QPoint(4, 1) << Colours{kLight, kInk, kPaper};
    QTest::newRow("no position: dark a1") << "none" << QPoint(0, 0) << Colours{kDark};
    QTest::newRow("no position: light e8") << "none" << QPoint(4, 7) << Colours{kLight};
}

void BoardViewTest::squaresShowTheirPieces() {
    QFETCH(QString, setup);
    QFETCH(QPoint, square);
    QFETCH(Colours, colours);
    BoardView board;
    const QImage image = Draw(board, [&setup](BoardView& view) {
        view.SetSelection(4, 1);
        view.RedrawSelectedSquare();
        if (setup != u"selected") {
            view.ClearSelection();
        }
        if (setup == u"none") {
            view.SetPosition(nullptr);
        }
    });
    QCOMPARE(ColoursIn(image, board.SquareRect(square.x(), square.y())), colours);
}

void BoardViewTest::frameAndLabelsSurroundTheBoard() {
    BoardView board;
    const QImage image = Draw(board, [](BoardView& view) { view.SetHighlightedFile(4); });
    QCOMPARE(board.SquareRect(0, 0), QRect(12, 14 + 7 * 19, 19, 19));
    // The frame one pixel outside the squares, nothing beyond it.
    const int right = 12 + 8 * 19;
    const int bottom = 14 + 8 * 19;
    for (const QPoint at : {QPoint(11, 13), QPoint(11, 80), QPoint(right, 80), QPoint(80, bottom),
                            QPoint(right, bottom)}) {
        QCOMPARE(image.pixel(at) & 0xFFFFFF, kDark);
    }
    QCOMPARE(image.pixel(10, 80) & 0xFFFFFF, kPaper);
    QCOMPARE(image.pixel(right + 1, 80) & 0xFFFFFF, kPaper);
    // Every digit drawn, the highlighted file's on the highlight colour.
    const auto highlighted = [](QRgb pixel) { return pixel == kHighlight; };
    for (int index = 0; index < 8; ++index) {
        QVERIFY(CountInk(image, board.FileLabelRect(index)) > 0);
        QVERIFY(CountInk(image, QRect(0, 14 + 19 * (7 - index), 11, 19)) > 0);  // rank digit
        QCOMPARE(CountPixels(image, board.FileLabelRect(index), highlighted) > 10, index == 4);
    }
    board.SetHighlightedFile(BoardView::kNone);
    QCOMPARE(CountPixels(board.grab().toImage(), board.FileLabelRect(4), highlighted), 0);
}

void BoardViewTest::largerSquaresDrawSharpGlyphs() {
    for (const int square : {40, 87}) {
        BoardView board;
        const QImage image = Draw(board, [square](BoardView& view) {
            view.resize(24 + 8 * square + 10, 14 + 8 * square + 40);
            view.SetBoardGeometry(square, 24, 14, GetDrawingResources().programFont);
        });
        const QRect e1 = board.SquareRect(4, 0);
        const QRect d8 = board.SquareRect(3, 7);
        QCOMPARE(e1.size(), QSize(square, square));
        // The kings fill most of their squares; White's is white inside its outline,
        // Black's queen mostly black.
        int inkRows = 0;
        for (int y = e1.top(); y <= e1.bottom(); ++y) {
            inkRows += CountInk(image, QRect(e1.left(), y, square, 1)) > 0 ? 1 : 0;
        }
        QVERIFY(inkRows > square * 6 / 10 && inkRows < square * 95 / 100);
        const auto white = [](QRgb pixel) { return pixel == kPaper; };
        QVERIFY(CountPixels(image, e1, white) > square);
        QVERIFY(CountInk(image, d8) > 4 * CountPixels(image, d8, white));
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
}

void BoardViewTest::drawingResourcesLoad() {
    const DrawingResources& resources = GetDrawingResources();
    const QImage& bitmap = resources.piecesBitmap;
    QCOMPARE(bitmap.size(), QSize(kPieceCellSize * kPieceCellCount, kPieceCellSize));
    QCOMPARE(bitmap.format(), QImage::Format_RGB32);
    // Cell 0 blank; per piece type a white image, its mask, a black image and its mask.
    const auto black = [&bitmap](int cell, int x, int y) {
        return (bitmap.pixel(cell * kPieceCellSize + x, y) & 0xFFFFFF) == kInk;
    };
    QCOMPARE(CountPixels(bitmap, bitmap.rect(), [](QRgb p) { return p != 0 && p != 0xFFFFFF; }), 0);
    for (int type = 1; type <= 6; ++type) {
        int body = 0;
        int silhouette = 0;
        for (int y = 0; y < kPieceCellSize; ++y) {
            for (int x = 0; x < kPieceCellSize; ++x) {
                QVERIFY(!black(0, x, y) && black(4 * type - 1, x, y));
                // The black mask is the white piece's body and outline together, so that
                // around both pieces the square keeps its colour.
                const int bodyPixel = black(4 * type - 3, x, y) ? 0 : 1;
                const int inside = black(4 * type, x, y) ? 1 : 0;
                QCOMPARE(bodyPixel + (black(4 * type - 2, x, y) ? 1 : 0), inside);
                body += bodyPixel;
                silhouette += inside;
            }
        }
        // An outline around the body: a white piece stands out on a white square.
        QVERIFY(body > 0 && silhouette > body && silhouette < kPieceCellSize * kPieceCellSize);
    }
    QCOMPARE(resources.programFont.families(), (QStringList{"Verdana", "DejaVu Sans"}));
    QCOMPARE(resources.programFont.pixelSize(),
             ProgramFontPixelSize(int(QGuiApplication::primaryScreen()->logicalDotsPerInchY())));
    for (const auto& [dotsPerInch, pixels] : {std::pair{96, 10}, {72, 8}, {131, 14}, {5, 1}}) {
        QCOMPARE(ProgramFontPixelSize(dotsPerInch), pixels);
    }
    // Freeing drops the brushes, and with them all the bitmap and the font too.
    FreeDrawingResources(false);
    QVERIFY(resources.darkSquareBrush.style() == Qt::NoBrush &&
            resources.framePen.style() == Qt::NoPen);
    QVERIFY(!bitmap.isNull() && resources.programFont.families().contains("Verdana"));
    FreeDrawingResources(true);
    QVERIFY(bitmap.isNull() && !resources.programFont.families().contains("Verdana"));
    CreateDrawingResources();
    QCOMPARE(resources.highlightBrush.color().rgb(), HighlightColour);
}

QTEST_MAIN(BoardViewTest)
#include "board_view_test.moc"
