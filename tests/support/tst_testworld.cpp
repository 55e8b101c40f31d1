// The ground every test stands on: a private home and temporary folder for
// the whole program, and worlds that leave nothing behind.
#include "support/AccessOverride.h"
#include "support/TestWorld.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestTestWorld : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void privateEnvironment_data();
    void privateEnvironment();
    void removesEverything_data();
    void removesEverything();
    void forkedChildLeavesItAlone();
    void leftoversOfDeadRunsGo();
};

void TestTestWorld::privateEnvironment_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("home") << QDir::homePath();
    QTest::newRow("config") << QStandardPaths::writableLocation(QStandardPaths::ConfigLocation);
    QTest::newRow("data") << QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QTest::newRow("cache") << QStandardPaths::writableLocation(
        QStandardPaths::GenericCacheLocation);
    QTest::newRow("runtime") << QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QTest::newRow("temporary") << QDir::tempPath();
}

// Whatever a test (or a dialog it opens) writes below these lands in the
// program's own folder, which goes when the program ends.
void TestTestWorld::privateEnvironment()
{
    QFETCH(QString, folder);
    const QString run = QFileInfo(QDir::homePath()).path();
    QVERIFY2(QFileInfo(run).fileName().startsWith(u"cloakwell-run-"_s), qPrintable(run));
    QVERIFY2(folder.startsWith(run + u'/'), qPrintable(folder));
    QVERIFY(QFileInfo(folder).isDir());
    TestWorld world;
    QVERIFY(world.root().startsWith(run + u'/'));
}

void TestTestWorld::removesEverything_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("names that are not valid text") << "undecodable";
    QTest::newRow("folders made unreadable") << "locked";
    QTest::newRow("a link to a folder outside") << "link";
}

void TestTestWorld::removesEverything()
{
    QFETCH(QString, what);
    TestWorld outside;
    const QString kept = outside.file(u"keep/me.txt"_s, "precious");
    QString root;
    {
        // Declared first, so the world goes while it is in force.
        WithoutAccessOverride obeyPermissions;
        QVERIFY(obeyPermissions.active());
        TestWorld world;
        root = world.root();
        const QByteArray raw = QFile::encodeName(root);
        if (what == "undecodable"_L1) {
            QVERIFY(::mkdir((raw + "/bad\xff name").constData(), 0755) == 0);
            const QByteArray file = raw + "/bad\xff name/x\xfe.jpg";
            QVERIFY(::close(::creat(file.constData(), 0644)) == 0);
        } else if (what == "locked"_L1) {
            world.file(u"a/b/c.txt"_s, "x");
            world.file(u"a/d.txt"_s, "x");
            QVERIFY(::chmod((raw + "/a/b").constData(), 0) == 0);
            QVERIFY(::chmod((raw + "/a").constData(), 0500) == 0);
        } else {
            QVERIFY(QFile::link(outside.path(u"keep"_s), world.path(u"link"_s)));
        }
    }
    QVERIFY2(!QFileInfo::exists(root), qPrintable(root));
    QCOMPARE(TestWorld::readAll(kept), QByteArray("precious"));
}

// A test that forks a child which ends through exit() (static objects
// destroyed, as a crash-safety test's child may do) keeps its world and the
// program's private folder.
void TestTestWorld::forkedChildLeavesItAlone()
{
    TestWorld world;
    const QString file = world.file(u"x.txt"_s, "x");
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0)
        std::exit(0);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(QFileInfo::exists(file));
    QVERIFY(QFileInfo(QDir::homePath()).isDir());
    QVERIFY(QFileInfo(QDir::tempPath()).isDir());
}

// A test program that crashed left its private folder; the next run in the
// same temporary folder removes it, and never the folder of a live one. Its
// own folder goes when it ends.
void TestTestWorld::leftoversOfDeadRunsGo()
{
    TestWorld base;
    const pid_t dead = ::fork();
    QVERIFY(dead >= 0);
    if (dead == 0)
        ::_exit(0);
    QCOMPARE(::waitpid(dead, nullptr, 0), dead);
    const QString crashed = base.file(u"cloakwell-run-%1-AbCdEf/tmp/x"_s.arg(dead), "x");
    const QString running = base.file(u"cloakwell-run-%1-GhIjKl/tmp/x"_s.arg(::getpid()), "x");

    QProcess next;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TMPDIR"_s, base.root());
    next.setProcessEnvironment(env);
    next.start(QCoreApplication::applicationFilePath(), {u"privateEnvironment"_s});
    QVERIFY(next.waitForFinished(60000));
    QCOMPARE(next.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(QFileInfo(crashed).path()));
    QVERIFY(QFileInfo::exists(running));
    QCOMPARE(QDir(base.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);
}

QTEST_GUILESS_MAIN(TestTestWorld)
#include "tst_testworld.moc"
