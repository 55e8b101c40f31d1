#include "MetafileWriter.h"
#include "PictureFixtures.h"

#include "pictures/PictureLoader.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>

using namespace pictures;
using namespace fixtures;

// Mutated pictures of every kind the program reads must decode or fail with
// "Invalid picture", never read or write out of bounds (the test suite runs
// under AddressSanitizer) and never run away with time or memory.
class TestPictureFuzz : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void mutations_data();
    void mutations();
};

namespace {

QByteArray richWmf()
{
    QImage bits(3, 2, QImage::Format_RGB32);
    bits.fill(qRgb(10, 200, 30));
    return WmfWriter()
        .mapMode(8)
        .windowOrg(0, 0)
        .windowExt(2400, 1200)
        .pen(1, 20, qRgb(0, 0, 0))
        .select(0)
        .brush(2, qRgb(200, 0, 0), 5)
        .select(1)
        .save()
        .intersectClip(QRect(0, 0, 2000, 1000))
        .rectangle(QRect(100, 100, 600, 300))
        .ellipse(QRect(800, 100, 600, 300))
        .pie(QRect(1500, 100, 600, 600), QPoint(2100, 400), QPoint(1800, 100))
        .polygon(QPolygon({QPoint(0, 0), QPoint(900, 900), QPoint(0, 900)}))
        .polyPolygon({QPolygon(QRect(50, 50, 500, 500)), QPolygon(QRect(100, 100, 100, 100))})
        .region(0, 600, {{0, 600}, {1800, 2400}})
        .fillRegion(2, 1)
        .selectClipRegion(2)
        .restore(-1)
        .font(-200, "Arial")
        .select(3)
        .extTextOut(100, 900, "Fuzz")
        .stretchDib(QRect(1200, 600, 600, 400), bits)
        .remove(1)
        .finish(QRect(0, 0, 2400, 1200), 1440);
}

QByteArray richEmf()
{
    QImage bits(3, 2, QImage::Format_RGB32);
    bits.fill(qRgb(10, 30, 200));
    return EmfWriter()
        .emfPlusComment()
        .pen(1, 0x10000 | 0x200, 4, qRgb(0, 0, 0))
        .select(1)
        .brush(2, 2, qRgb(0, 150, 0), 3)
        .select(2)
        .ints(33, {})
        .worldTransform(0.9f, 0.2f, -0.2f, 0.9f, 20, 5)
        .rectangle(QRect(10, 10, 100, 50))
        .ints(34, {-1})
        .ints(59, {})
        .ints(27, {0, 0})
        .ints(54, {200, 10})
        .ints(54, {20, 100})
        .ints(61, {})
        .ints(60, {})
        .ints(63, {0, 0, 240, 120})
        .ints(75, {48, 1, 32, 1, 1, 16, 0, 0, 120, 120, 0, 0, 120, 120})
        .ints(71, {0, 0,   240, 120, 64, 2,  32, 1,   2,  32,  0,
                   0, 240, 120, 0,   0,  60, 60, 180, 60, 240, 120})
        .ints(17, {8})
        .ints(9, {100, 100})
        .ints(11, {240, 120})
        .ints(42, {10, 10, 60, 60})
        .ints(47, {10, 10, 90, 90, 90, 50, 50, 10})
        .font(3, -20, QStringLiteral("Arial"))
        .select(3)
        .textOutW(10, 80, QStringLiteral("Fuzz"))
        .stretchDib(QRect(150, 10, 60, 40), bits)
        .ints(40, {2})
        .finish(240, 120);
}

QByteArray mutate(QByteArray b, QRandomGenerator& rng)
{
    static const quint32 interesting[] = {0,          1,          0x7F,       0x80,
                                          0xFF,       0x7FFF,     0x8000,     0xFFFF,
                                          0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x10000};
    const int steps = 1 + int(rng.bounded(4));
    for (int s = 0; s < steps && !b.isEmpty(); ++s) {
        const qsizetype at = qsizetype(rng.bounded(quint32(b.size())));
        switch (rng.bounded(6)) {
        case 0: // flip bits
            b[at] = char(b[at] ^ (1 << rng.bounded(8)));
            break;
        case 1: { // an interesting value over a field
            const quint32 v = interesting[rng.bounded(quint32(std::size(interesting)))];
            const int width = rng.bounded(2) ? 4 : 2;
            for (int i = 0; i < width && at + i < b.size(); ++i)
                b[at + i] = char((v >> (8 * i)) & 0xFF);
            break;
        }
        case 2: // cut short
            b.truncate(at);
            break;
        case 3: // repeat a stretch
            b.insert(at, b.mid(qsizetype(rng.bounded(quint32(b.size()))), 1 + rng.bounded(64)));
            break;
        case 4: // drop a stretch
            b.remove(at, 1 + rng.bounded(16));
            break;
        default: // a random byte
            b[at] = char(rng.bounded(256));
            break;
        }
    }
    return b;
}

} // namespace

void TestPictureFuzz::mutations_data()
{
    QTest::addColumn<QByteArray>("seed");
    QTest::addColumn<int>("count");
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < 6; ++y)
        rows.push_back({0, 0, 1, 1, 2, 2, 3, 0});
    const std::vector<QRgb> palette{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                                    qRgb(9, 9, 9)};
    QTest::newRow("wmf") << richWmf() << 2000;
    QTest::newRow("emf") << richEmf() << 2000;
    QTest::newRow("bmp") << encode(quadrants(12, 8), "bmp") << 500;
    QTest::newRow("bmp rle8") << rleBmp(rows, palette, false) << 500;
    QTest::newRow("bmp rle4") << rleBmp(rows, palette, true) << 500;
    QTest::newRow("ico") << encode(quadrants(16, 16), "ico") << 500;
    QTest::newRow("cur") << cursorFrom(quadrants(16, 16)) << 500;
    QTest::newRow("gif") << gifFrames(5, 3, {1, 2, 3}, palette) << 500;
    QTest::newRow("jpeg") << jpegWithOrientation(quadrants(24, 16), 6) << 500;
}

void TestPictureFuzz::mutations()
{
    QFETCH(QByteArray, seed);
    QFETCH(int, count);
    // More rounds for a longer hunt: CLOAKWELL_FUZZ_ROUNDS=20.
    const int rounds = qMax(1, qEnvironmentVariableIntValue("CLOAKWELL_FUZZ_ROUNDS"));
    QRandomGenerator rng(quint32(qHash(QTest::currentDataTag())));
    QVERIFY(decodePicture(seed).ok());
    // The decoders complain about every broken file; thousands of warnings
    // would bury the report.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type != QtWarningMsg && previous)
                previous(type, context, text);
        });
    const auto restore = qScopeGuard([] { qInstallMessageHandler(previous); });
    int decoded = 0;
    const QString keep = qEnvironmentVariable("CLOAKWELL_FUZZ_KEEP");
    QElapsedTimer slowest;
    qint64 worst = 0;
    for (int i = 0; i < count * rounds; ++i) {
        const QByteArray bytes = mutate(seed, rng);
        // Mostly the preview's reduced decode; every fourth at full size.
        const QSize box = i % 4 ? QSize(200, 200) : QSize();
        slowest.start();
        const LoadedPicture p = decodePicture(bytes, box);
        worst = qMax(worst, slowest.elapsed());
        // A longer hunt can keep the slow ones: CLOAKWELL_FUZZ_KEEP=folder.
        if (slowest.elapsed() > 250 && !keep.isEmpty()) {
            QFile f(QStringLiteral("%1/%2-%3.bin").arg(keep, QTest::currentDataTag()).arg(i));
            if (f.open(QIODevice::WriteOnly))
                f.write(bytes);
        }
        if (p.ok()) {
            ++decoded;
            QVERIFY(!p.image.isNull());
            QVERIFY(p.naturalSize.isValid());
            if (box.isValid())
                QVERIFY(p.image.width() <= box.width() && p.image.height() <= box.height());
        } else {
            QVERIFY(p.image.isNull());
            QCOMPARE(p.message(), QStringLiteral("Invalid picture"));
        }
    }
    qInfo("%s: %d of %d mutations still decoded; slowest %lld ms", QTest::currentDataTag(), decoded,
          count * rounds, worst);
}

QTEST_MAIN(TestPictureFuzz)
#include "tst_picturefuzz.moc"
