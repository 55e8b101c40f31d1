#pragma once

#include <QString>
#include <QStringList>

// The private "KZ Temp" folder, which holds plain copies of hidden files while
// they are open in other programs. It belongs to the current user alone: below
// $XDG_RUNTIME_DIR (a private tmpfs, so plain copies never reach the disk)
// when that has room, else a per-user folder below the system temporary
// folder, so no other account can create it first or remove it.
namespace platform {

inline constexpr const char* kTempFolderName = "KZ Temp";

// Where a copy of that many bytes goes: $XDG_RUNTIME_DIR/KZ Temp when the
// runtime folder is private and has room for it, else the per-user folder
// QDir::tempPath() + "/KZ Temp-<uid>" (honours TMPDIR). Should that name be
// taken by another account, a fresh unpredictable name beside it is used.
QString tempFolderPath(qint64 room = 0);

// Every temporary folder of the current user, existing or not: the runtime
// one and the per-user ones below the system temporary folder.
QStringList tempFolders();

// Removes every temporary folder of the current user (at start-up and at
// exit), and with each copy the traces other programs left of it: its
// thumbnails in the freedesktop cache and its entry in the recently-used
// list. Never follows a link out, never removes what another user owns.
// True when nothing is left.
bool removeTempFolders();

// The traces another program leaves of a file it opened: the thumbnails of
// the file's URI ($XDG_CACHE_HOME/thumbnails/*/<md5 of the URI>.png) and its
// entries in $XDG_DATA_HOME/recently-used.xbel. Removes them for every path.
void removeDesktopTraces(const QStringList& paths);

// The file: URI of a path, escaped as the desktop escapes it.
QString fileUri(const QString& path);

struct TempFolderCheck
{
    bool ok = false;
    QString reason; // why temporary copies cannot be made, for the user
};

// Makes sure the folder exists, is a real folder (not a link), belongs to the
// current user and is private (0700), creating it when missing.
TempFolderCheck ensurePrivateFolder(const QString& path);

// Deletes the folder and everything in it without following any link out of
// it, and without removing anything another user owns (a folder that is not
// the current user's is left whole). True when nothing is left; a missing
// folder counts as removed. removed receives the paths of the files removed.
bool removeFolderTree(const QString& path, QStringList* removed = nullptr);

} // namespace platform
