// The preview pane and the image viewer as the user meets them: hidden
// pictures shown and left alone, the automatic preview and Show Preview, the
// pane's menu, zoom and pan, and independent viewers with their keys.
#include "panes/PaneKit.h"
#include "pictures/UiPictureView.h"
#include "pictures/fImage.h"

#include "PictureFixtures.h"
#include "engine/mEncrypt.h"

#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>

using namespace fixtures;

namespace {

using pictures::UiPictureView;

constexpr int kLoadWaitMs = 10000;

// A JPEG of four quadrants, hidden at a level (0: plain), in the Library.
QString addPicture(MainWorld& w, const QString& name, int level, QSize size = {160, 120},
                   bool corrupt = false)
{
    QByteArray bytes = encode(quadrants(size.width(), size.height()), "JPEG");
    if (corrupt)
        bytes = QByteArray("\xff\xd8\xff") + QByteArray(400, 'x');
    const QString stored = level == 0 ? name : mEncrypt::make_hidden_name(name, level);
    return w.world.file(u"Pictures/"_s + stored, inverted(bytes, level));
}

// The main window with the Library listed.
std::unique_ptr<fMain> openLibrary(MainWorld& w)
{
    auto main = loadSettled(w);
    fLibraries* lib = main->librariesWindow();
    clickNode(lib, w.world.path(u"Pictures"_s));
    // The listing comes 60 ms after the node click.
    if (!QTest::qWaitFor([lib] { return lib->pane().list.count() > 0; }))
        qWarning("the Library was not listed");
    return main;
}

// Waits until the view has no decode running and its result is handled.
bool settle(UiPictureView* view)
{
    return QTest::qWaitFor([view] { return !view->busy(); }, kLoadWaitMs);
}

// Clicks an item and waits for the preview timer and any decode it started.
void clickAndSettle(fLibraries* lib, const QString& name)
{
    QVERIFY(clickItem(lib, name));
    QTest::qWait(80); // preview_timer: 50 ms
    QVERIFY(settle(lib->previewView()));
}

QRgb shownColourAt(UiPictureView* view, QPointF relative)
{
    const QImage shot = view->grab().toImage();
    const QRectF r = view->frameRect();
    return shot.pixel(
        (r.topLeft() + QPointF(r.width() * relative.x(), r.height() * relative.y())).toPoint());
}

bool reddish(QRgb c)
{
    return qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80;
}

fImage* openViewer(fMain* main, const QString& path, const QString& name)
{
    const QList<fImage*> before = main->findChildren<fImage*>();
    main->open_image_viewer(path, name);
    for (fImage* viewer : main->findChildren<fImage*>())
        if (!before.contains(viewer)) {
            if (!settle(viewer->picture()))
                return nullptr;
            return viewer;
        }
    return nullptr;
}

void press(QWidget* w, QPoint at, Qt::MouseButton b)
{
    sendMouse(w, QEvent::MouseButtonPress, at, b, b);
}
void release(QWidget* w, QPoint at, Qt::MouseButton b)
{
    sendMouse(w, QEvent::MouseButtonRelease, at, b, Qt::NoButton);
}

} // namespace

class TestUiPictures : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A hidden picture is shown in the pane and in a viewer, and its file
    // keeps its bytes, name and modification time, also when it cannot be
    // decoded; a broken one gives the loader's message and hides the picture.
    void hiddenPictureLeftAlone_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("corrupt");
        QTest::addColumn<QString>("message");
        QTest::newRow("plain") << 0 << false << QString();
        QTest::newRow("level 1") << 1 << false << QString();
        QTest::newRow("level 2") << 2 << false << QString();
        QTest::newRow("level 3") << 3 << false << QString();
        QTest::newRow("corrupt level 2") << 2 << true << u"Invalid picture"_s;
        QTest::newRow("corrupt level 3") << 3 << true << u"Invalid picture"_s;
        QTest::newRow("corrupt plain") << 0 << true << u"Invalid picture"_s;
    }
    void hiddenPictureLeftAlone()
    {
        QFETCH(int, level);
        QFETCH(bool, corrupt);
        QFETCH(QString, message);
        MainWorld w;
        const QString path = addPicture(w, u"beach.jpg"_s, level, {160, 120}, corrupt);
        UntouchedWatch watch(path);
        auto main = openLibrary(w);
        fLibraries* lib = main->librariesWindow();
        UiPictureView* pane = lib->previewView();
        if (!message.isEmpty())
            w.prompt.acceptMessages(2);

        clickAndSettle(lib, u"beach.jpg"_s);
        fImage* viewer = openViewer(main.get(), path, u"beach.jpg"_s);
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), u"beach.jpg"_s);
        if (message.isEmpty()) {
            QVERIFY(w.prompt.seen.isEmpty());
            QVERIFY(pane->hasPicture() && pane->frame().visible);
            QVERIFY(reddish(shownColourAt(pane, {0.2, 0.2})));
            QVERIFY(reddish(shownColourAt(viewer->picture(), {0.2, 0.2})));
            QVERIFY(!lib->findChild<QLabel*>(u"preview_hint"_s)->isVisible());
        } else {
            QCOMPARE(w.prompt.seen.size(), 2);
            QCOMPARE(w.prompt.seen[0].text, message);
            QCOMPARE(w.prompt.seen[1].text, message);
            QVERIFY(!pane->hasPicture() || !pane->frame().visible);
            QVERIFY(!viewer->picture()->hasPicture());
        }
        viewer->close();
        QCOMPARE(watch.changes(), QString());
    }

    // When a click previews, and when it leaves the pane alone. Each step:
    // "auto on"/"auto off", "click NAME", "show" (Show Preview on the
    // selection), "clear".
    void whenPicturesShow_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("decodes");
        QTest::addColumn<QString>("shown"); // the file the pane holds, "" for none
        QTest::newRow("auto off: a click only counts")
            << QStringList{"auto off", "click a.jpg"} << 0 << QString();
        QTest::newRow("auto off: Show Preview shows")
            << QStringList{"auto off", "click a.jpg", "show"} << 1 << u"a.jpg"_s;
        QTest::newRow("auto on: each click previews again")
            << QStringList{"click a.jpg", "click notes.txt", "click a.jpg"} << 2 << u"a.jpg"_s;
        QTest::newRow("after Show Preview the same item is not reloaded")
            << QStringList{"click a.jpg", "show", "click notes.txt", "click a.jpg"} << 2
            << u"a.jpg"_s;
        QTest::newRow("after Show Preview another picture loads")
            << QStringList{"click a.jpg", "show", "click b.jpg"} << 3 << u"b.jpg"_s;
        QTest::newRow("a text file leaves the picture")
            << QStringList{"click b.jpg", "click notes.txt"} << 1 << u"b.jpg"_s;
        QTest::newRow("a folder leaves the picture")
            << QStringList{"click b.jpg", "click Trips"} << 1 << u"b.jpg"_s;
        QTest::newRow("clear empties the pane and forgets the key")
            << QStringList{"click a.jpg", "show", "clear", "click a.jpg"} << 3 << u"a.jpg"_s;
        QTest::newRow("a folder named like a picture is not one")
            << QStringList{"click album.jpg"} << 0 << QString();
    }
    void whenPicturesShow()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, decodes);
        QFETCH(QString, shown);
        MainWorld w;
        const QMap<QString, QString> paths{{u"a.jpg"_s, addPicture(w, u"a.jpg"_s, 3)},
                                           {u"b.jpg"_s, addPicture(w, u"b.jpg"_s, 0)}};
        w.world.file(u"Pictures/notes.txt"_s, "text");
        w.world.folder(u"Pictures/Trips"_s);
        w.world.folder(u"Pictures/album.jpg"_s);
        auto main = openLibrary(w);
        fLibraries* lib = main->librariesWindow();
        UiPictureView* pane = lib->previewView();
        QSignalSpy loads(pane, &UiPictureView::loadFinished);
        for (const QString& step : steps) {
            if (step == u"auto off")
                main->state().prefs.auto_show_preview = false;
            else if (step.startsWith(u"click "))
                clickAndSettle(lib, step.mid(6));
            else if (step == u"show")
                lib->showPreviewCommand();
            else if (step == u"clear")
                lib->preview_context_menu_clear_Click();
            QVERIFY(settle(pane));
        }
        QCOMPARE(int(loads.size()), decodes);
        QCOMPARE(pane->hasPicture() ? pane->path() : QString(), paths.value(shown));
        QVERIFY(w.prompt.seen.isEmpty());
    }

    // The pane's menu: Clear and Resize only with a picture, Enable checked
    // as the setting is, switching it off clears and writes "0".
    void paneMenu()
    {
        MainWorld w;
        addPicture(w, u"a.jpg"_s, 2);
        auto main = openLibrary(w);
        fLibraries* lib = main->librariesWindow();
        UiPictureView* pane = lib->previewView();
        QMenu* menu = lib->previewContextMenu();
        QCOMPARE(menu->title(), u"Preview Context Menu"_s);
        auto entry = [&](const char* name) {
            return lib->findChild<QAction*>(QLatin1String(name));
        };

        // A right click on the empty pane.
        release(pane, QPoint(5, 5), Qt::RightButton);
        QVERIFY(menu->isVisible());
        QVERIFY(!entry("preview_context_menu_clear")->isEnabled());
        QVERIFY(!entry("preview_context_menu_resize")->isEnabled());
        QVERIFY(entry("preview_context_menu_enable")->isChecked());
        menu->hide();

        clickAndSettle(lib, u"a.jpg"_s);
        // Outside the picture (the pane is wider than the fitted photo is high).
        QVERIFY(pane->frameRect().top() > 2);
        release(pane, QPoint(pane->width() / 2, 1), Qt::RightButton);
        QVERIFY(menu->isVisible());
        QVERIFY(entry("preview_context_menu_clear")->isEnabled());
        QVERIFY(entry("preview_context_menu_resize")->isEnabled());
        menu->hide();

        entry("preview_context_menu_enable")->trigger();
        QVERIFY(!main->state().prefs.auto_show_preview);
        QCOMPARE(w.get("Viewing", "auto_show_preview"), u"0"_s);
        QVERIFY(!pane->hasPicture());
        QCOMPARE(pane->frame().width, 15.0);
        QVERIFY(lib->findChild<QLabel*>(u"preview_hint"_s)->isVisible());
        clickAndSettle(lib, u"a.jpg"_s);
        QVERIFY(!pane->hasPicture());

        entry("preview_context_menu_enable")->trigger();
        QCOMPARE(w.get("Viewing", "auto_show_preview"), u"1"_s);
        QVERIFY(main->state().prefs.auto_show_preview);
    }

    // Clicks and drags on a previewed picture.
    void zoomAndPan_data()
    {
        QTest::addColumn<QStringList>("gestures");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<bool>("centred");
        QTest::newRow("left click doubles") << QStringList{"left"} << 2.0 << false;
        QTest::newRow("right click at the fit does nothing") << QStringList{"right"} << 1.0 << true;
        QTest::newRow("left then right is back at the fit, centred")
            << QStringList{"left", "right"} << 1.0 << true;
        QTest::newRow("a drag only pans") << QStringList{"drag"} << 1.0 << false;
        QTest::newRow("zoom, pan, Resize: fitted again")
            << QStringList{"left", "drag", "resize"} << 1.0 << true;
        QTest::newRow("window resized: fitted again")
            << QStringList{"left", "left", "resize window"} << 1.0 << true;
    }
    void zoomAndPan()
    {
        QFETCH(QStringList, gestures);
        QFETCH(double, zoom);
        QFETCH(bool, centred);
        MainWorld w;
        addPicture(w, u"a.jpg"_s, 3, {400, 300});
        auto main = openLibrary(w);
        fLibraries* lib = main->librariesWindow();
        UiPictureView* pane = lib->previewView();
        clickAndSettle(lib, u"a.jpg"_s);
        const QRectF fitted = pane->frameRect();
        for (const QString& g : gestures) {
            const QPoint at = pane->frameRect().center().toPoint() + QPoint(10, 5);
            if (g == u"left" || g == u"right") {
                const Qt::MouseButton b = g == u"left" ? Qt::LeftButton : Qt::RightButton;
                press(pane, at, b);
                release(pane, at, b);
            } else if (g == u"drag") {
                const QPointF before = pane->frameRect().topLeft();
                press(pane, at, Qt::LeftButton);
                sendMouse(pane, QEvent::MouseMove, at + QPoint(30, 20), Qt::NoButton,
                          Qt::LeftButton);
                release(pane, at + QPoint(30, 20), Qt::LeftButton);
                QCOMPARE((pane->frameRect().topLeft() - before).toPoint(), QPoint(30, 20));
            } else if (g == u"resize") {
                lib->preview_context_menu_resize_Click();
            } else if (g == u"resize window") {
                lib->parentWidget()->resize(lib->parentWidget()->size() + QSize(40, 30));
                QTest::qWait(120); // resize_timer: 50 ms
            }
        }
        QCOMPARE(pane->zoom(), zoom);
        if (centred) {
            const QRectF r = pane->frameRect();
            QVERIFY(qAbs(r.center().x() + 2 - pane->width() / 2.0) <= 1.5);
            QVERIFY(qAbs(r.center().y() + 2 - pane->height() / 2.0) <= 1.5);
        } else {
            QVERIFY(pane->frameRect() != fitted);
        }
    }

    // A preview decoded to the pane's size is decoded again at full size
    // once a zoom shows it larger than that, and still comes out right.
    void zoomPastReducedDecode()
    {
        MainWorld w;
        addPicture(w, u"big.jpg"_s, 3, {2400, 1800});
        auto main = openLibrary(w);
        fLibraries* lib = main->librariesWindow();
        UiPictureView* pane = lib->previewView();
        clickAndSettle(lib, u"big.jpg"_s);
        QVERIFY(pane->imageReduced());
        QVERIFY(pane->image().width() < 2400);
        const QPoint at = pane->frameRect().center().toPoint();
        for (int i = 0; i < 3 && pane->imageReduced(); ++i) {
            press(pane, at, Qt::LeftButton);
            release(pane, at, Qt::LeftButton);
            QVERIFY(settle(pane));
        }
        QVERIFY(!pane->imageReduced());
        QCOMPARE(pane->image().size(), QSize(2400, 1800));
    }

    // A result that comes after the view moved on is never shown.
    void staleResultDropped_data()
    {
        QTest::addColumn<QString>("then");
        QTest::newRow("another picture asked for") << u"load b"_s;
        QTest::newRow("pane cleared") << u"clear"_s;
    }
    void staleResultDropped()
    {
        QFETCH(QString, then);
        MainWorld w;
        const QString a = addPicture(w, u"a.jpg"_s, 3, {3000, 2000});
        QImage blue(64, 48, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        const QString b = w.world.file(u"Pictures/b.jpg"_s, encode(blue, "JPEG"));
        auto main = openLibrary(w);
        UiPictureView* pane = main->librariesWindow()->previewView();
        QSignalSpy finished(pane, &UiPictureView::loadFinished);
        pane->load(a, UiPictureView::DecodeSize::Full);
        if (then == u"clear")
            pane->clear();
        else
            pane->load(b, UiPictureView::DecodeSize::ToBox);
        QVERIFY(settle(pane));
        QTest::qWait(50);
        if (then == u"clear") {
            QCOMPARE(finished.size(), 0);
            QVERIFY(!pane->hasPicture());
        } else {
            QCOMPARE(finished.size(), 1);
            QCOMPARE(pane->path(), b);
            QCOMPARE(pane->naturalTwips(), QSizeF(64 * 15, 48 * 15));
            const QRgb c = shownColourAt(pane, {0.5, 0.5});
            QVERIFY(qBlue(c) > 180 && qRed(c) < 80);
        }
    }

    // The viewer's size follows the picture, never under 2000 twips a side
    // and never over the screen.
    void viewerSize_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("window");
        QTest::newRow("small picture: the minimum, enlarged") << QSize(67, 53) << QSize(133, 133);
        QTest::newRow("mid-sized picture: its own size") << QSize(400, 300) << QSize(400, 300);
        QTest::newRow("narrow picture: the minimum width") << QSize(60, 300) << QSize(133, 300);
    }
    void viewerSize()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, window);
        MainWorld w;
        const QString path = addPicture(w, u"a.jpg"_s, 2, picture);
        auto main = openLibrary(w);
        fImage* viewer = openViewer(main.get(), path, u"a.jpg"_s);
        QVERIFY(viewer);
        QCOMPARE(viewer->size(), window);
        const QRectF r = viewer->picture()->frameRect();
        // Fitted: one side fills the window, the whole picture shows.
        QVERIFY(qAbs(r.width() - window.width()) <= 1 || qAbs(r.height() - window.height()) <= 1);
        QVERIFY(r.left() >= -1 && r.top() >= -1);
        QVERIFY(r.right() <= window.width() + 1 && r.bottom() <= window.height() + 1);
    }

    void viewerLargerThanScreen()
    {
        MainWorld w;
        QScreen* screen = QGuiApplication::primaryScreen();
        const QSize room = screen->availableGeometry().size();
        const QString path = addPicture(w, u"wide.jpg"_s, 3, room * 2);
        auto main = openLibrary(w);
        fImage* viewer = openViewer(main.get(), path, u"wide.jpg"_s);
        QVERIFY(viewer);
        QVERIFY(viewer->width() <= room.width() && viewer->height() <= room.height());
        QVERIFY(!viewer->picture()->imageReduced());
    }

    // Keys and independence: two viewers zoom and close on their own; "r"
    // brings back the fitted view after zoom and pan.
    void twoViewers()
    {
        MainWorld w;
        const QString a = addPicture(w, u"a.jpg"_s, 3, {320, 240});
        const QString b = addPicture(w, u"b.jpg"_s, 0, {200, 300});
        auto main = openLibrary(w);
        fImage* one = openViewer(main.get(), a, u"a.jpg"_s);
        fImage* two = openViewer(main.get(), b, u"b.jpg"_s);
        QVERIFY(one && two && one != two);
        const QRectF fittedOne = one->picture()->frameRect();
        const QRectF fittedTwo = two->picture()->frameRect();

        QTest::keyClick(one, Qt::Key_Z);
        QCOMPARE(one->picture()->zoom(), 2.0);
        QCOMPARE(two->picture()->zoom(), 1.0);
        QTest::keyClick(one, Qt::Key_X);
        QTest::keyClick(one, Qt::Key_X); // at the fit: nothing more
        QCOMPARE(one->picture()->zoom(), 1.0);
        QCOMPARE(one->picture()->frameRect(), fittedOne);

        // Zoom and pan with the mouse, then "r".
        UiPictureView* view = one->picture();
        const QPoint at = view->frameRect().center().toPoint();
        press(view, at, Qt::LeftButton);
        release(view, at, Qt::LeftButton);
        press(view, at, Qt::LeftButton);
        sendMouse(view, QEvent::MouseMove, at + QPoint(-25, 15), Qt::NoButton, Qt::LeftButton);
        release(view, at + QPoint(-25, 15), Qt::LeftButton);
        QCOMPARE(view->zoom(), 2.0);
        QTest::keyClick(one, Qt::Key_A); // any other key: nothing
        QCOMPARE(view->zoom(), 2.0);
        QTest::keyClick(one, Qt::Key_R);
        QCOMPARE(view->zoom(), 1.0);
        QCOMPARE(view->frameRect(), fittedOne);

        QPointer<fImage> gone = one;
        QTest::keyClick(one, Qt::Key_Escape);
        QTRY_VERIFY(gone.isNull());
        QVERIFY(two->isVisible());
        QCOMPARE(two->picture()->frameRect(), fittedTwo);
        QTest::keyClick(two, Qt::Key_Z);
        QCOMPARE(two->picture()->zoom(), 2.0);
    }

    // Ctrl + double click on a picture opens a viewer; a plain double click
    // does not.
    void ctrlDoubleClickOpensViewer()
    {
        MainWorld w;
        addPicture(w, u"a.jpg"_s, 3);
        auto main = openLibrary(w);
        fLibraries* lib = main->librariesWindow();
        const int row = rowOf(lib, u"a.jpg"_s);
        QVERIFY(row >= 0);
        QTreeView* view = lib->listView();
        const QRect shown = view->visualRect(lib->pane().list.index(row, 0));
        QVERIFY(clickItem(lib, u"a.jpg"_s));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, shown.center());
        QTRY_COMPARE(main->findChildren<fImage*>().size(), 1);
        fImage* viewer = main->findChildren<fImage*>().front();
        QVERIFY(settle(viewer->picture()));
        QCOMPARE(viewer->windowTitle(), u"a.jpg"_s);
        QVERIFY(viewer->picture()->hasPicture());
    }

    // Pictures the desktop hands over on the command line: each in a viewer,
    // a hidden one under its readable name; the rest told in one message.
    void commandLinePictures()
    {
        MainWorld w;
        const QString hidden = addPicture(w, u"beach.jpg"_s, 2);
        const QString text = w.world.file(u"Pictures/notes.txt"_s, "x");
        const QString missing = w.world.path(u"Pictures/gone.jpg"_s);
        auto main = openLibrary(w);
        w.prompt.acceptMessages(1);
        main->open_pictures({hidden, text, missing});
        QTRY_COMPARE(main->findChildren<fImage*>().size(), 1);
        fImage* viewer = main->findChildren<fImage*>().front();
        QVERIFY(settle(viewer->picture()));
        QCOMPARE(viewer->windowTitle(), u"beach.jpg"_s);
        QVERIFY(viewer->picture()->hasPicture());
        QCOMPARE(w.prompt.lastText(),
                 u"These files are not pictures Cloakwell can show:\n"_s + text + u'\n' + missing);
    }
};

WINDOW_TEST_MAIN(TestUiPictures)
#include "tst_uipictures.moc"
