// The progress window of a transfer: items of the total, bytes, the time
// left at the pace so far, a filling bar, and Cancel that stops at once.
#include "engine/fProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString labelText(const fProgress& p, const char* name)
{
    return p.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

} // namespace

class TestTransferProgress : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void timeLeft_data();
    void timeLeft();
    void showsATransfer();
};

void TestTransferProgress::timeLeft_data()
{
    QTest::addColumn<double>("fraction");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<QString>("text");
    QTest::newRow("too early to tell") << 0.5 << qint64(1999) << QString();
    QTest::newRow("nothing done yet") << 0.0 << qint64(10000) << QString();
    QTest::newRow("all done") << 1.0 << qint64(10000) << QString();
    QTest::newRow("a quarter in 10 s") << 0.25 << qint64(10000) << u"About 30 seconds left"_s;
    QTest::newRow("almost done") << 0.9 << qint64(20000) << u"A few seconds left"_s;
    QTest::newRow("one second") << 0.5 << qint64(2000) << u"A few seconds left"_s;
    QTest::newRow("a minute") << 0.5 << qint64(70000) << u"About 1 minute left"_s;
    QTest::newRow("ten minutes") << 0.1 << qint64(66667) << u"About 10 minutes left"_s;
    QTest::newRow("two hours") << 0.01 << qint64(72727) << u"About 2 hours left"_s;
}

void TestTransferProgress::timeLeft()
{
    QFETCH(double, fraction);
    QFETCH(qint64, elapsedMs);
    QFETCH(QString, text);
    QCOMPARE(fProgress::timeLeftText(fraction, elapsedMs), text);
}

// A copy a quarter through its bytes after 12 s (but only a tenth of its
// items): the bar and the time go by bytes.
void TestTransferProgress::showsATransfer()
{
    qint64 now = 0;
    fProgress p(nullptr, [&] { return now; });
    p.start(u"Copying files..."_s);
    engine::TransferFigures f{200, 2000LL << 20, 0};
    p.transferred(f);
    now = 12000;
    engine::OperationReport soFar;
    soFar.changed = 20;
    p.step(soFar, u"/home/u/Pictures/Day 2/IMG_0042.jpg"_s);
    f.bytesDone = 500LL << 20;
    now = 12100;
    p.transferred(f);
    QVERIFY(p.isVisible());
    QCOMPARE(labelText(p, "count_label"), u"20 of 200 items done"_s);
    QCOMPARE(labelText(p, "bytes_label"), u"500.0 MB of 2.0 GB"_s);
    QCOMPARE(labelText(p, "time_label"), u"About 36 seconds left"_s);
    QCOMPARE(p.findChild<QProgressBar*>(u"progress_bar"_s)->value(), 250);
    QTest::mouseClick(p.findChild<QPushButton*>(u"cancel_button"_s), Qt::LeftButton);
    QVERIFY(p.cancelled());
    QCOMPARE(labelText(p, "action_label"), u"Stopping..."_s);
    p.finish();

    // The next walk without totals: a busy bar, no bytes, no time.
    p.start(u"Hiding files and folders..."_s);
    now += 5000;
    p.step(soFar, u"/a"_s);
    QCOMPARE(p.findChild<QProgressBar*>(u"progress_bar"_s)->maximum(), 0);
    QVERIFY(!p.findChild<QLabel*>(u"bytes_label"_s)->isVisibleTo(&p));
    QVERIFY(!p.findChild<QLabel*>(u"time_label"_s)->isVisibleTo(&p));
    QCOMPARE(labelText(p, "count_label"), u"20 items done"_s);
    p.finish();
}

QTEST_MAIN(TestTransferProgress)
#include "tst_transferprogress.moc"
