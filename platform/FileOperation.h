#pragma once

#include <QString>

#include <functional>

// The steps of moving, copying and deleting items that never lose a file:
// a copy is made complete under a temporary name in the target folder,
// checked against its source, and only then given its real name; a replaced
// item is swapped for its finished successor; a kill leaves at most a
// temporary name, which removeTemporaryItems clears at the next start.
namespace platform {

// The temporary names of unfinished copies: ".cloakwell-part-<random>~", or
// ".cloakwell-part-<tag>-<random>~" for the copies of the process whose
// record of target folders carries the tag (see TargetRecords.h).
QString temporaryItemName(const QString& tag = QString());
bool isTemporaryItemName(const QString& name);
// Removes every temporary item (file, link or folder tree) directly in the
// folder, or only those carrying the tag when one is given; the number
// removed, or -1 when the folder cannot be read.
int removeTemporaryItems(const QString& folder, const QString& tag = QString());

struct ItemResult
{
    bool ok = false;
    int error = 0; // errno of the step that failed
    QString reason() const;
};

// True when both paths live on the same file system (so a rename moves).
bool sameFileSystem(const QString& a, const QString& b);

// What a copy reports and whom it asks whether to go on.
struct CopyControl
{
    // Asked before each item of a folder and between the chunks of a file:
    // true ends the copy with ECANCELED.
    std::function<bool()> stop = {};
    // Told of each chunk of file content written (its length in bytes).
    std::function<void(qint64)> copied = {};
    // Marks the temporary name (see temporaryItemName).
    QString tag = {};
};

// Copies the item at source (a file, a symbolic link as a link, or a folder
// with everything in it) to a new temporary name in targetFolder, keeping
// modes and times. Each file is read once, written, flushed, and then read
// back and compared with what was read (byte for byte up to 4 MiB, above that
// by a 64-bit hash of each chunk); a source written to meanwhile fails the
// copy (EBUSY). On success tempPath names the
// complete copy; on failure or a stop nothing of it is left.
ItemResult copyToTemporary(const QString& source, const QString& targetFolder, QString& tempPath,
                           const CopyControl& control);
inline ItemResult copyToTemporary(const QString& source, const QString& targetFolder,
                                  QString& tempPath, const std::function<bool()>& stop = {})
{
    return copyToTemporary(source, targetFolder, tempPath, CopyControl{stop});
}

// The bytes of file content in the item (a folder: everything in it; links
// count nothing), and the number of entries, without following links.
struct ItemSize
{
    qint64 bytes = 0;
    qint64 entries = 0;
};
ItemSize measureItem(const QString& path);

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
