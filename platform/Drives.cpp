#include "platform/Drives.h"

#include "platform/FileSystem.h"

#include <QStorageInfo>

#include <algorithm>
#include <map>
#include <sys/statvfs.h>

namespace platform {

namespace {

bool isAtOrBelow(const QString& path, QLatin1String folder)
{
    return path == folder ||
           (path.startsWith(folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

// File systems that hold no user files: kernel interfaces, memory-backed
// scratch space, container layers and desktop plumbing.
bool isPseudoFileSystem(const QByteArray& type)
{
    static const QByteArrayList pseudo = {
        "proc",     "sysfs",           "devtmpfs",    "devpts",      "tmpfs",
        "ramfs",    "cgroup",          "cgroup2",     "securityfs",  "pstore",
        "bpf",      "debugfs",         "tracefs",     "configfs",    "fusectl",
        "mqueue",   "hugetlbfs",       "autofs",      "binfmt_misc", "efivarfs",
        "nsfs",     "rpc_pipefs",      "selinuxfs",   "rootfs",      "overlay",
        "squashfs", "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs",  "nfsd",
    };
    return pseudo.contains(type);
}

bool isNetworkFileSystem(const QByteArray& type)
{
    static const QByteArrayList network = {
        "nfs",   "nfs4",       "cifs",  "smb3", "smbfs",     "fuse.sshfs",     "afs",
        "ncpfs", "fuse.davfs", "davfs", "ceph", "glusterfs", "fuse.glusterfs",
    };
    return network.contains(type);
}

// Where the system keeps its own mounts; nothing there is a user's drive.
bool isSystemArea(const QString& mountPoint)
{
    if (isAtOrBelow(mountPoint, QLatin1String("/run/media")))
        return false;
    for (const char* area : {"/proc", "/sys", "/dev", "/run", "/boot", "/snap", "/var/lib"})
        if (isAtOrBelow(mountPoint, QLatin1String(area)))
            return true;
    return false;
}

bool isRemovableArea(const QString& mountPoint)
{
    return isAtOrBelow(mountPoint, QLatin1String("/media")) ||
           isAtOrBelow(mountPoint, QLatin1String("/run/media")) ||
           isAtOrBelow(mountPoint, QLatin1String("/mnt"));
}

} // namespace

std::optional<DriveType> classifyMount(const QString& mountPoint, const QByteArray& fsType,
                                       bool readOnly)
{
    // The root holds everything else, whatever it is built from (an overlay
    // in a container, a read-only image on an immutable system).
    if (mountPoint == QLatin1String("/"))
        return DriveType::Fixed;
    if (fsType == "iso9660" || fsType == "udf")
        return DriveType::CdRom;
    if (isPseudoFileSystem(fsType) || isSystemArea(mountPoint))
        return std::nullopt;
    if (isNetworkFileSystem(fsType))
        return DriveType::Network;
    if (isRemovableArea(mountPoint))
        return DriveType::Removable;
    if (readOnly)
        return std::nullopt;
    return DriveType::Fixed;
}

std::vector<Drive> listDrives()
{
    // Keyed by mount point: when mounts are stacked, the last one listed is
    // the one that is visible there.
    std::map<QString, Drive> byMount;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString mountPoint = volume.rootPath();
        const std::optional<DriveType> type =
            classifyMount(mountPoint, volume.fileSystemType(), volume.isReadOnly());
        // Containers bind-mount single files (/etc/hosts); only folders are drives.
        if (!type || !folderExists(mountPoint))
            continue;
        Drive d;
        d.mountPoint = mountPoint;
        d.key = mountPoint.endsWith(QLatin1Char('/')) ? mountPoint : mountPoint + QLatin1Char('/');
        d.volumeName = volume.name();
        d.type = *type;
        d.ready = volume.isValid() && volume.isReady();
        d.freeBytes = d.ready ? volume.bytesAvailable() : 0;
        byMount[mountPoint] = d;
    }
    // The root file system is always a drive, also where the mount table does
    // not show it (a chroot, some containers).
    if (!byMount.count(QStringLiteral("/"))) {
        Drive root;
        root.mountPoint = root.key = QStringLiteral("/");
        root.type = DriveType::Fixed;
        struct statvfs fs;
        if (::statvfs("/", &fs) == 0)
            root.freeBytes = static_cast<qint64>(fs.f_bavail) * static_cast<qint64>(fs.f_frsize);
        byMount[root.mountPoint] = root;
    }
    std::vector<Drive> drives;
    drives.reserve(byMount.size());
    for (auto& [mount, drive] : byMount)
        drives.push_back(std::move(drive));
    return drives;
}

} // namespace platform
