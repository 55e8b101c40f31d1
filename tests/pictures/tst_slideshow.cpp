// The slide show as the user meets it: Tools > Slide Show on the listed
// folder, the prepared picture shown at once by a step, pictures that fail
// skipped, the start/stop button, the keys, and the delay window.
#include "panes/PaneKit.h"
#include "pictures/UiPictureView.h"
#include "pictures/fSlideShow.h"
#include "settings/fDelay.h"

#include "PictureFixtures.h"
#include "engine/mEncrypt.h"

#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

using namespace fixtures;

namespace {

using pictures::UiPictureView;

constexpr int kLoadWaitMs = 10000;

// A JPEG of four quadrants (red at the top left) in the Library, or bytes that
// only start like one.
QString addPicture(MainWorld& w, const QString& name, bool corrupt = false, int level = 0)
{
    const QByteArray bytes = corrupt ? QByteArray("\xff\xd8\xff") + QByteArray(400, 'x')
                                     : encode(quadrants(160, 120), "JPEG");
    const QString stored = level == 0 ? name : mEncrypt::make_hidden_name(name, level);
    return w.world.file(u"Pictures/"_s + stored, inverted(bytes, level));
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

// Tools > Slide Show, in a window of a known size; waits for the first
// picture (or for the show to settle without one).
fSlideShow* startShow(fMain* main)
{
    main->run_command(mainwindow::Command::SlideShow);
    fSlideShow* show = main->slideShow();
    if (!show)
        return nullptr;
    show->resize(640, 480);
    if (!QTest::qWaitFor([show] { return !show->stepPending() && !show->preparing(); },
                         kLoadWaitMs))
        qWarning("the first picture did not come");
    return show;
}

bool ready(fSlideShow* show)
{
    return QTest::qWaitFor([show] { return !show->preparing(); }, kLoadWaitMs);
}

QString name(const QString& key)
{
    return key.section(QLatin1Char('/'), -1);
}

bool reddishTopLeft(UiPictureView* view)
{
    const QImage shot = view->grab().toImage();
    const QRectF r = view->frameRect();
    const QRgb c = shot.pixel((r.topLeft() + QPointF(r.width() * 0.2, r.height() * 0.2)).toPoint());
    return qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80;
}

void typeKey(QWidget* window, Qt::Key key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(window, &press);
}

} // namespace

class TestSlideShow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each step shows the picture prepared in the background at once and
    // starts preparing the next; a picture that fails is reported once and
    // skipped, so no step shows an empty window.
    void stepsShowPreparedPictures_data()
    {
        // "!" at the end: cannot be decoded; "*": hidden at level 3.
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("messages");
        QTest::newRow("in listing order, wrapping")
            << QStringList{"a.jpg", "b.jpg", "c.jpg"}
            << QStringList{"a.jpg", "b.jpg", "c.jpg", "a.jpg"} << 0;
        QTest::newRow("a failed picture is skipped")
            << QStringList{"a.jpg", "b.jpg!", "c.jpg"}
            << QStringList{"a.jpg", "c.jpg", "a.jpg", "c.jpg"} << 2;
        QTest::newRow("hidden pictures show by their readable names")
            << QStringList{"a.jpg*", "b.jpg"} << QStringList{"a.jpg", "b.jpg", "a.jpg"} << 0;
        QTest::newRow("the first picture fails") << QStringList{"a.jpg!", "b.jpg", "c.jpg"}
                                                 << QStringList{"b.jpg", "c.jpg", "b.jpg"} << 2;
    }
    void stepsShowPreparedPictures()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, shown);
        QFETCH(int, messages);
        MainWorld w;
        w.set("Viewing", "slide_show_mode", u"sequential"_s);
        w.world.folder(u"Pictures/Trips"_s);
        w.world.file(u"Pictures/notes.txt"_s, "text");
        QMap<QString, QByteArray> before;
        for (const QString& f : files) {
            const bool mark = f.endsWith(u'!') || f.endsWith(u'*');
            const QString path =
                addPicture(w, mark ? f.chopped(1) : f, f.endsWith(u'!'), f.endsWith(u'*') ? 3 : 0);
            before[path] = readFile(path);
        }
        w.prompt.acceptMessages(messages);
        auto main = openLibrary(w);
        fSlideShow* show = startShow(main.get());
        QVERIFY(show);
        show->timer()->stop(); // the test steps by itself
        QStringList seen{show->shownName()};
        for (int i = 1; i < shown.size(); ++i) {
            QVERIFY(ready(show));
            const QString prepared = show->preparedKey();
            show->next_picture();
            // No wait: the step shows what was prepared, at once.
            QVERIFY(!show->stepPending());
            QCOMPARE(show->shownKey(), prepared);
            seen << show->shownName();
        }
        QCOMPARE(seen, shown);
        QVERIFY(show->picture()->hasPicture());
        QVERIFY(reddishTopLeft(show->picture()));
        QCOMPARE(show->fileNameLabel()->text(), shown.back());
        QCOMPARE(w.prompt.seen.size(), messages);
        for (const auto& m : w.prompt.seen)
            QCOMPARE(m.text, u"Invalid picture"_s);
        show->close();
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(readFile(it.key()), it.value()); // shown, never written
    }

    // A step that comes while the next picture is still decoding waits for it
    // and shows it when it is in; the window answers meanwhile. Pictures are
    // prepared at the size they are drawn.
    void stepWaitsForItsPicture()
    {
        MainWorld w;
        w.set("Viewing", "slide_show_mode", u"sequential"_s);
        for (const char* f : {"a.jpg", "b.jpg"})
            w.world.file(u"Pictures/"_s + QString::fromLatin1(f),
                         encode(quadrants(1600, 1200), "JPEG"));
        auto main = openLibrary(w);
        fSlideShow* show = startShow(main.get());
        QVERIFY(show);
        show->timer()->stop();
        QVERIFY(ready(show));
        QSignalSpy steps(show, &fSlideShow::pictureShown);
        show->next_picture(); // shows b.jpg, prepares a.jpg
        QCOMPARE(name(show->shownKey()), u"b.jpg"_s);
        QVERIFY(show->preparing());
        show->next_picture();
        QVERIFY(show->stepPending());
        QCOMPARE(name(show->shownKey()), u"b.jpg"_s);
        QVERIFY(steps.wait(kLoadWaitMs));
        QCOMPARE(name(show->shownKey()), u"a.jpg"_s);
        const QRectF drawn = show->picture()->frameRect();
        QCOMPARE(show->picture()->image().size(),
                 QSize(qRound(drawn.width()), qRound(drawn.height())));
        QVERIFY(reddishTopLeft(show->picture()));
    }

    // Nothing listed loads: the show stops trying after one round of
    // failures and says so on its name line.
    void nothingLoads()
    {
        MainWorld w;
        addPicture(w, u"a.jpg"_s, true);
        addPicture(w, u"b.jpg"_s, true);
        w.prompt.acceptMessages(2);
        auto main = openLibrary(w);
        fSlideShow* show = startShow(main.get());
        QVERIFY(show);
        QVERIFY(QTest::qWaitFor([&] { return w.prompt.seen.size() == 2 && !show->preparing(); }));
        QTest::qWait(50);
        QCOMPARE(w.prompt.seen.size(), 2);
        QVERIFY(!show->picture()->hasPicture());
        QVERIFY(!show->timer()->isActive());
        QCOMPARE(show->runShowLabel()->text(), u"Off"_s);
        QCOMPARE(show->fileNameLabel()->text(),
                 u"None of the pictures in this folder could be shown"_s);
    }

    // A long name is cut short of the start/stop button and ends in "...",
    // also where the font is wider than the cut's count assumes.
    void longNameCut()
    {
        MainWorld w;
        const QString longName =
            u"A summer at the sea, day three - the lighthouse in the evening light.jpg"_s;
        addPicture(w, longName);
        addPicture(w, u"b.jpg"_s);
        w.set("Viewing", "slide_show_mode", u"sequential"_s);
        auto main = openLibrary(w);
        fSlideShow* show = startShow(main.get());
        QVERIFY(show);
        show->timer()->stop();
        show->showNormal();
        show->resize(420, 320);
        QTRY_COMPARE(show->width(), 420);
        QCOMPARE(show->shownName(), longName);
        const QLabel* line = show->fileNameLabel();
        QVERIFY(line->text().endsWith(u"..."_s));
        QVERIFY(longName.startsWith(line->text().chopped(3)));
        QVERIFY(line->text().size() > 10);
        QVERIFY(line->fontMetrics().horizontalAdvance(line->text()) <= line->width());
        QVERIFY(line->geometry().right() < show->startStopButton()->x());
        show->resize(1200, 700); // room enough: the whole name
        QTRY_COMPARE(line->text(), longName);
    }

    void refusedWithoutPictures()
    {
        MainWorld w;
        w.world.file(u"Pictures/notes.txt"_s, "text");
        w.world.folder(u"Pictures/holiday.jpg"_s); // a folder named like a picture
        w.prompt.acceptMessages(1);
        auto main = openLibrary(w);
        main->run_command(mainwindow::Command::SlideShow);
        QVERIFY(!main->slideShow());
        QCOMPARE(w.prompt.lastText(), u"No pictures were found in the active folder!"_s);
        QCOMPARE(w.prompt.lastTitle(), u"Cloakwell"_s);
    }

    // How the show opens, and what the start/stop button, "s", space and the
    // delay keys do to it. keys: "s", " ", "+", "-", "c" (click the button).
    void runningAndKeys_data()
    {
        QTest::addColumn<int>("pictures");
        QTest::addColumn<QString>("delay");
        QTest::addColumn<QString>("spaceBarStop");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("steps");
        QTest::newRow("opens running") << 3 << "3000"
                                       << "1"
                                       << "" << true << 3000 << 0;
        QTest::newRow("one picture opens stopped, button disabled") << 1 << "3000"
                                                                    << "1"
                                                                    << "cs" << false << 3000 << 0;
        QTest::newRow("s and the button toggle") << 3 << "3000"
                                                 << "1"
                                                 << "sc" << true << 3000 << 0;
        QTest::newRow("s stops") << 3 << "3000"
                                 << "1"
                                 << "s" << false << 3000 << 0;
        QTest::newRow("3000: +, + is a second, + nothing, - two") << 3 << "3000"
                                                                  << "1"
                                                                  << "+++-" << true << 2000 << 0;
        QTest::newRow("a stored 40 seconds is not wrapped") << 3 << "40000"
                                                            << "1"
                                                            << "" << true << 40000 << 0;
        QTest::newRow("- stops at the cap") << 3 << "65000"
                                            << "1"
                                            << "--" << true << 65535 << 0;
        QTest::newRow("space with space_bar_stop stops and steps") << 3 << "3000"
                                                                   << "1"
                                                                   << " " << false << 3000 << 1;
        QTest::newRow("space without it steps on running") << 3 << "3000"
                                                           << "0"
                                                           << " " << true << 3000 << 1;
        QTest::newRow("space when stopped only steps") << 3 << "3000"
                                                       << "0"
                                                       << "s " << false << 3000 << 1;
    }
    void runningAndKeys()
    {
        QFETCH(int, pictures);
        QFETCH(QString, delay);
        QFETCH(QString, spaceBarStop);
        QFETCH(QString, keys);
        QFETCH(bool, running);
        QFETCH(int, interval);
        QFETCH(int, steps);
        MainWorld w;
        w.set("Viewing", "slide_show_delay", delay);
        w.set("Viewing", "space_bar_stop", spaceBarStop);
        w.world.folder(u"Pictures/Trips"_s);
        for (int i = 0; i < pictures; ++i)
            addPicture(w, u"p%1.jpg"_s.arg(i));
        auto main = openLibrary(w);
        fSlideShow* show = startShow(main.get());
        QVERIFY(show);
        QCOMPARE(show->startStopButton()->isEnabled(), pictures != 1);
        QSignalSpy shown(show, &fSlideShow::pictureShown);
        for (QChar k : keys) {
            QVERIFY(ready(show));
            if (k == u'c')
                show->startStopButton()->click();
            else if (k == u' ')
                typeKey(show, Qt::Key_Space, u" "_s);
            else
                typeKey(show,
                        k == u's'   ? Qt::Key_S
                        : k == u'+' ? Qt::Key_Plus
                                    : Qt::Key_Minus,
                        QString(k));
        }
        QCOMPARE(shown.size(), steps);
        QCOMPARE(show->timer()->isActive(), running);
        QCOMPARE(show->timer()->interval(), interval);
        QCOMPARE(show->runShowLabel()->text(), running ? u"On"_s : u"Off"_s);
        QCOMPARE(show->runShowLabel()->palette().color(QPalette::WindowText),
                 running ? QColor(0, 128, 0) : QColor(255, 0, 0));
        // The setting keeps its value: the keys change only the running show.
        QCOMPARE(w.get("Viewing", "slide_show_delay"), delay);
    }

    // The right button outside the picture opens the delay window at the
    // pointer; its slider sets the running show's interval as it moves, and
    // leaving it stores the delay.
    void delayWindow()
    {
        MainWorld w;
        addPicture(w, u"a.jpg"_s);
        addPicture(w, u"b.jpg"_s);
        auto main = openLibrary(w);
        fSlideShow* show = startShow(main.get());
        QVERIFY(show);
        UiPictureView* view = show->picture();
        const QPoint outside(3, 3);
        QVERIFY(!view->frameRect().contains(outside));
        sendMouse(view, QEvent::MouseButtonPress, outside, Qt::RightButton, Qt::RightButton);
        sendMouse(view, QEvent::MouseButtonRelease, outside, Qt::RightButton);
        fDelay* delay = show->delayWindow();
        QVERIFY(delay);
        QCOMPARE(delay->pos(), view->mapToGlobal(outside));
        QCOMPARE(delay->slider()->value(), 3);
        delay->slider()->setValue(5);
        QCOMPARE(show->timer()->interval(), 5000);
        QCOMPARE(delay->windowTitle(), u"Delay: 5.0 seconds"_s);
        QCOMPARE(delay->findChild<QLabel*>(u"delay_label"_s)->text(), u"Delay: 5 seconds"_s);
        delay->commit();
        QCOMPARE(w.get("Viewing", "slide_show_delay"), u"5000"_s);
        QTRY_VERIFY(!show->delayWindow());
    }

    // One slide show at a time: asked for again, the open one comes forward.
    void oneAtATime()
    {
        MainWorld w;
        addPicture(w, u"a.jpg"_s);
        addPicture(w, u"b.jpg"_s);
        auto main = openLibrary(w);
        fSlideShow* show = startShow(main.get());
        QVERIFY(show);
        main->run_command(mainwindow::Command::SlideShow);
        QCOMPARE(main->slideShow(), show);
        QCOMPARE(main->findChildren<fSlideShow*>().size(), 1);
        typeKey(show, Qt::Key_Escape, QString());
        QTRY_VERIFY(!main->slideShow());
    }
};

WINDOW_TEST_MAIN(TestSlideShow)
#include "tst_slideshow.moc"
