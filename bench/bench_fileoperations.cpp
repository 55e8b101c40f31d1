// The file operation against the system's own tools, in the same run, each
// followed by a sync so neither pays for the other's write-back, the order
// alternating:
//   - move 10,000 files of 100 KB between two folders of one file system, vs mv;
//   - copy a tree of 2,000 files of 1 MiB to /dev/shm (another file system),
//     content check included, vs cp -a followed by sync -f on the target;
//   - delete 10,000 files to the bin (a move into a folder), vs mv;
//   - delete 10,000 files to the trash, vs gio trash (the trash of an
//     XDG_DATA_HOME inside the benchmark's own folder, never the user's).
// Prints the medians and their ratios (target <= 1.5 each), and for the copy
// the bytes this process read and wrote per file (/proc/self/io) against the
// least a checked copy needs: the file read and written once, and the copy
// read once for the check.
#include "bench/BenchSupport.h"
#include "mainwindow/mFileOperations.h"
#include "platform/FileSystem.h"
#include "platform/TempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;
using bench::median;
using bench::now;

namespace {

constexpr double kTarget = 1.5;

struct Io
{
    qint64 read = 0, written = 0;
};

// This process's bytes through read and write calls (sendfile and
// copy_file_range count too).
Io ownIo()
{
    Io io;
    QFile f(u"/proc/self/io"_s);
    if (!f.open(QIODevice::ReadOnly))
        return io;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            io.read = line.mid(6).trimmed().toLongLong();
        else if (line.startsWith("wchar:"))
            io.written = line.mid(6).trimmed().toLongLong();
    }
    return io;
}

bool makeFiles(const QString& dir, int count, qint64 size, const QString& prefix = u"f"_s)
{
    if (!QDir().mkpath(dir))
        return false;
    QByteArray block(int(size), Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        for (qsizetype k = 0; k < block.size(); k += 64)
            block[k] = char(i + k); // every file different
        const QByteArray path =
            QFile::encodeName(u"%1/%2%3.jpg"_s.arg(dir, prefix).arg(i, 5, 10, QLatin1Char('0')));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, block.constData(), size_t(size)) != ssize_t(size)) {
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        ::close(fd);
    }
    return true;
}

QStringList entries(const QString& dir)
{
    QStringList out;
    for (const QString& n :
         QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        out << dir + u'/' + n;
    return out;
}

QList<QByteArray> toArgs(const QStringList& paths)
{
    QList<QByteArray> out;
    for (const QString& p : paths)
        out << QFile::encodeName(p);
    return out;
}

struct Pair
{
    std::vector<double> ours, ref;
    bool report(const char* what, const char* refName) const
    {
        const double o = median(ours), r = median(ref);
        const bool met = o <= kTarget * r;
        std::printf("%-44s ours %8.1f ms, %-22s %8.1f ms, ratio %.2f (target <= %.1f)%s\n", what,
                    o * 1000, refName, r * 1000, o / r, kTarget, met ? "" : "  MISSED");
        return met;
    }
};

// Runs both, alternating which goes first; run -1 warms up and is not counted.
// Each returns seconds, or a negative number when its result was wrong.
template <typename Ours, typename Ref> bool alternate(int runs, Pair& pair, Ours ours, Ref ref)
{
    for (int run = -1; run < runs; ++run) {
        const bool oursFirst = run % 2 == 0;
        ::sync();
        const double a = oursFirst ? ours() : ref();
        ::sync();
        const double b = oursFirst ? ref() : ours();
        const double o = oursFirst ? a : b, r = oursFirst ? b : a;
        if (o < 0 || r < 0) {
            std::fprintf(stderr, "%s gave a wrong result\n", o < 0 ? "ours" : "the reference");
            return false;
        }
        if (run >= 0) {
            pair.ours.push_back(o);
            pair.ref.push_back(r);
        }
    }
    return true;
}

// Moves every item of one folder into the other, back and forth: ours with
// the given flags, the reference with "mv -t".
bool benchMoves(const QString& a, const QString& b, std::uint16_t flags, int runs, Pair& pair)
{
    bench::SilentPrompt prompt;
    const qsizetype n = entries(a).size();
    QString from = a, to = b; // where the files are, where they go next
    const auto ok = [&] { return entries(to).size() == n && entries(from).isEmpty(); };
    const auto ours = [&]() -> double {
        const QStringList items = entries(from);
        const double t = now();
        const std::uint32_t r =
            mainwindow::move_or_copy_items(mainwindow::FoMove, items, to, flags, {prompt});
        const double s = now() - t;
        const bool good = r == 0 && prompt.count == 0 && ok();
        std::swap(from, to);
        return good ? s : -1;
    };
    const auto ref = [&]() -> double {
        QList<QByteArray> args{"mv", "-t", QFile::encodeName(to)};
        args += toArgs(entries(from));
        const bench::CommandRun r = bench::runCommand(args);
        const bool good = r.ok && ok();
        std::swap(from, to);
        return good ? r.seconds : -1;
    };
    return alternate(runs, pair, ours, ref);
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir dir(QDir::tempPath() + u"/cloakwell-bench-XXXXXX"_s);
    if (!dir.isValid())
        return 1;
    // Before anything asks GLib where the trash is: ours and gio's both here.
    const QString xdg = dir.filePath(u"xdg"_s);
    QDir().mkpath(xdg);
    qputenv("XDG_DATA_HOME", QFile::encodeName(xdg));
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 5;
    // A second argument picks one part: move, bin, trash or copy.
    const QByteArray only = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    const auto part = [&](const char* name) { return only.isEmpty() || only == name; };
    bool met = true;

    // 1. Moves within one file system.
    if (part("move")) {
        const QString a = dir.filePath(u"a"_s), b = dir.filePath(u"b"_s);
        if (!makeFiles(a, 10000, 100 * 1000) || !QDir().mkpath(b))
            return 1;
        Pair pair;
        if (!benchMoves(a, b, mainwindow::FofRenameOnCollision, runs, pair))
            return 1;
        met = pair.report("move 10,000 x 100 KB, one file system", "mv") && met;
    }

    // 2. Deleting to the bin: the items move into the bin folder, never
    // renamed (no flags).
    if (part("bin")) {
        const QString lib = dir.filePath(u"library"_s), bin = dir.filePath(u"KZ Bin"_s);
        if (!makeFiles(lib, 10000, 4096) || !QDir().mkpath(bin))
            return 1;
        Pair pair;
        if (!benchMoves(lib, bin, mainwindow::FofNone, runs, pair))
            return 1;
        met = pair.report("delete 10,000 files to the bin", "mv into a folder") && met;
    }

    // 3. Deleting to the trash.
    if (part("trash")) {
        const QString del = dir.filePath(u"del"_s);
        const QString trash = xdg + u"/Trash"_s;
        const int n = 10000;
        // The last run's trash is put aside, not removed (nor are the files
        // of the parts before, until the end): on ext4 every inode made soon
        // after many were freed costs a search among the freed ones, which
        // would time the clean-up rather than the trashing.
        int round = 0;
        const auto fresh = [&] {
            if (QFileInfo::exists(trash) &&
                !QDir().rename(trash, dir.filePath(u"old-trash-%1"_s.arg(++round))))
                return false;
            return makeFiles(del, n, 4096, u"r%1-"_s.arg(round));
        };
        const auto trashed = [&] {
            return entries(trash + u"/files"_s).size() == n &&
                   entries(trash + u"/info"_s).size() == n && entries(del).isEmpty();
        };
        bench::SilentPrompt prompt;
        const auto ours = [&]() -> double {
            if (!fresh())
                return -1;
            const QStringList items = entries(del);
            ::sync();
            const double t = now();
            const std::uint32_t r = mainwindow::move_or_copy_items(
                mainwindow::FoDelete, items, QString(), mainwindow::FofAllowUndo, {prompt});
            const double s = now() - t;
            return r == 0 && prompt.count == 0 && trashed() ? s : -1;
        };
        const auto ref = [&]() -> double {
            if (!fresh())
                return -1;
            QList<QByteArray> args{"gio", "trash"};
            args += toArgs(entries(del));
            ::sync();
            const bench::CommandRun r = bench::runCommand(args);
            return r.ok && trashed() ? r.seconds : -1;
        };
        Pair pair;
        if (!alternate(std::max(3, runs - 2), pair, ours, ref))
            return 1;
        met = pair.report("delete 10,000 files to the trash", "gio trash") && met;
        platform::removeFolderTree(trash);
        platform::removeFolderTree(del);
        for (int k = 1; k <= round; ++k)
            platform::removeFolderTree(dir.filePath(u"old-trash-%1"_s.arg(k)));
    }

    // 4. A tree copied to another file system.
    QTemporaryDir shm(u"/dev/shm/cloakwell-bench-XXXXXX"_s);
    if (!part("copy")) {
    } else if (!shm.isValid() || platform::sameFileSystem(shm.path(), dir.path())) {
        std::printf("copy to another file system: skipped, no /dev/shm\n");
    } else {
        const QString tree = dir.filePath(u"Holiday"_s);
        const int folders = 20, perFolder = 100;
        const qint64 size = 1 << 20;
        for (int f = 0; f < folders; ++f)
            if (!makeFiles(tree + u"/Day %1"_s.arg(f), perFolder, size, u"IMG_%1_"_s.arg(f)))
                return 1;
        const QString oursTo = shm.filePath(u"ours"_s), refTo = shm.filePath(u"ref"_s);
        QDir().mkpath(oursTo);
        QDir().mkpath(refTo);
        const auto copied = [&](const QString& to) {
            const QString top = to + u"/Holiday"_s;
            if (entries(top).size() != folders)
                return false;
            for (int f = 0; f < folders; f += 7) {
                const QStringList files = entries(top + u"/Day %1"_s.arg(f));
                if (files.size() != perFolder)
                    return false;
                const QString name = QFileInfo(files.at(f)).fileName();
                QFile a(files.at(f)), b(tree + u"/Day %1/"_s.arg(f) + name);
                if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) ||
                    a.readAll() != b.readAll())
                    return false;
            }
            return true;
        };
        bench::SilentPrompt prompt;
        std::vector<double> readPerFile, writtenPerFile;
        const auto ours = [&]() -> double {
            const Io before = ownIo();
            const double t = now();
            const std::uint32_t r = mainwindow::move_or_copy_items(
                mainwindow::FoCopy, {tree}, oursTo, mainwindow::FofRenameOnCollision, {prompt});
            const double s = now() - t;
            const Io after = ownIo();
            readPerFile.push_back(double(after.read - before.read) / (folders * perFolder));
            writtenPerFile.push_back(double(after.written - before.written) /
                                     (folders * perFolder));
            const bool good = r == 0 && prompt.count == 0 && copied(oursTo);
            platform::removeFolderTree(oursTo + u"/Holiday"_s);
            return good ? s : -1;
        };
        const auto ref = [&]() -> double {
            const double t = now();
            const bool ok =
                bench::runCommand({"cp", "-a", QFile::encodeName(tree), QFile::encodeName(refTo)})
                    .ok &&
                bench::runCommand({"sync", "-f", QFile::encodeName(refTo)}).ok;
            const double s = now() - t;
            const bool good = ok && copied(refTo);
            platform::removeFolderTree(refTo + u"/Holiday"_s);
            return good ? s : -1;
        };
        Pair pair;
        if (!alternate(runs, pair, ours, ref))
            return 1;
        met = pair.report("copy 2,000 x 1 MiB to /dev/shm, checked", "cp -a + sync -f") && met;
        const double mib = double(size);
        std::printf("  bytes per file of the copy: read %.2f MiB, written %.2f MiB "
                    "(least for a checked copy: read 2.00 MiB, written 1.00 MiB)\n",
                    median(readPerFile) / mib, median(writtenPerFile) / mib);
        platform::removeFolderTree(tree);
    }
    return met ? 0 : 1;
}
