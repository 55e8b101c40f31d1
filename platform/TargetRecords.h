#pragma once

#include <QString>

// A copy killed half way (kill -9, a crash, a logout) leaves its temporary
// item in the target folder. So that the next start can clear it without
// searching the disk, a process notes each folder it is about to make a
// temporary item in, in a record of its own in the record folder: the file
// "<pid>-<tag>.targets", the folders' paths each ended by a NUL, locked
// (flock) while the process lives. Its temporary names carry the tag, so a
// sweep takes only the items of the dead process, never those of a copy
// of the program still at work in the same folder.
namespace platform {

// Notes the folder in this process's record in recordFolder (once per
// folder); the tag for the temporary names made there, or "" when no record
// could be written (the copy is no less safe; only its leftovers would stay).
QString noteTargetFolder(const QString& recordFolder, const QString& folder);

struct TargetSweep
{
    int records = 0; // records of dead processes handled
    int removed = 0; // temporary items removed
    int busy = 0;    // records left alone: their owners live
};

// At start-up: for each record whose owner is gone, removes its temporary
// items from the folders it names, then the record.
TargetSweep sweepTargetsOfDeadOwners(const QString& recordFolder);

} // namespace platform
