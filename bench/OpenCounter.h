#pragma once

// Counts the files below one folder that this process opens, by standing in
// for the C library's open calls: the program's own definitions are the ones
// Qt, GIO and everything else it loads call (the dynamic linker looks in the
// program first), and each passes the call on unchanged. Unlike a watch on
// the folder, nothing another process does is counted.
//
// Include this in exactly one file of a program.
#include <QByteArray>
#include <QList>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace bench::opens {

inline std::mutex guard;
inline QByteArray watched; // folder with a trailing "/"; empty: not counting
inline std::atomic<int> count{0};
inline QList<QByteArray> examples;

inline void note(int dirfd, const char* path)
{
    if (!path)
        return;
    std::lock_guard<std::mutex> lock(guard);
    if (watched.isEmpty())
        return;
    QByteArray full(path);
    if (!full.startsWith('/')) {
        char base[4096];
        ssize_t n = -1;
        if (dirfd == AT_FDCWD) {
            n = ::getcwd(base, sizeof base) ? ssize_t(qstrlen(base)) : -1;
        } else {
            char link[64];
            std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
            n = ::readlink(link, base, sizeof base - 1);
        }
        if (n < 0)
            return;
        full = QByteArray(base, n) + '/' + full;
    }
    if (full.startsWith(watched) && full.size() > watched.size()) {
        ++count;
        if (examples.size() < 5)
            examples.append(full.mid(watched.size()));
    }
}

// Starts counting opens below the folder; returns the count so far to 0.
inline void watch(const QByteArray& folder)
{
    std::lock_guard<std::mutex> lock(guard);
    watched = folder.endsWith('/') ? folder : folder + '/';
    count = 0;
    examples.clear();
}

inline void stop()
{
    std::lock_guard<std::mutex> lock(guard);
    watched.clear();
}

template <typename F> F real(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

} // namespace bench::opens

extern "C" {

#define CLOAKWELL_MODE_ARG(flags, mode)                                                            \
    mode_t mode = 0;                                                                               \
    if ((flags) & (O_CREAT | O_TMPFILE)) {                                                         \
        va_list args;                                                                              \
        va_start(args, flags);                                                                     \
        mode = static_cast<mode_t>(va_arg(args, int));                                             \
        va_end(args);                                                                              \
    }

int open(const char* path, int flags, ...)
{
    CLOAKWELL_MODE_ARG(flags, mode)
    bench::opens::note(AT_FDCWD, path);
    static const auto next = bench::opens::real<int (*)(const char*, int, ...)>("open");
    return next(path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    CLOAKWELL_MODE_ARG(flags, mode)
    bench::opens::note(AT_FDCWD, path);
    static const auto next = bench::opens::real<int (*)(const char*, int, ...)>("open64");
    return next(path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...)
{
    CLOAKWELL_MODE_ARG(flags, mode)
    bench::opens::note(dirfd, path);
    static const auto next = bench::opens::real<int (*)(int, const char*, int, ...)>("openat");
    return next(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...)
{
    CLOAKWELL_MODE_ARG(flags, mode)
    bench::opens::note(dirfd, path);
    static const auto next = bench::opens::real<int (*)(int, const char*, int, ...)>("openat64");
    return next(dirfd, path, flags, mode);
}

FILE* fopen(const char* path, const char* how)
{
    bench::opens::note(AT_FDCWD, path);
    static const auto next = bench::opens::real<FILE* (*)(const char*, const char*)>("fopen");
    return next(path, how);
}

FILE* fopen64(const char* path, const char* how)
{
    bench::opens::note(AT_FDCWD, path);
    static const auto next = bench::opens::real<FILE* (*)(const char*, const char*)>("fopen64");
    return next(path, how);
}

#undef CLOAKWELL_MODE_ARG
}
