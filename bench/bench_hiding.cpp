// Hiding and unhiding 2,000 files of 1 MiB through hide_file / unhide_file,
// against a plain loop doing only the system calls the work needs (open, the
// reads and writes of the inverted region in 32,767-byte chunks, close, rename)
// on the same files, in the same run. Prints the median ratio per level.
#include "bench/BenchSupport.h"
#include "engine/mEncrypt.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::median;
using bench::now;
using bench::SilentPrompt;

// The reference: the bare system calls, no checks.
bool referenceStep(const QByteArray& from, const QByteArray& to, int level, std::vector<char>& buf)
{
    const int fd = ::open(from.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
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
    return ::rename(from.constData(), to.constData()) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int files = qEnvironmentVariableIntValue("BENCH_FILES") > 0
                          ? qEnvironmentVariableIntValue("BENCH_FILES")
                          : 2000;
    const int runs = 5;
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

    settings::Preferences prefs;
    prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    SilentPrompt prompt;
    const mEncrypt::Context ctx{prefs, prompt};
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
        std::vector<double> ratios;
        qint64 bytesRead = 0, bytesWritten = 0;
        double engineBest = 1e9, refBest = 1e9;
        for (int run = 0; run < runs; ++run) {
            auto engine = [&] {
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
                const double t0 = now();
                for (int i = 0; i < files; ++i)
                    allOk = referenceStep(from[i], to[i], level, buf) && allOk;
                for (int i = 0; i < files; ++i)
                    allOk = referenceStep(to[i], from[i], level, buf) && allOk;
                return now() - t0;
            };
            double te, tr;
            if (run % 2 == 0) {
                te = engine();
                tr = reference();
            } else {
                tr = reference();
                te = engine();
            }
            engineBest = std::min(engineBest, te);
            refBest = std::min(refBest, tr);
            ratios.push_back(te / tr);
        }
        std::sort(ratios.begin(), ratios.end());
        const double median = ratios[ratios.size() / 2];
        std::printf("level %d: engine %.1f ms, reference %.1f ms (best runs), median ratio %.2fx "
                    "(target 1.30x) %s; per file and direction: %lld bytes read, %lld written\n",
                    level, engineBest * 1000, refBest * 1000, median, median <= 1.3 ? "OK" : "OVER",
                    static_cast<long long>(bytesRead), static_cast<long long>(bytesWritten));
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
