// The rules for a Library's folder and name, shared by the New Library
// dialog and the renaming of a Library.
#include "libraries/LibraryChecks.h"

#include "libraries/mLibraries.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestLibraryChecks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void name_data();
    void name();
    void path_data();
    void path();
    void newLibraryReportsInOrder_data();
    void newLibraryReportsInOrder();
};

namespace {

// A table holding "Pictures" at {world}/Pictures.
struct Table
{
    TestWorld world;
    settings::SettingsStore store{world.settingsFile()};
    QString bin = world.folder(u"program/KZ Bin"_s);
    Table() { mLibraries::add_library_entry(store, u"Pictures"_s, world.folder(u"Pictures"_s)); }
    QString expand(QString p) const
    {
        return p.replace(u"{world}"_s, world.root()).replace(u"{tmp}"_s, QDir::tempPath());
    }
};

} // namespace

void TestLibraryChecks::name_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("text");
    const QString invalid = u"The library name is invalid"_s;
    const QString taken = u"A library with that name already exists"_s;
    QTest::newRow("new, free") << u"Films"_s << QString() << QString();
    QTest::newRow("new, taken") << u"Pictures"_s << QString() << taken;
    QTest::newRow("new, other case is another name") << u"pictures"_s << QString() << QString();
    QTest::newRow("new, empty") << QString() << QString() << invalid;
    QTest::newRow("new, separator") << u"a/b"_s << QString() << invalid;
    QTest::newRow("rename keeps its own name") << u"Pictures"_s << u"Pictures"_s << QString();
    QTest::newRow("rename to another's name") << u"Pictures"_s << u"Films"_s << taken;
    QTest::newRow("rename to an invalid name") << u"a/b"_s << u"Pictures"_s << invalid;
}

void TestLibraryChecks::name()
{
    QFETCH(QString, name);
    QFETCH(QString, own);
    QFETCH(QString, text);
    Table t;
    const libraries::Refusal r = libraries::check_library_name(t.store, name, own);
    QCOMPARE(r.text, text);
    QCOMPARE(bool(r), !text.isEmpty());
    if (r)
        QCOMPARE(r.title, u"Invalid Library Name"_s);
}

void TestLibraryChecks::path_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    QTest::newRow("a new folder") << u"{world}/Films"_s << QString();
    QTest::newRow("root") << u"/"_s << u"The library path cannot be the root folder of a drive "_s;
    QTest::newRow("the bin, other case")
        << u"{world}/PROGRAM/KZ BIN"_s
        << u"The \"KZ Bin\" folder represents the Red Ovidor bin. Please select a different "
           "path."_s;
    QTest::newRow("the temporary folder")
        << u"{tmp}"_s << u"The library path may not point to the Windows temporary folder"_s;
    QTest::newRow("relative") << u"Films"_s << u"That path does not exist"_s;
    QTest::newRow("missing") << u"{world}/Nowhere"_s << u"That path does not exist"_s;
    QTest::newRow("already a Library")
        << u"{world}/Pictures"_s << u"A library already exists at that path"_s;
}

void TestLibraryChecks::path()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    Table t;
    t.world.folder(u"Films"_s);
    if (path == "Films"_L1)
        QVERIFY(QDir::setCurrent(t.world.root())); // relative, even where it would exist
    const libraries::Refusal r = libraries::check_library_path(t.store, t.bin, t.expand(path));
    QCOMPARE(r.text, text);
    if (r)
        QCOMPARE(r.title, u"Invalid Library Path"_s);
}

// The dialog tells one refusal at a time: the path's form, then the name,
// then whether the folder is already a Library.
void TestLibraryChecks::newLibraryReportsInOrder_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("bad path and bad name: the path")
        << u"{world}/Nowhere"_s << u"a/b"_s << u"That path does not exist"_s;
    QTest::newRow("a Library's folder and a taken name: the name")
        << u"{world}/Pictures"_s << u"Pictures"_s << u"A library with that name already exists"_s;
    QTest::newRow("a Library's folder, free name: the folder")
        << u"{world}/Pictures"_s << u"Films"_s << u"A library already exists at that path"_s;
    QTest::newRow("all good") << u"{world}/Films"_s << u"Films"_s << QString();
}

void TestLibraryChecks::newLibraryReportsInOrder()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, text);
    Table t;
    t.world.folder(u"Films"_s);
    QCOMPARE(libraries::check_new_library(t.store, t.bin, t.expand(path), name).text, text);
}

QTEST_GUILESS_MAIN(TestLibraryChecks)
#include "tst_librarychecks.moc"
