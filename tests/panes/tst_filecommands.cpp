// Open, Hide and Unhide from the windows, as a user starts them: toolbar
// buttons, the File menu, double clicks and Enter.
#include "panes/PaneKit.h"

#include "engine/mEncrypt.h"
#include "settings/Preferences.h"

#include <QTreeView>

using platform::PromptAnswer;

class TestFileCommands : public QObject
{
    Q_OBJECT
private:
    // The Library "Pictures" with two pictures and a folder, listed.
    static std::unique_ptr<fMain> loadListed(MainWorld& w)
    {
        w.world.file(u"Pictures/beach.jpg"_s, TestWorld::pattern(3000, 1));
        w.world.file(u"Pictures/cat.jpg"_s, TestWorld::pattern(3000, 2));
        w.world.file(u"Pictures/Trips/rome.jpg"_s, TestWorld::pattern(3000, 3));
        w.world.folder(u"Pictures/Zoo"_s);
        w.set("Behavior", "last_path", w.world.path(u"Pictures"_s));
        w.set("Behavior", "encrypt_level", u"2"_s);
        w.launcher.associate(u"image/jpeg"_s, RecordingLauncher::app(u"/usr/bin/viewer"_s));
        return loadSettled(w);
    }

private Q_SLOTS:
    void hideAndUnhideFromTheToolbar()
    {
        MainWorld w;
        auto main = loadListed(w);
        fLibraries* window = main->librariesWindow();
        QVERIFY(clickItem(window, u"cat.jpg"_s));
        QVERIFY(clickItem(window, u"Trips"_s, Qt::ControlModifier));
        QAction* hide = findAction(*main, "tb_hide");
        QTRY_VERIFY(hide->isEnabled());
        hide->trigger();

        // On disk: the file hidden at level 2, the folder and what is in it hidden.
        const QString lib = w.world.path(u"Pictures"_s);
        QVERIFY(QFileInfo::exists(lib + u"/xzg-qkt.kz2"_s));
        QVERIFY(QFileInfo::exists(lib + u"/Girkh.kz1/ilnv-qkt.kz2"_s));
        QVERIFY(QFileInfo::exists(lib + u"/beach.jpg"_s));
        // In the list: the readable name, marked as hidden, with its tooltip.
        const auto& item = window->pane().list.item(rowOf(window, u"cat.jpg"_s));
        QVERIFY(item.hidden);
        QCOMPARE(item.toolTip, u"Encrypted Name: \"xzg-qkt.kz2\" (Level 2)"_s);
        QCOMPARE(item.color, main->state().prefs.color_2);
        // The tree follows the renamed folder.
        QVERIFY(window->pane().tree.nodeByKey(lib + u"/Girkh.kz1"_s));
        QVERIFY(w.prompt.unexpected.isEmpty());

        // Unhide from the File menu gives back the very bytes.
        QVERIFY(clickItem(window, u"cat.jpg"_s));
        QAction* unhide = findAction(*main, "menu_file_unhide");
        main->update_menu_states();
        QVERIFY(unhide->isEnabled());
        unhide->trigger();
        QCOMPARE(TestWorld::readAll(lib + u"/cat.jpg"_s), TestWorld::pattern(3000, 2));
        QVERIFY(!window->pane().list.item(rowOf(window, u"cat.jpg"_s)).hidden);
    }

    void treeHideAsksFirst()
    {
        MainWorld w;
        auto main = loadListed(w);
        fLibraries* window = main->librariesWindow();
        const QString trips = w.world.path(u"Pictures/Trips"_s);
        QVERIFY(clickNode(window, trips));
        QTRY_COMPARE(main->state().object_focus, short(mainwindow::kLibrariesTree));
        // No: the folder itself is hidden, nothing inside it.
        w.prompt.answer(PromptAnswer::No);
        findAction(*main, "tb_hide")->trigger();
        QCOMPARE(w.prompt.lastText(), u"Do you want to hide all files within Trips ?"_s);
        QCOMPARE(w.prompt.seen.back().buttons, platform::PromptButtons::YesNo);
        const QString hidden = w.world.path(u"Pictures/Girkh.kz1"_s);
        QVERIFY(QFileInfo::exists(hidden + u"/rome.jpg"_s));
        QVERIFY(window->pane().tree.nodeByKey(hidden));
        QVERIFY(window->treeView()->hasFocus());
    }

    void doubleClickOpensAHiddenPictureFromACopy()
    {
        MainWorld w;
        auto main = loadListed(w);
        fLibraries* window = main->librariesWindow();
        mEncrypt::Context enc{main->state().prefs, w.prompt};
        const QString lib = w.world.path(u"Pictures"_s);
        QCOMPARE(mEncrypt::hide_file(lib + u"/cat.jpg"_s, enc), u"xzg-qkt.kz2"_s);
        main->state().object_focus = mainwindow::kLibrariesList;
        main->refresh_all();
        const int row = rowOf(window, u"cat.jpg"_s);
        QVERIFY(row >= 0);
        QTreeView* view = window->listView();
        const QRect rect = view->visualRect(window->pane().list.index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTRY_COMPARE(w.launcher.started.size(), 1);
        const QString copy = w.launcher.started.front().last();
        QVERIFY2(copy.startsWith(w.tempFolder() + QLatin1Char('/')), qPrintable(copy));
        QVERIFY(copy.endsWith(QLatin1String("2.jpg")));
        QCOMPARE(TestWorld::readAll(copy), TestWorld::pattern(3000, 2));
        // The library file keeps its hidden name and inverted byte.
        QVERIFY(TestWorld::readAll(lib + u"/xzg-qkt.kz2"_s) != TestWorld::pattern(3000, 2));
    }

    void enterOpensTheFirstOfTwoFolders()
    {
        MainWorld w;
        auto main = loadListed(w);
        fLibraries* window = main->librariesWindow();
        QVERIFY(clickItem(window, u"Trips"_s));
        QVERIFY(clickItem(window, u"Zoo"_s, Qt::ControlModifier));
        QTest::keyClick(window->listView(), Qt::Key_Return);
        const QString trips = w.world.path(u"Pictures/Trips"_s);
        QTRY_COMPARE(window->pane().tree.selectedKey(), trips);
        QCOMPARE(window->pane().list.tag(), trips);
        QCOMPARE(shownNames(window), QStringList{u"rome.jpg"_s});
        QVERIFY(w.launcher.started.isEmpty());
    }
};

WINDOW_TEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
