// The item commands of the panes: the context menu (which entries show and
// which are enabled for each pane and selection, and that they run the menu
// bar's commands) and renaming in place with F2.
#include "panes/PaneKit.h"
#include "pictures/fImage.h"

#include "engine/mEncrypt.h"
#include "mainwindow/CommandRules.h"
#include "panes/UiPaneView.h"
#include "platform/FileSystem.h"

#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QMenu>

using mainwindow::Command;
using mainwindow::ContextMenuRules;
using mainwindow::PaneFacts;

namespace {

// Open shown, Open With shown, Native enabled, Show Preview, Rename,
// Properties: the letter when on, "-" when not.
QString shown(const ContextMenuRules& c)
{
    const char* names = "OWNPMR";
    QString out;
    for (bool on :
         {c.openShown, c.openWithShown, c.nativeEnabled, c.showPreview, c.rename, c.properties})
        out += on ? QLatin1Char(*names++) : (++names, QLatin1Char('-'));
    return out;
}

// The same letters read from the menu itself.
QString shown(fMain& main)
{
    auto on = [&](const char* name) { return findAction(main, name)->isEnabled(); };
    ContextMenuRules c;
    c.openShown = findAction(main, "context_menu_open")->isVisible();
    c.openWithShown = findAction(main, "context_menu_open_with")->isVisible();
    c.nativeEnabled = on("context_menu_open_native");
    c.showPreview = on("context_menu_show_preview");
    c.rename = on("context_menu_rename");
    c.properties = on("context_menu_properties");
    return shown(c);
}

void saveShot(QWidget* widget, const QString& name)
{
    const QByteArray dir = qgetenv("CLOAKWELL_SHOTS");
    if (!dir.isEmpty())
        widget->grab().save(QString::fromLocal8Bit(dir) + '/' + name + u".png"_s);
}

// The offscreen platform leaves the keyboard with the closed menu: the main
// window is made active again, as it is on a desktop.
void closeMenu(fMain& main)
{
    main.contextMenu()->close();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
}

} // namespace

class TestItemCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rules_data()
    {
        QTest::addColumn<PaneFacts>("facts");
        QTest::addColumn<QString>("entries");
        auto row = [](const char* name, short pane, const char* kind, int selected, bool folder,
                      const char* text, const char* entries) {
            PaneFacts f;
            f.pane = pane;
            f.kind = QLatin1String(kind);
            f.selected = selected;
            f.singleFolder = folder;
            f.singleText = QLatin1String(text);
            QTest::newRow(name) << f << QString(entries);
        };
        row("no pane", 0, "", 0, false, "", "------");
        row("Libraries root", 1, "mylibraries", 0, false, "", "------");
        row("bin node", 1, "trash", 0, false, "", "-----R");
        row("Library node", 1, "library", 0, false, "", "----MR");
        row("folder node", 1, "folder", 0, false, "", "----MR");
        row("one picture", 2, "folder", 1, false, "Beach.JPG", "-WNPMR");
        row("one text file", 2, "folder", 1, false, "notes.txt", "O-N-MR");
        row("jpeg is not a picture", 2, "folder", 1, false, "a.jpeg", "O-N-MR");
        row("a folder named like a picture", 2, "folder", 1, true, "x.jpg", "O---MR");
        row("two items", 2, "folder", 2, false, "a.jpg", "O---MR");
        row("nothing selected", 2, "folder", 0, false, "", "----MR");
        row("Explorer drive node", 3, "drive", 0, false, "", "------");
        row("Explorer folder node", 3, "folder", 0, false, "", "-----R");
        row("Explorer desktop", 3, "desktop", 0, false, "", "-----R");
        row("Explorer documents", 3, "mydocuments", 0, false, "", "-----R");
        row("Explorer root", 3, "mycomputer", 0, false, "", "------");
        row("Explorer list, picture", 4, "drive", 1, false, "a.gif", "-WN-MR");
        row("Explorer list, file", 4, "drive", 1, false, "a.doc", "O-N-MR");
        row("Explorer list, folder", 4, "drive", 1, true, "Trips", "O---MR");
        row("Explorer list, nothing", 4, "drive", 0, false, "", "----MR");
    }
    void rules()
    {
        QFETCH(PaneFacts, facts);
        QFETCH(QString, entries);
        QCOMPARE(shown(mainwindow::context_menu_rules(facts)), entries);
    }

    // Right clicks over the Libraries panes and the Explorer tree: the menu
    // shows what the rules say, gated by the commands that exist; a single
    // picture gets the program's own viewer and Show Preview.
    void menuOverEachPane()
    {
        MainWorld w;
        const QString lib = w.world.path(u"Pictures"_s);
        // A real picture: the preview and the viewer show it without a word.
        QByteArray jpeg;
        {
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            QImage picture(16, 12, QImage::Format_RGB32);
            picture.fill(Qt::darkGreen);
            picture.save(&buffer, "JPEG");
        }
        w.world.file(u"Pictures/plain.jpg"_s, jpeg);
        w.world.file(u"Pictures/notes.txt"_s);
        w.world.file(u"disk/view.gif"_s);
        w.world.file(u"Pictures/"_s + mEncrypt::make_hidden_name("hidden.jpg", 1));
        w.set("Behavior", "last_path", lib);
        auto main = loadSettled(w);
        fLibraries* libraries = main->librariesWindow();
        QMenu* menu = main->contextMenu();
        int propertiesRuns = 0;

        QVERIFY(clickItem(libraries, u"plain.jpg"_s));
        QTest::mouseClick(
            libraries->listView()->viewport(), Qt::RightButton, {},
            libraries->listView()
                ->visualRect(libraries->pane().list.index(rowOf(libraries, u"plain.jpg"_s), 0))
                .center());
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(shown(*main), u"-WNPMR"_s);
        QVERIFY(findAction(*main, "context_menu_open_cloakwell")->isEnabled());
        QCOMPARE(findAction(*main, "context_menu_open_cloakwell")->text(), u"&Cloakwell"_s);
        QVERIFY(findAction(*main, "context_menu_hide")->isEnabled());
        QVERIFY(!findAction(*main, "context_menu_unhide")->isEnabled());
        QVERIFY(!findAction(*main, "context_menu_paste")->isEnabled());
        saveShot(menu, u"context-libraries-list"_s);
        closeMenu(*main);

        // The viewer entry opens a viewer of its own on the picture.
        findAction(*main, "context_menu_open_cloakwell")->trigger();
        QTRY_VERIFY(main->findChild<fImage*>());
        QCOMPARE(main->findChild<fImage*>()->image_name, u"plain.jpg"_s);
        QTRY_COMPARE(main->findChild<fImage*>()->windowTitle(), u"plain.jpg"_s);
        delete main->findChild<fImage*>();

        // Properties runs its command.
        main->setCommandHandler(Command::Properties, [&] { ++propertiesRuns; });
        QVERIFY(clickItem(libraries, u"notes.txt"_s));
        main->show_context_menu();
        QCOMPARE(shown(*main), u"O-N-MR"_s);
        findAction(*main, "context_menu_properties")->trigger();
        QCOMPARE(propertiesRuns, 1);
        closeMenu(*main);

        QVERIFY(clickItem(libraries, u"hidden.jpg"_s, Qt::ControlModifier));
        main->show_context_menu();
        QCOMPARE(shown(*main), u"O---MR"_s);
        QVERIFY(findAction(*main, "context_menu_hide")->isEnabled());
        QVERIFY(findAction(*main, "context_menu_unhide")->isEnabled());
        QVERIFY(findAction(*main, "context_menu_delete")->isEnabled() ==
                main->toolbarButton(Command::Delete)->isEnabled());
        closeMenu(*main);

        const struct
        {
            panes::UiBrowserWindow* window;
            QString key;
            const char* entries;
            const char* shot;
        } nodes[] = {
            {libraries, u"mylibraries"_s, "------", "context-libraries-root"},
            {libraries, w.folders.binFolder, "-----R", "context-libraries-bin"},
            {libraries, lib, "----MR", "context-libraries-tree"},
            {main->explorerWindow(), w.drives.front().key, "------", "context-explorer-drive"},
        };
        for (const auto& node : nodes) {
            // A right click is about the node already chosen.
            QVERIFY2(clickNode(node.window, node.key), qPrintable(node.key));
            QVERIFY(clickNode(node.window, node.key, Qt::RightButton));
            QTRY_VERIFY(menu->isVisible());
            QCOMPARE(shown(*main), QLatin1String(node.entries));
            saveShot(menu, QLatin1String(node.shot));
            closeMenu(*main);
        }

        // A single picture in the Explorer list: the submenu, but no preview.
        fExplorer* explorer = main->explorerWindow();
        QVERIFY(clickNode(explorer, w.drives.front().key));
        QTRY_VERIFY(rowOf(explorer, u"view.gif"_s) >= 0);
        QVERIFY(clickItem(explorer, u"view.gif"_s));
        QTest::mouseClick(
            explorer->listView()->viewport(), Qt::RightButton, {},
            explorer->listView()
                ->visualRect(explorer->pane().list.index(rowOf(explorer, u"view.gif"_s), 0))
                .center());
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(shown(*main), u"-WN-MR"_s);
        saveShot(menu, u"context-explorer-list"_s);
        closeMenu(*main);
    }

    // F2 edits the chosen item's label in place; Enter renames, Escape
    // leaves it. A hidden item is renamed at its own level, a folder node in
    // the tree takes its listing along.
    void renameInPlace()
    {
        MainWorld w;
        const QString lib = w.world.path(u"Pictures"_s);
        w.world.file(u"Pictures/"_s + mEncrypt::make_hidden_name("secret.jpg", 3), "xyz");
        w.world.file(u"Pictures/Trips/in.jpg"_s);
        w.set("Behavior", "last_path", lib);
        auto main = loadSettled(w);
        fLibraries* libraries = main->librariesWindow();
        auto* view = qobject_cast<panes::UiPaneView*>(libraries->listView());
        QVERIFY(view);

        QVERIFY(clickItem(libraries, u"secret.jpg"_s));
        QTest::keyClick(view, Qt::Key_F2);
        QTRY_VERIFY(view->labelEditor());
        QCOMPARE(view->labelEditor()->text(), u"secret.jpg"_s);
        QTest::keyClick(view->labelEditor(), Qt::Key_Escape);
        QVERIFY(!view->labelEditor());
        QVERIFY(platform::fileExists(lib + '/' + mEncrypt::make_hidden_name("secret.jpg", 3)));

        QVERIFY(clickItem(libraries, u"secret.jpg"_s));
        QTest::keyClick(view, Qt::Key_F2);
        QTRY_VERIFY(view->labelEditor());
        view->labelEditor()->setText(u"open.jpg"_s);
        saveShot(libraries, u"rename-in-place"_s);
        QTest::keyClick(view->labelEditor(), Qt::Key_Return);
        QVERIFY(!view->labelEditor());
        const QString renamed = lib + '/' + mEncrypt::make_hidden_name("open.jpg", 3);
        QVERIFY(platform::fileExists(renamed));
        QCOMPARE(libraries->pane().list.item(rowOf(libraries, u"open.jpg"_s)).key, renamed);

        // The folder node in the tree; the listing follows the new path.
        QVERIFY(clickNode(libraries, lib + u"/Trips"_s));
        QTRY_COMPARE(shownNames(libraries), QStringList{u"in.jpg"_s});
        auto* tree = qobject_cast<panes::UiPaneView*>(libraries->treeView());
        QTest::keyClick(tree, Qt::Key_F2);
        QTRY_VERIFY(tree->labelEditor());
        tree->labelEditor()->setText(u"Journeys"_s);
        QTest::keyClick(tree->labelEditor(), Qt::Key_Return);
        QVERIFY(platform::folderExists(lib + u"/Journeys"_s));
        QCOMPARE(libraries->pane().tree.selectedKey(), lib + u"/Journeys"_s);
        QCOMPARE(libraries->pane().list.item(0).key, lib + u"/Journeys/in.jpg"_s);
        QVERIFY(w.prompt.unexpected.isEmpty());
    }
};

WINDOW_TEST_MAIN(TestItemCommands)
#include "tst_itemcommands.moc"
