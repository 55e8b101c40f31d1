#include "pictures/Metafile.h"

#include "pictures/MetaCanvas.h"
#include "pictures/MetaPlayers.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <cmath>

namespace pictures {

namespace {

// The largest picture a metafile is drawn into, and the largest bitmap one
// may carry.
constexpr int kMaxRenderSide = 16384;
constexpr qint64 kMaxRenderPixels = qint64(64) << 20;
constexpr qint64 kMaxDibPixels = qint64(32) << 20;

QSize renderSize(QSize natural, QSize box)
{
    QSize s = reducedSize(natural, box);
    const double side = qMax(s.width(), s.height());
    double scale = side > kMaxRenderSide ? kMaxRenderSide / side : 1.0;
    const double area = double(s.width()) * s.height() * scale * scale;
    if (area > double(kMaxRenderPixels))
        scale *= std::sqrt(double(kMaxRenderPixels) / area);
    if (scale < 1.0)
        s = QSize(qMax(1, int(s.width() * scale)), qMax(1, int(s.height() * scale)));
    return s;
}

} // namespace

QImage decodeDib(const char* info, qsizetype infoSize, const char* bits, qsizetype bitsSize)
{
    MetaBytes h(info, infoSize);
    const quint32 headerSize = h.u32();
    qint64 width = 0, height = 0;
    int bpp = 0;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = h.u16();
        height = h.u16();
        h.u16();
        bpp = h.u16();
    } else if (headerSize >= 40 && headerSize <= quint32(infoSize)) {
        width = h.i32();
        height = h.i32();
        h.u16();
        bpp = h.u16();
        compression = h.u32();
    } else {
        return {};
    }
    if (!h.ok() || width <= 0 || height == 0 || width * std::abs(height) > kMaxDibPixels ||
        !(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32))
        return {};
    // Uncompressed rows must all be there: a header claiming a large bitmap
    // over a few bytes would otherwise have the reader allocate it first.
    const qint64 stride = (width * bpp + 31) / 32 * 4;
    if ((compression == 0 || compression == 3) && qint64(bitsSize) < stride * std::abs(height))
        return {};
    QByteArray file("BM");
    const qint64 total = 14 + qint64(infoSize) + qint64(bitsSize);
    if (total > (qint64(1) << 31))
        return {};
    auto put32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            file.append(char((v >> (8 * i)) & 0xFF));
    };
    put32(quint32(total));
    put32(0);
    put32(quint32(14 + infoSize));
    file.append(info, infoSize);
    file.append(bits, bitsSize);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    return reader.read();
}

QImage decodePackedDib(const char* data, qsizetype size)
{
    MetaBytes h(data, size);
    const quint32 headerSize = h.u32();
    qint64 infoSize = 0;
    if (headerSize == 12) {
        h.skip(6);
        const int bpp = h.u16();
        infoSize = 12 + (bpp <= 8 ? qint64(3) << bpp : 0);
    } else if (headerSize >= 40 && headerSize < 1024) {
        h.skip(10);
        const int bpp = h.u16();
        const quint32 compression = h.u32();
        h.skip(12);
        const quint32 used = h.u32();
        qint64 colours = used ? qint64(qMin<quint32>(used, 256)) : (bpp <= 8 ? 1 << bpp : 0);
        infoSize = headerSize + colours * 4;
        if (headerSize == 40 && compression == 3) // BI_BITFIELDS: three masks follow
            infoSize += 12;
    } else {
        return {};
    }
    if (!h.ok() || infoSize > size)
        return {};
    return decodeDib(data, infoSize, data + infoSize, size - infoSize);
}

LoadedPicture renderMetafile(const QByteArray& bytes, bool enhanced, QSize box)
{
    LoadedPicture out;
    MetaHeader header;
    if (!(enhanced ? readEmfHeader(bytes, header) : readWmfHeader(bytes, header)))
        return out;
    // Checked while still a double: a size past the int range would wrap.
    const double nw = std::round(header.natural.width()), nh = std::round(header.natural.height());
    if (!(nw >= 1 && nh >= 1 && nw <= kMaxPictureSide && nh <= kMaxPictureSide))
        return out;
    const QSize natural{int(nw), int(nh)};
    const QSize size = renderSize(natural, box);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return out;
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        const QRectF f = header.frame;
        QTransform playback;
        if (enhanced) {
            playback = QTransform::fromTranslate(-f.left(), -f.top()) *
                       QTransform::fromScale(size.width() / f.width(), size.height() / f.height());
        } else {
            playback = QTransform::fromScale(size.width(), size.height());
        }
        MetaCanvas canvas(painter, playback, enhanced, header.dpi);
        if (!enhanced) {
            canvas.setWindowOrg(f.topLeft());
            canvas.setWindowExt(f.size());
        }
        if (!(enhanced ? playEmf(bytes, header, canvas) : playWmf(bytes, header, canvas)))
            return out;
    }
    out.image = std::move(image);
    out.naturalSize = natural;
    out.reduced = size != natural;
    out.failure = LoadFailure::None;
    return out;
}

} // namespace pictures
