// The Picture Sorter in the real windows, offscreen: 100 photos of 24
// megapixels (6000 x 4000 JPEG, made here, synced to disk) in a Library
// folder with two subfolders, the sorter window at 1600 x 1000.
//  1. Sorting: from a digit key to the next picture painted, the move on disk
//     (same file system, through the program's file operation) included. The
//     user looks at each picture before the key, so the next one has been
//     prepared meanwhile, as in real use. Median and worst of the 100, and
//     the share of the move itself: the bare no-replace rename of one file,
//     timed in the same run, alternating with the keys.
//  2. Undo: from Ctrl+Z to the picture put back painted (it is decoded anew).
// Every step is checked: the picture painted is the one expected and the file
// is where it was sent.
#include "bench/BenchSupport.h"
#include "bench/PhotoSetup.h"
#include "bench/UiBenchServices.h"
#include "mainwindow/fMain.h"
#include "panes/fLibraries.h"
#include "pictures/UiPictureView.h"
#include "pictures/fSlideShow.h"
#include "platform/FileSystem.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

using bench::median;
using bench::now;

bool waitFor(const std::function<bool()>& done, double seconds = 30)
{
    const double until = now() + seconds;
    while (!done()) {
        if (now() > until)
            return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

void press(QWidget* window, Qt::Key key, const QString& text,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent e(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(window, &e);
}

QString photoName(int i)
{
    return QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
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
    const QString sorted[] = {lib + QStringLiteral("/Keep"), lib + QStringLiteral("/Later")};
    for (const QString& d : sorted)
        QDir().mkpath(d);
    const QString scratch = tmp.filePath(QStringLiteral("scratch"));
    QDir().mkpath(scratch);

    // One photo under 100 names (hard links: no 1 GB of copies); each is
    // decoded like a photo of its own.
    const int photos = 100;
    const QByteArray jpeg = bench::makePhoto(6000, 4000);
    const QString first = lib + QLatin1Char('/') + photoName(0);
    if (!bench::writeSynced(first, jpeg))
        return 1;
    for (int i = 1; i < photos; ++i)
        if (::link(QFile::encodeName(first).constData(),
                   QFile::encodeName(lib + QLatin1Char('/') + photoName(i)).constData()) != 0)
            return 1;
    const QString probe = scratch + QStringLiteral("/probe.jpg");
    if (!bench::writeSynced(probe, QByteArray(4096, 'x')))
        return 1;
    ::sync();
    std::printf("photos: %d of 6000 x 4000, JPEG %.1f MB each; offscreen windows\n", photos,
                jpeg.size() / 1048576.0);

    platform::DataFolders folders{tmp.path(), tmp.path(), tmp.filePath("Cloakwell.ini"),
                                  tmp.filePath("KZ Bin")};
    const settings::SettingsStore store(folders.settingsFile);
    bench::saveOneLibrary(store, lib);

    bench::SilentPrompt prompt(platform::PromptAnswer::Cancel);
    bench::BenchMain bench(folders, store, prompt);
    fMain& main = bench.main;
    main.resize(1600, 1000);
    main.show();
    fLibraries* window = main.librariesWindow();
    if (!window || !window->showNode(lib) ||
        !waitFor([&] { return window->pane().list.count() == photos + 2; }))
        return 1;

    main.run_command(mainwindow::Command::PictureSorter);
    fSlideShow* show = main.slideShow();
    if (!show)
        return 1;
    show->showNormal();
    show->resize(1600, 1000);
    pictures::UiPictureView* view = show->picture();
    bool painted = false;
    QObject::connect(view, &pictures::UiPictureView::picturePainted, [&] { painted = true; });
    auto settled = [&] {
        return waitFor([&] { return !show->stepPending() && !show->preparing(); });
    };
    if (!settled() || !waitFor([&] { return view->hasPicture(); }))
        return 1;
    std::printf("sorter window: %d x %d pixels, picture drawn at %d x %d\n", show->width(),
                show->height(), view->image().width(), view->image().height());

    // 1. Sorting, each key after the next picture is ready.
    std::vector<double> keys, renames;
    bool checked = true;
    for (int i = 0; i < photos; ++i) {
        const bool renameFirst = i % 2;
        auto rename = [&] {
            const QString away = scratch + QStringLiteral("/away.jpg");
            const double t = now();
            const bool ok = platform::renameNoReplace(probe, away) == platform::RenameResult::Ok;
            const double took = now() - t;
            platform::renameNoReplace(away, probe);
            if (ok)
                renames.push_back(took);
        };
        if (renameFirst)
            rename();
        if (!settled())
            return 1;
        const QString shown = show->shownKey();
        const QString expectedNext = show->preparedKey();
        if (shown != lib + QLatin1Char('/') + photoName(i))
            checked = false;
        const int target = i % 2; // buttons 1 and 2
        painted = false;
        const double t = now();
        press(show, target ? Qt::Key_2 : Qt::Key_1,
              target ? QStringLiteral("2") : QStringLiteral("1"));
        if (i + 1 < photos) {
            if (!waitFor([&] { return painted; }))
                return 1;
            keys.push_back(now() - t);
            if (show->shownKey() != expectedNext)
                checked = false;
        }
        if (!QFile::exists(sorted[target] + QLatin1Char('/') + photoName(i)))
            checked = false;
        if (!renameFirst)
            rename();
    }
    if (!waitFor([&] { return !view->hasPicture(); }, 5))
        checked = false; // all sorted: nothing shown
    const double mk = median(keys) * 1000;
    const double worst = *std::max_element(keys.begin(), keys.end()) * 1000;
    std::printf("sorting, digit key to the next picture painted, move included (%zu steps):\n",
                keys.size());
    std::printf("  median %7.1f ms, worst %7.1f ms\n", mk, worst);
    std::printf("  the bare no-replace rename of one file, same run: median %.3f ms\n",
                median(renames) * 1000);

    // 2. Undo: the last 20 moves taken back, each picture shown again.
    std::vector<double> undos;
    for (int i = photos - 1; i >= photos - 20; --i) {
        if (!settled())
            return 1;
        painted = false;
        const double t = now();
        press(show, Qt::Key_Z, QStringLiteral("\x1a"), Qt::ControlModifier);
        if (!waitFor([&] {
                return painted && show->shownKey() == lib + QLatin1Char('/') + photoName(i);
            }))
            return 1;
        undos.push_back(now() - t);
        if (!QFile::exists(lib + QLatin1Char('/') + photoName(i)))
            checked = false;
    }
    std::printf("undo, Ctrl+Z to the picture put back painted (decoded anew), %zu steps:\n",
                undos.size());
    std::printf("  median %7.1f ms, worst %7.1f ms\n", median(undos) * 1000,
                *std::max_element(undos.begin(), undos.end()) * 1000);
    std::printf("every step showed the expected picture and left the file where it was sent: "
                "%s; prompts: %d\n",
                checked ? "yes" : "NO", prompt.count);
    return checked && prompt.count == 0 ? 0 : 1;
}
