#pragma once

#include <QString>

#include <vector>

// The drives of "My Computer": mounted volumes, leaving out pseudo file
// systems and read-only system mounts.
namespace platform {

enum class DriveType { Fixed, Removable, CdRom, Network, Ram, Unknown };

struct Drive {
    QString key;        // the mount point with a trailing "/"
    QString mountPoint; // without the trailing "/" (except "/")
    QString volumeName;
    DriveType type = DriveType::Fixed;
    bool ready = true;
    qint64 freeBytes = 0;
};

std::vector<Drive> listDrives();

} // namespace platform
