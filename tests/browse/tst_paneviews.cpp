#include "support/BrowseFixture.h"

#include "browse/UiPaneViews.h"
#include "browse/mFileInfo.h"

#include <QApplication>
#include <QTest>
#include <QTreeView>

using namespace browse;
using namespace Qt::StringLiterals;

// The views the windows put over the pane models: what the user does in them
// reaches the models, and what commands do to the models shows in them.
class TestPaneViews : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void treeFollowsAndLeads();
    void listColumnsAndSelection();
    void treeKeepsItsNode_data();
    void treeKeepsItsNode();
};

void TestPaneViews::treeFollowsAndLeads()
{
    BrowseFixture f;
    const QString desk = f.world.folder(u"Desk"_s);
    f.world.folder(u"Desk/a/b/c"_s);
    FolderTreeModel tree(false, f.base);
    QTreeView view;
    showTree(&view, tree, f.ctx);
    mGetFolders::initialize_TreeView(f.ctx, tree, desk, QString(), {});
    TreeNode* deskNode = tree.nodeByKey(desk);

    // The user opens nodes: the model records it and loads one level ahead.
    view.expand(tree.indexOf(tree.firstRoot()));
    view.expand(tree.indexOf(deskNode));
    QVERIFY(deskNode->expanded);
    TreeNode* a = tree.nodeByKey(desk + u"/a"_s);
    QVERIFY(tree.nodeByKey(desk + u"/a/b"_s));
    view.expand(tree.indexOf(a));
    QVERIFY(tree.nodeByKey(desk + u"/a/b/c"_s));
    view.collapse(tree.indexOf(a));
    QVERIFY(!a->expanded);

    // A click selects in the model; a refresh that rebuilds the node shows
    // it open again and keeps the selection.
    view.setCurrentIndex(tree.indexOf(a));
    QCOMPARE(tree.selectedKey(), desk + u"/a"_s);
    view.expand(tree.indexOf(a));
    mGetFolders::refresh_folder_node(f.ctx, tree, desk, mGetFolders::kExplorerDepth);
    a = tree.nodeByKey(desk + u"/a"_s);
    QVERIFY(view.isExpanded(tree.indexOf(a)));
    QVERIFY(view.isExpanded(tree.indexOf(tree.nodeByKey(desk))));
    QCOMPARE(view.currentIndex(), tree.indexOf(a));
    QCOMPARE(tree.selectedKey(), desk + u"/a"_s);
}

void TestPaneViews::listColumnsAndSelection()
{
    BrowseFixture f;
    f.store.save_setting(u"Appearance"_s, u"columns"_s, u"1101"_s);
    f.store.save_setting(u"Appearance"_s, u"width1"_s, u"3000"_s);
    BrowsePane pane(true);
    QTreeView view;
    showList(&view, pane.list);
    mFileInfo::set_list_columns(pane.list, f.store);
    QVERIFY(!view.isColumnHidden(0));
    QVERIFY(view.isColumnHidden(2));
    QCOMPARE(view.columnWidth(0), 200);
    QCOMPARE(listColumnWidthsTwips(&view)[0], 3000.0);

    const QString dir = f.world.folder(u"shown"_s);
    for (const char* n : {"a.txt", "b.txt", "c.txt"})
        f.world.file(u"shown/"_s + QLatin1String(n));
    pane.tree.selectNode(pane.tree.addNode(nullptr, [&] {
        auto n = std::make_unique<TreeNode>();
        n->key = dir;
        return n;
    }()));
    QCOMPARE(mFileInfo::list_folder(f.ctx, pane), mFileInfo::ListingResult::Listed);
    view.selectionModel()->select(pane.list.index(2, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(pane.list.selectedKeys(), QStringList{dir + u"/c.txt"_s});
    // Re-listing keeps it, and the view shows it.
    QCOMPARE(mFileInfo::list_folder(f.ctx, pane), mFileInfo::ListingResult::Listed);
    QVERIFY(view.selectionModel()->isRowSelected(2, {}));
}

void TestPaneViews::treeKeepsItsNode_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::newRow("click on empty space") << "empty";
    QTest::newRow("double-click on empty space") << "empty twice";
    QTest::newRow("Ctrl and a click on the selected node") << "ctrl";
    QTest::newRow("Ctrl+Space on the selected node") << "ctrl space";
}

// Once a tree has a selected node, what the user does in it never leaves it
// without one: the list still shows that node's folder, the commands act on
// it and closing the window saves it as the last path.
void TestPaneViews::treeKeepsItsNode()
{
    QFETCH(QString, gesture);
    BrowseFixture f;
    const QString desk = f.world.folder(u"Desk"_s);
    f.world.folder(u"Desk/a"_s);
    FolderTreeModel tree(false, f.base);
    QTreeView view;
    view.resize(300, 400);
    showTree(&view, tree, f.ctx);
    mGetFolders::initialize_TreeView(f.ctx, tree, desk, QString(), {});
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.expand(tree.indexOf(tree.firstRoot()));
    const QModelIndex node = tree.indexOf(tree.nodeByKey(desk));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(node).center());
    QCOMPARE(tree.selectedKey(), desk);

    const QPoint empty(view.viewport()->width() / 2, view.viewport()->height() - 5);
    QVERIFY(!view.indexAt(empty).isValid());
    if (gesture == "empty"_L1) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, empty);
    } else if (gesture == "empty twice"_L1) {
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, empty);
    } else if (gesture == "ctrl"_L1) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier,
                          view.visualRect(node).center());
    } else {
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Space, Qt::ControlModifier);
    }
    QCOMPARE(tree.selectedKey(), desk);
    QVERIFY(view.selectionModel()->isSelected(node));

    // Letting go on purpose still works.
    tree.selectNode(nullptr);
    QCOMPARE(tree.selectedKey(), QString());
}

QTEST_MAIN(TestPaneViews)
#include "tst_paneviews.moc"
