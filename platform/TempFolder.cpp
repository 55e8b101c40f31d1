// GIO before Qt: its headers use names that Qt's macros would otherwise take.
#include <gio/gio.h>

#include "platform/TempFolder.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QMutex>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qint64 kRuntimeReserve = qint64(64) << 20; // left free for the session's own use

// A folder of the current user's own, mode 0700, not a link.
bool isOwnPrivateFolder(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

QString perUserPrefix()
{
    return QLatin1String(kTempFolderName) + QLatin1Char('-') + QString::number(::geteuid());
}

QString runtimeTempFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !runtime.startsWith('/') || !isOwnPrivateFolder(runtime))
        return QString();
    return joinPath(decodePath(runtime), QLatin1String(kTempFolderName));
}

// A name below the system temporary folder that no other account holds.
QString perUserTempFolder()
{
    static QMutex mutex;
    static QString fresh; // chosen once the usual name was found taken
    const QMutexLocker lock(&mutex);
    const QString base = QDir::tempPath();
    const QString usual = joinPath(base, perUserPrefix());
    struct stat st;
    const QByteArray raw = encodePath(usual);
    if (::lstat(raw.constData(), &st) != 0 || (S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()))
        return usual;
    if (!fresh.isEmpty() && fresh.startsWith(base + QLatin1Char('/')) &&
        isOwnPrivateFolder(encodePath(fresh)))
        return fresh;
    QByteArray pattern = encodePath(usual + QStringLiteral("-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return usual; // then the folder checks refuse, and say why
    fresh = decodePath(pattern);
    return fresh;
}

} // namespace

QString tempFolderPath(qint64 room)
{
    const QString runtime = runtimeTempFolder();
    if (!runtime.isEmpty()) {
        struct statvfs vfs;
        const QByteArray parent = encodePath(parentFolder(runtime));
        if (::statvfs(parent.constData(), &vfs) == 0 &&
            qint64(vfs.f_bavail) * qint64(vfs.f_frsize) >= room + kRuntimeReserve)
            return runtime;
    }
    return perUserTempFolder();
}

QStringList tempFolders()
{
    QStringList out;
    const QString runtime = runtimeTempFolder();
    if (!runtime.isEmpty())
        out << runtime;
    const QString base = QDir::tempPath();
    const QByteArray prefix = encodePath(perUserPrefix());
    for (const DirEntry& e : listFolderEntries(base, false).entries) {
        if (e.rawName == prefix || e.rawName.startsWith(prefix + '-'))
            out << joinPath(base, e.name);
    }
    if (!out.contains(joinPath(base, perUserPrefix())))
        out << joinPath(base, perUserPrefix());
    return out;
}

QString fileUri(const QString& path)
{
    gchar* uri = g_filename_to_uri(encodePath(path).constData(), nullptr, nullptr);
    if (!uri)
        return QString();
    const QString out = QString::fromUtf8(uri);
    g_free(uri);
    return out;
}

void removeDesktopTraces(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    QStringList uris;
    for (const QString& p : paths) {
        const QString uri = fileUri(p);
        if (!uri.isEmpty())
            uris << uri;
    }
    // Thumbnails: one file per size folder, named by the MD5 of the URI.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString thumbs = joinPath(cache, QStringLiteral("thumbnails"));
    QStringList sizeFolders;
    for (const DirEntry& e : listFolderEntries(thumbs, false).entries) {
        if (!e.isFolder || e.isSymLink)
            continue;
        const QString folder = joinPath(thumbs, e.name);
        sizeFolders << folder;
        if (e.name == QLatin1String("fail")) // fail/<program>/<md5>.png
            for (const DirEntry& f : listFolderEntries(folder, false).entries)
                if (f.isFolder && !f.isSymLink)
                    sizeFolders << joinPath(folder, f.name);
    }
    for (const QString& uri : uris) {
        const QString md5 = QString::fromLatin1(
            QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Md5).toHex());
        for (const QString& folder : sizeFolders)
            ::unlink(encodePath(joinPath(folder, md5 + QStringLiteral(".png"))).constData());
    }
    // The recently-used list: read once, rewritten once (atomically) when an
    // entry went.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QByteArray xbel = encodePath(joinPath(data, QStringLiteral("recently-used.xbel")));
    struct stat st;
    if (::lstat(xbel.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    GBookmarkFile* list = g_bookmark_file_new();
    if (g_bookmark_file_load_from_file(list, xbel.constData(), nullptr)) {
        bool changed = false;
        for (const QString& uri : uris) {
            const QByteArray u = uri.toUtf8();
            if (g_bookmark_file_has_item(list, u.constData()))
                changed |= g_bookmark_file_remove_item(list, u.constData(), nullptr) != FALSE;
        }
        if (changed)
            g_bookmark_file_to_file(list, xbel.constData(), nullptr);
    }
    g_bookmark_file_free(list);
}

bool removeTempFolders()
{
    bool ok = true;
    QStringList removed;
    for (const QString& folder : tempFolders()) {
        struct stat st;
        // A name another account took first is not ours to remove, nor a failure.
        if (::lstat(encodePath(folder).constData(), &st) != 0 || st.st_uid != ::geteuid())
            continue;
        ok &= removeFolderTree(folder, &removed);
    }
    removeDesktopTraces(removed);
    return ok;
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

// Removes the contents of an open folder; links are removed, never followed,
// and nothing another user owns is removed.
static bool removeContents(int dfd, const QString& path, QStringList* removed)
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
        if (::fstatat(dfd, n, &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != ::geteuid()) {
            ok = false;
            continue;
        }
        const QString child = joinPath(path, decodePath(QByteArray(n)));
        if (S_ISDIR(st.st_mode)) {
            const int sub = ::openat(dfd, n, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0 || !removeContents(sub, child, removed)) {
                ok = false;
                continue;
            }
            if (::unlinkat(dfd, n, AT_REMOVEDIR) != 0)
                ok = false;
        } else if (::unlinkat(dfd, n, 0) != 0) {
            ok = false;
        } else if (removed && S_ISREG(st.st_mode)) {
            removed->append(child);
        }
    }
    ::closedir(dir);
    return ok;
}

bool removeFolderTree(const QString& path, QStringList* removed)
{
    const QByteArray p = encodePath(path);
    struct stat st;
    if (::lstat(p.constData(), &st) != 0)
        return errno == ENOENT;
    if (st.st_uid != ::geteuid())
        return false; // another user's: not ours to remove
    if (!S_ISDIR(st.st_mode))
        return ::unlink(p.constData()) == 0; // a link or file in its place: remove only that
    const int dfd = ::open(p.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dfd < 0 || !removeContents(dfd, path, removed))
        return false;
    return ::rmdir(p.constData()) == 0;
}

} // namespace platform
