#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/TempFolder.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

using namespace platform;

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
};

void TestFileSystem::paths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ext");
    QTest::newRow("file") << "/a/b/c.jpg"
                          << "/a/b"
                          << "c.jpg"
                          << "jpg";
    QTest::newRow("trailing") << "/a/b/"
                              << "/a"
                              << "b"
                              << "";
    QTest::newRow("root child") << "/c.tar.gz"
                                << "/"
                                << "c.tar.gz"
                                << "gz";
    QTest::newRow("dot file") << "/h/.profile"
                              << "/h"
                              << ".profile"
                              << "";
    QTest::newRow("dot at end") << "/h/name."
                                << "/h"
                                << "name."
                                << "";
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
    QCOMPARE(joinPath(QStringLiteral("/x/"), QStringLiteral("/y")), QStringLiteral("/x/y"));
}

void TestFileSystem::renameNeverReplaces()
{
    TestWorld w;
    const QString a = w.file(QStringLiteral("a"), "A"), b = w.file(QStringLiteral("b"), "B");
    QCOMPARE(renameNoReplace(a, b), RenameResult::TargetExists);
    QCOMPARE(TestWorld::readAll(b), QByteArray("B"));
    // An empty folder is no more replaceable than a file.
    const QString d = w.folder(QStringLiteral("d")), e = w.folder(QStringLiteral("e"));
    QCOMPARE(renameNoReplace(d, e), RenameResult::TargetExists);
    QCOMPARE(renameNoReplace(a, w.path(QStringLiteral("c"))), RenameResult::Ok);
    QCOMPARE(TestWorld::readAll(w.path(QStringLiteral("c"))), QByteArray("A"));
    QCOMPARE(renameNoReplace(w.path(QStringLiteral("gone")), w.path(QStringLiteral("x"))),
             RenameResult::Failed);
}

void TestFileSystem::listingKindsAndLinks()
{
    TestWorld w;
    w.file(QStringLiteral("dir/f.txt"), "12345");
    w.folder(QStringLiteral("dir/sub"));
    w.file(QStringLiteral("dir/.hidden"), "");
    QVERIFY(QFile::link(w.path(QStringLiteral("dir/sub")), w.path(QStringLiteral("dir/linkdir"))));
    QVERIFY(QFile::link(w.path(QStringLiteral("nowhere")), w.path(QStringLiteral("dir/dangling"))));
    const auto listing = listFolderEntries(w.path(QStringLiteral("dir")), true);
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
    QVERIFY(!listFolderEntries(w.path(QStringLiteral("missing")), false).ok);
    QVERIFY(pathExists(w.path(QStringLiteral("dir/dangling"))));
    QVERIFY(!fileExists(w.path(QStringLiteral("dir/dangling"))));
}

void TestFileSystem::privateTempFolder()
{
    TestWorld w;
    const QString t = w.path(QStringLiteral("KZ Temp"));
    QVERIFY(ensurePrivateFolder(t).ok);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(t).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0700u);
    // Opened up by someone: made private again.
    QVERIFY(::chmod(QFile::encodeName(t).constData(), 0777) == 0);
    QVERIFY(ensurePrivateFolder(t).ok);
    QCOMPARE(::stat(QFile::encodeName(t).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0700u);
    // A link planted in its place is refused.
    const QString planted = w.path(QStringLiteral("planted"));
    QVERIFY(QFile::link(w.folder(QStringLiteral("elsewhere")), planted));
    const auto check = ensurePrivateFolder(planted);
    QVERIFY(!check.ok);
    QVERIFY(!check.reason.isEmpty());
}

void TestFileSystem::removeTreeDoesNotFollowLinks()
{
    TestWorld w;
    const QString keep = w.file(QStringLiteral("outside/keep.jpg"), "precious");
    w.file(QStringLiteral("KZ Temp/a/b/copy.jpg"), "x");
    QVERIFY(
        QFile::link(w.path(QStringLiteral("outside")), w.path(QStringLiteral("KZ Temp/a/link"))));
    QVERIFY(removeFolderTree(w.path(QStringLiteral("KZ Temp"))));
    QVERIFY(!QFileInfo::exists(w.path(QStringLiteral("KZ Temp"))));
    QCOMPARE(TestWorld::readAll(keep), QByteArray("precious"));
    QVERIFY(removeFolderTree(w.path(QStringLiteral("KZ Temp")))); // already gone
    // The temporary folder itself replaced by a link: only the link goes.
    QVERIFY(QFile::link(w.path(QStringLiteral("outside")), w.path(QStringLiteral("KZ Temp"))));
    QVERIFY(removeFolderTree(w.path(QStringLiteral("KZ Temp"))));
    QCOMPARE(TestWorld::readAll(keep), QByteArray("precious"));
}

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
