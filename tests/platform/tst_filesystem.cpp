#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/TempFolder.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using namespace Qt::StringLiterals;

class TestFileSystem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void paths_data();
    void paths();
    void renameNeverReplaces();
    void listingKindsAndLinks();
    void privateTempFolder();
    void removeTreeDoesNotFollowLinks();
    void copyToNewFile_data();
    void copyToNewFile();
};

void TestFileSystem::paths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ext");
    auto row = [](const char* title, const char* path, const char* parent, const char* name,
                  const char* ext) {
        QTest::newRow(title) << QString::fromLatin1(path) << QString::fromLatin1(parent)
                             << QString::fromLatin1(name) << QString::fromLatin1(ext);
    };
    row("file", "/a/b/c.jpg", "/a/b", "c.jpg", "jpg");
    row("trailing", "/a/b/", "/a", "b", "");
    row("root child", "/c.tar.gz", "/", "c.tar.gz", "gz");
    row("dot file", "/h/.profile", "/h", ".profile", "");
    row("dot at end", "/h/name.", "/h", "name.", "");
}

void TestFileSystem::paths()
{
    QFETCH(QString, path);
    QFETCH(QString, parent);
    QFETCH(QString, name);
    QFETCH(QString, ext);
    QCOMPARE(parentFolder(path), parent);
    QCOMPARE(bareName(path), name);
    QCOMPARE(extensionOf(name), ext);
    QCOMPARE(joinPath(parent, name), withoutTrailingSeparator(path));
    QCOMPARE(joinPath(u"/x/"_s, u"/y"_s), u"/x/y"_s);
}

void TestFileSystem::renameNeverReplaces()
{
    TestWorld w;
    const QString a = w.file(u"a"_s, "A"), b = w.file(u"b"_s, "B");
    QCOMPARE(renameNoReplace(a, b), RenameResult::TargetExists);
    QCOMPARE(TestWorld::readAll(b), QByteArray("B"));
    // An empty folder is no more replaceable than a file.
    const QString d = w.folder(u"d"_s), e = w.folder(u"e"_s);
    QCOMPARE(renameNoReplace(d, e), RenameResult::TargetExists);
    QCOMPARE(renameNoReplace(a, w.path(u"c"_s)), RenameResult::Ok);
    QCOMPARE(TestWorld::readAll(w.path(u"c"_s)), QByteArray("A"));
    QCOMPARE(renameNoReplace(w.path(u"gone"_s), w.path(u"x"_s)), RenameResult::Failed);
}

void TestFileSystem::listingKindsAndLinks()
{
    TestWorld w;
    w.file(u"dir/f.txt"_s, "12345");
    w.folder(u"dir/sub"_s);
    w.file(u"dir/.hidden"_s, "");
    QVERIFY(QFile::link(w.path(u"dir/sub"_s), w.path(u"dir/linkdir"_s)));
    QVERIFY(QFile::link(w.path(u"nowhere"_s), w.path(u"dir/dangling"_s)));
    const auto listing = listFolderEntries(w.path(u"dir"_s), true);
    QVERIFY(listing.ok);
    QCOMPARE(listing.entries.size(), size_t(5));
    for (const auto& e : listing.entries) {
        if (e.name == QLatin1String("f.txt"))
            QVERIFY(!e.isFolder && e.size == 5 && e.hasStat);
        if (e.name == QLatin1String("sub"))
            QVERIFY(e.isFolder && !e.isSymLink);
        if (e.name == QLatin1String("linkdir"))
            QVERIFY(e.isFolder && e.isSymLink);
        if (e.name == QLatin1String("dangling"))
            QVERIFY(!e.isFolder && e.isSymLink && !e.hasStat);
        if (e.name == QLatin1String(".hidden"))
            QVERIFY(e.dotName);
    }
    QVERIFY(!listFolderEntries(w.path(u"missing"_s), false).ok);
    QVERIFY(pathExists(w.path(u"dir/dangling"_s)));
    QVERIFY(!fileExists(w.path(u"dir/dangling"_s)));
}

void TestFileSystem::privateTempFolder()
{
    TestWorld w;
    const QString t = w.path(u"KZ Temp"_s);
    auto mode = [&] {
        struct stat st;
        return ::stat(QFile::encodeName(t).constData(), &st) == 0 ? st.st_mode & 0777 : 0u;
    };
    QVERIFY(ensurePrivateFolder(t).ok);
    QCOMPARE(mode(), 0700u);
    // Opened up by someone: made private again.
    QVERIFY(::chmod(QFile::encodeName(t).constData(), 0777) == 0);
    QVERIFY(ensurePrivateFolder(t).ok);
    QCOMPARE(mode(), 0700u);
    // A link planted in its place is refused.
    const QString planted = w.path(u"planted"_s);
    QVERIFY(QFile::link(w.folder(u"elsewhere"_s), planted));
    const auto check = ensurePrivateFolder(planted);
    QVERIFY(!check.ok);
    QVERIFY(!check.reason.isEmpty());
}

void TestFileSystem::removeTreeDoesNotFollowLinks()
{
    TestWorld w;
    const QString keep = w.file(u"outside/keep.jpg"_s, "precious");
    w.file(u"KZ Temp/a/b/copy.jpg"_s, "x");
    QVERIFY(QFile::link(w.path(u"outside"_s), w.path(u"KZ Temp/a/link"_s)));
    QVERIFY(removeFolderTree(w.path(u"KZ Temp"_s)));
    QVERIFY(!QFileInfo::exists(w.path(u"KZ Temp"_s)));
    QCOMPARE(TestWorld::readAll(keep), QByteArray("precious"));
    QVERIFY(removeFolderTree(w.path(u"KZ Temp"_s))); // already gone
    // The temporary folder itself replaced by a link: only the link goes.
    QVERIFY(QFile::link(w.path(u"outside"_s), w.path(u"KZ Temp"_s)));
    QVERIFY(removeFolderTree(w.path(u"KZ Temp"_s)));
    QCOMPARE(TestWorld::readAll(keep), QByteArray("precious"));
}

Q_DECLARE_METATYPE(platform::faults::Plan)

void TestFileSystem::copyToNewFile_data()
{
    QTest::addColumn<platform::faults::Plan>("plan");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("taken"); // the name exists already
    QTest::addColumn<int>("error");  // 0: copied
    using P = platform::faults::Plan;
    P flush;
    flush.failFlush = 1;
    QTest::newRow("empty") << P{} << 0LL << false << 0;
    QTest::newRow("3 MiB") << P{} << (3LL << 20) << false << 0;
    QTest::newRow("name taken") << P{} << 10LL << true << int(EEXIST);
    QTest::newRow("create fails") << P{1, 0, 0, 0, 0, {}} << 10LL << false << int(EIO);
    QTest::newRow("disk full") << P{0, 0, 1, 0, 0, {}} << 10LL << false << int(ENOSPC);
    QTest::newRow("flush fails") << flush << 10LL << false << int(EIO);
}

// The copy is whole, or nothing of it is left; a name that is taken is never
// written through.
void TestFileSystem::copyToNewFile()
{
    QFETCH(platform::faults::Plan, plan);
    QFETCH(qint64, size);
    QFETCH(bool, taken);
    QFETCH(int, error);
    TestWorld w;
    const QByteArray bytes = TestWorld::pattern(size, 3);
    const QString source = w.file(u"src.jpg"_s, bytes);
    const QString target = w.folder(u"out"_s);
    if (taken)
        w.file(u"out/copy.jpg"_s, "theirs");
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    const int dir = ::open(QFile::encodeName(target).constData(), O_RDONLY | O_DIRECTORY);
    platform::faults::arm(plan);
    const CopyResult r = platform::copyToNewFile(in, dir, "copy.jpg", 0600, true);
    platform::faults::disarm();
    ::close(in);
    ::close(dir);
    QCOMPARE(r.ok, error == 0);
    QCOMPARE(r.error, error);
    const QString copy = w.path(u"out/copy.jpg"_s);
    if (taken)
        QCOMPARE(TestWorld::readAll(copy), QByteArray("theirs"));
    else if (error)
        QVERIFY(!QFileInfo::exists(copy));
    else
        QCOMPARE(TestWorld::readAll(copy), bytes);
}

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
