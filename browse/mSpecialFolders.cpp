#include "browse/mSpecialFolders.h"

#include "platform/FileSystem.h"

#include <QStandardPaths>

namespace mSpecialFolders {

QString special_folder_path(int csidl)
{
    QString path;
    switch (csidl) {
    case CSIDL_DESKTOP:
        path = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        break;
    case CSIDL_PERSONAL:
        path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        break;
    default:
        return QString();
    }
    // The standard locations are where these folders belong, not proof that
    // they are there; many desktops never create them. A missing one gets no
    // node rather than a node that fails when opened.
    return platform::folderExists(path) ? path : QString();
}

} // namespace mSpecialFolders
