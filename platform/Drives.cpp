#include "platform/Drives.h"

#include "platform/FileSystem.h"

#include <gio/gunixmounts.h>

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
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

// The system's own read-only mounts: a read-only /usr or / image of an
// immutable system, a read-only /boot. GIO keeps the list of such places.
bool isSystemMount(const QString& mountPoint, const QByteArray& fsType)
{
    const QByteArray path = QFile::encodeName(mountPoint);
    return g_unix_is_mount_path_system_internal(path.constData()) ||
           g_unix_is_system_fs_type(fsType.constData());
}

QByteArray readSmallFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(64).trimmed() : QByteArray();
}

} // namespace

bool isRemovableDevice(const QString& device, const QString& sysBlock)
{
    if (!device.startsWith(QLatin1Char('/')))
        return false;
    const QFileInfo node(device);
    const QString name = QFileInfo(node.exists() ? node.canonicalFilePath() : device).fileName();
    if (name.isEmpty())
        return false;
    // A partition's folder sits inside its disk's folder; the flag is the disk's.
    QString folder = QFileInfo(sysBlock + QLatin1Char('/') + name).canonicalFilePath();
    if (folder.isEmpty())
        return false;
    if (QFileInfo::exists(folder + QStringLiteral("/partition")))
        folder = QFileInfo(folder).path();
    return readSmallFile(folder + QStringLiteral("/removable")) == "1";
}

std::optional<DriveType> classifyMount(const MountFacts& m)
{
    // The root holds everything else, whatever it is built from (an overlay
    // in a container, a read-only image on an immutable system).
    if (m.mountPoint == QLatin1String("/"))
        return DriveType::Fixed;
    if (m.fsType == "iso9660" || m.fsType == "udf")
        return DriveType::CdRom;
    if (isPseudoFileSystem(m.fsType) || isSystemArea(m.mountPoint))
        return std::nullopt;
    if (isNetworkFileSystem(m.fsType))
        return DriveType::Network;
    if (m.readOnly && isSystemMount(m.mountPoint, m.fsType))
        return std::nullopt;
    return m.removableDevice ? DriveType::Removable : DriveType::Fixed;
}

std::vector<Drive> listDrives()
{
    std::vector<Drive> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString mountPoint = volume.rootPath();
        const QByteArray device = volume.device();
        const std::optional<DriveType> type =
            classifyMount({mountPoint, volume.fileSystemType(), volume.isReadOnly(),
                           isRemovableDevice(QFile::decodeName(device))});
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
        // A mount stacked on an earlier one hides it.
        auto same = std::find_if(drives.begin(), drives.end(),
                                 [&](const Drive& o) { return o.mountPoint == mountPoint; });
        if (same != drives.end())
            drives.erase(same);
        drives.push_back(std::move(d));
    }
    // The root file system is always a drive, and the first, also where the
    // mount table does not show it (a chroot, some containers).
    auto root = std::find_if(drives.begin(), drives.end(),
                             [](const Drive& d) { return d.mountPoint == QLatin1String("/"); });
    if (root == drives.end()) {
        Drive r;
        r.mountPoint = r.key = QStringLiteral("/");
        r.type = DriveType::Fixed;
        struct statvfs fs;
        if (::statvfs("/", &fs) == 0)
            r.freeBytes = static_cast<qint64>(fs.f_bavail) * static_cast<qint64>(fs.f_frsize);
        drives.insert(drives.begin(), std::move(r));
    } else {
        std::rotate(drives.begin(), root, root + 1);
    }
    return drives;
}

} // namespace platform
