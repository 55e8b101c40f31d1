#pragma once

#include <QString>

namespace platform {

// The bytes an ordinary user may still write on the file system that holds
// the folder, asked of the folder itself (no mount table needed, which a
// chroot or a container may not show); 0 when the folder cannot be asked.
qint64 freeBytes(const QString& folder);

} // namespace platform
