// list_folder of a folder of 20,000 files with mixed extensions (a quarter of
// them hidden), in the Libraries pane and in the Explorer pane, against
// "ls -l" of the same folder in the same run; median of the per-run ratios.
// The files of the folder this process opens during the listings are
// counted in the process itself (bench/OpenCounter.h stands in for the open
// calls), so what other programs on the machine do is not counted: there
// must be none. Then the peak resident memory of a process that lists a
// folder of 100,000 files, per file, beside that of "ls -l" on that folder.
#include "bench/BenchSupport.h"
#include "bench/ListingSetup.h"
#include "bench/OpenCounter.h"
#include "engine/mEncrypt.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::median;
using bench::now;
using bench::SilentPrompt;

struct LsRun
{
    double seconds = 0;
    long peakKb = 0;
};

// "ls -l dir > /dev/null", timed, with its own peak resident memory.
LsRun runLs(const QString& dir)
{
    const auto run = bench::runCommand({"ls", "-l", QFile::encodeName(dir)});
    return LsRun{run.seconds, run.peakKb};
}

using Setup = bench::ListingSetup;

long statusKb(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Child process: list the folder once and report resident memory.
int memoryRun(const QString& root, const QString& dir)
{
    Setup s(root, true);
    s.show(dir);
    const long before = statusKb("VmRSS:");
    const double t = now();
    const auto result = mFileInfo::list_folder(s.ctx, s.pane);
    const double took = now() - t;
    std::printf("%ld %ld %d %.3f %d\n", before, statusKb("VmHWM:"), s.pane.list.count(), took,
                int(result));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--memory") == 0)
        return memoryRun(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]));

    const int files = 20000, runs = 7;
    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/cloakwell-bench-XXXXXX"));
    if (!tmp.isValid())
        return 1;
    const QString dir = tmp.filePath(QStringLiteral("folder"));
    QDir().mkpath(dir);
    bench::makeMixedFolder(dir, files);

    // The counter must see an open of one of the folder's files, or its
    // zero below would mean nothing.
    bench::opens::watch(QFile::encodeName(dir));
    {
        QFile probe(dir + QStringLiteral("/Picture 000000.jpg"));
        (void)probe.open(QIODevice::ReadOnly);
    }
    bench::opens::stop();
    if (bench::opens::count != 1) {
        std::printf("the open counter does not see this process's opens (%d)\n",
                    int(bench::opens::count));
        return 1;
    }
    bool ok = true;
    std::printf("list_folder of %d files (20 kinds of name, a quarter hidden) vs ls -l, "
                "%d runs after one warm-up\n",
                files, runs);
    for (bool libraries : {true, false}) {
        Setup s(tmp.path(), libraries);
        s.show(dir);
        std::vector<double> ratios, ours, theirs;
        bench::opens::watch(QFile::encodeName(dir));
        for (int run = 0; run <= runs; ++run) {
            const double t = now();
            const auto result = mFileInfo::list_folder(s.ctx, s.pane);
            const double took = now() - t;
            const double ls = runLs(dir).seconds;
            if (result != mFileInfo::ListingResult::Listed || s.pane.list.count() != files) {
                std::printf("  listing failed (%d items)\n", s.pane.list.count());
                return 1;
            }
            if (run == 0) {
                std::printf("  %s pane, first listing (type and icon caches empty): %.1f ms\n",
                            libraries ? "Libraries" : "Explorer", took * 1000);
                continue;
            }
            ours.push_back(took);
            theirs.push_back(ls);
            ratios.push_back(took / ls);
        }
        bench::opens::stop();
        const int opened = bench::opens::count;
        QStringList openedNames;
        for (const QByteArray& name : bench::opens::examples)
            openedNames.append(QFile::decodeName(name));
        const double ratio = median(ratios);
        std::printf("  %s pane: list_folder median %.1f ms, ls -l median %.1f ms, "
                    "median ratio %.2f (target <= 2.00) %s\n",
                    libraries ? "Libraries" : "Explorer", median(ours) * 1000,
                    median(theirs) * 1000, ratio, ratio <= 2.0 ? "ok" : "MISSED");
        std::printf("  files of the folder this process opened during the listings "
                    "(counted in-process at the open calls): %d%s%s\n",
                    opened, opened ? " e.g. " : "", qPrintable(openedNames.join(QLatin1Char(' '))));
        std::printf("  image list after the listings: %d images\n", s.pane.listIcons.count());
        ok = ok && ratio <= 2.0 && opened == 0 && s.prompt.count == 0;
    }

    // Peak memory, each measured in a fresh process.
    const int many = 100000;
    const QString big = tmp.filePath(QStringLiteral("big"));
    QDir().mkpath(big);
    bench::makeMixedFolder(big, many);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--memory"), tmp.path(), big});
    child.waitForFinished(-1);
    const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
    const LsRun ls = runLs(big);
    if (f.size() == 5 && ls.peakKb > 0) {
        const double growth = (f[1].toDouble() - f[0].toDouble()) * 1024;
        const double perFile = growth / many;
        const double lsPerFile = double(ls.peakKb) * 1024 / many;
        const double ratio = perFile / lsPerFile;
        std::printf("listing %d files (Libraries pane): %.1f ms; resident before %.1f MiB, "
                    "peak %.1f MiB\n",
                    f[2].toInt(), f[3].toDouble() * 1000, f[0].toDouble() / 1024,
                    f[1].toDouble() / 1024);
        std::printf("  peak growth per file %.0f bytes; ls -l on that folder: peak %.1f MiB, "
                    "%.0f bytes per file; ratio %.2f (target <= 1.50) %s\n",
                    perFile, double(ls.peakKb) / 1024, lsPerFile, ratio,
                    ratio <= 1.5 ? "ok" : "MISSED");
        std::printf("  whole peaks, program start-up included: ours %.1f MiB, ls -l %.1f MiB "
                    "(%.2fx)\n",
                    f[1].toDouble() / 1024, double(ls.peakKb) / 1024,
                    f[1].toDouble() / double(ls.peakKb));
        ok = ok && f[2].toInt() == many && ratio <= 1.5;
    } else {
        std::printf("memory run failed\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
