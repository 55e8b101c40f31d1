// Hiding and unhiding 2,000 files of 1 MiB through hide_file / unhide_file,
// against a plain loop doing only the system calls the design's checks and
// work need (the in-use test by a write lease, the reads and writes of the
// inverted region in 32,767-byte chunks, the rename that never replaces) on
// the same files, in the same run, after the set-up data was synced. The
// engine runs as it ships (a record of each change outlives a kill) and with
// the durability step (the record and the new bytes flushed to the device).
// Prints the median ratio per level.
#include "bench/BenchSupport.h"
#include "engine/mEncrypt.h"
#include "engine/mEncryptRecords.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::median;
using bench::now;
using bench::SilentPrompt;

// The reference: the bare system calls of the design's checks and work.
bool referenceStep(const QByteArray& from, const QByteArray& to, int level, std::vector<char>& buf)
{
    // The in-use test: a write lease, granted only when no other descriptor is open.
    const int fd = ::open(from.constData(), (level >= 2 ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0 || ::fcntl(fd, F_SETLEASE, F_WRLCK) != 0)
        return false;
    if (level >= 2) {
        const off_t size = ::lseek(fd, 0, SEEK_END);
        const off_t region = level == 2 ? 1 : std::min<off_t>(size, 262136);
        for (off_t at = 0; at < region; at += 32767) {
            const size_t len = static_cast<size_t>(std::min<off_t>(32767, region - at));
            if (::pread(fd, buf.data(), len, at) != ssize_t(len))
                return false;
            unsigned char* p = reinterpret_cast<unsigned char*>(buf.data());
            for (size_t i = 0; i < len; ++i)
                p[i] = static_cast<unsigned char>(~p[i]);
            if (::pwrite(fd, buf.data(), len, at) != ssize_t(len))
                return false;
        }
    }
    ::close(fd);
    return ::syscall(SYS_renameat2, AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                     1 /* RENAME_NOREPLACE */) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int files = qEnvironmentVariableIntValue("BENCH_FILES") > 0
                          ? qEnvironmentVariableIntValue("BENCH_FILES")
                          : 2000;
    const int runs = 5;
    // The durable variant flushes to the device twice per file: fewer runs.
    const int durableRuns = qEnvironmentVariableIsSet("BENCH_DURABLE_RUNS")
                                ? qEnvironmentVariableIntValue("BENCH_DURABLE_RUNS")
                                : 1;
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/cloakwell-bench-XXXXXX"));
    if (!dir.isValid())
        return 1;

    std::printf("hide + unhide of %d files of 1 MiB, median of %d runs\n", files, runs);
    std::vector<QString> plain(files);
    {
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>((i * 2654435761u) >> 13);
        for (int i = 0; i < files; ++i) {
            plain[i] = dir.filePath(QStringLiteral("picture %1.jpg").arg(i));
            const int fd =
                ::open(QFile::encodeName(plain[i]).constData(), O_CREAT | O_WRONLY, 0600);
            if (fd < 0 || ::write(fd, block.data(), block.size()) != ssize_t(block.size()))
                return 1;
            ::close(fd);
        }
    }

    // Write-back of the set-up data must not land inside a measured run.
    ::sync();
    ::signal(SIGIO, SIG_IGN);

    settings::Preferences prefs;
    prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    SilentPrompt prompt;
    const mEncrypt::Context ctx{prefs, prompt, dir.filePath(QStringLiteral("KZ Pending"))};
    std::vector<char> buf(32767);
    bool allOk = true;

    // BENCH_LEVEL=n measures one level only (for profiling).
    const int only = qEnvironmentVariableIntValue("BENCH_LEVEL");
    for (short level : {short(1), short(2), short(3)}) {
        if (only && level != only)
            continue;
        prefs.encrypt_level = level;
        std::vector<QByteArray> from(files), to(files);
        for (int i = 0; i < files; ++i) {
            from[i] = QFile::encodeName(plain[i]);
            to[i] = QFile::encodeName(dir.filePath(
                mEncrypt::make_hidden_name(QStringLiteral("picture %1.jpg").arg(i), level)));
        }
        std::vector<double> ratios, durableRatios;
        qint64 bytesRead = 0, bytesWritten = 0;
        double engineBest = 1e9, refBest = 1e9, durableBest = 1e9;
        for (int run = 0; run < runs; ++run) {
            auto engine = [&] {
                ::sync();
                platform::resetIoCounters();
                const double t0 = now();
                for (int i = 0; i < files; ++i) {
                    const QString h = mEncrypt::hide_file(plain[i], ctx);
                    if (h.isEmpty())
                        allOk = false;
                }
                for (int i = 0; i < files; ++i)
                    if (mEncrypt::unhide_file(QFile::decodeName(to[i]), ctx).isEmpty())
                        allOk = false;
                const double t = now() - t0;
                const auto io = platform::ioCounters();
                bytesRead = io.bytesRead / (2 * files);
                bytesWritten = io.bytesWritten / (2 * files);
                return t;
            };
            auto reference = [&] {
                ::sync();
                const double t0 = now();
                for (int i = 0; i < files; ++i)
                    allOk = referenceStep(from[i], to[i], level, buf) && allOk;
                for (int i = 0; i < files; ++i)
                    allOk = referenceStep(to[i], from[i], level, buf) && allOk;
                return now() - t0;
            };
            auto durable = [&] {
                mEncrypt::set_durable_writes(true);
                const double t = engine();
                mEncrypt::set_durable_writes(false);
                return t;
            };
            double te, tr, td = 0;
            const bool withDurable = level >= 2 && run < durableRuns;
            if (run % 2 == 0) {
                te = engine();
                tr = reference();
                if (withDurable)
                    td = durable();
            } else {
                if (withDurable)
                    td = durable();
                tr = reference();
                te = engine();
            }
            engineBest = std::min(engineBest, te);
            refBest = std::min(refBest, tr);
            ratios.push_back(te / tr);
            if (withDurable) {
                durableBest = std::min(durableBest, td);
                durableRatios.push_back(td / tr);
            }
        }
        const double med = median(ratios);
        const double target = level == 1 ? 1.3 : level == 3 ? 1.6 : 1.6;
        std::printf("level %d: engine %.1f ms, reference %.1f ms (best runs), median ratio %.2fx "
                    "(target %.2fx) %s; per file and direction: %lld bytes read, %lld written\n",
                    level, engineBest * 1000, refBest * 1000, med, target,
                    med <= target ? "OK" : "OVER", static_cast<long long>(bytesRead),
                    static_cast<long long>(bytesWritten));
        if (!durableRatios.empty())
            std::printf("level %d with the durability step (fdatasync of record and file): "
                        "%.1f ms, median ratio %.2fx\n",
                        level, durableBest * 1000, median(durableRatios));
    }
    // Every file must be back exactly as it was.
    std::vector<char> block(1 << 20), back(1 << 20);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>((i * 2654435761u) >> 13);
    for (int i = 0; i < files; ++i) {
        const int fd = ::open(QFile::encodeName(plain[i]).constData(), O_RDONLY);
        if (fd < 0 || ::read(fd, back.data(), back.size()) != ssize_t(back.size()) || back != block)
            allOk = false;
        if (fd >= 0)
            ::close(fd);
    }
    std::printf("all files restored byte for byte: %s\n",
                allOk && prompt.count == 0 ? "yes" : "NO");
    return allOk ? 0 : 1;
}
