#pragma once

// What every benchmark needs: a clock, medians, a prompt that must stay
// silent, and running a reference command the way a shell would, timed.
#include "engine/mEncrypt.h"
#include "platform/Prompt.h"

#include <QFile>
#include <QString>

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace bench {

inline double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A benchmark's operations must never ask anything; a prompt is counted and shown.
class SilentPrompt : public platform::PromptService
{
public:
    explicit SilentPrompt(platform::PromptAnswer answer = platform::PromptAnswer::Ok)
        : m_answer(answer)
    {
    }
    int count = 0;
    platform::PromptAnswer ask(const platform::PromptRequest& r) override
    {
        ++count;
        std::fprintf(stderr, "unexpected prompt: %s\n", qPrintable(r.text));
        return m_answer;
    }

private:
    platform::PromptAnswer m_answer;
};

struct CommandRun
{
    bool ok = false;
    double seconds = 0;
    long peakKb = 0; // the command's own peak resident memory
};

// Runs a program found on PATH with its output sent to /dev/null, and times it
// from the start to its end.
inline CommandRun runCommand(const QList<QByteArray>& argv)
{
    std::vector<char*> args;
    for (const QByteArray& a : argv)
        args.push_back(const_cast<char*>(a.constData()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    CommandRun out;
    const double t = now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
        int status = 0;
        struct rusage usage;
        if (::wait4(pid, &status, 0, &usage) == pid) {
            out.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            out.peakKb = usage.ru_maxrss;
        }
    }
    out.seconds = now() - t;
    posix_spawn_file_actions_destroy(&actions);
    return out;
}

// A folder of `files` empty (and some tiny) files with twenty kinds of
// name, a quarter of them hidden at levels 1 to 3.
inline void makeMixedFolder(const QString& dir, int files)
{
    static const char* exts[] = {"jpg",  "JPG", "jpeg", "png",    "gif", "bmp", "tif",
                                 "webp", "mp4", "avi",  "mov",    "mkv", "wmv", "txt",
                                 "pdf",  "doc", "zip",  "tar.gz", "ico", ""};
    const int kinds = int(sizeof exts / sizeof exts[0]);
    for (int i = 0; i < files; ++i) {
        QString name = QStringLiteral("Picture %1").arg(i, 6, 10, QLatin1Char('0'));
        if (*exts[i % kinds])
            name += QLatin1Char('.') + QLatin1String(exts[i % kinds]);
        if (i % 4 == 1)
            name = mEncrypt::make_hidden_name(name, short(1 + i % 3));
        const QByteArray path = QFile::encodeName(dir + QLatin1Char('/') + name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            if (i % 7 == 0)
                (void)!::write(fd, "some bytes", 10);
            ::close(fd);
        }
    }
}

} // namespace bench
