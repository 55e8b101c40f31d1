// The start after a kill: the temporary items of copies a dead process left
// in the folders its record names are gone once the main window has loaded.
#include "platform/FileOperation.h"
#include "support/MainWorld.h"

#include <QFile>

class TestStartupSweep : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startRemovesWhatAKilledCopyLeft();
};

void TestStartupSweep::startRemovesWhatAKilledCopyLeft()
{
    MainWorld m;
    const QString dst = m.world.folder(u"Pictures/Trip"_s);
    const QString leftover = m.world.file(u"Pictures/Trip/.cloakwell-part-dead1-x7~"_s, "partial");
    const QString other = m.world.file(u"Pictures/Trip/.cloakwell-part-live2-y8~"_s, "at work");
    const QString kept = m.world.file(u"Pictures/Trip/beach.jpg"_s, "beach");
    // The record of the killed process: nobody holds its lock.
    const QString record = m.world.path(u"program/KZ Pending/4242-dead1.targets"_s);
    QVERIFY(QDir().mkpath(QFileInfo(record).path()));
    QFile f(record);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QFile::encodeName(dst) + '\0');
    f.close();

    auto main = m.loadMain();
    QVERIFY(!QFileInfo::exists(leftover));
    QVERIFY(QFileInfo::exists(other));
    QCOMPARE(TestWorld::readAll(kept), "beach");
    QVERIFY(!QFileInfo::exists(record));
    QVERIFY(m.prompt.seen.isEmpty()); // nothing to tell the user
}

WINDOW_TEST_MAIN(TestStartupSweep)
#include "tst_startupsweep.moc"
