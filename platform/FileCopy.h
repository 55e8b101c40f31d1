#pragma once

#include <QByteArray>

#include <sys/types.h>

// Copying a file's bytes into a new file that nobody else can have created:
// shared by the temporary copies of hidden files and the move and copy layer.
// The kernel moves the bytes where it can (copy_file_range, which may also
// share the blocks), with sendfile and plain reads and writes as fallbacks.
// Under the fault hooks of FileSystem.h: the create counts as an open, each
// transfer as a write, the flush as a flush.
namespace platform {

struct CopyResult
{
    bool ok = false;
    int error = 0; // errno of the step that failed
};

// Copies everything from the source descriptor's current offset to its end
// onto the destination descriptor at its current offset.
CopyResult copyDescriptor(int in, int out);

// Creates name in the open folder exclusively (never replacing, never
// following a link planted under the name) with the mode, copies the source
// into it, flushes it to the device when asked, and closes it. On any failure
// nothing of the new file is left.
CopyResult copyToNewFile(int in, int folderFd, const QByteArray& name, mode_t mode, bool flush);

} // namespace platform
