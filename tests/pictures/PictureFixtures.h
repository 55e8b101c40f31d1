#pragma once

// Picture files made by code, for the picture tests: every format the program
// reads, written from the formats' public descriptions, plus a watch that
// proves a file was left alone.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QString>

#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fixtures {

inline void put16(QByteArray& b, int v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}
inline void put32(QByteArray& b, qint64 v)
{
    put16(b, int(v & 0xFFFF));
    put16(b, int((v >> 16) & 0xFFFF));
}

// A picture of four quadrants: red top left, green top right, blue bottom
// left, yellow bottom right. A wrong orientation or a wrong row order shows.
inline QImage quadrants(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool right = x >= w / 2, bottom = y >= h / 2;
            img.setPixel(x, y,
                         !bottom ? (right ? qRgb(0, 255, 0) : qRgb(255, 0, 0))
                                 : (right ? qRgb(255, 255, 0) : qRgb(0, 0, 255)));
        }
    }
    return img;
}

inline QByteArray encode(const QImage& img, const char* format, int quality = 95)
{
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, format);
    w.setQuality(quality);
    w.write(img);
    return out;
}

// A JPEG with an EXIF orientation tag (1 to 8) in an APP1 segment right
// after the start marker. `stored` is the picture as the camera stored it.
inline QByteArray jpegWithOrientation(const QImage& stored, int orientation)
{
    QByteArray jpeg = encode(stored, "jpeg");
    QByteArray tiff("MM\0*\0\0\0\x08", 8);              // big-endian TIFF header, first IFD at 8
    tiff.append(char(0)).append(char(1));               // one entry
    tiff.append("\x01\x12\x00\x03\x00\x00\x00\x01", 8); // Orientation, SHORT, count 1
    tiff.append(char(0)).append(char(orientation)).append(2, char(0));
    tiff.append(4, char(0)); // no next IFD
    QByteArray app1("Exif\0\0", 6);
    app1 += tiff;
    QByteArray seg("\xFF\xE1", 2);
    const int len = int(app1.size()) + 2;
    seg.append(char(len >> 8)).append(char(len & 0xFF));
    seg += app1;
    return jpeg.left(2) + seg + jpeg.mid(2);
}

// A BMP with an 8-bit palette, RLE8 (compression 1) or RLE4 (compression 2).
// Each row is one encoded run per colour change; rows are stored bottom up.
inline QByteArray rleBmp(const std::vector<std::vector<int>>& rows,
                         const std::vector<QRgb>& palette, bool rle4)
{
    const int h = int(rows.size()), w = int(rows[0].size());
    QByteArray data;
    for (int y = h - 1; y >= 0; --y) {
        const auto& row = rows[size_t(y)];
        int x = 0;
        while (x < w) {
            int n = 1;
            while (x + n < w && row[size_t(x + n)] == row[size_t(x)] && n < 255)
                ++n;
            const int idx = row[size_t(x)];
            data.append(char(n)).append(char(rle4 ? (idx << 4) | idx : idx));
            x += n;
        }
        data.append(char(0)).append(char(0)); // end of line
    }
    data.append(char(0)).append(char(1)); // end of bitmap
    QByteArray dib;
    put32(dib, 40);
    put32(dib, w);
    put32(dib, h);
    put16(dib, 1);
    put16(dib, rle4 ? 4 : 8);
    put32(dib, rle4 ? 2 : 1);
    put32(dib, data.size());
    put32(dib, 2835);
    put32(dib, 2835);
    put32(dib, qint64(palette.size()));
    put32(dib, 0);
    for (QRgb c : palette) {
        dib.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append(char(0));
    }
    QByteArray out("BM");
    put32(out, 14 + dib.size() + data.size());
    put32(out, 0);
    put32(out, 14 + dib.size());
    return out + dib + data;
}

// A cursor: an icon file with the resource type 2 and a hot spot.
inline QByteArray cursorFrom(const QImage& img)
{
    QByteArray ico = encode(img, "ico");
    if (ico.size() < 22)
        return {};
    ico[2] = 2;  // type: cursor
    ico[10] = 3; // hot spot x in place of the planes
    ico[11] = 0;
    ico[12] = 4; // hot spot y in place of the bit count
    ico[13] = 0;
    return ico;
}

// A GIF of 2 x 2 pixel frames of one palette colour each. Codes are kept at
// three bits by clearing the table every two pixels, so no real compression
// is needed.
inline QByteArray gifFrames(int w, int h, const std::vector<int>& frameColours,
                            const std::vector<QRgb>& palette4)
{
    QByteArray out("GIF89a");
    put16(out, w);
    put16(out, h);
    out.append(char(0x81)).append(char(0)).append(char(0)); // global table of 4 colours
    for (int i = 0; i < 4; ++i) {
        const QRgb c = i < int(palette4.size()) ? palette4[size_t(i)] : 0;
        out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    for (int colour : frameColours) {
        out.append("\x21\xF9\x04\x00\x0A\x00\x00\x00", 8); // graphic control: 100 ms
        out.append(char(0x2C));
        put16(out, 0);
        put16(out, 0);
        put16(out, w);
        put16(out, h);
        out.append(char(0));
        out.append(char(2)); // minimum code size
        std::vector<int> codes;
        const int pixels = w * h;
        for (int p = 0; p < pixels; ++p) {
            if (p % 2 == 0)
                codes.push_back(4); // clear
            codes.push_back(colour);
        }
        codes.push_back(5); // end of information
        QByteArray packed;
        quint32 acc = 0;
        int bits = 0;
        for (int c : codes) {
            acc |= quint32(c) << bits;
            bits += 3;
            while (bits >= 8) {
                packed.append(char(acc & 0xFF));
                acc >>= 8;
                bits -= 8;
            }
        }
        if (bits > 0)
            packed.append(char(acc & 0xFF));
        for (qsizetype at = 0; at < packed.size(); at += 255) {
            const QByteArray block = packed.mid(at, 255);
            out.append(char(block.size())).append(block);
        }
        out.append(char(0));
    }
    out.append(char(0x3B));
    return out;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The content inversion of a hidden file, applied to a buffer (level 2: the
// first byte, level 3: up to 262,136 bytes).
inline QByteArray inverted(QByteArray b, int level)
{
    const qsizetype n = level == 2   ? qMin<qsizetype>(1, b.size())
                        : level == 3 ? qMin<qsizetype>(b.size(), 262136)
                                     : 0;
    for (qsizetype i = 0; i < n; ++i)
        b[i] = char(~quint8(b[i]));
    return b;
}

// Everything about a file a viewer must leave as it was, and an inotify watch
// on the file and its folder that sees every write, rename, attribute change
// and creation.
class UntouchedWatch
{
public:
    explicit UntouchedWatch(const QString& path) : m_path(path)
    {
        m_bytes = readFile(path);
        m_names =
            QDir(QFileInfo(path).path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        ::stat(QFile::encodeName(path).constData(), &m_stat);
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        inotify_add_watch(m_fd, QFile::encodeName(path).constData(),
                          IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVE_SELF | IN_DELETE_SELF);
        inotify_add_watch(m_fd, QFile::encodeName(QFileInfo(path).path()).constData(),
                          IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY |
                              IN_CLOSE_WRITE);
    }
    ~UntouchedWatch() { ::close(m_fd); }
    UntouchedWatch(const UntouchedWatch&) = delete;
    UntouchedWatch& operator=(const UntouchedWatch&) = delete;

    // "" when nothing changed, else what did.
    QString changes() const
    {
        QStringList out;
        char buf[4096];
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n > 0)
            out << QStringLiteral("inotify saw %1 bytes of events").arg(n);
        if (readFile(m_path) != m_bytes)
            out << QStringLiteral("bytes differ");
        struct stat now
        {
        };
        ::stat(QFile::encodeName(m_path).constData(), &now);
        if (now.st_mtim.tv_sec != m_stat.st_mtim.tv_sec ||
            now.st_mtim.tv_nsec != m_stat.st_mtim.tv_nsec)
            out << QStringLiteral("modification time changed");
        if (QDir(QFileInfo(m_path).path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot) !=
            m_names)
            out << QStringLiteral("folder entries changed");
        return out.join(QStringLiteral("; "));
    }

private:
    QString m_path;
    QByteArray m_bytes;
    QStringList m_names;
    struct stat m_stat
    {
    };
    int m_fd = -1;
};

} // namespace fixtures
