#include "pictures/PictureDecoder.h"

#include <QSignalSpy>
#include <QTest>

#include <condition_variable>
#include <mutex>
#include <set>

using namespace pictures;

namespace {

// A decode function the test steers: a held path blocks until released, and
// every call is recorded.
struct Script
{
    std::mutex mutex;
    std::condition_variable changed;
    std::set<QString> held;
    QStringList started;
    QStringList finished;

    LoadedPicture decode(const QString& path, QSize)
    {
        std::unique_lock lock(mutex);
        started << path;
        changed.notify_all();
        changed.wait(lock, [&] { return !held.count(path); });
        finished << path;
        changed.notify_all();
        LoadedPicture p;
        p.failure = LoadFailure::None;
        p.naturalSize = QSize(1, 1);
        p.image = QImage(p.naturalSize, QImage::Format_RGB32);
        p.image.setText(QStringLiteral("path"), path);
        return p;
    }
    void hold(const QString& p)
    {
        std::lock_guard lock(mutex);
        held.insert(p);
    }
    void release(const QString& p)
    {
        std::lock_guard lock(mutex);
        held.erase(p);
        changed.notify_all();
    }
    bool waitFor(const QStringList& list, const QString& p)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return list.contains(p); });
    }
};

} // namespace

class TestPictureDecoder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newestWins_data();
    void newestWins();
    void realFiles();
    void deletedWhileDecoding();
};

void TestPictureDecoder::newestWins_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("delivered");
    QTest::addColumn<QStringList>("decoded");
    QTest::newRow("one request") << QStringList{"request a"} << QStringList{"a"}
                                 << QStringList{"a"};
    QTest::newRow("result of a running decode dropped")
        << QStringList{"hold a", "request a", "started a", "request bb", "release a"}
        << QStringList{"bb"} << QStringList{"a", "bb"};
    // a's result is already queued when bb is asked for.
    QTest::newRow("queued result dropped") << QStringList{"request a", "finished a", "request bb"}
                                           << QStringList{"bb"} << QStringList{"a", "bb"};
    QTest::newRow("waiting request skipped")
        << QStringList{"hold a", "request a", "started a", "request bb", "request ccc", "release a"}
        << QStringList{"ccc"} << QStringList{"a", "ccc"};
    QTest::newRow("cancel drops the running decode")
        << QStringList{"hold a", "request a", "started a", "cancel", "release a", "finished a"}
        << QStringList{} << QStringList{"a"};
    QTest::newRow("request after cancel delivered")
        << QStringList{"hold a", "request a", "started a", "cancel", "request bb", "release a"}
        << QStringList{"bb"} << QStringList{"a", "bb"};
    QTest::newRow("same path twice: the second ticket")
        << QStringList{"hold a", "request a", "started a", "request a", "release a"}
        << QStringList{"a"} << QStringList{"a", "a"};
}

void TestPictureDecoder::newestWins()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, delivered);
    QFETCH(QStringList, decoded);
    Script script;
    PictureDecoder decoder(
        [&](const QString& path, QSize box) { return script.decode(path, box); });
    QStringList got;
    quint64 lastTicket = 0;
    connect(&decoder, &PictureDecoder::decoded, this, [&](quint64 ticket, const LoadedPicture& p) {
        got << p.image.text(QStringLiteral("path"));
        lastTicket = ticket;
    });
    for (const QString& step : steps) {
        const QString verb = step.section(QLatin1Char(' '), 0, 0);
        const QString arg = step.section(QLatin1Char(' '), 1);
        if (verb == QLatin1String("hold"))
            script.hold(arg);
        else if (verb == QLatin1String("release"))
            script.release(arg);
        else if (verb == QLatin1String("request"))
            decoder.request(arg, QSize(10, 10));
        else if (verb == QLatin1String("cancel"))
            decoder.cancel();
        else if (verb == QLatin1String("started"))
            QVERIFY(script.waitFor(script.started, arg));
        else if (verb == QLatin1String("finished"))
            QVERIFY(script.waitFor(script.finished, arg));
    }
    if (!delivered.isEmpty()) {
        QTRY_VERIFY(!decoder.busy());
        QCOMPARE(lastTicket, decoder.latestTicket());
    }
    // Anything still queued arrives now.
    QTRY_COMPARE(script.finished.size(), decoded.size());
    QCoreApplication::processEvents();
    QCOMPARE(got, delivered);
    QCOMPARE(script.started, decoded);
}

void TestPictureDecoder::realFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.dat"));
    QImage img(300, 200, QImage::Format_RGB32);
    img.fill(Qt::red);
    QVERIFY(img.save(path, "bmp"));
    PictureDecoder decoder;
    QSignalSpy spy(&decoder, &PictureDecoder::decoded);
    const quint64 missing = decoder.request(dir.filePath(QStringLiteral("none.jpg")));
    QVERIFY(spy.wait());
    QCOMPARE(spy.at(0).at(0).toULongLong(), missing);
    QCOMPARE(spy.at(0).at(1).value<LoadedPicture>().message(), QStringLiteral("Invalid picture"));
    const quint64 ticket = decoder.request(path, QSize(30, 30));
    QVERIFY(spy.wait());
    QCOMPARE(spy.at(1).at(0).toULongLong(), ticket);
    const auto p = spy.at(1).at(1).value<LoadedPicture>();
    QVERIFY(p.ok());
    QCOMPARE(p.naturalSize, QSize(300, 200));
    QCOMPARE(p.image.size(), QSize(30, 20));
}

// Closing a view while its picture decodes waits for the decode and delivers
// nothing to the dead view.
void TestPictureDecoder::deletedWhileDecoding()
{
    Script script;
    script.hold(QStringLiteral("a"));
    int deliveries = 0;
    {
        auto decoder = std::make_unique<PictureDecoder>(
            [&](const QString& path, QSize box) { return script.decode(path, box); });
        connect(decoder.get(), &PictureDecoder::decoded, this, [&] { ++deliveries; });
        decoder->request(QStringLiteral("a"));
        QVERIFY(script.waitFor(script.started, QStringLiteral("a")));
        script.release(QStringLiteral("a"));
        QVERIFY(script.waitFor(script.finished, QStringLiteral("a")));
    }
    QCoreApplication::processEvents();
    QCOMPARE(deliveries, 0);
}

QTEST_GUILESS_MAIN(TestPictureDecoder)
#include "tst_picturedecoder.moc"
