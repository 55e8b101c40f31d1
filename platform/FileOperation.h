#pragma once

#include <QString>

#include <functional>

// The steps of moving, copying and deleting items that never lose a file:
// a copy is made complete under a temporary name in the target folder,
// checked against its source, and only then given its real name; a replaced
// item is swapped for its finished successor; a kill leaves at most a
// temporary name, which removeTemporaryItems clears at the next start.
namespace platform {

// The temporary names of unfinished copies: ".cloakwell-part-<random>~".
QString temporaryItemName();
bool isTemporaryItemName(const QString& name);
// Removes every temporary item (file, link or folder tree) directly in the
// folder; the number removed, or -1 when the folder cannot be read.
int removeTemporaryItems(const QString& folder);

struct ItemResult
{
    bool ok = false;
    int error = 0; // errno of the step that failed
    QString reason() const;
};

// True when both paths live on the same file system (so a rename moves).
bool sameFileSystem(const QString& a, const QString& b);

// Copies the item at source (a file, a symbolic link as a link, or a folder
// with everything in it) to a new temporary name in targetFolder, keeping
// modes and times, flushed and checked against the source. On success
// tempPath names the complete copy; on failure nothing of it is left. A
// folder's copy asks stop before each item in it and ends with ECANCELED
// when it says so.
ItemResult copyToTemporary(const QString& source, const QString& targetFolder, QString& tempPath,
                           const std::function<bool()>& stop = {});

// After a move's copy is published: removes of the source what the copy
// holds unchanged, never an item added or written to meanwhile. False when
// something stayed at the source.
bool removeMovedSource(const QString& source, const QString& copy);

// Swaps two names atomically (each keeps existing throughout).
ItemResult exchangeItems(const QString& a, const QString& b);

// Removes a file, link or folder tree for good, never following a link.
ItemResult removeItem(const QString& path);

enum class TrashResult { Trashed, NoTrash, Failed };
// Moves the item into the desktop's trash; NoTrash where its volume has none.
TrashResult moveToTrash(const QString& path, QString& reason);

// A name in folder for "name" that nothing has: "name (2).ext", "name (3).ext", ...
QString freeName(const QString& folder, const QString& name, bool isFolder);

} // namespace platform
