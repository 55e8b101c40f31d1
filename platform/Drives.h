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

// Sorted by mount point, so "/" comes first.
std::vector<Drive> listDrives();

// How a volume mounted at mountPoint shows under "My Computer", or nullopt for
// one that is left out (pseudo file systems, system areas, read-only mounts
// outside the removable-media folders).
std::optional<DriveType> classifyMount(const QString& mountPoint, const QByteArray& fsType,
                                       bool readOnly);

} // namespace platform
