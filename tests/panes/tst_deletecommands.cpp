// Delete in the whole program: the Delete key on the Libraries list sends
// items into the bin, and on a Library node opens Delete Library, whose
// two options, question and numbering in the bin end in the table, the tree
// and the listing the user sees.
#include "panes/PaneKit.h"

#include "libraries/fDeleteLibrary.h"
#include "libraries/mLibraries.h"

#include <QRadioButton>
#include <QTimer>

#include <functional>

using platform::PromptAnswer;

namespace {

// Runs `act` on the modal window of that class as soon as it shows.
template <class Window> void whenShown(const std::function<void(Window*)>& act)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* window = qobject_cast<Window*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            act(window);
        }
    });
    poll->start();
}

void saveShot(QWidget* widget, const QString& name)
{
    const QByteArray dir = qgetenv("CLOAKWELL_SHOTS");
    if (!dir.isEmpty())
        widget->grab().save(QString::fromLocal8Bit(dir) + u'/' + name + u".png"_s);
}

QStringList tableNames(const MainWorld& w)
{
    QStringList names;
    for (const mLibraries::Library& lib : mLibraries::read_libraries(w.store()))
        names << lib.name;
    return names;
}

} // namespace

class TestDeleteCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listItemsWithTheDeleteKey()
    {
        MainWorld w;
        w.world.file(u"Pictures/beach.jpg"_s, TestWorld::pattern(3000, 1));
        w.world.file(u"Pictures/xzg-qkt.kz2"_s, TestWorld::pattern(3000, 2)); // cat.jpg, hidden
        w.world.file(u"Pictures/zoo.jpg"_s, TestWorld::pattern(3000, 3));
        w.set("Behavior", "last_path", w.world.path(u"Pictures"_s));
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        QVERIFY(clickItem(window, u"beach.jpg"_s));
        QVERIFY(clickItem(window, u"cat.jpg"_s, Qt::ControlModifier));
        QTRY_VERIFY(findAction(*main, "tb_delete")->isEnabled());
        // The Delete key in the list, as a user deletes.
        w.prompt.answer(PromptAnswer::Yes);
        QTest::keyClick(window->listView(), Qt::Key_Delete);
        QCOMPARE(w.prompt.lastTitle(), u"Confirm Delete"_s);
        const QString bin = w.folders.binFolder;
        QCOMPARE(TestWorld::readAll(bin + u"/xzg-qkt.kz2"_s), TestWorld::pattern(3000, 2));
        QCOMPARE(TestWorld::readAll(bin + u"/beach.jpg"_s), TestWorld::pattern(3000, 1));
        QCOMPARE(shownNames(window), QStringList{u"zoo.jpg"_s});
        // The bin lists the hidden file under its readable name, as hidden.
        QVERIFY(clickNode(window, bin));
        QTRY_COMPARE(window->pane().list.tag(), bin);
        QCOMPARE(shownNames(window), (QStringList{"beach.jpg", "cat.jpg"}));
        const browse::ListItem& cat = window->pane().list.item(rowOf(window, u"cat.jpg"_s));
        QVERIFY(cat.hidden);
        QCOMPARE(cat.color, main->state().prefs.color_2);
        saveShot(window, u"bin-listing"_s);
        QVERIFY(w.prompt.unexpected.isEmpty());
    }

    // Delete Library: the option chosen, the question answered; the table,
    // the folder, the bin and the tree afterwards.
    void deleteLibrary_data()
    {
        QTest::addColumn<QString>("option"); // "" none: refused, then Cancel
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<bool>("moved"); // as "Deleted Library - Trips (2)"
        const QString send = u"Are you sure you want to send 'Trips' to the Red Ovidor bin?"_s;
        QTest::newRow("into the bin") << u"move_lib"_s << PromptAnswer::Yes << send << true << true;
        QTest::newRow("into the bin, declined")
            << u"move_lib"_s << PromptAnswer::No << send << false << false;
        QTest::newRow("from the list only")
            << u"remove"_s << PromptAnswer::Yes << u"Are you sure you want to remove 'Trips'?"_s
            << true << false;
        QTest::newRow("no option")
            << QString() << PromptAnswer::Ok << u"Please select an option"_s << false << false;
    }
    void deleteLibrary()
    {
        QFETCH(QString, option);
        QFETCH(PromptAnswer, answer);
        QFETCH(QString, question);
        QFETCH(bool, removed);
        QFETCH(bool, moved);
        MainWorld w;
        const QString trips = w.world.folder(u"Trips"_s);
        w.world.file(u"Trips/Girkh.kz1/ilnv-qkt.kz2"_s, TestWorld::pattern(2000, 7));
        w.set("Libraries", "Count", u"2"_s);
        w.set("Libraries", "name_2", u"Trips"_s);
        w.set("Libraries", "path_2", trips);
        w.world.folder(u"program/KZ Bin/Deleted Library - Trips"_s);
        w.world.folder(u"program/KZ Bin/Deleted Library - Trips (1)"_s);
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        QVERIFY(clickNode(window, trips));
        QTRY_COMPARE(main->state().object_focus, short(mainwindow::kLibrariesTree));

        bool shown = false;
        whenShown<fDeleteLibrary>([&](fDeleteLibrary* dialog) {
            shown = true;
            if (option.isEmpty()) {
                w.prompt.answer(answer);
                click(dialog, "ok_button");
                // Refused, and still open.
                QVERIFY(dialog->isVisible());
                click(dialog, "cancel_button");
                return;
            }
            dialog->findChild<QRadioButton*>(option)->setChecked(true);
            if (option == u"move_lib"_s)
                saveShot(dialog, u"delete-library"_s);
            w.prompt.answer(answer);
            click(dialog, "ok_button");
        });
        findAction(*main, "tb_delete")->trigger();
        QVERIFY(shown);
        QVERIFY(!QApplication::activeModalWidget());

        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.lastText(), question);
        QCOMPARE(w.prompt.lastTitle(), option.isEmpty() ? u"Cloakwell"_s : u"Confirm Delete"_s);
        QCOMPARE(tableNames(w),
                 removed ? QStringList{u"Pictures"_s} : (QStringList{u"Pictures"_s, u"Trips"_s}));
        const QString inBin = w.folders.binFolder + u"/Deleted Library - Trips (2)"_s;
        QCOMPARE(QFileInfo::exists(trips), !moved);
        QCOMPARE(TestWorld::readAll((moved ? inBin : trips) + u"/Girkh.kz1/ilnv-qkt.kz2"_s),
                 TestWorld::pattern(2000, 7));
        QCOMPARE(QFileInfo::exists(inBin), moved);
        browse::FolderTreeModel& tree = window->pane().tree;
        QCOMPARE(bool(tree.nodeByKey(trips)), !removed);
        if (moved) {
            // The bin is shown, holding the folder just sent.
            QCOMPARE(tree.selectedKey(), w.folders.binFolder);
            QVERIFY(shownNames(window).contains(u"Deleted Library - Trips (2)"_s));
            saveShot(window, u"bin-after-delete-library"_s);
        } else if (removed) {
            QCOMPARE(tree.selectedKey(), u"mylibraries"_s);
        } else {
            QCOMPARE(tree.selectedKey(), trips);
        }
        QVERIFY(w.prompt.unexpected.isEmpty());
    }
};

WINDOW_TEST_MAIN(TestDeleteCommands)
#include "tst_deletecommands.moc"
