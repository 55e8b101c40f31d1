#include "platform/TempFolder.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QDir>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString tempFolderPath()
{
    return joinPath(QDir::tempPath(), QLatin1String(kTempFolderName));
}

TempFolderCheck ensurePrivateFolder(const QString& path)
{
    TempFolderCheck r;
    const QByteArray p = encodePath(path);
    if (::mkdir(p.constData(), 0700) != 0 && errno != EEXIST) {
        r.reason = QStringLiteral("The temporary folder %1 cannot be created.").arg(path);
        return r;
    }
    struct stat st;
    if (::lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        r.reason = QStringLiteral("%1 is not a folder.").arg(path);
        return r;
    }
    if (st.st_uid != ::geteuid()) {
        r.reason = QStringLiteral("The temporary folder %1 belongs to another user.").arg(path);
        return r;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(p.constData(), 0700) != 0) {
        r.reason = QStringLiteral("The temporary folder %1 cannot be made private.").arg(path);
        return r;
    }
    r.ok = true;
    return r;
}

// Removes the contents of an open folder; links are removed, never followed.
static bool removeContents(int dfd)
{
    DIR* dir = ::fdopendir(dfd);
    if (!dir) {
        ::close(dfd);
        return false;
    }
    bool ok = true;
    while (struct dirent* de = ::readdir(dir)) {
        const char* n = de->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        struct stat st;
        if (::fstatat(dfd, n, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = false;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            const int sub = ::openat(dfd, n, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0 || !removeContents(sub)) {
                ok = false;
                continue;
            }
            if (::unlinkat(dfd, n, AT_REMOVEDIR) != 0)
                ok = false;
        } else if (::unlinkat(dfd, n, 0) != 0) {
            ok = false;
        }
    }
    ::closedir(dir);
    return ok;
}

bool removeFolderTree(const QString& path)
{
    const QByteArray p = encodePath(path);
    struct stat st;
    if (::lstat(p.constData(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(p.constData()) == 0; // a link or file in its place: remove only that
    const int dfd = ::open(p.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dfd < 0 || !removeContents(dfd))
        return false;
    return ::rmdir(p.constData()) == 0;
}

} // namespace platform
