#pragma once

#include <QString>

namespace platform {

// Where the program keeps its settings file and its bin.
// A portable copy (its own folder writable) keeps both beside the program; an
// installed copy uses the per-user XDG locations. Decided once, at start-up.
struct DataFolders
{
    QString programFolder;
    QString dataFolder;   // holds "KZ Bin"
    QString settingsFile; // the settings store
    QString binFolder;    // dataFolder + "/KZ Bin"
    // dataFolder + "/KZ Pending": one record per hide or unhide in progress,
    // so that one cut short by a crash is finished at the next start.
    QString recordFolder = {};
};

DataFolders decideDataFolders(const QString& programFolder);

// True when the program folder belongs to an installed copy (its desktop data
// lies beside it, as "cmake --install" and the package put it).
bool isInstalledCopy(const QString& programFolder);

inline constexpr const char* kSettingsFileName = "Cloakwell.ini";
inline constexpr const char* kBinFolderName = "KZ Bin";
inline constexpr const char* kRecordFolderName = "KZ Pending";

} // namespace platform
