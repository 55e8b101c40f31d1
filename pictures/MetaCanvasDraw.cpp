// The drawing half of the metafile drawing core: shapes, text, bitmaps and
// paths, each drawn with the state the records have set up.
#include "pictures/MetaCanvas.h"
#include "pictures/MetaMath.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace pictures {

using namespace meta;

namespace {

// Common Windows font names and the families fontconfig usually has for them.
QStringList fontFamilies(const MetaFont& f)
{
    static const struct
    {
        const char* windows;
        const char* linux;
    } map[] = {{"arial", "Liberation Sans"},     {"helvetica", "Liberation Sans"},
               {"ms sans serif", "DejaVu Sans"}, {"microsoft sans serif", "DejaVu Sans"},
               {"tahoma", "DejaVu Sans"},        {"verdana", "DejaVu Sans"},
               {"segoe ui", "DejaVu Sans"},      {"calibri", "Carlito"},
               {"cambria", "Caladea"},           {"times new roman", "Liberation Serif"},
               {"times", "Liberation Serif"},    {"ms serif", "DejaVu Serif"},
               {"georgia", "DejaVu Serif"},      {"courier new", "Liberation Mono"},
               {"courier", "Liberation Mono"},   {"lucida console", "DejaVu Sans Mono"},
               {"consolas", "DejaVu Sans Mono"}};
    QStringList out;
    const QString lower = f.face.trimmed().toLower();
    for (const auto& m : map) {
        if (lower == QLatin1String(m.windows))
            out << QString::fromLatin1(m.linux);
    }
    if (!f.face.trimmed().isEmpty())
        out << f.face.trimmed();
    switch (f.pitchAndFamily & 0xF0) {
    case 0x10: // FF_ROMAN
        out << QStringLiteral("DejaVu Serif") << QStringLiteral("serif");
        break;
    case 0x30: // FF_MODERN
        out << QStringLiteral("DejaVu Sans Mono") << QStringLiteral("monospace");
        break;
    default:
        out << QStringLiteral("DejaVu Sans") << QStringLiteral("sans-serif");
        break;
    }
    return out;
}

Qt::BrushStyle hatchStyle(quint32 hatch)
{
    switch (hatch) {
    case 0:
        return Qt::HorPattern;
    case 1:
        return Qt::VerPattern;
    case 2:
        return Qt::FDiagPattern;
    case 3:
        return Qt::BDiagPattern;
    case 4:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

} // namespace

// --- Drawing ---

bool MetaCanvas::prepare(bool stroke, bool fill)
{
    const QTransform t = full();
    if (!finite(t) || t.determinant() == 0)
        return false;
    m_painter.setTransform(t);
    if (m_s.clipped) {
        m_painter.setClipPath(t.inverted().map(m_s.clip));
    } else {
        m_painter.setClipping(false);
    }
    QPen pen(Qt::NoPen);
    const quint32 style = m_s.pen.style & 0xF;
    if (stroke && style != 5 && m_s.rop2 != 11) { // PS_NULL, R2_NOP
        pen = QPen(m_s.pen.color);
        // Logical width; a width that would cover more than the whole
        // output is no line anyone can see drawn.
        const double scale = axisScale(t);
        double w = m_s.pen.width;
        if (scale > 0 && w * scale > 1e5)
            w = 1e5 / scale;
        pen.setWidthF(w);
        pen.setCosmetic(w == 0);
        static const Qt::PenStyle dashes[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                              Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                              Qt::SolidLine,   Qt::SolidLine,      Qt::DotLine};
        pen.setStyle(style < 9 ? dashes[style] : Qt::SolidLine);
        const quint32 cap = m_s.pen.style & 0xF00, join = m_s.pen.style & 0xF000;
        pen.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
        pen.setJoinStyle(join == 0x1000   ? Qt::BevelJoin
                         : join == 0x2000 ? Qt::MiterJoin
                                          : Qt::RoundJoin);
    }
    QBrush brush(Qt::NoBrush);
    if (fill && m_s.brush.style != 1 && m_s.rop2 != 11) {
        switch (m_s.brush.style) {
        case 0:
            brush = QBrush(m_s.brush.color);
            break;
        case 2:
            brush = QBrush(m_s.brush.color, hatchStyle(m_s.brush.hatch));
            break;
        default:
            brush =
                m_s.brush.pattern.isNull() ? QBrush(m_s.brush.color) : QBrush(m_s.brush.pattern);
            break;
        }
    }
    m_painter.setPen(pen);
    m_painter.setBrush(brush);
    m_painter.setBackground(m_s.bkColor);
    m_painter.setBackgroundMode(m_s.bkMode == 2 ? Qt::OpaqueMode : Qt::TransparentMode);
    return pen.style() != Qt::NoPen || brush.style() != Qt::NoBrush;
}

void MetaCanvas::drawShape(const QPainterPath& shape, bool stroke, bool fill)
{
    if (m_inPath) {
        m_path.addPath(full().map(shape));
        return;
    }
    // Drawing through a clip path costs as much as the path.
    const qint64 clipCost = m_s.clipped ? m_s.clip.elementCount() : 0;
    if (!spend(shape.elementCount() + clipCost) || !prepare(stroke, fill))
        return;
    const QTransform t = full();
    const QRectF extent = t.mapRect(shape.controlPointRect());
    if (reachesFar(extent)) {
        drawFarShape(t.map(shape), t, extent);
        return;
    }
    m_painter.drawPath(shape);
}

// True when a shape of this output extent reaches well past the picture.
bool MetaCanvas::reachesFar(const QRectF& extent) const
{
    const double size =
        m_painter.device() ? m_painter.device()->width() + m_painter.device()->height() : 0;
    return extent.width() + extent.height() > qMax(4096.0, 4 * size);
}

// A shape reaching far beyond the picture: the rasteriser would walk all of
// it (seconds for a turned outline kilometres long), so it is cut to the
// picture first. Outlines longer still are made solid, since their dashes
// would be counted out one by one.
void MetaCanvas::drawFarShape(const QPainterPath& outputShape, const QTransform& t,
                              const QRectF& extent)
{
    const QPen pen = m_painter.pen();
    const QBrush brush = m_painter.brush();
    const double penWidth = pen.style() == Qt::NoPen ? 0
                            : pen.isCosmetic()       ? 1
                                                     : pen.widthF() * axisScale(t);
    const QSizeF size = m_painter.device()
                            ? QSizeF(m_painter.device()->width(), m_painter.device()->height())
                            : QSizeF();
    const double margin = qMin(penWidth, kLongShape) + 2;
    QPainterPath area;
    area.addRect(QRectF(QPointF(0, 0), size).adjusted(-margin, -margin, margin, margin));
    m_painter.setTransform(QTransform()); // the clip stays where prepare() put it
    if (brush.style() != Qt::NoBrush)
        m_painter.fillPath(outputShape.intersected(area), brush);
    if (pen.style() != Qt::NoPen) {
        QPainterPathStroker stroker;
        stroker.setWidth(qMax(1.0, qMin(penWidth, kLongShape)));
        stroker.setCapStyle(pen.capStyle());
        stroker.setJoinStyle(pen.joinStyle());
        if (pen.style() != Qt::SolidLine && extent.width() + extent.height() <= kLongShape)
            stroker.setDashPattern(pen.style());
        m_painter.fillPath(stroker.createStroke(outputShape).intersected(area), pen.brush());
    }
}

void MetaCanvas::moveTo(QPointF p)
{
    m_s.position = p;
    if (m_inPath)
        m_path.moveTo(full().map(p)); // a new figure
}

void MetaCanvas::lineTo(QPointF p)
{
    QPainterPath path(m_s.position);
    path.lineTo(p);
    m_s.position = p;
    if (m_inPath) {
        // A path's lines join up with what came before.
        const QPointF at = full().map(p);
        if (m_path.elementCount() == 0)
            m_path.moveTo(full().map(path.elementAt(0)));
        m_path.lineTo(at);
        return;
    }
    drawShape(path, true, false);
}

void MetaCanvas::polyline(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    drawShape(path, true, false);
}

void MetaCanvas::polylineTo(const QPolygonF& points)
{
    for (const QPointF& p : points) {
        if (!spend(1))
            return;
        lineTo(p);
    }
}

void MetaCanvas::polygon(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.setFillRule(m_s.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    path.addPolygon(points);
    path.closeSubpath();
    drawShape(path, true, true);
}

void MetaCanvas::polyPolygon(const std::vector<QPolygonF>& polygons)
{
    QPainterPath path;
    path.setFillRule(m_s.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    for (const QPolygonF& p : polygons) {
        if (p.size() < 2)
            continue;
        path.addPolygon(p);
        path.closeSubpath();
    }
    drawShape(path, true, true);
}

void MetaCanvas::polyPolyline(const std::vector<QPolygonF>& lines)
{
    QPainterPath path;
    for (const QPolygonF& p : lines) {
        if (p.size() >= 2)
            path.addPolygon(p);
    }
    drawShape(path, true, false);
}

void MetaCanvas::polyBezier(const QPolygonF& points, bool fromPosition)
{
    QPolygonF pts = points;
    if (fromPosition)
        pts.prepend(m_s.position);
    if (pts.size() < 4)
        return;
    QPainterPath path(pts[0]);
    qsizetype i = 1;
    for (; i + 2 < pts.size(); i += 3)
        path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    if (fromPosition) {
        m_s.position = pts[i - 1];
        if (m_inPath) {
            // Continue the figure rather than starting a new one.
            const QPainterPath mapped = full().map(path);
            if (m_path.elementCount() == 0)
                m_path.moveTo(mapped.elementAt(0));
            m_path.connectPath(mapped);
            return;
        }
    }
    drawShape(path, true, false);
}

void MetaCanvas::rectangle(const QRectF& r)
{
    QPainterPath path;
    path.addRect(r.normalized());
    drawShape(path, true, true);
}

void MetaCanvas::roundRect(const QRectF& r, QSizeF corner)
{
    QPainterPath path;
    path.addRoundedRect(r.normalized(), std::abs(corner.width()) / 2,
                        std::abs(corner.height()) / 2);
    drawShape(path, true, true);
}

void MetaCanvas::ellipse(const QRectF& r)
{
    QPainterPath path;
    path.addEllipse(r.normalized());
    drawShape(path, true, true);
}

QPainterPath MetaCanvas::arcPath(const QRectF& boxIn, QPointF start, QPointF end,
                                 ArcKind kind) const
{
    const QRectF box = boxIn.normalized();
    const QPointF c = box.center();
    const double rx = box.width() / 2, ry = box.height() / 2;
    QPainterPath path;
    if (rx <= 0 || ry <= 0)
        return path;
    // The radial through each point meets the ellipse at this parameter.
    auto angle = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180 / M_PI;
    };
    const double a1 = angle(start), a2 = angle(end);
    double sweep = std::fmod(a2 - a1 + 720, 360);
    if (sweep == 0)
        sweep = 360;
    if (m_s.clockwise)
        sweep -= 360;
    if (kind == ArcKind::Pie) {
        path.moveTo(c);
        path.arcTo(box, a1, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(box, a1);
        if (kind == ArcKind::ArcTo) {
            QPainterPath lead(m_s.position);
            lead.lineTo(path.currentPosition());
            lead.arcTo(box, a1, sweep);
            return lead;
        }
        path.arcTo(box, a1, sweep);
        if (kind == ArcKind::Chord)
            path.closeSubpath();
    }
    return path;
}

void MetaCanvas::arc(const QRectF& box, QPointF start, QPointF end, ArcKind kind)
{
    const QPainterPath path = arcPath(box, start, end, kind);
    if (path.isEmpty())
        return;
    if (kind == ArcKind::ArcTo)
        m_s.position = path.currentPosition();
    const bool filled = kind == ArcKind::Chord || kind == ArcKind::Pie;
    drawShape(path, true, filled);
}

void MetaCanvas::angleArc(QPointF centre, double radius, double startDeg, double sweepDeg)
{
    if (!(radius > 0) || !std::isfinite(startDeg) || !std::isfinite(sweepDeg))
        return;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path(m_s.position);
    QPainterPath probe;
    probe.arcMoveTo(box, startDeg);
    path.lineTo(probe.currentPosition());
    path.arcTo(box, startDeg, std::fmod(sweepDeg, 3600.0));
    m_s.position = path.currentPosition();
    drawShape(path, true, false);
}

void MetaCanvas::fillRegion(const std::vector<QRectF>& rects, std::optional<quint32> brushObject)
{
    QPainterPath region;
    for (const QRectF& r : rects)
        region.addRect(r.normalized());
    region.setFillRule(Qt::WindingFill);
    const MetaBrush selected = m_s.brush;
    const MetaPen pen = m_s.pen;
    if (brushObject)
        selectObject(*brushObject);
    m_s.pen.style = 5; // regions are filled without an outline
    drawShape(region, false, true);
    m_s.brush = selected;
    m_s.pen = pen;
}

void MetaCanvas::fillRegionObject(quint32 regionObject, std::optional<quint32> brushObject)
{
    if (regionObject < m_objects.size() && m_objects[regionObject] &&
        m_objects[regionObject]->kind == MetaObject::Kind::Region) {
        const std::vector<QRectF> rects = m_objects[regionObject]->region;
        fillRegion(rects, brushObject);
    }
}

void MetaCanvas::setPixel(QPointF p, QColor c)
{
    if (m_inPath || !spend(1))
        return;
    const QTransform t = full();
    if (!finite(t))
        return;
    m_painter.setTransform(QTransform());
    m_painter.setClipping(false);
    if (m_s.clipped)
        m_painter.setClipPath(m_s.clip);
    const QPointF at = t.map(p);
    m_painter.fillRect(QRectF(std::floor(at.x()), std::floor(at.y()), 1, 1), c);
}

void MetaCanvas::text(QPointF reference, const QString& textIn, quint32 options, const QRectF& rect,
                      const std::vector<double>& dx)
{
    const QTransform t = full();
    if (m_inPath || !m_canDrawText || !finite(t) || t.determinant() == 0)
        return;
    const QString text = textIn.left(8192);
    if (!spend(text.size() * 64))
        return;
    const bool updateCp = m_s.textAlign & 1;
    const QPointF at = t.map(updateCp ? m_s.position : reference);
    if (std::abs(at.x()) > kFarAway || std::abs(at.y()) > kFarAway)
        return;
    const double scaleX = std::hypot(t.m11(), t.m12());
    const double scaleY = std::hypot(t.m21(), t.m22());
    double em = std::abs(double(m_s.font.height));
    if (m_s.font.height > 0)
        em *= 0.85; // a cell height includes the internal leading
    double pixels = em > 0 ? em * scaleY : 16 * std::hypot(m_playback.m21(), m_playback.m22());
    if (!(pixels >= 0.5))
        return;
    pixels = qMin(pixels, 4096.0);

    QFont font;
    font.setFamilies(fontFamilies(m_s.font));
    font.setPixelSize(qMax(1, int(std::lround(pixels))));
    font.setWeight(QFont::Weight(qBound(1, m_s.font.weight ? m_s.font.weight : 400, 1000)));
    font.setItalic(m_s.font.italic);
    font.setUnderline(m_s.font.underline);
    font.setStrikeOut(m_s.font.strikeout);
    const QFontMetricsF fm(font);

    std::vector<double> advances; // output pixels
    double width = 0;
    if (!dx.empty()) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const double a =
                size_t(i) < dx.size() ? dx[size_t(i)] * scaleX : fm.horizontalAdvance(text.at(i));
            advances.push_back(a);
            width += a;
        }
    } else {
        width = fm.horizontalAdvance(text);
    }
    const quint32 h = m_s.textAlign & 6, v = m_s.textAlign & 24;
    const double x = h == 6 ? -width / 2 : h == 2 ? -width : 0;
    const double y = v == 24 ? 0 : v == 8 ? -fm.descent() : fm.ascent();

    m_painter.save();
    m_painter.setTransform(QTransform());
    m_painter.setClipping(false);
    if (m_s.clipped)
        m_painter.setClipPath(m_s.clip);
    if (!rect.isNull() && (options & 2)) { // ETO_OPAQUE
        QPainterPath box = outputRect(rect);
        m_painter.fillPath(box, m_s.bkColor);
    }
    if (!rect.isNull() && (options & 4)) // ETO_CLIPPED
        m_painter.setClipPath(outputRect(rect), m_s.clipped ? Qt::IntersectClip : Qt::ReplaceClip);
    m_painter.translate(at);
    m_painter.rotate(-double(m_s.font.escapement) / 10);
    if (m_s.bkMode == 2 && !(options & 2))
        m_painter.fillRect(QRectF(x, y - fm.ascent(), width, fm.height()), m_s.bkColor);
    m_painter.setFont(font);
    m_painter.setPen(m_s.textColor);
    if (advances.empty()) {
        m_painter.drawText(QPointF(x, y), text);
    } else {
        double pos = x;
        for (qsizetype i = 0; i < text.size(); ++i) {
            m_painter.drawText(QPointF(pos, y), QString(text.at(i)));
            pos += advances[size_t(i)];
        }
    }
    m_painter.restore();
    if (updateCp && scaleX > 0)
        m_s.position.rx() += (h == 2 ? -width : h == 6 ? 0 : width) / scaleX;
}

void MetaCanvas::patBlt(const QRectF& dest, quint32 rop)
{
    if (m_inPath)
        return;
    QColor c;
    switch (rop) {
    case 0x00000042: // BLACKNESS
        c = Qt::black;
        break;
    case 0x00FF0062: // WHITENESS
        c = Qt::white;
        break;
    case 0x00F00021: { // PATCOPY
        if (!spend(16) || !prepare(false, true))
            return;
        m_painter.fillRect(visiblePart(dest.normalized()), m_painter.brush());
        return;
    }
    default:
        return; // the operations that read the destination are left out
    }
    if (!spend(16) || !finite(full()))
        return;
    prepare(false, false);
    m_painter.fillRect(visiblePart(dest.normalized()), c);
}

void MetaCanvas::bitmap(const QRectF& dest, const QImage& image, const QRectF& source, quint32 rop)
{
    if (m_inPath || image.isNull()) {
        patBlt(dest, rop);
        return;
    }
    if (!spend(qint64(image.width()) * image.height()) || !finite(full()))
        return;
    prepare(false, false);
    // A negative width or height mirrors the picture.
    QImage img = image.copy(source.toAlignedRect());
    if (img.isNull())
        return;
    if (dest.width() < 0 || dest.height() < 0)
        img = img.mirrored(dest.width() < 0, dest.height() < 0);
    switch (rop) {
    case 0x008800C6: // SRCAND
        m_painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        break;
    case 0x00EE0086: // SRCPAINT
        m_painter.setCompositionMode(QPainter::CompositionMode_Lighten);
        break;
    default:
        break;
    }
    const QRectF d = dest.normalized();
    const QRectF visible = visiblePart(d);
    if (visible == d) {
        m_painter.drawImage(d, img);
    } else if (!visible.isEmpty()) {
        const double sx = img.width() / d.width(), sy = img.height() / d.height();
        m_painter.drawImage(visible, img,
                            QRectF((visible.left() - d.left()) * sx, (visible.top() - d.top()) * sy,
                                   visible.width() * sx, visible.height() * sy));
    }
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// The part of a logical rectangle that can reach the picture. Only a
// rectangle reaching far past the picture is cut: the rasteriser would walk
// all of it (a turned bitmap a million pixels wide takes seconds).
QRectF MetaCanvas::visiblePart(const QRectF& logical) const
{
    const QTransform t = full();
    const QRectF extent = t.mapRect(logical);
    if (!reachesFar(extent) || !t.isInvertible() || !m_painter.device())
        return logical;
    const QRectF area(-2, -2, m_painter.device()->width() + 4, m_painter.device()->height() + 4);
    return t.inverted().mapRect(area).intersected(logical);
}

// --- Paths ---

void MetaCanvas::beginPath()
{
    m_inPath = true;
    m_path = QPainterPath();
}

void MetaCanvas::closeFigure()
{
    if (m_inPath)
        m_path.closeSubpath();
}

void MetaCanvas::abortPath()
{
    m_inPath = false;
    m_path = QPainterPath();
}

void MetaCanvas::drawPath(bool stroke, bool fill)
{
    m_inPath = false;
    QPainterPath path = std::exchange(m_path, QPainterPath());
    const QTransform t = full();
    if (path.isEmpty() || !t.isInvertible())
        return;
    QPainterPath logical = t.inverted().map(path);
    logical.setFillRule(m_s.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    drawShape(logical, stroke, fill);
}

} // namespace pictures
