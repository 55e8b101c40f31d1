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
        w.world.file(QStringLiteral("Pictures/beach.jpg"), TestWorld::pattern(3000, 1));
        w.world.file(QStringLiteral("Pictures/cat.jpg"), TestWorld::pattern(3000, 2));
        w.world.file(QStringLiteral("Pictures/Trips/rome.jpg"), TestWorld::pattern(3000, 3));
        w.world.folder(QStringLiteral("Pictures/Zoo"));
        w.set("Behavior", "last_path", w.world.path(QStringLiteral("Pictures")));
        w.set("Behavior", "encrypt_level", QStringLiteral("2"));
        w.launcher.associate(QStringLiteral("image/jpeg"),
                             RecordingLauncher::app(QStringLiteral("/usr/bin/viewer")));
        return loadSettled(w);
    }

    static int rowOf(panes::UiBrowserWindow* window, const QString& text)
    {
        const auto& list = window->pane().list;
        for (int row = 0; row < list.count(); ++row)
            if (list.item(row).text == text)
                return row;
        return -1;
    }

private Q_SLOTS:
    void hideAndUnhideFromTheToolbar()
    {
        MainWorld w;
        auto main = loadListed(w);
        fLibraries* window = main->librariesWindow();
        QVERIFY(clickItem(window, QStringLiteral("cat.jpg")));
        QVERIFY(clickItem(window, QStringLiteral("Trips"), Qt::ControlModifier));
        QAction* hide = findAction(*main, "tb_hide");
        QTRY_VERIFY(hide->isEnabled());
        hide->trigger();

        // On disk: the file hidden at level 2, the folder and what is in it hidden.
        const QString lib = w.world.path(QStringLiteral("Pictures"));
        QVERIFY(QFileInfo::exists(lib + QStringLiteral("/xzg-qkt.kz2")));
        QVERIFY(QFileInfo::exists(lib + QStringLiteral("/Girkh.kz1/ilnv-qkt.kz2")));
        QVERIFY(QFileInfo::exists(lib + QStringLiteral("/beach.jpg")));
        // In the list: the readable name, marked as hidden, with its tooltip.
        const auto& item = window->pane().list.item(rowOf(window, QStringLiteral("cat.jpg")));
        QVERIFY(item.hidden);
        QCOMPARE(item.toolTip, QStringLiteral("Encrypted Name: \"xzg-qkt.kz2\" (Level 2)"));
        QCOMPARE(item.color, main->state().prefs.color_2);
        // The tree follows the renamed folder.
        QVERIFY(window->pane().tree.nodeByKey(lib + QStringLiteral("/Girkh.kz1")));
        QVERIFY(w.prompt.unexpected.isEmpty());

        // Unhide from the File menu gives back the very bytes.
        QVERIFY(clickItem(window, QStringLiteral("cat.jpg")));
        QAction* unhide = findAction(*main, "menu_file_unhide");
        main->update_menu_states();
        QVERIFY(unhide->isEnabled());
        unhide->trigger();
        QCOMPARE(TestWorld::readAll(lib + QStringLiteral("/cat.jpg")), TestWorld::pattern(3000, 2));
        QVERIFY(!window->pane().list.item(rowOf(window, QStringLiteral("cat.jpg"))).hidden);
    }

    void treeHideAsksFirst()
    {
        MainWorld w;
        auto main = loadListed(w);
        fLibraries* window = main->librariesWindow();
        const QString trips = w.world.path(QStringLiteral("Pictures/Trips"));
        QVERIFY(clickNode(window, trips));
        QTRY_COMPARE(main->state().object_focus, short(mainwindow::kLibrariesTree));
        // No: the folder itself is hidden, nothing inside it.
        w.prompt.answer(PromptAnswer::No);
        findAction(*main, "tb_hide")->trigger();
        QCOMPARE(w.prompt.lastText(),
                 QStringLiteral("Do you want to hide all files within Trips ?"));
        QCOMPARE(w.prompt.seen.back().buttons, platform::PromptButtons::YesNo);
        const QString hidden = w.world.path(QStringLiteral("Pictures/Girkh.kz1"));
        QVERIFY(QFileInfo::exists(hidden + QStringLiteral("/rome.jpg")));
        QVERIFY(window->pane().tree.nodeByKey(hidden));
        QVERIFY(window->treeView()->hasFocus());
    }

    void doubleClickOpensAHiddenPictureFromACopy()
    {
        MainWorld w;
        auto main = loadListed(w);
        fLibraries* window = main->librariesWindow();
        mEncrypt::Context enc{main->state().prefs, w.prompt};
        const QString lib = w.world.path(QStringLiteral("Pictures"));
        QCOMPARE(mEncrypt::hide_file(lib + QStringLiteral("/cat.jpg"), enc),
                 QStringLiteral("xzg-qkt.kz2"));
        main->state().object_focus = mainwindow::kLibrariesList;
        main->refresh_all();
        const int row = rowOf(window, QStringLiteral("cat.jpg"));
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
        QVERIFY(TestWorld::readAll(lib + QStringLiteral("/xzg-qkt.kz2")) !=
                TestWorld::pattern(3000, 2));
    }

    void enterOpensTheFirstOfTwoFolders()
    {
        MainWorld w;
        auto main = loadListed(w);
        fLibraries* window = main->librariesWindow();
        QVERIFY(clickItem(window, QStringLiteral("Trips")));
        QVERIFY(clickItem(window, QStringLiteral("Zoo"), Qt::ControlModifier));
        QTest::keyClick(window->listView(), Qt::Key_Return);
        const QString trips = w.world.path(QStringLiteral("Pictures/Trips"));
        QTRY_COMPARE(window->pane().tree.selectedKey(), trips);
        QCOMPARE(window->pane().list.tag(), trips);
        QCOMPARE(shownNames(window), QStringList{QStringLiteral("rome.jpg")});
        QVERIFY(w.launcher.started.isEmpty());
    }
};

WINDOW_TEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
