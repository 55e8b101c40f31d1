// The enhanced metafile player: the header, and the records, each handed to
// the shared drawing-state core. EMF+ records live inside comment records and
// are skipped; the plain records that follow them are drawn.
#include "pictures/MetaCanvas.h"
#include "pictures/MetaPlayers.h"

#include <cmath>

namespace pictures {

namespace {

constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"
constexpr quint32 kMaxPoints = 1u << 24;

QColor colorRef(quint32 c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QRectF rectl(MetaBytes& r)
{
    const double l = r.i32(), t = r.i32(), rr = r.i32(), b = r.i32();
    return QRectF(QPointF(l, t), QPointF(rr, b));
}

QPointF pointl(MetaBytes& r)
{
    const double x = r.i32(), y = r.i32();
    return {x, y};
}

QPolygonF points(MetaBytes& r, quint32 n, bool small)
{
    QPolygonF p;
    if (n > kMaxPoints || !r.has(qsizetype(n) * (small ? 4 : 8)))
        return p;
    p.reserve(qsizetype(n));
    for (quint32 i = 0; i < n; ++i) {
        if (small) {
            const double x = r.i16(), y = r.i16();
            p << QPointF(x, y);
        } else {
            p << pointl(r);
        }
    }
    return p;
}

QTransform xform(MetaBytes& r)
{
    const double m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32(), dx = r.f32(),
                 dy = r.f32();
    return QTransform(m11, m12, m21, m22, dx, dy);
}

// A bitmap a record carries at offsets from its own start.
QImage recordDib(const MetaBytes& r, quint32 offBmi, quint32 cbBmi, quint32 offBits, quint32 cbBits)
{
    const char* bmi = nullptr;
    const char* bits = nullptr;
    if (cbBmi == 0 || !r.slice(offBmi, cbBmi, bmi) || !r.slice(offBits, cbBits, bits))
        return {};
    return decodeDib(bmi, cbBmi, bits, cbBits);
}

QRectF dibSource(const QImage& img, double x, double y, double w, double h)
{
    return QRectF(x, img.height() - y - h, w, h).intersected(QRectF(img.rect()));
}

// The rectangles of region data (a 32-byte header, then the rectangles);
// none when the data is unsound or too large to be a drawn region.
std::vector<QRectF> regionRects(MetaBytes& r, quint32 size)
{
    std::vector<QRectF> rects;
    if (size < 32 || !r.has(size))
        return rects;
    r.u32(); // header size
    r.u32(); // type
    const quint32 n = r.u32();
    r.u32();  // size of the rectangles
    rectl(r); // bounds
    if (!r.ok() || n > 16384 || qint64(n) * 16 > qint64(size) - 32)
        return rects;
    for (quint32 i = 0; i < n; ++i)
        rects.push_back(rectl(r));
    return rects;
}

void polyRecord(quint32 type, MetaBytes& r, MetaCanvas& canvas)
{
    const bool small = type >= 85;
    const quint32 base = small ? type - 83 : type; // the 16-bit forms run 85.. like 2..
    rectl(r);                                      // bounds
    if (base == 7 || base == 8) {                  // poly-polyline, poly-polygon
        const quint32 n = r.u32();
        const quint32 total = r.u32();
        if (!r.ok() || n > kMaxPoints || total > kMaxPoints || !r.has(qsizetype(n) * 4))
            return;
        std::vector<quint32> counts;
        quint64 sum = 0;
        for (quint32 i = 0; i < n; ++i) {
            counts.push_back(r.u32());
            sum += counts.back();
        }
        if (sum != total)
            return;
        std::vector<QPolygonF> polys;
        for (quint32 c : counts) {
            polys.push_back(points(r, c, small));
            if (polys.back().size() != qsizetype(c))
                return;
        }
        base == 8 ? canvas.polyPolygon(polys) : canvas.polyPolyline(polys);
        return;
    }
    const quint32 n = r.u32();
    const QPolygonF pts = points(r, n, small);
    if (!r.ok() || pts.size() != qsizetype(n))
        return;
    switch (base) {
    case 2:
        canvas.polyBezier(pts, false);
        break;
    case 3:
        canvas.polygon(pts);
        break;
    case 4:
        canvas.polyline(pts);
        break;
    case 5:
        canvas.polyBezier(pts, true);
        break;
    case 6:
        canvas.polylineTo(pts);
        break;
    default:
        break;
    }
}

void textRecord(quint32 type, MetaBytes& r, MetaCanvas& canvas)
{
    rectl(r); // bounds
    r.u32();  // graphics mode
    r.f32();  // x scale
    r.f32();  // y scale
    const QPointF at = pointl(r);
    const quint32 count = r.u32();
    const quint32 offString = r.u32();
    const quint32 options = r.u32();
    const QRectF rect = rectl(r);
    const quint32 offDx = r.u32();
    if (!r.ok() || count > 65536)
        return;
    const bool wide = type == 84;
    const char* s = nullptr;
    if (!r.slice(offString, count * (wide ? 2 : 1), s))
        return;
    QString text;
    if (wide) {
        text.resize(qsizetype(count));
        for (quint32 i = 0; i < count; ++i)
            text[qsizetype(i)] = QChar(char16_t(quint8(s[2 * i]) | (quint8(s[2 * i + 1]) << 8)));
    } else {
        text = QString::fromLatin1(s, qsizetype(count));
    }
    std::vector<double> dx;
    const char* d = nullptr;
    // ETO_PDY (0x2000) doubles the entries: x and y advances.
    const quint32 per = (options & 0x2000) ? 2 : 1;
    if (offDx && r.slice(offDx, count * 4 * per, d)) {
        MetaBytes dr(d, qsizetype(count) * 4 * per);
        for (quint32 i = 0; i < count; ++i) {
            dx.push_back(dr.i32());
            if (per == 2)
                dr.i32();
        }
    }
    if (options & 0x10) // glyph indices
        return;
    canvas.text(at, text, options, rect, dx);
}

void createFont(MetaBytes& r, MetaCanvas& canvas)
{
    const quint32 index = r.u32();
    MetaObject o;
    o.kind = MetaObject::Kind::Font;
    o.font.height = r.i32();
    r.i32(); // width
    o.font.escapement = r.i32();
    r.i32(); // orientation
    o.font.weight = r.i32();
    o.font.italic = r.u8();
    o.font.underline = r.u8();
    o.font.strikeout = r.u8();
    r.u8(); // charset
    r.skip(3);
    o.font.pitchAndFamily = r.u8();
    QString face;
    for (int i = 0; i < 32 && r.has(2); ++i) {
        const char16_t c = r.u16();
        if (!c)
            break;
        face.append(QChar(c));
    }
    o.font.face = face;
    if (r.ok())
        canvas.createObjectAt(index, o);
}

void bitBlt(quint32 type, MetaBytes& r, MetaCanvas& canvas)
{
    rectl(r);
    const double x = r.i32(), y = r.i32(), cx = r.i32(), cy = r.i32();
    const quint32 rop = r.u32();
    const double xSrc = r.i32(), ySrc = r.i32();
    r.skip(24); // the source's world transform
    r.u32();    // background colour
    const quint32 usage = r.u32();
    const quint32 offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    double cxSrc = cx, cySrc = cy;
    if (type == 77) {
        cxSrc = r.i32();
        cySrc = r.i32();
    }
    if (!r.ok())
        return;
    const QRectF dest(x, y, cx, cy);
    const QImage img = usage == 0 ? recordDib(r, offBmi, cbBmi, offBits, cbBits) : QImage();
    if (img.isNull() && cbBmi == 0) {
        canvas.patBlt(dest, rop);
        return;
    }
    canvas.bitmap(dest, img, dibSource(img, xSrc, ySrc, cxSrc, cySrc), rop);
}

// One record; false at the end record.
bool playRecord(quint32 type, MetaBytes& r, MetaCanvas& canvas)
{
    switch (type) {
    case 14: // EOF
        return false;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 85:
    case 86:
    case 87:
    case 88:
    case 89:
    case 90:
    case 91:
        polyRecord(type, r, canvas);
        break;
    case 9:
    case 11: {
        const double cx = r.i32(), cy = r.i32();
        if (r.ok())
            type == 9 ? canvas.setWindowExt(QSizeF(cx, cy)) : canvas.setViewportExt(QSizeF(cx, cy));
        break;
    }
    case 10:
    case 12: {
        const QPointF p = pointl(r);
        if (r.ok())
            type == 10 ? canvas.setWindowOrg(p) : canvas.setViewportOrg(p);
        break;
    }
    case 15: {
        const QPointF p = pointl(r);
        const quint32 c = r.u32();
        if (r.ok())
            canvas.setPixel(p, colorRef(c));
        break;
    }
    case 17:
        canvas.setMapMode(r.u32());
        break;
    case 18:
        canvas.setBkMode(r.u32());
        break;
    case 19:
        canvas.setPolyFillMode(r.u32());
        break;
    case 20:
        canvas.setRop2(r.u32());
        break;
    case 22:
        canvas.setTextAlign(r.u32());
        break;
    case 24:
    case 25: {
        const quint32 c = r.u32();
        if (r.ok())
            type == 24 ? canvas.setTextColor(colorRef(c)) : canvas.setBkColor(colorRef(c));
        break;
    }
    case 26: {
        const QPointF p = pointl(r);
        if (r.ok())
            canvas.offsetClip(p);
        break;
    }
    case 27: {
        const QPointF p = pointl(r);
        if (r.ok())
            canvas.moveTo(p);
        break;
    }
    case 29:
    case 30: {
        const QRectF rect = rectl(r);
        if (r.ok())
            type == 29 ? canvas.excludeClipRect(rect) : canvas.intersectClipRect(rect);
        break;
    }
    case 31:
    case 32: {
        const double xNum = r.i32(), xDen = r.i32(), yNum = r.i32(), yDen = r.i32();
        if (r.ok()) {
            if (type == 31)
                canvas.scaleViewportExt(xNum, xDen, yNum, yDen);
            else
                canvas.scaleWindowExt(xNum, xDen, yNum, yDen);
        }
        break;
    }
    case 33:
        canvas.saveDc();
        break;
    case 34: {
        const qint32 n = r.i32();
        if (r.ok())
            canvas.restoreDc(n);
        break;
    }
    case 35: {
        const QTransform t = xform(r);
        if (r.ok())
            canvas.setWorldTransform(t);
        break;
    }
    case 36: {
        const QTransform t = xform(r);
        const quint32 mode = r.u32();
        if (r.ok())
            canvas.modifyWorldTransform(t, mode);
        break;
    }
    case 37: {
        const quint32 i = r.u32();
        if (r.ok())
            canvas.selectObject(i);
        break;
    }
    case 38: { // CREATEPEN
        const quint32 index = r.u32();
        MetaObject o;
        o.kind = MetaObject::Kind::Pen;
        o.pen.style = r.u32();
        o.pen.width = r.i32();
        r.i32();
        o.pen.color = colorRef(r.u32());
        if (r.ok())
            canvas.createObjectAt(index, o);
        break;
    }
    case 95: { // EXTCREATEPEN
        const quint32 index = r.u32();
        r.skip(16); // its bitmap, for pattern pens: drawn solid
        MetaObject o;
        o.kind = MetaObject::Kind::Pen;
        o.pen.style = r.u32();
        o.pen.width = (o.pen.style & 0x10000) ? r.u32() : (r.u32(), 0);
        const quint32 brushStyle = r.u32();
        o.pen.color = colorRef(r.u32());
        if (brushStyle == 1) // BS_NULL
            o.pen.style = 5;
        if (r.ok())
            canvas.createObjectAt(index, o);
        break;
    }
    case 39: { // CREATEBRUSHINDIRECT
        const quint32 index = r.u32();
        MetaObject o;
        o.kind = MetaObject::Kind::Brush;
        o.brush.style = r.u32();
        o.brush.color = colorRef(r.u32());
        o.brush.hatch = r.u32();
        if (r.ok())
            canvas.createObjectAt(index, o);
        break;
    }
    case 93:
    case 94: { // CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT
        const quint32 index = r.u32();
        const quint32 usage = r.u32();
        const quint32 offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
        MetaObject o;
        o.kind = MetaObject::Kind::Brush;
        o.brush.style = 5;
        o.brush.color = Qt::gray;
        if (r.ok() && usage == 0)
            o.brush.pattern = recordDib(r, offBmi, cbBmi, offBits, cbBits);
        if (r.ok())
            canvas.createObjectAt(index, o);
        break;
    }
    case 49: { // CREATEPALETTE: takes its slot
        const quint32 index = r.u32();
        if (r.ok())
            canvas.createObjectAt(index, MetaObject{});
        break;
    }
    case 82:
        createFont(r, canvas);
        break;
    case 40: {
        const quint32 i = r.u32();
        if (r.ok())
            canvas.deleteObject(i);
        break;
    }
    case 41: { // ANGLEARC
        const QPointF c = pointl(r);
        const double radius = r.u32();
        const double start = r.f32(), sweep = r.f32();
        if (r.ok())
            canvas.angleArc(c, radius, start, sweep);
        break;
    }
    case 42:
    case 43: {
        const QRectF rect = rectl(r);
        if (r.ok())
            type == 42 ? canvas.ellipse(rect) : canvas.rectangle(rect);
        break;
    }
    case 44: {
        const QRectF rect = rectl(r);
        const double cx = r.i32(), cy = r.i32();
        if (r.ok())
            canvas.roundRect(rect, QSizeF(cx, cy));
        break;
    }
    case 45:
    case 46:
    case 47:
    case 55: {
        const QRectF box = rectl(r);
        const QPointF start = pointl(r), end = pointl(r);
        if (r.ok())
            canvas.arc(box, start, end,
                       type == 45   ? ArcKind::Arc
                       : type == 46 ? ArcKind::Chord
                       : type == 47 ? ArcKind::Pie
                                    : ArcKind::ArcTo);
        break;
    }
    case 54: {
        const QPointF p = pointl(r);
        if (r.ok())
            canvas.lineTo(p);
        break;
    }
    case 57:
        canvas.setArcDirection(r.u32());
        break;
    case 59:
        canvas.beginPath();
        break;
    case 60:
        canvas.endPath();
        break;
    case 61:
        canvas.closeFigure();
        break;
    case 62:
        canvas.fillPath();
        break;
    case 63:
        canvas.strokeAndFillPath();
        break;
    case 64:
        canvas.strokePath();
        break;
    case 67: {
        const quint32 mode = r.u32();
        if (r.ok())
            canvas.selectClipPath(mode);
        break;
    }
    case 68:
        canvas.abortPath();
        break;
    case 71:   // FILLRGN
    case 74: { // PAINTRGN
        rectl(r);
        const quint32 cb = r.u32();
        const std::optional<quint32> brush =
            type == 71 ? std::optional<quint32>(r.u32()) : std::nullopt;
        const std::vector<QRectF> rects = regionRects(r, cb);
        if (r.ok() && !rects.empty())
            canvas.fillRegion(rects, brush);
        break;
    }
    case 75: { // EXTSELECTCLIPRGN
        const quint32 cb = r.u32();
        const quint32 mode = r.u32();
        if (!r.ok())
            break;
        if (cb < 32) {
            if (mode == 5)
                canvas.resetClip();
            break;
        }
        const std::vector<QRectF> rects = regionRects(r, cb);
        if (r.ok() && !rects.empty())
            canvas.selectClipRegion(rects, mode);
        break;
    }
    case 76:
    case 77:
        bitBlt(type, r, canvas);
        break;
    case 80: { // SETDIBITSTODEVICE
        rectl(r);
        const double x = r.i32(), y = r.i32(), xSrc = r.i32(), ySrc = r.i32(), cx = r.i32(),
                     cy = r.i32();
        const quint32 offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
        const quint32 usage = r.u32();
        if (!r.ok() || usage != 0)
            break;
        const QImage img = recordDib(r, offBmi, cbBmi, offBits, cbBits);
        canvas.bitmap(QRectF(x, y, cx, cy), img, dibSource(img, xSrc, ySrc, cx, cy), 0x00CC0020);
        break;
    }
    case 81: { // STRETCHDIBITS
        rectl(r);
        const double x = r.i32(), y = r.i32(), xSrc = r.i32(), ySrc = r.i32(), cxSrc = r.i32(),
                     cySrc = r.i32();
        const quint32 offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
        const quint32 usage = r.u32(), rop = r.u32();
        const double cx = r.i32(), cy = r.i32();
        if (!r.ok() || usage != 0)
            break;
        const QImage img = recordDib(r, offBmi, cbBmi, offBits, cbBits);
        canvas.bitmap(QRectF(x, y, cx, cy), img, dibSource(img, xSrc, ySrc, cxSrc, cySrc), rop);
        break;
    }
    case 83:
    case 84:
        textRecord(type, r, canvas);
        break;
    default:
        break; // comments (EMF+ among them), palettes, regions by handle: not drawn
    }
    return true;
}

} // namespace

bool readEmfHeader(const QByteArray& bytes, MetaHeader& header)
{
    MetaBytes r(bytes.constData(), bytes.size());
    const quint32 type = r.u32(), size = r.u32();
    const QRectF bounds = rectl(r);
    const QRectF frame = rectl(r); // 0.01 mm, both corners inside
    const quint32 signature = r.u32();
    r.u32(); // version
    r.u32(); // bytes
    r.u32(); // records
    r.u16(); // handles
    r.u16();
    r.u32(); // description length
    r.u32(); // description offset
    r.u32(); // palette entries
    const double devW = r.i32(), devH = r.i32(), mmW = r.i32(), mmH = r.i32();
    if (!r.ok() || type != 1 || signature != kEmfSignature || size < 88 || size % 4 ||
        size > quint32(bytes.size()))
        return false;
    header.firstRecord = qsizetype(size);
    // The reference device's resolution turns the frame into its pixels.
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0)
        header.dpi = QSizeF(devW * 25.4 / mmW, devH * 25.4 / mmH);
    const double fw = frame.width(), fh = frame.height();
    if (fw > 0 && fh > 0) {
        header.frame = QRectF(frame.left() * header.dpi.width() / 2540,
                              frame.top() * header.dpi.height() / 2540,
                              fw * header.dpi.width() / 2540, fh * header.dpi.height() / 2540);
        header.natural = QSizeF(fw * 96 / 2540, fh * 96 / 2540);
    } else if (bounds.width() > 0 && bounds.height() > 0) {
        header.frame = bounds;
        header.natural = QSizeF(bounds.width() * 96 / header.dpi.width(),
                                bounds.height() * 96 / header.dpi.height());
    } else {
        return false;
    }
    return std::isfinite(header.natural.width()) && std::isfinite(header.natural.height());
}

bool playEmf(const QByteArray& bytes, const MetaHeader& header, MetaCanvas& canvas)
{
    qsizetype pos = header.firstRecord;
    while (canvas.workLeft()) {
        if (pos == bytes.size())
            return true;
        if (bytes.size() - pos < 8)
            return false;
        MetaBytes head(bytes.constData() + pos, 8);
        const quint32 type = head.u32(), size = head.u32();
        if (size < 8 || size % 4 || qint64(size) > qint64(bytes.size() - pos))
            return false;
        MetaBytes params(bytes.constData() + pos, qsizetype(size));
        params.skip(8);
        if (!playRecord(type, params, canvas))
            return true;
        pos += qsizetype(size);
    }
    return true;
}

} // namespace pictures
