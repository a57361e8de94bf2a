#include "ui/game/drawing_resources.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "resources/resource_ids.h"

namespace {

// Used when no screen is known yet (no application object).
constexpr int kDefaultDotsPerInch = 96;

int ScreenDotsPerInch() {
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    if (screen == nullptr) {
        return kDefaultDotsPerInch;
    }
    return static_cast<int>(screen->logicalDotsPerInchY());
}

QFont MakeProgramFont(int dotsPerInch) {
    QFont font;
    // DejaVu Sans has Verdana's metrics closely enough for the status line's widths.
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(ProgramFontPixelSize(dotsPerInch));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

}  // namespace

DrawingResources& GetDrawingResources() {
    static DrawingResources resources;
    return resources;
}

int ProgramFontPixelSize(int dotsPerInch) {
    return std::max(1, dotsPerInch / 9);
}

void CreateDrawingResources() {
    DrawingResources& resources = GetDrawingResources();
    QImage bitmap(QString::fromLatin1(kBitmapPiecesPath));
    // The board combines cells with raster operations, which need a 32-bit image.
    resources.piecesBitmap =
        bitmap.isNull() ? QImage() : bitmap.convertToFormat(QImage::Format_RGB32);
    resources.programFont = MakeProgramFont(ScreenDotsPerInch());
    CreateBoardBrushes();
}

void CreateBoardBrushes() {
    FreeDrawingResources(false);
    DrawingResources& resources = GetDrawingResources();
    resources.lightSquareBrush = QBrush(QColor(LightSquareColour));
    resources.highlightBrush = QBrush(QColor(HighlightColour));
    resources.darkSquareBrush = QBrush(QColor(DarkSquareColour));
    // Width 0 is Qt's cosmetic one-pixel pen, as on the phone.
    resources.framePen = QPen(QColor(DarkSquareColour), 0);
}

void FreeDrawingResources(bool all) {
    DrawingResources& resources = GetDrawingResources();
    resources.lightSquareBrush = QBrush(Qt::NoBrush);
    resources.highlightBrush = QBrush(Qt::NoBrush);
    resources.darkSquareBrush = QBrush(Qt::NoBrush);
    resources.framePen = QPen(Qt::NoPen);
    if (all) {
        resources.piecesBitmap = QImage();
        resources.programFont = QFont();
    }
}
