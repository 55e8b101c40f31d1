#include "platform/FreeSpace.h"

#include "platform/FileSystem.h"

#include <sys/statvfs.h>

namespace platform {

qint64 freeBytes(const QString& folder)
{
    struct statvfs fs;
    if (folder.isEmpty() || ::statvfs(encodePath(folder).constData(), &fs) != 0)
        return 0;
    return static_cast<qint64>(fs.f_bavail) * static_cast<qint64>(fs.f_frsize);
}

} // namespace platform
