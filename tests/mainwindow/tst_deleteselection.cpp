// The Delete command on each of the four panes, on the pane models: Library
// items into the bin under their stored names (a clash there asks, never
// replaces silently), the bin's items away for good after the operation's own
// confirmation, Explorer items into the desktop's trash, and nothing at all
// for the roots and the bin node.
#include "mainwindow/mDeleteSelection.h"

#include "browse/mFileInfo.h"
#include "browse/mGetFolders.h"
#include "mainwindow/AppState.h"
#include "mainwindow/mFileOperations.h"
#include "platform/FileSystem.h"
#include "support/BrowseFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;
using platform::PromptAnswer;
using namespace mainwindow;

namespace {

const QString kConfirm = u"Confirm Delete"_s;
const QString kToBin = u"Are you sure you want to send the selected items to the Red Ovidor bin?"_s;

// The Library "Pictures" on the Desktop: beach.jpg and zoo.jpg plain, cat.jpg
// hidden at level 2, the folder Trips hidden with a hidden file in it, the
// folder Plain. The Desktop also holds Old (a folder) and note.txt.
struct DeleteWorld : BrowseFixture
{
    DeleteWorld()
    {
        lib = library(u"Pictures"_s, u"Desktop/Pictures"_s);
        world.file(u"Desktop/Pictures/beach.jpg"_s, TestWorld::pattern(4000, 1));
        world.file(u"Desktop/Pictures/zoo.jpg"_s, TestWorld::pattern(4000, 2));
        world.file(u"Desktop/Pictures/xzg-qkt.kz2"_s, TestWorld::pattern(4000, 3));
        world.file(u"Desktop/Pictures/Girkh.kz1/ilnv-qkt.kz2"_s, TestWorld::pattern(4000, 4));
        world.file(u"Desktop/Pictures/Plain/a.jpg"_s, TestWorld::pattern(100, 5));
        desktop = world.path(u"Desktop"_s);
        world.file(u"Desktop/Old/inside.txt"_s, "inside");
        world.file(u"Desktop/note.txt"_s, "note");
        // The trash is the test run's own; each test starts with it empty.
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Trash"_s)
            .removeRecursively();
        mGetFolders::build_library_tree(ctx, libraries.tree);
        mGetFolders::initialize_TreeView(ctx, explorer.tree, desktop, QString(), {});
        mGetFolders::fill_folder_node(ctx, explorer.tree, desktop, 1);

        dctx.fileOperation = [this](std::uint32_t op, const QStringList& sources,
                                    const QString& target, std::uint16_t flags) {
            operations << op;
            const FileOperationServices services{prompt};
            return move_or_copy_items(op, sources, target, flags, services);
        };
        dctx.deleteLibrary = [this] { ++libraryWindows; };
        dctx.listFolder = [this](bool inLibraries) {
            mFileInfo::list_folder(ctx, inLibraries ? libraries : explorer);
        };
        dctx.focusTree = [this](bool inLibraries) { focusedTrees << inLibraries; };
    }

    browse::BrowsePane& paneOf(short pane) { return pane <= kLibrariesList ? libraries : explorer; }
    // Chooses the node and lists it, then selects the list's items of these
    // texts; the focus goes to the pane given.
    void choose(short pane, const QString& key, const QStringList& texts = {})
    {
        browse::BrowsePane& p = paneOf(pane);
        p.tree.selectNode(p.tree.nodeByKey(key));
        focus = pane <= kLibrariesList ? kLibrariesTree : kExplorerTree;
        mFileInfo::list_folder(ctx, p);
        focus = pane;
        for (int row = 0; row < p.list.count(); ++row)
            if (texts.contains(p.list.item(row).text))
                p.list.selectionModel()->select(
                    p.list.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QStringList shown(short pane)
    {
        QStringList out;
        for (const browse::ListItem& item : paneOf(pane).list.items())
            out << item.text;
        return out;
    }
    QStringList chosen(short pane)
    {
        QStringList out;
        const browse::FolderListModel& list = paneOf(pane).list;
        const std::vector<bool> rows = list.selectedRowFlags();
        for (int row = 0; row < list.count(); ++row)
            if (rows[static_cast<size_t>(row)])
                out << list.item(row).text;
        return out;
    }
    QStringList binContent() const
    {
        return QDir(folders.binFolder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    static QString trashFiles()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               u"/Trash/files"_s;
    }
    DeleteOutcome run() { return delete_selection(dctx); }

    QString lib;
    QString desktop;
    browse::BrowsePane libraries{true};
    browse::BrowsePane explorer{false};
    DeleteContext dctx{ctx, &libraries, &explorer, {}};
    QList<std::uint32_t> operations;
    QList<bool> focusedTrees;
    int libraryWindows = 0;
};

} // namespace

class TestDeleteSelection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Library items go into the bin moved, under the names they have, after
    // the program's question; a "No" leaves everything. The bin is made when
    // it is missing.
    void listIntoTheBin_data()
    {
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<bool>("binMissing");
        QTest::newRow("yes") << PromptAnswer::Yes << false;
        QTest::newRow("yes, the bin missing") << PromptAnswer::Yes << true;
        QTest::newRow("no") << PromptAnswer::No << false;
    }
    void listIntoTheBin()
    {
        QFETCH(PromptAnswer, answer);
        QFETCH(bool, binMissing);
        DeleteWorld w;
        if (binMissing)
            QVERIFY(QDir(w.folders.binFolder).removeRecursively());
        w.choose(kLibrariesList, w.lib, {u"beach.jpg"_s, u"cat.jpg"_s, u"Trips"_s});
        // The Explorer shows the same folder: it follows.
        w.choose(kExplorerList, w.lib);
        w.focus = kLibrariesList;
        w.prompt.answer(answer);
        const DeleteOutcome out = w.run();

        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.seen[0].text, kToBin);
        QCOMPARE(w.prompt.seen[0].title, kConfirm);
        QCOMPARE(w.prompt.seen[0].buttons, platform::PromptButtons::YesNo);
        const bool yes = answer == PromptAnswer::Yes;
        QCOMPARE(out.acted, yes);
        if (!yes) {
            QCOMPARE(w.operations.size(), 0);
            QCOMPARE(w.shown(kLibrariesList),
                     (QStringList{"Plain", "Trips", "beach.jpg", "cat.jpg", "zoo.jpg"}));
            QVERIFY(QFileInfo::exists(w.lib + u"/xzg-qkt.kz2"_s));
            return;
        }
        // Stored names kept: hidden items stay hidden, bytes unchanged.
        QCOMPARE(w.binContent(), (QStringList{"Girkh.kz1", "beach.jpg", "xzg-qkt.kz2"}));
        const QString bin = w.folders.binFolder;
        QCOMPARE(TestWorld::readAll(bin + u"/xzg-qkt.kz2"_s), TestWorld::pattern(4000, 3));
        QCOMPARE(TestWorld::readAll(bin + u"/Girkh.kz1/ilnv-qkt.kz2"_s),
                 TestWorld::pattern(4000, 4));
        QCOMPARE(w.operations, QList<std::uint32_t>{FoMove});
        // The list and the tree follow; the next item is chosen.
        QCOMPARE(w.shown(kLibrariesList), (QStringList{"Plain", "zoo.jpg"}));
        QCOMPARE(w.chosen(kLibrariesList), QStringList{"zoo.jpg"});
        QVERIFY(!w.libraries.tree.nodeByKey(w.lib + u"/Girkh.kz1"_s));
        QVERIFY(w.libraries.tree.nodeByKey(w.lib + u"/Plain"_s));
        QCOMPARE(w.shown(kExplorerList), (QStringList{"Plain", "zoo.jpg"}));
        QVERIFY(!w.explorer.tree.nodeByKey(w.lib + u"/Girkh.kz1"_s));
        QVERIFY(w.prompt.unexpected.isEmpty());
    }

    // A name the bin already holds asks; never a renamed copy, never a silent
    // replacement. Skipped or cancelled, the item stays, listed and chosen.
    void clashInTheBin_data()
    {
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("replace") << PromptAnswer::Yes << true;
        QTest::newRow("skip") << PromptAnswer::No << false;
        QTest::newRow("cancel") << PromptAnswer::Cancel << false;
    }
    void clashInTheBin()
    {
        QFETCH(PromptAnswer, answer);
        QFETCH(bool, replaced);
        DeleteWorld w;
        w.world.file(u"program/KZ Bin/xzg-qkt.kz2"_s, "an older cat");
        w.choose(kLibrariesList, w.lib, {u"cat.jpg"_s});
        w.prompt.answer(PromptAnswer::Yes).answer(answer);
        w.run();

        QCOMPARE(w.prompt.seen.size(), 2);
        QCOMPARE(w.prompt.seen[1].title, u"Confirm Replace"_s);
        QVERIFY(w.prompt.seen[1].text.contains(u"\"xzg-qkt.kz2\""_s));
        QCOMPARE(w.binContent(), QStringList{u"xzg-qkt.kz2"_s});
        QCOMPARE(TestWorld::readAll(w.folders.binFolder + u"/xzg-qkt.kz2"_s),
                 replaced ? TestWorld::pattern(4000, 3) : QByteArray("an older cat"));
        QCOMPARE(QFileInfo::exists(w.lib + u"/xzg-qkt.kz2"_s), !replaced);
        QCOMPARE(w.shown(kLibrariesList).contains(u"cat.jpg"_s), !replaced);
        QCOMPARE(w.chosen(kLibrariesList),
                 replaced ? QStringList{u"zoo.jpg"_s} : QStringList{u"cat.jpg"_s});
    }

    // With the bin shown, items go for good after the operation's one
    // confirmation; the program asks nothing of its own.
    void binShownDeletesForGood_data()
    {
        QTest::addColumn<PromptAnswer>("answer");
        QTest::newRow("yes") << PromptAnswer::Yes;
        QTest::newRow("no") << PromptAnswer::No;
    }
    void binShownDeletesForGood()
    {
        QFETCH(PromptAnswer, answer);
        DeleteWorld w;
        w.world.file(u"program/KZ Bin/xzg-qkt.kz2"_s, "cat");
        w.world.file(u"program/KZ Bin/Girkh.kz1/ilnv-qkt.kz2"_s, "rome");
        w.world.file(u"program/KZ Bin/keep.jpg"_s, "keep");
        w.choose(kLibrariesList, w.folders.binFolder, {u"cat.jpg"_s, u"Trips"_s});
        QCOMPARE(w.chosen(kLibrariesList), (QStringList{"Trips", "cat.jpg"}));
        w.prompt.answer(answer);
        w.run();
        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.lastText(), u"Permanently delete these 2 items?"_s);
        QCOMPARE(w.operations, QList<std::uint32_t>{FoDelete});
        const bool yes = answer == PromptAnswer::Yes;
        QCOMPARE(w.binContent(), yes ? QStringList{u"keep.jpg"_s}
                                     : (QStringList{"Girkh.kz1", "keep.jpg", "xzg-qkt.kz2"}));
        QCOMPARE(w.shown(kLibrariesList),
                 yes ? QStringList{u"keep.jpg"_s} : (QStringList{"Trips", "cat.jpg", "keep.jpg"}));
        // Nothing of it reached the desktop's trash.
        QVERIFY(!QFileInfo::exists(DeleteWorld::trashFiles() + u"/xzg-qkt.kz2"_s));
    }

    // Roots, the bin node, drives and special folders are never deleted from a
    // tree, and a list whose tree shows "My Libraries" deletes nothing.
    void nothingHappens_data()
    {
        QTest::addColumn<short>("pane");
        QTest::addColumn<QString>("node"); // {bin}, {desktop}, {disk} or a root key
        QTest::newRow("My Libraries") << short(kLibrariesTree) << u"mylibraries"_s;
        QTest::newRow("the bin node") << short(kLibrariesTree) << u"{bin}"_s;
        QTest::newRow("list under My Libraries") << short(kLibrariesList) << u"mylibraries"_s;
        QTest::newRow("My Computer") << short(kExplorerTree) << u"mycomputer"_s;
        QTest::newRow("Desktop") << short(kExplorerTree) << u"{desktop}"_s;
        QTest::newRow("no pane") << short(kNoPane) << u"mylibraries"_s;
    }
    void nothingHappens()
    {
        QFETCH(short, pane);
        QFETCH(QString, node);
        DeleteWorld w;
        node.replace(u"{bin}"_s, w.folders.binFolder).replace(u"{desktop}"_s, w.desktop);
        // The list still shows the Library's items, chosen.
        w.choose(kLibrariesList, w.lib, {u"beach.jpg"_s});
        browse::BrowsePane& p = w.paneOf(pane == kNoPane ? short(kLibrariesTree) : pane);
        p.tree.selectNode(p.tree.nodeByKey(node));
        QVERIFY(p.tree.selectedNode());
        w.focus = pane;
        const DeleteOutcome out = w.run();
        QVERIFY(!out.acted);
        QVERIFY(w.prompt.seen.isEmpty());
        QVERIFY(w.operations.isEmpty());
        QCOMPARE(w.libraryWindows, 0);
        QVERIFY(QFileInfo::exists(w.lib + u"/beach.jpg"_s));
        QVERIFY(QFileInfo::exists(w.desktop + u"/note.txt"_s));
    }

    // A folder node of a Library: asked, moved with its hidden name, its
    // node gone, the Library chosen and listed, the tree keeps the focus.
    void treeFolderIntoTheBin_data()
    {
        QTest::addColumn<PromptAnswer>("answer");
        QTest::newRow("yes") << PromptAnswer::Yes;
        QTest::newRow("no") << PromptAnswer::No;
    }
    void treeFolderIntoTheBin()
    {
        QFETCH(PromptAnswer, answer);
        DeleteWorld w;
        const QString trips = w.lib + u"/Girkh.kz1"_s;
        w.choose(kLibrariesTree, trips);
        w.prompt.answer(answer);
        w.run();
        QCOMPARE(w.prompt.lastText(),
                 u"Are you sure you want to send this folder to the Red Ovidor bin?"_s);
        QCOMPARE(w.prompt.lastTitle(), kConfirm);
        const bool yes = answer == PromptAnswer::Yes;
        QCOMPARE(QFileInfo::exists(trips), !yes);
        QCOMPARE(QFileInfo::exists(w.folders.binFolder + u"/Girkh.kz1/ilnv-qkt.kz2"_s), yes);
        QCOMPARE(bool(w.libraries.tree.nodeByKey(trips)), !yes);
        QCOMPARE(w.libraries.tree.selectedKey(), yes ? w.lib : trips);
        if (yes) {
            QCOMPARE(w.libraries.list.tag(), w.lib);
            QCOMPARE(w.focusedTrees, QList<bool>{true});
        }
    }

    // The Explorer's items go into the desktop's trash (the test's own),
    // after the question; never into the bin.
    void explorerToTheTrash_data()
    {
        QTest::addColumn<short>("pane");
        QTest::addColumn<QStringList>("chosen"); // list items; for the tree the node "Old"
        QTest::addColumn<QString>("question");
        QTest::addColumn<PromptAnswer>("answer");
        const QString one = u"Are you sure you want to move this folder to the trash?"_s;
        QTest::newRow("tree folder")
            << short(kExplorerTree) << QStringList{} << one << PromptAnswer::Yes;
        QTest::newRow("tree folder, no")
            << short(kExplorerTree) << QStringList{} << one << PromptAnswer::No;
        QTest::newRow("one file") << short(kExplorerList) << QStringList{u"note.txt"_s}
                                  << u"Are you sure you want to move 'note.txt' to the trash?"_s
                                  << PromptAnswer::Yes;
        QTest::newRow("two items")
            << short(kExplorerList) << QStringList{"Old", "note.txt"}
            << u"Are you sure you want to move these 2 items to the trash?"_s << PromptAnswer::Yes;
    }
    void explorerToTheTrash()
    {
        QFETCH(short, pane);
        QFETCH(QStringList, chosen);
        QFETCH(QString, question);
        QFETCH(PromptAnswer, answer);
        DeleteWorld w;
        const QString old = w.desktop + u"/Old"_s;
        if (pane == kExplorerTree)
            w.choose(kExplorerTree, old);
        else
            w.choose(kExplorerList, w.desktop, chosen);
        w.prompt.answer(answer);
        w.run();
        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.lastText(), question);
        QCOMPARE(w.prompt.lastTitle(), kConfirm);
        const QStringList gone = pane == kExplorerTree ? QStringList{u"Old"_s} : chosen;
        const bool yes = answer == PromptAnswer::Yes;
        for (const QString& name : gone) {
            QCOMPARE(QFileInfo::exists(w.desktop + u'/' + name), !yes);
            QCOMPARE(QFileInfo::exists(DeleteWorld::trashFiles() + u'/' + name), yes);
        }
        QVERIFY(w.binContent().isEmpty());
        // The folder's node goes with it, from either pane.
        QCOMPARE(bool(w.explorer.tree.nodeByKey(old)), !(yes && gone.contains(u"Old"_s)));
        if (pane == kExplorerList) {
            QStringList left{"Old", "Pictures", "note.txt"};
            if (yes)
                for (const QString& name : gone)
                    left.removeOne(name);
            QCOMPARE(w.shown(kExplorerList), left);
        }
    }
};

QTEST_MAIN(TestDeleteSelection)
#include "tst_deleteselection.moc"
