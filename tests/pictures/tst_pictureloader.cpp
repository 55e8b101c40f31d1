#include "PictureFixtures.h"

#include "engine/mEncrypt.h"
#include "pictures/PictureLoader.h"
#include "pictures/PictureNames.h"

#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

using namespace pictures;
using namespace fixtures;

namespace {
const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255),
           kYellow = qRgb(255, 255, 0);

// Lossy formats come back close, not equal.
bool near(QRgb a, QRgb b, int tolerance = 40)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

QString describe(QRgb c)
{
    return QStringLiteral("(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

// One fixture of every kind the loader reads, each with the colours expected
// at the quadrant centres of its picture (top left, top right, bottom left,
// bottom right).
struct Fixture
{
    QByteArray bytes;
    QSize size;
    std::array<QRgb, 4> quads;
};

Fixture fixtureFor(const QString& kind)
{
    const std::array<QRgb, 4> q{kRed, kGreen, kBlue, kYellow};
    if (kind == QLatin1String("bmp"))
        return {encode(quadrants(40, 30), "bmp"), {40, 30}, q};
    if (kind == QLatin1String("jpeg"))
        return {encode(quadrants(64, 48), "jpeg"), {64, 48}, q};
    if (kind == QLatin1String("large jpeg")) {
        // Fine noise keeps the file past the 262,136 bytes level 3 inverts,
        // so a restore that runs too far or stops short shows.
        QImage img = quadrants(1000, 800);
        quint32 seed = 1;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                seed = seed * 1103515245 + 12345;
                const int n = int((seed >> 16) % 25) - 12;
                const QRgb c = img.pixel(x, y);
                img.setPixel(x, y,
                             qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255),
                                  qBound(0, qBlue(c) + n, 255)));
            }
        }
        return {encode(img, "jpeg", 98), {1000, 800}, q};
    }
    if (kind == QLatin1String("png"))
        return {encode(quadrants(20, 10), "png"), {20, 10}, q};
    if (kind == QLatin1String("ico"))
        return {encode(quadrants(32, 32), "ico"), {32, 32}, q};
    if (kind == QLatin1String("cur"))
        return {cursorFrom(quadrants(32, 32)), {32, 32}, q};
    if (kind == QLatin1String("rle8") || kind == QLatin1String("rle4")) {
        std::vector<std::vector<int>> rows;
        for (int y = 0; y < 8; ++y) {
            std::vector<int> row;
            for (int x = 0; x < 10; ++x)
                row.push_back((y < 4 ? 0 : 2) + (x < 5 ? 0 : 1));
            rows.push_back(row);
        }
        return {rleBmp(rows, {kRed, kGreen, kBlue, kYellow}, kind == QLatin1String("rle4")),
                {10, 8},
                q};
    }
    if (kind == QLatin1String("gif")) {
        // Two frames: only the first (green) is shown.
        return {gifFrames(6, 4, {1, 2}, {kRed, kGreen, kBlue, kYellow}),
                {6, 4},
                {kGreen, kGreen, kGreen, kGreen}};
    }
    return {};
}

void checkQuadrants(const QImage& img, const std::array<QRgb, 4>& quads)
{
    const int w = img.width(), h = img.height();
    const QPoint at[4] = {
        {w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    for (int i = 0; i < 4; ++i) {
        const QRgb got = img.pixel(at[i]);
        QVERIFY2(near(got, quads[size_t(i)]),
                 qPrintable(QStringLiteral("quadrant %1: %2, expected %3")
                                .arg(i)
                                .arg(describe(got), describe(quads[size_t(i)]))));
    }
}
} // namespace

class TestPictureLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void names_data();
    void names();
    void countPictures();
    void formats_data();
    void formats();
    void orientation_data();
    void orientation();
    void failures_data();
    void failures();
    void largePhoto();
    void reduction_data();
    void reduction();
};

void TestPictureLoader::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("picture");
    QTest::newRow("upper-case JPG") << "Beach.JPG" << true;
    QTest::newRow("jpeg is not") << "beach.jpeg" << false;
    QTest::newRow("no suffix") << "beach" << false;
    QTest::newRow("bare suffix") << ".gif" << true;
    QTest::newRow("rle") << "scan.Rle" << true;
    QTest::newRow("wmf") << "clip.wmf" << true;
    QTest::newRow("emf") << "clip.EMF" << true;
    QTest::newRow("cursor") << "arrow.cur" << true;
    QTest::newRow("png is not") << "shot.png" << false;
    QTest::newRow("hidden name is not") << "yvzxs-qkt.kz3" << false;
    QTest::newRow("suffix inside") << "a.jpg.txt" << false;
    QTest::newRow("empty") << "" << false;
}

void TestPictureLoader::names()
{
    QFETCH(QString, name);
    QFETCH(bool, picture);
    QCOMPARE(is_picture_name(name), picture);
}

void TestPictureLoader::countPictures()
{
    QStandardItemModel listing;
    for (const char* n : {"a.jpg", "b.txt", "Folder", "c.BMP", "d.jpeg", "e.emf"}) {
        // The second column holds other text; only the first one counts.
        listing.appendRow({new QStandardItem(QString::fromLatin1(n)),
                           new QStandardItem(QStringLiteral("x.gif"))});
    }
    QCOMPARE(count_pictures(listing), 3);
}

void TestPictureLoader::formats_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("level"); // 0: a plain name
    for (const char* kind :
         {"bmp", "rle8", "rle4", "ico", "cur", "gif", "jpeg", "large jpeg", "png"}) {
        for (int level : {0, 1, 2, 3})
            QTest::addRow("%s level %d", kind, level) << QString::fromLatin1(kind) << level;
    }
}

// Every kind is read from its content whatever the name says, hidden or not,
// and the file is left exactly as it was.
void TestPictureLoader::formats()
{
    QFETCH(QString, kind);
    QFETCH(int, level);
    const Fixture fx = fixtureFor(kind);
    QVERIFY(!fx.bytes.isEmpty());
    if (kind == QLatin1String("large jpeg"))
        QVERIFY(fx.bytes.size() > mEncrypt::kLevel3Region);
    QTemporaryDir dir;
    // A plain file carries a misleading suffix: the content decides.
    const QString path =
        dir.filePath(level ? mEncrypt::make_hidden_name(QStringLiteral("pic.jpg"), short(level))
                           : QStringLiteral("pic.gif"));
    QVERIFY(writeFile(path, inverted(fx.bytes, level)));
    UntouchedWatch watch(path);
    const LoadedPicture p = loadPicture(path);
    QVERIFY2(p.ok(), qPrintable(p.message()));
    QCOMPARE(p.naturalSize, fx.size);
    QCOMPARE(p.image.size(), fx.size);
    QVERIFY(!p.reduced);
    checkQuadrants(p.image, fx.quads);
    QCOMPARE(watch.changes(), QString());
}

void TestPictureLoader::orientation_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("size"); // decoded
    QTest::addColumn<QSize>("natural");
    // Quadrant colours after turning upright (tl, tr, bl, br as shown).
    QTest::addColumn<QList<QRgb>>("quads");
    const QList<QRgb> upright{kRed, kGreen, kBlue, kYellow};
    const QList<QRgb> turned180{kYellow, kBlue, kGreen, kRed};
    const QList<QRgb> cw90{kBlue, kRed, kYellow, kGreen};
    const QList<QRgb> ccw90{kGreen, kYellow, kRed, kBlue};
    // The stored picture is 160 x 80.
    QTest::newRow("none") << 1 << QSize() << QSize(160, 80) << QSize(160, 80) << upright;
    QTest::newRow("180") << 3 << QSize() << QSize(160, 80) << QSize(160, 80) << turned180;
    QTest::newRow("90 cw") << 6 << QSize() << QSize(80, 160) << QSize(80, 160) << cw90;
    QTest::newRow("90 ccw") << 8 << QSize() << QSize(80, 160) << QSize(80, 160) << ccw90;
    // Reduced: the box is upright, the reader scales the stored picture.
    QTest::newRow("90 cw into box")
        << 6 << QSize(40, 40) << QSize(20, 40) << QSize(80, 160) << cw90;
    QTest::newRow("none into box")
        << 1 << QSize(40, 40) << QSize(40, 20) << QSize(160, 80) << upright;
    QTest::newRow("box larger than picture")
        << 8 << QSize(1000, 1000) << QSize(80, 160) << QSize(80, 160) << ccw90;
}

void TestPictureLoader::orientation()
{
    QFETCH(int, orientation);
    QFETCH(QSize, box);
    QFETCH(QSize, size);
    QFETCH(QSize, natural);
    QFETCH(QList<QRgb>, quads);
    QTemporaryDir dir;
    const QString path = dir.filePath(mEncrypt::make_hidden_name(QStringLiteral("p.jpg"), 3));
    QVERIFY(writeFile(path, inverted(jpegWithOrientation(quadrants(160, 80), orientation), 3)));
    const LoadedPicture p = loadPicture(path, box);
    QVERIFY2(p.ok(), qPrintable(p.message()));
    QCOMPARE(p.naturalSize, natural);
    QCOMPARE(p.image.size(), size);
    QCOMPARE(p.reduced, size != natural);
    checkQuadrants(p.image, {quads[0], quads[1], quads[2], quads[3]});
}

void TestPictureLoader::failures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("make"); // what is put at the name
    QTest::addColumn<QString>("message");
    const QString invalid = QStringLiteral("Invalid picture");
    const QString undecryptable = QStringLiteral("The image could not be opened for decryption");
    const QString l2 = mEncrypt::make_hidden_name(QStringLiteral("p.jpg"), 2);
    const QString l3 = mEncrypt::make_hidden_name(QStringLiteral("p.jpg"), 3);
    const QString l1 = mEncrypt::make_hidden_name(QStringLiteral("p.jpg"), 1);
    QTest::newRow("corrupt hidden level 2") << l2 << "corrupt jpeg" << invalid;
    QTest::newRow("corrupt hidden level 3") << l3 << "text" << invalid;
    QTest::newRow("text named jpg") << "p.jpg"
                                    << "text" << invalid;
    QTest::newRow("empty plain") << "p.jpg"
                                 << "empty" << invalid;
    QTest::newRow("empty hidden") << l3 << "empty" << invalid;
    QTest::newRow("missing plain") << "p.jpg"
                                   << "nothing" << invalid;
    QTest::newRow("missing hidden level 1") << l1 << "nothing" << invalid;
    QTest::newRow("missing hidden level 2") << l2 << "nothing" << undecryptable;
    QTest::newRow("folder with a hidden name") << l3 << "folder" << undecryptable;
    // A pipe would block a plain open for ever.
    QTest::newRow("pipe with a hidden name") << l3 << "fifo" << undecryptable;
    QTest::newRow("dangling link") << l2 << "dangling link" << undecryptable;
    QTest::newRow("header claims gigapixels") << "p.bmp"
                                              << "huge bmp" << invalid;
    QTest::newRow("bmp header cut short") << l2 << "short bmp" << invalid;
}

void TestPictureLoader::failures()
{
    QFETCH(QString, name);
    QFETCH(QString, make);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const int level = mEncrypt::hidden_level(name);
    if (make == QLatin1String("corrupt jpeg")) {
        QByteArray b = encode(quadrants(64, 64), "jpeg");
        b.truncate(30); // a header and nothing else
        QVERIFY(writeFile(path, inverted(b, level)));
    } else if (make == QLatin1String("text")) {
        QVERIFY(writeFile(path, inverted("just some words, not a picture", level)));
    } else if (make == QLatin1String("empty")) {
        QVERIFY(writeFile(path, {}));
    } else if (make == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(name));
    } else if (make == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (make == QLatin1String("dangling link")) {
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), path));
    } else if (make == QLatin1String("huge bmp") || make == QLatin1String("short bmp")) {
        QByteArray b = encode(quadrants(4, 4), "bmp");
        if (make == QLatin1String("huge bmp")) {
            b[18] = b[19] = b[22] = b[23] = char(0);
            b[20] = b[24] = char(0x01); // 65536 x 65536
        } else {
            b.truncate(20);
        }
        QVERIFY(writeFile(path, inverted(b, level)));
    }
    std::unique_ptr<UntouchedWatch> watch;
    if (QFileInfo(path).isFile())
        watch = std::make_unique<UntouchedWatch>(path);
    const LoadedPicture p = loadPicture(path, QSize(100, 100));
    QVERIFY(!p.ok());
    QVERIFY(p.image.isNull());
    QCOMPARE(p.message(), message);
    if (watch)
        QCOMPARE(watch->changes(), QString());
}

// The reader's own 128 MB limit would refuse this photo.
void TestPictureLoader::largePhoto()
{
    QImage img(9000, 6000, QImage::Format_RGB32);
    img.fill(qRgb(30, 160, 90));
    const QByteArray jpeg = encode(img, "jpeg", 60);
    img = QImage();
    const LoadedPicture full = decodePicture(jpeg);
    QVERIFY2(full.ok(), qPrintable(full.message()));
    QCOMPARE(full.image.size(), QSize(9000, 6000));
    QVERIFY(near(full.image.pixel(8999, 5999), qRgb(30, 160, 90)));
    const LoadedPicture preview = decodePicture(jpeg, QSize(800, 600));
    QVERIFY(preview.ok());
    QCOMPARE(preview.naturalSize, QSize(9000, 6000));
    QCOMPARE(preview.image.size(), QSize(800, 533));
    QVERIFY(preview.reduced);
}

void TestPictureLoader::reduction_data()
{
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("no box") << QSize(6000, 4000) << QSize() << QSize(6000, 4000);
    QTest::newRow("fits") << QSize(640, 480) << QSize(800, 600) << QSize(640, 480);
    QTest::newRow("wide") << QSize(6000, 4000) << QSize(800, 600) << QSize(800, 533);
    QTest::newRow("tall") << QSize(4000, 6000) << QSize(800, 600) << QSize(400, 600);
    QTest::newRow("one side over") << QSize(1000, 100) << QSize(800, 600) << QSize(800, 80);
    QTest::newRow("sliver stays a pixel") << QSize(100000, 2) << QSize(50, 50) << QSize(50, 1);
    QTest::newRow("empty box") << QSize(300, 200) << QSize(0, 0) << QSize(300, 200);
}

void TestPictureLoader::reduction()
{
    QFETCH(QSize, natural);
    QFETCH(QSize, box);
    QFETCH(QSize, expected);
    QCOMPARE(reducedSize(natural, box), expected);
}

QTEST_GUILESS_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"
