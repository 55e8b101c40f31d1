// The Hide and Unhide commands on the focused pane: questions, what is
// renamed, and how the nodes and items follow.
#include "HideWorld.h"

#include <QSignalSpy>

class TestHide : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void command_data();
    void command();
    void alreadyHiddenFolderNode_data();
    void alreadyHiddenFolderNode();
    void listItemLook_data();
    void listItemLook();
    void nothingWithoutNodeOrInExplorer_data();
    void nothingWithoutNodeOrInExplorer();
};

void TestHide::command_data()
{
    QTest::addColumn<bool>("hiding");
    QTest::addColumn<QString>("node");        // the node selected for a tree command
    QTest::addColumn<bool>("yes");            // the answer to its question
    QTest::addColumn<QStringList>("items");   // else the items selected in A's list
    QTest::addColumn<bool>("subFlipped");     // a/Sub starts as the command would leave it
    QTest::addColumn<QStringList>("changed"); // readable paths that change state
    QTest::addColumn<bool>("treeRefreshed");  // after a list command
    const QStringList inside{"a/Sub/Deep", "a/Sub/Deep/two.jpg", "a/Sub/one.jpg"};
    const QStringList sub = QStringList{"a/Sub"} + inside;
    const QStringList a = QStringList{"a/pic.jpg"} + sub;
    for (bool hiding : {true, false}) {
        const char* dir = hiding ? "hide" : "unhide";
        auto tree = [&](const char* name, const char* node, bool yes, const QStringList& changed) {
            QTest::addRow("%s %s, %s", dir, name, yes ? "Yes" : "No")
                << hiding << QString(node) << yes << QStringList{} << false << changed << false;
        };
        auto list = [&](const char* name, const QStringList& items, bool subFlipped,
                        const QStringList& changed, bool refreshed) {
            QTest::addRow("%s list %s", dir, name)
                << hiding << QString() << false << items << subFlipped << changed << refreshed;
        };
        tree("folder", "A/Sub", false, {"a/Sub"});
        tree("folder", "A/Sub", true, sub);
        tree("library", "A", false, {});
        tree("library", "A", true, a);
        tree("bin", "Red Ovidor", false, {});
        tree("bin", "Red Ovidor", true, {"program/KZ Bin/binned.jpg"});
        tree("My Libraries", "", false, {});
        tree("My Libraries", "", true, a + QStringList{"b/three.jpg"});
        list("files only", {"pic.jpg"}, false, {"a/pic.jpg"}, false);
        list("folder", {"Sub"}, false, sub, true);
        list("folder already done, walked into", {"Sub"}, true, inside, true);
        list("file and folder", {"pic.jpg", "Sub"}, false, a, true);
    }
}

void TestHide::command()
{
    QFETCH(bool, hiding);
    QFETCH(QString, node);
    QFETCH(bool, yes);
    QFETCH(QStringList, items);
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
    const bool onTree = items.isEmpty();
    if (onTree) {
        w.selectNode(node);
        w.prompt.answer(yes ? PromptAnswer::Yes : PromptAnswer::No);
    } else {
        w.selectItems(QStringLiteral("A"), items);
    }
    const QString text = onTree ? w.node(node)->text : QString();
    QSignalSpy inserted(&w.pane.tree, &QAbstractItemModel::rowsInserted);

    const mHide::BulkResult r = w.run(hiding);

    // Each changed path flips its mark; nothing else moves.
    QCOMPARE(marks(w.state()), flipped(before, changed));
    QCOMPARE(r.changed, int(changed.size()));
    QCOMPARE(r.refused, 0);
    QCOMPARE(w.toolbar, 1);
    QVERIFY2(w.treeMismatch().isEmpty(), qPrintable(w.treeMismatch()));
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(w.prompt.unexpected.isEmpty());
    if (onTree) {
        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.seen[0].text, QStringLiteral("Do you want to %1 all files within %2 ?")
                                            .arg(hiding ? "hide" : "unhide", text));
        QCOMPARE(w.prompt.seen[0].title, QStringLiteral("Cloakwell"));
        QCOMPARE(w.prompt.seen[0].buttons, platform::PromptButtons::YesNo);
        QCOMPARE(w.cleared, 1);
        QCOMPARE(w.focused, 1);
    } else {
        QVERIFY(w.prompt.seen.isEmpty()); // no question for the list
        QCOMPARE(w.focused, 0);
        QCOMPARE(inserted.isEmpty(), !treeRefreshed);
        // The list was not listed again: its items follow in place.
        QCOMPARE(w.pane.list.tag(), a);
        QVERIFY2(w.listMismatch().isEmpty(), qPrintable(w.listMismatch()));
    }
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

    w.run(hiding);

    QVERIFY(QFileInfo(folderBefore).isDir()); // kept its name
    QCOMPARE(QFileInfo::exists(folderBefore + '/' + done), hiding);
    const QString other =
        hiding ? BrowseFixture::hidden("other.jpg", 2) : QStringLiteral("other.jpg");
    QVERIFY(QFileInfo::exists(folderBefore + '/' + other));
    QVERIFY2(w.treeMismatch().isEmpty(), qPrintable(w.treeMismatch()));
    QCOMPARE(w.pane.list.tag(), folderBefore);
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

    for (bool hidden : {true, false}) {
        QVERIFY(hidden ? mHide::hide_list_item(row, w.hide) : mHide::unhide_list_item(row, w.hide));
        if (hidden)
            QVERIFY(!mHide::hide_list_item(row, w.hide)); // hidden already: left alone
        const ListItem it = w.pane.list.item(row);
        QCOMPARE(it.key, a + '/' + (hidden ? toolTip.section('"', 1, 1) : name));
        QVERIFY(QFileInfo::exists(it.key));
        QCOMPARE(w.pane.list.rowOfKey(it.key), row);
        QCOMPARE(it.text, name);
        QCOMPARE(it.hidden, hidden);
        QCOMPARE(it.toolTip, hidden ? toolTip : QString());
        QCOMPARE(it.color, hidden ? w.prefs.color_2 : w.prefs.color_1);
        QCOMPARE(it.bold, hidden ? w.prefs.bold_2 : w.prefs.bold_1);
    }
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

    const mHide::BulkResult r = w.run(hiding);

    QCOMPARE(w.state(), before);
    QCOMPARE(r.done(), 0);
    QVERIFY(w.prompt.seen.isEmpty());
    QCOMPARE(w.cleared, 1);
    QCOMPARE(w.toolbar, toolbar ? 1 : 0);
    QCOMPARE(w.focused, 0);
    QCOMPARE(w.progress.starts, 0);
}

QTEST_MAIN(TestHide)
#include "tst_hide.moc"
