// build_library_tree over a Library of 10,000 folders five levels deep, a
// third of them hidden, against "find LIBRARY -type d" in the same run;
// median of the per-run ratios.
#include "bench/BenchSupport.h"
#include "browse/BrowseContext.h"
#include "browse/FolderTreeModel.h"
#include "browse/mGetFolders.h"
#include "engine/mEncrypt.h"
#include "libraries/mLibraries.h"
#include "platform/DataFolders.h"
#include "settings/mRegistry.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::median;
using bench::now;
using bench::SilentPrompt;

// Seven subfolders per folder, breadth first, until there are `total`
// folders; the fifth level is the last and only partly filled. Every third
// folder has a hidden name.
int makeLibrary(const QString& root, int total)
{
    std::vector<QString> level{root};
    int made = 0, depth = 0;
    while (made < total && !level.empty()) {
        ++depth;
        std::vector<QString> next;
        for (const QString& parent : level)
            for (int i = 0; i < 7 && made < total; ++i, ++made) {
                QString name = QStringLiteral("Album %1").arg(made);
                if (made % 3 == 0)
                    name = mEncrypt::make_hidden_name(name, 1);
                const QString path = parent + QLatin1Char('/') + name;
                ::mkdir(QFile::encodeName(path).constData(), 0755);
                next.push_back(path);
            }
        level = std::move(next);
    }
    return depth;
}

double runFind(const QString& dir)
{
    return bench::runCommand({"find", QFile::encodeName(dir), "-type", "d"}).seconds;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const int folders = 10000, runs = 7;
    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/cloakwell-bench-XXXXXX"));
    if (!tmp.isValid())
        return 1;
    const QString lib = tmp.filePath(QStringLiteral("Library"));
    QDir().mkpath(lib);
    const int depth = makeLibrary(lib, folders);

    SilentPrompt prompt;
    settings::SettingsStore store(tmp.filePath(QStringLiteral("Cloakwell.ini")));
    const platform::DataFolders data{tmp.path(), tmp.path(), store.filePath(),
                                     tmp.filePath(QStringLiteral("KZ Bin"))};
    mLibraries::add_library_entry(store, QStringLiteral("Pictures"), lib);
    settings::Preferences prefs;
    short focus = 1;
    const browse::IconList base = browse::makeIconImageList();
    browse::StagingList staging;
    const browse::BrowseContext ctx{prefs, prompt, store, data, focus, base, staging};
    browse::FolderTreeModel tree(true, base);

    std::printf("build_library_tree of one Library of %d folders, %d levels deep, a third "
                "hidden, vs find -type d, %d runs after one warm-up\n",
                folders, depth, runs);
    std::vector<double> ours, theirs, ratios;
    for (int run = 0; run <= runs; ++run) {
        // Reopen the Library each time, so each build also restores it.
        if (tree.firstRoot() && !tree.firstRoot()->children.empty())
            tree.setExpanded(tree.firstRoot()->children.front().get(), true);
        const double t = now();
        mGetFolders::build_library_tree(ctx, tree);
        const double took = now() - t;
        const double find = runFind(lib);
        // Root, Library, its folders and the bin.
        if (tree.nodeCount() != folders + 3 || prompt.count != 0) {
            std::printf("  the tree holds %d nodes, %d expected\n", tree.nodeCount(), folders + 3);
            return 1;
        }
        if (run == 0) {
            std::printf("  first build: %.1f ms\n", took * 1000);
            continue;
        }
        ours.push_back(took);
        theirs.push_back(find);
        ratios.push_back(took / find);
    }
    const double ratio = median(ratios);
    std::printf("  build_library_tree median %.1f ms, find median %.1f ms, median ratio %.2f "
                "(target <= 2.00) %s\n",
                median(ours) * 1000, median(theirs) * 1000, ratio, ratio <= 2.0 ? "ok" : "MISSED");
    return ratio <= 2.0 ? 0 : 1;
}
