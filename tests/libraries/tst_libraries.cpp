#include "libraries/mLibraries.h"

#include "support/ScriptedPrompt.h"
#include "support/TestWorld.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using namespace mLibraries;
using namespace Qt::StringLiterals;

namespace {

const QString kLibs = u"Libraries"_s;

QStringList names(const settings::SettingsStore& store)
{
    QStringList out;
    for (const Library& lib : read_libraries(store))
        out << lib.name;
    return out;
}

// Lays out a small tree below root: "f:a/b.jpg" a file, "d:a/c" a folder,
// "l:a/link=target" a symbolic link to target (relative to the link's folder).
void build(TestWorld& world, const QString& root, const QStringList& entries)
{
    world.folder(root);
    for (const QString& e : entries) {
        const QString at = root + '/' + e.mid(2).section('=', 0, 0);
        if (e.startsWith("f:"_L1))
            world.file(at, "x");
        else if (e.startsWith("d:"_L1))
            world.folder(at);
        else
            QVERIFY(QFile::link(e.section('=', 1), world.path(at)));
    }
}

} // namespace

class TestLibraries : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void countValue_data();
    void countValue();
    void removeEntry_data();
    void removeEntry();
    void renameLibrary_data();
    void renameLibrary();
    void pathFree_data();
    void pathFree();
    void checkReportsMissingInOrder();
    void checkDamagedCountInOnePass_data();
    void checkDamagedCountInOnePass();
    void unhiddenItems_data();
    void unhiddenItems();
    void findUnhiddenLibrary_data();
    void findUnhiddenLibrary();
};

void TestLibraries::countValue_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("absent") << false << "" << QStringList{};
    QTest::newRow("not a number") << true << "three" << QStringList{};
    QTest::newRow("beyond 16 bits") << true << "40000" << QStringList{};
    QTest::newRow("values above count ignored") << true << "2" << QStringList{"A", "B"};
    QTest::newRow("all") << true << "3" << QStringList{"A", "B", "C"};
}

void TestLibraries::countValue()
{
    QFETCH(bool, present);
    QFETCH(QString, count);
    QFETCH(QStringList, expected);
    TestWorld world;
    const settings::SettingsStore store(world.settingsFile());
    for (int i = 1; i <= 3; ++i) {
        store.save_setting(kLibs, u"name_%1"_s.arg(i), QString(QChar('A' + i - 1)));
        store.save_setting(kLibs, u"path_%1"_s.arg(i), u"/p%1"_s.arg(i));
    }
    if (present)
        store.save_setting(kLibs, u"Count"_s, count);
    QCOMPARE(names(store), expected);

    // The next add follows the entries the table really has, overwriting
    // whatever stale value sits at that number.
    add_library_entry(store, u"New"_s, u"/new"_s);
    QCOMPARE(names(store), expected + QStringList{"New"});
    QCOMPARE(store.get_setting(kLibs, u"Count"_s), QString::number(expected.size() + 1));
    QCOMPARE(read_libraries(store).back().path, u"/new"_s);
}

void TestLibraries::removeEntry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("first") << "One" << QStringList{"Two", "Three"};
    QTest::newRow("middle") << "Two" << QStringList{"One", "Three"};
    QTest::newRow("last") << "Three" << QStringList{"One", "Two"};
    QTest::newRow("other case") << "two" << QStringList{"One", "Two", "Three"};
    QTest::newRow("unknown") << "Four" << QStringList{"One", "Two", "Three"};
}

void TestLibraries::removeEntry()
{
    QFETCH(QString, name);
    QFETCH(QStringList, left);
    TestWorld world;
    const settings::SettingsStore store(world.settingsFile());
    const QStringList all{"One", "Two", "Three"};
    for (const QString& n : all)
        add_library_entry(store, n, u"/lib/"_s + n);

    remove_library_entry(store, name);

    QCOMPARE(names(store), left);
    // Every path moved with its name.
    for (const Library& lib : read_libraries(store))
        QCOMPARE(lib.path, u"/lib/"_s + lib.name);
    QCOMPARE(store.get_setting(kLibs, u"Count"_s), QString::number(left.size()));
    const QByteArray text = TestWorld::readAll(world.settingsFile());
    const bool removed = left.size() < all.size();
    QCOMPARE(text.contains("name_3="), !removed);
    QCOMPARE(text.contains("path_3="), !removed);
}

void TestLibraries::renameLibrary_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("renamed");
    QTest::newRow("free name") << u"Pics"_s << u"Summer"_s << true;
    QTest::newRow("other case of own") << u"Pics"_s << u"pics"_s << true;
    QTest::newRow("taken by another") << u"Pics"_s << u"Films"_s << false;
    QTest::newRow("own name") << u"Pics"_s << u"Pics"_s << false;
    QTest::newRow("no such library") << u"Holiday"_s << u"Summer"_s << false;
}

void TestLibraries::renameLibrary()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, renamed);
    TestWorld world;
    const settings::SettingsStore store(world.settingsFile());
    add_library_entry(store, u"Pics"_s, u"/a"_s);
    add_library_entry(store, u"Films"_s, u"/b"_s);
    const QByteArray before = TestWorld::readAll(world.settingsFile());

    QCOMPARE(rename_library(store, from, to), renamed);

    if (!renamed) {
        QCOMPARE(TestWorld::readAll(world.settingsFile()), before);
        return;
    }
    QStringList expected{"Pics", "Films"};
    expected[expected.indexOf(from)] = to;
    QCOMPARE(names(store), expected);
    QCOMPARE(read_libraries(store).front().path, u"/a"_s);
    QVERIFY(!library_name_free(store, to));
    QVERIFY(library_name_free(store, from));
}

void TestLibraries::pathFree_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("free");
    QTest::newRow("same") << "/data/Pics" << false;
    QTest::newRow("other case") << "/DATA/pics" << false;
    QTest::newRow("inside") << "/data/Pics/summer" << false;
    QTest::newRow("begins with another") << "/x/pictures" << false;
    QTest::newRow("contains a library") << "/data" << true;
    QTest::newRow("sibling") << "/data/Films" << true;
}

void TestLibraries::pathFree()
{
    QFETCH(QString, path);
    QFETCH(bool, free);
    TestWorld world;
    const settings::SettingsStore store(world.settingsFile());
    QVERIFY(library_path_free(store, path));
    add_library_entry(store, u"A"_s, u"/data/Pics"_s);
    add_library_entry(store, u"B"_s, u"/x/pic"_s);
    QCOMPARE(library_path_free(store, path), free);
}

void TestLibraries::checkReportsMissingInOrder()
{
    TestWorld world;
    const settings::SettingsStore store(world.settingsFile());
    ScriptedPrompt prompt;
    // An empty table: nothing to report, and no store is made.
    check_libraries(store, prompt);
    QVERIFY(prompt.seen.isEmpty());
    QVERIFY(!QFile::exists(world.settingsFile()));

    add_library_entry(store, u"Kept"_s, world.folder(u"kept"_s));
    add_library_entry(store, u"Gone 1"_s, world.path(u"gone1"_s));
    add_library_entry(store, u"Gone 2"_s, world.path(u"gone2"_s));
    // A file where the folder was is not a folder.
    add_library_entry(store, u"File"_s, world.file(u"file"_s));
    add_library_entry(store, u"Last"_s, world.folder(u"last"_s));
    prompt.acceptMessages(3);
    check_libraries(store, prompt);

    QCOMPARE(prompt.seen.size(), 3);
    const QStringList reported{"Gone 1", "Gone 2", "File"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(prompt.seen[i].text,
                 "Library '" + reported[i] +
                     "' is missing! This may have been caused by deleting, moving,\r\nor "
                     "renaming, of the associated folder. You may try to remedy this by\r\nusing "
                     "'Recover Libraries' under the Tools menu.");
        QCOMPARE(prompt.seen[i].title, u"Cloakwell"_s);
        QCOMPARE(prompt.seen[i].buttons, platform::PromptButtons::Ok);
    }
    QCOMPARE(names(store), (QStringList{"Kept", "Last"}));
    QCOMPARE(read_libraries(store).back().path, world.path(u"last"_s));
}

void TestLibraries::checkDamagedCountInOnePass_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("kept"); // entries 1..kept name real folders
    QTest::newRow("Count=32767, no entries") << 32767 << 0;
    QTest::newRow("Count=2000, two real") << 2000 << 2;
    QTest::newRow("four missing") << 6 << 2;
}

// A damaged Count names thousands of missing entries: one pass, one write,
// one message, and the real Libraries stay in order.
void TestLibraries::checkDamagedCountInOnePass()
{
    QFETCH(int, count);
    QFETCH(int, kept);
    TestWorld world;
    QByteArray ini = "[Libraries]\nCount=" + QByteArray::number(count) + "\n";
    for (int i = 1; i <= kept; ++i)
        ini += "name_" + QByteArray::number(i) + "=L" + QByteArray::number(i) + "\npath_" +
               QByteArray::number(i) + "=" +
               QFile::encodeName(world.folder("lib" + QString::number(i))) + "\n";
    world.file(u"Cloakwell.ini"_s, ini);
    const settings::SettingsStore store(world.settingsFile());
    ScriptedPrompt prompt;
    prompt.acceptMessages();
    QElapsedTimer clock;
    clock.start();
    check_libraries(store, prompt);
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(prompt.seen.size(), 1);
    QVERIFY(prompt.seen[0].text.startsWith(u"Library '"_s));
    QCOMPARE(prompt.seen[0].text.count(u"is missing!"_s), qMin(count - kept, 10));
    if (count - kept > 10)
        QCOMPARE(prompt.seen[0].details.count(u"is missing!"_s), count - kept);
    QStringList want;
    for (int i = 1; i <= kept; ++i)
        want << "L" + QString::number(i);
    QCOMPARE(names(store), want);
    QCOMPARE(store.get_setting(kLibs, u"Count"_s), QString::number(kept));
    QCOMPARE(store.get_setting(kLibs, "name_" + QString::number(kept + 1)), QString());
}

void TestLibraries::unhiddenItems_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("unhidden");
    QTest::newRow("empty") << QStringList{} << false;
    QTest::newRow("plain file") << QStringList{"f:a.jpg"} << true;
    QTest::newRow("hidden files, any case")
        << QStringList{"f:x.kz1", "f:y.KZ2", "f:z.Kz3", "f:.kz1"} << false;
    QTest::newRow("kz4 is not hidden") << QStringList{"f:x.kz1", "f:y.kz4"} << true;
    QTest::newRow("empty plain folder") << QStringList{"f:x.kz1", "d:Holiday"} << true;
    QTest::newRow("hidden all the way down")
        << QStringList{"f:a.kz1/b.kz2/c.kz3", "d:a.kz1/d.kz1"} << false;
    QTest::newRow("plain file deep in hidden folders")
        << QStringList{"f:a.kz1/b.kz2", "f:a.kz1/c.kz1/d.kz1/photo.jpg"} << true;
    // Links are judged by their own names and never followed.
    QTest::newRow("hidden link back up") << QStringList{"d:a.kz1", "l:a.kz1/up.kz1=.."} << false;
    QTest::newRow("plain link back up") << QStringList{"d:a.kz1", "l:a.kz1/up=.."} << true;
    QTest::newRow("hidden link to a plain folder") << QStringList{"l:c.kz1=../outside"} << false;
    QTest::newRow("plain link to a plain folder") << QStringList{"l:c=../outside"} << true;
    QTest::newRow("dangling hidden link") << QStringList{"l:gone.kz2=nowhere"} << false;
}

void TestLibraries::unhiddenItems()
{
    QFETCH(QStringList, entries);
    QFETCH(bool, unhidden);
    TestWorld world;
    world.file(u"outside/b.jpg"_s);
    build(world, u"lib"_s, entries);
    QCOMPARE(contains_unhidden_items(world.path(u"lib"_s)), unhidden);
}

void TestLibraries::findUnhiddenLibrary_data()
{
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QStringList>("bin"); // "-" for no bin folder
    QTest::addColumn<QString>("expected");
    const QStringList clean{"f:a.kz1", "d:b.kz1"};
    QTest::newRow("all hidden") << clean << clean << clean << "";
    QTest::newRow("first") << QStringList{"f:a.jpg"} << QStringList{"f:b.jpg"} << clean << "First";
    QTest::newRow("second") << clean << QStringList{"f:b.kz1/c.png"} << clean << "Second";
    QTest::newRow("bin") << clean << clean << QStringList{"f:old.kz2/new.jpg"} << "Red Ovidor Bin";
    QTest::newRow("libraries before bin")
        << clean << QStringList{"d:x"} << QStringList{"f:a.jpg"} << "Second";
    QTest::newRow("no bin folder") << clean << clean << QStringList{"-"} << "";
}

void TestLibraries::findUnhiddenLibrary()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QStringList, bin);
    QFETCH(QString, expected);
    TestWorld world;
    const settings::SettingsStore store(world.settingsFile());
    // A library whose folder has gone is passed over, not an error.
    add_library_entry(store, u"Gone"_s, world.path(u"gone"_s));
    build(world, u"first"_s, first);
    add_library_entry(store, u"First"_s, world.path(u"first"_s));
    build(world, u"second"_s, second);
    add_library_entry(store, u"Second"_s, world.path(u"second"_s));
    if (bin != QStringList{"-"})
        build(world, u"KZ Bin"_s, bin);

    QCOMPARE(find_unhidden_library(store, world.path(u"KZ Bin"_s)), expected);
}

QTEST_GUILESS_MAIN(TestLibraries)
#include "tst_libraries.moc"
