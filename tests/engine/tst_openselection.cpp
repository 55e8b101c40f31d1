#include "HideWorld.h"

#include "engine/mOpenSelection.h"
#include "platform/TempFolder.h"
#include "support/RecordingLauncher.h"

#include <QTest>

using mOpenFiles::SelectionContext;

// The Open command on the list panes: files are opened, the first selected
// folder is entered.
class TestOpenSelection : public QObject
{
    Q_OBJECT
private:
    struct World : HideWorld
    {
        RecordingLauncher launcher;
        mOpenFiles::Context open{prefs, prompt, launcher, {}};
        BrowsePane explorer{false};
        World()
        {
            qputenv("TMPDIR", QFile::encodeName(world.folder(QStringLiteral("tmp"))));
            prefs.threshold = 64LL * 1048576;
            launcher.associate(QStringLiteral("image/jpeg"),
                               RecordingLauncher::app(QStringLiteral("/usr/bin/viewer")));
        }
        SelectionContext selection() { return SelectionContext{ctx, open, &pane, &explorer, {}}; }
        // The files the viewer was started on.
        QStringList openedFiles() const
        {
            QStringList out;
            for (const QStringList& argv : launcher.started)
                out << argv.last();
            return out;
        }
    };

private Q_SLOTS:
    void filesOpenedAndFirstFolderEntered();
    void binFoldersAreNotEntered();
    void folderMadeAfterTheTree_data();
    void folderMadeAfterTheTree();
    void otherPanesDoNothing();
    void explorerNeverTreatsFilesAsHidden();
};

void TestOpenSelection::filesOpenedAndFirstFolderEntered()
{
    World w;
    w.put(QStringLiteral("a/cat.jpg"), 5000);
    w.world.folder(QStringLiteral("a/Zeta"));
    mEncrypt::Context enc{w.prefs, w.prompt};
    QCOMPARE(mEncrypt::hide_file(w.world.path(QStringLiteral("a/cat.jpg")), enc),
             QStringLiteral("xzg-qkt.kz2"));
    w.build();
    w.selectItems(QStringLiteral("A"), {QStringLiteral("cat.jpg"), QStringLiteral("pic.jpg"),
                                        QStringLiteral("Sub"), QStringLiteral("Zeta")});
    QCOMPARE(w.pane.list.selectedKeys().size(), 4);

    const auto result = mOpenFiles::open_selection(mainwindow::kLibrariesList, w.selection());
    QCOMPARE(result.opened, 2);
    QVERIFY(result.enteredFolder);
    const QStringList opened = w.openedFiles();
    QCOMPARE(opened.size(), 2);
    // Both open from private copies; the hidden one with its bytes restored.
    for (const QString& f : opened)
        QVERIFY2(f.startsWith(platform::tempFolderPath() + QLatin1Char('/')), qPrintable(f));
    QVERIFY(opened[0].endsWith(QLatin1String("2.jpg")) ||
            opened[1].endsWith(QLatin1String("2.jpg")));
    for (const QString& f : opened)
        if (f.endsWith(QLatin1String("2.jpg")))
            QCOMPARE(TestWorld::readAll(f), w.plainBytes.value(QStringLiteral("a/cat.jpg")));
    // Only the first folder (in list order) is entered, and listed.
    QCOMPARE(w.pane.tree.selectedKey(), w.world.path(QStringLiteral("a/Sub")));
    QCOMPARE(w.pane.list.tag(), w.world.path(QStringLiteral("a/Sub")));
}

void TestOpenSelection::binFoldersAreNotEntered()
{
    World w;
    w.world.folder(QStringLiteral("program/KZ Bin/old"));
    w.build();
    w.selectItems(QStringLiteral("Red Ovidor"),
                  {QStringLiteral("old"), QStringLiteral("binned.jpg")});
    const auto result = mOpenFiles::open_selection(mainwindow::kLibrariesList, w.selection());
    QCOMPARE(result.opened, 1);
    QVERIFY(!result.enteredFolder);
    QCOMPARE(w.pane.tree.selectedKey(), w.folders.binFolder);
}

void TestOpenSelection::folderMadeAfterTheTree_data()
{
    QTest::addColumn<bool>("gone");
    QTest::newRow("found after a refresh") << false;
    QTest::newRow("gone before it is opened") << true;
}

void TestOpenSelection::folderMadeAfterTheTree()
{
    QFETCH(bool, gone);
    World w;
    w.build();
    w.selectNode(QStringLiteral("A"));
    // Made outside the program after the tree was filled, then listed.
    const QString made = w.world.folder(QStringLiteral("a/New Pictures"));
    mFileInfo::list_folder(w.ctx, w.pane);
    w.focus = mainwindow::kLibrariesList;
    w.pane.list.selectKeys({made});
    QVERIFY(!w.pane.tree.nodeByKey(made));
    if (gone) {
        QVERIFY(QDir(made).removeRecursively());
        w.prompt.acceptMessages();
    }

    const auto result = mOpenFiles::open_selection(mainwindow::kLibrariesList, w.selection());
    QCOMPARE(result.enteredFolder, !gone);
    QCOMPARE(w.pane.tree.selectedKey(), gone ? w.world.path(QStringLiteral("a")) : made);
    if (gone) {
        QCOMPARE(w.prompt.lastText(),
                 QStringLiteral("This folder is missing. Try refreshing the screen"));
        QCOMPARE(w.prompt.lastTitle(), QStringLiteral("Cloakwell"));
    }
}

void TestOpenSelection::otherPanesDoNothing()
{
    World w;
    w.build();
    w.selectItems(QStringLiteral("A"), {QStringLiteral("pic.jpg"), QStringLiteral("Sub")});
    for (short pane : {short(0), short(1), short(3)}) {
        const auto result = mOpenFiles::open_selection(pane, w.selection());
        QCOMPARE(result.opened, 0);
        QVERIFY(!result.enteredFolder);
    }
    QVERIFY(w.launcher.started.isEmpty());
    // The Explorer list pane with the Explorer closed does nothing either.
    SelectionContext closed = w.selection();
    closed.explorer = nullptr;
    QCOMPARE(mOpenFiles::open_selection(mainwindow::kExplorerList, closed).opened, 0);
}

void TestOpenSelection::explorerNeverTreatsFilesAsHidden()
{
    World w;
    const QString desk = w.world.folder(QStringLiteral("desk"));
    w.world.file(QStringLiteral("desk/xzg-qkt.kz2"), "\x01\x02\x03");
    mGetFolders::initialize_TreeView(w.ctx, w.explorer.tree, desk, QString(), {});
    w.focus = mainwindow::kExplorerTree;
    w.explorer.tree.selectNode(w.explorer.tree.nodeByKey(desk));
    mFileInfo::list_folder(w.ctx, w.explorer);
    // A folder made since the Desktop's subfolders were loaded.
    w.world.folder(QStringLiteral("desk/later"));
    mFileInfo::list_folder(w.ctx, w.explorer);
    w.focus = mainwindow::kExplorerList;
    w.explorer.list.selectKeys({w.world.path(QStringLiteral("desk/xzg-qkt.kz2")),
                                w.world.path(QStringLiteral("desk/later"))});
    w.launcher.associate(QStringLiteral("application/octet-stream"),
                         RecordingLauncher::app(QStringLiteral("/usr/bin/hexview")));

    const auto result = mOpenFiles::open_selection(mainwindow::kExplorerList, w.selection());
    QVERIFY(result.enteredFolder);
    QCOMPARE(w.explorer.tree.selectedKey(), w.world.path(QStringLiteral("desk/later")));
    // Copied as it is: level digit 0, no byte restored.
    const QStringList opened = w.openedFiles();
    QCOMPARE(opened.size(), 1);
    QVERIFY2(opened[0].endsWith(QLatin1String("0.kz2")), qPrintable(opened[0]));
    QCOMPARE(TestWorld::readAll(opened[0]), QByteArray("\x01\x02\x03"));
}

QTEST_MAIN(TestOpenSelection)
#include "tst_openselection.moc"
