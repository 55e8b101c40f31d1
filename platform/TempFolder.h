#pragma once

#include <QString>

// The private "KZ Temp" folder below the system temporary folder, which holds
// plain copies of hidden files while they are open in other programs.
namespace platform {

inline constexpr const char* kTempFolderName = "KZ Temp";

// QDir::tempPath() + "/KZ Temp" (honours TMPDIR).
QString tempFolderPath();

struct TempFolderCheck
{
    bool ok = false;
    QString reason; // why temporary copies cannot be made, for the user
};

// Makes sure the folder exists, is a real folder (not a link), belongs to the
// current user and is private (0700), creating it when missing.
TempFolderCheck ensurePrivateFolder(const QString& path);

// Deletes the folder and everything in it without following any link out of
// it. True when nothing is left; a missing folder counts as removed.
bool removeFolderTree(const QString& path);

} // namespace platform
