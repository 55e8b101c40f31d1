// The Picture Sorter as the user meets it: Tools > Picture Sorter on the
// listed folder, the buttons and the status line, digit keys that move the
// shown picture on disk, and Ctrl+Z that brings it back.
#include "panes/PaneKit.h"
#include "pictures/UiPictureSorter.h"
#include "pictures/UiPictureView.h"
#include "pictures/fSlideShow.h"

#include "PictureFixtures.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>

using namespace fixtures;

namespace {

constexpr int kLoadWaitMs = 10000;

void addPicture(MainWorld& w, const QString& name)
{
    w.world.file(u"Pictures/"_s + name, encode(quadrants(160, 120), "JPEG"));
}

std::unique_ptr<fMain> openLibrary(MainWorld& w)
{
    auto main = loadSettled(w);
    fLibraries* lib = main->librariesWindow();
    clickNode(lib, w.world.path(u"Pictures"_s));
    if (!QTest::qWaitFor([lib] { return lib->pane().list.count() > 0; }))
        qWarning("the Library was not listed");
    return main;
}

bool settled(fSlideShow* show)
{
    return QTest::qWaitFor([show] { return !show->stepPending() && !show->preparing(); },
                           kLoadWaitMs);
}

void press(QWidget* window, Qt::Key key, const QString& text,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent e(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(window, &e);
}

QString name(const QString& key)
{
    return key.section(QLatin1Char('/'), -1);
}

QColor textColour(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

} // namespace

class TestSorterWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void refusals_data()
    {
        QTest::addColumn<bool>("pictures");
        QTest::addColumn<bool>("subfolder");
        QTest::addColumn<QString>("message");
        QTest::newRow("no pictures")
            << false << true << u"No pictures were found in the active folder!"_s;
        QTest::newRow("no subfolders")
            << true << false
            << u"Create subfolders in the active folder in order to use the Picture Sorter"_s;
    }
    void refusals()
    {
        QFETCH(bool, pictures);
        QFETCH(bool, subfolder);
        QFETCH(QString, message);
        MainWorld w;
        w.world.file(u"Pictures/notes.txt"_s, "text");
        if (pictures)
            addPicture(w, u"a.jpg"_s);
        if (subfolder)
            w.world.folder(u"Pictures/Trips"_s);
        w.prompt.acceptMessages(1);
        auto main = openLibrary(w);
        main->run_command(mainwindow::Command::PictureSorter);
        QVERIFY(!main->slideShow());
        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.lastText(), message);
        QCOMPARE(w.prompt.lastTitle(), u"Cloakwell"_s);
    }

    // Sorting from the keyboard: the window in its sorter mode, a digit that
    // moves the picture and lights its button, the keys of the show that do
    // nothing here, space, and Ctrl+Z bringing the last picture back into
    // view.
    void sortAndUndo()
    {
        MainWorld w;
        w.world.folder(u"Pictures/Trips"_s);
        w.world.folder(u"Pictures/Work"_s);
        for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
            addPicture(w, QString::fromLatin1(n));
        auto main = openLibrary(w);
        main->run_command(mainwindow::Command::PictureSorter);
        fSlideShow* show = main->slideShow();
        QVERIFY(show);
        show->resize(800, 600);
        QVERIFY(settled(show));
        auto* sorter = dynamic_cast<UiPictureSorter*>(show->sorter());
        QVERIFY(sorter);

        QCOMPARE(show->windowTitle(), u"Picture Sorter!"_s);
        QVERIFY(show->startStopButton()->isHidden());
        QVERIFY(show->runShowLabel()->isHidden());
        QVERIFY(!show->timer()->isActive());
        QStringList labels;
        for (int i = 1; i <= 9; ++i)
            labels << (sorter->folder(i)->isVisible() ? sorter->folder(i)->text() : QString());
        QCOMPARE(labels,
                 (QStringList{
                     u"1. Trips"_s, u"2. Work"_s, {}, u"4. Red Ovidor Bin"_s, {}, {}, {}, {}, {}}));
        QCOMPARE(sorter->folder(1)->pos(), QPoint(16, 16));
        QCOMPARE(sorter->folder(4)->pos(), QPoint(16, 64));
        QCOMPARE(sorter->folderBorder()->height(), browse::pixelsFromTwips(4 * 240 + 100));
        QCOMPARE(sorter->statusLabel()->text(), pictures::sorter_intro_text());
        QCOMPARE(textColour(sorter->folder(1)), QColor(128, 128, 128));
        QCOMPARE(name(show->shownKey()), u"a.jpg"_s);

        // "3" is the empty row; "+" and "s" belong to the show alone.
        const int interval = show->sequence().interval();
        for (auto [key, text] : {std::pair{Qt::Key_3, u"3"_s},
                                 {Qt::Key_Plus, u"+"_s},
                                 {Qt::Key_Minus, u"-"_s},
                                 {Qt::Key_S, u"s"_s}})
            press(show, key, text);
        QCOMPARE(name(show->shownKey()), u"a.jpg"_s);
        QCOMPARE(show->sequence().interval(), interval);
        QVERIFY(!show->timer()->isActive());

        press(show, Qt::Key_1, u"1"_s);
        QVERIFY(QFile::exists(w.world.path(u"Pictures/Trips/a.jpg"_s)));
        QVERIFY(!QFile::exists(w.world.path(u"Pictures/a.jpg"_s)));
        QCOMPARE(textColour(sorter->folder(1)), QColor(0, 255, 0));
        QVERIFY(sorter->colorTimer()->isActive());
        QVERIFY(settled(show));
        QCOMPARE(name(show->shownKey()), u"b.jpg"_s);
        QCOMPARE(sorter->statusLabel()->text(),
                 u"Total: 3         Sorted: 1         Skiped: 0         Remaining: 2"_s);
        QTRY_COMPARE(textColour(sorter->folder(1)), QColor(128, 128, 128));

        press(show, Qt::Key_Space, u" "_s);
        QVERIFY(settled(show));
        QCOMPARE(name(show->shownKey()), u"c.jpg"_s);
        press(show, Qt::Key_4, u"4"_s);
        QVERIFY(QFile::exists(w.folders.binFolder + u"/c.jpg"_s));
        QVERIFY(settled(show));
        QCOMPARE(name(show->shownKey()), u"b.jpg"_s);

        // Back they come, the last one first, each shown again.
        press(show, Qt::Key_Z, u"\x1a"_s, Qt::ControlModifier);
        QVERIFY(QFile::exists(w.world.path(u"Pictures/c.jpg"_s)));
        QVERIFY(settled(show));
        QCOMPARE(name(show->shownKey()), u"c.jpg"_s);
        QVERIFY(show->picture()->hasPicture());
        QCOMPARE(sorter->statusLabel()->text(),
                 u"Moved c.jpg back         Total: 2         Sorted: 0         Skiped: 0         "
                 "Remaining: 2"_s);
        press(show, Qt::Key_Backspace, QString());
        QVERIFY(QFile::exists(w.world.path(u"Pictures/a.jpg"_s)));
        QVERIFY(settled(show));
        QCOMPARE(name(show->shownKey()), u"a.jpg"_s);
        QCOMPARE(main->librariesWindow()->pane().list.rowOfKey(w.world.path(u"Pictures/a.jpg"_s)),
                 2);
        QVERIFY(w.prompt.seen.isEmpty());
    }

    // A key held down: while the next picture is still on its way, the one
    // on screen has been sent already, and further keys neither send nor
    // skip anything.
    void keysWhileTheNextPictureComes()
    {
        MainWorld w;
        w.world.folder(u"Pictures/Trips"_s);
        for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
            w.world.file(u"Pictures/"_s + QString::fromLatin1(n),
                         encode(quadrants(1600, 1200), "JPEG"));
        auto main = openLibrary(w);
        main->run_command(mainwindow::Command::PictureSorter);
        fSlideShow* show = main->slideShow();
        QVERIFY(show);
        QVERIFY(settled(show));
        auto* sorter = dynamic_cast<UiPictureSorter*>(show->sorter());
        press(show, Qt::Key_1, u"1"_s); // a goes; b was ready and shows
        QCOMPARE(name(show->shownKey()), u"b.jpg"_s);
        press(show, Qt::Key_1, u"1"_s); // b goes; c is still decoding
        QVERIFY(show->stepPending());
        press(show, Qt::Key_1, u"1"_s);
        press(show, Qt::Key_Space, u" "_s);
        QCOMPARE(sorter->sorter().sorted(), 2);
        QCOMPARE(sorter->sorter().skiped(), 0);
        QVERIFY(settled(show));
        QCOMPARE(name(show->shownKey()), u"c.jpg"_s);
        QVERIFY(QFile::exists(w.world.path(u"Pictures/c.jpg"_s)));
    }

    // A target folder gone meanwhile: the file operation says why, the
    // picture stays and counts as skipped, and the picture after it comes
    // twice.
    void failedMove()
    {
        MainWorld w;
        const QString gone = w.world.folder(u"Pictures/Gone"_s);
        for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
            addPicture(w, QString::fromLatin1(n));
        auto main = openLibrary(w);
        main->run_command(mainwindow::Command::PictureSorter);
        fSlideShow* show = main->slideShow();
        QVERIFY(show);
        QVERIFY(settled(show));
        auto* sorter = dynamic_cast<UiPictureSorter*>(show->sorter());
        QVERIFY(QDir(gone).removeRecursively());
        w.prompt.acceptMessages(1);
        press(show, Qt::Key_1, u"1"_s);
        QCOMPARE(w.prompt.seen.size(), 1);
        QVERIFY(QFile::exists(w.world.path(u"Pictures/a.jpg"_s)));
        QCOMPARE(sorter->sorter().skiped(), 1);
        QVERIFY(!sorter->sorter().canUndo());
        QStringList seen;
        for (int i = 0; i < 2; ++i) {
            QVERIFY(settled(show));
            seen << name(show->shownKey());
            show->next_picture();
        }
        QCOMPARE(seen, (QStringList{u"b.jpg"_s, u"b.jpg"_s}));
    }
};

WINDOW_TEST_MAIN(TestSorterWindow)
#include "tst_sorterwindow.moc"
