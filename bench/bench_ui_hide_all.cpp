// Hide and Unhide of "My Libraries" from the real main window, offscreen,
// with the Libraries window open: two Libraries holding 10,000 files of
// 300 KB in 1,000 folders, at level 3. The user's way in: a click on "My
// Libraries" in the Libraries tree, the Hide button, Yes to the question
// (then the same for Unhide). Timed from the button to the window having
// handled what the command left behind (its rebuilt tree painted). Against
// calling hide_folder / hide_file (unhide_folder / unhide_file) directly on
// the same items in the walk's order, in the same run. Medians of
// alternating rounds.
#include "bench/HideCollection.h"
#include "bench/UiBenchServices.h"

#include "browse/TreeNode.h"
#include "engine/mEncrypt.h"
#include "libraries/mLibraries.h"
#include "mainwindow/fMain.h"
#include "panes/fLibraries.h"
#include "platform/Paths.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>
#include <cstring>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

using namespace bench;

constexpr int kRounds = 5;

// Counts the showings of the progress window: a walk of this size runs past
// its one-second wait, so the window path pays for it too.
class ProgressWatch : public QObject
{
public:
    int shown = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("fProgress"))
            ++shown;
        return false;
    }
};

// Items below the folder whose names are hidden names: how the command's
// work is checked without asking it.
int countHidden(const QString& folder)
{
    int n = 0;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        n += mEncrypt::is_hidden_name(it.nextFileInfo().fileName());
    return n;
}

void clickNode(fLibraries* window, const browse::TreeNode* node)
{
    QTreeView* view = window->treeView();
    const QModelIndex index = window->pane().tree.indexOf(node);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &e);
    }
}

bool waitFor(const std::function<bool()>& done, double seconds = 10)
{
    const double until = bench::now() + seconds;
    while (!done()) {
        if (bench::now() > until)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
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
    const QString root = tmp.path();
    const int folderCount = kLibraries * (kTopFolders + kTopFolders * kSubFolders);
    const int fileCount = folderCount * kFilesPerFolder;
    const int items = folderCount + fileCount;
    std::printf("Hide then Unhide of My Libraries from the main window, Libraries window open, "
                "offscreen: %d Libraries, %d folders, %d files of %lld KB at level 3\n",
                kLibraries, folderCount, fileCount, kFileSize / 1024);

    const platform::DataFolders folders{
        root + QStringLiteral("/program"), root + QStringLiteral("/program"),
        root + QStringLiteral("/Cloakwell.ini"), root + QStringLiteral("/program/KZ Bin")};
    const settings::SettingsStore store(folders.settingsFile);
    for (auto [section, name, value] : {std::tuple{"Behavior", "load_explorer", "0"},
                                        {"Behavior", "load_libraries", "1"},
                                        {"Behavior", "warn_on_exit", "0"},
                                        {"Behavior", "encrypt_level", "3"},
                                        {"Behavior", "encrypt_level_3_ext", "jpg mpg"}})
        store.save_setting(QLatin1String(section), QLatin1String(name), QLatin1String(value));

    std::vector<Folder> libraries = makeCollection(root, store);

    YesPrompt prompt;
    bench::BenchMain bench(folders, store, prompt);
    fMain& main = bench.main;
    fLibraries* window = main.librariesWindow();
    if (!window) {
        std::fprintf(stderr, "the Libraries window did not open\n");
        return 1;
    }
    const mainwindow::AppState& state = main.state();
    if (state.prefs.encrypt_level != 3) {
        std::fprintf(stderr, "the preferences did not set level 3\n");
        return 1;
    }
    ProgressWatch watch;
    app.installEventFilter(&watch);
    QAction* hideAction = main.findChild<QAction*>(QStringLiteral("tb_hide"));
    QAction* unhideAction = main.findChild<QAction*>(QStringLiteral("tb_unhide"));
    QApplication::processEvents();

    bool faults = false;
    auto command = [&](bool hiding) {
        // "My Libraries" chosen in the tree, the tree focused, and its
        // delayed listing over before the clock starts.
        browse::FolderTreeModel& tree = window->pane().tree;
        clickNode(window, tree.firstRoot());
        window->treeView()->setFocus();
        QAction* button = hiding ? hideAction : unhideAction;
        if (!waitFor([&] {
                return state.object_focus == mainwindow::kLibrariesTree &&
                       tree.selectedKey() == QLatin1String("mylibraries") && button->isEnabled();
            })) {
            std::fprintf(stderr, "the %s button was not offered\n", hiding ? "Hide" : "Unhide");
            faults = true;
        }
        QApplication::processEvents();
        const int asked = prompt.questions;
        const double t = bench::now();
        button->trigger();
        QApplication::processEvents();
        window->treeView()->viewport()->repaint();
        const double took = bench::now() - t;
        int expected = hiding ? items : 0;
        int hidden = 0;
        for (int l = 1; l <= kLibraries; ++l)
            hidden += countHidden(root + QStringLiteral("/Library %1").arg(l));
        if (hidden != expected || prompt.questions != asked + 1 || prompt.count) {
            std::fprintf(stderr, "command: %d hidden items after %s (expected %d), %d questions\n",
                         hidden, hiding ? "Hide" : "Unhide", expected, prompt.questions - asked);
            faults = true;
        }
        return took;
    };
    const mEncrypt::Context enc{state.prefs, prompt};
    auto direct = [&](bool hiding) {
        const double t = bench::now();
        int changed = 0;
        const auto libs = mLibraries::read_libraries(store);
        for (size_t l = 0; l < libraries.size(); ++l)
            changed += reference(libs[l].path, libraries[l], hiding, enc);
        const double took = bench::now() - t;
        if (changed != items || prompt.count) {
            std::fprintf(stderr, "reference changed %d of %d items\n", changed, items);
            faults = true;
        }
        return took;
    };

    std::vector<double> cmdHide, cmdUnhide, refHide, refUnhide;
    for (int round = 0; round < kRounds; ++round) {
        // Alternate which goes first, and start each pass with no dirty pages.
        for (int k = 0; k < 2; ++k) {
            const bool commandNow = (round + k) % 2 == 0;
            ::sync();
            (commandNow ? cmdHide : refHide).push_back(commandNow ? command(true) : direct(true));
            ::sync();
            (commandNow ? cmdUnhide : refUnhide)
                .push_back(commandNow ? command(false) : direct(false));
        }
    }
    const double ch = bench::median(cmdHide), cu = bench::median(cmdUnhide);
    const double rh = bench::median(refHide), ru = bench::median(refUnhide);
    const double ratio = (ch + cu) / (rh + ru);
    auto samples = [](const char* what, const std::vector<double>& v) {
        std::printf("  %-14s", what);
        for (double x : v)
            std::printf(" %.2f", x);
        std::printf("\n");
    };
    std::printf("rounds (s):\n");
    samples("window hide", cmdHide);
    samples("direct hide", refHide);
    samples("window unhide", cmdUnhide);
    samples("direct unhide", refUnhide);
    std::printf("medians of %d rounds:\n", kRounds);
    std::printf("  hide:   window %.2f s, direct %.2f s, ratio %.3f\n", ch, rh, ch / rh);
    std::printf("  unhide: window %.2f s, direct %.2f s, ratio %.3f\n", cu, ru, cu / ru);
    std::printf("  both:   window %.2f s, direct %.2f s, ratio %.3f (target <= 1.25) %s\n", ch + cu,
                rh + ru, ratio, ratio <= 1.25 ? "ok" : "MISSED");
    std::printf("  progress window shown in %d of %d window commands; tree after them: %d nodes\n",
                watch.shown, 2 * kRounds, window->pane().tree.nodeCount());
    std::fflush(stdout);
    return !faults && ratio <= 1.25 ? 0 : 1;
}
