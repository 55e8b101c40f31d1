// Cut, Copy, Paste and New Folder as a user gives them: the items a cut
// dims, where a paste may carry them (never a hidden name into the
// Explorer), what it refreshes, and folders made twice in a row.
#include "panes/PaneKit.h"
#include "panes/UiPaneView.h"

#include "engine/mEncrypt.h"
#include "mainwindow/mEditBuffer.h"
#include "mainwindow/mFileOperations.h"
#include "support/AccessOverride.h"

#include <QImage>

using mainwindow::Command;
using platform::PromptAnswer;

namespace {

QString hidden(const QString& name, short level = 1)
{
    return mEncrypt::make_hidden_name(name, level);
}

// A second Library "Holiday" beside the world's "Pictures".
QString addHoliday(MainWorld& w)
{
    w.set("Libraries", "Count", u"2"_s);
    w.set("Libraries", "name_2", u"Holiday"_s);
    const QString path = w.world.folder(u"Holiday"_s);
    w.set("Libraries", "path_2", path);
    return path;
}

bool showsImage(const QAction* action)
{
    const QImage image = action->icon().pixmap(16).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return true;
    return false;
}

bool trigger(fMain& main, const char* name)
{
    QAction* action = findAction(main, name);
    main.enable_toolbar();
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}

void saveShot(QWidget* widget, const QString& name)
{
    const QByteArray dir = qgetenv("CLOAKWELL_SHOTS");
    if (!dir.isEmpty())
        widget->grab().save(QString::fromLocal8Bit(dir) + '/' + name + u".png"_s);
}

} // namespace

class TestEditCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cutThreeFilesAndPasteInAnotherLibrary()
    {
        MainWorld w;
        const QString holiday = addHoliday(w);
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
            w.world.file(u"Pictures/"_s + QLatin1String(name), TestWorld::pattern(500, name[0]));
        w.set("Behavior", "last_path", w.world.path(u"Pictures"_s));
        auto main = loadSettled(w);
        fLibraries* lib = main->librariesWindow();
        QVERIFY(clickItem(lib, u"a.jpg"_s));
        QVERIFY(clickItem(lib, u"b.jpg"_s, Qt::ControlModifier));
        QVERIFY(clickItem(lib, u"c.jpg"_s, Qt::ControlModifier));
        QVERIFY(trigger(*main, "tb_cut"));

        auto ghosted = [&] {
            QString out;
            for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
                out += lib->pane().list.isGhosted(rowOf(lib, QLatin1String(name))) ? u'x' : u'-';
            return out;
        };
        QCOMPARE(ghosted(), u"xxx-"_s);
        QVERIFY(showsImage(main->toolbarButton(Command::Paste)));
        main->prepare_context_menu();
        QVERIFY(findAction(*main, "context_menu_paste")->isEnabled());
        QVERIFY(findAction(*main, "context_menu_cut")->isEnabled());
        saveShot(lib, u"cut-ghosted"_s);
        QVERIFY(clickItem(lib, u"d.jpg"_s));
        saveShot(lib, u"cut-ghosted-unselected"_s);
        // Still dimmed after the folder is listed again.
        lib->list_folder();
        QCOMPARE(ghosted(), u"xxx-"_s);

        QVERIFY(clickNode(lib, holiday));
        QVERIFY(trigger(*main, "tb_paste"));
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
            QCOMPARE(TestWorld::readAll(holiday + u'/' + QLatin1String(name)),
                     TestWorld::pattern(500, name[0]));
            QVERIFY(!QFileInfo::exists(w.world.path(u"Pictures/"_s + QLatin1String(name))));
        }
        QVERIFY(QFileInfo::exists(w.world.path(u"Pictures/d.jpg"_s)));
        QCOMPARE(shownNames(lib), QStringList({u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s}));
        QCOMPARE(main->state().edit_buffer_size, qint16(0));
        QVERIFY(!findAction(*main, "tb_paste")->isEnabled());
        QVERIFY(w.prompt.unexpected.isEmpty());
    }

    void escapeEndsACut()
    {
        MainWorld w;
        w.world.file(u"Pictures/a.jpg"_s);
        w.world.file(u"Pictures/b.jpg"_s);
        w.set("Behavior", "last_path", w.world.path(u"Pictures"_s));
        auto main = loadSettled(w);
        fLibraries* lib = main->librariesWindow();
        const browse::FolderListModel& list = lib->pane().list;
        QVERIFY(clickItem(lib, u"a.jpg"_s));
        QVERIFY(trigger(*main, "tb_cut"));
        // A copy after a cut ends the cut: a is no longer dimmed, b is not dimmed.
        QVERIFY(clickItem(lib, u"b.jpg"_s));
        QVERIFY(trigger(*main, "tb_copy"));
        QVERIFY(!list.isGhosted(rowOf(lib, u"a.jpg"_s)) && !list.isGhosted(rowOf(lib, u"b.jpg"_s)));
        QVERIFY(trigger(*main, "tb_cut"));
        QVERIFY(list.isGhosted(rowOf(lib, u"b.jpg"_s)));

        QTest::keyClick(lib->listView(), Qt::Key_Escape);
        QVERIFY(!list.isGhosted(rowOf(lib, u"b.jpg"_s)));
        QCOMPARE(main->state().edit_buffer_size, qint16(0));
        main->enable_toolbar();
        QVERIFY(!findAction(*main, "tb_paste")->isEnabled());
        QVERIFY(!findAction(*main, "menu_edit_paste")->isEnabled());
        QVERIFY(!showsImage(main->toolbarButton(Command::Paste)));
        QVERIFY(QFileInfo::exists(w.world.path(u"Pictures/b.jpg"_s)));
        QVERIFY(w.exits.isEmpty());
    }

    // Only a folder node can be cut or copied from a tree.
    void treeCutTakesFolderNodesOnly_data()
    {
        QTest::addColumn<bool>("libraries");
        QTest::addColumn<QString>("key"); // relative to the world, or a root's word
        QTest::addColumn<int>("buffered");
        QTest::newRow("Libraries root") << true << u"mylibraries"_s << 0;
        QTest::newRow("a Library") << true << u"Pictures"_s << 0;
        QTest::newRow("the bin") << true << u"program/KZ Bin"_s << 0;
        QTest::newRow("a folder") << true << u"Pictures/Trips"_s << 1;
        QTest::newRow("a drive") << false << u"disk/"_s << 0;
        QTest::newRow("an Explorer folder") << false << u"disk/Work"_s << 1;
    }
    void treeCutTakesFolderNodesOnly()
    {
        QFETCH(bool, libraries);
        QFETCH(QString, key);
        QFETCH(int, buffered);
        MainWorld w;
        w.world.folder(u"Pictures/Trips"_s);
        w.world.folder(u"disk/Work"_s);
        QDir().mkpath(w.folders.binFolder);
        auto main = loadSettled(w);
        panes::UiBrowserWindow* window =
            libraries ? static_cast<panes::UiBrowserWindow*>(main->librariesWindow())
                      : main->explorerWindow();
        const QString nodeKey = key == u"mylibraries"_s ? key
                                : key == u"disk/"_s     ? w.drives.front().key
                                                        : w.world.path(key);
        QVERIFY2(clickNode(window, nodeKey), qPrintable(nodeKey));
        QTRY_COMPARE(main->state().object_focus, window->treeCode());
        main->fill_edit_buffer(mainwindow::FoMove);
        QCOMPARE(int(main->state().edit_buffer_size), buffered);
        QCOMPARE(main->state().edit_buffer.size(), buffered);
        QCOMPARE(showsImage(main->toolbarButton(Command::Paste)), buffered > 0);
    }

    // What a listing's selection puts in the buffer: a hidden name is
    // marked from the Explorer too, so a paste into a Library never gives it
    // a free name (which would lose its type).
    void listSelectionInTheBuffer_data()
    {
        QTest::addColumn<int>("pane");
        QTest::addColumn<QString>("chosen");   // one letter per item: x chosen
        QTest::addColumn<QString>("expected"); // paths, then F (folders) and H (hidden)
        QTest::newRow("Libraries, plain files") << 2 << u"x-x-"_s << u"/l/a /l/c"_s;
        QTest::newRow("Libraries, a folder") << 2 << u"-x--"_s << u"/l/b F"_s;
        QTest::newRow("Libraries, hidden") << 2 << u"---x"_s << u"/l/d.kz2 H"_s;
        QTest::newRow("Explorer, hidden by name") << 4 << u"--xx"_s << u"/l/c /l/d.kz2 H"_s;
        QTest::newRow("nothing chosen") << 4 << u"----"_s << u""_s;
    }
    void listSelectionInTheBuffer()
    {
        QFETCH(int, pane);
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        browse::BrowsePane p(pane == 2);
        std::vector<browse::ListItem> items(4);
        const char* keys[] = {"/l/a", "/l/b", "/l/c", "/l/d.kz2"};
        for (int i = 0; i < 4; ++i) {
            items[size_t(i)].key = QLatin1String(keys[i]);
            items[size_t(i)].isFolder = i == 1;
            // The Explorer does not mark hidden items; the Libraries list does.
            items[size_t(i)].hidden = pane == 2 && i == 3;
        }
        p.list.setItems(std::move(items));
        for (int i = 0; i < 4; ++i)
            if (chosen[i] == u'x')
                p.list.selectionModel()->select(p.list.index(i, 0), QItemSelectionModel::Select);
        const mainwindow::BufferItems got = mainwindow::items_to_buffer(short(pane), p);
        QStringList shown = got.paths;
        if (got.hasFolders)
            shown << u"F"_s;
        if (got.hasHidden)
            shown << u"H"_s;
        QCOMPARE(shown.join(u' '), expected);
    }

    // Items carried into the Explorer: never a hidden name, at any depth.
    void explorerPasteRefusesHiddenItems_data()
    {
        QTest::addColumn<QStringList>("files"); // below the Library
        QTest::addColumn<QString>("pick");      // the name shown in the Libraries list
        QTest::addColumn<bool>("refused");
        QTest::newRow("hidden file, level 2")
            << QStringList{hidden(u"cat.jpg"_s, 2)} << u"cat.jpg"_s << true;
        QTest::newRow("hidden file, level 3")
            << QStringList{hidden(u"cat.avi"_s, 3)} << u"cat.avi"_s << true;
        QTest::newRow("hidden file three levels down")
            << QStringList{u"Trips/a/b/"_s + hidden(u"x.jpg"_s)} << u"Trips"_s << true;
        QTest::newRow("hidden folder below")
            << QStringList{u"Trips/a/"_s + hidden(u"deep"_s) + u"/x.jpg"_s} << u"Trips"_s << true;
        QTest::newRow("plain tree") << QStringList{u"Trips/a/b/x.jpg"_s} << u"Trips"_s << false;
    }
    void explorerPasteRefusesHiddenItems()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, pick);
        QFETCH(bool, refused);
        MainWorld w;
        for (const QString& f : files)
            w.world.file(u"Pictures/"_s + f, "picture");
        w.set("Behavior", "last_path", w.world.path(u"Pictures"_s));
        auto main = loadSettled(w);
        QVERIFY(clickItem(main->librariesWindow(), pick));
        QVERIFY(trigger(*main, "tb_copy"));
        QVERIFY(clickNode(main->explorerWindow(), w.desktop));
        if (refused)
            w.prompt.acceptMessages(1);
        QVERIFY(trigger(*main, "tb_paste"));
        if (refused) {
            QCOMPARE(w.prompt.lastText(),
                     u"Cloakwell has detected hidden files in your selection. Unhide all files "
                     "prior to pasting into the Explorer window."_s);
            QCOMPARE(w.prompt.lastTitle(), u"Hiden Files Detected"_s);
            QVERIFY(QDir(w.desktop).isEmpty());
        } else {
            QCOMPARE(TestWorld::readAll(w.desktop + u'/' + files.front()), QByteArray("picture"));
        }
        QCOMPARE(main->state().edit_buffer_size, qint16(0));
        QVERIFY(w.prompt.unexpected.isEmpty());
    }

    // The scan follows no link (a loop must end, a link to a hidden folder is
    // carried as a link), and a folder it cannot read is not taken for one
    // without hidden items.
    void explorerPasteScan_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("links") << false;
        QTest::newRow("unreadable folder") << true;
    }
    void explorerPasteScan()
    {
        QFETCH(bool, locked);
        MainWorld w;
        const QString trips = w.world.folder(u"Pictures/Trips"_s);
        w.world.file(u"Pictures/Trips/x.jpg"_s, "picture");
        const QString secret = w.world.folder(u"elsewhere/"_s + hidden(u"secret"_s));
        QVERIFY(QFile::link(secret, trips + u"/shortcut"_s));
        QVERIFY(QFile::link(trips, trips + u"/loop"_s));
        const QString lockedFolder = w.world.folder(u"Pictures/Trips/locked"_s);
        if (locked)
            QVERIFY(QFile::setPermissions(lockedFolder, {}));
        w.set("Behavior", "last_path", w.world.path(u"Pictures"_s));
        auto main = loadSettled(w);
        QVERIFY(clickItem(main->librariesWindow(), u"Trips"_s));
        QVERIFY(trigger(*main, "tb_copy"));
        QVERIFY(clickNode(main->explorerWindow(), w.desktop));

        WithoutAccessOverride asUser;
        if (!asUser.active())
            QSKIP("file permissions cannot be made to apply");
        if (locked)
            w.prompt.acceptMessages(1);
        QVERIFY(trigger(*main, "tb_paste"));
        if (locked) {
            QVERIFY2(w.prompt.lastText().contains(lockedFolder), qPrintable(w.prompt.lastText()));
            QVERIFY(QDir(w.desktop).isEmpty());
            QVERIFY(QFile::setPermissions(lockedFolder,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        } else {
            QVERIFY(QFileInfo(w.desktop + u"/Trips/shortcut"_s).isSymLink());
            QVERIFY(QFileInfo::exists(w.desktop + u"/Trips/x.jpg"_s));
        }
        QVERIFY(w.prompt.unexpected.isEmpty());
    }

    // A folder cut from the tree, pasted into itself, below itself, or into
    // a sibling whose name begins with its own.
    void pasteFolderNearItself_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("same folder") << u"Trips"_s << u"Source and destination are the same"_s;
        QTest::newRow("own subfolder")
            << u"Trips/Sub"_s
            << u"Cannot move selection because the source is within the destinaton"_s;
        QTest::newRow("sibling with a longer name") << u"Trips2"_s << QString();
    }
    void pasteFolderNearItself()
    {
        QFETCH(QString, target);
        QFETCH(QString, message);
        MainWorld w;
        w.world.file(u"Pictures/Trips/Sub/x.jpg"_s, "picture");
        w.world.folder(u"Pictures/Trips2"_s);
        auto main = loadSettled(w);
        fLibraries* lib = main->librariesWindow();
        QVERIFY(clickNode(lib, w.world.path(u"Pictures/Trips"_s)));
        QVERIFY(trigger(*main, "tb_cut"));
        QVERIFY(clickNode(lib, w.world.path(u"Pictures/"_s + target)));
        if (!message.isEmpty())
            w.prompt.acceptMessages(1);
        QVERIFY(trigger(*main, "tb_paste"));
        QCOMPARE(w.prompt.lastText(), message);
        const QString moved = w.world.path(u"Pictures/Trips2/Trips/Sub/x.jpg"_s);
        QCOMPARE(QFileInfo::exists(moved), message.isEmpty());
        QCOMPARE(QFileInfo::exists(w.world.path(u"Pictures/Trips/Sub/x.jpg"_s)),
                 !message.isEmpty());
        QCOMPARE(main->state().edit_buffer_size, qint16(0));
        // The tree shows the folder where it now is.
        QCOMPARE(lib->pane().tree.nodeByKey(w.world.path(u"Pictures/Trips2/Trips"_s)) != nullptr,
                 message.isEmpty());
    }

    // What a paste lists again, by where the items came from and went, and
    // whether the operation moved them.
    void pasteRefreshesWhatChanged_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("focus");
        QTest::addColumn<int>("op");
        QTest::addColumn<bool>("folders");
        QTest::addColumn<bool>("hiddenItems");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<uint>("flags");
        using namespace mainwindow;
        const uint rename = FofRenameOnCollision;
        QTest::newRow("files within the Libraries")
            << 2 << 1 << 1 << false << false << u"op LL"_s << rename;
        QTest::newRow("hidden items keep their names")
            << 2 << 1 << 1 << false << true << u"op LL"_s << 0u;
        QTest::newRow("folder within the Libraries")
            << 1 << 2 << 1 << true << true << u"op LT LL"_s << 0u;
        QTest::newRow("folders moved from the Explorer")
            << 4 << 1 << 1 << true << false << u"op LT LL ET EL"_s << rename;
        QTest::newRow("folders copied from the Explorer")
            << 3 << 2 << 2 << true << false << u"op LT LL"_s << rename;
        QTest::newRow("files moved to the Explorer")
            << 2 << 4 << 1 << false << false << u"op EL LL"_s << rename;
        QTest::newRow("files copied to the Explorer")
            << 2 << 3 << 2 << false << false << u"op EL"_s << rename;
        QTest::newRow("onto the Libraries root") << 2 << 1 << 1 << false << false << u""_s << 0u;
    }
    void pasteRefreshesWhatChanged()
    {
        QFETCH(int, source);
        QFETCH(int, focus);
        QFETCH(int, op);
        QFETCH(bool, folders);
        QFETCH(bool, hiddenItems);
        QFETCH(QString, calls);
        QFETCH(uint, flags);
        MainWorld w;
        mainwindow::AppState state(w.services());
        const bool root = calls.isEmpty();
        browse::BrowsePane libraries(true), explorer(false);
        const QString target = w.world.folder(u"target"_s);
        for (browse::BrowsePane* pane : {&libraries, &explorer}) {
            auto node = std::make_unique<browse::TreeNode>();
            node->key = root ? u"mylibraries"_s : target;
            node->image = root ? u"mylibraries"_s : u"folder"_s;
            pane->tree.selectNode(pane->tree.addNode(nullptr, std::move(node)));
        }
        state.object_focus = short(focus);
        state.edit_buffer = {w.world.path(u"gone.jpg"_s)};
        state.edit_buffer_size = 1;
        state.edit_file_op = op;
        state.edit_buffer_source = short(source);
        state.edit_buffer_has_folders = folders;
        state.edit_buffer_has_hidden = hiddenItems;

        QStringList seen;
        uint flagsGiven = 0;
        mainwindow::PasteSteps steps{state, &libraries, &explorer};
        steps.moveOrCopy = [&](std::uint32_t, const QStringList&, const QString& to,
                               std::uint16_t f) {
            seen << u"op"_s;
            flagsGiven = f;
            [&] { QCOMPARE(to, target); }();
            return mainwindow::FoCancelled; // what it did is listed all the same
        };
        steps.buildLibraryTree = [&] { seen << u"LT"_s; };
        steps.listLibraries = [&] { seen << u"LL"_s; };
        steps.buildExplorerTree = [&] { seen << u"ET"_s; };
        steps.listExplorer = [&] { seen << u"EL"_s; };
        steps.clearEditBuffer = [&] { state.empty_edit_buffer(); };
        mainwindow::paste_edit_buffer(steps);
        QCOMPARE(seen.join(u' '), calls);
        QCOMPARE(flagsGiven, flags);
        // Only the root keeps the items for a paste elsewhere.
        QCOMPARE(state.edit_buffer_size, qint16(root ? 1 : 0));
    }

    // A hidden folder copied onto one of the same name: the question comes,
    // and no answer gives a renamed copy.
    void hiddenFolderOntoItsNameIsNeverRenamed()
    {
        struct KeepBoth : mainwindow::ConflictQuestion
        {
            mainwindow::ConflictAnswer ask(const QString&, const QString&, bool allowed) override
            {
                asked << allowed;
                return {mainwindow::ConflictChoice::KeepBoth, false};
            }
            QList<bool> asked;
        } question;
        MainWorld w;
        mainwindow::AppState state(w.services());
        const QString name = hidden(u"Trips"_s);
        w.world.file(u"a/"_s + name + u"/new.jpg"_s, "new");
        w.world.file(u"b/"_s + name + u"/old.jpg"_s, "old");
        browse::BrowsePane libraries(true);
        auto node = std::make_unique<browse::TreeNode>();
        node->key = w.world.path(u"b"_s);
        node->image = u"library"_s;
        libraries.tree.selectNode(libraries.tree.addNode(nullptr, std::move(node)));
        state.object_focus = mainwindow::kLibrariesTree;
        state.edit_buffer = {w.world.path(u"a/"_s + name)};
        state.edit_buffer_size = 1;
        state.edit_file_op = mainwindow::FoCopy;
        state.edit_buffer_source = mainwindow::kLibrariesTree;
        state.edit_buffer_has_folders = state.edit_buffer_has_hidden = true;
        mainwindow::PasteSteps steps{state, &libraries, nullptr};
        steps.moveOrCopy = [&](std::uint32_t op, const QStringList& from, const QString& to,
                               std::uint16_t flags) {
            return mainwindow::move_or_copy_items(op, from, to, flags,
                                                  {w.prompt, nullptr, &question});
        };
        mainwindow::paste_edit_buffer(steps);
        QCOMPARE(question.asked, QList<bool>{false});
        QCOMPARE(QDir(w.world.path(u"b"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{name});
        QCOMPARE(TestWorld::readAll(w.world.path(u"b/"_s + name + u"/old.jpg"_s)),
                 QByteArray("old"));
    }

    // Two New Folders in a row give two folders, hidden inside a Library;
    // each is chosen with its label open for a name.
    void newFolderTwice_data()
    {
        QTest::addColumn<bool>("libraries");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("present"); // a plain folder already there
        QTest::addColumn<QStringList>("names");
        QTest::newRow("in a Library") << true << u"Pictures"_s << QString()
                                      << QStringList{u"New Folder"_s, u"New Folder (1)"_s};
        QTest::newRow("beside a plain New Folder")
            << true << u"Pictures"_s << u"New Folder"_s
            << QStringList{u"New Folder (1)"_s, u"New Folder (2)"_s};
        QTest::newRow("in the Explorer") << false << u"Desktop"_s << QString()
                                         << QStringList{u"New Folder"_s, u"New Folder (1)"_s};
    }
    void newFolderTwice()
    {
        QFETCH(bool, libraries);
        QFETCH(QString, parent);
        QFETCH(QString, present);
        QFETCH(QStringList, names);
        MainWorld w;
        if (!present.isEmpty())
            w.world.folder(parent + u'/' + present);
        auto main = loadSettled(w);
        panes::UiBrowserWindow* window =
            libraries ? static_cast<panes::UiBrowserWindow*>(main->librariesWindow())
                      : main->explorerWindow();
        const QString folder = w.world.path(parent);
        for (const QString& name : names) {
            QVERIFY(clickNode(window, folder));
            QVERIFY(trigger(*main, "tb_new_folder"));
            const QString stored = libraries ? hidden(name) : name;
            QVERIFY2(QFileInfo(folder + u'/' + stored).isDir(), qPrintable(stored));
            const browse::TreeNode* node = window->pane().tree.selectedNode();
            QVERIFY(node);
            QCOMPARE(node->key, folder + u'/' + stored);
            QCOMPARE(node->text, name);
            if (libraries)
                QVERIFY(node->flag); // hidden
            QCOMPARE(window->pane().list.tag(), node->key);
            auto* view = static_cast<panes::UiPaneView*>(window->treeView());
            QTRY_VERIFY(view->labelEditor());
            QCOMPARE(view->labelEditor()->text(), name);
            saveShot(window, u"new-folder-"_s +
                                 QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-'));
            QTest::keyClick(view->labelEditor(), Qt::Key_Escape);
        }
        QVERIFY(w.prompt.unexpected.isEmpty());
    }

    void newFolderRefusedAtRootAndBin_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("message");
        QTest::newRow("root") << u"mylibraries"_s << u"You may only create Libaries at this node"_s;
        QTest::newRow("bin") << u"bin"_s << u"You may not create folders at this node"_s;
    }
    void newFolderRefusedAtRootAndBin()
    {
        QFETCH(QString, node);
        QFETCH(QString, message);
        MainWorld w;
        QDir().mkpath(w.folders.binFolder);
        auto main = loadSettled(w);
        fLibraries* lib = main->librariesWindow();
        QVERIFY(clickNode(lib, node == u"bin"_s ? w.folders.binFolder : node));
        w.prompt.acceptMessages(1);
        main->new_folder(u"New Folder"_s);
        QCOMPARE(w.prompt.lastText(), message);
        QVERIFY(QDir(w.folders.binFolder).isEmpty());
        QCOMPARE(lib->pane().tree.selectedKey(), node == u"bin"_s ? w.folders.binFolder : node);
    }
};

WINDOW_TEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
