// Removing a Library: the free "Deleted Library - name (k)" in the bin, and a
// Library's folder that is never lost: the entry goes only once nothing is
// left in the folder's place.
#include "libraries/mDeleteLibrary.h"
#include "libraries/mLibraries.h"

#include "engine/LongOperation.h"
#include "platform/FileOperation.h"
#include "platform/FileSystem.h"
#include "support/ScriptedPrompt.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using mDeleteLibrary::MoveOutcome;

namespace {

settings::SettingsStore libraryTable(TestWorld& world, const QString& name, const QString& path)
{
    settings::SettingsStore store(world.settingsFile());
    mLibraries::add_library_entry(store, name, path);
    return store;
}

QStringList tableNames(const settings::SettingsStore& store)
{
    QStringList names;
    for (const mLibraries::Library& lib : mLibraries::read_libraries(store))
        names << lib.name;
    return names;
}

// A Library folder with a plain picture and a hidden folder holding a hidden file.
QString libraryFolder(TestWorld& world, const QString& relative)
{
    world.file(relative + u"/beach.jpg"_s, TestWorld::pattern(5000, 1));
    world.file(relative + u"/Girkh.kz1/ilnv-qkt.kz2"_s, TestWorld::pattern(7000, 2));
    return world.path(relative);
}

void verifyLibraryContent(const QString& folder)
{
    QCOMPARE(TestWorld::readAll(folder + u"/beach.jpg"_s), TestWorld::pattern(5000, 1));
    QCOMPARE(TestWorld::readAll(folder + u"/Girkh.kz1/ilnv-qkt.kz2"_s),
             TestWorld::pattern(7000, 2));
}

class StopAtOnce : public engine::OperationProgress
{
public:
    void start(const QString&) override {}
    void step(const engine::OperationReport&, const QString&) override {}
    bool cancelled() const override { return true; }
    void finish() override {}
};

} // namespace

class TestDeleteLibrary : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void numbering_data()
    {
        QTest::addColumn<QStringList>("taken"); // names already in the bin; "f:" a file
        QTest::addColumn<QString>("expected");
        const QString d = u"Deleted Library - Trips"_s;
        QTest::newRow("free") << QStringList{} << d;
        QTest::newRow("taken once") << QStringList{d} << d + u" (1)"_s;
        QTest::newRow("taken twice") << QStringList{d, d + u" (1)"_s} << d + u" (2)"_s;
        QTest::newRow("a gap is used") << QStringList{d, d + u" (2)"_s} << d + u" (1)"_s;
        QTest::newRow("only a numbered one") << QStringList{d + u" (1)"_s} << d;
        QTest::newRow("a file takes the name") << QStringList{u"f:"_s + d} << d + u" (1)"_s;
        QTest::newRow("another Library's") << QStringList{d + u"s"_s} << d;
        QTest::newRow("other letters") << QStringList{u"Deleted Library - trips"_s} << d;
    }
    void numbering()
    {
        QFETCH(QStringList, taken);
        QFETCH(QString, expected);
        TestWorld world;
        const QString bin = world.folder(u"KZ Bin"_s);
        for (const QString& name : taken) {
            if (name.startsWith(u"f:"_s))
                world.file(u"KZ Bin/"_s + name.mid(2), "x");
            else
                world.folder(u"KZ Bin/"_s + name);
        }
        QCOMPARE(mDeleteLibrary::deleted_library_path(bin, u"Trips"_s), bin + u'/' + expected);
    }

    // Both options, and the move failing at its one rename: the Library
    // leaves the table exactly when its folder is not left behind.
    void deleteLibrary_data()
    {
        QTest::addColumn<bool>("moveFolder");
        QTest::addColumn<int>("failRename");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QString>("folderAt"); // "lib", "bin" (as "Deleted Library - Trips (1)")
        QTest::newRow("remove from the list only") << false << 0 << true << u"lib"_s;
        QTest::newRow("move into the bin") << true << 0 << true << u"bin"_s;
        QTest::newRow("the move fails") << true << 1 << false << u"lib"_s;
    }
    void deleteLibrary()
    {
        QFETCH(bool, moveFolder);
        QFETCH(int, failRename);
        QFETCH(bool, removed);
        QFETCH(QString, folderAt);
        TestWorld world;
        const QString lib = libraryFolder(world, u"Trips"_s);
        const QString bin = world.folder(u"program/KZ Bin"_s);
        world.folder(u"program/KZ Bin/Deleted Library - Trips"_s);
        const settings::SettingsStore store = libraryTable(world, u"Trips"_s, lib);
        mLibraries::add_library_entry(store, u"Other"_s, world.folder(u"Other"_s));
        ScriptedPrompt prompt;
        prompt.acceptMessages(failRename ? 1 : 0);

        platform::faults::Plan plan;
        plan.failRename = failRename;
        platform::faults::arm(plan);
        mDeleteLibrary::MoveResult moved;
        const bool gone = mDeleteLibrary::delete_library(store, {u"Trips"_s, lib, moveFolder}, bin,
                                                         prompt, nullptr, &moved);
        platform::faults::disarm();

        QCOMPARE(gone, removed);
        const QStringList left =
            removed ? QStringList{u"Other"_s} : QStringList{u"Trips"_s, u"Other"_s};
        QCOMPARE(tableNames(store), left);
        const QString inBin = bin + u"/Deleted Library - Trips (1)"_s;
        if (folderAt == u"lib"_s) {
            verifyLibraryContent(lib);
            QVERIFY(!QFileInfo::exists(inBin));
        } else {
            QVERIFY(!QFileInfo::exists(lib));
            QCOMPARE(moved.target, inBin);
            // Unchanged, and what was hidden keeps its stored name.
            verifyLibraryContent(inBin);
        }
        // No temporary copy stays in the bin.
        QStringList inside{u"Deleted Library - Trips"_s};
        if (folderAt == u"bin"_s)
            inside << u"Deleted Library - Trips (1)"_s;
        QCOMPARE(QDir(bin).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 inside);
        QCOMPARE(prompt.seen.size(), failRename ? 1 : 0);
        QVERIFY(prompt.unexpected.isEmpty());
    }

    // The program's own folder made a Library holds the bin: it cannot go
    // into it, and stays listed.
    void binInsideTheLibraryIsRefused()
    {
        TestWorld world;
        const QString lib = libraryFolder(world, u"program"_s);
        const QString bin = world.folder(u"program/KZ Bin"_s);
        const settings::SettingsStore store = libraryTable(world, u"Program"_s, lib);
        ScriptedPrompt prompt;
        prompt.acceptMessages(1);
        QVERIFY(!mDeleteLibrary::delete_library(store, {u"Program"_s, lib, true}, bin, prompt,
                                                nullptr));
        QCOMPARE(prompt.lastText(),
                 u"Cannot move selection because the source is within the destinaton"_s);
        QCOMPARE(tableNames(store), QStringList{u"Program"_s});
        verifyLibraryContent(lib);
    }

    // Across file systems the folder is copied first: cancelled, nothing of
    // the copy stays in the bin and the Library keeps its folder and entry.
    void crossVolumeCancelKeepsTheLibrary()
    {
        TestWorld world;
        QTemporaryDir shm(u"/dev/shm/cloakwell-test-XXXXXX"_s);
        if (!shm.isValid() || platform::sameFileSystem(shm.path(), world.root()))
            QSKIP("no second file system");
        const QString lib = libraryFolder(world, u"Trips"_s);
        const settings::SettingsStore store = libraryTable(world, u"Trips"_s, lib);
        const QString bin = shm.path() + u"/KZ Bin"_s;
        ScriptedPrompt prompt;
        StopAtOnce stop;
        mDeleteLibrary::MoveResult moved;
        QVERIFY(!mDeleteLibrary::delete_library(store, {u"Trips"_s, lib, true}, bin, prompt, &stop,
                                                &moved));
        QCOMPARE(moved.outcome, MoveOutcome::Cancelled);
        QCOMPARE(tableNames(store), QStringList{u"Trips"_s});
        verifyLibraryContent(lib);
        QVERIFY(
            QDir(bin).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());

        // Not cancelled, it arrives whole and leaves nothing behind.
        QVERIFY(mDeleteLibrary::delete_library(store, {u"Trips"_s, lib, true}, bin, prompt, nullptr,
                                               &moved));
        QCOMPARE(moved.outcome, MoveOutcome::Moved);
        verifyLibraryContent(bin + u"/Deleted Library - Trips"_s);
        QVERIFY(!QFileInfo::exists(lib));
        QVERIFY(prompt.seen.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDeleteLibrary)
#include "tst_deletelibrary.moc"
