#include <QtTest>
#include <functional>

#include "rules/position.h"
#include "ui/game/board_view.h"
#include "ui/game/drawing_resources.h"

namespace {

constexpr QRgb kInk = 0x000000;
constexpr QRgb kPaper = 0xFFFFFF;

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

// What a region shows, in this order: "d" the dark squares' green, "h" the highlight, "k"
// ink (black or near it), "w" white (paper and light squares); anti-aliased shades left out.
QString Shows(const QImage& image, const QRect& rect) {
    QString shows(4, u' ');
    CountPixels(image, rect, [&shows](QRgb pixel) {
        const QRgb colours[] = {DarkSquareColour & 0xFFFFFF, HighlightColour & 0xFFFFFF, kInk,
                                kPaper};
        for (int at = 0; at < 4; ++at) {
            if (pixel == colours[at] || (at == 2 && qGray(pixel) < 100)) {
                shows[at] = u"dhkw"[at];
            }
        }
        return true;
    });
    return shows.remove(u' ');
}

// The phone's board with the program's pieces, e2 selected and file e highlighted, then
// the selection kept only for `setup` "s", the highlight only for "e", no position for "n";
// with `square`, drawn at that size instead.
QImage Draw(BoardView& board, std::string_view setup, int square = 0) {
    static const Position initial;
    board.resize(BoardView::kBaseWidth, BoardView::kBaseHeight);
    board.Init(19, 12, 14, GetDrawingResources().piecesBitmap);
    board.SetPosition(&initial);
    if (square > 0) {
        board.resize(24 + 8 * square + 10, 14 + 8 * square + 40);
        board.SetBoardGeometry(square, 24, 14, GetDrawingResources().programFont);
    }
    board.SetSelection(4, 1);
    board.RedrawSelectedSquare();
    board.SetHighlightedFile(4);
    if (setup != "s") {
        board.ClearSelection();
    }
    board.SetHighlightedFile(setup == "e" ? 4 : BoardView::kNone);
    board.SetPosition(setup == "n" ? nullptr : &initial);
    return board.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A square of the phone's board: 19 pixels, a1's corner at (12, 147).
QRect Sq(int file, int rank) {
    return {12 + 19 * file, 14 + 19 * (7 - rank), 19, 19};
}

// A white piece is white inside a black outline, a black one a black silhouette; the frame
// is one pixel outside the squares. Rows: name, setup (see Draw), region, what it shows.
// clang-format off
const std::tuple<const char*, const char*, QRect, const char*> kPixels[] = {
    {"white rook on dark a1", "", Sq(0, 0), "dkw"},
    {"white rook on light h1", "", Sq(7, 0), "kw"},
    {"black knight on dark b8", "", Sq(1, 7), "dk"},
    {"empty dark a3", "", Sq(0, 2), "d"},
    {"empty light b3", "", Sq(1, 2), "w"},
    {"selected e2", "s", Sq(4, 1), "hkw"},
    {"d2 beside the selected e2", "s", Sq(3, 1), "dkw"},
    {"e2 once cleared", "", Sq(4, 1), "kw"},
    {"no position: dark a1", "n", Sq(0, 0), "d"},
    {"no position: light e8", "n", Sq(4, 7), "w"},
    {"frame left", "", QRect(11, 13, 1, 154), "d"},
    {"frame right", "", QRect(164, 13, 1, 154), "d"},
    {"frame top", "", QRect(11, 13, 154, 1), "d"},
    {"frame bottom", "", QRect(11, 166, 154, 1), "d"},
    {"nothing left of the frame", "", QRect(10, 80, 1, 1), "w"},
    {"nothing right of the frame", "", QRect(165, 0, 11, 180), "w"},
};
// clang-format on

}  // namespace

class BoardViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CreateDrawingResources(); }

    void pixelsShowTheBoard();
    void largerSquaresDrawSharpGlyphs();
    void drawingResourcesLoad();
};

void BoardViewTest::pixelsShowTheBoard() {
    for (const auto& [name, setup, rect, shows] : kPixels) {
        BoardView board;  // the name shows in a failure
        QCOMPARE(name + (": " + Shows(Draw(board, setup), rect)), name + QString(": ") + shows);
    }
    // Every digit drawn, the highlighted file's on the highlight colour until cleared.
    BoardView board;
    for (const char* setup : {"e", ""}) {
        const QImage image = Draw(board, setup);
        for (int index = 0; index < 8; ++index) {
            const bool highlighted = index == 4 && *setup == 'e';
            QCOMPARE(Shows(image, board.FileLabelRect(index)), highlighted ? "hkw" : "kw");
            QCOMPARE(Shows(image, QRect(0, 14 + 19 * (7 - index), 11, 19)), "kw");  // ranks
        }
    }
}

void BoardViewTest::largerSquaresDrawSharpGlyphs() {
    for (const int square : {40, 87}) {
        BoardView board;
        const QImage image = Draw(board, "", square);
        const QRect e1 = board.SquareRect(4, 0), d8 = board.SquareRect(3, 7);
        QCOMPARE(e1.size(), QSize(square, square));
        // The kings fill most of their squares; White's is white inside its outline, Black's
        // queen mostly black.
        int inkRows = 0;
        for (int y = e1.top(); y <= e1.bottom(); ++y) {
            inkRows += CountInk(image, QRect(e1.left(), y, square, 1)) > 0 ? 1 : 0;
        }
        QVERIFY(inkRows > square * 6 / 10 && inkRows < square * 95 / 100);
        const auto white = [](QRgb pixel) { return pixel == kPaper; };
        QVERIFY(CountPixels(image, e1, white) > square);
        QVERIFY(CountInk(image, d8) > 4 * CountPixels(image, d8, white));
        // Drawn at the size itself: colour changes along the rows fall on columns of every
        // remainder, where a bitmap enlarged k times changes only every k columns.
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
    QCOMPARE(CountPixels(bitmap, bitmap.rect(), [](QRgb p) { return p != kInk && p != kPaper; }),
             0);
    // Cell 0 blank; per piece type a white image, its mask, a black image and its mask.
    const auto black = [&bitmap](int cell, int x, int y) {
        return (bitmap.pixel(cell * kPieceCellSize + x, y) & 0xFFFFFF) == kInk;
    };
    for (int type = 1; type <= 6; ++type) {
        int body = 0, silhouette = 0;
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
