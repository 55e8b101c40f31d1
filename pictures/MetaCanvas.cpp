// The state half of the metafile drawing core: objects, saved states, the
// logical-to-device mapping and clipping.
#include "pictures/MetaCanvas.h"
#include "pictures/MetaMath.h"

#include <QGuiApplication>
#include <QPainter>

namespace pictures {

using namespace meta;

namespace {
constexpr quint32 kStockBit = 0x80000000u;
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
    case MetaObject::Kind::Region: // selecting a region makes it the clip
        selectClipObject(index);
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

void MetaCanvas::selectClipObject(quint32 index)
{
    if (index >= m_objects.size() || !m_objects[index] ||
        m_objects[index]->kind != MetaObject::Kind::Region) {
        resetClip();
        return;
    }
    QPainterPath shape;
    shape.setFillRule(Qt::WindingFill);
    for (const QRectF& r : m_objects[index]->region) {
        if (!spend(4))
            return;
        shape.addPath(outputRect(r));
    }
    combineClip(shape, 5);
}

void MetaCanvas::selectClipPath(quint32 mode)
{
    QPainterPath p = m_path;
    p.setFillRule(m_s.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    combineClip(p, mode);
    m_path = QPainterPath();
    m_inPath = false;
}

} // namespace pictures
