#include "engine/mEncrypt.h"
#include "engine/mOpenFiles.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/TempFolder.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace mOpenFiles {

namespace {

class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }
    // Closes now and reports whether the kernel accepted the last writes.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

// The shape of the scripting runtime's temporary names ("rad3F2A1.tmp"); any
// clash is caught by the exclusive create, so randomness only saves retries.
QString freshTempName()
{
    const quint32 n = QRandomGenerator::global()->bounded(0x100000u);
    return QStringLiteral("rad") + QStringLiteral("%1").arg(n, 5, 16, QLatin1Char('0')).toUpper() +
           QStringLiteral(".tmp");
}

// ensurePrivateFolder looked at the path; this looks at what was opened, so
// the copy goes into the folder that was checked even if the path changed since.
bool isPrivateFolder(int dfd)
{
    struct stat st;
    return ::fstat(dfd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

} // namespace

TempCopy make_temporary_copy(const QString& source, short level, const QString& extension)
{
    TempCopy r;
    // Non-blocking, so that a named pipe put in the file's place cannot hang
    // the program; only a regular file is ever read.
    Fd in(::open(platform::encodePath(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!in.ok() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return r;
    ::fcntl(in.get(), F_SETFL, 0);
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    const QString folder = platform::tempFolderPath(static_cast<qint64>(st.st_size));
    const auto check = platform::ensurePrivateFolder(folder);
    if (!check.ok) {
        r.status = TempCopy::Status::FolderRefused;
        r.reason = check.reason;
        return r;
    }
    Fd dir(::open(platform::encodePath(folder).constData(),
                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.ok() || !isPrivateFolder(dir.get())) {
        r.status = TempCopy::Status::FolderRefused;
        r.reason = QStringLiteral("The temporary folder %1 is not private.").arg(folder);
        return r;
    }

    // A fresh name each time; the exclusive create refuses one that is taken.
    QByteArray name;
    platform::CopyResult copied;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        name = platform::encodePath(freshTempName() + QString::number(level) + extension);
        copied = platform::copyToNewFile(in.get(), dir.get(), name, 0600, false);
        if (copied.ok || copied.error != EEXIST)
            break;
    }
    if (!copied.ok)
        return r;
    r.path = platform::joinPath(folder, platform::decodePath(name));
    if (level >= 2) {
        // The level is passed, not read from the copy's name: the name ends in
        // the real extension, not in the level digit.
        short used = level;
        if (!mEncrypt::invert_content(r.path, used)) {
            // A copy with scrambled bytes is of no use to anyone.
            ::unlinkat(dir.get(), name.constData(), 0);
            r.path.clear();
            return r;
        }
    }
    r.status = TempCopy::Status::Made;
    return r;
}

} // namespace mOpenFiles
