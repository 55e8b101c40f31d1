#pragma once

// The photo the picture benchmarks decode, made by the benchmark itself.
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QString>

#include <unistd.h>

namespace bench {

// A photo-like picture: smooth gradients with fine noise, so the JPEG has the
// size and the decoding work of a real photo (a flat picture decodes faster).
inline QByteArray makePhoto(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(24);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = int(rng.bounded(24));
            line[x] = qRgb((x * 255 / w + n) & 0xFF, (y * 255 / h + n) & 0xFF,
                           ((x + y) * 127 / (w + h) + 2 * n) & 0xFF);
        }
    }
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    QImageWriter writer(&buf, "jpeg");
    writer.setQuality(90);
    writer.write(img);
    return out;
}

inline bool writeSynced(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush())
        return false;
    return ::fsync(f.handle()) == 0;
}

} // namespace bench
