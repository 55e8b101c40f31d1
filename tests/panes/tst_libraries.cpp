// The Libraries window as the user meets it: loading, choosing folders and
// items, the delayed listing and totals, keys, focus and what it keeps when
// it closes.
#include "panes/PaneKit.h"

#include "browse/WinColor.h"
#include "engine/mEncrypt.h"

#include <QBrush>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QTimer>

namespace {

const QString kHiddenFolder = mEncrypt::make_hidden_name(u"Secret"_s, 1);
const QString kHiddenFile = mEncrypt::make_hidden_name(u"beach.jpg"_s, 2);

// The default Library with a plain and a hidden folder, a plain and a hidden
// file.
QString fillPictures(MainWorld& w)
{
    const QString lib = w.world.path(u"Pictures"_s);
    w.world.folder(u"Pictures/Trips/2020"_s);
    w.world.folder(u"Pictures/"_s + kHiddenFolder);
    w.world.file(u"Pictures/a.jpg"_s, QByteArray(3000, 'a'));
    w.world.file(u"Pictures/"_s + kHiddenFile, QByteArray(100, 'b'));
    return lib;
}

} // namespace

class TestLibrariesWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The last folder is chosen and listed at start. The root empties the
    // listing and the status bar. A run of clicks, or
    // the arrow key held through the tree, clears the listing each time and
    // fills it once, where it stops; clicking the folder already listed
    // changes nothing.
    void choosingFolders()
    {
        MainWorld w;
        const QString lib = fillPictures(w);
        w.world.folder(u"Pictures/Trips/2021"_s);
        w.set("Behavior", "last_path", lib);
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        browse::FolderTreeModel& tree = window->pane().tree;
        browse::FolderListModel& list = window->pane().list;
        QCOMPARE(tree.selectedKey(), lib);
        QCOMPARE(list.tag(), lib);
        QCOMPARE(shownNames(window),
                 (QStringList{"Secret", "Trips", "a.jpg", "beach.jpg"})); // readable names
        QVERIFY(main->statusPanelText(2).startsWith(u"Free Space: "_s));

        // Hidden items in their own colour and weight, with their stored name
        // and level in the tooltip; every node and item has an icon.
        const auto& prefs = main->state().prefs;
        const QModelIndex secretNode = tree.indexOf(tree.nodeByKey(lib + '/' + kHiddenFolder));
        QCOMPARE(secretNode.data().toString(), u"Secret"_s);
        QCOMPARE(secretNode.data(Qt::ForegroundRole).value<QBrush>().color(),
                 browse::toQColor(prefs.color_2));
        QCOMPARE(secretNode.data(Qt::FontRole).value<QFont>().bold(), prefs.bold_2);
        const QModelIndex beach = list.index(list.rowOfKey(lib + '/' + kHiddenFile), 0);
        QCOMPARE(beach.data(Qt::ForegroundRole).value<QBrush>().color(),
                 browse::toQColor(prefs.color_2));
        QVERIFY(beach.data(Qt::ToolTipRole).toString().endsWith(u"(Level 2)"_s));
        tree.forEachNode([&](browse::TreeNode* n) {
            QVERIFY2(!tree.indexOf(n).data(Qt::DecorationRole).value<QIcon>().isNull(),
                     qPrintable(n->key));
        });
        for (int row = 0; row < list.count(); ++row)
            QVERIFY(!list.index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());

        QVERIFY(clickNode(window, u"mylibraries"_s));
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.tag(), QString());
        QCOMPARE(main->statusPanelText(2), QString());

        auto* delay = window->findChild<QTimer*>(u"delay_timer"_s);
        const quint64 before = list.listingSerial();

        QVERIFY(clickNode(window, lib + u"/Trips"_s));
        QVERIFY(clickNode(window, lib));
        QVERIFY(delay->isActive());
        QCOMPARE(list.count(), 0); // cleared at once, filled later
        QTRY_COMPARE(list.tag(), lib);
        QCOMPARE(list.listingSerial(), before + 1);
        QCOMPARE(list.count(), 4);
        QCOMPARE(main->statusPanelText(1), u"4 Object(s) found"_s);

        QVERIFY(clickItem(window, u"a.jpg"_s));
        QVERIFY(clickNode(window, lib));
        QVERIFY(!delay->isActive());
        QCOMPARE(list.count(), 4);
        QCOMPARE(list.selectedKeys(), QStringList{lib + u"/a.jpg"_s});
        QCOMPARE(list.listingSerial(), before + 1);

        const QString trips = lib + u"/Trips"_s;
        QVERIFY(clickNode(window, trips));
        QTRY_COMPARE(list.tag(), trips);
        window->treeView()->expand(tree.indexOf(tree.nodeByKey(trips)));
        QTest::keyClick(window->treeView(), Qt::Key_Down); // 2020
        QTest::keyClick(window->treeView(), Qt::Key_Down); // 2021
        QCOMPARE(list.count(), 0);
        QTRY_COMPARE(list.tag(), trips + u"/2021"_s);
        QCOMPARE(list.listingSerial(), before + 3);
    }

    void selectionTotals_data()
    {
        QTest::addColumn<QList<int>>("kilobytes"); // one file each; -1 a folder
        QTest::addColumn<QString>("shown");
        const QString two = u"2 Object(s) selected totalling "_s;
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
        const QString lib = w.world.path(u"Pictures"_s);
        QStringList names;
        for (int i = 0; i < kilobytes.size(); ++i) {
            names << u"item %1"_s.arg(i);
            if (kilobytes[i] < 0)
                w.world.folder(u"Pictures/"_s + names.back());
            else
                w.world.file(u"Pictures/"_s + names.back(), QByteArray(kilobytes[i] * 1024, 'x'));
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
            state.edit_buffer = QStringList{w.world.path(u"Pictures/a.jpg"_s)};
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

    // Until pictures show there, the preview pane says what it is for, in a
    // colour that reads on its background, whatever that is.
    void previewHint_data()
    {
        QTest::addColumn<QString>("background");
        QTest::newRow("black (the default)") << u"0"_s;
        QTest::newRow("white") << u"16777215"_s;
        QTest::newRow("mid grey") << u"8421504"_s;
    }
    void previewHint()
    {
        QFETCH(QString, background);
        MainWorld w;
        w.set("Appearance", "color_3", background);
        auto main = loadSettled(w);
        QFrame* box = main->librariesWindow()->previewBox();
        auto* hint = box->findChild<QLabel*>(u"preview_hint"_s);
        QVERIFY(hint);
        QCOMPARE(hint->text(), u"Select a picture to preview it"_s);
        QVERIFY(hint->isVisible());
        QVERIFY(box->rect().contains(hint->geometry().center()));
        QCOMPARE(hint->alignment(), Qt::AlignCenter);
        const QColor back = box->palette().color(QPalette::Window);
        const QColor text = hint->palette().color(QPalette::WindowText);
        QVERIFY2(qAbs(back.lightness() - text.lightness()) >= 60,
                 qPrintable(u"%1 on %2"_s.arg(text.name(), back.name())));
    }

    // After a dialog or a change of layout the commands act on the pane that
    // has the keyboard focus, and the toolbar says so: never a state left
    // over from before, never "no pane" while a window is open.
    void commandStateFollowsTheFocus_data()
    {
        QTest::addColumn<int>("after");
        QTest::newRow("No to the first-run question") << 0;
        QTest::newRow("Tile") << 1;
        QTest::newRow("a cancelled exit") << 2;
    }
    void commandStateFollowsTheFocus()
    {
        QFETCH(int, after);
        MainWorld w;
        fillPictures(w);
        std::unique_ptr<fMain> main;
        if (after == 0) {
            w.set("Libraries", "Count", u"0"_s);
            w.prompt.answer(platform::PromptAnswer::No);
            main = w.loadMain();
        } else {
            main = loadSettled(w);
            if (after == 1) {
                // No pane has had the focus yet, as right after the start.
                main->state().object_focus = mainwindow::kNoPane;
                findAction(*main, "menu_windows_tile_windows")->trigger();
            } else {
                // The Explorer's list had the focus last; the exit closes
                // its window.
                main->explorerWindow()->listView()->setFocus(Qt::MouseFocusReason);
                QTRY_COMPARE(main->state().object_focus, short(mainwindow::kExplorerList));
                // "Pictures" holds plain items: the exit asks, and No keeps
                // the program with the Libraries window opened again.
                w.set("Behavior", "warn_on_exit", u"1"_s);
                w.prompt.answer(platform::PromptAnswer::No);
                // The question's box has the keyboard meanwhile: no pane
                // hears of the focus as the windows close and open.
                QWidget box;
                box.show();
                box.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&box));
                QVERIFY(!main->close());
                QVERIFY(main->librariesWindow() && !main->explorerWindow());
            }
        }
        QCoreApplication::processEvents();
        QCOMPARE(w.prompt.pending(), 0);

        const short pane = main->state().object_focus;
        const bool libraries =
            pane == mainwindow::kLibrariesTree || pane == mainwindow::kLibrariesList;
        QVERIFY2(pane != mainwindow::kNoPane, "no pane named after the dialog");
        QVERIFY(libraries ? main->librariesWindow() != nullptr : main->explorerWindow() != nullptr);
        // The pane named is the one that has (or will have) the keyboard focus.
        panes::UiBrowserWindow* window =
            libraries ? static_cast<panes::UiBrowserWindow*>(main->librariesWindow())
                      : static_cast<panes::UiBrowserWindow*>(main->explorerWindow());
        QWidget* focused = window->focusWidget();
        QVERIFY(focused == window->treeView() || focused == window->listView());
        QCOMPARE(pane, focused == window->treeView() ? window->treeCode() : window->listCode());
        // New Library and File > New follow that pane.
        QCOMPARE(findAction(*main, "tb_library")->isEnabled(), libraries);
        QCOMPARE(findAction(*main, "menu_file_new")->isEnabled(),
                 findAction(*main, "tb_library")->isEnabled() ||
                     findAction(*main, "tb_new_folder")->isEnabled());
        if (after != 1)
            QVERIFY(libraries); // the only window open, or the one just opened
    }

    // Bars, column widths and the chosen folder are saved at closing and
    // come back at the next opening, unless the folder is gone.
    void closingKeepsTheLayout()
    {
        MainWorld w;
        const QString lib = fillPictures(w);
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        dragBar(window->findChild<QWidget*>(u"vert_bar_1"_s), 20);
        QCOMPARE(window->layoutTwips().bar1.left, 2500.0 + 20 * 15);
        window->listView()->setColumnWidth(1, 90);
        QVERIFY(clickNode(window, lib + u"/Trips"_s));

        findAction(*main, "menu_view_libraries")->trigger();
        QVERIFY(!main->librariesWindow());
        QCOMPARE(w.get("Behavior", "last_path"), lib + u"/Trips"_s);
        QCOMPARE(w.get("Appearance", "vert_bar_1"), u"2800"_s);
        QCOMPARE(w.get("Appearance", "vert_bar_2"), u"10440"_s);
        QCOMPARE(w.get("Appearance", "width2"), u"1350"_s);

        findAction(*main, "menu_view_libraries")->trigger();
        window = main->librariesWindow();
        QCOMPARE(window->layoutTwips().bar1.left, 2800.0);
        QCOMPARE(window->listView()->columnWidth(1), 90);
        QCOMPARE(window->pane().tree.selectedKey(), lib + u"/Trips"_s);
        QCOMPARE(shownNames(window), QStringList{"2020"});

        // A last folder deleted meanwhile: the root, nothing listed, nothing said.
        findAction(*main, "menu_view_libraries")->trigger();
        QVERIFY(platform::removeFolderTree(lib + u"/Trips"_s));
        findAction(*main, "menu_view_libraries")->trigger();
        window = main->librariesWindow();
        QCOMPARE(window->pane().tree.selectedKey(), u"mylibraries"_s);
        QCOMPARE(window->pane().list.count(), 0);
        QCOMPARE(window->pane().list.tag(), QString());
        QVERIFY(w.prompt.seen.isEmpty());
    }
};

WINDOW_TEST_MAIN(TestLibrariesWindow)
#include "tst_libraries.moc"
