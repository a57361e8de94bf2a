// Draws the pieces bitmap (resource 118) and the program icon (resource 101) from
// DejaVu Sans' chess glyphs. Run it once after changing the drawing and check its two
// PNG files in:  korvani_generate_pieces <output folder>

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace {

constexpr int kCell = 19;
constexpr int kCells = 25;
// Glyphs are drawn this many times larger, so that their outlines are closed and the
// silhouette can be found by filling the outside.
constexpr int kScale = 8;
constexpr int kLarge = kCell * kScale;
constexpr int kMargin = 1;

// White chess symbols by piece type 1 pawn .. 6 king.
constexpr std::array<char16_t, 7> kWhiteGlyphs = {0,      0x2659, 0x2656, 0x2658,
                                                  0x2657, 0x2655, 0x2654};

using Grid = std::vector<bool>;

QImage DrawGlyph(char16_t glyph, int pixelSize, QPoint origin) {
    QImage image(kLarge, kLarge, QImage::Format_Grayscale8);
    image.fill(255);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(origin, QString(QChar(glyph)));
    return image;
}

// The bounding box of the dark pixels of `image`.
QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// The glyph as large as the cell less its margin allows, centred. Font metrics
// overstate the ink of these symbols, so the ink is measured on a first drawing.
QImage RenderGlyph(char16_t glyph) {
    constexpr int kProbeSize = kLarge / 2;
    const QPoint probeOrigin(kLarge / 4, kLarge * 3 / 4);
    const QRect probe = InkBox(DrawGlyph(glyph, kProbeSize, probeOrigin));
    const int inner = (kCell - 2 * kMargin) * kScale;
    const double scale = static_cast<double>(inner) / std::max(probe.width(), probe.height());
    const int size = static_cast<int>(kProbeSize * scale);
    const double factor = static_cast<double>(size) / kProbeSize;
    // Where the scaled ink box would start relative to the origin, then centre it.
    const double left = (probe.left() - probeOrigin.x()) * factor;
    const double top = (probe.top() - probeOrigin.y()) * factor;
    const QPoint origin(static_cast<int>((kLarge - probe.width() * factor) / 2 - left),
                        static_cast<int>((kLarge - probe.height() * factor) / 2 - top));
    return DrawGlyph(glyph, size, origin);
}

Grid Ink(const QImage& image) {
    Grid ink(static_cast<std::size_t>(kLarge * kLarge));
    for (int y = 0; y < kLarge; ++y) {
        for (int x = 0; x < kLarge; ++x) {
            ink[static_cast<std::size_t>(y * kLarge + x)] = qGray(image.pixel(x, y)) < 128;
        }
    }
    return ink;
}

// Every pixel not reachable from the border without crossing ink.
Grid Silhouette(const Grid& ink) {
    Grid outside(ink.size());
    std::vector<int> stack;
    auto push = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= kLarge || y >= kLarge) {
            return;
        }
        const auto i = static_cast<std::size_t>(y * kLarge + x);
        if (!outside[i] && !ink[i]) {
            outside[i] = true;
            stack.push_back(static_cast<int>(i));
        }
    };
    for (int i = 0; i < kLarge; ++i) {
        push(i, 0), push(i, kLarge - 1), push(0, i), push(kLarge - 1, i);
    }
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        push(i % kLarge - 1, i / kLarge), push(i % kLarge + 1, i / kLarge);
        push(i % kLarge, i / kLarge - 1), push(i % kLarge, i / kLarge + 1);
    }
    Grid inside(ink.size());
    std::transform(outside.begin(), outside.end(), inside.begin(), [](bool o) { return !o; });
    return inside;
}

// The share of each cell pixel's kScale x kScale block that is set, above `threshold`.
Grid Shrink(const Grid& large, double threshold) {
    Grid small(static_cast<std::size_t>(kCell * kCell));
    for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
            int count = 0;
            for (int dy = 0; dy < kScale; ++dy) {
                for (int dx = 0; dx < kScale; ++dx) {
                    count += large[static_cast<std::size_t>((y * kScale + dy) * kLarge +
                                                            x * kScale + dx)];
                }
            }
            small[static_cast<std::size_t>(y * kCell + x)] = count > threshold * kScale * kScale;
        }
    }
    return small;
}

bool At(const Grid& grid, int x, int y) {
    return x >= 0 && y >= 0 && x < kCell && y < kCell &&
           grid[static_cast<std::size_t>(y * kCell + x)];
}

void PutCell(QImage& strip, int cell, const Grid& black) {
    for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
            strip.setPixel(cell * kCell + x, y, At(black, x, y) ? 1 : 0);
        }
    }
}

void DrawPiece(QImage& strip, int type) {
    const Grid ink = Ink(RenderGlyph(kWhiteGlyphs[static_cast<std::size_t>(type)]));
    const Grid shape = Shrink(Silhouette(ink), 0.5);
    Grid outline = Shrink(ink, 0.3);
    // The silhouette's edge is always outline, so a white piece shows its shape on a
    // white square.
    for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
            const bool edge = At(shape, x, y) && (!At(shape, x - 1, y) || !At(shape, x + 1, y) ||
                                                  !At(shape, x, y - 1) || !At(shape, x, y + 1));
            auto i = static_cast<std::size_t>(y * kCell + x);
            outline[i] = (outline[i] && At(shape, x, y)) || edge;
        }
    }
    Grid notBody(shape.size());
    Grid all(shape.size(), true);
    for (std::size_t i = 0; i < shape.size(); ++i) {
        notBody[i] = !(shape[i] && !outline[i]);
    }
    PutCell(strip, 4 * type - 3, notBody);  // white image: body white on black
    PutCell(strip, 4 * type - 2, outline);  // white mask: outline black on white
    PutCell(strip, 4 * type - 1, all);      // black image: all black
    PutCell(strip, 4 * type, shape);        // black mask: silhouette black on white
}

QImage DrawIcon() {
    constexpr int kSize = 64;
    QImage icon(kSize, kSize, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(64, 128, 64), 2));
    painter.setBrush(QColor(128, 255, 128));
    painter.drawRoundedRect(QRectF(2, 2, kSize - 4, kSize - 4), 8, 8);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(kSize / 2, 4, kSize / 2 - 4, kSize / 2 - 4));
    painter.drawRect(QRectF(4, kSize / 2, kSize / 2 - 4, kSize / 2 - 4));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(52);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, QString(QChar(0x265E)));
    return icon;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QImage strip(kCell * kCells, kCell, QImage::Format_Mono);
    strip.setColor(0, qRgb(255, 255, 255));
    strip.setColor(1, qRgb(0, 0, 0));
    strip.fill(0);
    for (int type = 1; type <= 6; ++type) {
        DrawPiece(strip, type);
    }
    const bool saved = strip.save(folder + QStringLiteral("/pieces.png")) &&
                       DrawIcon().save(folder + QStringLiteral("/korvani.png"));
    return saved ? 0 : 1;
}
