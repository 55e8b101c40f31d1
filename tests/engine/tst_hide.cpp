// The commands run headless on the Libraries pane's models, under a
// QGuiApplication so that the hourglass can be watched.
#include "browse/BrowseFixture.h"

#include "browse/mFileInfo.h"
#include "engine/mHide.h"
#include "mainwindow/AppState.h"
#include "platform/Paths.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace browse;
using mEncrypt::is_hidden_name;
using mEncrypt::plain_name;
using platform::PromptAnswer;

namespace {

// Stands in for the progress window: cancels once a number of items are done.
struct ScriptedProgress : mHide::BulkProgress
{
    qint64 cancelAfter = -1;
    int starts = 0;
    int finishes = 0;
    QList<qint64> steps;
    bool hourglassAtEveryStep = true;
    bool m_cancelled = false;

    void start(bool) override
    {
        ++starts;
        m_cancelled = false;
    }
    void step(qint64 done) override
    {
        steps.append(done);
        hourglassAtEveryStep &= QGuiApplication::overrideCursor() != nullptr;
        if (cancelAfter >= 0 && done >= cancelAfter)
            m_cancelled = true;
    }
    bool cancelled() const override { return m_cancelled; }
    void finish() override { ++finishes; }
};

// Every item below a folder by readable path, hidden ones marked "*".
QStringList snapshot(const QString& folder, const QString& shownAs)
{
    QStringList out;
    const auto entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& fi : entries) {
        const QString name = fi.fileName();
        const QString shown =
            shownAs + '/' + (is_hidden_name(name) ? plain_name(name) + '*' : name);
        out << shown;
        if (fi.isDir() && !fi.isSymLink())
            out << snapshot(fi.filePath(), shown);
    }
    return out;
}

// Readable path -> hidden, from a snapshot.
QMap<QString, bool> marks(const QStringList& state)
{
    QMap<QString, bool> out;
    for (QString entry : state)
        out.insert(QString(entry).remove('*'), entry.endsWith('*'));
    return out;
}

// Two Libraries and the bin, each holding plain pictures:
//   A: a/pic.jpg, a/Sub/one.jpg, a/Sub/Deep/two.jpg     B: b/three.jpg
//   bin: binned.jpg
struct HideWorld : BrowseFixture
{
    BrowsePane pane{true};
    ScriptedProgress progress;
    int cleared = 0, toolbar = 0, focused = 0;
    mHide::Context hide{
        ctx, &pane, [this] { ++cleared; }, [this] { ++toolbar; }, [this] { ++focused; }, &progress};
    QHash<QString, QByteArray> plainBytes; // readable path -> bytes

    HideWorld()
    {
        prefs.encrypt_level = 2;
        library(QStringLiteral("A"), QStringLiteral("a"));
        library(QStringLiteral("B"), QStringLiteral("b"));
        for (const char* p : {"a/pic.jpg", "a/Sub/one.jpg", "a/Sub/Deep/two.jpg", "b/three.jpg"})
            put(QString::fromLatin1(p), 40000);
        put(QStringLiteral("program/KZ Bin/binned.jpg"), 100);
    }
    void put(const QString& relative, qint64 size)
    {
        plainBytes.insert(relative, TestWorld::pattern(size, plainBytes.size() + 1));
        world.file(relative, plainBytes.value(relative));
    }
    void build() { mGetFolders::build_library_tree(ctx, pane.tree); }
    QStringList state() const
    {
        return snapshot(world.path(QStringLiteral("a")), QStringLiteral("a")) +
               snapshot(world.path(QStringLiteral("b")), QStringLiteral("b")) +
               snapshot(folders.binFolder, QStringLiteral("program/KZ Bin"));
    }
    // The node reached from "My Libraries" through these texts ("" the root).
    TreeNode* node(const QString& texts) const
    {
        TreeNode* n = pane.tree.firstRoot();
        for (const QString& t : texts.split('/', Qt::SkipEmptyParts))
            n = childByText(n, t);
        return n;
    }
    void selectNode(const QString& texts)
    {
        focus = mainwindow::kLibrariesTree;
        pane.tree.selectNode(node(texts));
    }
    // Lists a node's folder and selects the items of these texts in the list.
    void selectItems(const QString& folderTexts, const QStringList& texts)
    {
        selectNode(folderTexts);
        mFileInfo::list_folder(ctx, pane);
        focus = mainwindow::kLibrariesList;
        for (int row = 0; row < pane.list.count(); ++row)
            if (texts.contains(pane.list.item(row).text))
                pane.list.selectionModel()->select(pane.list.index(row, 0),
                                                   QItemSelectionModel::Select |
                                                       QItemSelectionModel::Rows);
    }
    // Every Library item hidden at level 2, the Libraries themselves not.
    void hideEverything()
    {
        for (const QString& lib :
             {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("program/KZ Bin")})
            hideBelow(world.path(lib));
    }
    void hideBelow(const QString& folder)
    {
        mEncrypt::Context enc{prefs, prompt};
        const auto entries = QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
        for (const QFileInfo& fi : entries) {
            if (fi.isDir())
                hideBelow(fi.filePath());
            fi.isDir() ? mEncrypt::hide_folder(fi.filePath(), enc)
                       : mEncrypt::hide_file(fi.filePath(), enc);
        }
    }
    // "" when every folder node names a folder on disk as it is now, with its
    // flag and look, and has exactly the folder's subfolders as children.
    QString treeMismatch() const
    {
        QString out;
        pane.tree.forEachNode([&](TreeNode* n) {
            if (n->image != images::folder && n->image != images::library)
                return;
            const QString name = platform::bareName(n->key);
            if (n->image == images::folder &&
                (!QFileInfo(n->key).isDir() || n->flag != is_hidden_name(name) ||
                 n->text != (n->flag ? plain_name(name) : name) ||
                 n->color != (n->flag ? prefs.color_2 : prefs.color_1)))
                out += n->key + " looks wrong; ";
            if (n->isLink)
                return; // never filled
            QStringList disk = QDir(n->key).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            QStringList shown;
            for (const auto& c : n->children)
                shown << platform::bareName(c->key);
            disk.sort();
            shown.sort();
            if (disk != shown)
                out += n->key + " children " + shown.join(',') + " vs " + disk.join(',') + "; ";
        });
        return out;
    }
    // "" when the list shows its folder as it is now.
    QString listMismatch() const
    {
        QStringList disk = QDir(pane.list.tag()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QStringList shown;
        for (const ListItem& it : pane.list.items()) {
            shown << platform::bareName(it.key);
            if (it.hidden != is_hidden_name(it.key))
                return it.key + " flag";
        }
        disk.sort();
        shown.sort();
        return disk == shown ? QString() : shown.join(',') + " vs " + disk.join(',');
    }
};

} // namespace

class TestHide : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void treeCommand_data();
    void treeCommand();
    void alreadyHiddenFolderNode_data();
    void alreadyHiddenFolderNode();
    void listSelection_data();
    void listSelection();
    void listItemLook_data();
    void listItemLook();
    void treeNodeLook();
    void nothingWithoutNodeOrInExplorer_data();
    void nothingWithoutNodeOrInExplorer();
    void clashDeepInTree_data();
    void clashDeepInTree();
    void symbolicLinks();
    void librariesAndBinNeverRenamed();
    void cancelLeavesNothingHalfDone_data();
    void cancelLeavesNothingHalfDone();
};

void TestHide::treeCommand_data()
{
    QTest::addColumn<bool>("hiding");
    QTest::addColumn<QString>("node");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("changed"); // readable paths that change state
    const QStringList sub{"a/Sub", "a/Sub/Deep", "a/Sub/Deep/two.jpg", "a/Sub/one.jpg"};
    const QStringList a = QStringList{"a/pic.jpg"} + sub;
    for (bool hiding : {true, false}) {
        const char* dir = hiding ? "hide " : "unhide ";
        auto row = [&](const char* name) -> QTestData& {
            return QTest::addRow("%s%s", dir, name) << hiding;
        };
        row("folder, No") << QString("A/Sub") << false << QStringList{"a/Sub"};
        row("folder, Yes") << QString("A/Sub") << true << sub;
        row("library, No") << QString("A") << false << QStringList{};
        row("library, Yes") << QString("A") << true << a;
        row("bin, No") << QString("Red Ovidor") << false << QStringList{};
        row("bin, Yes") << QString("Red Ovidor") << true
                        << QStringList{"program/KZ Bin/binned.jpg"};
        row("My Libraries, No") << QString() << false << QStringList{};
        row("My Libraries, Yes") << QString() << true << a + QStringList{"b/three.jpg"};
    }
}

void TestHide::treeCommand()
{
    QFETCH(bool, hiding);
    QFETCH(QString, node);
    QFETCH(bool, yes);
    QFETCH(QStringList, changed);
    HideWorld w;
    if (!hiding)
        w.hideEverything();
    const QStringList before = w.state();
    w.build();
    w.selectNode(node);
    const QString text = w.node(node)->text;
    w.prompt.answer(yes ? PromptAnswer::Yes : PromptAnswer::No);

    const mHide::BulkResult r =
        hiding ? mHide::hide_selection(w.hide) : mHide::unhide_selection(w.hide);

    QCOMPARE(w.prompt.seen.size(), 1);
    QCOMPARE(w.prompt.seen[0].text, QStringLiteral("Do you want to %1 all files within %2 ?")
                                        .arg(hiding ? "hide" : "unhide", text));
    QCOMPARE(w.prompt.seen[0].title, QStringLiteral("Cloakwell"));
    QCOMPARE(w.prompt.seen[0].buttons, platform::PromptButtons::YesNo);
    // Each changed path flips its mark; nothing else moves.
    QMap<QString, bool> expected = marks(before);
    for (const QString& path : changed)
        expected[path] = !expected.value(path);
    QCOMPARE(marks(w.state()), expected);
    QCOMPARE(r.changed, int(changed.size()));
    QCOMPARE(r.refused, 0);
    QCOMPARE(w.cleared, 1);
    QCOMPARE(w.toolbar, 1);
    QCOMPARE(w.focused, 1);
    QVERIFY2(w.treeMismatch().isEmpty(), qPrintable(w.treeMismatch()));
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(w.prompt.unexpected.isEmpty());
}

void TestHide::alreadyHiddenFolderNode_data()
{
    QTest::addColumn<bool>("hiding");
    QTest::newRow("hide in a hidden folder") << true;
    QTest::newRow("unhide in a plain folder") << false;
}

void TestHide::alreadyHiddenFolderNode()
{
    QFETCH(bool, hiding);
    HideWorld w;
    // The folder is already as the command would make it; inside, one file is
    // and one is not, and the one that is carries level 3.
    const QString sub = w.world.path(QStringLiteral("a/Sub"));
    const QString done = mEncrypt::make_hidden_name(QStringLiteral("one.jpg"), 3);
    const QString folderBefore = hiding ? w.world.path("a/" + BrowseFixture::hidden("Sub")) : sub;
    w.world.file(QStringLiteral("a/Sub/other.jpg"));
    if (hiding) {
        QVERIFY(QFile::rename(sub + "/one.jpg", sub + '/' + done));
        QVERIFY(QDir().rename(sub, folderBefore));
    } else {
        QVERIFY(
            QFile::rename(sub + "/other.jpg", sub + '/' + BrowseFixture::hidden("other.jpg", 2)));
    }
    w.build();
    w.selectNode(QStringLiteral("A/Sub"));
    w.prompt.answer(PromptAnswer::Yes);

    hiding ? mHide::hide_selection(w.hide) : mHide::unhide_selection(w.hide);

    QVERIFY(QFileInfo(folderBefore).isDir()); // kept its name
    QCOMPARE(QFileInfo::exists(folderBefore + '/' + done), hiding);
    const QString other =
        hiding ? BrowseFixture::hidden("other.jpg", 2) : QStringLiteral("other.jpg");
    QVERIFY(QFileInfo::exists(folderBefore + '/' + other));
    QVERIFY2(w.treeMismatch().isEmpty(), qPrintable(w.treeMismatch()));
    QCOMPARE(w.pane.list.tag(), folderBefore);
    QVERIFY2(w.listMismatch().isEmpty(), qPrintable(w.listMismatch()));
}

void TestHide::listSelection_data()
{
    QTest::addColumn<bool>("hiding");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<bool>("subFlipped"); // a/Sub starts as the command would leave it
    QTest::addColumn<QStringList>("changed");
    QTest::addColumn<bool>("treeRefreshed");
    const QStringList inside{"a/Sub/Deep", "a/Sub/Deep/two.jpg", "a/Sub/one.jpg"};
    for (bool hiding : {true, false}) {
        const char* dir = hiding ? "hide " : "unhide ";
        auto row = [&](const char* name) -> QTestData& {
            return QTest::addRow("%s%s", dir, name) << hiding;
        };
        row("files only") << QStringList{"pic.jpg"} << false << QStringList{"a/pic.jpg"} << false;
        row("folder") << QStringList{"Sub"} << false << inside + QStringList{"a/Sub"} << true;
        row("folder already done, walked into") << QStringList{"Sub"} << true << inside << true;
        row("file and folder") << QStringList{"pic.jpg", "Sub"} << false
                               << inside + QStringList{"a/Sub", "a/pic.jpg"} << true;
    }
}

void TestHide::listSelection()
{
    QFETCH(bool, hiding);
    QFETCH(QStringList, selected);
    QFETCH(bool, subFlipped);
    QFETCH(QStringList, changed);
    QFETCH(bool, treeRefreshed);
    HideWorld w;
    if (!hiding)
        w.hideEverything();
    const QString a = w.world.path(QStringLiteral("a"));
    if (subFlipped) {
        const QString hiddenSub = a + '/' + BrowseFixture::hidden("Sub");
        QVERIFY(hiding ? QFile::rename(a + "/Sub", hiddenSub)
                       : QFile::rename(hiddenSub, a + "/Sub"));
    }
    const QStringList before = w.state();
    w.build();
    w.selectItems(QStringLiteral("A"), selected);
    QSignalSpy inserted(&w.pane.tree, &QAbstractItemModel::rowsInserted);

    const mHide::BulkResult r =
        hiding ? mHide::hide_selection(w.hide) : mHide::unhide_selection(w.hide);

    QMap<QString, bool> expected = marks(before);
    for (const QString& path : changed)
        expected[path] = !expected.value(path);
    QCOMPARE(marks(w.state()), expected);
    QCOMPARE(r.changed, int(changed.size()));
    QCOMPARE(inserted.isEmpty(), !treeRefreshed);
    QVERIFY(w.prompt.seen.isEmpty()); // no question for the list
    QCOMPARE(w.toolbar, 1);
    QCOMPARE(w.focused, 0);
    QVERIFY2(w.treeMismatch().isEmpty(), qPrintable(w.treeMismatch()));
    // The list was not listed again: its items follow in place.
    QCOMPARE(w.pane.list.tag(), a);
    QVERIFY2(w.listMismatch().isEmpty(), qPrintable(w.listMismatch()));
}

void TestHide::listItemLook_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<short>("level");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("file, level 2") << QString("cat.jpg") << false << short(2)
                                   << QString(R"(Encrypted Name: "xzg-qkt.kz2" (Level 2))");
    QTest::newRow("file, level 3") << QString("clip.mpg") << false << short(3)
                                   << QString(R"(Encrypted Name: "xork-nkt.kz3" (Level 3))");
    QTest::newRow("folder") << QString("Trip") << true << short(3)
                            << QString(R"(Encrypted Name: "Girk.kz1" (Level 1))");
}

void TestHide::listItemLook()
{
    QFETCH(QString, name);
    QFETCH(bool, folder);
    QFETCH(short, level);
    QFETCH(QString, toolTip);
    HideWorld w;
    w.prefs.encrypt_level = level;
    w.prefs.encrypt_level_3_ext = QStringLiteral("mpg");
    const QString a = w.world.path(QStringLiteral("a"));
    folder ? w.world.folder("a/" + name) : w.world.file("a/" + name, "x");
    w.build();
    w.selectItems(QStringLiteral("A"), {});
    const int row = w.pane.list.rowOfKey(a + '/' + name);
    QVERIFY(row >= 0);

    QVERIFY(mHide::hide_list_item(row, w.hide));
    QVERIFY(!mHide::hide_list_item(row, w.hide)); // hidden already: left alone
    ListItem it = w.pane.list.item(row);
    const QString stored = toolTip.section('"', 1, 1);
    QCOMPARE(it.key, a + '/' + stored);
    QVERIFY(QFileInfo::exists(it.key));
    QCOMPARE(it.text, name);
    QVERIFY(it.hidden);
    QCOMPARE(it.toolTip, toolTip);
    QCOMPARE(it.color, w.prefs.color_2);
    QCOMPARE(it.bold, w.prefs.bold_2);

    QVERIFY(mHide::unhide_list_item(row, w.hide));
    it = w.pane.list.item(row);
    QCOMPARE(it.key, a + '/' + name);
    QVERIFY(QFileInfo::exists(it.key));
    QCOMPARE(it.text, name);
    QVERIFY(!it.hidden);
    QCOMPARE(it.toolTip, QString());
    QCOMPARE(it.color, w.prefs.color_1);
    QCOMPARE(it.bold, w.prefs.bold_1);
    QCOMPARE(w.pane.list.rowOfKey(it.key), row);
}

void TestHide::treeNodeLook()
{
    HideWorld w;
    w.build();
    TreeNode* sub = w.node(QStringLiteral("A/Sub"));
    const QString a = w.world.path(QStringLiteral("a"));
    QVERIFY(!mHide::hide_tree_node(w.node(QStringLiteral("A")), w.hide)); // a Library: never
    QVERIFY(!mHide::unhide_tree_node(sub, w.hide));                       // plain already

    QVERIFY(mHide::hide_tree_node(sub, w.hide));
    QCOMPARE(sub->key, a + '/' + BrowseFixture::hidden("Sub"));
    QVERIFY(QFileInfo(sub->key).isDir());
    QCOMPARE(w.pane.tree.nodeByKey(sub->key), sub);
    QCOMPARE(sub->text, QStringLiteral("Sub"));
    QVERIFY(sub->flag);
    QCOMPARE(sub->color, w.prefs.color_2);
    QCOMPARE(sub->bold, w.prefs.bold_2);

    QVERIFY(mHide::unhide_tree_node(sub, w.hide));
    QCOMPARE(sub->key, a + "/Sub");
    QVERIFY(!sub->flag);
    QCOMPARE(sub->color, w.prefs.color_1);
    QCOMPARE(sub->bold, w.prefs.bold_1);
    QVERIFY(w.prompt.seen.isEmpty());
}

void TestHide::nothingWithoutNodeOrInExplorer_data()
{
    QTest::addColumn<bool>("hiding");
    QTest::addColumn<short>("focus");
    QTest::addColumn<bool>("toolbar");
    for (bool hiding : {true, false}) {
        const char* dir = hiding ? "hide " : "unhide ";
        QTest::addRow("%sno node selected", dir)
            << hiding << short(mainwindow::kLibrariesTree) << false;
        QTest::addRow("%sExplorer tree", dir) << hiding << short(mainwindow::kExplorerTree) << true;
        QTest::addRow("%sExplorer list", dir) << hiding << short(mainwindow::kExplorerList) << true;
        QTest::addRow("%sno pane yet", dir) << hiding << short(mainwindow::kNoPane) << true;
    }
}

void TestHide::nothingWithoutNodeOrInExplorer()
{
    QFETCH(bool, hiding);
    QFETCH(short, focus);
    QFETCH(bool, toolbar);
    HideWorld w;
    if (!hiding)
        w.hideEverything();
    const QStringList before = w.state();
    w.build();
    // The Libraries panes hold a selection the command must not act on.
    w.selectItems(QStringLiteral("A"), {QStringLiteral("pic.jpg"), QStringLiteral("Sub")});
    if (focus == mainwindow::kLibrariesTree)
        w.pane.tree.selectNode(nullptr);
    w.focus = focus;

    const mHide::BulkResult r =
        hiding ? mHide::hide_selection(w.hide) : mHide::unhide_selection(w.hide);

    QCOMPARE(w.state(), before);
    QCOMPARE(r.done(), 0);
    QVERIFY(w.prompt.seen.isEmpty());
    QCOMPARE(w.cleared, 1);
    QCOMPARE(w.toolbar, toolbar ? 1 : 0);
    QCOMPARE(w.focused, 0);
    QCOMPARE(w.progress.starts, 0);
}

void TestHide::clashDeepInTree_data()
{
    QTest::addColumn<bool>("hiding");
    QTest::addColumn<QString>("in");      // readable folder of the name that is taken
    QTest::addColumn<QString>("blocker"); // the name taken beside the item; "/" ends a folder
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("after"); // Library A afterwards
    QTest::newRow("hide, file")
        << true << QString("a/Sub/Deep") << BrowseFixture::hidden("two.jpg", 2)
        << QString("two.jpg cannot be encrypted because the encrypted file name already exists.")
        << QString("Encrypt error")
        << QStringList{
               "a/Sub*",          "a/Sub*/Deep*", "a/Sub*/Deep*/two.jpg", "a/Sub*/Deep*/two.jpg*",
               "a/Sub*/one.jpg*", "a/pic.jpg*"};
    // The refused folder is still walked into, under its old name.
    QTest::newRow("hide, folder")
        << true << QString("a/Sub") << BrowseFixture::hidden("Deep") + '/'
        << QString("Deep cannot be encrypted because the encrypted name already exists.")
        << QString("Encrypt Error")
        << QStringList{"a/Sub*",          "a/Sub*/Deep", "a/Sub*/Deep*", "a/Sub*/Deep/two.jpg*",
                       "a/Sub*/one.jpg*", "a/pic.jpg*"};
    QTest::newRow("unhide, file")
        << false << QString("a/Sub/Deep") << QString("two.jpg")
        << QString("two.jpg cannot be decrypted because the decrypted file name already exists.")
        << QString("Decrypt Error")
        << QStringList{"a/Sub",         "a/Sub/Deep", "a/Sub/Deep/two.jpg", "a/Sub/Deep/two.jpg*",
                       "a/Sub/one.jpg", "a/pic.jpg"};
}

void TestHide::clashDeepInTree()
{
    QFETCH(bool, hiding);
    QFETCH(QString, in);
    QFETCH(QString, blocker);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QStringList, after);
    HideWorld w;
    if (!hiding)
        w.hideEverything();
    // The folder as it is on disk now, plain or hidden.
    QString folder = w.world.root();
    for (const QString& part : in.split('/')) {
        const QString plain = folder + '/' + part;
        folder = QFileInfo::exists(plain) ? plain : folder + '/' + BrowseFixture::hidden(part);
    }
    const QString taken = folder + '/' + blocker;
    blocker.endsWith('/') ? QDir().mkpath(taken) : QFile(taken).open(QIODevice::WriteOnly);
    w.build();
    w.selectNode(QStringLiteral("A"));
    w.prompt.answer(PromptAnswer::Yes).acceptMessages(1);

    const mHide::BulkResult r =
        hiding ? mHide::hide_selection(w.hide) : mHide::unhide_selection(w.hide);

    QCOMPARE(w.prompt.seen.size(), 2);
    QCOMPARE(w.prompt.seen[1].text, text);
    QCOMPARE(w.prompt.seen[1].title, title);
    QCOMPARE(w.prompt.hourglassAtPrompt, (QList<bool>{false, false}));
    QVERIFY(w.progress.hourglassAtEveryStep);
    QCOMPARE(r.refused, 1);
    QStringList libraryA = w.state().filter(QRegularExpression("^a/"));
    libraryA.sort();
    after.sort();
    QCOMPARE(libraryA, after);
    QVERIFY2(w.treeMismatch().isEmpty(), qPrintable(w.treeMismatch()));
}

void TestHide::symbolicLinks()
{
    HideWorld w;
    const QString a = w.world.path(QStringLiteral("a"));
    const QString outside = w.world.file(QStringLiteral("outside/keep.jpg"), "keep");
    QVERIFY(BrowseFixture::link(a, a + "/loop"));
    QVERIFY(BrowseFixture::link(w.world.path(QStringLiteral("outside")), a + "/out"));
    QVERIFY(BrowseFixture::link(outside, a + "/keep link.jpg"));
    w.build();
    w.selectNode(QStringLiteral("A"));
    w.prompt.answer(PromptAnswer::Yes);

    const mHide::BulkResult r = mHide::hide_selection(w.hide);

    // The links are items of the Library and get hidden names; what they
    // lead to is never touched, and the loop is not followed.
    QCOMPARE(r.changed, 8);
    for (const char* name : {"loop", "out"})
        QVERIFY(QFileInfo(a + '/' + BrowseFixture::hidden(name)).isSymLink());
    QVERIFY(QFileInfo(a + '/' + BrowseFixture::hidden("keep link.jpg")).isSymLink());
    QCOMPARE(TestWorld::readAll(outside), QByteArray("keep"));
    QVERIFY(QFileInfo::exists(a + '/' + BrowseFixture::hidden("pic.jpg", 2)));
    QVERIFY2(w.treeMismatch().isEmpty(), qPrintable(w.treeMismatch()));

    // A selected link in the list is renamed back, and not walked into either.
    w.selectItems(QStringLiteral("A"), {QStringLiteral("out"), QStringLiteral("loop")});
    QCOMPARE(mHide::unhide_selection(w.hide).changed, 2);
    QVERIFY(QFileInfo(a + "/out").isSymLink());
    QVERIFY(QFileInfo::exists(a + '/' + BrowseFixture::hidden("pic.jpg", 2)));
    QCOMPARE(TestWorld::readAll(outside), QByteArray("keep"));
    QVERIFY2(w.listMismatch().isEmpty(), qPrintable(w.listMismatch()));
}

void TestHide::librariesAndBinNeverRenamed()
{
    HideWorld w;
    // A Library inside another one, and the bin inside a Library.
    mLibraries::add_library_entry(w.store, QStringLiteral("C"), w.world.path("a/Sub/Deep"));
    mLibraries::add_library_entry(w.store, QStringLiteral("P"), w.world.path("program"));
    w.build();
    w.selectNode(QString());
    w.prompt.answer(PromptAnswer::Yes);

    mHide::hide_selection(w.hide);

    QStringList libraryA = w.state().filter(QRegularExpression("^a/"));
    libraryA.sort();
    QCOMPARE(libraryA, (QStringList{"a/Sub", "a/Sub/Deep", "a/Sub/Deep/two.jpg*", "a/Sub/one.jpg*",
                                    "a/pic.jpg*"}));
    QVERIFY(QFileInfo::exists(w.folders.binFolder + '/' + BrowseFixture::hidden("binned.jpg", 2)));
    QCOMPARE(mLibraries::read_libraries(w.store).size(), size_t(4));
    QCOMPARE(w.prompt.seen.size(), 1); // no Library went missing
}

void TestHide::cancelLeavesNothingHalfDone_data()
{
    QTest::addColumn<bool>("hiding");
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("cancelAfter");
    for (bool hiding : {true, false})
        for (const char* where : {"library", "list", "all"})
            for (int after : {1, 9, 23})
                QTest::addRow("%s %s after %d", hiding ? "hide" : "unhide", where, after)
                    << hiding << QString::fromLatin1(where) << after;
}

void TestHide::cancelLeavesNothingHalfDone()
{
    QFETCH(bool, hiding);
    QFETCH(QString, where);
    QFETCH(int, cancelAfter);
    HideWorld w;
    w.prefs.encrypt_level = 3;
    w.prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    // Files long enough for several level-3 chunks each.
    for (int f = 1; f <= 3; ++f)
        for (int i = 1; i <= 8; ++i)
            w.put(QStringLiteral("a/F%1/p%2.jpg").arg(f).arg(i), 70000 + i);
    if (!hiding)
        w.hideEverything();
    const QMap<QString, bool> before = marks(w.state());
    w.build();
    if (where == "list") {
        w.selectItems(QStringLiteral("A"), {"F1", "F2", "F3", "Sub", "pic.jpg"});
    } else {
        w.selectNode(where == "all" ? QString() : QStringLiteral("A"));
        w.prompt.answer(PromptAnswer::Yes);
    }
    w.progress.cancelAfter = cancelAfter;

    const mHide::BulkResult r =
        hiding ? mHide::hide_selection(w.hide) : mHide::unhide_selection(w.hide);

    QVERIFY(r.cancelled);
    QCOMPARE(r.done(), qint64(cancelAfter));
    QCOMPARE(w.progress.starts, 1);
    QCOMPARE(w.progress.finishes, 1);
    QCOMPARE(w.progress.steps.size(), cancelAfter);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    // Each file is whole either way: its readable name hidden with all of its
    // level's bytes inverted, or plain with exactly its own bytes.
    const QMap<QString, bool> now = marks(w.state());
    int flipped = 0;
    for (auto it = now.begin(); it != now.end(); ++it)
        flipped += it.value() != before.value(it.key());
    QCOMPARE(flipped, r.changed);
    QVERIFY(r.changed > 0);
    QStringList files;
    std::function<void(const QString&, const QString&)> check = [&](const QString& dir,
                                                                    const QString& shown) {
        for (const QFileInfo& fi :
             QDir(dir).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            const QString name = fi.fileName();
            const bool hidden = is_hidden_name(name);
            const QString readable = shown + '/' + (hidden ? plain_name(name) : name);
            if (fi.isDir()) {
                check(fi.filePath(), readable);
                continue;
            }
            QByteArray bytes = w.plainBytes.value(readable);
            QVERIFY2(!bytes.isNull(), qPrintable(readable));
            if (hidden) {
                QCOMPARE(name.right(1), QStringLiteral("3"));
                for (qint64 i = 0; i < qMin<qint64>(bytes.size(), mEncrypt::kLevel3Region); ++i)
                    bytes[i] = char(~uchar(bytes[i]));
            }
            QVERIFY2(TestWorld::readAll(fi.filePath()) == bytes, qPrintable(readable));
            files << readable;
        }
    };
    check(w.world.path(QStringLiteral("a")), QStringLiteral("a"));
    QCOMPARE(files.size(), 27);
    // The panes show what is on disk, as after a walk that ran to its end.
    QVERIFY2(w.treeMismatch().isEmpty(), qPrintable(w.treeMismatch()));
    if (where != "all")
        QVERIFY2(w.listMismatch().isEmpty(), qPrintable(w.listMismatch()));
}

QTEST_MAIN(TestHide)
#include "tst_hide.moc"
