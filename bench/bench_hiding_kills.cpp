// Kills during bulk hiding and unhiding: 2,000 files of 300 KB to 1 MB at
// level 3 are hidden by a child process that is killed (SIGKILL) 100 times at
// random moments, with recovery and a check of every file after each kill;
// then the same for unhiding. Reports the number of corrupt files, which must
// be 0, and the items recovery completed.
#include "bench/BenchSupport.h"
#include "engine/mEncrypt.h"
#include "engine/mEncryptRecords.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The child: hides (unhides) every file of the folder not yet hidden (plain).
int child(const QString& folder, bool hiding, const QString& records)
{
    settings::Preferences prefs;
    prefs.encrypt_level = 3;
    prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    bench::SilentPrompt prompt;
    engine::OperationReport report;
    const mEncrypt::Context ctx{prefs, prompt, records, &report};
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        if (mEncrypt::is_hidden_name(name) == hiding)
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        if ((hiding ? mEncrypt::hide_file(path, ctx) : mEncrypt::unhide_file(path, ctx)).isEmpty())
            return 3;
    }
    return 0;
}

QByteArray bytesFor(int i)
{
    const qint64 size = 300000 + (qint64(i) * 7919) % 700000;
    QByteArray b(size, Qt::Uninitialized);
    quint32 x = quint32(i) * 2654435761u + 1;
    for (qint64 k = 0; k < size; ++k) {
        x = x * 1664525u + 1013904223u;
        b[k] = char(x >> 24);
    }
    return b;
}

QByteArray digest(const QByteArray& b)
{
    return QCryptographicHash::hash(b, QCryptographicHash::Sha1);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("KILLS_CHILD"))
        return child(qEnvironmentVariable("KILLS_FOLDER"),
                     qEnvironmentVariable("KILLS_CHILD") == QLatin1String("hide"),
                     qEnvironmentVariable("KILLS_RECORDS"));

    const int files = qEnvironmentVariableIntValue("BENCH_FILES") > 0
                          ? qEnvironmentVariableIntValue("BENCH_FILES")
                          : 2000;
    const int kills = qEnvironmentVariableIntValue("BENCH_KILLS") > 0
                          ? qEnvironmentVariableIntValue("BENCH_KILLS")
                          : 100;
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/cloakwell-kills-XXXXXX"));
    if (!dir.isValid())
        return 1;
    const QString folder = dir.filePath(QStringLiteral("lib"));
    const QString records = dir.filePath(QStringLiteral("records"));
    QDir().mkpath(folder);
    // What each name must hold: the digest of its plain and of its hidden bytes.
    QHash<QString, QPair<QByteArray, QByteArray>> want;
    for (int i = 0; i < files; ++i) {
        const QString name = QStringLiteral("pic%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
        QByteArray b = bytesFor(i);
        QFile f(folder + QLatin1Char('/') + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size())
            return 1;
        const QByteArray plain = digest(b);
        for (qint64 k = 0; k < qMin<qint64>(b.size(), mEncrypt::kLevel3Region); ++k)
            b[k] = char(~b[k]);
        want.insert(name, {plain, digest(b)});
    }
    ::sync();

    // Corrupt files now: a name whose bytes do not match it, or a file lost.
    // A file whose name and change time are as at its last check is not read
    // again: every write and rename changes the change time.
    QHash<QString, qint64> verified; // name -> change time when last found right
    const auto corrupt = [&] {
        int bad = 0, seen = 0;
        for (const QString& name : QDir(folder).entryList(QDir::Files)) {
            const bool hidden = mEncrypt::is_hidden_name(name);
            const QString plain = hidden ? mEncrypt::plain_name(name) : name;
            const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name);
            struct stat st;
            if (!want.contains(plain) || ::stat(path.constData(), &st) != 0) {
                ++bad;
                continue;
            }
            ++seen;
            const qint64 ctime = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
            if (verified.value(name, -1) == ctime)
                continue;
            QFile f(QFile::decodeName(path));
            const auto w = want.value(plain);
            if (!f.open(QIODevice::ReadOnly) ||
                digest(f.readAll()) != (hidden ? w.second : w.first))
                ++bad;
            else
                verified.insert(name, ctime);
        }
        return bad + (files - seen);
    };

    QRandomGenerator rng(20261208);
    int totalBad = 0;
    for (bool hiding : {true, false}) {
        int killed = 0, completed = 0, rolledBack = 0;
        const double t0 = bench::now();
        for (int k = 0; k < kills; ++k) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::setenv("KILLS_CHILD", hiding ? "hide" : "unhide", 1);
                ::setenv("KILLS_FOLDER", QFile::encodeName(folder).constData(), 1);
                ::setenv("KILLS_RECORDS", QFile::encodeName(records).constData(), 1);
                ::execl("/proc/self/exe", "bench_hiding_kills", static_cast<char*>(nullptr));
                ::_exit(127);
            }
            ::usleep(rng.bounded(5000, 30000));
            ::kill(pid, SIGKILL);
            int status = 0;
            ::waitpid(pid, &status, 0);
            killed += WIFSIGNALED(status);
            const auto r = mEncrypt::recover_interrupted(records);
            completed += r.completed;
            rolledBack += r.rolledBack;
            totalBad += corrupt();
        }
        // The rest of the work, uninterrupted.
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("KILLS_CHILD", hiding ? "hide" : "unhide", 1);
            ::setenv("KILLS_FOLDER", QFile::encodeName(folder).constData(), 1);
            ::setenv("KILLS_RECORDS", QFile::encodeName(records).constData(), 1);
            ::execl("/proc/self/exe", "bench_hiding_kills", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        const int bad = corrupt();
        totalBad += bad;
        int done = 0;
        for (const QString& name : QDir(folder).entryList(QDir::Files))
            done += mEncrypt::is_hidden_name(name) == hiding;
        std::printf("bulk %s of %d files: %d kills (%d landed), recovery completed %d items and "
                    "rolled back %d; corrupt after recovery: %d (must be 0); all %s at the end: "
                    "%s; %.1f s\n",
                    hiding ? "hide" : "unhide", files, kills, killed, completed, rolledBack, bad,
                    hiding ? "hidden" : "plain", done == files ? "yes" : "NO", bench::now() - t0);
    }
    std::printf("corrupt files seen after any recovery: %d (must be 0)\n", totalBad);
    return totalBad == 0 ? 0 : 1;
}
