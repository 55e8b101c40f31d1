#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The drives of "My Computer": mounted volumes, leaving out pseudo file
// systems and read-only system mounts.
namespace platform {

enum class DriveType { Fixed, Removable, CdRom, Network, Ram, Unknown };

struct Drive
{
    QString key;        // the mount point with a trailing "/"
    QString mountPoint; // without the trailing "/" (except "/")
    QString volumeName;
    DriveType type = DriveType::Fixed;
    bool ready = true;
    qint64 freeBytes = 0;
};

// In the order of the system's mount table, "/" first. Where mounts are
// stacked on one folder, the last one (the one that is seen there) counts.
std::vector<Drive> listDrives();

// What the system tells about one mounted volume.
struct MountFacts
{
    QString mountPoint;
    QByteArray fsType;
    bool readOnly = false;
    bool removableDevice = false; // the block device has removable media
};

// How a volume shows under "My Computer", or nullopt for one that is left out:
// pseudo file systems, the system's own areas, and read-only mounts of the
// system itself. A read-only data volume is kept. Removable means a device
// with removable media, wherever it is mounted.
std::optional<DriveType> classifyMount(const MountFacts& mount);

// Whether the block device (a path such as "/dev/sdb1", links followed) has
// removable media, as the kernel's flag for its disk says. sysBlock is the
// kernel's folder of block devices.
bool isRemovableDevice(const QString& device,
                       const QString& sysBlock = QStringLiteral("/sys/class/block"));

} // namespace platform
