#include "platform/FolderScan.h"

#include "platform/FileSystem.h"

#include <QByteArray>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace platform {

namespace {

// Reads one folder by its path's bytes, never through a link at its last
// component. Names go to match; subfolders (not links) are appended to
// pending. False with err set when the folder cannot be read.
bool readFolder(const QByteArray& path, const std::function<bool(const QString&)>& match,
                std::vector<QByteArray>& pending, QByteArray& hit, int& err)
{
    const int dfd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dfd < 0) {
        err = errno;
        return false;
    }
    DIR* dir = ::fdopendir(dfd);
    if (!dir) {
        err = errno;
        ::close(dfd);
        return false;
    }
    errno = 0;
    while (struct dirent* de = ::readdir(dir)) {
        const char* n = de->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        const QByteArray child = path.endsWith('/') ? path + n : path + '/' + n;
        if (match(decodePath(QByteArray(n)))) {
            hit = child;
            ::closedir(dir);
            return true;
        }
        bool folder = de->d_type == DT_DIR;
        if (de->d_type == DT_UNKNOWN) {
            struct stat st;
            folder = ::fstatat(dfd, n, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        if (folder)
            pending.push_back(child);
        errno = 0;
    }
    // readdir ends with errno set when the listing itself broke off.
    err = errno;
    ::closedir(dir);
    return err == 0;
}

} // namespace

TreeSearch findNameInTree(const QString& folder, const std::function<bool(const QString&)>& match)
{
    TreeSearch result;
    // Depth first with a list of folders still to read, so a deep tree needs
    // neither deep recursion nor one open descriptor per level.
    std::vector<QByteArray> pending{encodePath(folder)};
    while (!pending.empty()) {
        const QByteArray path = std::move(pending.back());
        pending.pop_back();
        QByteArray hit;
        int err = 0;
        const size_t before = pending.size();
        if (!readFolder(path, match, pending, hit, err)) {
            if (result.outcome == TreeSearch::NotFound) {
                result.outcome = TreeSearch::Unreadable;
                result.path = decodePath(path);
                result.error = err;
            }
            continue;
        }
        if (!hit.isEmpty()) {
            result.outcome = TreeSearch::Found;
            result.path = decodePath(hit);
            result.error = 0;
            return result;
        }
        // Read this folder's subfolders in their listed order.
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(before), pending.end());
    }
    return result;
}

} // namespace platform
