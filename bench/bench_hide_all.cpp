// Hide and Unhide of "My Libraries" over two Libraries holding 10,000 files of
// 300 KB in 1,000 folders, at level 3, with the Libraries pane's models built
// (the tree walked, the nodes rebuilt), against calling hide_folder /
// hide_file (unhide_folder / unhide_file) directly on the same items in the
// same order, in the same run. Prints the median of three rounds per pass.
#include "bench/HideCollection.h"

#include "browse/BrowsePane.h"
#include "browse/mGetFolders.h"
#include "engine/mEncrypt.h"
#include "engine/mHide.h"
#include "libraries/mLibraries.h"
#include "mainwindow/AppState.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

using namespace bench;

// Does what the progress window does on every item before it shows: a look
// at the clock.
class ClockProgress : public engine::OperationProgress
{
public:
    void start(const QString&) override { m_start = bench::now(); }
    void step(const engine::OperationReport&, const QString&) override
    {
        m_late |= bench::now() - m_start > 1.0;
    }
    bool cancelled() const override { return false; }
    void finish() override {}

private:
    double m_start = 0;
    bool m_late = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/cloakwell-bench-XXXXXX"));
    if (!dir.isValid())
        return 1;
    const QString root = dir.path();
    const int folderCount = kLibraries * (kTopFolders + kTopFolders * kSubFolders);
    const int fileCount = folderCount * kFilesPerFolder;
    const int items = folderCount + fileCount;
    std::printf("hide then unhide of My Libraries: %d Libraries, %d folders, %d files of %lld KB "
                "at level 3\n",
                kLibraries, folderCount, fileCount, kFileSize / 1024);

    settings::SettingsStore store(root + QStringLiteral("/Cloakwell.ini"));
    const platform::DataFolders folders{
        root + QStringLiteral("/program"), root + QStringLiteral("/program"),
        root + QStringLiteral("/Cloakwell.ini"), root + QStringLiteral("/program/KZ Bin")};
    std::vector<Folder> libraries = makeCollection(root, store);

    settings::Preferences prefs;
    prefs.encrypt_level = 3;
    prefs.encrypt_level_3_ext = QStringLiteral("jpg mpg");
    bench::YesPrompt prompt;
    short focus = mainwindow::kLibrariesTree;
    const browse::IconList base = browse::makeIconImageList();
    browse::StagingList staging;
    const browse::BrowseContext bctx{prefs, prompt, store, folders, focus, base, staging, {}, {}};
    browse::BrowsePane pane(true);
    mGetFolders::copy_icons(pane.treeIcons, base);
    mGetFolders::copy_icons(pane.listIcons, base);
    mGetFolders::build_library_tree(bctx, pane.tree);
    ClockProgress progress;
    const mHide::Context ctx{bctx, &pane, [] {}, [] {}, [] {}, &progress};
    const mEncrypt::Context enc{prefs, prompt};

    auto command = [&](bool hiding) {
        pane.tree.selectNode(pane.tree.firstRoot());
        const double t = bench::now();
        const mHide::BulkResult r =
            hiding ? mHide::hide_selection(ctx) : mHide::unhide_selection(ctx);
        const double took = bench::now() - t;
        if (r.changed != items || prompt.count)
            std::fprintf(stderr, "command changed %d of %d items\n", r.changed, items);
        return took;
    };
    auto direct = [&](bool hiding) {
        const double t = bench::now();
        int changed = 0;
        const auto libs = mLibraries::read_libraries(store);
        for (size_t l = 0; l < libraries.size(); ++l)
            changed += reference(libs[l].path, libraries[l], hiding, enc);
        const double took = bench::now() - t;
        if (changed != items || prompt.count)
            std::fprintf(stderr, "reference changed %d of %d items\n", changed, items);
        return took;
    };

    std::vector<double> cmdHide, cmdUnhide, refHide, refUnhide;
    for (int round = 0; round < 3; ++round) {
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
    std::printf("  hide:   command %.2f s, direct %.2f s, ratio %.3f\n", ch, rh, ch / rh);
    std::printf("  unhide: command %.2f s, direct %.2f s, ratio %.3f\n", cu, ru, cu / ru);
    std::printf("  both:   command %.2f s, direct %.2f s, ratio %.3f (target 1.25)\n", ch + cu,
                rh + ru, (ch + cu) / (rh + ru));
    std::printf("  tree after the command: %d nodes\n", pane.tree.nodeCount());
    return prompt.count == 0 && (ch + cu) / (rh + ru) <= 1.25 ? 0 : 1;
}
