// Opening, closing, maximising and tiling the two browser windows.
#include "support/MainWorld.h"

#include "mainwindow/Arrangement.h"
#include "panes/fExplorer.h"
#include "panes/fLibraries.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

using mainwindow::pixelsFromTwips;
using mainwindow::twipsFromPixels;

namespace {

// A main window of a known size instead of the maximised one.
std::unique_ptr<fMain> loadSized(MainWorld& w, QSize size)
{
    auto main = w.loadMain();
    main->showNormal();
    main->resize(size);
    if (!QTest::qWaitFor([&] { return main->size() == size && !main->isMaximized(); }))
        qWarning("main window did not take its size");
    return main;
}

} // namespace

class TestArrangement : public QObject
{
    Q_OBJECT
    // Both windows as the tiled layout puts them in the current main window.
    static void verifyTiled(fMain& main)
    {
        QMdiSubWindow* lib = main.librariesSubWindow();
        QMdiSubWindow* exp = main.explorerSubWindow();
        QVERIFY(lib && exp);
        QVERIFY(main.state().tiled);
        QVERIFY(!lib->isMaximized() && !exp->isMaximized());
        // The two fill the space between the toolbar and the status bar
        // exactly: no strip left at the side or the bottom.
        const QSize area = main.mdiArea()->contentsRect().size();
        QCOMPARE(lib->geometry(), QRect(0, 0, area.width(), area.height() / 2));
        QCOMPARE(exp->geometry(),
                 QRect(0, lib->height(), area.width(), area.height() - lib->height()));
    }

private Q_SLOTS:
    void tileGeometry_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("upper");
        QTest::addColumn<QRect>("lower");

        QTest::newRow("even height")
            << 1000 << 600 << QRect(0, 0, 1000, 300) << QRect(0, 300, 1000, 300);
        QTest::newRow("odd height: the lower window takes the spare pixel")
            << 1000 << 601 << QRect(0, 0, 1000, 300) << QRect(0, 300, 1000, 301);
        QTest::newRow("no area") << 0 << 0 << QRect(0, 0, 0, 0) << QRect(0, 0, 0, 0);
        QTest::newRow("less than nothing") << -10 << -7 << QRect(0, 0, 0, 0) << QRect(0, 0, 0, 0);
    }
    void tileGeometry()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QRect, upper);
        QFETCH(QRect, lower);
        const QRect u = mainwindow::upper_tile(width, height);
        QCOMPARE(u, upper);
        QCOMPARE(mainwindow::lower_tile(u, height), lower);
        // Placed taller than asked (a minimum size): the lower one starts
        // below it all the same.
        const QRect tall(0, 0, u.width(), u.height() + 40);
        QCOMPARE(mainwindow::lower_tile(tall, height).top(), tall.height());
    }

    // Tiled at start and after every resize of the main window, until the
    // Explorer window is sized by hand.
    void retiledOnResize_data()
    {
        QTest::addColumn<int>("sizedByHand"); // 0 none, 1 Libraries, 2 Explorer
        QTest::newRow("none") << 0;
        QTest::newRow("Libraries sized by hand: tiling goes on") << 1;
        QTest::newRow("Explorer sized by hand: tiling stops") << 2;
    }
    void retiledOnResize()
    {
        QFETCH(int, sizedByHand);
        MainWorld w;
        auto main = loadSized(w, QSize(1000, 700));
        verifyTiled(*main);
        if (sizedByHand) {
            QMdiSubWindow* sized =
                sizedByHand == 2 ? main->explorerSubWindow() : main->librariesSubWindow();
            sized->resize(sized->width() - 80, sized->height() - 30);
        }
        QCOMPARE(main->state().tiled, sizedByHand != 2);
        const QRect libBefore = main->librariesSubWindow()->geometry();
        const QRect expBefore = main->explorerSubWindow()->geometry();
        for (const QSize size : {QSize(1100, 850), QSize(800, 600)}) {
            main->resize(size);
            QTRY_COMPARE(main->size(), size);
            if (sizedByHand != 2) {
                verifyTiled(*main);
            } else {
                QCOMPARE(main->librariesSubWindow()->geometry(), libBefore);
                QCOMPARE(main->explorerSubWindow()->geometry(), expBefore);
            }
        }
    }

    void toolbarAndStatusBarToggles_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("toolbar") << QString("menu_view_toolbar");
        QTest::newRow("status bar") << QString("menu_view_status_bar");
    }
    void toolbarAndStatusBarToggles()
    {
        QFETCH(QString, entry);
        const bool toolbar = entry == QLatin1String("menu_view_toolbar");
        MainWorld w;
        auto main = loadSized(w, QSize(1000, 700));
        QWidget* bar = toolbar ? static_cast<QWidget*>(main->findChild<QToolBar*>("Toolbar1"))
                               : main->statusBar();
        QAction* toggle = findAction(*main, qPrintable(entry));
        QVERIFY(toggle->isChecked());
        const int before = main->librariesSubWindow()->height();

        toggle->trigger();
        QVERIFY(!toggle->isChecked());
        QVERIFY(bar->isHidden());
        if (toolbar)
            QCOMPARE(main->state().toolbar1_height, qint16(0));
        verifyTiled(*main); // re-tiled into the larger area
        QVERIFY(main->librariesSubWindow()->height() > before);

        toggle->trigger();
        QVERIFY(toggle->isChecked());
        QVERIFY(!bar->isHidden());
        QCOMPARE(main->state().toolbar1_height, qint16(825));
        verifyTiled(*main);
        QCOMPARE(main->librariesSubWindow()->height(), before);
    }

    void viewCommands()
    {
        MainWorld w;
        w.set("Behavior", "load_explorer", "0");
        auto main = loadSized(w, QSize(1000, 700));
        QAction* viewLibraries = findAction(*main, "menu_view_libraries");
        QAction* viewExplorer = findAction(*main, "menu_view_explorer");
        QVERIFY(main->librariesSubWindow()->isMaximized());

        // Opening the second window tiles, Libraries on top.
        viewExplorer->trigger();
        QVERIFY(viewExplorer->isChecked());
        verifyTiled(*main);

        // The Window menu lists the open windows afresh each time it opens.
        auto* menu = main->findChild<QMenu*>(u"menu_window"_s);
        main->mdiArea()->setActiveSubWindow(main->librariesSubWindow());
        for (int i = 0; i < 2; ++i) {
            Q_EMIT menu->aboutToShow();
            QStringList entries;
            QString checked;
            for (QAction* a : menu->actions()) {
                entries << (a->isSeparator() ? u"-"_s : a->text());
                if (a->isChecked())
                    checked = a->text();
            }
            QCOMPARE(entries, (QStringList{"&Tile", "-", "&1 Libraries", "&2 Explorer"}));
            QCOMPARE(checked, i == 0 ? u"&1 Libraries"_s : u"&2 Explorer"_s);
            menu->actions().at(3)->trigger();
            QCOMPARE(main->mdiArea()->currentSubWindow(), main->explorerSubWindow());
        }

        // Closing one from the menu maximises the other.
        viewLibraries->trigger();
        QVERIFY(!viewLibraries->isChecked());
        QVERIFY(!main->librariesWindow());
        QVERIFY(main->explorerSubWindow()->isMaximized());

        // Tile opens whatever is missing.
        findAction(*main, "menu_windows_tile_windows")->trigger();
        QVERIFY(viewLibraries->isChecked() && viewExplorer->isChecked());
        verifyTiled(*main);

        // The window's own close box does what the menu does.
        main->explorerSubWindow()->close();
        QVERIFY(!viewExplorer->isChecked());
        QVERIFY(!main->explorerWindow());
        QVERIFY(main->librariesSubWindow()->isMaximized());

        // File > Close closes the current window.
        findAction(*main, "menu_file_close")->trigger();
        QVERIFY(!main->librariesWindow());
        QVERIFY(!viewLibraries->isChecked());
        main->update_menu_states();
        QVERIFY(!findAction(*main, "menu_file_close")->isEnabled());

        findAction(*main, "menu_windows_tile_windows")->trigger();
        verifyTiled(*main);
    }
};

WINDOW_TEST_MAIN(TestArrangement)
#include "tst_arrangement.moc"
