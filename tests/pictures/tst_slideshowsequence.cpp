// The slide show's order and timing, headless: rounds of the random order,
// sequential order over folders and other files, the delay keys and their
// limits, running and stopped, space, failures in a row, the name line.
#include "pictures/SlideShowSequence.h"

#include <QRandomGenerator>
#include <QTest>

#include <map>

using namespace pictures;

namespace {

// A listing given as its names ("/" at the end: a folder).
class NameListing : public ShowListing
{
public:
    explicit NameListing(QStringList names) : names(std::move(names)) {}
    int count() const override { return static_cast<int>(names.size()); }
    QString text(int row) const override
    {
        QString t = names.at(row);
        return t.endsWith(QLatin1Char('/')) ? t.chopped(1) : t;
    }
    QString key(int row) const override { return QStringLiteral("/lib/") + names.at(row); }
    QStringList names;
};

// A seeded generator: the same draws at every run.
SlideShowSequence::RandomSource seeded(quint32 seed)
{
    auto rng = std::make_shared<QRandomGenerator>(seed);
    return [rng](int bound) { return static_cast<int>(rng->bounded(bound)); };
}

QStringList shownNames(SlideShowSequence& seq, const NameListing& listing, int steps)
{
    QStringList shown;
    for (int i = 0; i < steps; ++i) {
        const std::optional<int> row = seq.choose_next(listing);
        if (!row)
            break;
        shown << listing.text(*row);
    }
    return shown;
}

} // namespace

class TestSlideShowSequence : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void randomRounds_data();
    void randomRounds();
    void onePictureAndFolders();
    void sequential_data();
    void sequential();
    void noPictureEndsTheChoice();
    void sorterHook();
    void listingChangesMidRound();
    void delayKeys_data();
    void delayKeys();
    void storedDelay_data();
    void storedDelay();
    void storedMode_data();
    void storedMode();
    void opening_data();
    void opening();
    void space_data();
    void space();
    void failuresInRow();
    void nameLine_data();
    void nameLine();
};

void TestSlideShowSequence::randomRounds_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<quint32>("seed");
    const QStringList five{"a.jpg", "b.gif", "c.bmp", "d.JPG", "e.emf"};
    QTest::newRow("five pictures") << five << 1u;
    QTest::newRow("five pictures, another seed") << five << 77u;
    QTest::newRow("five pictures among folders and other files")
        << QStringList{"x/",    "a.jpg",    "notes.txt", "b.gif",      "y/",
                       "c.bmp", "clip.mp4", "d.JPG",     "photo.jpeg", "e.emf"}
        << 5u;
}

void TestSlideShowSequence::randomRounds()
{
    QFETCH(QStringList, names);
    QFETCH(quint32, seed);
    NameListing listing(names);
    SlideShowSequence seq(ShowMode::Random, 3000, seeded(seed));
    seq.open(listing.pictureCount());
    const QStringList pictures{"a.jpg", "b.gif", "c.bmp", "d.JPG", "e.emf"};
    // Every run of five steps shows each picture once, round after round.
    for (int round = 0; round < 4; ++round) {
        QStringList shown = shownNames(seq, listing, 5);
        QCOMPARE(seq.drawnCount(), 5);
        shown.sort();
        QCOMPARE(shown, pictures);
    }
}

void TestSlideShowSequence::onePictureAndFolders()
{
    NameListing listing({"one/", "two/", "only.jpg", "three/"});
    SlideShowSequence seq(ShowMode::Random, 3000, seeded(3));
    seq.open(listing.pictureCount());
    // Free draws: the one picture comes up again and again, and no round ever
    // runs dry.
    const QStringList shown = shownNames(seq, listing, 6);
    QCOMPARE(shown, QStringList(6, QStringLiteral("only.jpg")));
    QCOMPARE(seq.drawnCount(), 0);
}

void TestSlideShowSequence::sequential_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("from");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("skips folders and other files, wraps")
        << QStringList{"f/", "a.jpg", "t.txt", "b.gif", "g/", "c.bmp"} << -1
        << QStringList{"a.jpg", "b.gif", "c.bmp", "a.jpg", "b.gif"};
    QTest::newRow("from the middle")
        << QStringList{"a.jpg", "b.jpg", "c.jpg"} << 1 << QStringList{"c.jpg", "a.jpg", "b.jpg"};
    QTest::newRow("one picture over and over") << QStringList{"f/", "only.gif", "g/"} << -1
                                               << QStringList{"only.gif", "only.gif", "only.gif"};
    QTest::newRow("position past a listing that shrank")
        << QStringList{"a.jpg", "b.jpg"} << 7 << QStringList{"a.jpg", "b.jpg"};
}

void TestSlideShowSequence::sequential()
{
    QFETCH(QStringList, names);
    QFETCH(int, from);
    QFETCH(QStringList, expected);
    NameListing listing(names);
    SlideShowSequence seq(ShowMode::Sequential, 3000, [](int) { return 0; });
    seq.open(listing.pictureCount());
    seq.setPosition(from);
    QCOMPARE(shownNames(seq, listing, int(expected.size())), expected);
}

void TestSlideShowSequence::noPictureEndsTheChoice()
{
    // No endless search in a listing without pictures (the sorter moved the
    // last one away, or the user listed another folder meanwhile).
    NameListing listing({"f/", "t.txt", "g/"});
    for (ShowMode mode : {ShowMode::Random, ShowMode::Sequential}) {
        SlideShowSequence seq(mode, 3000, seeded(9));
        seq.open(3);
        QVERIFY(!seq.choose_next(listing));
        QVERIFY(!seq.choose_next(NameListing({})));
    }
}

void TestSlideShowSequence::sorterHook()
{
    NameListing listing({"sub/", "a.jpg", "b.jpg", "c.jpg"});
    SlideShowSequence seq(ShowMode::Sequential, 3000);
    seq.open(listing.pictureCount());
    QList<int> counts;
    bool finished = false;
    seq.setBeforeAdvance([&](int picturesNow) {
        counts << picturesNow;
        return !finished;
    });
    QCOMPARE(shownNames(seq, listing, 2), (QStringList{"a.jpg", "b.jpg"}));
    // The sorter moved a.jpg away: the listing is an item shorter above the
    // position, and the step after b.jpg is still c.jpg.
    listing.names.removeAt(1);
    seq.position_back();
    QCOMPARE(shownNames(seq, listing, 1), QStringList{"c.jpg"});
    QCOMPARE(counts, (QList<int>{3, 3, 2}));
    finished = true;
    QVERIFY(!seq.choose_next(listing));
    seq.setPosition(-1);
    seq.position_back();
    QCOMPARE(seq.position(), -1);
}

void TestSlideShowSequence::listingChangesMidRound()
{
    // The show reads the listing live: after the user lists another folder,
    // the pictures of the new one each come once before any repeats.
    NameListing listing({"a.jpg", "b.jpg", "c.jpg"});
    SlideShowSequence seq(ShowMode::Random, 3000, seeded(11));
    seq.open(3);
    shownNames(seq, listing, 2);
    listing.names = QStringList{"p.jpg", "q.jpg", "r.jpg", "s.jpg"};
    QStringList shown = shownNames(seq, listing, 4);
    shown.sort();
    QCOMPARE(shown, (QStringList{"p.jpg", "q.jpg", "r.jpg", "s.jpg"}));
}

void TestSlideShowSequence::delayKeys_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("keys"); // "+" faster, "-" slower
    QTest::addColumn<QList<int>>("intervals");
    QTest::newRow("3000: +, +, + stops at a second, then -")
        << 3000 << "+++-" << QList<int>{2000, 1000, 1000, 2000};
    QTest::newRow("1000 cannot go faster") << 1000 << "+" << QList<int>{1000};
    QTest::newRow("- stops at the largest interval, never wraps")
        << 63000 << "----+" << QList<int>{64000, 65000, 65535, 65535, 64535};
    QTest::newRow("1500: + stops at a second") << 1500 << "+-" << QList<int>{1000, 2000};
}

void TestSlideShowSequence::delayKeys()
{
    QFETCH(int, start);
    QFETCH(QString, keys);
    QFETCH(QList<int>, intervals);
    SlideShowSequence seq(ShowMode::Random, start);
    QList<int> seen;
    for (QChar key : keys) {
        const int before = seq.interval();
        const bool changed = key == QLatin1Char('+') ? seq.faster() : seq.slower();
        QCOMPARE(changed, seq.interval() != before);
        seen << seq.interval();
    }
    QCOMPARE(seen, intervals);
}

void TestSlideShowSequence::storedDelay_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("interval");
    QTest::newRow("a second") << "1000" << 1000;
    QTest::newRow("default") << "3000" << 3000;
    QTest::newRow("above 32767 stays whole") << "40000" << 40000;
    QTest::newRow("above 65535 is capped") << "100000" << 65535;
    QTest::newRow("a 16-bit wrap of 65536 would be 0") << "65536" << 65535;
    QTest::newRow("zero") << "0" << 1000;
    QTest::newRow("negative") << "-5000" << 1000;
    QTest::newRow("huge") << "99999999999999" << 65535;
    QTest::newRow("whole real") << "5000.0" << 5000;
    QTest::newRow("missing") << "" << 3000;
    QTest::newRow("not a number") << "soon" << 3000;
}

void TestSlideShowSequence::storedDelay()
{
    QFETCH(QString, stored);
    QFETCH(int, interval);
    QCOMPARE(show_delay(stored), interval);
    QCOMPARE(SlideShowSequence(ShowMode::Random, show_delay(stored)).interval(), interval);
}

void TestSlideShowSequence::storedMode_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("sequential");
    QTest::newRow("random") << "random" << false;
    QTest::newRow("sequential") << "sequential" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("unknown word") << "shuffle" << false;
}

void TestSlideShowSequence::storedMode()
{
    QFETCH(QString, stored);
    QFETCH(bool, sequential);
    QCOMPARE(show_mode(stored) == ShowMode::Sequential, sequential);
}

void TestSlideShowSequence::opening_data()
{
    QTest::addColumn<int>("pictures");
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("canToggle");
    QTest::newRow("one picture opens stopped, button disabled") << 1 << false << false;
    QTest::newRow("two pictures run") << 2 << true << true;
    QTest::newRow("many pictures run") << 500 << true << true;
}

void TestSlideShowSequence::opening()
{
    QFETCH(int, pictures);
    QFETCH(bool, running);
    QFETCH(bool, canToggle);
    SlideShowSequence seq(ShowMode::Random, 3000);
    seq.open(pictures);
    QCOMPARE(seq.running(), running);
    QCOMPARE(seq.canToggle(), canToggle);
    // The start/stop button does nothing when it is disabled, and flips the
    // state otherwise.
    QCOMPARE(seq.toggle(), canToggle);
    QCOMPARE(seq.running(), canToggle ? !running : running);
}

void TestSlideShowSequence::space_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("spaceBarStop");
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<bool>("restart");
    QTest::addColumn<bool>("runningAfter");
    QTest::newRow("running, space_bar_stop: stops") << true << true << true << false << false;
    QTest::newRow("running, no space_bar_stop: full delay to the next")
        << true << false << false << true << true;
    QTest::newRow("stopped, space_bar_stop: only steps")
        << false << true << false << false << false;
    QTest::newRow("stopped: only steps") << false << false << false << false << false;
}

void TestSlideShowSequence::space()
{
    QFETCH(bool, running);
    QFETCH(bool, spaceBarStop);
    QFETCH(bool, stopped);
    QFETCH(bool, restart);
    QFETCH(bool, runningAfter);
    SlideShowSequence seq(ShowMode::Random, 3000);
    seq.open(5);
    if (!running)
        seq.toggle();
    const SlideShowSequence::SpaceEffect effect = seq.space(spaceBarStop);
    QCOMPARE(effect.stopped, stopped);
    QCOMPARE(effect.restartTimer, restart);
    QCOMPARE(seq.running(), runningAfter);
}

void TestSlideShowSequence::failuresInRow()
{
    SlideShowSequence seq(ShowMode::Sequential, 3000);
    seq.open(3);
    // Three pictures listed: after three failures in a row nothing is left
    // to try.
    QVERIFY(seq.pictureFailed(3));
    QVERIFY(seq.pictureFailed(3));
    seq.pictureLoaded(); // one loaded: the count starts again
    QVERIFY(seq.pictureFailed(3));
    QVERIFY(seq.pictureFailed(3));
    QVERIFY(!seq.pictureFailed(3));
    // A listing that lost its pictures meanwhile gives up at once.
    seq.pictureLoaded();
    QVERIFY(!seq.pictureFailed(0));
}

void TestSlideShowSequence::nameLine_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("left");
    QTest::addColumn<QString>("shown");
    // 1000 twips: 12 - 3 = 9 characters.
    QTest::newRow("fits") << "short.jpg" << 1000.0 << "short.jpg";
    QTest::newRow("one too long") << "shorter.jpg" << 1000.0 << "shorter.j...";
    QTest::newRow("long name") << "a very long name from the holidays at the sea.jpg" << 1500.0
                               << "a very long nam...";
    QTest::newRow("exactly three characters of room") << "abcd.jpg" << 500.0 << "abc...";
    QTest::newRow("no room at all") << "abcd.jpg" << 250.0 << "...";
    QTest::newRow("narrower than that") << "abcd.jpg" << 100.0 << "";
    QTest::newRow("negative left") << "abcd.jpg" << -600.0 << "";
}

void TestSlideShowSequence::nameLine()
{
    QFETCH(QString, name);
    QFETCH(double, left);
    QFETCH(QString, shown);
    QCOMPARE(cut_file_name(name, left), shown);
}

QTEST_GUILESS_MAIN(TestSlideShowSequence)
#include "tst_slideshowsequence.moc"
