// The sorter's rules run on a real listing of a real folder, with the
// program's own file operation doing the moves; no window is needed.
#undef QT_WIDGETS_LIB
#include "support/BrowseFixture.h"

#include "browse/mFileInfo.h"
#include "mainwindow/mFileOperations.h"
#include "pictures/PictureSorter.h"
#include "pictures/SlideShowSequence.h"
#include "platform/FileOperation.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using pictures::PictureSorter;
using Sent = PictureSorter::Sent;

namespace {

// A Libraries pane listing the world's folder "shown", and a sorter on it
// driven the way the show drives it: sequential steps over the listing, the
// position stepped back by one after a send.
struct SorterWorld : BrowseFixture
{
    SorterWorld() : pane(true)
    {
        mGetFolders::copy_icons(pane.treeIcons, base);
        mGetFolders::copy_icons(pane.listIcons, base);
        dir = world.folder(u"shown"_s);
        browse::TreeNode* root = pane.tree.addNode(nullptr, node(u"mylibraries"_s));
        pane.tree.addNode(root, node(dir));
        pane.tree.selectNode(pane.tree.nodeByKey(dir));
    }
    static std::unique_ptr<browse::TreeNode> node(const QString& key)
    {
        auto n = std::make_unique<browse::TreeNode>();
        n->key = n->text = key;
        n->image = browse::images::folder;
        return n;
    }
    QString file(const QString& name) { return world.file(u"shown/"_s + name, name.toUtf8()); }
    QString sub(const QString& name) { return world.folder(u"shown/"_s + name); }

    // Lists the folder and opens the sorter on it, showing the first picture.
    void start()
    {
        QCOMPARE(mFileInfo::list_folder(ctx, pane), mFileInfo::ListingResult::Listed);
        PictureSorter::Services services{
            prompt,
            [this](const QStringList& sources, const QString& target) {
                return mainwindow::move_or_copy_items(mainwindow::FoMove, sources, target,
                                                      mainwindow::FofNone, {prompt});
            },
            [this](const QString& from, const QString& folder) {
                ++movesAcross;
                mainwindow::move_or_copy_items(mainwindow::FoMove, {from}, folder,
                                               mainwindow::FofNone, {prompt, nullptr, &skipAll});
            },
            [this] { ++recoveries; }};
        sorter = std::make_unique<PictureSorter>(pane.list, folders.binFolder, services);
        sorter->setup_sorter();
        sequence.setBeforeAdvance([this](int now) { return sorter->before_next_picture(now); });
        sequence.open(listing.pictureCount());
        prepare();
        next_picture();
    }
    // As the window does it: a step shows the prepared picture and prepares
    // the next; the sorter's end leaves nothing shown.
    void prepare()
    {
        const std::optional<int> row = sequence.choose_next(listing);
        next = row ? listing.key(*row) : QString();
        if (!row)
            shownKey.clear();
    }
    void next_picture()
    {
        shownKey = next;
        prepare();
        if (!shownKey.isEmpty())
            shownLog.append(shownName());
    }
    QString shownName() const { return shownKey.isEmpty() ? QString() : QDir(shownKey).dirName(); }
    Sent send(int button)
    {
        const Sent r = sorter->send(button, shownKey);
        if (r == Sent::Moved || r == Sent::Skipped)
            sequence.position_back();
        if (r != Sent::Nothing)
            next_picture();
        return r;
    }
    void skip()
    {
        sorter->skip();
        next_picture();
    }
    QStringList texts() const
    {
        QStringList out;
        for (const browse::ListItem& i : pane.list.items())
            out.append(i.text);
        return out;
    }
    QList<int> counts() const
    {
        return {sorter->total(), sorter->sorted(), sorter->skiped(), sorter->remaining()};
    }

    browse::BrowsePane pane;
    QString dir;
    std::unique_ptr<PictureSorter> sorter;
    pictures::ModelListing listing{&pane.list};
    pictures::SlideShowSequence sequence{pictures::ShowMode::Sequential, 3000};
    QString next;
    QString shownKey;
    QStringList shownLog;
    int recoveries = 0;
    int movesAcross = 0;
    struct SkipAll : mainwindow::ConflictQuestion
    {
        mainwindow::ConflictAnswer ask(const QString&, const QString&, bool) override
        {
            return {mainwindow::ConflictChoice::Skip, true};
        }
    } skipAll;
};

QString status(int total, int sorted, int skiped, int remaining)
{
    return u"Total: %1         Sorted: %2         Skiped: %3         Remaining: %4"_s.arg(total)
        .arg(sorted)
        .arg(skiped)
        .arg(remaining);
}

} // namespace

class TestPictureSorter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void buttons_data();
    void buttons();
    void labels_data();
    void labels();
    void rounds_data();
    void rounds();
    void clashAsksAndNeverReplaces_data();
    void clashAsksAndNeverReplaces();
    void undo_data();
    void undo();
    void undoWhenTheOldNameIsTaken();
    void hiddenPicturesKeepTheirNames();
    void undoAcrossFileSystems_data();
    void undoAcrossFileSystems();
};

void TestPictureSorter::buttons_data()
{
    QTest::addColumn<int>("subfolders");
    QTest::addColumn<QStringList>("labels"); // buttons 1 to 9, "" for hidden ones
    QTest::addColumn<QString>("digits");     // the digit keys that work
    const QString bin = u"Red Ovidor Bin"_s;
    QTest::newRow("ten") << 10 << QStringList{u"1. f01"_s, u"2. f02"_s, u"3. f03"_s,
                                              u"4. f04"_s, u"5. f05"_s, u"6. f06"_s,
                                              u"7. f07"_s, u""_s,       u"9. "_s + bin}
                         << u"12345679"_s;
    QTest::newRow("two") << 2 << QStringList{u"1. f01"_s, u"2. f02"_s, u""_s, u"4. "_s + bin, u""_s,
                                             u""_s,       u""_s,       u""_s, u""_s}
                         << u"124"_s;
    QTest::newRow("none: the bin alone")
        << 0 << QStringList{u""_s, u"2. "_s + bin, u""_s, u""_s, u""_s, u""_s, u""_s, u""_s, u""_s}
        << u"2"_s;
}

// Subfolders become buttons in listing order (folders come first, sorted by
// name), files among them are passed over, and the digit of the empty row does
// nothing.
void TestPictureSorter::buttons()
{
    QFETCH(int, subfolders);
    QFETCH(QStringList, labels);
    QFETCH(QString, digits);
    SorterWorld w;
    for (int i = 1; i <= subfolders; ++i)
        w.sub(u"f%1"_s.arg(i, 2, 10, QChar(u'0')));
    w.file(u"a.jpg"_s);
    w.start();
    QCOMPARE(w.sorter->subfolderCount(), qMin(subfolders, 7));
    QStringList seen;
    for (int i = 1; i <= 9; ++i)
        seen.append(w.sorter->button(i).visible ? w.sorter->button(i).text : QString());
    QCOMPARE(seen, labels);
    const int bin = w.sorter->buttonCount();
    QCOMPARE(w.sorter->button(bin).target, w.folders.binFolder);
    QCOMPARE(w.sorter->button(1).target, subfolders ? w.dir + u"/f01"_s : QString());
    QCOMPARE(w.sorter->borderHeight(), (qMin(subfolders, 7) + 2) * 240 + 100);
    QString working;
    for (int digit = 0; digit <= 9; ++digit)
        if (w.sorter->buttonForDigit(digit))
            working += QString::number(digit);
    QCOMPARE(working, digits);
    // A key that does nothing sends nothing.
    QCOMPARE(w.sorter->send(bin - 1, w.shownKey), Sent::Nothing);
    QVERIFY(QFile::exists(w.dir + u"/a.jpg"_s));
}

void TestPictureSorter::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("width");
    // Labels measured at 60 twips a character.
    QTest::newRow("short") << u"Holidays"_s << u"1. Holidays"_s << 17 * 60 + 300;
    QTest::newRow("30 characters")
        << u"Abcdefghijklmnopqrstuvwxyz1234"_s << u"1. Abcdefghijklm..."_s << 1700;
    QTest::newRow("just fits") << u"Abcdefghijklmnopqrst"_s << u"1. Abcdefghijklmnopqrst"_s
                               << 23 * 60 + 300;
    QTest::newRow("one over") << u"Abcdefghijklmnopqrstu"_s << u"1. Abcdefghijklm..."_s << 1700;
}

// The column is as wide as the widest label (the bin's, "3. Red Ovidor Bin",
// is 17 characters) and at most 1700 twips, labels cut to 16 characters then.
void TestPictureSorter::labels()
{
    QFETCH(QString, name);
    QFETCH(QString, label);
    QFETCH(int, width);
    SorterWorld w;
    w.sub(name);
    w.file(u"a.jpg"_s);
    w.start();
    w.sorter->fitLabels([](const QString& text) { return static_cast<int>(text.size()) * 60; });
    QCOMPARE(w.sorter->button(1).text, label);
    QCOMPARE(w.sorter->borderWidth(), width);
    QCOMPARE(w.sorter->button(1).target, w.dir + u"/"_s + name); // the folder stays whole
    if (width == 1700)
        QCOMPARE(w.sorter->button(3).text, u"3. Red Ovidor Bi..."_s);
}

void TestPictureSorter::rounds_data()
{
    QTest::addColumn<QString>("steps"); // a digit sends to that button, "s" skips
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QList<int>>("counts"); // total, sorted, skipped, remaining at the end
    QTest::addColumn<QString>("lastStatus");
    QTest::newRow("sort all five")
        << u"11111"_s << QStringList{u"sub"_s} << QList<int>{0, 0, 0, 0} << status(0, 0, 0, 0);
    QTest::newRow("all five to the bin")
        << u"33333"_s << QStringList{u"sub"_s} << QList<int>{0, 0, 0, 0} << status(0, 0, 0, 0);
    QTest::newRow("skip two, sort three: a new round of two")
        << u"s1s11"_s << QStringList{u"sub"_s, u"a.jpg"_s, u"c.jpg"_s} << QList<int>{2, 0, 0, 2}
        << status(2, 0, 0, 2);
    QTest::newRow("midway") << u"1s"_s
                            << QStringList{u"sub"_s, u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s, u"e.jpg"_s}
                            << QList<int>{5, 1, 1, 3} << status(5, 1, 1, 3);
}

void TestPictureSorter::rounds()
{
    QFETCH(QString, steps);
    QFETCH(QStringList, left);
    QFETCH(QList<int>, counts);
    QFETCH(QString, lastStatus);
    SorterWorld w;
    w.sub(u"sub"_s);
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
        w.file(QString::fromLatin1(n));
    w.file(u"notes.txt"_s); // not a picture: never shown, never counted
    w.start();
    QCOMPARE(w.sorter->status(), pictures::sorter_intro_text());
    QCOMPARE(w.shownName(), u"a.jpg"_s);
    for (QChar step : steps) {
        if (step == u's')
            w.skip();
        else
            QCOMPARE(w.send(step.digitValue()), Sent::Moved);
    }
    left.append(u"notes.txt"_s);
    QCOMPARE(w.texts(), left);
    QCOMPARE(w.counts(), counts);
    QCOMPARE(w.sorter->status(), lastStatus);
    if (counts.front() == 0)
        QVERIFY(w.shownKey.isEmpty()); // finished: no picture shown
    QVERIFY(w.prompt.seen.isEmpty());
    // What left the listing is on the disk where it was sent, unchanged.
    const QString to = steps.contains(u'3') ? w.folders.binFolder : w.dir + u"/sub"_s;
    for (const QString& n : {u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s, u"e.jpg"_s}) {
        const bool moved = !left.contains(n);
        QCOMPARE(QFile::exists(to + u'/' + n), moved);
        QCOMPARE(TestWorld::readAll((moved ? to : w.dir) + u'/' + n), n.toUtf8());
    }
}

void TestPictureSorter::clashAsksAndNeverReplaces_data()
{
    QTest::addColumn<platform::PromptAnswer>("answer");
    QTest::newRow("no") << platform::PromptAnswer::No;
    QTest::newRow("cancel") << platform::PromptAnswer::Cancel;
}

void TestPictureSorter::clashAsksAndNeverReplaces()
{
    QFETCH(platform::PromptAnswer, answer);
    SorterWorld w;
    w.sub(u"sub"_s);
    w.world.file(u"shown/sub/a.jpg"_s, "the one already there");
    w.file(u"a.jpg"_s);
    w.file(u"b.jpg"_s);
    w.start();
    w.prompt.answer(answer);
    w.prompt.acceptMessages(1); // a summary, if the operation gives one
    QCOMPARE(w.send(1), Sent::Skipped);
    QCOMPARE(w.prompt.seen.front().title, u"Confirm Replace"_s);
    QVERIFY(w.prompt.seen.front().text.contains(u"\"a.jpg\""_s));
    QCOMPARE(TestWorld::readAll(w.dir + u"/sub/a.jpg"_s), QByteArray("the one already there"));
    QCOMPARE(TestWorld::readAll(w.dir + u"/a.jpg"_s), QByteArray("a.jpg"));
    QCOMPARE(w.counts(), (QList<int>{2, 0, 1, 1}));
    QVERIFY(!w.sorter->canUndo());
}

void TestPictureSorter::undo_data()
{
    QTest::addColumn<int>("moves");
    QTest::addColumn<int>("undos");
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<QString>("lastName");
    QTest::newRow("one") << 1 << 1 << QList<int>{5, 0, 0, 5} << u"a.jpg"_s;
    QTest::newRow("three") << 3 << 3 << QList<int>{5, 0, 0, 5} << u"a.jpg"_s;
    QTest::newRow("one of three") << 3 << 1 << QList<int>{5, 2, 0, 3} << u"c.jpg"_s;
    // After the fifth the sorter is finished; each move taken back joins the
    // round anew.
    QTest::newRow("all") << 5 << 5 << QList<int>{5, 0, 0, 5} << u"a.jpg"_s;
    QTest::newRow("two of all") << 5 << 2 << QList<int>{2, 0, 0, 2} << u"d.jpg"_s;
}

// Moves come back in the reverse order, each under its old name and into its
// old row, and the counts follow.
void TestPictureSorter::undo()
{
    QFETCH(int, moves);
    QFETCH(int, undos);
    QFETCH(QList<int>, counts);
    QFETCH(QString, lastName);
    SorterWorld w;
    w.sub(u"one"_s);
    w.sub(u"two"_s);
    const QStringList names{u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s, u"e.jpg"_s};
    for (const QString& n : names)
        w.file(n);
    w.start();
    const QStringList before = w.texts();
    for (int i = 0; i < moves; ++i)
        QCOMPARE(w.send(i % 2 ? 2 : 1), Sent::Moved);
    QCOMPARE(w.sorter->undoDepth(), moves);
    for (int i = 0; i < undos; ++i) {
        const PictureSorter::Undone u = w.sorter->undo();
        QVERIFY(u.moved);
        const int k = moves - 1 - i;
        QCOMPARE(u.key, w.dir + u'/' + names[k]);
        QCOMPARE(u.row, 2); // where each one left, after the two subfolders
    }
    QCOMPARE(w.sorter->undoDepth(), moves - undos);
    QCOMPARE(w.counts(), counts);
    QVERIFY(w.sorter->status().startsWith(u"Moved "_s + lastName + u" back         Total: "_s));
    QVERIFY(w.sorter->status().endsWith(status(counts[0], counts[1], counts[2], counts[3])));
    QStringList expected = before;
    for (int k = undos; k < moves; ++k)
        expected.removeOne(names[moves - 1 - k]);
    QCOMPARE(w.texts(), expected);
    for (const QString& n : names) {
        const bool back = expected.contains(n);
        QCOMPARE(QFile::exists(w.dir + u'/' + n), back);
        QCOMPARE(QFile::exists(w.dir + u"/one/"_s + n) || QFile::exists(w.dir + u"/two/"_s + n),
                 !back);
    }
    QVERIFY(w.prompt.seen.isEmpty());
    // Nothing more to take back: undo does nothing further.
    while (w.sorter->canUndo())
        QVERIFY(w.sorter->undo().moved);
    QVERIFY(!w.sorter->undo().moved);
    QCOMPARE(w.texts(), before);
}

void TestPictureSorter::undoWhenTheOldNameIsTaken()
{
    SorterWorld w;
    w.sub(u"sub"_s);
    w.file(u"a.jpg"_s);
    w.file(u"b.jpg"_s);
    w.start();
    QCOMPARE(w.send(1), Sent::Moved);
    QCOMPARE(w.send(1), Sent::Moved);
    w.world.file(u"shown/b.jpg"_s, "a newcomer");
    const QStringList listed = w.texts();
    const QString statusBefore = w.sorter->status();
    w.prompt.acceptMessages(1);
    QVERIFY(!w.sorter->undo().moved);
    QCOMPARE(w.prompt.lastText(),
             u"b.jpg could not be moved back: a file of that name is in the folder now"_s);
    QCOMPARE(TestWorld::readAll(w.dir + u"/b.jpg"_s), QByteArray("a newcomer"));
    QCOMPARE(TestWorld::readAll(w.dir + u"/sub/b.jpg"_s), QByteArray("b.jpg"));
    QCOMPARE(w.texts(), listed);
    QCOMPARE(w.sorter->status(), statusBefore);
    // The move before it can still be taken back.
    QVERIFY(w.sorter->undo().moved);
    QCOMPARE(TestWorld::readAll(w.dir + u"/a.jpg"_s), QByteArray("a.jpg"));
}

void TestPictureSorter::hiddenPicturesKeepTheirNames()
{
    SorterWorld w;
    w.sub(u"sub"_s);
    const QString stored = BrowseFixture::hidden(u"beach.jpg"_s, 2);
    w.file(stored);
    w.file(u"plain.jpg"_s);
    w.start();
    QCOMPARE(w.texts(), (QStringList{u"sub"_s, u"beach.jpg"_s, u"plain.jpg"_s}));
    QCOMPARE(w.shownKey, w.dir + u'/' + stored);
    QCOMPARE(w.send(1), Sent::Moved);
    QCOMPARE(w.recoveries, 1);
    QCOMPARE(TestWorld::readAll(w.dir + u"/sub/"_s + stored), stored.toUtf8());
    QVERIFY(!QFile::exists(w.dir + u"/sub/beach.jpg"_s));

    QVERIFY(w.sorter->undo().moved);
    QCOMPARE(w.recoveries, 2);
    QCOMPARE(TestWorld::readAll(w.dir + u'/' + stored), stored.toUtf8());
    const browse::ListItem& back = w.pane.list.item(1);
    QCOMPARE(back.text, u"beach.jpg"_s);
    QVERIFY(back.hidden);
    QCOMPARE(back.key, w.dir + u'/' + stored);
    QVERIFY(w.sorter->status().startsWith(u"Moved beach.jpg back"_s));
}

void TestPictureSorter::undoAcrossFileSystems_data()
{
    QTest::addColumn<bool>("nameTaken");
    QTest::newRow("moved back") << false;
    QTest::newRow("old name taken") << true;
}

// A subfolder that is a link onto another file system: the picture is
// copied there and back by the file operation, never over another file.
void TestPictureSorter::undoAcrossFileSystems()
{
    QFETCH(bool, nameTaken);
    QTemporaryDir elsewhere(u"/dev/shm/cloakwell-sorter-XXXXXX"_s);
    SorterWorld w;
    if (!elsewhere.isValid() || platform::sameFileSystem(elsewhere.path(), w.dir))
        QSKIP("no second file system at /dev/shm");
    QVERIFY(BrowseFixture::link(elsewhere.path(), w.dir + u"/away"_s));
    w.file(u"a.jpg"_s);
    w.file(u"b.jpg"_s);
    w.start();
    QCOMPARE(w.sorter->button(1).target, w.dir + u"/away"_s);
    QCOMPARE(w.send(1), Sent::Moved);
    QCOMPARE(TestWorld::readAll(elsewhere.path() + u"/a.jpg"_s), QByteArray("a.jpg"));
    if (nameTaken) {
        w.world.file(u"shown/a.jpg"_s, "a newcomer");
        w.prompt.acceptMessages(1);
    }
    QCOMPARE(w.sorter->undo().moved, !nameTaken);
    QCOMPARE(TestWorld::readAll(w.dir + u"/a.jpg"_s),
             nameTaken ? QByteArray("a newcomer") : QByteArray("a.jpg"));
    QCOMPARE(QFile::exists(elsewhere.path() + u"/a.jpg"_s), nameTaken);
    QCOMPARE(w.movesAcross, nameTaken ? 0 : 1);
}

QTEST_MAIN(TestPictureSorter)
#include "tst_picturesorter.moc"
