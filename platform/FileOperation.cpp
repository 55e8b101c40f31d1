#include "platform/FileOperation.h"

#include "platform/FileSystem.h"

#include <QRandomGenerator>

#include <gio/gio.h>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

const QString kTempPrefix = u".cloakwell-part-"_s;

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// A kill test may end the process here, between two steps.
void stepDone()
{
    if (faults::crashPoint())
        faults::crashNow();
}

ItemResult failed(int err)
{
    return ItemResult{false, err ? err : EIO};
}

QString childPath(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

void keepTimes(const QByteArray& path, const struct stat& st)
{
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW);
}

// Chunks small enough to stay in the processor's cache between the read and
// the write (and between the read back and the compare).
constexpr size_t kChunk = size_t(128) << 10;
// A file up to this size stays in memory while it is copied, and the check
// compares it byte for byte; a larger one is checked chunk by chunk by hash.
constexpr size_t kWhole = size_t(4) << 20;

// The buffers of this thread's copies, made once and left uninitialised (no
// page is touched before a file needs it): 0 keeps a file of up to kWhole
// bytes, 1 holds one chunk read back.
char* copyBuffer(int which)
{
    thread_local std::unique_ptr<char[]> buffers[2];
    if (!buffers[which])
        buffers[which].reset(new char[which == 0 ? kWhole : kChunk]);
    return buffers[which].get();
}

quint64 rotl(quint64 v, int r)
{
    return (v << r) | (v >> (64 - r));
}

// A 64-bit hash of one chunk, four lanes wide (xxHash64's rounds), so the
// check keeps up with the memory rather than the multiplier.
quint64 chunkHash(const char* p, size_t n)
{
    constexpr quint64 k1 = 0x9E3779B185EBCA87ULL, k2 = 0xC2B2AE3D27D4EB4FULL;
    const auto round = [](quint64 acc, quint64 w) { return rotl(acc + w * k2, 31) * k1; };
    const auto word = [](const char* at) {
        quint64 w;
        std::memcpy(&w, at, sizeof w);
        return w;
    };
    quint64 a = k1 + k2, b = k2, c = 0, d = 0 - k1;
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        a = round(a, word(p + i));
        b = round(b, word(p + i + 8));
        c = round(c, word(p + i + 16));
        d = round(d, word(p + i + 24));
    }
    quint64 h = rotl(a, 1) + rotl(b, 7) + rotl(c, 12) + rotl(d, 18) + n;
    for (; i + 8 <= n; i += 8)
        h = rotl(h ^ round(0, word(p + i)), 27) * k1 + k2;
    for (; i < n; ++i)
        h = rotl(h ^ (quint64(static_cast<unsigned char>(p[i])) * k1), 11) * k2;
    h ^= h >> 33;
    h *= k2;
    h ^= h >> 29;
    h *= k1;
    return h ^ (h >> 32);
}

// Fills the buffer from the descriptor's offset on (or up to the end); the
// bytes read, or -1. Whole chunks on both sides of the check make their
// hashes line up.
ssize_t readChunk(int fd, char* buf, size_t size, off_t at = -1)
{
    size_t got = 0;
    while (got < size) {
        const ssize_t n = at < 0 ? ::read(fd, buf + got, size - got)
                                 : ::pread(fd, buf + got, size - got, at + off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += size_t(n);
    }
    return ssize_t(got);
}

bool writeAll(int fd, const char* data, size_t n)
{
    for (size_t done = 0; done < n;) {
        const ssize_t w = ::write(fd, data + done, n - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            if (w == 0)
                errno = ENOSPC;
            return false;
        }
        done += size_t(w);
    }
    return true;
}

bool sameStamp(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

struct Copier
{
    const CopyControl& control;

    bool stopped() const { return control.stop && control.stop(); }
    ItemResult copyFile(const QByteArray& from, const QByteArray& to);
    ItemResult copyTree(const QByteArray& from, const QByteArray& to);
};

// Reads the source once: each chunk is written and hashed on its way; after
// the flush the copy is read back and its hashes must match. A source that
// changed while it was read fails the copy rather than leave a torn one.
ItemResult Copier::copyFile(const QByteArray& from, const QByteArray& to)
{
    Fd in(::open(from.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat before;
    if (in.get() < 0 || ::fstat(in.get(), &before) != 0)
        return failed(errno);
    if (!S_ISREG(before.st_mode))
        return failed(ENOTSUP);
    if (faults::injected(faults::Step::Open))
        return failed(EIO);
    // O_EXCL makes the name ours alone: nothing existing is replaced, and a
    // link planted under the name is refused rather than written through.
    Fd out(::open(to.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.get() < 0)
        return failed(errno);
    // While "whole", every byte read so far is in keep, in order.
    char* const keep = copyBuffer(0);
    bool whole = true;
    quint64 sum = 0;
    qint64 total = 0;
    for (bool more = true; more;) {
        if (whole && size_t(total) + kChunk > kWhole) {
            whole = false; // too big to keep: hash what was kept, and the rest on its way
            for (size_t at = 0; at < size_t(total); at += kChunk)
                sum = sum * 31 + chunkHash(keep + at, kChunk);
        }
        char* const chunk = whole ? keep + total : keep;
        const ssize_t n = readChunk(in.get(), chunk, kChunk);
        if (n < 0)
            return failed(errno);
        if (n == 0)
            break;
        if (faults::injected(faults::Step::Write))
            return failed(ENOSPC);
        if (!writeAll(out.get(), chunk, size_t(n)))
            return failed(errno);
        if (!whole)
            sum = sum * 31 + chunkHash(chunk, size_t(n));
        total += n;
        if (control.copied)
            control.copied(n);
        more = size_t(n) == kChunk;
        if (more && stopped())
            return failed(ECANCELED);
    }
    if (::fchmod(out.get(), before.st_mode & 07777) != 0)
        return failed(errno);
    if (faults::injected(faults::Step::Flush))
        return failed(EIO);
    if (::fdatasync(out.get()) != 0)
        return failed(errno);
    struct stat after;
    if (::fstat(in.get(), &after) != 0)
        return failed(errno);
    if (total != before.st_size || after.st_size != before.st_size ||
        !sameStamp(after.st_mtim, before.st_mtim) || !sameStamp(after.st_ctim, before.st_ctim))
        return failed(EBUSY); // written to while we copied it

    // The check: what the file system now hands back is what was read,
    // chunk by chunk, each compared while it is still in the processor's cache.
    char* const back = copyBuffer(1);
    quint64 backSum = 0;
    qint64 backTotal = 0;
    for (bool more = true; more;) {
        if (faults::injected(faults::Step::Read))
            return failed(EIO);
        const ssize_t n = readChunk(out.get(), back, kChunk, off_t(backTotal));
        if (n < 0)
            return failed(errno);
        if (n == 0)
            break;
        if (backTotal + n > total)
            return failed(EIO); // the copy grew
        if (whole && std::memcmp(keep + backTotal, back, size_t(n)) != 0)
            return failed(EIO);
        if (!whole)
            backSum = backSum * 31 + chunkHash(back, size_t(n));
        backTotal += n;
        more = size_t(n) == kChunk;
        if (more && stopped())
            return failed(ECANCELED);
    }
    if (backTotal != total || (!whole && backSum != sum))
        return failed(EIO);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    if (::futimens(out.get(), times) != 0)
        return failed(errno);
    // close() reports write-back errors some file systems only find now.
    if (::close(out.release()) != 0)
        return failed(errno);
    stepDone();
    return ItemResult{true};
}

// Copies source to "to" (which must not exist); "to" may be left partial on
// failure, the caller removes it.
ItemResult Copier::copyTree(const QByteArray& from, const QByteArray& to)
{
    struct stat st;
    if (::lstat(from.constData(), &st) != 0)
        return failed(errno);
    if (S_ISLNK(st.st_mode)) {
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(from.constData(), buf.data(), buf.size());
        if (n < 0 || static_cast<size_t>(n) >= buf.size())
            return failed(n < 0 ? errno : ENAMETOOLONG);
        const QByteArray target(buf.data(), n);
        if (faults::injected(faults::Step::Open))
            return failed(EIO);
        if (::symlink(target.constData(), to.constData()) != 0)
            return failed(errno);
        keepTimes(to, st);
        stepDone();
        return ItemResult{true};
    }
    if (S_ISDIR(st.st_mode)) {
        if (faults::injected(faults::Step::Open))
            return failed(EIO);
        if (::mkdir(to.constData(), 0700) != 0)
            return failed(errno);
        // By the names' bytes: a name that is not valid text is copied as it is.
        std::vector<QByteArray> names;
        if (DIR* d = ::opendir(from.constData())) {
            while (const dirent* e = ::readdir(d))
                if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                    names.emplace_back(e->d_name);
            ::closedir(d);
        } else {
            return failed(errno);
        }
        for (const QByteArray& name : names) {
            if (stopped())
                return failed(ECANCELED);
            const ItemResult r = copyTree(from + '/' + name, to + '/' + name);
            if (!r.ok)
                return r;
        }
        if (::chmod(to.constData(), st.st_mode & 07777) != 0)
            return failed(errno);
        keepTimes(to, st);
        return ItemResult{true};
    }
    if (!S_ISREG(st.st_mode))
        return failed(ENOTSUP); // devices, pipes and sockets are not copied
    return copyFile(from, to);
}

int removeEntry(const char* path, const struct stat*, int flag, struct FTW*)
{
    stepDone();
    return (flag == FTW_DP ? ::rmdir(path) : ::unlink(path)) == 0 ? 0 : errno;
}

// Removes what of "from" its copy "to" holds unchanged; false when something stayed.
bool removeCopied(const QByteArray& from, const QByteArray& to)
{
    struct stat sf, st;
    if (::lstat(from.constData(), &sf) != 0)
        return errno == ENOENT;
    if (::lstat(to.constData(), &st) != 0 || (sf.st_mode & S_IFMT) != (st.st_mode & S_IFMT))
        return false;
    if (S_ISDIR(sf.st_mode)) {
        std::vector<QByteArray> names;
        DIR* d = ::opendir(from.constData());
        if (!d)
            return false;
        while (const dirent* e = ::readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        ::closedir(d);
        bool all = true;
        for (const QByteArray& name : names)
            all = removeCopied(from + '/' + name, to + '/' + name) && all;
        return all && ::rmdir(from.constData()) == 0;
    }
    // A file written to since it was copied stays.
    if (S_ISREG(sf.st_mode) &&
        (sf.st_size != st.st_size || sf.st_mtim.tv_sec != st.st_mtim.tv_sec ||
         sf.st_mtim.tv_nsec != st.st_mtim.tv_nsec || sf.st_ctim.tv_sec > st.st_ctim.tv_sec))
        return false;
    stepDone();
    return ::unlink(from.constData()) == 0;
}

} // namespace

bool removeMovedSource(const QString& source, const QString& copy)
{
    return removeCopied(encodePath(source), encodePath(copy));
}

QString ItemResult::reason() const
{
    return systemReason(error);
}

QString temporaryItemName(const QString& tag)
{
    const QString random = QString::number(QRandomGenerator::global()->generate64(), 36) + u'~';
    return tag.isEmpty() ? kTempPrefix + random : kTempPrefix + tag + u'-' + random;
}

bool isTemporaryItemName(const QString& name)
{
    return name.startsWith(kTempPrefix) && name.endsWith(u'~') &&
           name.size() > kTempPrefix.size() + 1;
}

int removeTemporaryItems(const QString& folder, const QString& tag)
{
    const FolderListing listing = listFolderEntries(folder, false);
    if (!listing.ok)
        return -1;
    const QString tagged = kTempPrefix + tag + u'-';
    int removed = 0;
    for (const DirEntry& e : listing.entries)
        if (e.lossless && isTemporaryItemName(e.name) &&
            (tag.isEmpty() || e.name.startsWith(tagged)) &&
            removeItem(childPath(folder, e.name)).ok)
            ++removed;
    return removed;
}

namespace {
thread_local ItemSize* g_measuring = nullptr;

int measureEntry(const char*, const struct stat* st, int flag, struct FTW*)
{
    ++g_measuring->entries;
    if (flag == FTW_F && S_ISREG(st->st_mode))
        g_measuring->bytes += st->st_size;
    return 0;
}
} // namespace

ItemSize measureItem(const QString& path)
{
    ItemSize size;
    g_measuring = &size;
    ::nftw(encodePath(path).constData(), measureEntry, 32, FTW_PHYS);
    g_measuring = nullptr;
    return size;
}

bool sameFileSystem(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return ::lstat(encodePath(a).constData(), &sa) == 0 &&
           ::lstat(encodePath(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

ItemResult copyToTemporary(const QString& source, const QString& targetFolder, QString& tempPath,
                           const CopyControl& control)
{
    QString temp = childPath(targetFolder, temporaryItemName(control.tag));
    while (pathExists(temp) || isSymLink(temp))
        temp = childPath(targetFolder, temporaryItemName(control.tag));
    Copier copier{control};
    const ItemResult r = copier.copyTree(encodePath(source), encodePath(temp));
    if (!r.ok) {
        removeItem(temp);
        return r;
    }
    tempPath = temp;
    return r;
}

ItemResult exchangeItems(const QString& a, const QString& b)
{
    if (faults::injected(faults::Step::Rename))
        return failed(EIO);
    const QByteArray pa = encodePath(a), pb = encodePath(b);
    if (::syscall(SYS_renameat2, AT_FDCWD, pa.constData(), AT_FDCWD, pb.constData(),
                  RENAME_EXCHANGE) != 0)
        return failed(errno);
    return ItemResult{true};
}

ItemResult removeItem(const QString& path)
{
    const QByteArray p = encodePath(path);
    struct stat st;
    if (::lstat(p.constData(), &st) != 0)
        return errno == ENOENT ? ItemResult{true} : failed(errno);
    if (!S_ISDIR(st.st_mode))
        return ::unlink(p.constData()) == 0 ? ItemResult{true} : failed(errno);
    const int r = ::nftw(p.constData(), removeEntry, 32, FTW_DEPTH | FTW_PHYS);
    return r == 0 ? ItemResult{true} : failed(r > 0 ? r : errno);
}

TrashResult moveToTrash(const QString& path, QString& reason)
{
    GFile* file = g_file_new_for_path(encodePath(path).constData());
    GError* error = nullptr;
    const gboolean ok = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    if (ok)
        return TrashResult::Trashed;
    TrashResult result = TrashResult::Failed;
    if (error) {
        if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED))
            result = TrashResult::NoTrash;
        reason = QString::fromUtf8(error->message);
        g_error_free(error);
    }
    return result;
}

QString freeName(const QString& folder, const QString& name, bool isFolder)
{
    QString stem = name, ext;
    const int dot = name.lastIndexOf(u'.');
    if (!isFolder && dot > 0) {
        stem = name.left(dot);
        ext = name.mid(dot);
    }
    for (int n = 2;; ++n) {
        const QString candidate = u"%1 (%2)%3"_s.arg(stem).arg(n).arg(ext);
        if (!pathExists(childPath(folder, candidate)) && !isSymLink(childPath(folder, candidate)))
            return candidate;
    }
}

} // namespace platform
