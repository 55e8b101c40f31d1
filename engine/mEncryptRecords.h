#pragma once

#include "platform/DataFolders.h"
#include "platform/Prompt.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// Crash safety of hide_file and unhide_file.
//
// Before the first byte of a file changes, a record of the change is written
// to the record folder: the old and the new name, the direction, the level,
// the file's identity, the length of the region that changes and, for each
// 512-byte block of it, a 64-bit hash of the block in its hidden (inverted)
// form; never the bytes themselves. A byte and its inverse always differ, so
// the hash tells for each block whether it holds the hidden or the plain form,
// wherever a kill split a write. The record is removed after the rename. A
// process killed in between leaves the record behind; recover_interrupted()
// then finds the file by its identity under either name and writes the bytes
// its name needs, so no file is ever left with a name and content that
// disagree.
//
// While an item is in progress its owner holds an exclusive flock on the
// record, so a second running copy of the program leaves it alone.
namespace mEncrypt {

struct IntentRecord
{
    bool hiding = true;
    short level = 0;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    QByteArray oldPath;               // the file's path before the change, as the kernel sees it
    QByteArray newPath;               // and after it
    qint64 regionLength = 0;          // bytes 0..regionLength-1 change
    std::vector<quint64> blockHashes; // block_hash of each block in its hidden form
};

inline constexpr qint64 kRecordBlock = 512;

// The hash of one block (any length up to kRecordBlock).
quint64 block_hash(const char* data, qint64 len);
// The hashes of every block of a region given in its hidden form.
std::vector<quint64> region_hashes(const QByteArray& hiddenForm);

// The record's bytes: magic, version, fields, then a checksum of all of it.
QByteArray encode_record(const IntentRecord& record);
// nullopt for a record that is cut short or damaged.
std::optional<IntentRecord> decode_record(const QByteArray& bytes);

// With durable writes the record and the file's new bytes are flushed to the
// device at the points that make a power cut as safe as a kill; without, a
// kill at any moment is safe and a power cut relies on the file system's own
// ordering. Process-wide; off unless switched on.
bool durable_writes();
void set_durable_writes(bool on);

// The record folder of this copy of the program (the data folder's).
QString default_record_folder();

// A record for one change in progress, written into this process's record
// file (one per folder, locked while the process lives). finish() clears it
// after the change; a record never finished stays for recovery.
class PendingRecord
{
public:
    PendingRecord() = default;
    ~PendingRecord(); // releases the lock; the record stays behind
    PendingRecord(const PendingRecord&) = delete;
    PendingRecord& operator=(const PendingRecord&) = delete;

    enum class Result { Written, Busy, Failed };
    // Failed: err holds errno. (Busy is not used by this layout.)
    Result write(const QString& folder, const IntentRecord& record, int& err);
    // Removes the record: the change is complete or fully undone.
    void finish();

private:
    int m_fd = -1;
    QString m_folder;
};

struct RecoveryResult
{
    int completed = 0;  // finished as the interrupted operation meant
    int rolledBack = 0; // put back under the old name (the new name was taken)
    int busy = 0;       // left alone: another running copy owns them
    int gone = 0;       // the file was replaced or removed since: record dropped
    int failed = 0;     // could not be repaired now; the record stays for next time
};

// Finishes (or rolls back) every interrupted item recorded in the folder and
// removes its record. Cheap when the folder is empty or missing.
RecoveryResult recover_interrupted(const QString& folder);

// Recovers and tells the user in one message how many items were completed
// (nothing is shown when there was nothing to do).
RecoveryResult recover_and_report(const QString& folder, platform::PromptService& prompt);

// The record folder of a copy of the program with these data folders ("" when
// they name none: then the default one is meant).
QString record_folder_of(const platform::DataFolders& folders);

// What every operation that renames hidden items does first: an item a crash
// interrupted is finished (or rolled back) before its name may change again,
// since a record names the item by its old and new names.
RecoveryResult recover_before_renaming(const platform::DataFolders& folders,
                                       platform::PromptService& prompt);

} // namespace mEncrypt
