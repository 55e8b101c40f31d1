// Which commands the toolbar and the menus offer for the focused pane, and
// the commands that work on the panes: Select All, Invert Selection,
// Refresh, and what happens while the focused pane's window is closed.
#include "panes/PaneKit.h"

#include "engine/mEncrypt.h"
#include "mainwindow/CommandRules.h"
#include "mainwindow/CommandTable.h"

#include <QSet>
#include <QToolBar>

#include <QMenu>

using mainwindow::Command;
using mainwindow::MenuRules;
using mainwindow::PaneFacts;
using mainwindow::ToolbarRules;

namespace {

// Each entry as its letter when offered, "-" when not.
QString letters(const char* names, std::initializer_list<bool> on)
{
    QString out;
    for (bool o : on) {
        out += o ? QLatin1Char(*names) : QLatin1Char('-');
        ++names;
    }
    return out;
}

// Buttons 1 to 9: New Library, New Folder, Hide, Unhide, Cut, Copy, Paste, Delete, Refresh.
QString shown(const ToolbarRules& r)
{
    return letters("LFHUXCVDR", {r.newLibrary, r.newFolder, r.hide, r.unhide, r.cut, r.copy,
                                 r.paste, r.del, r.refresh});
}

// Open, Rename, Find, Find Next, Select All, Invert, Rename Selection.
QString shown(const MenuRules& m)
{
    return letters("ORFNAIS", {m.open, m.rename, m.find, m.findNext, m.selectAll, m.invertSelection,
                               m.renameSelection});
}

void openAndClose(fMain& main, const char* menuName)
{
    auto* menu = main.findChild<QMenu*>(QLatin1String(menuName));
    menu->popup(main.mapToGlobal(QPoint(10, 10)));
    QTRY_VERIFY(menu->isVisible());
    menu->close();
    // The offscreen platform leaves the keyboard with the closed menu.
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT
private:
    // The default Library holding a plain and a hidden file and a folder,
    // listed in the Libraries window.
    static std::unique_ptr<fMain> loadListed(MainWorld& w, QString* lib = nullptr)
    {
        const QString path = w.world.path(u"Pictures"_s);
        w.world.file(u"Pictures/plain.jpg"_s);
        w.world.file(u"Pictures/"_s + mEncrypt::make_hidden_name("hidden.jpg", 1));
        w.world.folder(u"Pictures/Trips"_s);
        w.set("Behavior", "last_path", path);
        if (lib)
            *lib = path;
        return loadSettled(w);
    }

private Q_SLOTS:
    void toolbarRules_data()
    {
        QTest::addColumn<PaneFacts>("facts");
        QTest::addColumn<QString>("buttons");
        auto row = [](const char* name, short pane, const char* kind, int selected, bool hidden,
                      bool plain, bool buffered, const char* buttons) {
            PaneFacts f;
            f.pane = pane;
            f.kind = QLatin1String(kind);
            f.selected = selected;
            f.selectedHidden = hidden;
            f.selectedPlain = plain;
            f.buffered = buffered;
            f.browserOpen = pane != 0;
            QTest::newRow(name) << f << QString(buttons);
        };
        // The bin, CD and drive nodes and the listing's selections are checked
        // through the windows below.
        row("no pane", 0, "", 0, false, false, false, "---------");
        row("Libraries root", 1, "mylibraries", 0, false, false, true, "L-HU----R");
        row("Library node, buffered", 1, "library", 0, false, false, true, "LFHU--VDR");
        row("folder node", 1, "folder", 0, false, false, false, "LFHUXC-DR");
        row("list in the bin", 2, "trash", 1, false, true, true, "L-H-XC-DR");
        row("Explorer root", 3, "mylibraries", 0, false, false, true, "--------R");
        row("Explorer folder", 3, "folder", 0, false, false, false, "-F--XC-DR");
        row("Explorer list, hidden selected", 4, "desktop", 1, true, false, false, "-F--XC-DR");
        row("Explorer list, nothing", 4, "drive", 0, false, false, false, "-F------R");
    }
    void toolbarRules()
    {
        QFETCH(PaneFacts, facts);
        QFETCH(QString, buttons);
        QCOMPARE(shown(mainwindow::toolbar_rules(facts)), buttons);
    }

    void menuRules_data()
    {
        QTest::addColumn<PaneFacts>("facts");
        QTest::addColumn<QString>("entries");
        auto row = [](const char* name, short pane, const char* kind, int items, int selected,
                      bool searchText, const char* entries) {
            PaneFacts f;
            f.pane = pane;
            f.kind = QLatin1String(kind);
            f.listItems = items;
            f.selected = selected;
            f.searchText = searchText;
            f.browserOpen = f.librariesOpen = true;
            QTest::newRow(name) << f << QString(entries);
        };
        row("no pane", 0, "", 5, 0, true, "-------");
        row("Library node", 1, "library", 0, 0, true, "-R-----");
        row("bin node, list has items", 1, "trash", 3, 0, false, "--F-A--");
        row("list, no search text", 2, "folder", 3, 1, false, "ORF-AIS");
        row("list, search text", 2, "folder", 3, 0, true, "ORFNAI-");
        row("Explorer folder node", 3, "folder", 0, 0, false, "-R-----");
        row("Explorer drive node", 3, "drive", 2, 0, true, "--FNA--");
        row("Explorer list", 4, "drive", 2, 1, false, "ORF-AI-");
    }
    void menuRules()
    {
        QFETCH(PaneFacts, facts);
        QFETCH(QString, entries);
        QCOMPARE(shown(mainwindow::menu_rules(facts)), entries);
    }

    // A hidden and a plain item chosen: both Hide and Unhide apply. Then
    // nothing chosen, Select All and Invert Selection.
    void hiddenAndPlainSelected()
    {
        MainWorld w;
        auto main = loadListed(w);
        fLibraries* window = main->librariesWindow();
        QVERIFY(clickItem(window, u"hidden.jpg"_s));
        QCOMPARE(shown(main->toolbarRules()), u"LF-UXC-DR"_s);
        QVERIFY(clickItem(window, u"plain.jpg"_s, Qt::ControlModifier));
        QCOMPARE(shown(main->toolbarRules()), u"LFHUXC-DR"_s);
        QVERIFY(findAction(*main, "tb_hide")->isEnabled());
        QVERIFY(findAction(*main, "tb_unhide")->isEnabled());
        openAndClose(*main, "menu_file");
        QVERIFY(findAction(*main, "menu_file_hide")->isEnabled());
        QVERIFY(findAction(*main, "menu_file_unhide")->isEnabled());

        // Clicking empty space leaves nothing chosen.
        QTreeView* view = window->listView();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          QPoint(5, view->viewport()->height() - 3));
        QCOMPARE(shown(main->toolbarRules()), u"LF------R"_s);
        QVERIFY(!findAction(*main, "tb_hide")->isEnabled());

        browse::FolderListModel& list = window->pane().list;
        QVERIFY(clickItem(window, u"plain.jpg"_s));
        QTest::keyClick(view, Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(list.selectedKeys().size(), 2);
        QVERIFY(!list.selectedKeys().contains(w.world.path(u"Pictures/plain.jpg"_s)));
        QCOMPARE(shown(main->toolbarRules()), u"LFHUXC-DR"_s);
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(list.selectedKeys().size(), 3);
        QTest::keyClick(view, Qt::Key_I, Qt::ControlModifier);
        QVERIFY(list.selectedKeys().isEmpty());
        QCOMPARE(shown(main->toolbarRules()), u"LF------R"_s);
    }

    // The bin, a CD and a fixed drive chosen in the trees, something to paste.
    void treeNodeKinds()
    {
        MainWorld w;
        const QString cd = w.world.folder(u"cdrom"_s);
        w.drives.push_back(
            platform::Drive{cd + '/', cd, QString(), platform::DriveType::CdRom, false, 0});
        auto main = loadSettled(w);
        main->state().edit_buffer = QStringList{w.world.path(u"x.jpg"_s)};
        main->state().edit_buffer_size = 1;
        const struct
        {
            panes::UiBrowserWindow* window;
            QString key;
            const char* buttons;
        } nodes[] = {
            {main->librariesWindow(), w.folders.binFolder, "L-HU----R"},
            {main->explorerWindow(), cd + '/', "--------R"},
            {main->explorerWindow(), w.drives.front().key, "-F----V-R"},
        };
        for (const auto& node : nodes) {
            QVERIFY(clickNode(node.window, node.key));
            QCOMPARE(node.window->pane().tree.selectedKey(), node.key);
            QCOMPARE(shown(main->toolbarRules()), QLatin1String(node.buttons));
        }
    }

    // The menus are brought up to date when they open and before their
    // shortcut keys act, not only when the toolbar is.
    void menusFollowTheListing()
    {
        MainWorld w;
        QString lib;
        auto main = loadListed(w, &lib);
        fLibraries* window = main->librariesWindow();
        const QString trips = lib + u"/Trips"_s;
        auto* selectAll = findAction(*main, "menu_edit_select_all");
        // From an empty folder to a full one: the toolbar is updated at the
        // click, while the listing is still empty.
        QVERIFY(clickNode(window, trips));
        QTRY_COMPARE(window->pane().list.tag(), trips);
        QVERIFY(clickNode(window, lib));
        QTRY_COMPARE(window->pane().list.count(), 3);
        QVERIFY(!selectAll->isEnabled());

        openAndClose(*main, "menu_edit");
        QVERIFY(selectAll->isEnabled());
        QVERIFY(!main->menuRules().findNext); // no search text
        main->state().strA = u"plain"_s;
        openAndClose(*main, "menu_edit");
        QVERIFY(main->menuRules().findNext);
        main->state().strA.clear();

        QVERIFY(clickNode(window, trips));
        QTRY_COMPARE(window->pane().list.tag(), trips);
        QVERIFY(clickNode(window, lib));
        QTRY_COMPARE(window->pane().list.count(), 3);
        QVERIFY(!selectAll->isEnabled());
        // Ctrl+A from the tree, with the entry still off from the click.
        QTest::keyClick(window->treeView(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(window->pane().list.selectedKeys().size(), 3);
        QCOMPARE(main->state().object_focus, short(mainwindow::kLibrariesList));
    }

    void refreshThenCloseTheFocusedWindow()
    {
        MainWorld w;
        QString lib;
        auto main = loadListed(w, &lib);
        fLibraries* window = main->librariesWindow();
        window->treeView()->setFocus();
        QTRY_COMPARE(main->state().object_focus, short(mainwindow::kLibrariesTree));
        w.world.folder(u"Pictures/Later"_s);
        w.world.file(u"Pictures/later.jpg"_s);
        QTest::keyClick(window->treeView(), Qt::Key_F5);
        QVERIFY(window->pane().tree.nodeByKey(lib + u"/Later"_s));
        QCOMPARE(window->pane().tree.selectedKey(), lib);
        QCOMPARE(shownNames(window),
                 (QStringList{"Later", "Trips", "hidden.jpg", "later.jpg", "plain.jpg"}));

        // The Libraries list had the focus when its window closed: nothing is
        // offered for it, and no command reopens the window.
        QVERIFY(clickItem(window, u"plain.jpg"_s));
        QCOMPARE(main->state().object_focus, short(mainwindow::kLibrariesList));
        findAction(*main, "menu_view_libraries")->trigger();
        QVERIFY(!main->librariesWindow());
        main->state().object_focus = mainwindow::kLibrariesList; // kept from before

        main->enable_toolbar();
        for (const char* menu : {"menu_file", "menu_edit", "menu_tools"})
            openAndClose(*main, menu);
        QVERIFY(!main->librariesWindow());
        QCOMPARE(shown(main->toolbarRules()), u"--------R"_s);
        QCOMPARE(shown(main->menuRules()), u"-------"_s);
        QVERIFY(!findAction(*main, "menu_edit_select_all")->isEnabled());
        QVERIFY(!findAction(*main, "menu_tools_slide_show")->isEnabled());
        findAction(*main, "menu_view_refresh")->trigger();
        QVERIFY(!main->librariesWindow());
    }

    // The command table is what the menus and the toolbar are made of: one
    // row a command, no name, key or button taken twice, and the window
    // shows each row where its name says.
    void commandTable()
    {
        QSet<QString> names;
        QSet<int> keys;
        for (std::size_t i = 0; i < mainwindow::kCommandCount; ++i) {
            const auto command = Command(i);
            const mainwindow::CommandRow& row = mainwindow::command_row(command);
            QCOMPARE(row.command, command);
            QVERIFY2(QString::fromUtf8(row.caption).contains('&'), row.name);
            QVERIFY2(!names.contains(row.name), row.name);
            names.insert(row.name);
            if (row.hasButton()) {
                QVERIFY2(!names.contains(row.toolbarKey), row.toolbarKey);
                names.insert(row.toolbarKey);
            }
            if (row.shortcut != QKeyCombination()) {
                QVERIFY2(!keys.contains(row.shortcut.toCombined()), row.name);
                keys.insert(row.shortcut.toCombined());
            }
        }
        for (Command c : mainwindow::toolbar_commands())
            QVERIFY(mainwindow::command_row(c).hasButton());

        MainWorld w;
        auto main = w.loadMain();
        for (const mainwindow::CommandRow& row : mainwindow::command_table()) {
            // Context-menu commands have no menu-bar entry or button: their
            // context entry stands for them.
            if (QString::fromUtf8(row.name).startsWith(u"context_menu_"_s)) {
                QVERIFY(!row.hasButton());
                QVERIFY(main->menuEntry(row.command));
                QCOMPARE(main->menuEntry(row.command)->objectName(), QLatin1String(row.name));
                QVERIFY(main->contextMenu()->actions().contains(main->menuEntry(row.command)));
                continue;
            }
            QAction* entry = findAction(*main, row.name);
            QVERIFY(entry);
            QCOMPARE(entry, main->menuEntry(row.command));
            QCOMPARE(entry->shortcut(), QKeySequence(row.shortcut));
            QVERIFY(!entry->associatedObjects().isEmpty()); // it is in a menu
            QCOMPARE(main->toolbarButton(row.command) != nullptr, row.hasButton());
        }
        QStringList buttons;
        for (QAction* a : main->findChild<QToolBar*>(u"Toolbar1"_s)->actions())
            buttons << a->objectName();
        QCOMPARE(buttons,
                 (QStringList{"tb_library", "tb_new_folder", "tb_hide", "tb_unhide", "tb_cut",
                              "tb_copy", "tb_paste", "tb_delete", "tb_refresh", "tb_options"}));
        // A context menu entry made from a row runs the same command.
        int ran = 0;
        main->setCommandHandler(Command::Find, [&] { ++ran; });
        QAction* fromRow = main->makeCommandEntry(Command::Find, main.get());
        QCOMPARE(fromRow->text(), u"&Find"_s);
        fromRow->trigger();
        QCOMPARE(ran, 1);
    }

    // In every pane the menu entries that have a button are offered exactly
    // when their button is (Refresh aside: its entry always works).
    void entriesFollowTheirButtons()
    {
        MainWorld w;
        auto main = loadListed(w);
        const QList<QWidget*> panes{
            main->librariesWindow()->treeView(), main->librariesWindow()->listView(),
            main->explorerWindow()->treeView(), main->explorerWindow()->listView()};
        for (QWidget* pane : panes) {
            pane->setFocus(Qt::MouseFocusReason);
            QTRY_VERIFY(main->state().object_focus != mainwindow::kNoPane);
            main->enable_toolbar();
            for (Command c : mainwindow::toolbar_commands()) {
                if (c == Command::Refresh)
                    continue;
                QCOMPARE(main->menuEntry(c)->isEnabled(), main->toolbarButton(c)->isEnabled());
            }
            QVERIFY(main->menuEntry(Command::Refresh)->isEnabled());
        }
    }
};

WINDOW_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
