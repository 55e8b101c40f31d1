// The Libraries window as the user meets it: loading, choosing folders and
// items, the delayed listing and totals, keys, focus and what it keeps when
// it closes.
#include "panes/PaneKit.h"

#include "browse/WinColor.h"
#include "engine/mEncrypt.h"

#include <QBrush>
#include <QFont>
#include <QTimer>

using platform::PromptAnswer;

namespace {

const QString kHiddenFolder = mEncrypt::make_hidden_name(QStringLiteral("Secret"), 1);
const QString kHiddenFile = mEncrypt::make_hidden_name(QStringLiteral("beach.jpg"), 2);

// The default Library with a plain and a hidden folder, a plain and a hidden
// file.
QString fillPictures(MainWorld& w)
{
    const QString lib = w.world.path(QStringLiteral("Pictures"));
    w.world.folder(QStringLiteral("Pictures/Trips/2020"));
    w.world.folder(QStringLiteral("Pictures/") + kHiddenFolder);
    w.world.file(QStringLiteral("Pictures/a.jpg"), QByteArray(3000, 'a'));
    w.world.file(QStringLiteral("Pictures/") + kHiddenFile, QByteArray(100, 'b'));
    return lib;
}

} // namespace

class TestLibrariesWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadReselectsTheLastFolder()
    {
        MainWorld w;
        const QString lib = fillPictures(w);
        w.set("Behavior", "last_path", lib);
        auto main = w.loadMain();
        fLibraries* window = main->librariesWindow();
        browse::FolderTreeModel& tree = window->pane().tree;

        QCOMPARE(tree.selectedKey(), lib);
        QCOMPARE(window->pane().list.tag(), lib);
        QCOMPARE(shownNames(window),
                 (QStringList{"Secret", "Trips", "a.jpg", "beach.jpg"})); // readable names
        QVERIFY(main->statusPanelText(2).startsWith(QStringLiteral("Free Space: ")));

        // Hidden items in their own colour and weight, with their stored name
        // and level in the tooltip; every node and item has an icon.
        const auto& prefs = main->state().prefs;
        const QModelIndex secretNode = tree.indexOf(tree.nodeByKey(lib + '/' + kHiddenFolder));
        QCOMPARE(secretNode.data().toString(), QStringLiteral("Secret"));
        QCOMPARE(secretNode.data(Qt::ForegroundRole).value<QBrush>().color(),
                 browse::toQColor(prefs.color_2));
        QCOMPARE(secretNode.data(Qt::FontRole).value<QFont>().bold(), prefs.bold_2);
        const browse::FolderListModel& list = window->pane().list;
        const QModelIndex beach = list.index(list.rowOfKey(lib + '/' + kHiddenFile), 0);
        QCOMPARE(beach.data(Qt::ForegroundRole).value<QBrush>().color(),
                 browse::toQColor(prefs.color_2));
        QVERIFY(beach.data(Qt::ToolTipRole).toString().endsWith(QStringLiteral("(Level 2)")));
        tree.forEachNode([&](browse::TreeNode* n) {
            QVERIFY2(!tree.indexOf(n).data(Qt::DecorationRole).value<QIcon>().isNull(),
                     qPrintable(n->key));
        });
        for (int row = 0; row < list.count(); ++row)
            QVERIFY(!list.index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    }

    void lastPathOfADeletedFolder()
    {
        MainWorld w;
        const QString lib = fillPictures(w);
        w.set("Behavior", "last_path", lib + QStringLiteral("/Gone"));
        auto main = w.loadMain();
        fLibraries* window = main->librariesWindow();
        QCOMPARE(window->pane().tree.selectedKey(), QStringLiteral("mylibraries"));
        QCOMPARE(window->pane().list.count(), 0);
        QCOMPARE(window->pane().list.tag(), QString());
        QVERIFY(w.prompt.seen.isEmpty());
    }

    void firstRunQuestion()
    {
        MainWorld w;
        w.set("Libraries", "Count", QStringLiteral("0"));
        w.prompt.answer(PromptAnswer::No);
        auto main = w.loadMain();
        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.lastText(),
                 QStringLiteral("This appears to be the first time using "
                                "Cloakwell. Would you like to add a Library?"));
        QCOMPARE(w.prompt.lastTitle(), QStringLiteral("No Libraries Found"));
        QCOMPARE(w.prompt.seen.back().buttons, platform::PromptButtons::YesNo);
        const browse::TreeNode* root = main->librariesWindow()->pane().tree.firstRoot();
        QCOMPARE(root->children.size(), size_t(1));
        QCOMPARE(root->children.front()->text, QStringLiteral("Red Ovidor"));
    }

    // The root empties the listing and the status bar. A run of clicks clears
    // the listing each time and fills it once, after the last; clicking the
    // folder already listed changes nothing.
    void nodeClicksListOnceAfterTheLast()
    {
        MainWorld w;
        const QString lib = fillPictures(w);
        w.set("Behavior", "last_path", lib);
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        browse::FolderListModel& list = window->pane().list;
        QCOMPARE(list.count(), 4);
        QVERIFY(!main->statusPanelText(2).isEmpty());
        QVERIFY(clickNode(window, QStringLiteral("mylibraries")));
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.tag(), QString());
        QCOMPARE(main->statusPanelText(2), QString());

        auto* delay = window->findChild<QTimer*>(QStringLiteral("delay_timer"));
        const quint64 before = list.listingSerial();

        QVERIFY(clickNode(window, lib + QStringLiteral("/Trips")));
        QVERIFY(clickNode(window, lib));
        QVERIFY(delay->isActive());
        QCOMPARE(list.count(), 0); // cleared at once, filled later
        QTRY_COMPARE(list.tag(), lib);
        QCOMPARE(list.listingSerial(), before + 1);
        QCOMPARE(list.count(), 4);
        QCOMPARE(main->statusPanelText(1), QStringLiteral("4 Object(s) found"));

        QVERIFY(clickItem(window, QStringLiteral("a.jpg")));
        QVERIFY(clickNode(window, lib));
        QVERIFY(!delay->isActive());
        QCOMPARE(list.count(), 4);
        QCOMPARE(list.selectedKeys(), QStringList{lib + QStringLiteral("/a.jpg")});
        QCOMPARE(list.listingSerial(), before + 1);
    }

    // Holding the arrow key through the tree lists only where it stops.
    void arrowKeysListWhereTheyStop()
    {
        MainWorld w;
        const QString lib = fillPictures(w);
        w.world.folder(QStringLiteral("Pictures/Trips/2021"));
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        browse::FolderListModel& list = window->pane().list;
        const QString trips = lib + QStringLiteral("/Trips");
        QVERIFY(clickNode(window, trips));
        QTRY_COMPARE(list.tag(), trips);
        window->treeView()->expand(
            window->pane().tree.indexOf(window->pane().tree.nodeByKey(trips)));
        const quint64 before = list.listingSerial();
        QTest::keyClick(window->treeView(), Qt::Key_Down); // 2020
        QTest::keyClick(window->treeView(), Qt::Key_Down); // 2021
        QCOMPARE(list.count(), 0);
        QTRY_COMPARE(list.tag(), trips + QStringLiteral("/2021"));
        QCOMPARE(list.listingSerial(), before + 1);
    }

    void selectionTotals_data()
    {
        QTest::addColumn<QList<int>>("kilobytes"); // one file each; -1 a folder
        QTest::addColumn<QString>("shown");
        const QString two = QStringLiteral("2 Object(s) selected totalling ");
        QTest::newRow("999 KB") << QList<int>{500, 499} << two + "999 KB";
        QTest::newRow("1001 KB is 1 MB") << QList<int>{1000, 1} << two + "1 MB";
        QTest::newRow("2500 KB: half to even") << QList<int>{1250, 1250} << two + "2 MB";
        QTest::newRow("3500 KB: half to even") << QList<int>{3000, 500} << two + "4 MB";
        QTest::newRow("folders only") << QList<int>{-1, -1, -1} << QString("3 Object(s) selected");
        QTest::newRow("folder and file") << QList<int>{-1, 12} << two + "12 KB";
    }
    void selectionTotals()
    {
        QFETCH(QList<int>, kilobytes);
        QFETCH(QString, shown);
        MainWorld w;
        const QString lib = w.world.path(QStringLiteral("Pictures"));
        QStringList names;
        for (int i = 0; i < kilobytes.size(); ++i) {
            names << QStringLiteral("item %1").arg(i);
            if (kilobytes[i] < 0)
                w.world.folder(QStringLiteral("Pictures/") + names.back());
            else
                w.world.file(QStringLiteral("Pictures/") + names.back(),
                             QByteArray(kilobytes[i] * 1024, 'x'));
        }
        w.set("Behavior", "last_path", lib);
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        QCOMPARE(shownNames(window), names);

        QVERIFY(clickItem(window, names.front()));
        QVERIFY(clickItem(window, names.back(), Qt::ShiftModifier));
        QTRY_COMPARE(main->statusPanelText(1), shown);
    }

    void escapeKey_data()
    {
        QTest::addColumn<bool>("buffered");
        QTest::addColumn<bool>("escapeExit");
        QTest::addColumn<bool>("closes");
        QTest::newRow("empty buffer, escape_exit off: nothing") << false << false << false;
        QTest::newRow("empty buffer, escape_exit on: exit") << false << true << true;
        QTest::newRow("pending cut: only cancelled") << true << true << false;
    }
    void escapeKey()
    {
        QFETCH(bool, buffered);
        QFETCH(bool, escapeExit);
        QFETCH(bool, closes);
        MainWorld w;
        w.set("Behavior", "escape_exit", QString::number(escapeExit));
        auto main = loadSettled(w);
        auto& state = main->state();
        if (buffered) {
            state.edit_buffer = QStringList{w.world.path(QStringLiteral("Pictures/a.jpg"))};
            state.edit_buffer_size = 1;
            state.edit_file_op = 1;
        }
        QTest::keyClick(main->librariesWindow()->listView(), Qt::Key_Escape);
        QCOMPARE(w.exits, closes ? QList<int>{0} : QList<int>{});
        QCOMPARE(main->isVisible(), !closes);
        QCOMPARE(state.edit_buffer_size, qint16(0));
        QVERIFY(w.prompt.seen.isEmpty());
    }

    void focusNamesThePane()
    {
        MainWorld w;
        auto main = loadSettled(w);
        const struct
        {
            panes::UiBrowserWindow* window;
            QWidget* pane;
            short code;
        } panes[] = {
            {main->librariesWindow(), main->librariesWindow()->treeView(), 1},
            {main->librariesWindow(), main->librariesWindow()->listView(), 2},
            {main->explorerWindow(), main->explorerWindow()->treeView(), 3},
            {main->explorerWindow(), main->explorerWindow()->listView(), 4},
        };
        for (const auto& p : panes) {
            p.pane->setFocus(Qt::MouseFocusReason);
            QTRY_COMPARE(main->state().object_focus, p.code);
            // The toolbar follows at once: New Library belongs to the Libraries panes.
            QCOMPARE(findAction(*main, "tb_library")->isEnabled(), p.window->isLibraries());
        }
    }

    // Bars, column widths and the chosen folder are saved at closing and
    // come back at the next opening.
    void closingKeepsTheLayout()
    {
        MainWorld w;
        const QString lib = fillPictures(w);
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        dragBar(window->findChild<QWidget*>(QStringLiteral("vert_bar_1")), 20);
        QCOMPARE(window->layoutTwips().bar1.left, 2500.0 + 20 * 15);
        window->listView()->setColumnWidth(1, 90);
        QVERIFY(clickNode(window, lib + QStringLiteral("/Trips")));

        findAction(*main, "menu_view_libraries")->trigger();
        QVERIFY(!main->librariesWindow());
        QCOMPARE(w.get("Behavior", "last_path"), lib + QStringLiteral("/Trips"));
        QCOMPARE(w.get("Appearance", "vert_bar_1"), QStringLiteral("2800"));
        QCOMPARE(w.get("Appearance", "vert_bar_2"), QStringLiteral("10440"));
        QCOMPARE(w.get("Appearance", "width2"), QStringLiteral("1350"));

        findAction(*main, "menu_view_libraries")->trigger();
        window = main->librariesWindow();
        QCOMPARE(window->layoutTwips().bar1.left, 2800.0);
        QCOMPARE(window->listView()->columnWidth(1), 90);
        QCOMPARE(window->pane().tree.selectedKey(), lib + QStringLiteral("/Trips"));
        QCOMPARE(shownNames(window), QStringList{"2020"});
    }
};

WINDOW_TEST_MAIN(TestLibrariesWindow)
#include "tst_libraries.moc"
