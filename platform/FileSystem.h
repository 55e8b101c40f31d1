#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The file-system layer: existence tests, folder enumeration, sizes, renames
// that never replace, the in-use test and positioned binary input and output.
// Everything takes and returns paths as QString; names that do not survive the
// trip from the file system's bytes are flagged, never silently altered.
namespace platform {

// Converts a path to the bytes the kernel sees, and back.
QByteArray encodePath(const QString& path);
QString decodePath(const QByteArray& raw);

// True when the name converts to the file system's bytes and back unchanged.
// A name read from disk that is not valid in the locale's encoding decodes to
// replacement characters; such a name must never be renamed through a lossy
// conversion.
bool isLosslessName(const QByteArray& raw);

// True when the path as given names something on disk by exactly those bytes
// and its last component does not look like the lossy decoding of another name.
bool pathNameIsExact(const QString& path);

// Existence tests. They follow symbolic links, like the design's file-system
// objects; isSymLink tells a link apart.
bool pathExists(const QString& path); // anything (a dangling link counts)
bool folderExists(const QString& path);
bool fileExists(const QString& path); // a non-folder: regular file, device, ...
bool isSymLink(const QString& path);
// A regular file (after following links): not a folder, pipe, socket or device.
bool isRegularFile(const QString& path);

// What one lstat (and, for a link, one stat) tells about a path.
struct PathInfo
{
    bool exact = false;  // as pathNameIsExact
    bool exists = false; // something is there (a dangling link counts)
    bool isSymLink = false;
    bool isFolder = false; // after following a link
};
PathInfo inspectPath(const QString& path);

// Size of a file in bytes, following links; nullopt when it cannot be read.
std::optional<qint64> fileSize(const QString& path);

struct DirEntry
{
    QString name;       // decoded name
    QByteArray rawName; // the bytes on disk
    bool lossless = true;
    bool isFolder = false;  // after following a link
    bool isSymLink = false; // the entry itself is a link
    bool hasStat = false;   // size and time below are valid
    qint64 size = 0;
    qint64 mtimeSecs = 0; // seconds since the epoch, UTC
    bool dotName = false; // the name begins with "." (the "Hidden" attribute here)
};

struct FolderListing
{
    bool ok = false;
    int error = 0;                 // errno when !ok
    std::vector<DirEntry> entries; // file-system order, without "." and ".."
};

// Lists a folder in file-system order. With withStat each entry also carries
// its size and modification time (one fstatat per entry, no file is opened).
FolderListing listFolderEntries(const QString& path, bool withStat);

// Subfolder and file names only, in file-system order.
std::vector<QString> subfolderNames(const QString& path);
std::vector<QString> fileNames(const QString& path);

enum class RenameResult {
    Ok,
    TargetExists, // something already has the new name; nothing changed
    Failed        // any other failure; nothing changed
};

// Renames "from" to "to" without ever replacing an existing item.
// Built on renameat2(RENAME_NOREPLACE); for files on file systems that refuse
// the flag it falls back to link() + unlink().
RenameResult renameNoReplace(const QString& from, const QString& to);
// As above; err receives errno when the result is Failed.
RenameResult renameNoReplace(const QString& from, const QString& to, int& err);

// Creates a folder. It never takes over what is there: a name already taken,
// by anything, fails with EEXIST in err.
bool makeFolder(const QString& path, int& err);

// Flushes a folder's entries (names created, renamed or removed) to the device.
bool syncFolder(const QString& path);

// The system's reason for an errno value, as the user reads it in a sentence
// ("permission denied", "no space left on the device", ...).
QString systemReason(int err);

// What identifies a file on disk and what a change must not overlook.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    quint64 links = 0;
    qint64 size = 0;
    bool regular = false;
    bool operator==(const FileIdentity& o) const { return device == o.device && inode == o.inode; }
};
// The identity of what the path names, the path itself when it is a link.
std::optional<FileIdentity> identityOf(const QString& path);
std::optional<FileIdentity> identityOfFd(int fd);

// "Can the file be opened exclusively?" False when another open descriptor
// exists, this process's own included, or the file cannot be opened at all.
bool fileAvailable(const QString& path);

// Bytes moved by BinaryFile since the last reset (for benchmarks and tests).
struct IoCounters
{
    qint64 bytesRead = 0;
    qint64 bytesWritten = 0;
    int reads = 0;
    int writes = 0;
};
IoCounters ioCounters();
void resetIoCounters();

// A file opened for positioned binary reads and writes. Never follows a link.
class BinaryFile
{
public:
    BinaryFile() = default;
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    bool openReadWrite(const QString& path);

    enum class Exclusive {
        Opened,   // open, and no other descriptor of the file exists
        ReadOnly, // as Opened, but the file could only be opened for reading
        InUse,    // another descriptor (or another program's lease) exists
        NotFound, // nothing at the path
        IsFolder, // a folder is at the path
        IsLink,   // a symbolic link is at the path: never opened through
        Failed    // any other error
    };
    // The in-use test and the open in one step: opens for reading and writing
    // (for reading only where writing is refused) and takes a write lease,
    // which the kernel grants only while no other descriptor of the file is
    // open. The lease is held until close(), so a program opening the file
    // meanwhile waits for us instead of reading half-inverted bytes. Where
    // leases are not available, a successful open counts as "not in use".
    Exclusive openExclusive(const QString& path);
    bool openReadOnly(const QString& path);
    bool isOpen() const { return m_fd >= 0; }
    std::optional<qint64> size() const;
    std::optional<FileIdentity> identity() const { return identityOfFd(m_fd); }
    int descriptor() const { return m_fd; }
    // After openExclusive: true when the kernel granted the write lease, so no
    // other descriptor of the file existed. False where the lease was refused
    // for another reason (a file of another user, a file system without
    // leases): then nobody can tell whether another program has it open.
    bool leased() const { return m_leased; }
    // errno of the last failed open, read or write.
    int lastError() const { return m_error; }
    // Flushes the file's data to the device.
    bool syncData();

    // Read or write exactly len bytes at offset (0-based); false on any error
    // or short transfer. A failed write may have written part of the range.
    bool readAt(qint64 offset, char* data, qint64 len);
    bool writeAt(qint64 offset, const char* data, qint64 len);
    bool close(); // false when closing reported an error

private:
    bool open(const QString& path, int flags);
    int m_fd = -1;
    bool m_leased = false;
    int m_error = 0;
};

// Test hook: makes the n-th call of a kind fail (1-based, counted from the last
// arm()). Zero leaves that kind alone. Only tests arm it.
namespace faults {
struct Plan
{
    int failOpen = 0;
    int failRead = 0;
    int failWrite = 0;
    int failRename = 0;
    int shortWrite = 0; // the n-th write transfers only half its bytes, then fails
    // Runs just before each rename reaches the kernel: lets a test make the
    // target appear between the program's own check and the rename.
    std::function<void()> beforeRename;
    // The kernel refuses every write lease, as for another user's file or on
    // a file system without leases.
    bool noLeases = false;
    int failFlush = 0; // the n-th flush to the device fails
};
void arm(const Plan& plan);
void disarm();

// For file code outside this layer's own calls: counts one step of the kind
// and tells whether the armed plan makes it fail.
enum class Step { Open, Read, Write, Rename, Flush };
bool injected(Step step);

// Test hook for crash safety: counts the steps of the operations that change
// files; when the count reaches the number in the environment variable
// CLOAKWELL_KILL_AT_STEP, returns true and the caller ends the process with
// SIGKILL (after writing part of a chunk, where that is the step). Always
// false when the variable is unset.
bool crashPoint();
// Sets the step count to reach from now on (0: never), as the variable does;
// for a test's forked child.
void armCrash(long step);
// Ends the process at once, as a kill -9 would.
[[noreturn]] void crashNow();
} // namespace faults

// Up to size bytes of an open file from its start; fewer where the file ends
// sooner or a read fails (a record cut short reads as such).
QByteArray readFromStart(int fd, qint64 size);

} // namespace platform
