// The models need QtGui (icons, colours) but no widgets: run them under a
// QGuiApplication to show that.
#undef QT_WIDGETS_LIB
#include "support/AccessOverride.h"
#include "support/BrowseFixture.h"

#include "browse/FolderTreeModel.h"
#include "browse/WinColor.h"

#include <QBrush>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

using namespace browse;
using namespace mGetFolders;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(platform::DriveType)

class TestFolderTree : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hiddenFolderInBothTrees();
    void siblingOrder_data();
    void siblingOrder();
    void binNode();
    void expandedStateAcrossRefreshAndBuild();
    void missingFolder_data();
    void missingFolder();
    void explorerDrives_data();
    void explorerDrives();
    void lazyLoadingOneLevelAhead();
    void symbolicLinkLoops();
    void undecodableName();
    void inPlaceChanges();
};

void TestFolderTree::hiddenFolderInBothTrees()
{
    BrowseFixture f;
    const QString lib = f.library(u"Pictures"_s, u"Lib Root"_s);
    const QString stored = BrowseFixture::hidden(u"Beach Trip"_s);
    f.world.folder("Lib Root/" + stored + "/Day One");
    f.world.folder(u"Lib Root/Plain"_s);

    FolderTreeModel libraries(true, f.base);
    build_library_tree(f.ctx, libraries);
    TreeNode* hiddenNode = libraries.nodeByKey(lib + '/' + stored);
    QVERIFY(hiddenNode);
    QCOMPARE(hiddenNode->text, u"Beach Trip"_s);
    QVERIFY(hiddenNode->flag);
    QCOMPARE(hiddenNode->color, f.prefs.color_2);
    QVERIFY(hiddenNode->bold);
    QCOMPARE(hiddenNode->image, images::folder);
    QCOMPARE(hiddenNode->selectedImage, images::open);
    // A Library is loaded whole, so the hidden folder's own subfolder is there.
    QCOMPARE(childTexts(hiddenNode), QStringList{u"Day One"_s});
    const QModelIndex hi = libraries.indexOf(hiddenNode);
    QCOMPARE(hi.data(Qt::ForegroundRole).value<QBrush>().color(), toQColor(f.prefs.color_2));
    QVERIFY(hi.data(Qt::FontRole).value<QFont>().bold());
    TreeNode* plain = libraries.nodeByKey(lib + u"/Plain"_s);
    QVERIFY(plain);
    QVERIFY(!plain->flag);
    QCOMPARE(plain->color, f.prefs.color_1);
    QVERIFY(!libraries.indexOf(plain).data(Qt::FontRole).isValid());

    // The Explorer shows the same folder under its stored name, in the view's own look.
    FolderTreeModel explorer(false, f.base);
    initialize_TreeView(f.ctx, explorer, lib, QString(), {});
    TreeNode* same = explorer.nodeByKey(lib + '/' + stored);
    QVERIFY(same);
    QCOMPARE(same->text, stored);
    QVERIFY(!same->hasColor);
    QVERIFY(!explorer.indexOf(same).data(Qt::ForegroundRole).isValid());
    QVERIFY(!explorer.indexOf(same).data(Qt::FontRole).isValid());
    // In the Explorer the flag means "subfolders loaded": not yet for this one.
    QVERIFY(!same->flag);
    QVERIFY(explorer.nodeByKey(lib)->flag);
    QVERIFY(f.prompt.seen.isEmpty());

    // Every node has an icon, even in a pane whose image list was never filled.
    IconList empty;
    FolderTreeModel withoutImages(true, empty);
    build_library_tree(f.ctx, withoutImages);
    for (FolderTreeModel* tree : {&libraries, &explorer, &withoutImages})
        tree->forEachNode([&](TreeNode* n) {
            const QIcon icon = tree->indexOf(n).data(Qt::DecorationRole).value<QIcon>();
            QVERIFY2(!icon.isNull() && !icon.pixmap(16, 16).isNull(), qPrintable(n->key));
        });
}

void TestFolderTree::siblingOrder_data()
{
    QTest::addColumn<QStringList>("plainNames");
    QTest::addColumn<QStringList>("hiddenNames"); // stored hidden
    QTest::addColumn<QStringList>("librariesOrder");
    QTest::addColumn<QStringList>("explorerOrder");
    const QString apple = BrowseFixture::hidden(u"Apple"_s);
    const QStringList nato{"alpha", "Bravo", "Charlie", "delta"};
    QTest::newRow("hidden sorts by plain name")
        << QStringList{"banana", "cherry"} << QStringList{"Apple"}
        << QStringList{"Apple", "banana", "cherry"} << QStringList{"banana", "cherry", apple};
    QTest::newRow("case-insensitive")
        << QStringList{"delta", "Charlie", "alpha", "Bravo"} << QStringList{} << nato << nato;
    QTest::newRow("names differing only in case")
        << QStringList{"photos", "Photos"} << QStringList{} << QStringList{"Photos", "photos"}
        << QStringList{"Photos", "photos"};
}

void TestFolderTree::siblingOrder()
{
    QFETCH(QStringList, plainNames);
    QFETCH(QStringList, hiddenNames);
    BrowseFixture f;
    const QString lib = f.library(u"L"_s, u"lib"_s);
    for (const QString& n : plainNames)
        f.world.folder("lib/" + n);
    for (const QString& n : hiddenNames)
        f.world.folder("lib/" + BrowseFixture::hidden(n));

    FolderTreeModel libraries(true, f.base);
    build_library_tree(f.ctx, libraries);
    QTEST(childTexts(libraries.nodeByKey(lib)), "librariesOrder");
    FolderTreeModel explorer(false, f.base);
    initialize_TreeView(f.ctx, explorer, lib, QString(), {});
    QTEST(childTexts(explorer.nodeByKey(lib)), "explorerOrder");
}

void TestFolderTree::binNode()
{
    BrowseFixture f;
    f.library(u"One"_s, u"one"_s);
    f.library(u"Two"_s, u"two"_s);
    QVERIFY(!QDir(f.folders.binFolder).exists());

    FolderTreeModel tree(true, f.base);
    build_library_tree(f.ctx, tree);
    QVERIFY(QDir(f.folders.binFolder).exists());
    TreeNode* root = tree.firstRoot();
    QCOMPARE(root->key, u"mylibraries"_s);
    QCOMPARE(root->text, u"My Libraries"_s);
    QCOMPARE(tree.selectedNode(), root);
    // Table order, not text order, and the bin last.
    QCOMPARE(childTexts(root), (QStringList{"One", "Two", "Red Ovidor"}));
    TreeNode* bin = root->children.back().get();
    QCOMPARE(bin->key, f.folders.binFolder);
    QCOMPARE(bin->image, images::trash);

    // Folders in the bin never give the bin node an expander.
    QDir().mkpath(f.folders.binFolder + u"/sent away"_s);
    build_library_tree(f.ctx, tree);
    bin = tree.nodeByKey(f.folders.binFolder);
    QVERIFY(bin);
    QVERIFY(!tree.hasChildren(tree.indexOf(bin)));
    refresh_folder_node(f.ctx, tree, f.folders.binFolder, kLibraryDepth);
    QVERIFY(bin->children.empty());
}

void TestFolderTree::expandedStateAcrossRefreshAndBuild()
{
    BrowseFixture f;
    const QString one = f.library(u"One"_s, u"one"_s);
    const QString two = f.library(u"Two"_s, u"two"_s);
    f.world.folder(u"one/a/deeper"_s);
    f.world.folder(u"one/x"_s);
    f.world.folder(u"two/b/c"_s);
    FolderTreeModel tree(true, f.base);
    build_library_tree(f.ctx, tree);
    QSignalSpy expansions(&tree, &FolderTreeModel::expandedChanged);
    for (const QString& key : {u"mylibraries"_s, one, one + u"/a"_s, two + u"/b"_s})
        expand_node(f.ctx, tree, tree.nodeByKey(key));
    QCOMPARE(expansions.count(), 4);

    // A refresh keeps open folders open, closed ones closed, and the selection.
    tree.selectNode(tree.nodeByKey(one + u"/a/deeper"_s));
    f.world.folder(u"one/a/added"_s);
    refresh_folder_node(f.ctx, tree, one, kLibraryDepth);
    QVERIFY(tree.nodeByKey(one + u"/a/added"_s));
    QVERIFY(tree.nodeByKey(one + u"/a"_s)->expanded);
    QVERIFY(!tree.nodeByKey(one + u"/x"_s)->expanded);
    QCOMPARE(tree.selectedKey(), one + u"/a/deeper"_s);

    tree.selectNode(tree.nodeByKey(two + u"/b/c"_s));
    QStringList open;
    collect_expanded_keys(tree.firstRoot(), open);
    // Pre-order, and an open folder below a closed Library counts too.
    QCOMPARE(open, (QStringList{"mylibraries", one, one + "/a", two + "/b"}));

    f.world.folder(u"one/new"_s);
    build_library_tree(f.ctx, tree);
    open.clear();
    collect_expanded_keys(tree.firstRoot(), open);
    // Root and Library come back open; folders come back closed.
    QCOMPARE(open, (QStringList{"mylibraries", one}));
    QVERIFY(tree.nodeByKey(one + u"/new"_s));
    QCOMPARE(tree.selectedKey(), two + u"/b/c"_s);

    // A selection whose folder went away leaves the root selected, silently.
    QVERIFY(QDir(two + u"/b"_s).removeRecursively());
    build_library_tree(f.ctx, tree);
    QCOMPARE(tree.selectedKey(), u"mylibraries"_s);
    QVERIFY(f.prompt.seen.isEmpty());
}

void TestFolderTree::missingFolder_data()
{
    QTest::addColumn<bool>("removed"); // else its folder is locked (mode 600)
    QTest::addColumn<QString>("text"); // %1 the folder
    QTest::newRow("gone") << true << u"An expected folder (%1)is missing. Refresh the screen. "_s;
    QTest::newRow("in a folder that cannot be entered")
        << false << u"The folder \"%1\" cannot be read: you do not have permission to open it."_s;
}

// Refreshing a node whose folder cannot be reached: called missing only
// when it is gone.
void TestFolderTree::missingFolder()
{
    QFETCH(bool, removed);
    QFETCH(QString, text);
    WithoutAccessOverride obeyPermissions;
    if (!obeyPermissions.active())
        QSKIP("cannot make this process obey file permissions");
    BrowseFixture f;
    const QString lib = f.library(u"L"_s, u"lib"_s);
    const QString gone = lib + u"/gone"_s;
    f.world.folder(u"lib/gone/inner"_s);
    FolderTreeModel tree(true, f.base);
    build_library_tree(f.ctx, tree);
    if (removed)
        QVERIFY(QDir(gone).removeRecursively());
    else
        QVERIFY(::chmod(QFile::encodeName(lib).constData(), 0600) == 0);

    f.prompt.acceptMessages(1);
    refresh_folder_node(f.ctx, tree, gone, kLibraryDepth);
    ::chmod(QFile::encodeName(lib).constData(), 0755);
    QCOMPARE(f.prompt.seen.size(), 1);
    QCOMPARE(f.prompt.lastText(), text.arg(gone));
    QCOMPARE(f.prompt.lastTitle(), u"Cloakwell"_s);
    QVERIFY(tree.nodeByKey(gone)->children.empty());
    QVERIFY(!tree.nodeByKey(gone + u"/inner"_s));
}

void TestFolderTree::explorerDrives_data()
{
    QTest::addColumn<platform::DriveType>("type");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<QString>("volume");
    QTest::addColumn<QString>("textBeforePath");
    QTest::addColumn<QString>("image");
    QTest::addColumn<bool>("filled");
    using T = platform::DriveType;
    auto row = [](const char* name, T type, bool ready, const char* volume, const char* text,
                  const char* image, bool filled) {
        QTest::newRow(name) << type << ready << QString::fromLatin1(volume)
                            << QString::fromLatin1(text) << QString::fromLatin1(image) << filled;
    };
    row("empty CD", T::CdRom, false, "", "Compact Disc (", "cd", false);
    row("CD", T::CdRom, true, "PHOTOS", "PHOTOS (", "cd", true);
    row("removable", T::Removable, true, "STICK", "Removable (", "floppy", false);
    row("fixed", T::Fixed, true, "Data", "Data (", "drive", true);
    row("fixed, no label", T::Fixed, true, "", "Fixed Disc (", "drive", true);
    row("fixed, not ready", T::Fixed, false, "Data", "Fixed Disc (", "drive", false);
    row("network", T::Network, true, "share", "share (", "drive", true);
}

void TestFolderTree::explorerDrives()
{
    QFETCH(QString, textBeforePath);
    QFETCH(bool, filled);
    BrowseFixture f;
    const QString desk = f.world.folder(u"Desk"_s);
    const QString mount = f.world.folder(u"mnt/vol"_s);
    f.world.folder(u"mnt/vol/sub"_s);
    platform::Drive d;
    d.mountPoint = mount;
    d.key = mount + '/';
    QFETCH(QString, volume);
    QFETCH(platform::DriveType, type);
    QFETCH(bool, ready);
    d.volumeName = volume;
    d.type = type;
    d.ready = ready;

    FolderTreeModel tree(false, f.base);
    initialize_TreeView(f.ctx, tree, desk, QString(), {d});
    TreeNode* root = tree.firstRoot();
    QCOMPARE(root->key, u"mycomputer"_s);
    QCOMPARE(root->text, u"My Computer"_s);
    QCOMPARE(root->image, images::mylibraries);
    QCOMPARE(tree.selectedNode(), root);
    // No My Documents node when there is no such folder.
    QCOMPARE(childTexts(root).size(), 2);
    QCOMPARE(root->children[0]->text, u"Desktop"_s);
    TreeNode* drive = root->children[1].get();
    QCOMPARE(drive->key, d.key);
    QCOMPARE(drive->text, textBeforePath + mount + ')');
    QTEST(drive->image, "image");
    QCOMPARE(tree.hasChildren(tree.indexOf(drive)), filled);
    QCOMPARE(drive->flag, filled);
    if (filled)
        QCOMPARE(drive->children.front()->key, d.key + u"sub"_s);
}

void TestFolderTree::lazyLoadingOneLevelAhead()
{
    BrowseFixture f;
    const QString desk = f.world.folder(u"Desk"_s);
    f.world.folder(u"Desk/a/b/c/d"_s);
    f.world.folder(u"Desk/lone"_s);
    FolderTreeModel tree(false, f.base);
    initialize_TreeView(f.ctx, tree, desk, QString(), {});
    auto at = [&](const QString& rel) { return tree.nodeByKey(desk + rel); };
    TreeNode* a = at(u"/a"_s);
    QVERIFY(a);
    QVERIFY(a->children.empty()); // not loaded yet: nothing below Desk is open

    expand_node(f.ctx, tree, tree.firstRoot());
    expand_node(f.ctx, tree, at(QString()));
    // One level ahead of what is open: a's subfolders are there, b's are not.
    TreeNode* b = at(u"/a/b"_s);
    QVERIFY(b);
    QVERIFY(a->flag);
    QVERIFY(b->children.empty());
    // An expander exactly where there is a subfolder.
    QVERIFY(tree.hasChildren(tree.indexOf(a)));
    QVERIFY(!tree.hasChildren(tree.indexOf(at(u"/lone"_s))));

    expand_node(f.ctx, tree, a);
    QVERIFY(at(u"/a/b/c"_s));
    QVERIFY(!at(u"/a/b/c/d"_s));

    // Opening a again does not reload its grandchildren: a folder made since
    // does not show up, and b's child nodes are the same objects.
    f.world.folder(u"Desk/a/b/late"_s);
    TreeNode* c = at(u"/a/b/c"_s);
    tree.setExpanded(a, false);
    expand_node(f.ctx, tree, a);
    QCOMPARE(at(u"/a/b/c"_s), c);
    QVERIFY(!at(u"/a/b/late"_s));

    // A rebuild keeps what was open and loads what that needs.
    tree.selectNode(c);
    initialize_TreeView(f.ctx, tree, desk, QString(), {});
    QVERIFY(at(u"/a"_s)->expanded);
    QVERIFY(at(u"/a/b/late"_s));
    QCOMPARE(tree.selectedKey(), desk + u"/a/b/c"_s);
    QVERIFY(f.prompt.seen.isEmpty());
}

void TestFolderTree::symbolicLinkLoops()
{
    BrowseFixture f;
    const QString lib = f.library(u"L"_s, u"lib"_s);
    f.world.folder(u"lib/a/real"_s);
    f.world.folder(u"elsewhere/inside"_s);
    QVERIFY(BrowseFixture::link(lib + u"/a"_s, lib + u"/a/loop"_s));
    QVERIFY(BrowseFixture::link(lib, lib + u"/a/real/up"_s));
    QVERIFY(BrowseFixture::link(f.world.path(u"elsewhere"_s), lib + u"/out"_s));
    QVERIFY(BrowseFixture::link(f.world.path(u"nowhere"_s), lib + u"/dangling"_s));

    FolderTreeModel tree(true, f.base);
    build_library_tree(f.ctx, tree);
    for (const QString rel : {"/a/loop", "/a/real/up", "/out"}) {
        TreeNode* n = tree.nodeByKey(lib + rel);
        QVERIFY2(n && n->isLink && n->children.empty(), qPrintable(rel));
    }
    // A dangling link is no folder.
    QVERIFY(!tree.nodeByKey(lib + u"/dangling"_s));
    // Root, Library, two real folders, three links and the bin: nothing is walked twice.
    QCOMPARE(tree.nodeCount(), 1 + 1 + 2 + 3 + 1);
    refresh_folder_node(f.ctx, tree, lib + u"/a/loop"_s, kLibraryDepth);
    QVERIFY(tree.nodeByKey(lib + u"/a/loop"_s)->children.empty());

    // The Explorer goes through a link only as far as it is opened.
    FolderTreeModel explorer(false, f.base);
    initialize_TreeView(f.ctx, explorer, lib, QString(), {});
    expand_node(f.ctx, explorer, explorer.nodeByKey(lib));
    QString key = lib + u"/a"_s;
    for (int round = 0; round < 5; ++round, key += u"/loop"_s) {
        QVERIFY(explorer.nodeByKey(key));
        expand_node(f.ctx, explorer, explorer.nodeByKey(key));
    }
    QVERIFY(explorer.nodeByKey(key + u"/loop"_s));
    QVERIFY(!explorer.nodeByKey(key + u"/loop/loop"_s));
    QVERIFY(f.prompt.seen.isEmpty());
}

void TestFolderTree::undecodableName()
{
    BrowseFixture f;
    const QString lib = f.library(u"L"_s, u"lib"_s);
    QVERIFY(::mkdir((QFile::encodeName(lib) + "/bad\xff name").constData(), 0755) == 0);
    QVERIFY(::mkdir((QFile::encodeName(lib) + "/bad\xff name/inner").constData(), 0755) == 0);
    // Shown in both trees, but never reached through its lossy key: no
    // "missing folder" message when it is loaded or opened.
    FolderTreeModel libraries(true, f.base);
    build_library_tree(f.ctx, libraries);
    QCOMPARE(childTexts(libraries.nodeByKey(lib)).size(), 1);
    FolderTreeModel explorer(false, f.base);
    initialize_TreeView(f.ctx, explorer, lib, QString(), {});
    TreeNode* node = explorer.nodeByKey(lib)->children.front().get();
    expand_node(f.ctx, explorer, explorer.firstRoot());
    expand_node(f.ctx, explorer, explorer.nodeByKey(lib));
    expand_node(f.ctx, explorer, node);
    QVERIFY(node->children.empty());
    QVERIFY(f.prompt.seen.isEmpty());
}

void TestFolderTree::inPlaceChanges()
{
    BrowseFixture f;
    const QString lib = f.library(u"L"_s, u"lib"_s);
    for (const char* n : {"apple", "kiwi", "mango"})
        f.world.folder(u"lib/"_s + QLatin1String(n));
    FolderTreeModel tree(true, f.base);
    build_library_tree(f.ctx, tree);
    TreeNode* libNode = tree.nodeByKey(lib);
    TreeNode* apple = tree.nodeByKey(lib + u"/apple"_s);
    tree.selectNode(apple);
    QSignalSpy moves(&tree, &QAbstractItemModel::rowsMoved);

    // What hiding a folder node does: new key, flag and look; the text stays
    // the plain name. A renamed node moves to its place among its sorted siblings.
    const QString newKey = lib + '/' + BrowseFixture::hidden(u"apple"_s);
    tree.setNodeKey(apple, newKey);
    tree.setNodeFlag(apple, true);
    tree.setNodeAppearance(apple, f.prefs.color_2, f.prefs.bold_2);
    QCOMPARE(tree.nodeByKey(newKey), apple);
    QVERIFY(!tree.nodeByKey(lib + u"/apple"_s));
    tree.setNodeText(apple, u"zucchini"_s);
    QCOMPARE(childTexts(libNode), (QStringList{"kiwi", "mango", "zucchini"}));
    QCOMPARE(moves.count(), 1);
    QCOMPARE(tree.index(2, 0, tree.indexOf(libNode)).data(FolderTreeModel::KeyRole).toString(),
             newKey);
    QCOMPARE(tree.selectedNode(), apple);
    tree.setNodeText(apple, u"Lemon"_s);
    QCOMPARE(childTexts(libNode), (QStringList{"kiwi", "Lemon", "mango"}));
    QCOMPARE(tree.selectedNode(), apple);
}

QTEST_MAIN(TestFolderTree)
#include "tst_foldertree.moc"
