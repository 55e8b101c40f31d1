// The Explorer window and the splitter bars of both windows: "My Computer"
// loaded one level ahead, collapsing, and dragging the bars within their
// limits.
#include "panes/PaneKit.h"

#include <QDir>

namespace {

// Resizes a browser window so that the layout rules see it this wide.
bool setWidthTwips(panes::UiBrowserWindow* window, int twips)
{
    const int inner = (twips - int(panes::kFrameWidth)) / 15;
    QWidget* frame = window->parentWidget();
    frame->resize(frame->width() - window->width() + inner, frame->height());
    return QTest::qWaitFor([&] { return window->widthTwips() == twips; });
}

QModelIndex indexOfKey(panes::UiBrowserWindow* window, const QString& key)
{
    auto& tree = window->pane().tree;
    return tree.indexOf(tree.nodeByKey(key));
}

void clickExpander(QTreeView* view, const QModelIndex& index)
{
    const QRect item = view->visualRect(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      QPoint(item.left() - view->indentation() / 2, item.center().y()));
}

} // namespace

class TestExplorer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // "My Computer" opens loaded one level ahead; a second expansion keeps
    // what the first loaded; closing a node above the listed folder chooses
    // and lists it; closing "My Computer" empties the listing; the bar is kept.
    void myComputerTree()
    {
        MainWorld w;
        w.world.folder(u"Desktop/A/B/C"_s);
        w.world.file(u"Desktop/top.txt"_s);
        auto main = loadSettled(w);
        fExplorer* window = main->explorerWindow();
        QTreeView* view = window->treeView();
        browse::FolderTreeModel& tree = window->pane().tree;
        const browse::TreeNode* root = tree.firstRoot();
        QCOMPARE(root->text, u"My Computer"_s);
        QVERIFY(view->isExpanded(tree.indexOf(root)));
        QCOMPARE(root->children.size(), size_t(3));
        QCOMPARE(root->children[0]->text, u"Desktop"_s);
        QCOMPARE(root->children[1]->text, u"My Documents"_s);
        QCOMPARE(root->children[2]->text, u"Data ("_s + w.world.path("disk") + ')');
        QVERIFY(view->model()->hasChildren(indexOfKey(window, w.desktop))); // A, a level ahead
        QCOMPARE(window->pane().list.tag(), QString());
        QCOMPARE(window->pane().list.count(), 0);

        const QString a = w.desktop + u"/A"_s;
        clickExpander(view, indexOfKey(window, w.desktop));
        clickExpander(view, indexOfKey(window, a));
        const browse::TreeNode* c = tree.nodeByKey(a + u"/B/C"_s);
        QVERIFY(c); // loaded a level ahead of A's children
        clickExpander(view, indexOfKey(window, a));
        QVERIFY(!view->isExpanded(indexOfKey(window, a)));
        QVERIFY(QDir().mkpath(a + u"/B/C2"_s));
        clickExpander(view, indexOfKey(window, a));
        QVERIFY(view->isExpanded(indexOfKey(window, a)));
        QCOMPARE(tree.nodeByKey(a + u"/B/C"_s), c);
        QVERIFY(!tree.nodeByKey(a + u"/B/C2"_s));

        QVERIFY(clickNode(window, a));
        QTRY_COMPARE(window->pane().list.tag(), a);
        clickExpander(view, indexOfKey(window, w.desktop));
        QCOMPARE(tree.selectedKey(), w.desktop);
        QTRY_COMPARE(window->pane().list.tag(), w.desktop);
        QCOMPARE(shownNames(window), (QStringList{"A", "top.txt"}));
        clickExpander(view, indexOfKey(window, u"mycomputer"_s));
        QCOMPARE(window->pane().list.count(), 0);
        QCOMPARE(window->pane().list.tag(), QString());

        // The bar is saved at closing and comes back at the next opening.
        dragBar(window->findChild<QWidget*>(u"vert_bar_3"_s), 10);
        findAction(*main, "menu_view_explorer")->trigger();
        QVERIFY(!main->explorerWindow());
        QCOMPARE(w.get("Appearance", "vert_bar_3"), u"2650"_s);
        findAction(*main, "menu_view_explorer")->trigger();
        QCOMPARE(main->explorerWindow()->layoutTwips().bar.left, 2650.0);
    }

    void splitterLimits_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<int>("widthTwips");
        QTest::addColumn<int>("dragPixels");
        QTest::addColumn<double>("left");
        // Too narrow for both limits: the lower one wins.
        QTest::newRow("Explorer, 3900 twips") << QString("vert_bar_3") << 3900 << 10 << 2000.0;
        QTest::newRow("Explorer, follows") << QString("vert_bar_3") << 9000 << 20 << 2800.0;
        QTest::newRow("Explorer, right limit") << QString("vert_bar_3") << 9000 << 400 << 7000.0;
        QTest::newRow("Explorer, left limit") << QString("vert_bar_3") << 9000 << -100 << 2000.0;
        QTest::newRow("Libraries 1, before bar 2")
            << QString("vert_bar_1") << 13500 << 600 << 8440.0;
        QTest::newRow("Libraries 2, after the listing")
            << QString("vert_bar_2") << 13500 << -600 << 4545.0;
        QTest::newRow("Libraries 2, before the edge")
            << QString("vert_bar_2") << 13500 << 200 << 12000.0;
    }
    void splitterLimits()
    {
        QFETCH(QString, bar);
        QFETCH(int, widthTwips);
        QFETCH(int, dragPixels);
        QFETCH(double, left);
        MainWorld w;
        auto main = loadSettled(w);
        panes::UiBrowserWindow* window =
            bar == QLatin1String("vert_bar_3")
                ? static_cast<panes::UiBrowserWindow*>(main->explorerWindow())
                : main->librariesWindow();
        QVERIFY(setWidthTwips(window, widthTwips));
        auto* handle = window->findChild<QWidget*>(bar);
        dragBar(handle, dragPixels);
        QCOMPARE(handle->x(), qRound(left / 15));
        // The panes beside it follow: the listing starts right after the bar.
        QCOMPARE(window->listView()->x(),
                 bar == QLatin1String("vert_bar_2") ? 170 : qRound((left + 45) / 15));
        if (bar != QLatin1String("vert_bar_2"))
            QCOMPARE(window->treeView()->width(), handle->x());
    }
};

WINDOW_TEST_MAIN(TestExplorer)
#include "tst_explorer.moc"
