// Decoding a 24-megapixel photo (6000 x 4000 JPEG), as the preview pane and
// the viewer do, against a bare QImageReader on the same plain file in the
// same run:
//   - preview: the photo hidden at level 3 decoded into an 800 x 600 box,
//     against QImageReader's reduced-size decode of the plain file to the same
//     size (target within 1.3x), and against the same preview of the plain
//     file (target within 1.1x);
//   - the same preview through the decoding thread, delivered to the event loop;
//   - viewer: the hidden photo at full size against a bare full decode (1.3x).
// Runs alternate in order; medians are reported, and every result is checked.
#include "bench/BenchSupport.h"
#include "bench/PhotoSetup.h"
#include "engine/mEncrypt.h"
#include "pictures/PictureDecoder.h"
#include "pictures/PictureLoader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

using bench::makePhoto;
using bench::median;
using bench::now;
using bench::writeSynced;

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

double timed(const std::function<bool()>& work)
{
    const double t = now();
    return work() ? now() - t : -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QByteArray jpeg = makePhoto(6000, 4000);
    const QString plain = dir.filePath(QStringLiteral("photo.jpg"));
    const QString hidden =
        dir.filePath(mEncrypt::make_hidden_name(QStringLiteral("photo copy.jpg"), 3));
    QByteArray inverted = jpeg;
    for (qsizetype i = 0; i < qMin<qsizetype>(inverted.size(), mEncrypt::kLevel3Region); ++i)
        inverted[i] = char(~quint8(inverted[i]));
    if (!writeSynced(plain, jpeg) || !writeSynced(hidden, inverted))
        return 1;
    std::printf("photo: 6000 x 4000 JPEG, %.1f MB\n", jpeg.size() / 1048576.0);

    const QSize box(800, 600), preview(800, 533);
    QImage reference; // the bare reduced decode, to compare the others with
    auto barePreview = [&] {
        QImageReader r(plain);
        r.setScaledSize(preview);
        reference = r.read();
        return reference.size() == preview;
    };
    auto ourPreview = [&](const QString& path) {
        return [&, path] {
            const auto p = pictures::loadPicture(path, box);
            return p.ok() && p.image.size() == preview &&
                   (reference.isNull() || p.image == reference);
        };
    };
    pictures::PictureDecoder decoder;
    auto threadedPreview = [&] {
        QEventLoop loop;
        bool ok = false;
        auto c = QObject::connect(&decoder, &pictures::PictureDecoder::decoded, &loop,
                                  [&](quint64, const pictures::LoadedPicture& p) {
                                      ok = p.ok() && p.image.size() == preview;
                                      loop.quit();
                                  });
        decoder.request(hidden, box);
        loop.exec();
        QObject::disconnect(c);
        return ok;
    };
    auto bareFull = [&] {
        QImageReader r(plain);
        return r.read().size() == QSize(6000, 4000);
    };
    auto ourFull = [&] {
        const auto p = pictures::loadPicture(hidden);
        return p.ok() && p.image.size() == QSize(6000, 4000) && !p.reduced;
    };

    const int runs = 9;
    std::vector<double> tBare, tHidden, tPlain, tThread, tBareFull, tFull;
    barePreview(); // warm the page cache and the plug-ins for everyone alike
    for (int i = 0; i < runs; ++i) {
        // Alternate which goes first.
        std::vector<std::pair<std::vector<double>*, std::function<bool()>>> order = {
            {&tBare, barePreview},
            {&tHidden, ourPreview(hidden)},
            {&tPlain, ourPreview(plain)},
            {&tThread, threadedPreview}};
        if (i % 2)
            std::reverse(order.begin(), order.end());
        for (auto& [into, work] : order) {
            const double t = timed(work);
            if (t < 0) {
                std::fprintf(stderr, "a preview decode failed or differs from the reference\n");
                return 1;
            }
            into->push_back(t);
        }
    }
    for (int i = 0; i < 5; ++i) {
        const bool oursFirst = i % 2;
        for (int k = 0; k < 2; ++k) {
            const bool ours = (k == 0) == oursFirst;
            const double t = timed(ours ? std::function<bool()>(ourFull) : bareFull);
            if (t < 0) {
                std::fprintf(stderr, "a full decode failed\n");
                return 1;
            }
            (ours ? tFull : tBareFull).push_back(t);
        }
    }
    const double bare = median(tBare), hid = median(tHidden), pl = median(tPlain),
                 thr = median(tThread), bf = median(tBareFull), full = median(tFull);
    std::printf("preview into 800 x 600, medians of %d runs:\n", runs);
    std::printf("  bare QImageReader reduced decode, plain file: %7.1f ms\n", bare * 1000);
    std::printf("  preview of the photo hidden at level 3:       %7.1f ms  (%.2fx bare, "
                "target <= 1.30)\n",
                hid * 1000, hid / bare);
    std::printf("  preview of the plain photo:                   %7.1f ms  (hidden/plain "
                "%.2fx, target <= 1.10)\n",
                pl * 1000, hid / pl);
    std::printf("  hidden, through the decoding thread:          %7.1f ms  (%.2fx bare)\n",
                thr * 1000, thr / bare);
    std::printf("viewer, full size, medians of 5 runs:\n");
    std::printf("  bare QImageReader full decode, plain file:    %7.1f ms\n", bf * 1000);
    std::printf("  full decode of the hidden photo:              %7.1f ms  (%.2fx bare, "
                "target <= 1.30)\n",
                full * 1000, full / bf);
    // One photo in a preview and one in a viewer at once: what holding them
    // adds to the process (the photo made above is gone by now).
    const long before = residentKb();
    const auto inPreview = pictures::loadPicture(hidden, box);
    const auto inViewer = pictures::loadPicture(hidden);
    std::printf("memory held by one preview and one full picture: %.0f MB resident "
                "(%.0f MB of pixels)\n",
                (residentKb() - before) / 1024.0,
                (inPreview.image.sizeInBytes() + inViewer.image.sizeInBytes()) / 1048576.0);
    return inPreview.ok() && inViewer.ok() ? 0 : 1;
}
