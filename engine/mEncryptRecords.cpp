#include "engine/mEncryptRecords.h"

#include "platform/DataFolders.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <map>
#include <mutex>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mEncrypt {

namespace {

constexpr char kMagic[8] = {'C', 'W', 'P', 'E', 'N', 'D', '\r', '\n'};
constexpr quint32 kVersion = 1;
constexpr qint64 kMaxRecord = 4 << 20;
const char kSuffix[] = ".rec";

std::atomic<bool> g_durable{false};

quint64 fnv1a(const char* data, qsizetype len)
{
    quint64 h = 14695981039346656037ull;
    for (qsizetype i = 0; i < len; ++i) {
        h ^= static_cast<unsigned char>(data[i]);
        h *= 1099511628211ull;
    }
    return h;
}

template <typename T> void put(QByteArray& out, T v)
{
    char bytes[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<char>((static_cast<quint64>(v) >> (8 * i)) & 0xff);
    out.append(bytes, qsizetype(sizeof(T)));
}

void putBytes(QByteArray& out, const QByteArray& b)
{
    put<quint32>(out, static_cast<quint32>(b.size()));
    out.append(b);
}

// Reads the fields in order; any read past the end marks the record bad.
struct Reader
{
    const QByteArray& in;
    qsizetype at = 0;
    bool ok = true;

    template <typename T> T get()
    {
        if (at + qsizetype(sizeof(T)) > in.size()) {
            ok = false;
            return T{};
        }
        quint64 v = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            v |= quint64(static_cast<unsigned char>(in[at + qsizetype(i)])) << (8 * i);
        at += qsizetype(sizeof(T));
        return static_cast<T>(v);
    }
    QByteArray bytes()
    {
        const quint32 n = get<quint32>();
        if (!ok || qsizetype(n) > in.size() - at) {
            ok = false;
            return QByteArray();
        }
        QByteArray b = in.mid(at, qsizetype(n));
        at += qsizetype(n);
        return b;
    }
};

QByteArray inverted(QByteArray b)
{
    for (char& c : b)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return b;
}

} // namespace

quint64 block_hash(const char* data, qint64 len)
{
    // Four independent lanes of eight bytes, so the multiplies overlap; the
    // lanes are folded together at the end.
    constexpr quint64 kMul = 0xff51afd7ed558ccdull;
    quint64 h[4] = {0x9e3779b97f4a7c15ull ^ quint64(len), 0xc2b2ae3d27d4eb4full,
                    0x165667b19e3779f9ull, 0x27d4eb2f165667c5ull};
    qint64 i = 0;
    for (; i + 32 <= len; i += 32) {
        for (int lane = 0; lane < 4; ++lane) {
            quint64 w;
            std::memcpy(&w, data + i + 8 * lane, 8);
            h[lane] = (h[lane] ^ w) * kMul;
            h[lane] ^= h[lane] >> 29;
        }
    }
    quint64 out =
        h[0] ^ (h[1] * 0x9e3779b97f4a7c15ull) ^ (h[2] * 0xc4ceb9fe1a85ec53ull) ^ (h[3] * kMul);
    for (; i < len; ++i)
        out = (out ^ static_cast<unsigned char>(data[i])) * 0xc4ceb9fe1a85ec53ull;
    out ^= out >> 33;
    out *= kMul;
    out ^= out >> 33;
    return out;
}

std::vector<quint64> region_hashes(const QByteArray& hiddenForm)
{
    std::vector<quint64> out;
    out.reserve(size_t((hiddenForm.size() + kRecordBlock - 1) / kRecordBlock));
    for (qint64 at = 0; at < hiddenForm.size(); at += kRecordBlock)
        out.push_back(block_hash(hiddenForm.constData() + at,
                                 qMin<qint64>(kRecordBlock, hiddenForm.size() - at)));
    return out;
}

namespace {

enum class Repair { Completed, RolledBack, Gone, Failed };

// Writes the bytes the file needs at its current name: the record's target for
// the new name, the original for the old one.
bool writeRegion(platform::BinaryFile& f, const QByteArray& bytes, qint64 size)
{
    const qint64 n = qMin<qint64>(bytes.size(), size);
    if (n > 0 && !f.writeAt(0, bytes.constData(), n))
        return false;
    return !g_durable || f.syncData();
}

// Turns a block into its hidden form, whatever a kill left in it: the hidden
// form, the plain form, or a write cut inside the block (the bytes before the
// cut in one form, the rest in the other). False when no such reading gives
// the recorded hash.
bool toHiddenForm(char* block, qint64 n, quint64 want)
{
    if (block_hash(block, n) == want)
        return true;
    QByteArray b(block, n);
    const auto flip = [&](qint64 from, qint64 to) {
        for (qint64 i = from; i < to; ++i)
            b[i] = static_cast<char>(~static_cast<unsigned char>(b[i]));
    };
    flip(0, n);
    if (block_hash(b.constData(), n) == want) {
        std::memcpy(block, b.constData(), size_t(n));
        return true;
    }
    // Cut at p: invert only the part before it (b is now all inverted, so the
    // part after p is flipped back step by step), or only the part after it.
    for (int side = 0; side < 2; ++side) {
        b = QByteArray(block, n);
        if (side == 0)
            flip(0, n);
        for (qint64 p = n - 1; p > 0; --p) {
            // side 0: [0,p) inverted, [p,n) as found; side 1: [0,p) as found, [p,n) inverted.
            flip(p, p + 1);
            if (block_hash(b.constData(), n) == want) {
                std::memcpy(block, b.constData(), size_t(n));
                return true;
            }
        }
    }
    return false;
}

Repair repair(const IntentRecord& r)
{
    const QString oldPath = platform::decodePath(r.oldPath);
    const QString newPath = platform::decodePath(r.newPath);
    const auto matches = [&](const std::optional<platform::FileIdentity>& id) {
        return id && id->regular && id->device == r.device && id->inode == r.inode;
    };
    const bool atNew = matches(platform::identityOf(newPath));
    const bool atOld = !atNew && matches(platform::identityOf(oldPath));
    if (!atNew && !atOld)
        return Repair::Gone; // replaced or removed since: nothing of ours is left
    platform::BinaryFile f;
    if (!f.openReadWrite(atNew ? newPath : oldPath))
        return Repair::Failed;
    const auto id = f.identity();
    if (!matches(id))
        return Repair::Gone;
    // Whatever mix of old and new blocks a kill left: each block is found in
    // its hidden or its plain form by its hash, and the whole region is then
    // written in the form the direction needs.
    const qint64 len = qMin<qint64>(r.regionLength, id->size);
    if (len < r.regionLength ||
        r.blockHashes.size() != size_t((r.regionLength + kRecordBlock - 1) / kRecordBlock))
        return Repair::Failed; // cut shorter since: not ours to guess at
    QByteArray hidden(len, Qt::Uninitialized);
    if (len > 0 && !f.readAt(0, hidden.data(), len))
        return Repair::Failed;
    for (qint64 at = 0, b = 0; at < len; at += kRecordBlock, ++b) {
        char* block = hidden.data() + at;
        const qint64 n = qMin<qint64>(kRecordBlock, len - at);
        if (!toHiddenForm(block, n, r.blockHashes[size_t(b)]))
            return Repair::Failed; // neither form: changed by someone else
    }
    const QByteArray target = r.hiding ? hidden : inverted(hidden);
    if (!writeRegion(f, target, id->size))
        return Repair::Failed;
    if (atNew)
        return Repair::Completed;
    const auto rc = platform::renameNoReplace(oldPath, newPath);
    if (rc == platform::RenameResult::Ok)
        return Repair::Completed;
    // The new name was taken meanwhile: back to the old name's bytes.
    return writeRegion(f, inverted(target), id->size) ? Repair::RolledBack : Repair::Failed;
}

} // namespace

QByteArray encode_record(const IntentRecord& r)
{
    QByteArray out(kMagic, sizeof kMagic);
    put<quint32>(out, kVersion);
    put<quint8>(out, r.hiding ? 1 : 0);
    put<quint8>(out, static_cast<quint8>(r.level));
    put<quint16>(out, 0);
    put<quint64>(out, r.device);
    put<quint64>(out, r.inode);
    put<qint64>(out, r.size);
    putBytes(out, r.oldPath);
    putBytes(out, r.newPath);
    put<qint64>(out, r.regionLength);
    out.reserve(out.size() + 4 + qsizetype(r.blockHashes.size() + 1) * 8);
    put<quint32>(out, static_cast<quint32>(r.blockHashes.size()));
    for (quint64 h : r.blockHashes)
        put<quint64>(out, h);
    put<quint64>(out, fnv1a(out.constData(), out.size()));
    return out;
}

std::optional<IntentRecord> decode_record(const QByteArray& bytes)
{
    if (bytes.size() < qsizetype(sizeof kMagic + 8) ||
        !bytes.startsWith(QByteArray(kMagic, sizeof kMagic)))
        return std::nullopt;
    Reader rd{bytes, qsizetype(sizeof kMagic)};
    IntentRecord r;
    if (rd.get<quint32>() != kVersion)
        return std::nullopt;
    r.hiding = rd.get<quint8>() != 0;
    r.level = static_cast<short>(rd.get<quint8>());
    rd.get<quint16>();
    r.device = rd.get<quint64>();
    r.inode = rd.get<quint64>();
    r.size = rd.get<qint64>();
    r.oldPath = rd.bytes();
    r.newPath = rd.bytes();
    r.regionLength = rd.get<qint64>();
    const quint32 blocks = rd.get<quint32>();
    if (!rd.ok || r.regionLength < 0 || qsizetype(blocks) * 8 > bytes.size())
        return std::nullopt;
    r.blockHashes.reserve(blocks);
    for (quint32 i = 0; i < blocks && rd.ok; ++i)
        r.blockHashes.push_back(rd.get<quint64>());
    const qsizetype body = rd.at;
    const quint64 sum = rd.get<quint64>();
    // Bytes after the checksum are what is left of a longer earlier record.
    if (!rd.ok || sum != fnv1a(bytes.constData(), body) || r.oldPath.isEmpty() ||
        r.newPath.isEmpty())
        return std::nullopt;
    return r;
}

bool durable_writes()
{
    return g_durable;
}

void set_durable_writes(bool on)
{
    g_durable = on;
}

QString default_record_folder()
{
    static const QString folder =
        platform::decideDataFolders(QCoreApplication::applicationDirPath()).recordFolder;
    return folder;
}

namespace {

// One record file per process and record folder, created once and locked for
// the process's life; each change overwrites it in place and clears it when
// done, which costs two writes instead of creating and removing a file.
struct Slot
{
    int fd = -1;
    pid_t pid = 0;
};
std::mutex g_slotsMutex;
std::map<QString, Slot> g_slots;

// Opens (or creates) this process's slot in the folder; -1 with err set.
int slotFor(const QString& folder, int& err)
{
    Slot& slot = g_slots[folder];
    if (slot.fd >= 0 && slot.pid == ::getpid())
        return slot.fd;
    if (slot.fd >= 0)
        ::close(slot.fd); // inherited through fork(): the parent's, not ours
    slot = Slot{};
    const QByteArray dir = platform::encodePath(folder);
    if (::mkdir(dir.constData(), 0700) != 0 && errno != EEXIST) {
        err = errno;
        return -1;
    }
    const QByteArray path = dir + '/' + QByteArray::number(::getpid()) + '-' +
                            QByteArray::number(QRandomGenerator::global()->generate64(), 16) +
                            kSuffix;
    // An unnamed file first: it gets its name only once it is locked, so
    // another copy's recovery never takes a live slot for a dead one.
    int fd = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    const bool unnamed = fd >= 0;
    if (!unnamed)
        fd = ::open(path.constData(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0) {
        err = errno;
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    if (unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) !=
            0) {
            err = errno;
            ::close(fd);
            return -1;
        }
    }
    if (g_durable && !platform::syncFolder(folder)) {
        err = errno;
        ::close(fd);
        ::unlink(path.constData());
        return -1;
    }
    slot.fd = fd;
    slot.pid = ::getpid();
    return fd;
}

// Gives the slot up with its record in it: the lock goes, so the next
// recovery (of this process too) repairs what the record describes.
void retireSlot(const QString& folder)
{
    const auto it = g_slots.find(folder);
    if (it == g_slots.end())
        return;
    if (it->second.fd >= 0 && it->second.pid == ::getpid())
        ::close(it->second.fd);
    g_slots.erase(it);
}

bool pwriteAll(int fd, const char* data, qsizetype len, off_t at)
{
    qsizetype done = 0;
    while (done < len) {
        const ssize_t n = ::pwrite(fd, data + done, size_t(len - done), at + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

PendingRecord::~PendingRecord()
{
    if (m_fd >= 0) {
        // Never finished: the record must outlive this process's next change.
        const std::lock_guard lock(g_slotsMutex);
        retireSlot(m_folder);
    }
}

PendingRecord::Result PendingRecord::write(const QString& folder, const IntentRecord& record,
                                           int& err)
{
    err = 0;
    const std::lock_guard lock(g_slotsMutex);
    const int fd = slotFor(folder, err);
    if (fd < 0)
        return Result::Failed;
    const QByteArray bytes = encode_record(record);
    const qsizetype half = bytes.size() / 2;
    // Cut anywhere, the record fails its checksum and reads as never written:
    // the file is not touched before the write below is complete.
    if (!pwriteAll(fd, bytes.constData(), half, 0)) {
        err = errno;
        return Result::Failed;
    }
    if (platform::faults::crashPoint())
        platform::faults::crashNow();
    if (!pwriteAll(fd, bytes.constData() + half, bytes.size() - half, half) ||
        (g_durable && ::fdatasync(fd) != 0)) {
        err = errno;
        static const char zeros[sizeof kMagic] = {};
        pwriteAll(fd, zeros, sizeof zeros, 0);
        return Result::Failed;
    }
    if (platform::faults::crashPoint())
        platform::faults::crashNow();
    m_fd = fd;
    m_folder = folder;
    return Result::Written;
}

void PendingRecord::finish()
{
    if (m_fd < 0)
        return;
    // Clearing the magic retires the record; if that fails, the slot is given
    // up so the record is repaired (a no-op: the change is complete) later.
    static const char zeros[sizeof kMagic] = {};
    const std::lock_guard lock(g_slotsMutex);
    if (!pwriteAll(m_fd, zeros, sizeof zeros, 0))
        retireSlot(m_folder);
    m_fd = -1;
}

RecoveryResult recover_interrupted(const QString& folder)
{
    RecoveryResult out;
    if (folder.isEmpty())
        return out;
    const platform::FolderListing listing = platform::listFolderEntries(folder, false);
    for (const platform::DirEntry& e : listing.entries) {
        if (e.isFolder || !e.rawName.endsWith(kSuffix))
            continue;
        const QByteArray path = platform::encodePath(folder) + '/' + e.rawName;
        const int fd = ::open(path.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st, now;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ++out.busy; // its owner is alive
            ::close(fd);
            continue;
        }
        // Another copy may have finished it between our listing and the lock.
        if (::fstat(fd, &st) != 0 || ::lstat(path.constData(), &now) != 0 ||
            st.st_ino != now.st_ino || !S_ISREG(st.st_mode) || st.st_size > kMaxRecord) {
            ::close(fd);
            continue;
        }
        const QByteArray bytes = platform::readFromStart(fd, st.st_size);
        const auto record = decode_record(bytes);
        Repair result = Repair::Gone; // a record cut short: the file was never touched
        if (record)
            result = repair(*record);
        switch (result) {
        case Repair::Completed:
            ++out.completed;
            break;
        case Repair::RolledBack:
            ++out.rolledBack;
            break;
        case Repair::Gone:
            if (record)
                ++out.gone;
            break;
        case Repair::Failed:
            ++out.failed;
            break;
        }
        if (result != Repair::Failed)
            ::unlink(path.constData());
        ::close(fd);
    }
    return out;
}

RecoveryResult recover_and_report(const QString& folder, platform::PromptService& prompt)
{
    const RecoveryResult r = recover_interrupted(folder);
    if (r.completed + r.rolledBack + r.failed == 0)
        return r;
    const auto items = [](int n) {
        return n == 1 ? QStringLiteral("1 item") : QStringLiteral("%1 items").arg(n);
    };
    QString text = QStringLiteral("Hiding or unhiding was interrupted last time. ");
    text += items(r.completed) +
            (r.completed == 1 ? QStringLiteral(" was") : QStringLiteral(" were")) +
            QStringLiteral(" completed.");
    if (r.rolledBack)
        text += QLatin1Char(' ') + items(r.rolledBack) +
                QStringLiteral(" kept the old name, because the new name was taken meanwhile.");
    if (r.failed)
        text += QLatin1Char(' ') + items(r.failed) +
                QStringLiteral(" could not be completed now and will be tried again.");
    prompt.message(text, QString(),
                   r.failed ? platform::PromptIcon::Warning : platform::PromptIcon::Information);
    return r;
}

QString record_folder_of(const platform::DataFolders& folders)
{
    if (!folders.recordFolder.isEmpty() || folders.dataFolder.isEmpty())
        return folders.recordFolder;
    return platform::joinPath(folders.dataFolder, QLatin1String(platform::kRecordFolderName));
}

RecoveryResult recover_before_renaming(const platform::DataFolders& folders,
                                       platform::PromptService& prompt)
{
    const QString folder = record_folder_of(folders);
    return recover_and_report(folder.isEmpty() ? default_record_folder() : folder, prompt);
}

} // namespace mEncrypt
