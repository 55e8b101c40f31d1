#include "engine/mEncrypt.h"
#include "engine/mOpenFiles.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/TempFolder.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/sendfile.h>
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

bool readWriteCopy(int in, int out)
{
    std::vector<char> buf(1 << 20);
    for (;;) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buf.data() + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            done += w;
        }
    }
}

// The kernel moves the bytes (or the file system shares the blocks) without
// them passing through this process; sendfile and plain reads are the
// fallbacks where a file system refuses. Both descriptors' offsets advance as
// bytes move, so a fallback part way continues where the last call stopped.
bool copyContents(int in, int out)
{
    constexpr size_t kStep = size_t(64) << 20;
    bool useRange = true;
    for (;;) {
        const ssize_t n = useRange ? ::copy_file_range(in, nullptr, out, nullptr, kStep, 0)
                                   : ::sendfile(out, in, nullptr, kStep);
        if (n == 0)
            return true;
        if (n > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (useRange && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                         errno == EOPNOTSUPP || errno == EPERM)) {
            useRange = false;
            continue;
        }
        if (!useRange && (errno == EINVAL || errno == ENOSYS))
            return readWriteCopy(in, out);
        return false;
    }
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
    const QString folder = platform::tempFolderPath();
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

    Fd in(::open(platform::encodePath(source).constData(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (!in.ok() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return r;
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    // O_EXCL makes the name ours alone: nothing existing is replaced, and a
    // link planted under the name is refused rather than written through.
    QByteArray name;
    int outFd = -1;
    for (int attempt = 0; attempt < 1000 && outFd < 0; ++attempt) {
        name = platform::encodePath(freshTempName() + QString::number(level) + extension);
        outFd = ::openat(dir.get(), name.constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (outFd < 0 && errno != EEXIST)
            return r;
    }
    Fd out(outFd);
    if (!out.ok())
        return r;

    const bool copied = copyContents(in.get(), out.get());
    if (!out.close() || !copied) {
        ::unlinkat(dir.get(), name.constData(), 0);
        return r;
    }
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
