// The models need QtGui (icons, colours) but no widgets: run them under a
// QGuiApplication to show that.
#undef QT_WIDGETS_LIB
#include "BrowseFixture.h"

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

class TestFolderTree : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hiddenFolderInBothTrees();
    void siblingOrder_data();
    void siblingOrder();
    void binNode();
    void expandedStateAcrossBuild();
    void refreshKeepsOpenFoldersAndSelection();
    void missingFolder();
    void explorerDrives_data();
    void explorerDrives();
    void lazyLoadingOneLevelAhead();
    void symbolicLinkLoops();
    void undecodableName();
    void inPlaceChanges();
    void everyNodeHasAnIcon();
};

void TestFolderTree::hiddenFolderInBothTrees()
{
    BrowseFixture f;
    const QString lib = f.library(QStringLiteral("Pictures"), QStringLiteral("Lib Root"));
    const QString stored = BrowseFixture::hidden(QStringLiteral("Beach Trip"));
    f.world.folder(QStringLiteral("Lib Root/") + stored + QStringLiteral("/Day One"));
    f.world.folder(QStringLiteral("Lib Root/Plain"));

    FolderTreeModel libraries(true, f.base);
    build_library_tree(f.ctx, libraries);
    TreeNode* hiddenNode = libraries.nodeByKey(lib + QLatin1Char('/') + stored);
    QVERIFY(hiddenNode);
    QCOMPARE(hiddenNode->text, QStringLiteral("Beach Trip"));
    QVERIFY(hiddenNode->flag);
    QCOMPARE(hiddenNode->color, f.prefs.color_2);
    QVERIFY(hiddenNode->bold);
    QCOMPARE(hiddenNode->image, images::folder);
    QCOMPARE(hiddenNode->selectedImage, images::open);
    // A Library is loaded whole, so the hidden folder's own subfolder is there.
    QCOMPARE(childTexts(hiddenNode), QStringList{QStringLiteral("Day One")});
    const QModelIndex hi = libraries.indexOf(hiddenNode);
    QCOMPARE(hi.data(Qt::ForegroundRole).value<QBrush>().color(), toQColor(f.prefs.color_2));
    QVERIFY(hi.data(Qt::FontRole).value<QFont>().bold());
    TreeNode* plain = libraries.nodeByKey(lib + QStringLiteral("/Plain"));
    QVERIFY(plain);
    QVERIFY(!plain->flag);
    QCOMPARE(plain->color, f.prefs.color_1);
    QVERIFY(!libraries.indexOf(plain).data(Qt::FontRole).isValid());

    // The Explorer shows the same folder under its stored name, in the view's own look.
    FolderTreeModel explorer(false, f.base);
    initialize_TreeView(f.ctx, explorer, lib, QString(), {});
    TreeNode* same = explorer.nodeByKey(lib + QLatin1Char('/') + stored);
    QVERIFY(same);
    QCOMPARE(same->text, stored);
    QVERIFY(!same->hasColor);
    QVERIFY(!explorer.indexOf(same).data(Qt::ForegroundRole).isValid());
    QVERIFY(!explorer.indexOf(same).data(Qt::FontRole).isValid());
    // In the Explorer the flag means "subfolders loaded": not yet for this one.
    QVERIFY(!same->flag);
    QVERIFY(explorer.nodeByKey(lib)->flag);
    QVERIFY(f.prompt.seen.isEmpty());
}

void TestFolderTree::siblingOrder_data()
{
    QTest::addColumn<QStringList>("plainNames");
    QTest::addColumn<QStringList>("hiddenNames"); // stored hidden
    QTest::addColumn<QStringList>("librariesOrder");
    QTest::addColumn<QStringList>("explorerOrder");
    const QString apple = BrowseFixture::hidden(QStringLiteral("Apple"));
    QTest::newRow("hidden sorts by plain name")
        << QStringList{"banana", "cherry"} << QStringList{"Apple"}
        << QStringList{"Apple", "banana", "cherry"} << QStringList{"banana", "cherry", apple};
    QTest::newRow("case-insensitive")
        << QStringList{"delta", "Charlie", "alpha", "Bravo"} << QStringList{}
        << QStringList{"alpha", "Bravo", "Charlie", "delta"}
        << QStringList{"alpha", "Bravo", "Charlie", "delta"};
    QTest::newRow("names differing only in case")
        << QStringList{"photos", "Photos"} << QStringList{} << QStringList{"Photos", "photos"}
        << QStringList{"Photos", "photos"};
}

void TestFolderTree::siblingOrder()
{
    QFETCH(QStringList, plainNames);
    QFETCH(QStringList, hiddenNames);
    QFETCH(QStringList, librariesOrder);
    QFETCH(QStringList, explorerOrder);
    BrowseFixture f;
    const QString lib = f.library(QStringLiteral("L"), QStringLiteral("lib"));
    for (const QString& n : plainNames)
        f.world.folder(QStringLiteral("lib/") + n);
    for (const QString& n : hiddenNames)
        f.world.folder(QStringLiteral("lib/") + BrowseFixture::hidden(n));

    FolderTreeModel libraries(true, f.base);
    build_library_tree(f.ctx, libraries);
    QCOMPARE(childTexts(libraries.nodeByKey(lib)), librariesOrder);

    FolderTreeModel explorer(false, f.base);
    initialize_TreeView(f.ctx, explorer, lib, QString(), {});
    QCOMPARE(childTexts(explorer.nodeByKey(lib)), explorerOrder);
}

void TestFolderTree::binNode()
{
    BrowseFixture f;
    f.library(QStringLiteral("One"), QStringLiteral("one"));
    f.library(QStringLiteral("Two"), QStringLiteral("two"));
    QVERIFY(!QDir(f.folders.binFolder).exists());

    FolderTreeModel tree(true, f.base);
    build_library_tree(f.ctx, tree);
    QVERIFY(QDir(f.folders.binFolder).exists());
    TreeNode* root = tree.firstRoot();
    QCOMPARE(root->key, QStringLiteral("mylibraries"));
    QCOMPARE(root->text, QStringLiteral("My Libraries"));
    QCOMPARE(tree.selectedNode(), root);
    // Table order, not text order, and the bin last.
    QCOMPARE(childTexts(root), (QStringList{"One", "Two", "Red Ovidor"}));
    TreeNode* bin = root->children.back().get();
    QCOMPARE(bin->key, f.folders.binFolder);
    QCOMPARE(bin->image, images::trash);

    // Folders in the bin never give the bin node an expander.
    QDir().mkpath(f.folders.binFolder + QStringLiteral("/sent away"));
    build_library_tree(f.ctx, tree);
    bin = tree.nodeByKey(f.folders.binFolder);
    QVERIFY(bin);
    QVERIFY(!tree.hasChildren(tree.indexOf(bin)));
    refresh_folder_node(f.ctx, tree, f.folders.binFolder, kLibraryDepth);
    QVERIFY(bin->children.empty());
}

void TestFolderTree::expandedStateAcrossBuild()
{
    BrowseFixture f;
    const QString one = f.library(QStringLiteral("One"), QStringLiteral("one"));
    const QString two = f.library(QStringLiteral("Two"), QStringLiteral("two"));
    f.world.folder(QStringLiteral("one/a/deeper"));
    f.world.folder(QStringLiteral("two/b/c"));

    FolderTreeModel tree(true, f.base);
    build_library_tree(f.ctx, tree);
    QSignalSpy expansions(&tree, &FolderTreeModel::expandedChanged);
    expand_node(f.ctx, tree, tree.firstRoot());
    expand_node(f.ctx, tree, tree.nodeByKey(one));
    expand_node(f.ctx, tree, tree.nodeByKey(one + QStringLiteral("/a")));
    expand_node(f.ctx, tree, tree.nodeByKey(two + QStringLiteral("/b")));
    QCOMPARE(expansions.count(), 4);
    tree.selectNode(tree.nodeByKey(two + QStringLiteral("/b/c")));

    QStringList open;
    collect_expanded_keys(tree.firstRoot(), open);
    // Pre-order, and an open folder below a closed Library counts too.
    QCOMPARE(open, (QStringList{"mylibraries", one, one + "/a", two + "/b"}));

    f.world.folder(QStringLiteral("one/new"));
    build_library_tree(f.ctx, tree);
    open.clear();
    collect_expanded_keys(tree.firstRoot(), open);
    // Root and Library come back open; folders come back closed.
    QCOMPARE(open, (QStringList{"mylibraries", one}));
    QVERIFY(tree.nodeByKey(one + QStringLiteral("/new")));
    QCOMPARE(tree.selectedKey(), two + QStringLiteral("/b/c"));

    // A selection whose folder went away leaves the root selected, silently.
    QVERIFY(QDir(two + QStringLiteral("/b")).removeRecursively());
    build_library_tree(f.ctx, tree);
    QCOMPARE(tree.selectedKey(), QStringLiteral("mylibraries"));
    QVERIFY(f.prompt.seen.isEmpty());
}

void TestFolderTree::refreshKeepsOpenFoldersAndSelection()
{
    BrowseFixture f;
    const QString lib = f.library(QStringLiteral("L"), QStringLiteral("lib"));
    f.world.folder(QStringLiteral("lib/a/b/c"));
    f.world.folder(QStringLiteral("lib/x"));
    FolderTreeModel tree(true, f.base);
    build_library_tree(f.ctx, tree);
    expand_node(f.ctx, tree, tree.nodeByKey(lib));
    expand_node(f.ctx, tree, tree.nodeByKey(lib + QStringLiteral("/a")));
    expand_node(f.ctx, tree, tree.nodeByKey(lib + QStringLiteral("/a/b")));
    tree.selectNode(tree.nodeByKey(lib + QStringLiteral("/a/b/c")));

    f.world.folder(QStringLiteral("lib/a/b/added"));
    refresh_folder_node(f.ctx, tree, lib, kLibraryDepth);
    QVERIFY(tree.nodeByKey(lib + QStringLiteral("/a/b/added")));
    QVERIFY(tree.nodeByKey(lib + QStringLiteral("/a/b"))->expanded);
    QVERIFY(tree.nodeByKey(lib + QStringLiteral("/a"))->expanded);
    QVERIFY(!tree.nodeByKey(lib + QStringLiteral("/x"))->expanded);
    QCOMPARE(tree.selectedKey(), lib + QStringLiteral("/a/b/c"));
}

void TestFolderTree::missingFolder()
{
    BrowseFixture f;
    const QString lib = f.library(QStringLiteral("L"), QStringLiteral("lib"));
    f.world.folder(QStringLiteral("lib/gone/inner"));
    FolderTreeModel tree(true, f.base);
    build_library_tree(f.ctx, tree);
    const QString gone = lib + QStringLiteral("/gone");
    QVERIFY(QDir(gone).removeRecursively());

    f.prompt.acceptMessages(1);
    refresh_folder_node(f.ctx, tree, gone, kLibraryDepth);
    QCOMPARE(f.prompt.seen.size(), 1);
    QCOMPARE(f.prompt.lastText(), QStringLiteral("An expected folder (") + gone +
                                      QStringLiteral(")is missing. Refresh the screen. "));
    QCOMPARE(f.prompt.lastTitle(), QStringLiteral("Cloakwell"));
    QVERIFY(tree.nodeByKey(gone)->children.empty());
    QVERIFY(!tree.nodeByKey(gone + QStringLiteral("/inner")));
}

Q_DECLARE_METATYPE(platform::DriveType)

void TestFolderTree::explorerDrives_data()
{
    QTest::addColumn<platform::DriveType>("type");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<QString>("volume");
    QTest::addColumn<QString>("textBeforePath");
    QTest::addColumn<QString>("image");
    QTest::addColumn<bool>("filled");
    using T = platform::DriveType;
    QTest::newRow("empty CD") << T::CdRom << false << ""
                              << "Compact Disc ("
                              << "cd" << false;
    QTest::newRow("CD") << T::CdRom << true << "PHOTOS"
                        << "PHOTOS ("
                        << "cd" << true;
    QTest::newRow("removable") << T::Removable << true << "STICK"
                               << "Removable ("
                               << "floppy" << false;
    QTest::newRow("fixed") << T::Fixed << true << "Data"
                           << "Data ("
                           << "drive" << true;
    QTest::newRow("fixed, no label") << T::Fixed << true << ""
                                     << "Fixed Disc ("
                                     << "drive" << true;
    QTest::newRow("fixed, not ready") << T::Fixed << false << "Data"
                                      << "Fixed Disc ("
                                      << "drive" << false;
    QTest::newRow("network") << T::Network << true << "share"
                             << "share ("
                             << "drive" << true;
}

void TestFolderTree::explorerDrives()
{
    QFETCH(platform::DriveType, type);
    QFETCH(bool, ready);
    QFETCH(QString, volume);
    QFETCH(QString, textBeforePath);
    QFETCH(QString, image);
    QFETCH(bool, filled);
    BrowseFixture f;
    const QString desk = f.world.folder(QStringLiteral("Desk"));
    const QString mount = f.world.folder(QStringLiteral("mnt/vol"));
    f.world.folder(QStringLiteral("mnt/vol/sub"));
    platform::Drive d;
    d.mountPoint = mount;
    d.key = mount + QLatin1Char('/');
    d.volumeName = volume;
    d.type = type;
    d.ready = ready;

    FolderTreeModel tree(false, f.base);
    initialize_TreeView(f.ctx, tree, desk, QString(), {d});
    TreeNode* root = tree.firstRoot();
    QCOMPARE(root->key, QStringLiteral("mycomputer"));
    QCOMPARE(root->text, QStringLiteral("My Computer"));
    QCOMPARE(root->image, images::mylibraries);
    // No My Documents node when there is no such folder.
    QCOMPARE(childTexts(root).size(), 2);
    QCOMPARE(root->children[0]->text, QStringLiteral("Desktop"));
    TreeNode* drive = root->children[1].get();
    QCOMPARE(drive->key, d.key);
    QCOMPARE(drive->text, textBeforePath + mount + QLatin1Char(')'));
    QCOMPARE(drive->image, image);
    QCOMPARE(tree.hasChildren(tree.indexOf(drive)), filled);
    QCOMPARE(drive->flag, filled);
    if (filled)
        QCOMPARE(drive->children.front()->key, d.key + QStringLiteral("sub"));
    QCOMPARE(tree.selectedNode(), root);
}

void TestFolderTree::lazyLoadingOneLevelAhead()
{
    BrowseFixture f;
    const QString desk = f.world.folder(QStringLiteral("Desk"));
    f.world.folder(QStringLiteral("Desk/a/b/c/d"));
    f.world.folder(QStringLiteral("Desk/lone"));
    FolderTreeModel tree(false, f.base);
    initialize_TreeView(f.ctx, tree, desk, QString(), {});
    TreeNode* deskNode = tree.nodeByKey(desk);
    TreeNode* a = tree.nodeByKey(desk + QStringLiteral("/a"));
    QVERIFY(a);
    QVERIFY(a->children.empty()); // not loaded yet: nothing below Desk is open

    expand_node(f.ctx, tree, tree.firstRoot());
    expand_node(f.ctx, tree, deskNode);
    // One level ahead of what is open: a's subfolders are there, b's are not.
    TreeNode* b = tree.nodeByKey(desk + QStringLiteral("/a/b"));
    QVERIFY(b);
    QVERIFY(a->flag);
    QVERIFY(b->children.empty());
    // An expander exactly where there is a subfolder.
    QVERIFY(tree.hasChildren(tree.indexOf(a)));
    QVERIFY(!tree.hasChildren(tree.indexOf(tree.nodeByKey(desk + QStringLiteral("/lone")))));

    expand_node(f.ctx, tree, a);
    QVERIFY(tree.nodeByKey(desk + QStringLiteral("/a/b/c")));
    QVERIFY(!tree.nodeByKey(desk + QStringLiteral("/a/b/c/d")));

    // Opening a again does not reload its grandchildren: a folder made since
    // does not show up, and b's child nodes are the same objects.
    f.world.folder(QStringLiteral("Desk/a/b/late"));
    TreeNode* c = tree.nodeByKey(desk + QStringLiteral("/a/b/c"));
    tree.setExpanded(a, false);
    expand_node(f.ctx, tree, a);
    QCOMPARE(tree.nodeByKey(desk + QStringLiteral("/a/b/c")), c);
    QVERIFY(!tree.nodeByKey(desk + QStringLiteral("/a/b/late")));

    // A rebuild keeps what was open and loads what that needs.
    tree.selectNode(c);
    initialize_TreeView(f.ctx, tree, desk, QString(), {});
    QVERIFY(tree.nodeByKey(desk + QStringLiteral("/a"))->expanded);
    QVERIFY(tree.nodeByKey(desk + QStringLiteral("/a/b/late")));
    QCOMPARE(tree.selectedKey(), desk + QStringLiteral("/a/b/c"));
    QVERIFY(f.prompt.seen.isEmpty());
}

void TestFolderTree::symbolicLinkLoops()
{
    BrowseFixture f;
    const QString lib = f.library(QStringLiteral("L"), QStringLiteral("lib"));
    f.world.folder(QStringLiteral("lib/a/real"));
    const QString outside = f.world.folder(QStringLiteral("elsewhere/inside"));
    QVERIFY(BrowseFixture::link(lib + QStringLiteral("/a"), lib + QStringLiteral("/a/loop")));
    QVERIFY(BrowseFixture::link(lib, lib + QStringLiteral("/a/real/up")));
    QVERIFY(BrowseFixture::link(f.world.path(QStringLiteral("elsewhere")),
                                lib + QStringLiteral("/out")));
    QVERIFY(BrowseFixture::link(f.world.path(QStringLiteral("nowhere")),
                                lib + QStringLiteral("/dangling")));

    FolderTreeModel tree(true, f.base);
    build_library_tree(f.ctx, tree);
    for (const QString rel : {"/a/loop", "/a/real/up", "/out"}) {
        TreeNode* n = tree.nodeByKey(lib + rel);
        QVERIFY2(n, qPrintable(rel));
        QVERIFY(n->isLink);
        QVERIFY2(n->children.empty(), qPrintable(rel));
    }
    // A dangling link is no folder.
    QVERIFY(!tree.nodeByKey(lib + QStringLiteral("/dangling")));
    // Root, Library, two real folders, three links and the bin: nothing is walked twice.
    QCOMPARE(tree.nodeCount(), 1 + 1 + 2 + 3 + 1);
    refresh_folder_node(f.ctx, tree, lib + QStringLiteral("/a/loop"), kLibraryDepth);
    QVERIFY(tree.nodeByKey(lib + QStringLiteral("/a/loop"))->children.empty());

    // The Explorer goes through a link only as far as it is opened.
    FolderTreeModel explorer(false, f.base);
    initialize_TreeView(f.ctx, explorer, lib, QString(), {});
    TreeNode* node = explorer.nodeByKey(lib);
    expand_node(f.ctx, explorer, node);
    QString key = lib + QStringLiteral("/a");
    for (int round = 0; round < 5; ++round) {
        node = explorer.nodeByKey(key);
        QVERIFY(node);
        expand_node(f.ctx, explorer, node);
        key += QStringLiteral("/loop");
    }
    QVERIFY(explorer.nodeByKey(lib + QStringLiteral("/a/loop/loop/loop/loop/loop/loop")));
    QVERIFY(!explorer.nodeByKey(lib + QStringLiteral("/a/loop/loop/loop/loop/loop/loop/loop")));
    QVERIFY(f.prompt.seen.isEmpty());
}

void TestFolderTree::undecodableName()
{
    BrowseFixture f;
    const QString lib = f.library(QStringLiteral("L"), QStringLiteral("lib"));
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
    const QString lib = f.library(QStringLiteral("L"), QStringLiteral("lib"));
    for (const char* n : {"apple", "kiwi", "mango"})
        f.world.folder(QStringLiteral("lib/") + QLatin1String(n));
    FolderTreeModel tree(true, f.base);
    build_library_tree(f.ctx, tree);
    TreeNode* libNode = tree.nodeByKey(lib);
    TreeNode* apple = tree.nodeByKey(lib + QStringLiteral("/apple"));
    tree.selectNode(apple);
    QSignalSpy moves(&tree, &QAbstractItemModel::rowsMoved);

    // What hiding a folder node does: new key, flag and look; the text stays
    // the plain name. A renamed node moves to its place among its sorted siblings.
    const QString newKey = lib + QLatin1Char('/') + BrowseFixture::hidden(QStringLiteral("apple"));
    tree.setNodeKey(apple, newKey);
    tree.setNodeFlag(apple, true);
    tree.setNodeAppearance(apple, f.prefs.color_2, f.prefs.bold_2);
    QCOMPARE(tree.nodeByKey(newKey), apple);
    QVERIFY(!tree.nodeByKey(lib + QStringLiteral("/apple")));
    tree.setNodeText(apple, QStringLiteral("zucchini"));
    QCOMPARE(childTexts(libNode), (QStringList{"kiwi", "mango", "zucchini"}));
    QCOMPARE(moves.count(), 1);
    QCOMPARE(tree.index(2, 0, tree.indexOf(libNode)).data(FolderTreeModel::KeyRole).toString(),
             newKey);
    QCOMPARE(tree.selectedNode(), apple);
    tree.setNodeText(apple, QStringLiteral("Lemon"));
    QCOMPARE(childTexts(libNode), (QStringList{"kiwi", "Lemon", "mango"}));
    QCOMPARE(tree.selectedNode(), apple);
}

void TestFolderTree::everyNodeHasAnIcon()
{
    BrowseFixture f;
    f.library(QStringLiteral("L"), QStringLiteral("lib"));
    f.world.folder(QStringLiteral("lib/a"));
    FolderTreeModel withImages(true, f.base);
    build_library_tree(f.ctx, withImages);
    // A pane whose image list was never filled still shows an image.
    IconList empty;
    FolderTreeModel withoutImages(true, empty);
    build_library_tree(f.ctx, withoutImages);
    for (FolderTreeModel* tree : {&withImages, &withoutImages})
        tree->forEachNode([&](TreeNode* n) {
            const QIcon icon = tree->indexOf(n).data(Qt::DecorationRole).value<QIcon>();
            QVERIFY2(!icon.isNull() && !icon.pixmap(16, 16).isNull(), qPrintable(n->key));
        });
}

QTEST_MAIN(TestFolderTree)
#include "tst_foldertree.moc"
