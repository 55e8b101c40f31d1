#pragma once

// Small record writers for Windows metafiles and enhanced metafiles, written
// from the formats' public documentation, so the metafile tests make their
// own fixtures.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <cstring>
#include <initializer_list>
#include <vector>

namespace fixtures {

inline void le16(QByteArray& b, int v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}
inline void le32(QByteArray& b, qint64 v)
{
    le16(b, int(v & 0xFFFF));
    le16(b, int((v >> 16) & 0xFFFF));
}
inline void leFloat(QByteArray& b, float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, 4);
    le32(b, bits);
}
inline quint32 colorRef(QRgb c)
{
    return quint32(qRed(c)) | (quint32(qGreen(c)) << 8) | (quint32(qBlue(c)) << 16);
}

// A bottom-up 24-bit DIB: its info header (40 bytes) and its bits.
struct Dib
{
    QByteArray info;
    QByteArray bits;
};
inline Dib dib24(const QImage& img)
{
    Dib d;
    const int w = img.width(), h = img.height();
    const int stride = (w * 3 + 3) & ~3;
    le32(d.info, 40);
    le32(d.info, w);
    le32(d.info, h);
    le16(d.info, 1);
    le16(d.info, 24);
    le32(d.info, 0);
    le32(d.info, qint64(stride) * h);
    le32(d.info, 2835);
    le32(d.info, 2835);
    le32(d.info, 0);
    le32(d.info, 0);
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row;
        for (int x = 0; x < w; ++x) {
            const QRgb c = img.pixel(x, y);
            row.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        }
        row.append(stride - row.size(), char(0));
        d.bits += row;
    }
    return d;
}

class WmfWriter
{
public:
    // Parameters are 16-bit words in the record's (reversed) order.
    WmfWriter& rec(int fn, std::initializer_list<int> words)
    {
        QByteArray p;
        for (int w : words)
            le16(p, w);
        return raw(fn, p);
    }
    WmfWriter& raw(int fn, const QByteArray& params)
    {
        QByteArray p = params;
        if (p.size() & 1)
            p.append(char(0));
        le32(m_records, 3 + p.size() / 2);
        le16(m_records, fn);
        m_records += p;
        ++m_count;
        return *this;
    }

    WmfWriter& windowOrg(int x, int y) { return rec(0x020B, {y, x}); }
    WmfWriter& windowExt(int w, int h) { return rec(0x020C, {h, w}); }
    WmfWriter& mapMode(int m) { return rec(0x0103, {m}); }
    WmfWriter& bkMode(int m) { return rec(0x0102, {m}); }
    WmfWriter& pen(int style, int width, QRgb c)
    {
        QByteArray p;
        le16(p, style);
        le16(p, width);
        le16(p, 0);
        le32(p, colorRef(c));
        return raw(0x02FA, p);
    }
    WmfWriter& brush(int style, QRgb c, int hatch = 0)
    {
        QByteArray p;
        le16(p, style);
        le32(p, colorRef(c));
        le16(p, hatch);
        return raw(0x02FC, p);
    }
    WmfWriter& font(int height, const char* face, int weight = 400)
    {
        QByteArray p;
        for (int v : {height, 0, 0, 0, weight})
            le16(p, v);
        p.append(8, char(0));
        p.append(face);
        p.append(char(0));
        return raw(0x02FB, p);
    }
    WmfWriter& select(int i) { return rec(0x012D, {i}); }
    WmfWriter& remove(int i) { return rec(0x01F0, {i}); }
    WmfWriter& rectangle(QRect r)
    {
        return rec(0x041B, {r.bottom(), r.right(), r.top(), r.left()});
    }
    WmfWriter& ellipse(QRect r) { return rec(0x0418, {r.bottom(), r.right(), r.top(), r.left()}); }
    WmfWriter& pie(QRect r, QPoint start, QPoint end)
    {
        return rec(0x081A, {end.y(), end.x(), start.y(), start.x(), r.bottom(), r.right(), r.top(),
                            r.left()});
    }
    WmfWriter& polygon(const QPolygon& pts)
    {
        QByteArray p;
        le16(p, int(pts.size()));
        for (QPoint q : pts) {
            le16(p, q.x());
            le16(p, q.y());
        }
        return raw(0x0324, p);
    }
    WmfWriter& polyPolygon(const QList<QPolygon>& polys)
    {
        QByteArray p;
        le16(p, int(polys.size()));
        for (const QPolygon& q : polys)
            le16(p, int(q.size()));
        for (const QPolygon& q : polys) {
            for (QPoint pt : q) {
                le16(p, pt.x());
                le16(p, pt.y());
            }
        }
        return raw(0x0538, p);
    }
    WmfWriter& intersectClip(QRect r)
    {
        return rec(0x0416, {r.bottom(), r.right(), r.top(), r.left()});
    }
    // A region of one band from top to bottom, made of [left, right) spans.
    WmfWriter& region(int top, int bottom, const QList<QPair<int, int>>& spans)
    {
        QByteArray p;
        le16(p, 0);
        le16(p, 6);
        le32(p, 0);
        le16(p, 0);
        le16(p, 1); // one scan
        le16(p, 0);
        for (int v : {spans.first().first, top, spans.last().second, bottom})
            le16(p, v);
        le16(p, int(spans.size()) * 2);
        le16(p, top);
        le16(p, bottom);
        for (const auto& [l, r] : spans) {
            le16(p, l);
            le16(p, r);
        }
        le16(p, int(spans.size()) * 2);
        return raw(0x06FF, p);
    }
    WmfWriter& fillRegion(int regionIndex, int brushIndex)
    {
        return rec(0x0228, {regionIndex, brushIndex});
    }
    WmfWriter& selectClipRegion(int regionIndex) { return rec(0x012C, {regionIndex}); }
    WmfWriter& save() { return rec(0x001E, {}); }
    WmfWriter& restore(int n) { return rec(0x0127, {n}); }
    WmfWriter& textColor(QRgb c)
    {
        QByteArray p;
        le32(p, colorRef(c));
        return raw(0x0209, p);
    }
    WmfWriter& extTextOut(int x, int y, const QByteArray& text)
    {
        QByteArray p;
        le16(p, y);
        le16(p, x);
        le16(p, int(text.size()));
        le16(p, 0);
        p += text;
        return raw(0x0A32, p);
    }
    WmfWriter& stretchDib(QRect dest, const QImage& img)
    {
        const Dib d = dib24(img);
        QByteArray p;
        le32(p, 0x00CC0020); // SRCCOPY
        le16(p, 0);          // RGB colours
        for (int v : {img.height(), img.width(), 0, 0, dest.height(), dest.width(), dest.top(),
                      dest.left()})
            le16(p, v);
        p += d.info + d.bits;
        return raw(0x0F43, p);
    }

    // The file: a placeable header with the bounding box in logical units and
    // their number per inch, the standard header, the records, the end.
    QByteArray finish(QRect bounds, int unitsPerInch) const
    {
        QByteArray out;
        le32(out, 0x9AC6CDD7);
        le16(out, 0);
        for (int v : {bounds.left(), bounds.top(), bounds.left() + bounds.width(),
                      bounds.top() + bounds.height(), unitsPerInch})
            le16(out, v);
        le32(out, 0);
        quint16 sum = 0;
        for (int i = 0; i < 20; i += 2)
            sum ^= quint16(quint8(out[i]) | (quint8(out[i + 1]) << 8));
        le16(out, sum);
        const QByteArray body = m_records + QByteArray("\x03\x00\x00\x00\x00\x00", 6);
        le16(out, 1);
        le16(out, 9);
        le16(out, 0x0300);
        le32(out, 9 + body.size() / 2);
        le16(out, 16);
        le32(out, 64);
        le16(out, 0);
        return out + body;
    }

private:
    QByteArray m_records;
    int m_count = 0;
};

class EmfWriter
{
public:
    EmfWriter& rec(int type, const QByteArray& params)
    {
        le32(m_records, type);
        le32(m_records, 8 + params.size());
        m_records += params;
        ++m_count;
        return *this;
    }
    EmfWriter& ints(int type, const std::vector<qint64>& values)
    {
        QByteArray p;
        for (qint64 v : values)
            le32(p, v);
        return rec(type, p);
    }

    EmfWriter& pen(int index, int style, int width, QRgb c)
    {
        return ints(38, {index, style, width, 0, colorRef(c)});
    }
    EmfWriter& brush(int index, int style, QRgb c, int hatch = 0)
    {
        return ints(39, {index, style, colorRef(c), hatch});
    }
    EmfWriter& select(qint64 index) { return ints(37, {index}); }
    EmfWriter& rectangle(QRect r)
    {
        return ints(43, {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    }
    EmfWriter& worldTransform(float m11, float m12, float m21, float m22, float dx, float dy)
    {
        QByteArray p;
        for (float f : {m11, m12, m21, m22, dx, dy})
            leFloat(p, f);
        return rec(35, p);
    }
    EmfWriter& font(int index, int height, const QString& face)
    {
        QByteArray p;
        for (qint64 v :
             {qint64(index), qint64(height), qint64(0), qint64(0), qint64(0), qint64(400)})
            le32(p, v);
        p.append(8, char(0));
        for (int i = 0; i < 32; ++i)
            le16(p, i < face.size() ? face.at(i).unicode() : 0);
        return rec(82, p);
    }
    EmfWriter& textOutW(int x, int y, const QString& text)
    {
        QByteArray p;
        for (int v : {0, 0, -1, -1})
            le32(p, v); // bounds
        le32(p, 1);     // GM_COMPATIBLE
        leFloat(p, 0);
        leFloat(p, 0);
        le32(p, x);
        le32(p, y);
        le32(p, text.size());
        const int offString = 8 + int(p.size()) + 4 + 4 + 16 + 4;
        le32(p, offString);
        le32(p, 0); // options
        for (int v : {0, 0, -1, -1})
            le32(p, v);
        le32(p, 0); // no advances
        for (QChar c : text)
            le16(p, c.unicode());
        while (p.size() % 4)
            p.append(char(0));
        return rec(84, p);
    }
    EmfWriter& stretchDib(QRect dest, const QImage& img)
    {
        const Dib d = dib24(img);
        QByteArray p;
        for (int v : {0, 0, -1, -1})
            le32(p, v);
        for (int v : {dest.left(), dest.top(), 0, 0, img.width(), img.height()})
            le32(p, v);
        const int offBmi = 8 + 16 + 24 + 16 + 16;
        le32(p, offBmi);
        le32(p, d.info.size());
        le32(p, offBmi + d.info.size());
        le32(p, d.bits.size());
        le32(p, 0);          // RGB colours
        le32(p, 0x00CC0020); // SRCCOPY
        le32(p, dest.width());
        le32(p, dest.height());
        return rec(81, p + d.info + d.bits);
    }
    // A comment carrying EMF+ records, which the player skips.
    EmfWriter& emfPlusComment()
    {
        QByteArray p;
        le32(p, 20);
        p += "EMF+";
        le16(p, 0x4008); // an EMF+ object record
        le16(p, 0);
        le32(p, 12);
        le32(p, 0);
        return rec(70, p);
    }

    // The file at 96 dpi: a picture of width x height pixels.
    QByteArray finish(int width, int height) const
    {
        const QByteArray body =
            m_records + QByteArray("\x0E\0\0\0\x14\0\0\0\0\0\0\0\x10\0\0\0\x14\0\0\0", 20);
        QByteArray out;
        le32(out, 1);
        le32(out, 88);
        for (int v : {0, 0, width - 1, height - 1})
            le32(out, v);
        for (qint64 v :
             {qint64(0), qint64(0), qint64(width) * 2540 / 96, qint64(height) * 2540 / 96})
            le32(out, v);
        le32(out, 0x464D4520);
        le32(out, 0x10000);
        le32(out, 88 + body.size());
        le32(out, m_count + 2);
        le16(out, 16);
        le16(out, 0);
        le32(out, 0);
        le32(out, 0);
        le32(out, 0);
        le32(out, 960); // the reference device: 960 pixels in 254 mm, 96 dpi
        le32(out, 960);
        le32(out, 254);
        le32(out, 254);
        return out + body;
    }

private:
    QByteArray m_records;
    int m_count = 0;
};

} // namespace fixtures
