#include "engine/mEncryptRecords.h"

#include "platform/DataFolders.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QCoreApplication>

#include <atomic>
#include <cerrno>
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
    for (size_t i = 0; i < sizeof(T); ++i)
        out.append(static_cast<char>((static_cast<quint64>(v) >> (8 * i)) & 0xff));
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

bool writeAll(int fd, const char* data, qsizetype len)
{
    qsizetype done = 0;
    while (done < len) {
        const ssize_t n = ::write(fd, data + done, static_cast<size_t>(len - done));
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

QString recordName(const IntentRecord& r)
{
    return QStringLiteral("%1-%2").arg(r.device, 0, 16).arg(r.inode, 0, 16) +
           QLatin1String(kSuffix);
}

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
    // Whatever mix of old and new bytes a kill left, write the whole region.
    const QByteArray target = r.hiding ? r.hiddenRegion : inverted(r.hiddenRegion);
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
    putBytes(out, r.hiddenRegion);
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
    r.hiddenRegion = rd.bytes();
    const qsizetype body = rd.at;
    const quint64 sum = rd.get<quint64>();
    if (!rd.ok || rd.at != bytes.size() || sum != fnv1a(bytes.constData(), body) ||
        r.oldPath.isEmpty() || r.newPath.isEmpty())
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

PendingRecord::~PendingRecord()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

PendingRecord::Result PendingRecord::write(const QString& folder, const IntentRecord& record,
                                           int& err)
{
    err = 0;
    const QByteArray dir = platform::encodePath(folder);
    if (::mkdir(dir.constData(), 0700) != 0 && errno != EEXIST) {
        err = errno;
        return Result::Failed;
    }
    m_path = platform::encodePath(platform::joinPath(folder, recordName(record)));
    const QByteArray bytes = encode_record(record);
    // An unnamed file first: the record gets its name only once it is complete
    // and locked, so nobody ever sees half a record of a live operation.
    int fd = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    const bool unnamed = fd >= 0;
    if (!unnamed) {
        fd = ::open(m_path.constData(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            err = errno;
            return err == EEXIST ? Result::Busy : Result::Failed;
        }
    }
    m_fd = fd;
    const auto fail = [&] {
        err = errno ? errno : EIO;
        if (!unnamed)
            ::unlink(m_path.constData());
        ::close(m_fd);
        m_fd = -1;
        return Result::Failed;
    };
    if (::flock(m_fd, LOCK_EX) != 0)
        return fail();
    const qsizetype half = bytes.size() / 2;
    if (!writeAll(m_fd, bytes.constData(), half))
        return fail();
    if (platform::faults::crashPoint())
        platform::faults::crashNow();
    if (!writeAll(m_fd, bytes.constData() + half, bytes.size() - half))
        return fail();
    if (g_durable && ::fdatasync(m_fd) != 0)
        return fail();
    if (unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, m_path.constData(), AT_SYMLINK_FOLLOW) !=
            0) {
            err = errno;
            ::close(m_fd);
            m_fd = -1;
            return err == EEXIST ? Result::Busy : Result::Failed;
        }
    }
    if (g_durable && !platform::syncFolder(folder)) {
        err = errno;
        finish();
        return Result::Failed;
    }
    if (platform::faults::crashPoint())
        platform::faults::crashNow();
    return Result::Written;
}

void PendingRecord::finish()
{
    if (m_fd < 0)
        return;
    ::unlink(m_path.constData());
    ::close(m_fd);
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
        QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::pread(fd, bytes.data() + got, size_t(bytes.size() - got), got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
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

} // namespace mEncrypt
