#include "platform/TargetRecords.h"

#include "platform/FileOperation.h"
#include "platform/FileSystem.h"

#include <QByteArrayList>
#include <QDir>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr char kSuffix[] = ".targets";
constexpr off_t kMaxRecord = off_t(16) << 20;

struct Record
{
    int fd = -1;
    pid_t pid = 0;
    QString tag;
    std::set<QString> noted;
};
std::mutex g_mutex;
std::map<QString, Record> g_records;

// This process's record in the folder, made and locked on first use.
Record* recordIn(const QString& recordFolder)
{
    Record& r = g_records[recordFolder];
    if (r.fd >= 0 && r.pid == ::getpid())
        return &r;
    if (r.fd >= 0)
        ::close(r.fd); // inherited through fork(): the parent's record, not ours
    r = Record{};
    const QByteArray dir = encodePath(recordFolder);
    if (::mkdir(dir.constData(), 0700) != 0 && errno != EEXIST &&
        !(QDir().mkpath(recordFolder) && ::chmod(dir.constData(), 0700) == 0))
        return nullptr;
    const QString tag = QString::number(QRandomGenerator::global()->generate64(), 36);
    const QByteArray path =
        dir + '/' + QByteArray::number(::getpid()) + '-' + tag.toLatin1() + kSuffix;
    // Unnamed until locked, so a sweep never takes a live record for a dead one.
    int fd = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    const bool unnamed = fd >= 0;
    if (!unnamed)
        fd = ::open(path.constData(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    if (::flock(fd, LOCK_EX) != 0) {
        ::close(fd);
        return nullptr;
    }
    if (unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) !=
            0) {
            ::close(fd);
            return nullptr;
        }
    }
    r.fd = fd;
    r.pid = ::getpid();
    r.tag = tag;
    return &r;
}

bool appendAll(int fd, const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t w = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        done += w;
    }
    return true;
}

} // namespace

QString noteTargetFolder(const QString& recordFolder, const QString& folder)
{
    if (recordFolder.isEmpty())
        return QString();
    const std::lock_guard lock(g_mutex);
    Record* r = recordIn(recordFolder);
    if (!r)
        return QString();
    if (r->noted.count(folder))
        return r->tag;
    // The descriptor was opened without O_APPEND: a record cut short by a
    // failed write is overwritten from its end by the next one.
    if (::lseek(r->fd, 0, SEEK_END) < 0 || !appendAll(r->fd, encodePath(folder) + '\0'))
        return QString();
    r->noted.insert(folder);
    return r->tag;
}

TargetSweep sweepTargetsOfDeadOwners(const QString& recordFolder)
{
    TargetSweep out;
    if (recordFolder.isEmpty())
        return out;
    const FolderListing listing = listFolderEntries(recordFolder, false);
    for (const DirEntry& e : listing.entries) {
        const int dash = int(e.rawName.indexOf('-'));
        if (e.isFolder || !e.rawName.endsWith(kSuffix) || dash < 1)
            continue;
        const QString tag = QString::fromLatin1(
            e.rawName.mid(dash + 1, e.rawName.size() - dash - 1 - qsizetype(sizeof kSuffix - 1)));
        if (tag.isEmpty())
            continue;
        const QByteArray path = encodePath(recordFolder) + '/' + e.rawName;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ++out.busy; // its owner lives
            ::close(fd);
            continue;
        }
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxRecord) {
            ::close(fd);
            continue;
        }
        QByteArray bytes = platform::readFromStart(fd, st.st_size);
        // A path cut short by the kill has no NUL yet: its folder got no
        // temporary item, as one is made only after the note is written.
        bytes.truncate(bytes.lastIndexOf('\0') + 1);
        bool whole = true;
        for (const QByteArray& raw : bytes.split('\0')) {
            if (raw.isEmpty())
                continue;
            const QString folder = decodePath(raw);
            const int removed = removeTemporaryItems(folder, tag);
            if (removed > 0)
                out.removed += removed;
            else if (removed < 0 && pathExists(folder))
                whole = false; // unreadable now: try again next time
        }
        if (whole)
            ::unlink(path.constData());
        ++out.records;
        ::close(fd);
    }
    return out;
}

} // namespace platform
