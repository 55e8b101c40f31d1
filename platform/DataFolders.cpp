#include "platform/DataFolders.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QStandardPaths>

#include <unistd.h>

namespace platform {

bool isInstalledCopy(const QString& programFolder)
{
    // An installed copy has its desktop data beside its bin folder. Asking
    // only whether the folder is writable would make root's copy in /usr/bin
    // a portable one that writes its settings among the system's programs.
    return fileExists(joinPath(parentFolder(withoutTrailingSeparator(programFolder)),
                               QStringLiteral("share/metainfo/org.cloakwell.Cloakwell.metainfo.xml")));
}

DataFolders decideDataFolders(const QString& programFolder)
{
    DataFolders d;
    d.programFolder = withoutTrailingSeparator(programFolder);
    const bool portable = folderExists(d.programFolder) && !isInstalledCopy(d.programFolder) &&
                          ::access(encodePath(d.programFolder).constData(), W_OK) == 0;
    if (portable) {
        d.dataFolder = d.programFolder;
        d.settingsFile = joinPath(d.programFolder, QLatin1String(kSettingsFileName));
    } else {
        const QString config =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        d.dataFolder = joinPath(data, QStringLiteral("Cloakwell"));
        d.settingsFile = joinPath(joinPath(config, QStringLiteral("Cloakwell")),
                                  QLatin1String(kSettingsFileName));
    }
    d.binFolder = joinPath(d.dataFolder, QLatin1String(kBinFolderName));
    d.recordFolder = joinPath(d.dataFolder, QLatin1String(kRecordFolderName));
    return d;
}

} // namespace platform
