// Renaming tree nodes and listing items in place: the names refused, the
// names on disk (hidden items at their own level), the models afterwards,
// and a name taken between the check and the rename.
#include "support/BrowseFixture.h"

#include "browse/mFileInfo.h"
#include "engine/mRename.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QDir>
#include <QTest>
#include <cstdio>

using namespace Qt::StringLiterals;
using mRename::Outcome;

Q_DECLARE_METATYPE(mRename::Outcome)

namespace {

// A world with one Library "Pics" (folder "Pics") and the Libraries tree
// built from the table, or an Explorer-like tree over the same folder.
struct RenameWorld : BrowseFixture
{
    explicit RenameWorld(bool libraries = true) : pane(libraries)
    {
        mGetFolders::copy_icons(pane.treeIcons, base);
        mGetFolders::copy_icons(pane.listIcons, base);
        lib = library(u"Pics"_s, u"Pics"_s);
        if (libraries) {
            mLibraries::add_library_entry(store, u"Other"_s, world.folder(u"Other"_s));
            mGetFolders::build_library_tree(ctx, pane.tree);
        } else {
            auto root = std::make_unique<browse::TreeNode>();
            root->key = lib;
            root->text = u"Pics"_s;
            root->image = u"folder"_s;
            pane.tree.addNode(nullptr, std::move(root));
        }
    }
    void rebuild()
    {
        if (pane.isLibraries())
            mGetFolders::build_library_tree(ctx, pane.tree);
        else
            mGetFolders::refresh_folder_node(ctx, pane.tree, pane.tree.firstRoot(), 32000);
    }
    // Lists the folder (relative to the world) in the pane's list.
    void show(const QString& relative)
    {
        const QString key = world.path(relative);
        rebuild();
        pane.tree.selectNode(pane.tree.nodeByKey(key));
        QVERIFY2(pane.tree.selectedNode(), qPrintable(key));
        mFileInfo::list_folder(ctx, pane);
    }
    int rowOf(const QString& text) const
    {
        for (int r = 0; r < pane.list.count(); ++r)
            if (pane.list.item(r).text == text)
                return r;
        return -1;
    }
    QStringList names(const QString& relative) const
    {
        QStringList n =
            QDir(world.path(relative)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        n.sort();
        return n;
    }

    browse::BrowsePane pane;
    QString lib;
};

QString hidden(const QString& plain, short level)
{
    return mEncrypt::make_hidden_name(plain, level);
}

} // namespace

class TestRename : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { platform::faults::disarm(); }

    // Items of the Libraries list: which names are refused and what is on
    // disk afterwards. Files in the folder: "a.jpg", "b.jpg" hidden at
    // level 2, "c.jpg" hidden at level 3, the folder "Trips".
    void libraryItems_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("onDisk"); // the new name on disk; "" when nothing changed

        const QString invalid = u"Not a valid name"_s;
        const QString taken = u"That name already exists"_s;
        const QString n240 = QString(236, 'x') + u".jpg"_s;
        const QString n241 = QString(237, 'x') + u".jpg"_s;
        QTest::newRow("dots") << "a.jpg"
                              << "..." << Outcome::Refused << invalid << "";
        QTest::newRow("empty") << "a.jpg"
                               << "" << Outcome::Refused << invalid << "";
        QTest::newRow("colon") << "a.jpg"
                               << "a:b.jpg" << Outcome::Refused << invalid << "";
        QTest::newRow("241 characters") << "a.jpg" << n241 << Outcome::Refused << invalid << "";
        QTest::newRow("240 characters") << "a.jpg" << n240 << Outcome::Renamed << "" << n240;
        QTest::newRow("hidden twin at level 2") << "a.jpg"
                                                << "b.jpg" << Outcome::FocusToList << taken << "";
        QTest::newRow("plain twin of a hidden file")
            << "c.jpg"
            << "a.jpg" << Outcome::FocusToList << taken << "";
        QTest::newRow("same name") << "a.jpg"
                                   << "a.jpg" << Outcome::Unchanged << ""
                                   << "";
        // Another case is another name on this file system.
        QTest::newRow("other case") << "a.jpg"
                                    << "A.JPG" << Outcome::Renamed << ""
                                    << "A.JPG";
        QTest::newRow("hidden level 3 keeps its level")
            << "c.jpg"
            << "d.jpg" << Outcome::Renamed << "" << hidden(u"d.jpg"_s, 3);
        QTest::newRow("hidden level 2")
            << "b.jpg"
            << "e.gif" << Outcome::Renamed << "" << hidden(u"e.gif"_s, 2);
        QTest::newRow("folder") << "Trips"
                                << "Holidays" << Outcome::Renamed << ""
                                << "Holidays";
    }
    void libraryItems()
    {
        QFETCH(QString, item);
        QFETCH(QString, newName);
        QFETCH(Outcome, outcome);
        QFETCH(QString, message);
        QFETCH(QString, onDisk);

        RenameWorld w;
        w.world.file(u"Pics/a.jpg"_s, "plain");
        w.world.file(u"Pics/"_s + hidden(u"b.jpg"_s, 2), "level two");
        w.world.file(u"Pics/"_s + hidden(u"c.jpg"_s, 3), "level three");
        w.world.folder(u"Pics/Trips"_s);
        w.show(u"Pics"_s);
        const QStringList before = w.names(u"Pics"_s);
        const int row = w.rowOf(item);
        QVERIFY(row >= 0);
        const browse::ListItem old = w.pane.list.item(row);
        w.prompt.acceptMessages(message.isEmpty() ? 0 : 1);

        QCOMPARE(mRename::rename_item(w.ctx, w.pane, row, newName), outcome);
        QCOMPARE(w.prompt.lastText(), message);
        QVERIFY(w.prompt.unexpected.isEmpty());
        const browse::ListItem& now = w.pane.list.item(row);
        if (onDisk.isEmpty()) {
            QCOMPARE(w.names(u"Pics"_s), before);
            QCOMPARE(now.key, old.key);
            QCOMPARE(now.text, old.text);
            return;
        }
        QStringList expected = before;
        expected.removeOne(platform::bareName(old.key));
        expected.append(onDisk);
        expected.sort();
        QCOMPARE(w.names(u"Pics"_s), expected);
        QCOMPARE(now.key, w.world.path(u"Pics/"_s + onDisk));
        QCOMPARE(now.text, newName); // the readable name
        QCOMPARE(now.hidden, old.hidden);
        if (!old.isFolder) {
            QFile f(now.key);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(!f.readAll().isEmpty()); // the content was not touched
        }
    }

    // Tree nodes of both trees.
    void nodes_data()
    {
        QTest::addColumn<bool>("libraries");
        QTest::addColumn<QString>("node"); // relative path, or a root word
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("onDisk"); // "" when nothing changed on disk

        const QString exists = u"The name you've entered already exists"_s;
        QTest::newRow("Libraries: folder") << true << "Pics/Sub"
                                           << "Renamed"
                                           << ""
                                           << ""
                                           << "Renamed";
        QTest::newRow("Libraries: level-1 twin") << true << "Pics/Sub"
                                                 << "Twin" << exists << "Cloakwell"
                                                 << "";
        QTest::newRow("Libraries: level-2 twin does not block") << true << "Pics/Sub"
                                                                << "Deep"
                                                                << ""
                                                                << ""
                                                                << "Deep";
        QTest::newRow("Libraries: invalid") << true << "Pics/Sub"
                                            << "a|b"
                                            << "That is not a valid name"
                                            << "Cloakwell"
                                            << "";
        QTest::newRow("Libraries: root") << true << "mylibraries"
                                         << "X"
                                         << "This node cannot be renamed"
                                         << "Cloakwell"
                                         << "";
        QTest::newRow("Libraries: bin") << true << "bin"
                                        << "X"
                                        << "This node cannot be renamed"
                                        << "Cloakwell"
                                        << "";
        QTest::newRow("Explorer: folder") << false << "Pics/Sub"
                                          << "Other2"
                                          << ""
                                          << ""
                                          << "Other2";
        QTest::newRow("Explorer: taken") << false << "Pics/Sub"
                                         << "Sister" << exists << "Invalid Name"
                                         << "";
        QTest::newRow("Explorer: hidden twin does not block") << false << "Pics/Sub"
                                                              << "Twin"
                                                              << ""
                                                              << ""
                                                              << "Twin";
    }
    void nodes()
    {
        QFETCH(bool, libraries);
        QFETCH(QString, node);
        QFETCH(QString, newName);
        QFETCH(QString, message);
        QFETCH(QString, title);
        QFETCH(QString, onDisk);

        RenameWorld w(libraries);
        w.world.folder(u"Pics/Sub/Inner"_s);
        w.world.folder(u"Pics/Sister"_s);
        w.world.folder(u"Pics/"_s + hidden(u"Twin"_s, 1));
        w.world.file(u"Pics/"_s + hidden(u"Deep"_s, 2));
        w.rebuild();
        const QString key = node == u"mylibraries"_s ? node
                            : node == u"bin"_s       ? w.folders.binFolder
                                                     : w.world.path(node);
        browse::TreeNode* n = w.pane.tree.nodeByKey(key);
        QVERIFY2(n, qPrintable(key));
        w.pane.tree.selectNode(n);
        const QStringList before = w.names(u"Pics"_s);
        w.prompt.acceptMessages(message.isEmpty() ? 0 : 1);

        const Outcome outcome = mRename::rename_node(w.ctx, w.pane, n, newName);
        QCOMPARE(w.prompt.lastText(), message);
        if (!message.isEmpty())
            QCOMPARE(w.prompt.lastTitle(), title);
        if (onDisk.isEmpty()) {
            QCOMPARE(outcome, Outcome::Refused);
            QCOMPARE(w.names(u"Pics"_s), before);
            QVERIFY(w.pane.tree.nodeByKey(key));
            return;
        }
        QCOMPARE(outcome, Outcome::Renamed);
        QVERIFY(platform::folderExists(w.world.path(u"Pics/"_s + onDisk + u"/Inner"_s)));
        QVERIFY(!platform::pathExists(w.world.path(u"Pics/Sub"_s)));
        browse::TreeNode* renamed = w.pane.tree.nodeByKey(w.world.path(u"Pics/"_s + onDisk));
        QVERIFY(renamed);
        QCOMPARE(renamed->text, newName);
        // The subtree below follows the new path.
        QVERIFY(childByText(renamed, u"Inner"_s));
        QCOMPARE(childByText(renamed, u"Inner"_s)->key,
                 w.world.path(u"Pics/"_s + onDisk + u"/Inner"_s));
        QCOMPARE(w.pane.list.tag(), renamed->key);
    }

    // A Library node renames the Library in the table, never its folder; the
    // name of another Library is refused without a word.
    void libraryNode_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("text");    // the node's text afterwards
        QTest::addColumn<QString>("message"); // "" for none
        QTest::newRow("free name") << "Photos"
                                   << "Photos"
                                   << "";
        QTest::newRow("another Library's name") << "Other"
                                                << "Pics"
                                                << "";
        QTest::newRow("other case of its own") << "PICS"
                                               << "PICS"
                                               << "";
        QTest::newRow("invalid") << "a?"
                                 << "Pics"
                                 << "That is not a valid name";
    }
    void libraryNode()
    {
        QFETCH(QString, newName);
        QFETCH(QString, text);
        QFETCH(QString, message);
        RenameWorld w;
        browse::TreeNode* n = w.pane.tree.nodeByKey(w.lib);
        QVERIFY(n);
        w.prompt.acceptMessages(message.isEmpty() ? 0 : 1);
        mRename::rename_node(w.ctx, w.pane, n, newName);
        QCOMPARE(w.prompt.lastText(), message);
        QVERIFY(w.prompt.unexpected.isEmpty());
        QCOMPARE(n->text, text);
        QCOMPARE(n->key, w.lib);
        QVERIFY(platform::folderExists(w.lib));
        QStringList names;
        for (const auto& l : mLibraries::read_libraries(w.store))
            names << l.name;
        QCOMPARE(names, (QStringList{text, u"Other"_s}));
    }

    // Something takes the new name after the checks and before the rename:
    // the rename is refused and neither item is replaced.
    void nameTakenMeanwhile_data()
    {
        QTest::addColumn<bool>("node");
        QTest::newRow("list item") << false;
        QTest::newRow("tree node") << true;
    }
    void nameTakenMeanwhile()
    {
        QFETCH(bool, node);
        RenameWorld w;
        w.world.file(u"Pics/a.jpg"_s, "mine");
        w.world.folder(u"Pics/Sub"_s);
        w.show(u"Pics"_s);
        const QString intruder = w.world.path(node ? u"Pics/New"_s : u"Pics/b.jpg"_s);
        platform::faults::Plan plan;
        plan.beforeRename = [&] {
            QFile f(intruder);
            if (!f.exists() && f.open(QIODevice::WriteOnly))
                f.write("theirs");
        };
        platform::faults::arm(plan);
        w.prompt.acceptMessages(1);
        if (node) {
            w.pane.tree.selectNode(w.pane.tree.nodeByKey(w.world.path(u"Pics/Sub"_s)));
            QCOMPARE(mRename::rename_node(w.ctx, w.pane, w.pane.tree.selectedNode(), u"New"_s),
                     Outcome::Refused);
            QCOMPARE(w.prompt.lastText(), u"The name you've entered already exists"_s);
            QVERIFY(platform::folderExists(w.world.path(u"Pics/Sub"_s)));
        } else {
            QCOMPARE(mRename::rename_item(w.ctx, w.pane, w.rowOf(u"a.jpg"_s), u"b.jpg"_s),
                     Outcome::FocusToList);
            QCOMPARE(w.prompt.lastText(), u"That name already exists"_s);
            QFile mine(w.world.path(u"Pics/a.jpg"_s));
            QVERIFY(mine.open(QIODevice::ReadOnly));
            QCOMPARE(mine.readAll(), QByteArray("mine"));
        }
        QFile theirs(intruder);
        QVERIFY(theirs.open(QIODevice::ReadOnly));
        QCOMPARE(theirs.readAll(), QByteArray("theirs"));
    }

    // A name that is not valid text is never renamed through its lossy
    // decoding; a rename the system refuses is reported as such.
    void refusedBySystem()
    {
        RenameWorld w;
        const QByteArray raw = QFile::encodeName(w.world.path(u"Pics"_s)) + "/bad\xff.jpg";
        {
            FILE* f = std::fopen(raw.constData(), "w");
            QVERIFY(f);
            std::fclose(f);
        }
        w.world.file(u"Pics/ok.jpg"_s);
        w.show(u"Pics"_s);
        int badRow = -1;
        for (int r = 0; r < w.pane.list.count(); ++r)
            if (w.pane.list.item(r).text != u"ok.jpg"_s)
                badRow = r;
        QVERIFY(badRow >= 0);
        w.prompt.acceptMessages(2);
        QCOMPARE(mRename::rename_item(w.ctx, w.pane, badRow, u"fine.jpg"_s), Outcome::FocusToList);
        QVERIFY(w.prompt.lastText().contains(u"not valid text"_s));
        QCOMPARE(::access(raw.constData(), F_OK), 0);
        QCOMPARE(::unlink(raw.constData()), 0); // the world cannot remove it by name

        platform::faults::Plan plan;
        plan.failRename = 1;
        platform::faults::arm(plan);
        QCOMPARE(mRename::rename_item(w.ctx, w.pane, w.rowOf(u"ok.jpg"_s), u"new.jpg"_s),
                 Outcome::FocusToList);
        QVERIFY(w.prompt.lastText().startsWith(u"This object may be in use by the desktop"_s));
        QVERIFY(platform::fileExists(w.world.path(u"Pics/ok.jpg"_s)));
        QVERIFY(w.prompt.unexpected.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRename)
#include "tst_rename.moc"
