#include "platform/DataFolders.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QStandardPaths>

#include <unistd.h>

namespace platform {

DataFolders decideDataFolders(const QString& programFolder)
{
    DataFolders d;
    d.programFolder = withoutTrailingSeparator(programFolder);
    const bool portable = folderExists(d.programFolder) &&
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
