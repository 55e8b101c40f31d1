// Pictures in the real windows, offscreen, with a 24-megapixel photo (6000 x
// 4000 JPEG) made here, plain and hidden at level 3, both synced to disk:
//  1. Preview: from the firing of the listing's item timer (preview_timer,
//     which starts the preview) to the picture painted in the pane, against a
//     bare reduced QImageReader decode of the plain file into the same box
//     (target 1.3x), and against the preview of the plain photo (1.1x). Runs
//     alternate their order.
//  2. Viewer: from the open call to the picture painted, against a bare full
//     decode (1.3x).
//  3. Scrolling through 200 photos with the Down key held (one press every
//     30 ms, as a key's auto-repeat sends them): the longest stall of the
//     event loop, measured by a 5 ms timer, until the last photo is painted
//     (target under 50 ms), and how many photos were decoded (only the last).
//  4. Memory: resident size with one photo in the preview and one in a viewer.
#include "bench/BenchSupport.h"
#include "bench/PhotoSetup.h"
#include "bench/UiBenchServices.h"
#include "engine/mEncrypt.h"
#include "mainwindow/fMain.h"
#include "panes/fLibraries.h"
#include "pictures/UiPictureView.h"
#include "pictures/fImage.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

using bench::makePhoto;
using bench::median;
using bench::now;
using bench::writeSynced;
using pictures::UiPictureView;

long statusKb(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

void waitFor(const std::function<bool()>& done)
{
    while (!done())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Notes when the item timer fires, before its handler runs.
class TimerClock : public QObject
{
public:
    double fired = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Timer)
            fired = now();
        return false;
    }
};

void clickRow(fLibraries* window, int row)
{
    QTreeView* view = window->listView();
    const QModelIndex index = window->pane().list.index(row, 0);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &e);
    }
}

int rowOf(fLibraries* window, const QString& text)
{
    const auto& list = window->pane().list;
    for (int row = 0; row < list.count(); ++row)
        if (list.item(row).text == text)
            return row;
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/cloakwell-bench-XXXXXX"));
    if (!tmp.isValid())
        return 1;
    const QString lib = tmp.filePath(QStringLiteral("Lib"));
    const QString many = lib + QStringLiteral("/many");
    QDir().mkpath(many);
    const QByteArray jpeg = makePhoto(6000, 4000);
    const QString plain = lib + QStringLiteral("/photo.jpg");
    const QString hidden =
        lib + QLatin1Char('/') + mEncrypt::make_hidden_name(QStringLiteral("photo copy.jpg"), 3);
    QByteArray inverted = jpeg;
    for (qsizetype i = 0; i < qMin<qsizetype>(inverted.size(), mEncrypt::kLevel3Region); ++i)
        inverted[i] = char(~quint8(inverted[i]));
    if (!writeSynced(plain, jpeg) || !writeSynced(hidden, inverted))
        return 1;
    // 200 photos for the scroll: names linked to the one photo (no 2 GB of
    // copies), each decoded like a photo of its own.
    const int photos = 200;
    for (int i = 0; i < photos; ++i)
        if (::link(
                QFile::encodeName(plain).constData(),
                QFile::encodeName(many + QStringLiteral("/p%1.jpg").arg(i, 3, 10, QLatin1Char('0')))
                    .constData()) != 0)
            return 1;
    std::printf("photo: 6000 x 4000 JPEG, %.1f MB; offscreen windows\n", jpeg.size() / 1048576.0);

    platform::DataFolders folders{tmp.path(), tmp.path(), tmp.filePath("Cloakwell.ini"),
                                  tmp.filePath("KZ Bin")};
    const settings::SettingsStore store(folders.settingsFile);
    bench::saveOneLibrary(store, lib);

    bench::SilentPrompt prompt(platform::PromptAnswer::No);
    bench::BenchMain bench(folders, store, prompt);
    fMain& main = bench.main;
    main.resize(1900, 1500);
    main.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents();
    fLibraries* window = main.librariesWindow();
    waitFor([&] { return window->pane().list.count() > 0; });
    UiPictureView* pane = window->previewView();
    // The main window sized so that the tiled Libraries window gives the pane
    // 800 x 600 pixels (the pane follows the window's width one for one and
    // its height one for two).
    for (int tries = 0; tries < 6 && pane->size() != QSize(800, 600); ++tries) {
        main.resize(main.width() + 800 - pane->width(), main.height() + 2 * (600 - pane->height()));
        settle.restart();
        while (settle.elapsed() < 200)
            QApplication::processEvents();
    }
    const QSize box = pane->size() * pane->devicePixelRatioF();
    std::printf("preview pane: %d x %d pixels\n", box.width(), box.height());

    TimerClock clock;
    window->findChild<QTimer*>(QStringLiteral("preview_timer"))->installEventFilter(&clock);
    bool painted = false;
    QObject::connect(pane, &UiPictureView::picturePainted, [&] { painted = true; });
    const int hiddenRow = rowOf(window, QStringLiteral("photo copy.jpg"));
    const int plainRow = rowOf(window, QStringLiteral("photo.jpg"));
    if (hiddenRow < 0 || plainRow < 0)
        return 1;
    auto preview = [&](int row) {
        painted = false;
        clickRow(window, row);
        waitFor([&] { return painted; });
        const double t = now() - clock.fired;
        const bool ok = pane->hasPicture() && pane->imageReduced() &&
                        pane->image().width() <= box.width() &&
                        pane->image().height() <= box.height();
        return ok ? t : -1.0;
    };
    auto bare = [&] {
        const double t = now();
        QImageReader reader(plain);
        reader.setAutoTransform(true);
        reader.setScaledSize(QSize(6000, 4000).scaled(box, Qt::KeepAspectRatio));
        const QImage img = reader.read();
        return img.isNull() ? -1.0 : now() - t;
    };
    std::vector<double> tHidden, tPlain, tBare;
    const int runs = 9;
    for (int run = 0; run <= runs; ++run) {
        double h, p, b;
        if (run % 2) {
            h = preview(hiddenRow);
            p = preview(plainRow);
            b = bare();
        } else {
            b = bare();
            p = preview(plainRow);
            h = preview(hiddenRow);
        }
        if (h < 0 || p < 0 || b < 0)
            return 1;
        if (run == 0)
            continue; // warm-up
        tHidden.push_back(h);
        tPlain.push_back(p);
        tBare.push_back(b);
    }
    const double mh = median(tHidden) * 1000, mp = median(tPlain) * 1000, mb = median(tBare) * 1000;
    std::printf("preview, item timer fired to picture painted, medians of %d runs:\n", runs);
    std::printf("  bare QImageReader reduced decode, plain file: %7.1f ms\n", mb);
    std::printf("  preview of the photo hidden at level 3:       %7.1f ms  (%.2fx bare, target "
                "<= 1.30) %s\n",
                mh, mh / mb, mh / mb <= 1.3 ? "ok" : "MISSED");
    std::printf("  preview of the plain photo:                   %7.1f ms  (hidden/plain %.2fx, "
                "target <= 1.10) %s\n",
                mp, mh / mp, mh / mp <= 1.1 ? "ok" : "MISSED");

    // The viewer.
    std::vector<double> tView, tFull;
    for (int run = 0; run < 5; ++run) {
        auto full = [&] {
            const double t = now();
            QImageReader reader(plain);
            reader.setAutoTransform(true);
            return reader.read().size() == QSize(6000, 4000) ? now() - t : -1.0;
        };
        auto view = [&] {
            bool shown = false;
            const double t = now();
            main.open_image_viewer(hidden, QStringLiteral("photo copy.jpg"));
            fImage* viewer = main.findChildren<fImage*>().back();
            QObject::connect(viewer->picture(), &UiPictureView::picturePainted,
                             [&] { shown = true; });
            waitFor([&] { return shown; });
            const double took = now() - t;
            const bool ok = viewer->picture()->image().size() == QSize(6000, 4000);
            viewer->close();
            QApplication::processEvents();
            return ok ? took : -1.0;
        };
        const double a = run % 2 ? full() : view();
        const double b = run % 2 ? view() : full();
        const double f = run % 2 ? a : b, v = run % 2 ? b : a;
        if (f < 0 || v < 0)
            return 1;
        tFull.push_back(f);
        tView.push_back(v);
    }
    const double mf = median(tFull) * 1000, mv = median(tView) * 1000;
    std::printf("viewer, open to picture painted, medians of 5 runs:\n");
    std::printf("  bare QImageReader full decode, plain file:    %7.1f ms\n", mf);
    std::printf("  viewer on the photo hidden at level 3:        %7.1f ms  (%.2fx bare, target "
                "<= 1.30) %s\n",
                mv, mv / mf, mv / mf <= 1.3 ? "ok" : "MISSED");

    // Memory: one photo in the preview (shown above) and one in a viewer.
    {
        const long before = statusKb("VmRSS:");
        bool shown = false;
        main.open_image_viewer(hidden, QStringLiteral("photo copy.jpg"));
        fImage* viewer = main.findChildren<fImage*>().back();
        QObject::connect(viewer->picture(), &UiPictureView::picturePainted, [&] { shown = true; });
        waitFor([&] { return shown; });
        std::printf("memory: resident %.0f MB with a photo in the preview and one in a viewer "
                    "(the viewer added %.0f MB; process peak so far %.0f MB)\n",
                    statusKb("VmRSS:") / 1024.0, (statusKb("VmRSS:") - before) / 1024.0,
                    statusKb("VmHWM:") / 1024.0);
        viewer->close();
        QApplication::processEvents();
    }

    // Scrolling through 200 photos with the Down key.
    window->showNode(many);
    waitFor([&] { return window->pane().list.count() == photos; });
    clickRow(window, 0);
    painted = false;
    waitFor([&] { return painted; });
    int loads = 0;
    QString lastLoaded;
    QObject::connect(pane, &UiPictureView::loadFinished, [&](bool) {
        ++loads;
        lastLoaded = pane->path();
    });
    const quint64 firstTicket = pane->decoder().latestTicket();
    double longest = 0, last = now();
    QTimer beat;
    beat.setInterval(5);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const double t = now();
        longest = std::max(longest, t - last);
        last = t;
    });
    QTimer keys;
    keys.setInterval(30);
    int pressed = 0;
    QObject::connect(&keys, &QTimer::timeout, [&] {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(window->listView(), &down);
        if (++pressed == photos - 1)
            keys.stop();
    });
    painted = false;
    beat.start();
    keys.start();
    const double started = now();
    waitFor([&] { return pressed == photos - 1 && painted && !pane->busy(); });
    const double took = now() - started;
    beat.stop();
    const QString expected = many + QStringLiteral("/p199.jpg");
    std::printf("scroll through %d photos, Down every 30 ms (%.2f s to the last one painted):\n",
                photos, took);
    std::printf("  longest event-loop stall: %.1f ms (target < 50) %s\n", longest * 1000,
                longest < 0.05 ? "ok" : "MISSED");
    std::printf("  decodes started: %llu, pictures shown: %d, the last one shown: %s\n",
                static_cast<unsigned long long>(pane->decoder().latestTicket() - firstTicket),
                loads, lastLoaded == expected ? "yes" : "NO");
    return lastLoaded == expected ? 0 : 1;
}
