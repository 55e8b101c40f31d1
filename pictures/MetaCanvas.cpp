#include "pictures/MetaCanvas.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

#include <cmath>

namespace pictures {

namespace {

constexpr quint32 kStockBit = 0x80000000u;
// Output coordinates beyond this are no picture anyone drew on purpose; they
// only make the rasteriser work.
constexpr double kFarAway = 1e7;
// Output extent past which a shape is cut to the picture before drawing.
constexpr double kLongShape = 65536;

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

double axisScale(const QTransform& t)
{
    return std::sqrt(std::abs(t.determinant()));
}

bool finite(const QTransform& t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy()) &&
           std::abs(t.dx()) < 1e12 && std::abs(t.dy()) < 1e12;
}

} // namespace

MetaCanvas::MetaCanvas(QPainter& painter, const QTransform& playback, bool enhanced,
                       QSizeF referenceDpi)
    : m_painter(painter), m_playback(playback), m_enhanced(enhanced), m_dpi(referenceDpi)
{
    // Text needs the font database, which exists only in a GUI application.
    m_canDrawText = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (!m_enhanced)
        m_s.mapMode = 8; // a metafile maps its window onto the output
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

bool MetaCanvas::spend(qint64 units)
{
    m_work += qMax<qint64>(1, units);
    return m_work <= kMaxWork;
}

// --- Objects ---

void MetaCanvas::createObject(const MetaObject& object)
{
    for (size_t i = 0; i < m_objects.size(); ++i) {
        if (!m_objects[i]) {
            m_objects[i] = object;
            return;
        }
    }
    if (m_objects.size() < size_t(kMaxObjects))
        m_objects.push_back(object);
}

void MetaCanvas::createObjectAt(quint32 index, const MetaObject& object)
{
    if (index >= quint32(kMaxObjects))
        return;
    if (m_objects.size() <= index)
        m_objects.resize(index + 1);
    m_objects[index] = object;
}

std::optional<MetaObject> MetaCanvas::stockObject(quint32 index)
{
    MetaObject o;
    switch (index & ~kStockBit) {
    case 0: // WHITE_BRUSH
    case 1:
    case 2:
    case 3:
    case 4: { // BLACK_BRUSH
        static const int grey[] = {255, 192, 128, 64, 0};
        o.kind = MetaObject::Kind::Brush;
        const int g = grey[index & ~kStockBit];
        o.brush.color = QColor(g, g, g);
        return o;
    }
    case 5: // NULL_BRUSH
        o.kind = MetaObject::Kind::Brush;
        o.brush.style = 1;
        return o;
    case 6: // WHITE_PEN
    case 7: // BLACK_PEN
    case 8: // NULL_PEN
        o.kind = MetaObject::Kind::Pen;
        o.pen.color = (index & ~kStockBit) == 6 ? Qt::white : Qt::black;
        o.pen.style = (index & ~kStockBit) == 8 ? 5 : 0;
        return o;
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 16:
    case 17:
        o.kind = MetaObject::Kind::Font;
        return o;
    default:
        return std::nullopt;
    }
}

void MetaCanvas::selectObject(quint32 index)
{
    std::optional<MetaObject> o;
    if (m_enhanced && (index & kStockBit))
        o = stockObject(index);
    else if (index < m_objects.size())
        o = m_objects[index];
    if (!o)
        return;
    switch (o->kind) {
    case MetaObject::Kind::Pen:
        m_s.pen = o->pen;
        break;
    case MetaObject::Kind::Brush:
        m_s.brush = o->brush;
        break;
    case MetaObject::Kind::Font:
        m_s.font = o->font;
        break;
    case MetaObject::Kind::Other:
        break;
    }
}

void MetaCanvas::deleteObject(quint32 index)
{
    if (index < m_objects.size())
        m_objects[index].reset();
}

void MetaCanvas::saveDc()
{
    if (m_saved.size() < size_t(kMaxSavedStates))
        m_saved.push_back(m_s);
}

void MetaCanvas::restoreDc(int relative)
{
    // Negative: that many levels back; positive: that saved level (1 is the first).
    qint64 keep = relative < 0 ? qint64(m_saved.size()) + relative : qint64(relative) - 1;
    if (keep < 0 || keep >= qint64(m_saved.size()))
        return;
    m_s = m_saved[size_t(keep)];
    m_saved.resize(size_t(keep));
}

// --- Mapping ---

void MetaCanvas::setMapMode(quint32 mode)
{
    if (mode >= 1 && mode <= 8 && m_enhanced)
        m_s.mapMode = mode;
    else if (!m_enhanced && (mode == 7 || mode == 8))
        m_s.mapMode = mode;
}

void MetaCanvas::setWindowExt(QSizeF s)
{
    if (s.width() != 0 && s.height() != 0)
        m_s.windowExt = s;
}

void MetaCanvas::setViewportExt(QSizeF s)
{
    if (s.width() != 0 && s.height() != 0)
        m_s.viewportExt = s;
}

void MetaCanvas::scaleWindowExt(double xNum, double xDen, double yNum, double yDen)
{
    if (xDen != 0 && yDen != 0)
        setWindowExt(
            QSizeF(m_s.windowExt.width() * xNum / xDen, m_s.windowExt.height() * yNum / yDen));
}

void MetaCanvas::scaleViewportExt(double xNum, double xDen, double yNum, double yDen)
{
    if (xDen != 0 && yDen != 0)
        setViewportExt(
            QSizeF(m_s.viewportExt.width() * xNum / xDen, m_s.viewportExt.height() * yNum / yDen));
}

void MetaCanvas::setWorldTransform(const QTransform& t)
{
    if (finite(t) && t.determinant() != 0)
        m_s.world = t;
}

void MetaCanvas::modifyWorldTransform(const QTransform& t, quint32 mode)
{
    switch (mode) {
    case 1: // MWT_IDENTITY
        m_s.world = QTransform();
        break;
    case 2: // MWT_LEFTMULTIPLY
        setWorldTransform(t * m_s.world);
        break;
    case 3: // MWT_RIGHTMULTIPLY
        setWorldTransform(m_s.world * t);
        break;
    case 4: // MWT_SET
        setWorldTransform(t);
        break;
    default:
        break;
    }
}

QTransform MetaCanvas::mapping() const
{
    double sx = 1, sy = 1;
    QPointF viewportOrg = m_s.viewportOrg;
    if (!m_enhanced) {
        // The window is mapped onto the whole output: the playback transform
        // already takes the output's size.
        viewportOrg = QPointF();
        sx = 1 / m_s.windowExt.width();
        sy = 1 / m_s.windowExt.height();
        if (m_s.mapMode == 7) {
            const double s = qMin(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
    } else {
        const double dx = m_dpi.width(), dy = m_dpi.height();
        switch (m_s.mapMode) {
        case 2: // MM_LOMETRIC
            sx = dx / 254, sy = -dy / 254;
            break;
        case 3: // MM_HIMETRIC
            sx = dx / 2540, sy = -dy / 2540;
            break;
        case 4: // MM_LOENGLISH
            sx = dx / 100, sy = -dy / 100;
            break;
        case 5: // MM_HIENGLISH
            sx = dx / 1000, sy = -dy / 1000;
            break;
        case 6: // MM_TWIPS
            sx = dx / 1440, sy = -dy / 1440;
            break;
        case 7: // MM_ISOTROPIC
        case 8: // MM_ANISOTROPIC
            sx = m_s.viewportExt.width() / m_s.windowExt.width();
            sy = m_s.viewportExt.height() / m_s.windowExt.height();
            if (m_s.mapMode == 7) {
                const double s = qMin(std::abs(sx), std::abs(sy));
                sx = std::copysign(s, sx);
                sy = std::copysign(s, sy);
            }
            break;
        default:
            break;
        }
    }
    return QTransform(sx, 0, 0, sy, viewportOrg.x() - m_s.windowOrg.x() * sx,
                      viewportOrg.y() - m_s.windowOrg.y() * sy);
}

// --- Clipping ---

QPainterPath MetaCanvas::outputRect(const QRectF& logical) const
{
    QPainterPath p;
    p.addPolygon(full().map(QPolygonF(logical.normalized())));
    p.closeSubpath();
    return p;
}

void MetaCanvas::combineClip(const QPainterPath& shape, quint32 mode)
{
    QPainterPath whole;
    whole.addRect(QRectF(-kFarAway, -kFarAway, 2 * kFarAway, 2 * kFarAway));
    const QPainterPath current = m_s.clipped ? m_s.clip : whole;
    // Boolean operations grow with both paths; a file of many clip records
    // over a clip with thousands of holes would otherwise run for minutes.
    if (!spend((qint64(current.elementCount()) + shape.elementCount()) * 256))
        return;
    switch (mode) {
    case 1:
        m_s.clip = current.intersected(shape);
        break;
    case 2:
        m_s.clip = current.united(shape);
        break;
    case 3:
        m_s.clip = current.united(shape).subtracted(current.intersected(shape));
        break;
    case 4:
        m_s.clip = current.subtracted(shape);
        break;
    case 5:
        m_s.clip = shape;
        break;
    default:
        return;
    }
    m_s.clipped = true;
}

void MetaCanvas::intersectClipRect(const QRectF& r)
{
    combineClip(outputRect(r), 1);
}

void MetaCanvas::excludeClipRect(const QRectF& r)
{
    combineClip(outputRect(r), 4);
}

void MetaCanvas::offsetClip(QPointF d)
{
    if (!m_s.clipped)
        return;
    const QTransform t = full();
    const QPointF shift = t.map(d) - t.map(QPointF());
    m_s.clip.translate(shift);
}

void MetaCanvas::selectClipRegion(const std::vector<QRectF>& deviceRects, quint32 mode)
{
    if (deviceRects.empty() && mode == 5) {
        resetClip();
        return;
    }
    QPainterPath shape;
    for (const QRectF& r : deviceRects) {
        if (!spend(4))
            return;
        shape.addPolygon(m_playback.map(QPolygonF(r.normalized())));
        shape.closeSubpath();
    }
    combineClip(shape.simplified(), mode);
}

void MetaCanvas::resetClip()
{
    m_s.clipped = false;
    m_s.clip = QPainterPath();
}

void MetaCanvas::selectClipPath(quint32 mode)
{
    QPainterPath p = m_path;
    p.setFillRule(m_s.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    combineClip(p, mode);
    m_path = QPainterPath();
    m_inPath = false;
}

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
    if (extent.width() + extent.height() > kLongShape) {
        drawFarShape(t.map(shape), t);
        return;
    }
    m_painter.drawPath(shape);
}

// A shape reaching far beyond the picture: the rasteriser would walk all of
// it (seconds for a line kilometres long), so it is cut to the picture first.
// Outlines are made solid, since dashes along such a line would be counted
// out one by one.
void MetaCanvas::drawFarShape(const QPainterPath& outputShape, const QTransform& t)
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
    if (extent.width() + extent.height() <= kLongShape || !t.isInvertible() || !m_painter.device())
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
