// Opening a hidden 50 MB file at level 2 below the threshold: from the call to
// open_file until the program would be started (the launcher records the
// moment instead of starting anything), against /bin/cp of the same file into
// the same folder, started and waited for, in the same run. Prints the median
// of each and their ratio.
#include "bench/BenchSupport.h"
#include "engine/mEncrypt.h"
#include "engine/mOpenFiles.h"
#include "platform/TempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::median;
using bench::now;
using bench::SilentPrompt;

// Every type opens with one viewer; starting it only notes the time.
class TimingLauncher : public mOpenFiles::AppLauncher
{
public:
    std::optional<mOpenFiles::AppInfo> defaultAppFor(const QString&) override
    {
        mOpenFiles::AppInfo a;
        a.id = QStringLiteral("viewer.desktop");
        a.executable = QStringLiteral("/usr/bin/viewer");
        a.commandLine = QStringLiteral("/usr/bin/viewer %f");
        return a;
    }
    QList<mOpenFiles::AppInfo> appsFor(const QString&) override { return {}; }
    QList<mOpenFiles::AppInfo> allApps() override { return {}; }
    bool spawn(const QStringList& argv) override
    {
        startedAt = now();
        lastArgv = argv;
        return true;
    }
    double startedAt = 0;
    QStringList lastArgv;
};

bool runCp(const QByteArray& from, const QByteArray& to)
{
    return bench::runCommand({"/bin/cp", from, to}).ok;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 size = 50LL * 1000 * 1000;
    const int runs = 11;
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/cloakwell-bench-XXXXXX"));
    if (!dir.isValid())
        return 1;
    // "KZ Temp" goes into the benchmark's own folder, on the same file system as cp's target.
    QDir().mkpath(dir.filePath(QStringLiteral("tmp")));
    qputenv("TMPDIR", QFile::encodeName(dir.filePath(QStringLiteral("tmp"))));

    const QString hidden =
        dir.filePath(mEncrypt::make_hidden_name(QStringLiteral("holiday.mp4"), 2));
    {
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (int i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>((i * 2654435761u) >> 13);
        QFile f(hidden);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        for (qint64 done = 0; done < size; done += block.size())
            f.write(block.constData(), std::min<qint64>(block.size(), size - done));
    }

    settings::Preferences prefs;
    prefs.threshold = 100LL * 1048576;
    SilentPrompt prompt;
    TimingLauncher launcher;
    const mOpenFiles::Context ctx{prefs, prompt, launcher, {}};
    const QByteArray from = QFile::encodeName(hidden);
    const QByteArray to = QFile::encodeName(dir.filePath(QStringLiteral("cp-copy.mp4")));

    // Each is followed by a sync, so that neither pays for the other's
    // write-back; the order alternates so that neither always goes first.
    auto timeOpen = [&]() -> double {
        const double t0 = now();
        const auto r = mOpenFiles::open_file(hidden, true, ctx);
        const double t = launcher.startedAt - t0;
        const bool ok =
            r.outcome == mOpenFiles::Outcome::Started && QFileInfo(r.openedPath).size() == size;
        QFile::remove(r.openedPath);
        ::sync();
        return ok ? t : -1;
    };
    auto timeCp = [&]() -> double {
        const double t0 = now();
        const bool ok = runCp(from, to);
        const double t = now() - t0;
        QFile::remove(QFile::decodeName(to));
        ::sync();
        return ok ? t : -1;
    };
    std::vector<double> opens, copies;
    for (int run = -1; run < runs; ++run) { // run -1 warms the cache and is not counted
        const bool openFirst = run % 2 == 0;
        const double first = openFirst ? timeOpen() : timeCp();
        const double second = openFirst ? timeCp() : timeOpen();
        const double o = openFirst ? first : second, c = openFirst ? second : first;
        if (o < 0 || c < 0) {
            std::fprintf(stderr, o < 0 ? "open_file did not make the copy\n" : "cp failed\n");
            return 1;
        }
        if (run >= 0) {
            opens.push_back(o);
            copies.push_back(c);
        }
    }
    platform::removeFolderTree(platform::tempFolderPath());

    const double o = median(opens), c = median(copies);
    std::printf("open hidden 50 MB file at level 2 (copy + restore): median %.1f ms over %d runs\n",
                o * 1000, runs);
    std::printf("cp of the same file:                             median %.1f ms\n", c * 1000);
    std::printf("ratio open/cp: %.2f (target <= 1.20)\n", o / c);
    return 0;
}
