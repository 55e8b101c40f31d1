// The Properties windows: what they show of files and folders, hidden or
// not, the folder sum with unreadable subfolders, and several side by side.
#include "panes/PaneKit.h"

#include "mainwindow/ItemProperties.h"
#include "mainwindow/fProperties.h"

#include <QLabel>

#include <unistd.h>

using mainwindow::PropertiesSubject;

class TestProperties : public QObject
{
    Q_OBJECT
private:
    static QString field(QWidget* window, const char* name)
    {
        if (auto* box = window->findChild<QLineEdit*>(QLatin1String(name)))
            return box->text();
        if (auto* label = window->findChild<QLabel*>(QLatin1String(name)))
            return label->text();
        return u"<missing>"_s;
    }
    static QList<fProperties*> openWindows(fMain& main)
    {
        QList<fProperties*> shown;
        for (fProperties* p : main.findChildren<fProperties*>())
            if (p->isVisible())
                shown << p;
        return shown;
    }

private Q_SLOTS:
    void describe_data()
    {
        QTest::addColumn<QString>("relative"); // created below the world
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("encrypted");
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("size");

        QTest::newRow("hidden level-3 file in the Libraries list")
            << u"lib/xzg-nkt.kz3"_s << false << u"cat.mpg"_s << true << u"File Properties"_s
            << u"xzg-nkt.kz3"_s << u"3"_s << u"1.5 KB (1,536 bytes)"_s;
        QTest::newRow("unhidden folder")
            << u"lib/Trips"_s << true << u"Trips"_s << false << u"Folder Properties"_s << u"n/a"_s
            << u"n/a"_s << QString();
        QTest::newRow("hidden folder in the Libraries tree")
            << u"lib/Girkh.kz1"_s << true << u"Trips"_s << true << u"Folder Properties"_s
            << u"Girkh.kz1"_s << u"1"_s << QString();
        QTest::newRow("hidden file seen from the Explorer")
            << u"lib/xzg-nkt.kz3"_s << false << u"xzg-nkt.kz3"_s << false << u"File Properties"_s
            << u"n/a"_s << u"n/a"_s << u"1.5 KB (1,536 bytes)"_s;
    }
    void describe()
    {
        QFETCH(QString, relative);
        QFETCH(bool, isFolder);
        QFETCH(QString, shown);
        QFETCH(bool, hidden);
        TestWorld world;
        const QString path =
            isFolder ? world.folder(relative) : world.file(relative, TestWorld::pattern(1536));
        const auto load =
            mainwindow::describe_item(PropertiesSubject{path, shown, isFolder, hidden});
        QVERIFY(load.error.isEmpty());
        const mainwindow::ItemProperties& p = load.properties;
        QTEST(p.caption, "caption");
        QCOMPARE(p.object_name, shown);
        QCOMPARE(p.path, world.path(u"lib"_s));
        QTEST(p.encrypted_name, "encrypted");
        QTEST(p.level, "level");
        QTEST(p.size, "size");
        QCOMPARE(p.sumFolder, isFolder);
    }

    void missingItemsAreRefused_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("gone from disk") << u"/nonexistent-cloakwell/x.jpg"_s;
        QTest::newRow("a fixed node") << u"mylibraries"_s;
    }
    void missingItemsAreRefused()
    {
        QFETCH(QString, key);
        const auto load = mainwindow::describe_item(PropertiesSubject{key, u"x"_s, false, false});
        QVERIFY(!load.error.isEmpty());
    }

    // Every file at any depth, links neither followed nor counted, and a
    // folder that cannot be read noted while the rest is summed.
    void folderSum()
    {
        TestWorld world;
        world.file(u"top/a.bin"_s, TestWorld::pattern(1000));
        world.file(u"top/one/b.bin"_s, TestWorld::pattern(2000));
        world.file(u"top/one/two/c.bin"_s, TestWorld::pattern(48));
        world.file(u"elsewhere/big.bin"_s, TestWorld::pattern(100000));
        QVERIFY(QFile::link(world.path(u"elsewhere"_s), world.path(u"top/link"_s)));
        QVERIFY(QFile::link(world.path(u"elsewhere/big.bin"_s), world.path(u"top/big.lnk"_s)));
        const QString locked = world.folder(u"top/locked"_s);
        world.file(u"top/locked/d.bin"_s, TestWorld::pattern(5000));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        const bool root = geteuid() == 0;

        mainwindow::FolderSizeWalk walk(world.path(u"top"_s));
        int steps = 0;
        while (!walk.step(std::chrono::milliseconds(0)))
            QVERIFY(++steps < 10000);
        QVERIFY(walk.done());
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        if (root) {
            QCOMPARE(walk.bytes(), quint64(8048));
        } else {
            QCOMPARE(walk.bytes(), quint64(3048));
            QCOMPARE(walk.unreadable(), QStringList{locked});
            QCOMPARE(mainwindow::unreadable_note(walk.unreadable()),
                     u"1 folder could not be read and is not counted."_s);
        }
        QCOMPARE(mainwindow::folder_size_text(walk).isEmpty(), false);
    }

    // From the Libraries list and tree, as the context menu opens them: a
    // hidden level-3 file, a folder summed after the window shows, and
    // both windows open side by side.
    void windowsSideBySide()
    {
        MainWorld w;
        w.world.file(u"Pictures/xzg-nkt.kz3"_s, TestWorld::pattern(1536)); // cat.mpg
        w.world.file(u"Pictures/Trips/rome.jpg"_s, TestWorld::pattern(4096));
        w.world.file(u"Pictures/Trips/Day 2/paris.jpg"_s, TestWorld::pattern(4096));
        w.set("Behavior", "last_path", w.world.path(u"Pictures"_s));
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        QTRY_VERIFY(rowOf(window, u"cat.mpg"_s) >= 0);

        QVERIFY(clickItem(window, u"cat.mpg"_s));
        QTRY_COMPARE(main->state().object_focus, short(mainwindow::kLibrariesList));
        main->run_command(mainwindow::Command::Properties);
        QCOMPARE(openWindows(*main).size(), 1);
        fProperties* file = openWindows(*main).front();
        QCOMPARE(file->windowTitle(), u"File Properties"_s);
        QCOMPARE(field(file, "object_name"), u"cat.mpg"_s);
        QCOMPARE(field(file, "path"), w.world.path(u"Pictures"_s));
        QCOMPARE(field(file, "encrypted_name"), u"xzg-nkt.kz3"_s);
        QCOMPARE(field(file, "level"), u"3"_s);
        QCOMPARE(field(file, "size"), u"1.5 KB (1,536 bytes)"_s);

        QVERIFY(clickItem(window, u"Trips"_s));
        main->run_command(mainwindow::Command::Properties);
        const QList<fProperties*> both = openWindows(*main);
        QCOMPARE(both.size(), 2);
        fProperties* folder = both.front() == file ? both.back() : both.front();
        QCOMPARE(folder->windowTitle(), u"Folder Properties"_s);
        QCOMPARE(field(folder, "encrypted_name"), u"n/a"_s);
        QCOMPARE(field(folder, "level"), u"n/a"_s);
        QTRY_VERIFY(folder->sizeDone());
        QCOMPARE(field(folder, "size"), u"8.0 KB (8,192 bytes)"_s);
        QVERIFY(file->isVisible());
        QVERIFY(w.prompt.unexpected.isEmpty());
    }

    void withoutASelectionItSays()
    {
        MainWorld w;
        w.world.file(u"Pictures/a.jpg"_s, "a");
        w.set("Behavior", "last_path", w.world.path(u"Pictures"_s));
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        QTRY_VERIFY(rowOf(window, u"a.jpg"_s) >= 0);
        QVERIFY(clickItem(window, u"a.jpg"_s));
        QTRY_COMPARE(main->state().object_focus, short(mainwindow::kLibrariesList));
        window->pane().list.selectionModel()->clearSelection();
        w.prompt.acceptMessages(1);
        main->run_command(mainwindow::Command::Properties);
        QCOMPARE(w.prompt.lastText(), u"Select a file or folder first."_s);
        QVERIFY(openWindows(*main).isEmpty());
    }
};

WINDOW_TEST_MAIN(TestProperties)
#include "tst_properties.moc"
