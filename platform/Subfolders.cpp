#include "platform/Subfolders.h"

#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::vector<SubfolderEntry> listSubfolders(const QString& path, bool* ok)
{
    std::vector<SubfolderEntry> out;
    if (ok)
        *ok = false;
    const int dfd = ::open(encodePath(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        return out;
    DIR* dir = ::fdopendir(dfd);
    if (!dir) {
        ::close(dfd);
        return out;
    }
    while (const struct dirent* de = ::readdir(dir)) {
        const char* n = de->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        bool folder = de->d_type == DT_DIR;
        bool link = de->d_type == DT_LNK;
        if (de->d_type == DT_UNKNOWN || link) {
            struct stat st;
            if (de->d_type == DT_UNKNOWN && ::fstatat(dfd, n, &st, AT_SYMLINK_NOFOLLOW) == 0)
                link = S_ISLNK(st.st_mode);
            folder = ::fstatat(dfd, n, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (!folder)
            continue;
        const QByteArray raw(n);
        SubfolderEntry e;
        e.name = decodePath(raw);
        e.isSymLink = link;
        e.lossless = isLosslessName(raw);
        out.push_back(std::move(e));
    }
    ::closedir(dir);
    if (ok)
        *ok = true;
    return out;
}

} // namespace platform
