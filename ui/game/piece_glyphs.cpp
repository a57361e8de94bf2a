#include "ui/game/piece_glyphs.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace {

// The glyphs are read once at this size and scaled to each square.
constexpr int kReferencePixels = 200;
// The share of the square the tallest piece takes, leaving a margin all round.
constexpr double kPieceHeightShare = 0.84;

// The white king is U+2654; the white pieces follow as king, queen, rook, bishop,
// knight, pawn, and the black pieces six code points later.
constexpr char16_t kWhiteKingGlyph = 0x2654;
constexpr char16_t kBlackOffset = 6;
// The glyph's place after the king, by piece type (1 pawn ... 6 king).
constexpr std::array<int, 7> kGlyphIndex = {0, 5, 2, 4, 3, 1, 0};

struct GlyphShapes {
    QPainterPath outline;     // the white piece's glyph: outline and inner lines
    QPainterPath solid;       // the black piece's glyph: its body, inner lines left out
    QPainterPath silhouette;  // the whole area inside the outline
};

QPainterPath Area(const QPolygonF& contour) {
    QPainterPath area;
    area.addPolygon(contour);
    area.closeSubpath();
    return area;
}

// The area inside every contour of the glyph: its outline with the white body filled
// in.
QPainterPath Silhouette(const QPainterPath& outline) {
    QPainterPath area;
    for (const QPolygonF& contour : outline.toSubpathPolygons()) {
        area = area.united(Area(contour));
    }
    return area;
}

class GlyphSet {
public:
    GlyphSet() {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(kReferencePixels);
        for (int type = kPawn; type <= kKing; ++type) {
            const auto glyph = static_cast<char16_t>(kWhiteKingGlyph + kGlyphIndex[type]);
            GlyphShapes& shapes = shapes_[type];
            // Outline fonts fill by winding: overlapping contours add up, they do not
            // cancel out.
            shapes.outline.setFillRule(Qt::WindingFill);
            shapes.solid.setFillRule(Qt::WindingFill);
            shapes.outline.addText(0, 0, font, QString(QChar(glyph)));
            shapes.solid.addText(0, 0, font, QString(QChar(glyph + kBlackOffset)));
            if (shapes.outline.isEmpty() || shapes.solid.isEmpty()) {
                available_ = false;
                continue;
            }
            shapes.silhouette = Silhouette(shapes.outline);
            // Every piece is scaled alike, so that a pawn stays smaller than a king and
            // all stand on one line.
            bounds_ = bounds_.united(shapes.outline.boundingRect());
        }
    }

    [[nodiscard]] bool available() const { return available_; }
    [[nodiscard]] const GlyphShapes& shapes(int type) const { return shapes_[type]; }
    [[nodiscard]] const QRectF& bounds() const { return bounds_; }

private:
    std::array<GlyphShapes, kKing + 1> shapes_;
    QRectF bounds_;
    bool available_ = true;
};

const GlyphSet& Glyphs() {
    static const GlyphSet glyphs;
    return glyphs;
}

}  // namespace

void DrawPieceGlyph(QPainter& painter, const QRect& square, PieceCode piece) {
    const int type = PieceType(piece);
    const GlyphSet& glyphs = Glyphs();
    if (type < kPawn || type > kKing || !glyphs.available()) {
        return;
    }
    const GlyphShapes& shapes = glyphs.shapes(type);
    const QRectF bounds = glyphs.bounds();
    const double scale = kPieceHeightShare * square.height() / bounds.height();
    // Each piece is centred across the square; all share the vertical placement.
    const QRectF own = shapes.outline.boundingRect();
    QTransform transform;
    transform.translate(square.left() + square.width() / 2.0, square.top() + square.height() / 2.0);
    transform.scale(scale, scale);
    transform.translate(-own.center().x(), -bounds.center().y());

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setTransform(transform, true);
    if (PieceColour(piece) == kBlack) {
        // The inner lines show white; DejaVu's black king has hollow lobes that would
        // make it look white, so it stays a plain black silhouette.
        painter.fillPath(shapes.silhouette, type == kKing ? Qt::black : Qt::white);
        painter.fillPath(shapes.solid, Qt::black);
    } else {
        painter.fillPath(shapes.silhouette, Qt::white);
        painter.fillPath(shapes.outline, Qt::black);
    }
    painter.restore();
}
