#include "platform/FileOperation.h"

#include "platform/FileCopy.h"
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

// Reads both files to the end and compares them.
bool sameContent(const QByteArray& a, const QByteArray& b, int& err)
{
    Fd fa(::open(a.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    Fd fb(::open(b.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fa.get() < 0 || fb.get() < 0) {
        err = errno;
        return false;
    }
    std::vector<char> ba(1 << 20), bb(1 << 20);
    for (;;) {
        if (faults::injected(faults::Step::Read)) {
            err = EIO;
            return false;
        }
        const ssize_t na = ::read(fa.get(), ba.data(), ba.size());
        if (na < 0) {
            err = errno;
            return false;
        }
        ssize_t nb = 0;
        while (nb < na) {
            const ssize_t r = ::read(fb.get(), bb.data() + nb, static_cast<size_t>(na - nb));
            if (r < 0) {
                err = errno;
                return false;
            }
            if (r == 0)
                break;
            nb += r;
        }
        if (nb != na || std::memcmp(ba.data(), bb.data(), static_cast<size_t>(na)) != 0) {
            err = EIO;
            return false;
        }
        if (na == 0) {
            char extra;
            if (::read(fb.get(), &extra, 1) != 0) {
                err = EIO;
                return false;
            }
            return true;
        }
    }
}

// Copies source to "to" (which must not exist); "to" may be left partial on
// failure, the caller removes it.
ItemResult copyTree(const QByteArray& from, const QByteArray& to, const std::function<bool()>& stop)
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
            if (stop && stop())
                return failed(ECANCELED);
            const ItemResult r = copyTree(from + '/' + name, to + '/' + name, stop);
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
    Fd in(::open(from.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (in.get() < 0)
        return failed(errno);
    const int slash = to.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? to.left(slash) : QByteArray("/");
    Fd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return failed(errno);
    const CopyResult c =
        copyToNewFile(in.get(), dir.get(), to.mid(slash + 1), st.st_mode & 07777, true);
    if (!c.ok)
        return failed(c.error);
    keepTimes(to, st);
    struct stat done;
    if (::lstat(to.constData(), &done) != 0)
        return failed(errno);
    int err = 0;
    if (done.st_size != st.st_size || !sameContent(from, to, err))
        return failed(err ? err : EIO);
    stepDone();
    return ItemResult{true};
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

QString temporaryItemName()
{
    return kTempPrefix + QString::number(QRandomGenerator::global()->generate64(), 36) + u'~';
}

bool isTemporaryItemName(const QString& name)
{
    return name.startsWith(kTempPrefix) && name.endsWith(u'~') &&
           name.size() > kTempPrefix.size() + 1;
}

int removeTemporaryItems(const QString& folder)
{
    const FolderListing listing = listFolderEntries(folder, false);
    if (!listing.ok)
        return -1;
    int removed = 0;
    for (const DirEntry& e : listing.entries)
        if (e.lossless && isTemporaryItemName(e.name) && removeItem(childPath(folder, e.name)).ok)
            ++removed;
    return removed;
}

bool sameFileSystem(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return ::lstat(encodePath(a).constData(), &sa) == 0 &&
           ::lstat(encodePath(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

ItemResult copyToTemporary(const QString& source, const QString& targetFolder, QString& tempPath,
                           const std::function<bool()>& stop)
{
    QString temp = childPath(targetFolder, temporaryItemName());
    while (pathExists(temp) || isSymLink(temp))
        temp = childPath(targetFolder, temporaryItemName());
    const ItemResult r = copyTree(encodePath(source), encodePath(temp), stop);
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
