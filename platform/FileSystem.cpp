#include "platform/FileSystem.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace platform {

namespace faults {
namespace {
Plan g_plan;
int g_opens = 0, g_reads = 0, g_writes = 0, g_renames = 0, g_flushes = 0;
} // namespace

void arm(const Plan& plan)
{
    g_plan = plan;
    g_opens = g_reads = g_writes = g_renames = g_flushes = 0;
}

void disarm()
{
    arm(Plan{});
}

static bool hit(int& counter, int target)
{
    ++counter;
    return target > 0 && counter == target;
}

bool injected(Step step)
{
    switch (step) {
    case Step::Open:
        return hit(g_opens, g_plan.failOpen);
    case Step::Read:
        return hit(g_reads, g_plan.failRead);
    case Step::Write:
        return hit(g_writes, g_plan.failWrite);
    case Step::Rename:
        return hit(g_renames, g_plan.failRename);
    case Step::Flush:
        return hit(g_flushes, g_plan.failFlush);
    }
    return false;
}

namespace {
long g_crashCount = 0;
long& crashTarget()
{
    static long target = [] {
        const char* v = ::getenv("CLOAKWELL_KILL_AT_STEP");
        return v && *v ? std::strtol(v, nullptr, 10) : 0L;
    }();
    return target;
}
} // namespace

bool crashPoint()
{
    const long target = crashTarget();
    return target > 0 && ++g_crashCount == target;
}

void armCrash(long step)
{
    crashTarget() = step;
    g_crashCount = 0;
}

void crashNow()
{
    ::raise(SIGKILL);
    ::_exit(137);
}
} // namespace faults

namespace {
IoCounters g_io;
}

IoCounters ioCounters()
{
    return g_io;
}
void resetIoCounters()
{
    g_io = IoCounters{};
}

QByteArray encodePath(const QString& path)
{
    return QFile::encodeName(path);
}
QString decodePath(const QByteArray& raw)
{
    return QFile::decodeName(raw);
}

bool isLosslessName(const QByteArray& raw)
{
    return QFile::encodeName(QFile::decodeName(raw)) == raw;
}

bool pathNameIsExact(const QString& path)
{
    const QByteArray raw = encodePath(path);
    if (decodePath(raw) != path)
        return false;
    struct stat st;
    if (::lstat(raw.constData(), &st) == 0)
        return true;
    // Not on disk under these bytes. A replacement character means the caller
    // holds the lossy decoding of a name that is there under other bytes.
    return !path.contains(QChar(QChar::ReplacementCharacter));
}

PathInfo inspectPath(const QString& path)
{
    PathInfo info;
    const QByteArray raw = encodePath(path);
    if (path.isEmpty() || decodePath(raw) != path)
        return info;
    struct stat st;
    if (::lstat(raw.constData(), &st) != 0) {
        info.exact = !path.contains(QChar(QChar::ReplacementCharacter));
        return info;
    }
    info.exact = info.exists = true;
    info.isSymLink = S_ISLNK(st.st_mode);
    info.isFolder = S_ISDIR(st.st_mode);
    if (info.isSymLink && ::stat(raw.constData(), &st) == 0)
        info.isFolder = S_ISDIR(st.st_mode);
    return info;
}

static bool statPath(const QString& path, struct stat& st)
{
    return ::stat(encodePath(path).constData(), &st) == 0;
}

bool pathExists(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && ::lstat(encodePath(path).constData(), &st) == 0;
}

bool folderExists(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && statPath(path, st) && S_ISDIR(st.st_mode);
}

bool fileExists(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && statPath(path, st) && !S_ISDIR(st.st_mode);
}

bool isRegularFile(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && statPath(path, st) && S_ISREG(st.st_mode);
}

bool isSymLink(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && ::lstat(encodePath(path).constData(), &st) == 0 &&
           S_ISLNK(st.st_mode);
}

std::optional<qint64> fileSize(const QString& path)
{
    struct stat st;
    if (!statPath(path, st))
        return std::nullopt;
    return static_cast<qint64>(st.st_size);
}

FolderListing listFolderEntries(const QString& path, bool withStat)
{
    FolderListing out;
    const int dfd = ::open(encodePath(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) {
        out.error = errno;
        return out;
    }
    DIR* dir = ::fdopendir(dfd);
    if (!dir) {
        out.error = errno;
        ::close(dfd);
        return out;
    }
    while (struct dirent* de = ::readdir(dir)) {
        const char* n = de->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        DirEntry e;
        e.rawName = QByteArray(n);
        e.name = decodePath(e.rawName);
        e.lossless = isLosslessName(e.rawName);
        e.dotName = n[0] == '.';
        unsigned char type = de->d_type;
        e.isSymLink = type == DT_LNK;
        if (withStat || type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st;
            if (type == DT_UNKNOWN) {
                if (::fstatat(dfd, n, &st, AT_SYMLINK_NOFOLLOW) == 0)
                    e.isSymLink = S_ISLNK(st.st_mode);
            }
            // Size, time and kind are those of the link's target, like the
            // design's file objects; a dangling link is a file of size 0.
            if (::fstatat(dfd, n, &st, 0) == 0) {
                e.isFolder = S_ISDIR(st.st_mode);
                e.hasStat = true;
                e.size = static_cast<qint64>(st.st_size);
                e.mtimeSecs = static_cast<qint64>(st.st_mtim.tv_sec);
            }
        } else {
            e.isFolder = type == DT_DIR;
        }
        out.entries.push_back(std::move(e));
    }
    ::closedir(dir);
    out.ok = true;
    return out;
}

std::vector<QString> subfolderNames(const QString& path)
{
    std::vector<QString> names;
    for (auto& e : listFolderEntries(path, false).entries)
        if (e.isFolder)
            names.push_back(e.name);
    return names;
}

std::vector<QString> fileNames(const QString& path)
{
    std::vector<QString> names;
    for (auto& e : listFolderEntries(path, false).entries)
        if (!e.isFolder)
            names.push_back(e.name);
    return names;
}

RenameResult renameNoReplace(const QString& from, const QString& to)
{
    int err = 0;
    return renameNoReplace(from, to, err);
}

bool makeFolder(const QString& path, int& err)
{
    if (::mkdir(encodePath(path).constData(), 0777) != 0) {
        err = errno;
        return false;
    }
    err = 0;
    return true;
}

bool syncFolder(const QString& path)
{
    const int dfd = ::open(encodePath(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        return false;
    const bool ok = ::fsync(dfd) == 0;
    ::close(dfd);
    return ok;
}

QString systemReason(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return QStringLiteral("permission denied");
    case ENOSPC:
        return QStringLiteral("no space left on the device");
    case EDQUOT:
        return QStringLiteral("the disk quota is used up");
    case ENAMETOOLONG:
        return QStringLiteral("the name would be too long");
    case EROFS:
        return QStringLiteral("the disk is read-only");
    case EIO:
        return QStringLiteral("a read or write error on the device");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("it is in use");
    case ENOENT:
        return QStringLiteral("it no longer exists");
    case 0:
        return QStringLiteral("an unknown error");
    default:
        return QString::fromLocal8Bit(std::strerror(err)).toLower();
    }
}

static FileIdentity fromStat(const struct stat& st)
{
    FileIdentity id;
    id.device = static_cast<quint64>(st.st_dev);
    id.inode = static_cast<quint64>(st.st_ino);
    id.links = static_cast<quint64>(st.st_nlink);
    id.size = static_cast<qint64>(st.st_size);
    id.regular = S_ISREG(st.st_mode);
    return id;
}

std::optional<FileIdentity> identityOf(const QString& path)
{
    struct stat st;
    if (path.isEmpty() || ::lstat(encodePath(path).constData(), &st) != 0)
        return std::nullopt;
    return fromStat(st);
}

std::optional<FileIdentity> identityOfFd(int fd)
{
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return std::nullopt;
    return fromStat(st);
}

RenameResult renameNoReplace(const QString& from, const QString& to, int& err)
{
    err = 0;
    if (faults::hit(faults::g_renames, faults::g_plan.failRename)) {
        err = EIO;
        return RenameResult::Failed;
    }
    if (faults::g_plan.beforeRename)
        faults::g_plan.beforeRename();
    const QByteArray a = encodePath(from), b = encodePath(to);
    if (::syscall(SYS_renameat2, AT_FDCWD, a.constData(), AT_FDCWD, b.constData(),
                  RENAME_NOREPLACE) == 0)
        return RenameResult::Ok;
    err = errno;
    if (err == EEXIST)
        return RenameResult::TargetExists;
    if (err != EINVAL && err != ENOSYS && err != EOPNOTSUPP)
        return RenameResult::Failed;
    // The file system refuses the flag. link() never replaces either; folders
    // cannot be linked, so they are refused rather than risked.
    struct stat st;
    if (::lstat(a.constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return RenameResult::Failed;
    if (::link(a.constData(), b.constData()) != 0) {
        err = errno;
        return err == EEXIST ? RenameResult::TargetExists : RenameResult::Failed;
    }
    if (::unlink(a.constData()) != 0) {
        err = errno;
        ::unlink(b.constData());
        return RenameResult::Failed;
    }
    err = 0;
    return RenameResult::Ok;
}

static void ignoreSigio()
{
    // A lease broken by another process raises SIGIO, whose default action
    // ends the program.
    static std::once_flag once;
    std::call_once(once, [] { ::signal(SIGIO, SIG_IGN); });
}

bool fileAvailable(const QString& path)
{
    ignoreSigio();
    const QByteArray p = encodePath(path);
    const int fd = ::open(p.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        ::close(fd);
        return true;
    }
    const int err = errno;
    ::close(fd);
    if (err == EAGAIN || err == EBUSY)
        return false;
    // No lease to be had here (a file we do not own, a file system without
    // leases): can it at least be opened for reading and writing?
    const int rw = ::open(p.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (rw < 0)
        return false;
    ::close(rw);
    return true;
}

BinaryFile::~BinaryFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool BinaryFile::open(const QString& path, int flags)
{
    close();
    m_leased = false;
    if (faults::hit(faults::g_opens, faults::g_plan.failOpen)) {
        errno = m_error = EIO;
        return false;
    }
    m_fd = ::open(encodePath(path).constData(), flags | O_CLOEXEC | O_NOFOLLOW);
    if (m_fd < 0)
        m_error = errno;
    return m_fd >= 0;
}

bool BinaryFile::openReadWrite(const QString& path)
{
    return open(path, O_RDWR);
}
bool BinaryFile::openReadOnly(const QString& path)
{
    return open(path, O_RDONLY);
}

BinaryFile::Exclusive BinaryFile::openExclusive(const QString& path)
{
    ignoreSigio();
    // Non-blocking, so that a lease another program holds makes us refuse
    // instead of waiting for it.
    bool readOnly = false;
    if (!open(path, O_RDWR | O_NONBLOCK)) {
        int err = errno;
        if (err == EACCES || err == EROFS || err == EPERM) {
            readOnly = open(path, O_RDONLY | O_NONBLOCK);
            if (!readOnly)
                err = errno;
        }
        m_error = err;
        if (!readOnly) {
            switch (err) {
            case EWOULDBLOCK:
                return Exclusive::InUse;
            case ENOENT:
            case ENOTDIR:
                return Exclusive::NotFound;
            case EISDIR:
                return Exclusive::IsFolder;
            case ELOOP:
                return Exclusive::IsLink;
            default:
                return Exclusive::Failed;
            }
        }
    }
    // A FIFO or device is never read or written here; opening it
    // non-blocking did no harm, and the lease would be refused anyway.
    if (faults::g_plan.noLeases) {
        errno = EINVAL;
    } else if (::fcntl(m_fd, F_SETLEASE, F_WRLCK) == 0) {
        // Closing the descriptor releases the lease.
        m_leased = true;
        return readOnly ? Exclusive::ReadOnly : Exclusive::Opened;
    }
    if (errno == EAGAIN || errno == EBUSY) {
        close();
        return Exclusive::InUse;
    }
    return readOnly ? Exclusive::ReadOnly : Exclusive::Opened;
}

std::optional<qint64> BinaryFile::size() const
{
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return std::nullopt;
    return static_cast<qint64>(st.st_size);
}

bool BinaryFile::syncData()
{
    if (faults::injected(faults::Step::Flush)) {
        m_error = EIO;
        return false;
    }
    if (m_fd >= 0 && ::fdatasync(m_fd) == 0)
        return true;
    m_error = errno;
    return false;
}

bool BinaryFile::readAt(qint64 offset, char* data, qint64 len)
{
    if (m_fd < 0 || faults::hit(faults::g_reads, faults::g_plan.failRead)) {
        m_error = EIO;
        return false;
    }
    qint64 done = 0;
    while (done < len) {
        const ssize_t n =
            ::pread(m_fd, data + done, static_cast<size_t>(len - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : EIO;
            return false;
        }
        done += n;
    }
    ++g_io.reads;
    g_io.bytesRead += len;
    return true;
}

bool BinaryFile::writeAt(qint64 offset, const char* data, qint64 len)
{
    if (m_fd < 0)
        return false;
    ++faults::g_writes;
    if (faults::g_plan.failWrite > 0 && faults::g_writes == faults::g_plan.failWrite) {
        m_error = ENOSPC;
        return false;
    }
    if (faults::g_plan.shortWrite > 0 && faults::g_writes == faults::g_plan.shortWrite) {
        if (len > 1) {
            const ssize_t n = ::pwrite(m_fd, data, static_cast<size_t>(len / 2), offset);
            (void)n;
        }
        m_error = ENOSPC;
        return false;
    }
    // A kill may land in the middle of a write: half the bytes, then nothing.
    if (faults::crashPoint()) {
        if (len > 1) {
            const ssize_t n = ::pwrite(m_fd, data, static_cast<size_t>(len / 2), offset);
            (void)n;
        }
        faults::crashNow();
    }
    qint64 done = 0;
    while (done < len) {
        const ssize_t n =
            ::pwrite(m_fd, data + done, static_cast<size_t>(len - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += n;
    }
    ++g_io.writes;
    g_io.bytesWritten += len;
    if (faults::crashPoint())
        faults::crashNow();
    return true;
}

bool BinaryFile::close()
{
    if (m_fd < 0)
        return true;
    const int rc = ::close(m_fd);
    m_fd = -1;
    return rc == 0;
}

QByteArray readFromStart(int fd, qint64 size)
{
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, size_t(bytes.size() - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

} // namespace platform
