// The main window's file operation: the start after a kill removes the
// temporary items of copies a dead process left in the folders its record
// names; a copy through the main window asks its conflicts in the conflict
// window (not a message box) and notes its target folder for that sweep.
#include "mainwindow/fConflict.h"
#include "mainwindow/mFileOperations.h"
#include "platform/FileOperation.h"
#include "support/MainWorld.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTimer>

class TestStartupSweep : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startRemovesWhatAKilledCopyLeft();
    void copyThroughTheMainWindow();
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

void TestStartupSweep::copyThroughTheMainWindow()
{
    MainWorld m;
    auto main = m.loadMain();
    const QString dst = m.world.folder(u"Pictures/Trip"_s);
    m.world.file(u"Pictures/Trip/a.jpg"_s, "old a");
    const QStringList sources{m.world.file(u"disk/a.jpg"_s, "new a"),
                              m.world.file(u"disk/b.jpg"_s, "new b")};
    int asked = 0;
    QTimer skip;
    connect(&skip, &QTimer::timeout, this, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<fConflict*>(top); d && d->isVisible()) {
                ++asked;
                d->findChild<QPushButton*>(u"skip_button"_s)->click();
            }
    });
    skip.start(10);
    QCOMPARE(main->moveOrCopyItems(mainwindow::FoCopy, sources, dst, mainwindow::FofNone), 0u);
    QCOMPARE(asked, 1);
    QVERIFY(m.prompt.seen.isEmpty());
    QCOMPARE(TestWorld::readAll(dst + u"/a.jpg"_s), "old a");
    QCOMPARE(TestWorld::readAll(dst + u"/b.jpg"_s), "new b");
    // The target is in this process's record, ready for a sweep should it die.
    const QDir records(m.world.path(u"program/KZ Pending"_s));
    const QStringList names = records.entryList({u"*.targets"_s}, QDir::Files);
    QCOMPARE(names.size(), 1);
    QFile record(records.filePath(names.first()));
    QVERIFY(record.open(QIODevice::ReadOnly));
    QCOMPARE(record.readAll(), QFile::encodeName(dst) + '\0');
}

WINDOW_TEST_MAIN(TestStartupSweep)
#include "tst_startupsweep.moc"
