// The Windows metafile player: the placeable and standard headers, and the
// records, each handed to the shared drawing-state core.
#include "pictures/MetaCanvas.h"
#include "pictures/MetaPlayers.h"

#include <QStringDecoder>

namespace pictures {

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;

QColor colorRef(quint32 c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// Metafile text is in the Windows code page of western Europe.
QString decodeText(const QByteArray& b)
{
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid())
        return QString::fromLatin1(b);
    return decoder.decode(b);
}

// A bitmap of the old device-dependent kind: monochrome or 24/32-bit rows.
QImage bitmap16(MetaBytes& r)
{
    r.i16(); // type
    const int w = r.i16(), h = r.i16(), rowBytes = r.i16();
    r.u8(); // planes
    const int bpp = r.u8();
    if (!r.ok() || w <= 0 || h <= 0 || rowBytes <= 0 || qint64(w) * h > (qint64(16) << 20) ||
        !r.has(qint64(rowBytes) * h))
        return {};
    if ((bpp == 1 && rowBytes * 8 < w) || (bpp >= 24 && rowBytes < w * (bpp / 8)))
        return {};
    QImage img(w, h, QImage::Format_RGB32);
    const char* base = r.data() + r.pos();
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uchar*>(base + qsizetype(y) * rowBytes);
        for (int x = 0; x < w; ++x) {
            QRgb c;
            if (bpp == 1)
                c = (row[x / 8] >> (7 - x % 8)) & 1 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            else if (bpp == 24 || bpp == 32)
                c = qRgb(row[x * (bpp / 8) + 2], row[x * (bpp / 8) + 1], row[x * (bpp / 8)]);
            else
                return {};
            img.setPixel(x, y, c);
        }
    }
    return img;
}

QRectF dibSource(const QImage& img, double x, double y, double w, double h)
{
    // Source rows count from the bottom of an upright bitmap.
    return QRectF(x, img.height() - y - h, w, h).intersected(QRectF(img.rect()));
}

class WmfRecord
{
public:
    WmfRecord(MetaBytes& r) : m_r(r) {}
    QPointF yx()
    {
        const double y = m_r.i16();
        const double x = m_r.i16();
        return {x, y};
    }
    QPointF xy()
    {
        const double x = m_r.i16();
        const double y = m_r.i16();
        return {x, y};
    }
    QSizeF hw()
    {
        const double h = m_r.i16();
        const double w = m_r.i16();
        return {w, h};
    }
    // bottom, right, top, left
    QRectF rect()
    {
        const double b = m_r.i16(), r = m_r.i16(), t = m_r.i16(), l = m_r.i16();
        return QRectF(QPointF(l, t), QPointF(r, b));
    }
    QPolygonF points(int n)
    {
        QPolygonF p;
        if (n <= 0 || !m_r.has(qsizetype(n) * 4))
            return p;
        p.reserve(n);
        for (int i = 0; i < n; ++i)
            p << xy();
        return p;
    }

private:
    MetaBytes& m_r;
};

// A region object: its header, then scans, each a band of rows with pairs of
// left and right edges. A region that cannot be read takes its slot empty.
MetaObject region(MetaBytes& r)
{
    MetaObject o;
    o.kind = MetaObject::Kind::Region;
    r.skip(10); // next in chain, object type, object count, region size
    const int scans = r.i16();
    r.skip(10); // largest scan, bounding box
    for (int i = 0; i < scans && r.ok(); ++i) {
        const int count = r.u16();
        const double top = r.i16(), bottom = r.i16();
        if (count % 2 || !r.has(qsizetype(count) * 2 + 2) || o.region.size() > 16384) {
            o.region.clear();
            break;
        }
        for (int k = 0; k < count / 2; ++k) {
            const double left = r.i16(), right = r.i16();
            o.region.push_back(QRectF(QPointF(left, top), QPointF(right, bottom)));
        }
        r.u16(); // the count again
    }
    if (!r.ok())
        o.region.clear();
    return o;
}

void createFont(MetaBytes& r, MetaCanvas& canvas)
{
    MetaObject o;
    o.kind = MetaObject::Kind::Font;
    o.font.height = r.i16();
    r.i16(); // width
    o.font.escapement = r.i16();
    r.i16(); // orientation
    o.font.weight = r.i16();
    o.font.italic = r.u8();
    o.font.underline = r.u8();
    o.font.strikeout = r.u8();
    r.u8(); // charset
    r.skip(3);
    o.font.pitchAndFamily = r.u8();
    QByteArray face;
    while (r.has(1) && face.size() < 32) {
        const char c = char(r.u8());
        if (!c)
            break;
        face.append(c);
    }
    o.font.face = decodeText(face);
    canvas.createObject(o);
}

void textOut(MetaBytes& r, MetaCanvas& canvas, bool extended)
{
    WmfRecord w(r);
    QPointF at;
    int count = 0;
    quint32 options = 0;
    QRectF rect;
    QByteArray text;
    if (!extended) {
        count = r.i16();
        text = r.bytes(qMax(0, count));
        r.skip(count & 1);
        at = w.yx();
    } else {
        at = w.yx();
        count = r.i16();
        options = r.u16();
        if (options & 6) {
            const double left = r.i16(), top = r.i16(), right = r.i16(), bottom = r.i16();
            rect = QRectF(QPointF(left, top), QPointF(right, bottom));
        }
        text = r.bytes(qMax(0, count));
        if (r.ok() && (count & 1) && r.has(1))
            r.skip(1);
    }
    if (!r.ok() || count < 0)
        return;
    std::vector<double> dx;
    if (extended && r.has(qsizetype(count) * 2)) {
        for (int i = 0; i < count; ++i)
            dx.push_back(r.i16());
    }
    if (options & 0x10) // glyph indices: not characters
        text.clear();
    canvas.text(at, decodeText(text), options, rect, dx);
}

void blit(MetaBytes& r, quint16 fn, bool noBitmap, MetaCanvas& canvas)
{
    WmfRecord w(r);
    const quint32 rop = r.u32();
    QSizeF srcSize;
    QPointF srcAt;
    if (fn == 0x0B23 || fn == 0x0B41) { // stretching
        srcSize = w.hw();
        srcAt = w.yx();
    } else {
        srcAt = w.yx();
    }
    if (noBitmap)
        r.i16(); // reserved
    const QSizeF destSize = w.hw();
    const QPointF destAt = w.yx();
    if (fn == 0x0922 || fn == 0x0940)
        srcSize = destSize;
    if (!r.ok())
        return;
    const QRectF dest(destAt, destSize);
    if (noBitmap) {
        canvas.patBlt(dest, rop);
        return;
    }
    QImage img;
    if (fn == 0x0922 || fn == 0x0B23) {
        img = bitmap16(r);
        const QRectF src = QRectF(srcAt, srcSize).intersected(QRectF(img.rect()));
        canvas.bitmap(dest, img, src, rop);
        return;
    }
    img = decodePackedDib(r.data() + r.pos(), r.size() - r.pos());
    canvas.bitmap(dest, img,
                  dibSource(img, srcAt.x(), srcAt.y(), srcSize.width(), srcSize.height()), rop);
}

// One record; false when the file stops here (the end record).
bool playRecord(quint16 fn, MetaBytes& r, bool noBitmap, MetaCanvas& canvas)
{
    WmfRecord w(r);
    switch (fn) {
    case 0x0000: // EOF
        return false;
    case 0x001E:
        canvas.saveDc();
        break;
    case 0x0127:
        canvas.restoreDc(r.i16());
        break;
    case 0x0102:
        canvas.setBkMode(r.u16());
        break;
    case 0x0103:
        canvas.setMapMode(r.u16());
        break;
    case 0x0104:
        canvas.setRop2(r.u16());
        break;
    case 0x0106:
        canvas.setPolyFillMode(r.u16());
        break;
    case 0x012E:
        canvas.setTextAlign(r.u16());
        break;
    case 0x0201:
        canvas.setBkColor(colorRef(r.u32()));
        break;
    case 0x0209:
        canvas.setTextColor(colorRef(r.u32()));
        break;
    case 0x020B:
        canvas.setWindowOrg(w.yx());
        break;
    case 0x020C: {
        const QPointF e = w.yx();
        canvas.setWindowExt(QSizeF(e.x(), e.y()));
        break;
    }
    case 0x020D:
        canvas.setViewportOrg(w.yx());
        break;
    case 0x020E: {
        const QPointF e = w.yx();
        canvas.setViewportExt(QSizeF(e.x(), e.y()));
        break;
    }
    case 0x020F:
        canvas.offsetWindowOrg(w.yx());
        break;
    case 0x0211:
        canvas.offsetViewportOrg(w.yx());
        break;
    case 0x0410:
    case 0x0412: {
        const double yDen = r.i16(), yNum = r.i16(), xDen = r.i16(), xNum = r.i16();
        if (r.ok()) {
            if (fn == 0x0410)
                canvas.scaleWindowExt(xNum, xDen, yNum, yDen);
            else
                canvas.scaleViewportExt(xNum, xDen, yNum, yDen);
        }
        return true;
    }
    case 0x0213: {
        const QPointF p = w.yx();
        if (r.ok())
            canvas.lineTo(p);
        return true;
    }
    case 0x0214:
        canvas.moveTo(w.yx());
        break;
    case 0x0415:
    case 0x0416: {
        const QRectF rect = w.rect();
        if (r.ok())
            fn == 0x0415 ? canvas.excludeClipRect(rect) : canvas.intersectClipRect(rect);
        return true;
    }
    case 0x0220:
        canvas.offsetClip(w.yx());
        break;
    case 0x012C: // SELECTCLIPREGION
        canvas.selectClipObject(r.u16());
        break;
    case 0x0418:
    case 0x041B: {
        const QRectF rect = w.rect();
        if (r.ok())
            fn == 0x0418 ? canvas.ellipse(rect) : canvas.rectangle(rect);
        return true;
    }
    case 0x061C: {
        const QSizeF corner = w.hw();
        const QRectF rect = w.rect();
        if (r.ok())
            canvas.roundRect(rect, corner);
        return true;
    }
    case 0x0817:
    case 0x081A:
    case 0x0830: {
        const QPointF end = w.yx(), start = w.yx();
        const QRectF box = w.rect();
        if (r.ok())
            canvas.arc(box, start, end,
                       fn == 0x0817   ? ArcKind::Arc
                       : fn == 0x081A ? ArcKind::Pie
                                      : ArcKind::Chord);
        return true;
    }
    case 0x041F: {
        const quint32 c = r.u32();
        const QPointF p = w.yx();
        if (r.ok())
            canvas.setPixel(p, colorRef(c));
        return true;
    }
    case 0x0324:
    case 0x0325: {
        const QPolygonF pts = w.points(r.i16());
        fn == 0x0324 ? canvas.polygon(pts) : canvas.polyline(pts);
        break;
    }
    case 0x0538: {
        const int n = r.u16();
        std::vector<int> counts;
        for (int i = 0; i < n && r.ok(); ++i)
            counts.push_back(r.u16());
        std::vector<QPolygonF> polys;
        for (int c : counts) {
            QPolygonF p = w.points(c);
            if (p.isEmpty())
                return true; // short record: drawn not at all
            polys.push_back(std::move(p));
        }
        if (r.ok())
            canvas.polyPolygon(polys);
        return true;
    }
    case 0x0521:
        textOut(r, canvas, false);
        return true;
    case 0x0A32:
        textOut(r, canvas, true);
        return true;
    case 0x02FA: {
        MetaObject o;
        o.kind = MetaObject::Kind::Pen;
        o.pen.style = r.u16();
        o.pen.width = r.i16();
        r.i16();
        o.pen.color = colorRef(r.u32());
        if (!r.ok())
            o = MetaObject{}; // the slot is taken all the same
        canvas.createObject(o);
        return true;
    }
    case 0x02FC: {
        MetaObject o;
        o.kind = MetaObject::Kind::Brush;
        o.brush.style = r.u16();
        o.brush.color = colorRef(r.u32());
        o.brush.hatch = r.u16();
        if (!r.ok())
            o = MetaObject{};
        canvas.createObject(o);
        return true;
    }
    case 0x0142: { // DIBCREATEPATTERNBRUSH
        MetaObject o;
        o.kind = MetaObject::Kind::Brush;
        o.brush.style = 5;
        o.brush.color = Qt::gray;
        r.u16();
        r.u16();
        if (r.ok())
            o.brush.pattern = decodePackedDib(r.data() + r.pos(), r.size() - r.pos());
        canvas.createObject(o);
        return true;
    }
    case 0x01F9: { // CREATEPATTERNBRUSH (an old bitmap)
        MetaObject o;
        o.kind = MetaObject::Kind::Brush;
        o.brush.style = 3;
        o.brush.color = Qt::gray;
        canvas.createObject(o);
        return true;
    }
    case 0x02FB:
        createFont(r, canvas);
        return true;
    case 0x00F7: // CREATEPALETTE
        canvas.createObject(MetaObject{});
        return true;
    case 0x06FF:
        canvas.createObject(region(r));
        return true;
    case 0x0228: { // FILLREGION
        const quint16 regionIndex = r.u16(), brushIndex = r.u16();
        if (r.ok())
            canvas.fillRegionObject(regionIndex, brushIndex);
        return true;
    }
    case 0x012B: { // PAINTREGION
        const quint16 regionIndex = r.u16();
        if (r.ok())
            canvas.fillRegionObject(regionIndex, std::nullopt);
        return true;
    }
    case 0x012D:
        canvas.selectObject(r.u16());
        break;
    case 0x01F0:
        canvas.deleteObject(r.u16());
        break;
    case 0x061D: {
        const quint32 rop = r.u32();
        const QSizeF size = w.hw();
        const QPointF at = w.yx();
        if (r.ok())
            canvas.patBlt(QRectF(at, size), rop);
        return true;
    }
    case 0x0922:
    case 0x0B23:
    case 0x0940:
    case 0x0B41:
        blit(r, fn, noBitmap, canvas);
        return true;
    case 0x0F43: { // STRETCHDIB
        const quint32 rop = r.u32();
        const quint16 usage = r.u16();
        const QSizeF srcSize = w.hw();
        const QPointF srcAt = w.yx();
        const QSizeF destSize = w.hw();
        const QPointF destAt = w.yx();
        if (!r.ok() || usage != 0) // colours as palette indices: no palette kept
            return true;
        const QImage img = decodePackedDib(r.data() + r.pos(), r.size() - r.pos());
        canvas.bitmap(QRectF(destAt, destSize), img,
                      dibSource(img, srcAt.x(), srcAt.y(), srcSize.width(), srcSize.height()), rop);
        return true;
    }
    case 0x0D33: { // SETDIBTODEV
        const quint16 usage = r.u16();
        r.u16(); // scan count
        r.u16(); // start scan
        const QPointF srcAt = w.yx();
        const QSizeF size = w.hw();
        const QPointF destAt = w.yx();
        if (!r.ok() || usage != 0)
            return true;
        const QImage img = decodePackedDib(r.data() + r.pos(), r.size() - r.pos());
        canvas.bitmap(QRectF(destAt, size), img,
                      dibSource(img, srcAt.x(), srcAt.y(), size.width(), size.height()),
                      0x00CC0020);
        return true;
    }
    default:
        break; // palettes, escapes, regions drawn by index, flood fills: not drawn
    }
    return true;
}

} // namespace

bool readWmfHeader(const QByteArray& bytes, MetaHeader& header)
{
    MetaBytes r(bytes.constData(), bytes.size());
    qsizetype at = 0;
    bool placeable = false;
    QRectF bounds;
    double inch = 1440;
    if (r.u32() == kPlaceableKey) {
        placeable = true;
        r.u16(); // handle
        const double left = r.i16(), top = r.i16(), right = r.i16(), bottom = r.i16();
        const int units = r.u16();
        r.u32();
        r.u16(); // checksum
        if (!r.ok())
            return false;
        bounds = QRectF(QPointF(left, top), QPointF(right, bottom));
        if (units > 0)
            inch = units;
        at = 22;
    }
    r.seek(at);
    const quint16 type = r.u16(), headerWords = r.u16();
    r.u16(); // version
    r.u32(); // size
    r.u16(); // number of objects
    r.u32(); // largest record
    r.u16();
    if (!r.ok() || (type != 1 && type != 2) || headerWords != 9)
        return false;
    header.firstRecord = at + 18;
    if (placeable) {
        if (bounds.width() == 0 || bounds.height() == 0)
            return false;
        header.frame = bounds;
        header.natural =
            QSizeF(std::abs(bounds.width()) * 96 / inch, std::abs(bounds.height()) * 96 / inch);
        return true;
    }
    // No placeable header: the window the metafile sets up is its picture,
    // one logical unit to a pixel.
    QPointF org;
    QSizeF ext;
    qsizetype pos = header.firstRecord;
    while (pos + 6 <= bytes.size()) {
        MetaBytes rec(bytes.constData() + pos, bytes.size() - pos);
        const quint32 words = rec.u32();
        const quint16 fn = rec.u16();
        if (words < 3 || qint64(words) * 2 > bytes.size() - pos || fn == 0)
            break;
        if (fn == 0x020B || fn == 0x020C) {
            const double y = rec.i16(), x = rec.i16();
            if (rec.ok() && fn == 0x020B)
                org = QPointF(x, y);
            else if (rec.ok())
                ext = QSizeF(x, y);
        }
        if (!ext.isEmpty() && fn == 0x020C)
            break;
        pos += qsizetype(words) * 2;
    }
    if (ext.width() == 0 || ext.height() == 0)
        return false;
    header.frame = QRectF(org, ext);
    header.natural = QSizeF(std::abs(ext.width()), std::abs(ext.height()));
    return true;
}

bool playWmf(const QByteArray& bytes, const MetaHeader& header, MetaCanvas& canvas)
{
    qsizetype pos = header.firstRecord;
    while (canvas.workLeft()) {
        if (pos == bytes.size())
            return true; // no end record: what is there is the picture
        if (bytes.size() - pos < 6)
            return false;
        MetaBytes head(bytes.constData() + pos, 6);
        const quint32 words = head.u32();
        const quint16 fn = head.u16();
        if (words < 3 || qint64(words) * 2 > qint64(bytes.size() - pos))
            return fn == 0 && bytes.size() - pos >= 6; // a short end record is still an end
        MetaBytes params(bytes.constData() + pos + 6, qsizetype(words) * 2 - 6);
        const bool noBitmap = words == quint32((fn >> 8) + 3);
        if (!playRecord(fn, params, noBitmap, canvas))
            return true;
        pos += qsizetype(words) * 2;
    }
    return true;
}

} // namespace pictures
