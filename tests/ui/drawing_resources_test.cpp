#include <QtTest>

#include "ui/game/drawing_resources.h"

namespace {

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);

bool IsBlack(const QImage& image, int cell, int x, int y) {
    return image.pixel(cell * kPieceCellSize + x, y) == kBlack;
}

int CountBlack(const QImage& image, int cell) {
    int count = 0;
    for (int y = 0; y < kPieceCellSize; ++y) {
        for (int x = 0; x < kPieceCellSize; ++x) {
            count += IsBlack(image, cell, x, y) ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

class DrawingResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { CreateDrawingResources(); }
    void cleanup() { FreeDrawingResources(true); }

    void boardBrushesAndPenHaveTheirColours();
    void freeingKeepsOrDropsTheBitmapAndFont();
    void programFontIsANinthOfAnInch_data();
    void programFontIsANinthOfAnInch();
    void programFontFallsBackToAMetricTwin();
    void piecesBitmapIsAStripOfBlackAndWhiteCells();
    void piecesBitmapCellsFollowTheLayout_data();
    void piecesBitmapCellsFollowTheLayout();
};

void DrawingResourcesTest::boardBrushesAndPenHaveTheirColours() {
    const DrawingResources& resources = GetDrawingResources();
    QCOMPARE(resources.lightSquareBrush.color(), QColor(255, 255, 255));
    QCOMPARE(resources.darkSquareBrush.color(), QColor(128, 255, 128));
    QCOMPARE(resources.highlightBrush.color(), QColor(128, 128, 255));
    QCOMPARE(resources.highlightBrush.color().rgb(), HighlightColour);
    QCOMPARE(resources.framePen.color(), QColor(128, 255, 128));
    QVERIFY(resources.framePen.isCosmetic());
    QCOMPARE(resources.lightSquareBrush.style(), Qt::SolidPattern);
}

void DrawingResourcesTest::freeingKeepsOrDropsTheBitmapAndFont() {
    FreeDrawingResources(false);
    const DrawingResources& resources = GetDrawingResources();
    QCOMPARE(resources.lightSquareBrush.style(), Qt::NoBrush);
    QCOMPARE(resources.highlightBrush.style(), Qt::NoBrush);
    QCOMPARE(resources.framePen.style(), Qt::NoPen);
    QVERIFY(!resources.piecesBitmap.isNull());
    QVERIFY(resources.programFont.families().contains(QStringLiteral("Verdana")));
    FreeDrawingResources(true);
    QVERIFY(resources.piecesBitmap.isNull());
    QVERIFY(!resources.programFont.families().contains(QStringLiteral("Verdana")));
}

void DrawingResourcesTest::programFontIsANinthOfAnInch_data() {
    QTest::addColumn<int>("dotsPerInch");
    QTest::addColumn<int>("pixels");
    QTest::newRow("96 dpi") << 96 << 10;
    QTest::newRow("72 dpi") << 72 << 8;
    QTest::newRow("131 dpi truncates") << 131 << 14;
    QTest::newRow("tiny screen still 1") << 5 << 1;
}

void DrawingResourcesTest::programFontIsANinthOfAnInch() {
    QFETCH(int, dotsPerInch);
    QFETCH(int, pixels);
    QCOMPARE(ProgramFontPixelSize(dotsPerInch), pixels);
}

void DrawingResourcesTest::programFontFallsBackToAMetricTwin() {
    const QFont& font = GetDrawingResources().programFont;
    QCOMPARE(font.families(), (QStringList{"Verdana", "DejaVu Sans"}));
    QCOMPARE(font.pixelSize(), ProgramFontPixelSize(static_cast<int>(
                                   QGuiApplication::primaryScreen()->logicalDotsPerInchY())));
    QCOMPARE(font.weight(), QFont::Normal);
    QVERIFY(!font.italic());
}

void DrawingResourcesTest::piecesBitmapIsAStripOfBlackAndWhiteCells() {
    const QImage& bitmap = GetDrawingResources().piecesBitmap;
    QCOMPARE(bitmap.size(), QSize(kPieceCellSize * kPieceCellCount, kPieceCellSize));
    QCOMPARE(bitmap.format(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            const QRgb pixel = bitmap.pixel(x, y);
            QVERIFY2(pixel == kBlack || pixel == kWhite, qPrintable(QString::number(x)));
        }
    }
    QCOMPARE(CountBlack(bitmap, 0), 0);
}

void DrawingResourcesTest::piecesBitmapCellsFollowTheLayout_data() {
    QTest::addColumn<int>("type");
    for (int type = 1; type <= 6; ++type) {
        QTest::newRow(qPrintable(QStringLiteral("type %1").arg(type))) << type;
    }
}

void DrawingResourcesTest::piecesBitmapCellsFollowTheLayout() {
    QFETCH(int, type);
    const QImage& bitmap = GetDrawingResources().piecesBitmap;
    const int whiteImage = 4 * type - 3;
    const int whiteMask = 4 * type - 2;
    const int blackImage = 4 * type - 1;
    const int blackMask = 4 * type;
    constexpr int kArea = kPieceCellSize * kPieceCellSize;
    QCOMPARE(CountBlack(bitmap, blackImage), kArea);
    const int silhouette = CountBlack(bitmap, blackMask);
    QVERIFY(silhouette > kArea / 8);
    QVERIFY(silhouette < kArea);
    int body = 0;
    for (int y = 0; y < kPieceCellSize; ++y) {
        for (int x = 0; x < kPieceCellSize; ++x) {
            const bool inside = IsBlack(bitmap, blackMask, x, y);
            const bool bodyPixel = !IsBlack(bitmap, whiteImage, x, y);
            const bool outline = IsBlack(bitmap, whiteMask, x, y);
            body += bodyPixel ? 1 : 0;
            // Outside the silhouette the white piece's mask is white and its image black,
            // so the square's colour shows around both pieces.
            if (!inside) {
                QVERIFY(!outline);
                QVERIFY(!bodyPixel);
            }
            // The body is white in the mask: it takes the square's colour, then the
            // image's white.
            if (bodyPixel) {
                QVERIFY(!outline);
                QVERIFY(inside);
            }
        }
    }
    QVERIFY(body > 0);
    // The silhouette's edge is outline, so the white piece stands out on a white square.
    QVERIFY(CountBlack(bitmap, whiteMask) + body == silhouette);
}

QTEST_MAIN(DrawingResourcesTest)
#include "drawing_resources_test.moc"
