#include "MetafileWriter.h"

#include "pictures/PictureDecoder.h"
#include "pictures/PictureLoader.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pictures;
using namespace fixtures;

namespace {
const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 160, 0), kBlue = qRgb(0, 0, 255),
           kYellow = qRgb(255, 255, 0), kNone = 0; // kNone: transparent

using Probes = QList<QPair<QPoint, QRgb>>;

QImage quads2x2()
{
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, kRed);
    img.setPixel(1, 0, kGreen);
    img.setPixel(0, 1, kBlue);
    img.setPixel(1, 1, kYellow);
    return img;
}

// WMF pictures are 160 x 80 pixels: 2400 x 1200 logical units at 1440 an inch.
const QRect kWmfBounds(0, 0, 2400, 1200);

WmfWriter wmfStart()
{
    WmfWriter w;
    w.mapMode(8).windowOrg(0, 0).windowExt(2400, 1200);
    w.pen(5, 0, 0); // object 0: the null pen
    w.select(0);
    return w;
}

// Bitmaps are scaled smoothly, so colours near a bitmap's own pixel edges
// blend a little.
bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 16 && qAbs(qGreen(a) - qGreen(b)) <= 16 &&
           qAbs(qBlue(a) - qBlue(b)) <= 16;
}

int inkIn(const QImage& img, const QRect& r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qAlpha(img.pixel(x, y)) > 0;
    return n;
}
} // namespace

class TestMetafile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void drawing_data();
    void drawing();
    void text_data();
    void text();
    void textOnDecoderThread();
    void malformed_data();
    void malformed();
    void extremes_data();
    void extremes();
};

void TestMetafile::drawing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Probes>("probes");

    QTest::newRow("wmf red rectangle") << wmfStart()
                                              .brush(0, kRed)
                                              .select(1)
                                              .rectangle(QRect(600, 300, 1200, 600))
                                              .finish(kWmfBounds, 1440)
                                       << QSize() << QSize(160, 80)
                                       << Probes{{{80, 40}, kRed},
                                                 {{42, 22}, kRed},
                                                 {{10, 10}, kNone},
                                                 {{150, 70}, kNone},
                                                 {{37, 40}, kNone}};
    QTest::newRow("wmf reduced into a box")
        << wmfStart()
               .brush(0, kRed)
               .select(1)
               .rectangle(QRect(600, 300, 1200, 600))
               .finish(kWmfBounds, 1440)
        << QSize(80, 80) << QSize(80, 40) << Probes{{{40, 20}, kRed}, {{5, 5}, kNone}};
    // The window the file sets replaces the bounding box's.
    QTest::newRow("wmf window mapping")
        << WmfWriter()
               .mapMode(8)
               .windowOrg(-50, -50)
               .windowExt(100, 100)
               .pen(5, 0, 0)
               .select(0)
               .brush(0, kBlue)
               .select(1)
               .ellipse(QRect(-25, -25, 50, 50))
               .finish(QRect(0, 0, 1000, 1000), 1000)
        << QSize() << QSize(96, 96)
        << Probes{{{48, 48}, kBlue}, {{28, 28}, kNone}, {{2, 2}, kNone}, {{48, 62}, kBlue}};
    // Slot 1 is freed and taken again by the green brush; red is never selected.
    QTest::newRow("wmf object table")
        << wmfStart()
               .brush(0, kRed)
               .brush(0, kBlue)
               .remove(1)
               .brush(0, kGreen)
               .select(1)
               .polygon(QPolygon({QPoint(0, 0), QPoint(2400, 0), QPoint(0, 1200)}))
               .finish(kWmfBounds, 1440)
        << QSize() << QSize(160, 80)
        << Probes{{{10, 10}, kGreen}, {{150, 70}, kNone}, {{100, 10}, kGreen}};
    QTest::newRow("wmf save and restore") << wmfStart()
                                                 .brush(0, kRed)
                                                 .brush(0, kBlue)
                                                 .select(1)
                                                 .save()
                                                 .select(2)
                                                 .restore(-1)
                                                 .rectangle(QRect(0, 0, 2400, 1200))
                                                 .finish(kWmfBounds, 1440)
                                          << QSize() << QSize(160, 80) << Probes{{{80, 40}, kRed}};
    QTest::newRow("wmf clipping") << wmfStart()
                                         .brush(0, kRed)
                                         .select(1)
                                         .intersectClip(QRect(0, 0, 1200, 1200))
                                         .rectangle(QRect(0, 0, 2400, 1200))
                                         .finish(kWmfBounds, 1440)
                                  << QSize() << QSize(160, 80)
                                  << Probes{{{40, 40}, kRed}, {{120, 40}, kNone}};
    QTest::newRow("wmf polygon with a hole")
        << wmfStart()
               .brush(0, kBlue)
               .select(1)
               .polyPolygon(
                   {QPolygon(QRect(0, 0, 2400, 1200)), QPolygon(QRect(600, 300, 1200, 600))})
               .finish(kWmfBounds, 1440)
        << QSize() << QSize(160, 80) << Probes{{{10, 10}, kBlue}, {{80, 40}, kNone}};
    // Two spans in one band, filled with brush 2 (not the selected one).
    QTest::newRow("wmf fill region")
        << wmfStart()
               .brush(0, kBlue)
               .select(1)
               .brush(0, kRed)
               .region(0, 600, {{0, 600}, {1800, 2400}})
               .fillRegion(3, 2)
               .finish(kWmfBounds, 1440)
        << QSize() << QSize(160, 80)
        << Probes{{{20, 20}, kRed}, {{140, 20}, kRed}, {{80, 20}, kNone}, {{20, 60}, kNone}};
    QTest::newRow("wmf clip region")
        << wmfStart()
               .brush(0, kBlue)
               .select(1)
               .region(0, 600, {{0, 600}, {1800, 2400}})
               .selectClipRegion(2)
               .rectangle(QRect(0, 0, 2400, 1200))
               .finish(kWmfBounds, 1440)
        << QSize() << QSize(160, 80)
        << Probes{{{20, 20}, kBlue}, {{140, 20}, kBlue}, {{80, 20}, kNone}, {{20, 60}, kNone}};
    // From east to north, counter-clockwise: the top right quarter.
    QTest::newRow("wmf pie") << wmfStart()
                                    .brush(0, kRed)
                                    .select(1)
                                    .pie(QRect(0, 0, 1200, 1200), QPoint(1200, 600), QPoint(600, 0))
                                    .finish(kWmfBounds, 1440)
                             << QSize() << QSize(160, 80)
                             << Probes{{{55, 25}, kRed},
                                       {{25, 25}, kNone},
                                       {{55, 55}, kNone},
                                       {{25, 55}, kNone}};
    // A bitmap lands where its record says, its bottom-up rows the right way up.
    QTest::newRow("wmf stretched bitmap")
        << wmfStart().stretchDib(QRect(1200, 0, 1200, 1200), quads2x2()).finish(kWmfBounds, 1440)
        << QSize() << QSize(160, 80)
        << Probes{{{100, 20}, kRed},
                  {{140, 20}, kGreen},
                  {{100, 60}, kBlue},
                  {{140, 60}, kYellow},
                  {{40, 40}, kNone}};

    QTest::newRow("emf red rectangle")
        << EmfWriter()
               .select(0x80000008) // NULL_PEN
               .brush(1, 0, kRed)
               .select(1)
               .rectangle(QRect(60, 30, 120, 60))
               .finish(240, 120)
        << QSize() << QSize(240, 120)
        << Probes{{{120, 60}, kRed}, {{62, 32}, kRed}, {{50, 60}, kNone}, {{200, 100}, kNone}};
    QTest::newRow("emf world transform")
        << EmfWriter()
               .select(0x80000008)
               .brush(1, 0, kBlue)
               .select(1)
               .worldTransform(2, 0, 0, 2, 10, 0)
               .rectangle(QRect(10, 10, 40, 20))
               .finish(240, 120)
        << QSize() << QSize(240, 120)
        << Probes{{{60, 40}, kBlue}, {{25, 25}, kNone}, {{95, 45}, kBlue}, {{115, 40}, kNone}};
    QTest::newRow("emf anisotropic mapping")
        << EmfWriter()
               .ints(17, {8})
               .ints(9, {10, 10})    // window extent
               .ints(11, {240, 120}) // viewport extent
               .select(0x80000008)
               .select(0x80000004) // BLACK_BRUSH
               .rectangle(QRect(5, 5, 5, 5))
               .finish(240, 120)
        << QSize() << QSize(240, 120) << Probes{{{180, 90}, qRgb(0, 0, 0)}, {{60, 30}, kNone}};
    QTest::newRow("emf filled path")
        << EmfWriter()
               .select(0x80000008)
               .brush(1, 0, kGreen)
               .select(1)
               .ints(59, {})
               .ints(27, {0, 0})
               .ints(54, {240, 0})
               .ints(54, {0, 120})
               .ints(61, {})
               .ints(60, {})
               .ints(62, {0, 0, 240, 120})
               .finish(240, 120)
        << QSize() << QSize(240, 120)
        << Probes{{{20, 20}, kGreen}, {{220, 110}, kNone}, {{100, 20}, kGreen}};
    QTest::newRow("emf plus comment skipped")
        << EmfWriter()
               .emfPlusComment()
               .select(0x80000008)
               .brush(1, 0, kRed)
               .select(1)
               .rectangle(QRect(0, 0, 240, 120))
               .finish(240, 120)
        << QSize() << QSize(240, 120) << Probes{{{120, 60}, kRed}};
    QTest::newRow("emf clip region")
        << EmfWriter()
               .ints(75, {48, 1 /* RGN_AND */, 32, 1, 1, 16, 0, 0, 120, 120, 0, 0, 120, 120})
               .select(0x80000008)
               .brush(1, 0, kRed)
               .select(1)
               .rectangle(QRect(0, 0, 240, 120))
               .finish(240, 120)
        << QSize() << QSize(240, 120) << Probes{{{60, 60}, kRed}, {{180, 60}, kNone}};
    // Filled with its own brush, not the selected one, and without an outline.
    QTest::newRow("emf fill region")
        << EmfWriter()
               .brush(1, 0, kRed)
               .brush(2, 0, kBlue)
               .select(2)
               .ints(71, {0, 0,   240, 120, 64, 1,  32, 1,   2,  32,  0,
                          0, 240, 120, 0,   0,  60, 60, 180, 60, 240, 120})
               .rectangle(QRect(100, 0, 20, 20))
               .finish(240, 120)
        << QSize() << QSize(240, 120)
        << Probes{{{1, 1}, kRed},
                  {{30, 30}, kRed},
                  {{200, 90}, kRed},
                  {{90, 90}, kNone},
                  {{110, 10}, kBlue}};
    // The bitmap claims 1000 rows and carries 2: left out, the rest drawn.
    QByteArray shortDib = EmfWriter()
                              .stretchDib(QRect(0, 0, 120, 120), quads2x2())
                              .select(0x80000008)
                              .select(0x80000004)
                              .rectangle(QRect(200, 0, 40, 40))
                              .finish(240, 120);
    shortDib[88 + 80 + 8] = char(0xE8); // the info header's height: 1000
    shortDib[88 + 80 + 9] = char(0x03);
    QTest::newRow("emf bitmap shorter than its header")
        << shortDib << QSize() << QSize(240, 120)
        << Probes{{{30, 30}, kNone}, {{90, 90}, kNone}, {{220, 20}, qRgb(0, 0, 0)}};
    QTest::newRow("emf stretched bitmap")
        << EmfWriter().stretchDib(QRect(0, 0, 120, 120), quads2x2()).finish(240, 120) << QSize()
        << QSize(240, 120)
        << Probes{{{30, 30}, kRed},
                  {{90, 30}, kGreen},
                  {{30, 90}, kBlue},
                  {{90, 90}, kYellow},
                  {{180, 60}, kNone}};
}

void TestMetafile::drawing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, box);
    QFETCH(QSize, size);
    QFETCH(Probes, probes);
    const LoadedPicture p = decodePicture(bytes, box);
    QVERIFY2(p.ok(), qPrintable(p.message()));
    QCOMPARE(p.image.size(), size);
    QCOMPARE(p.reduced, box.isValid());
    for (const auto& [at, expected] : probes) {
        const QRgb got = p.image.pixel(at);
        const QString where = QStringLiteral("at %1,%2: %3 expected %4")
                                  .arg(at.x())
                                  .arg(at.y())
                                  .arg(got, 8, 16, QLatin1Char('0'))
                                  .arg(expected, 8, 16, QLatin1Char('0'));
        if (expected == kNone)
            QVERIFY2(qAlpha(got) == 0, qPrintable(where));
        else
            QVERIFY2(qAlpha(got) >= 250 && near(got, expected), qPrintable(where));
    }
}

void TestMetafile::text_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QRect>("inked"); // where the letters must be
    QTest::addColumn<QRect>("clear"); // where nothing may be
    QTest::newRow("wmf ExtTextOut") << wmfStart()
                                           .bkMode(1)
                                           .font(-300, "Arial", 700)
                                           .select(1)
                                           .textColor(qRgb(0, 0, 0))
                                           .extTextOut(150, 150, "HHH")
                                           .finish(kWmfBounds, 1440)
                                    << QRect(10, 10, 40, 20) << QRect(100, 40, 60, 40);
    QTest::newRow("emf ExtTextOutW") << EmfWriter()
                                            .ints(18, {1})
                                            .font(1, -30, QStringLiteral("Times New Roman"))
                                            .select(1)
                                            .textOutW(130, 70, QStringLiteral("HHH"))
                                            .finish(240, 120)
                                     << QRect(130, 70, 50, 30) << QRect(0, 0, 120, 60);
}

void TestMetafile::text()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QRect, inked);
    QFETCH(QRect, clear);
    const LoadedPicture p = decodePicture(bytes);
    QVERIFY2(p.ok(), qPrintable(p.message()));
    QVERIFY2(inkIn(p.image, inked) > 40, qPrintable(QString::number(inkIn(p.image, inked))));
    QCOMPARE(inkIn(p.image, clear), 0);
}

// The preview decodes on a thread of its own: text must draw there too.
void TestMetafile::textOnDecoderThread()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("drawing.wmf"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(wmfStart()
                .bkMode(1)
                .font(-300, "Arial", 700)
                .select(1)
                .extTextOut(150, 150, "HHH")
                .finish(kWmfBounds, 1440));
    f.close();
    PictureDecoder decoder;
    QSignalSpy spy(&decoder, &PictureDecoder::decoded);
    decoder.request(path);
    QVERIFY(spy.wait());
    const auto p = spy.at(0).at(1).value<LoadedPicture>();
    QVERIFY(p.ok());
    QVERIFY(inkIn(p.image, QRect(10, 10, 40, 20)) > 40);
}

void TestMetafile::malformed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray wmf =
        wmfStart().brush(0, kRed).select(1).rectangle(QRect(0, 0, 10, 10)).finish(kWmfBounds, 1440);
    const QByteArray emf = EmfWriter().rectangle(QRect(0, 0, 10, 10)).finish(240, 120);
    QTest::newRow("wmf placeable header only") << wmf.left(22);
    QTest::newRow("wmf header cut") << wmf.left(30);
    QByteArray zeroRecord = wmf;
    zeroRecord[40] = zeroRecord[41] = zeroRecord[42] = zeroRecord[43] = 0; // first record size
    QTest::newRow("wmf record of size zero") << zeroRecord;
    QByteArray longRecord = wmf;
    longRecord[42] = char(0x7F); // first record claims megabytes
    QTest::newRow("wmf record past the end") << longRecord;
    QByteArray emptyBox = wmf;
    emptyBox[10] = emptyBox[11] = 0; // right = left
    emptyBox[14] = emptyBox[15] = 0;
    QTest::newRow("wmf empty bounding box") << emptyBox;
    QTest::newRow("wmf record cut") << wmf.left(wmf.size() - 9);
    QTest::newRow("emf header cut") << emf.left(60);
    QByteArray emfLong = emf;
    emfLong[88 + 4] = char(0xF0); // first record's size
    QTest::newRow("emf record past the end") << emfLong;
    QByteArray emfOdd = emf;
    emfOdd[88 + 4] = 9;
    QTest::newRow("emf record size not a multiple of four") << emfOdd;
    QByteArray emfHuge = emf;
    emfHuge[40] = emfHuge[41] = emfHuge[42] = char(0xFF); // frame 16 million x 0.01 mm
    emfHuge[43] = 0x7F;
    QTest::newRow("emf frame of kilometres") << emfHuge;
}

void TestMetafile::malformed()
{
    QFETCH(QByteArray, bytes);
    const LoadedPicture p = decodePicture(bytes, QSize(100, 100));
    QVERIFY(!p.ok());
    QCOMPARE(p.message(), QStringLiteral("Invalid picture"));
}

// Values at the edges of their fields are sound files: they draw (or draw
// nothing) without overflowing anything.
void TestMetafile::extremes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const qint64 least = -2147483648LL, most = 2147483647LL;
    auto font = [](qint64 height, qint64 escapement, qint64 weight) {
        return std::vector<qint64>{3, height, 0, escapement, 0, weight, 0, 0, 0, 0,         0,
                                   0, 0,      0, 0,          0, 0,      0, 0, 0, 0x00000041};
    };
    QTest::newRow("emf font at the int limits") << EmfWriter()
                                                       .ints(82, font(least, least, least))
                                                       .select(3)
                                                       .textOutW(10, 10, QStringLiteral("W"))
                                                       .ints(82, font(most, most, most))
                                                       .select(3)
                                                       .textOutW(10, 10, QStringLiteral("W"))
                                                       .finish(240, 120);
    QTest::newRow("emf pen and shapes at the int limits")
        << EmfWriter()
               .pen(1, 0x10000 | 1, int(least), qRgb(0, 0, 0))
               .select(1)
               .ints(43, {least, least, most, most})
               .ints(42, {most, least, least, most})
               .ints(45, {least, least, most, most, most, 0, least, 0})
               .ints(41, {0, 0, 0xFFFFFFFF, 0, 0})
               .finish(240, 120);
    QTest::newRow("emf mapping at the int limits") << EmfWriter()
                                                          .ints(17, {7})
                                                          .ints(9, {least, 1})
                                                          .ints(11, {most, least})
                                                          .ints(10, {most, most})
                                                          .ints(32, {least, 1, most, -1})
                                                          .rectangle(QRect(0, 0, 10, 10))
                                                          .ints(30, {least, least, most, most})
                                                          .ints(26, {most, most})
                                                          .ints(34, {least})
                                                          .finish(240, 120);
    QTest::newRow("wmf font and mapping at the limits")
        << wmfStart()
               .rec(0x02FB, {-32768, 0, -32768, 0, -32768, 0, 0, 0, 0, 0x41})
               .select(1)
               .extTextOut(100, 100, "W")
               .windowExt(-32768, -32768)
               .rec(0x0410, {-32768, 32767, 0, 32767})
               .rectangle(QRect(-32768, -32768, 65535, 65535))
               .finish(kWmfBounds, 1440);
}

void TestMetafile::extremes()
{
    QFETCH(QByteArray, bytes);
    const LoadedPicture p = decodePicture(bytes);
    QVERIFY2(p.ok(), qPrintable(p.message()));
}

QTEST_MAIN(TestMetafile)
#include "tst_metafile.moc"
