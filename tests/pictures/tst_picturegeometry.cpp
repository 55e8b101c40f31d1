#include "pictures/PictureGeometry.h"

#include <QTest>

using namespace pictures;

Q_DECLARE_METATYPE(pictures::BoxLayout)

class TestPictureGeometry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fit_data();
    void fit();
    void zoom_data();
    void zoom();
    void keyboardZoomThenPan();
    void gestures_data();
    void gestures();
};

void TestPictureGeometry::fit_data()
{
    QTest::addColumn<QSizeF>("box");
    QTest::addColumn<QSizeF>("natural");
    QTest::addColumn<BoxLayout>("layout");
    QTest::addColumn<QRectF>("expected"); // left, top, width, height
    QTest::addColumn<bool>("hasPicture");
    QTest::newRow("small picture enlarged tenfold")
        << QSizeF(1000, 1000) << QSizeF(100, 50) << kPreviewLayout << QRectF(-30, 220, 1000, 500)
        << true;
    QTest::newRow("wide picture") << QSizeF(1000, 1000) << QSizeF(4000, 1000) << kPreviewLayout
                                  << QRectF(-30, 345, 1000, 250) << true;
    // The viewer leaves room for its caption: the height loses 450 before the
    // fit, but the centring uses the whole window.
    QTest::newRow("viewer allowance")
        << QSizeF(2000, 2000) << QSizeF(1000, 800) << kViewerLayout
        << QRectF(-55 + (1000 - 968.75), 1000 - 775 - 200, 1937.5, 1550) << true;
    QTest::newRow("slide show allowance")
        << QSizeF(3000, 1720) << QSizeF(3000, 3000) << kSlideShowLayout
        << QRectF(-60 + 1000, 860 - 500 - 310, 1000, 1000) << true;
    // A box smaller than the allowance gives a zero size, not a negative one.
    QTest::newRow("box under the allowance")
        << QSizeF(2000, 300) << QSizeF(100, 100) << kViewerLayout
        << QRectF(-55 + 1000, 150 - 200, 0, 0) << true;
    // No picture: nothing moves.
    QTest::newRow("empty control")
        << QSizeF(1000, 1000) << QSizeF(100, 50) << kPreviewLayout << QRectF(7, 8, 15, 15) << false;
    QTest::newRow("empty natural size") << QSizeF(1000, 1000) << QSizeF(0, 0) << kPreviewLayout
                                        << QRectF(-30 + 500 - 7.5, 500 - 7.5 - 30, 15, 15) << true;
}

void TestPictureGeometry::fit()
{
    QFETCH(QSizeF, box);
    QFETCH(QSizeF, natural);
    QFETCH(BoxLayout, layout);
    QFETCH(QRectF, expected);
    QFETCH(bool, hasPicture);
    PictureFrame f;
    f.left = 7;
    f.top = 8;
    f.hasPicture = hasPicture;
    double zoom = 8;
    fit_in_box(f, zoom, box.width(), box.height(), natural.width(), natural.height(), layout);
    QCOMPARE(zoom, 1.0);
    QCOMPARE(QRectF(f.left, f.top, f.width, f.height), expected);
    QCOMPARE(f.stretch, hasPicture && natural.width() > 0);
    QVERIFY(f.visible);
}

void TestPictureGeometry::zoom_data()
{
    QTest::addColumn<QRectF>("start"); // left, top, width, height
    QTest::addColumn<double>("zoom");
    QTest::addColumn<int>("button");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<QRectF>("expected");
    QTest::addColumn<double>("expectedZoom");
    // Box 1000 x 1000, preview offsets.
    QTest::newRow("left click doubles about the point")
        << QRectF(-30, 220, 1000, 500) << 1.0 << 1 << QPointF(250, 100)
        << QRectF(500 - 500, 500 - 200, 2000, 1000) << 2.0;
    QTest::newRow("right click on a fitted picture does nothing")
        << QRectF(-30, 220, 1000, 500) << 1.0 << 2 << QPointF(250, 100)
        << QRectF(-30, 220, 1000, 500) << 1.0;
    QTest::newRow("right click halves and refits when whole")
        << QRectF(0, 300, 2000, 1000) << 2.0 << 2 << QPointF(500, 200)
        << QRectF(-30, 220, 1000, 500) << 1.0;
    QTest::newRow("right click halves, still overflowing")
        << QRectF(0, 0, 4000, 2000) << 4.0 << 2 << QPointF(1000, 400) << QRectF(0, 300, 2000, 1000)
        << 2.0;
    // Doubling 140000 would reach 280000: only recentre on the point.
    QTest::newRow("at the cap a left click only recentres")
        << QRectF(-5000, -5000, 140000, 70000) << 64.0 << 1 << QPointF(20000, 10000)
        << QRectF(500 - 20000, 500 - 10000, 140000, 70000) << 64.0;
    QTest::newRow("height reaching the cap stops it too")
        << QRectF(0, 0, 1000, 135000) << 8.0 << 1 << QPointF(0, 0) << QRectF(500, 500, 1000, 135000)
        << 8.0;
    QTest::newRow("just under the cap still doubles")
        << QRectF(0, 0, 134999, 10) << 8.0 << 1 << QPointF(0, 0) << QRectF(500, 500, 269998, 20)
        << 16.0;
    QTest::newRow("zoom that still fits is centred")
        << QRectF(-30, 370, 200, 200) << 1.0 << 1 << QPointF(0, 0)
        << QRectF(-30 + 300, 300 - 30, 400, 400) << 2.0;
}

void TestPictureGeometry::zoom()
{
    QFETCH(QRectF, start);
    QFETCH(double, zoom);
    QFETCH(int, button);
    QFETCH(QPointF, at);
    QFETCH(QRectF, expected);
    QFETCH(double, expectedZoom);
    PictureFrame f{start.left(), start.top(), start.width(), start.height(), true, true, true};
    zoom_at(f, zoom, 1000, 1000, kPreviewLayout, ZoomButton(button), at.x(), at.y());
    QCOMPARE(QRectF(f.left, f.top, f.width, f.height), expected);
    QCOMPARE(zoom, expectedZoom);
}

// "z" zooms about the point under the box centre, a drag then moves the
// picture with the pointer, "x" zooms back out about the new centre.
void TestPictureGeometry::keyboardZoomThenPan()
{
    PictureFrame f;
    f.hasPicture = true;
    double zoom = 0;
    fit_in_box(f, zoom, 2000, 2000, 1000, 1000, kViewerLayout);
    QCOMPARE(QRectF(f.left, f.top, f.width, f.height), QRectF(170, 25, 1550, 1550));
    QPointF c = box_centre_point(f, 2000, 2000);
    QCOMPARE(c, QPointF(830, 975));
    zoom_at(f, zoom, 2000, 2000, kViewerLayout, ZoomButton::Left, c.x(), c.y());
    QCOMPARE(QRectF(f.left, f.top, f.width, f.height), QRectF(-660, -950, 3100, 3100));
    pan_picture(f, QPointF(100, 100), QPointF(160, 40));
    QCOMPARE(QPointF(f.left, f.top), QPointF(-600, -1010));
    c = box_centre_point(f, 2000, 2000);
    zoom_at(f, zoom, 2000, 2000, kViewerLayout, ZoomButton::Right, c.x(), c.y());
    QCOMPARE(zoom, 1.0);
    // Back to a size that fits: centred again with the viewer's offsets.
    QCOMPARE(QRectF(f.left, f.top, f.width, f.height), QRectF(170, 25, 1550, 1550));
}

void TestPictureGeometry::gestures_data()
{
    // Steps: "p x y" press, "m x y" move, "r" release; the frame starts at 0,0.
    QTest::addColumn<bool>("ignoreOrigin");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("releases"); // one letter a release: N none, P pan, C click
    QTest::addColumn<QPointF>("topLeft");
    QTest::newRow("press and release is a click")
        << true << QStringList{"p 10 10", "r"} << "C" << QPointF(0, 0);
    // The press point is whole twips: the drag moves by 20.6 - 10 = 10.6.
    QTest::newRow("drag pans, release is no click")
        << false << QStringList{"p 10.4 5", "m 20.6 5", "r"} << "P" << QPointF(10.6, 0);
    QTest::newRow("preview ignores a move at the origin")
        << true << QStringList{"p 10 10", "m 0 0", "r"} << "C" << QPointF(0, 0);
    QTest::newRow("viewer pans on a move at the origin")
        << false << QStringList{"p 10 10", "m 0 0", "r"} << "P" << QPointF(-10, -10);
    QTest::newRow("a pan does not leak into the next click")
        << true << QStringList{"p 0 0", "m 5 5", "r", "p 1 1", "r"} << "PC" << QPointF(5, 5);
    QTest::newRow("moves without a press do nothing")
        << false << QStringList{"m 50 50", "r"} << "N" << QPointF(0, 0);
}

void TestPictureGeometry::gestures()
{
    QFETCH(bool, ignoreOrigin);
    QFETCH(QStringList, steps);
    QFETCH(QString, releases);
    QFETCH(QPointF, topLeft);
    PanGesture g(ignoreOrigin);
    PictureFrame f;
    f.hasPicture = true;
    f.left = f.top = 0;
    QString got;
    for (const QString& step : steps) {
        const QStringList w = step.split(QLatin1Char(' '));
        const QPointF at = w.size() == 3 ? QPointF(w[1].toDouble(), w[2].toDouble()) : QPointF();
        if (w[0] == QLatin1String("p"))
            g.press(at);
        else if (w[0] == QLatin1String("m"))
            g.move(f, at);
        else
            got += QLatin1String("NPC").at(int(g.release()));
    }
    QCOMPARE(got, releases);
    QCOMPARE(QPointF(f.left, f.top), topLeft);
    QVERIFY(!g.pressed());
}

QTEST_GUILESS_MAIN(TestPictureGeometry)
#include "tst_picturegeometry.moc"
