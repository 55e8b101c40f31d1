#include "TestWorld.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// Empties the folder open at fd, by raw names, opening up what a test locked.
bool emptyFolder(int fd)
{
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    bool ok = true;
    while (const dirent* e = ::readdir(dir)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        struct stat st
        {
        };
        if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = false;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            ::fchmodat(::dirfd(dir), name, 0700, 0);
            const int child =
                ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            ok = child >= 0 && emptyFolder(child) && ok;
            ok = ::unlinkat(::dirfd(dir), name, AT_REMOVEDIR) == 0 && ok;
        } else {
            ok = ::unlinkat(::dirfd(dir), name, 0) == 0 && ok;
        }
    }
    ::closedir(dir);
    return ok;
}

} // namespace

TestWorld::TestWorld() : m_owner(::getpid())
{
    QByteArray templ = QFile::encodeName(QDir::tempPath()) + "/cloakwell-test-XXXXXX";
    if (::mkdtemp(templ.data()))
        m_root = QFile::decodeName(templ);
}

TestWorld::~TestWorld()
{
    // A forked child that unwinds must not take its parent's world away.
    if (isValid() && ::getpid() == m_owner)
        removeTree(QFile::encodeName(m_root));
}

bool TestWorld::removeTree(const QByteArray& path)
{
    ::chmod(path.constData(), 0700);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool emptied = emptyFolder(fd);
    return ::rmdir(path.constData()) == 0 && emptied;
}

QString TestWorld::path(const QString& relative) const
{
    return relative.isEmpty() ? m_root : m_root + QLatin1Char('/') + relative;
}

QString TestWorld::folder(const QString& relative)
{
    const QString p = path(relative);
    QDir().mkpath(p);
    return p;
}

QString TestWorld::file(const QString& relative, const QByteArray& bytes)
{
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return p;
}

QByteArray TestWorld::pattern(qint64 n, quint32 seed)
{
    QByteArray out(n, Qt::Uninitialized);
    quint32 x = seed * 2654435761u + 12345u;
    for (qint64 i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = static_cast<char>(x & 0xFF);
    }
    return out;
}

QString TestWorld::randomFile(const QString& relative, qint64 n, quint32 seed)
{
    return file(relative, pattern(n, seed));
}

QByteArray TestWorld::readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
