#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <QTransform>

#include <optional>
#include <vector>

class QPainter;

// The drawing-state core shared by the WMF and EMF players: the device
// context of the format (objects, colours, modes, the logical-to-device
// mapping, clipping, the current position and paths) drawing into a QPainter.
// The players only take records apart and call it; every coordinate they pass
// is logical.
namespace pictures {

struct MetaPen
{
    quint32 style = 0; // PS_* with the geometric end-cap and join bits of extended pens
    double width = 0;  // logical units; 0 is one device pixel
    QColor color = Qt::black;
};

struct MetaBrush
{
    quint32 style = 0; // BS_*
    QColor color = Qt::white;
    quint32 hatch = 0;
    QImage pattern; // pattern brushes
};

struct MetaFont
{
    int height = 0;     // logical; negative: the character height, positive: the cell height
    int escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false, underline = false, strikeout = false;
    quint8 pitchAndFamily = 0;
    QString face;
};

struct MetaObject
{
    enum class Kind { Pen, Brush, Font, Region, Other } kind = Kind::Other;
    MetaPen pen;
    MetaBrush brush;
    MetaFont font;
    std::vector<QRectF> region; // logical rectangles
};

enum class ArcKind { Arc, ArcTo, Chord, Pie };

class MetaCanvas
{
public:
    static constexpr int kMaxObjects = 4096;
    static constexpr int kMaxSavedStates = 1024;
    // Points, characters and bitmap pixels a picture may draw in all: a
    // hostile file of a few megabytes cannot keep a decode busy for minutes.
    static constexpr qint64 kMaxWork = qint64(200) << 20;

    // `playback` maps the reference device onto the output picture. A
    // metafile (not enhanced) ignores the viewport and maps its window onto
    // the whole output.
    MetaCanvas(QPainter& painter, const QTransform& playback, bool enhanced, QSizeF referenceDpi);

    // --- Objects ---
    // WMF: the object takes the lowest free slot. EMF: the slot the record names.
    void createObject(const MetaObject& object);
    void createObjectAt(quint32 index, const MetaObject& object);
    void selectObject(quint32 index); // EMF stock objects carry the top bit
    void deleteObject(quint32 index);

    // --- Simple state ---
    void setTextColor(QColor c) { m_s.textColor = c; }
    void setBkColor(QColor c) { m_s.bkColor = c; }
    void setBkMode(quint32 mode) { m_s.bkMode = mode; }
    void setTextAlign(quint32 align) { m_s.textAlign = align; }
    void setPolyFillMode(quint32 mode) { m_s.polyFillMode = mode; }
    void setArcDirection(quint32 dir) { m_s.clockwise = dir == 2; }
    void setRop2(quint32 rop) { m_s.rop2 = rop; }
    void saveDc();
    void restoreDc(int relative);

    // --- Mapping ---
    void setMapMode(quint32 mode);
    void setWindowOrg(QPointF p) { m_s.windowOrg = p; }
    void setWindowExt(QSizeF s);
    void setViewportOrg(QPointF p) { m_s.viewportOrg = p; }
    void setViewportExt(QSizeF s);
    void offsetWindowOrg(QPointF d) { m_s.windowOrg += d; }
    void offsetViewportOrg(QPointF d) { m_s.viewportOrg += d; }
    void scaleWindowExt(double xNum, double xDen, double yNum, double yDen);
    void scaleViewportExt(double xNum, double xDen, double yNum, double yDen);
    void setWorldTransform(const QTransform& t);
    void modifyWorldTransform(const QTransform& t, quint32 mode);

    // --- Clipping ---
    void intersectClipRect(const QRectF& r);
    void excludeClipRect(const QRectF& r);
    void offsetClip(QPointF d);
    // rects in device units; mode RGN_AND 1, OR 2, XOR 3, DIFF 4, COPY 5
    void selectClipRegion(const std::vector<QRectF>& deviceRects, quint32 mode);
    void resetClip();
    // A region object as the clip (no object: no clip).
    void selectClipObject(quint32 index);
    void selectClipPath(quint32 mode);

    // --- Drawing ---
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF& points);
    void polylineTo(const QPolygonF& points);
    void polygon(const QPolygonF& points);
    void polyPolygon(const std::vector<QPolygonF>& polygons);
    void polyPolyline(const std::vector<QPolygonF>& lines);
    void polyBezier(const QPolygonF& points, bool fromPosition);
    void rectangle(const QRectF& r);
    void roundRect(const QRectF& r, QSizeF corner);
    void ellipse(const QRectF& r);
    void arc(const QRectF& box, QPointF start, QPointF end, ArcKind kind);
    void angleArc(QPointF centre, double radius, double startDeg, double sweepDeg);
    void setPixel(QPointF p, QColor c);
    // A region (logical rectangles) filled with the object's brush, or with
    // the selected brush when there is no object.
    void fillRegion(const std::vector<QRectF>& rects, std::optional<quint32> brushObject);
    void fillRegionObject(quint32 regionObject, std::optional<quint32> brushObject);
    // ETO_OPAQUE 2, ETO_CLIPPED 4 use the rectangle; dx are logical advances.
    void text(QPointF reference, const QString& text, quint32 options, const QRectF& rect,
              const std::vector<double>& dx);
    // rop is the ternary raster operation of the bit-block records.
    void bitmap(const QRectF& dest, const QImage& image, const QRectF& source, quint32 rop);
    void patBlt(const QRectF& dest, quint32 rop);

    // --- Paths ---
    void beginPath();
    void endPath() { m_inPath = false; }
    void closeFigure();
    void abortPath();
    void fillPath() { drawPath(false, true); }
    void strokePath() { drawPath(true, false); }
    void strokeAndFillPath() { drawPath(true, true); }

    // False once the picture has drawn as much as one picture may.
    bool workLeft() const { return m_work <= kMaxWork; }

private:
    struct State
    {
        MetaPen pen;
        MetaBrush brush;
        MetaFont font;
        QColor textColor = Qt::black;
        QColor bkColor = Qt::white;
        quint32 bkMode = 2; // OPAQUE
        quint32 textAlign = 0;
        quint32 polyFillMode = 1; // ALTERNATE
        quint32 rop2 = 13;        // R2_COPYPEN
        bool clockwise = false;
        quint32 mapMode = 1; // MM_TEXT
        QPointF windowOrg, viewportOrg;
        QSizeF windowExt{1, 1}, viewportExt{1, 1};
        QTransform world;
        bool clipped = false;
        QPainterPath clip; // output coordinates
        QPointF position;
    };

    QTransform mapping() const;
    QTransform full() const { return m_s.world * mapping() * m_playback; }
    bool spend(qint64 units);
    bool prepare(bool stroke, bool fill); // false: nothing to draw
    void drawShape(const QPainterPath& shape, bool stroke, bool fill);
    QRectF visiblePart(const QRectF& logical) const;
    bool reachesFar(const QRectF& extent) const;
    void drawFarShape(const QPainterPath& outputShape, const QTransform& t, const QRectF& extent);
    void drawPath(bool stroke, bool fill);
    void combineClip(const QPainterPath& outputShape, quint32 mode);
    QPainterPath outputRect(const QRectF& logical) const;
    QPainterPath arcPath(const QRectF& box, QPointF start, QPointF end, ArcKind kind) const;
    static std::optional<MetaObject> stockObject(quint32 index);

    QPainter& m_painter;
    QTransform m_playback;
    bool m_enhanced;
    QSizeF m_dpi;
    State m_s;
    std::vector<State> m_saved;
    std::vector<std::optional<MetaObject>> m_objects;
    bool m_inPath = false;
    QPainterPath m_path; // output coordinates
    qint64 m_work = 0;
    bool m_canDrawText = false;
};

} // namespace pictures
