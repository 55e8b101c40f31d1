// Hiding and unhiding one file or folder on disk.
//
// Content and name always agree: a file either keeps its old name and exactly
// its old bytes, or carries its new name with its content fully inverted for
// that name's level. Every failure after the first byte is touched undoes what
// was done, in the reverse order.
#include "engine/mEncrypt.h"
#include "engine/mEncryptRecords.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstring>
#include <vector>

using platform::PromptIcon;

namespace mEncrypt {

namespace {

struct Region
{
    qint64 offset;
    qint64 length;
};

// The byte ranges a level inverts, in the order they are processed.
std::vector<Region> regionsFor(short level, qint64 size)
{
    std::vector<Region> out;
    if (size <= 0)
        return out;
    if (level == 2) {
        out.push_back({0, 1});
    } else if (level == 3) {
        const qint64 region = qMin(size, kLevel3Region);
        for (qint64 at = 0; at < region; at += kChunkSize)
            out.push_back({at, qMin(kChunkSize, region - at)});
    }
    return out;
}

void invertBuffer(char* data, qint64 len)
{
    for (qint64 i = 0; i < len; ++i)
        data[i] = static_cast<char>(~static_cast<unsigned char>(data[i]));
}

// Inverts one region in place. On a failed write, part of the region may be on
// disk inverted; the caller then re-inverts the region from what is on disk,
// which is only safe if it knows the buffer it wrote, so the buffer is kept.
struct Inverter
{
    explicit Inverter(platform::BinaryFile& f) : file(f) {}
    platform::BinaryFile& file;
    std::vector<char> buffer = std::vector<char>(static_cast<size_t>(kChunkSize));
    std::vector<char> pending; // the inverted bytes of a region whose write failed
    qint64 pendingOffset = -1;

    bool invert(const Region& r)
    {
        if (!file.readAt(r.offset, buffer.data(), r.length))
            return false;
        invertBuffer(buffer.data(), r.length);
        if (file.writeAt(r.offset, buffer.data(), r.length))
            return true;
        // Some prefix of the inverted bytes may have reached the disk.
        pending.assign(buffer.begin(), buffer.begin() + r.length);
        pendingOffset = r.offset;
        return false;
    }

    // Puts back the original bytes of the region whose write failed: every byte
    // that now reads as the inverted value is the one we wrote.
    bool repairPending()
    {
        if (pendingOffset < 0)
            return true;
        const qint64 len = static_cast<qint64>(pending.size());
        std::vector<char> now(static_cast<size_t>(len));
        if (!file.readAt(pendingOffset, now.data(), len))
            return false;
        // The original of byte i is ~pending[i]. Writing it back is right
        // whether or not the failed write reached that byte.
        std::vector<char> original = pending;
        invertBuffer(original.data(), len);
        if (now != original && !file.writeAt(pendingOffset, original.data(), len))
            return false;
        pendingOffset = -1;
        return true;
    }

    enum class Outcome { Done, RolledBack, Damaged };

    // Inverts a whole list of regions; on failure inverts back what was done.
    Outcome invertAll(const std::vector<Region>& regions)
    {
        size_t done = 0;
        for (; done < regions.size(); ++done)
            if (!invert(regions[done]))
                break;
        if (done == regions.size())
            return Outcome::Done;
        return undo(regions, done) ? Outcome::RolledBack : Outcome::Damaged;
    }

    // Re-inverts the first count regions, last first, after a failure. False
    // when the original bytes could not all be put back.
    bool undo(const std::vector<Region>& regions, size_t count)
    {
        bool ok = repairPending();
        for (size_t i = count; i-- > 0;) {
            if (!invert(regions[i])) {
                ok = false;
                pendingOffset = -1;
            }
        }
        return ok;
    }
};

void reportUnreadableName(const QString& path, const QString& title, const QString& verb,
                          const Context& ctx)
{
    ctx.prompt.message(platform::bareName(path) +
                           QStringLiteral(" cannot be %1 because its name cannot be read "
                                          "correctly on this computer. Rename it first.")
                               .arg(verb),
                       title);
}

void reportUnrestored(const QString& path, const Context& ctx)
{
    ctx.prompt.message(path + QStringLiteral(" could not be restored after a failed write. "
                                             "Its first bytes may be inverted; do not delete it."),
                       QString(), PromptIcon::Critical);
}

// Writes bytes over the regions, in order; the bytes cover them end to end.
bool writeRegions(platform::BinaryFile& file, const std::vector<Region>& regions,
                  const QByteArray& bytes)
{
    for (const Region& r : regions)
        if (!file.writeAt(r.offset, bytes.constData() + r.offset, r.length))
            return false;
    return true;
}

constexpr int kNameMax = 255; // bytes in one name, on every Linux file system in use

// hide_file and unhide_file: the same steps in opposite directions.
//
// The file is opened once, at the start, with the in-use test (a write lease);
// the refusals are then reported in their fixed order (missing, already hidden
// or plain, name clash, in use) before anything is changed, and failures the
// design leaves silent are reported after the clash. The content step and the
// rename are all or nothing, and a record of the change outlives a kill.
QString changeFile(const QString& path, bool hide, const Context& ctx)
{
    using Exclusive = platform::BinaryFile::Exclusive;
    const QString verb = hide ? QStringLiteral("encrypted") : QStringLiteral("decrypted");
    const QString title = hide ? QStringLiteral("Encrypt error") : QStringLiteral("Decrypt Error");

    if (platform::decodePath(platform::encodePath(path)) != path) {
        reportUnreadableName(path, title, verb, ctx);
        return QString();
    }
    platform::BinaryFile file;
    Exclusive state = file.openExclusive(path);
    // A link is renamed only and never opened: its target lives elsewhere.
    const bool link = state == Exclusive::IsLink;
    if (link && platform::folderExists(path))
        state = Exclusive::IsFolder;
    if (state == Exclusive::NotFound && path.contains(QChar(QChar::ReplacementCharacter))) {
        reportUnreadableName(path, title, verb, ctx);
        return QString();
    }
    if (state == Exclusive::NotFound || state == Exclusive::IsFolder) {
        ctx.prompt.message(QStringLiteral("File not found"), title);
        return QString();
    }

    const QString name = platform::bareName(path);
    QString newName, shownName;
    short level = 0;
    if (hide) {
        if (is_hidden_name(path)) {
            ctx.prompt.message(path + QStringLiteral(" is already encrypted."), title);
            return QString();
        }
        level = level_for_file(path, ctx.prefs);
        if (level <= 0)
            return QString();
        shownName = name;
    } else {
        if (!is_hidden_name(name)) {
            ctx.prompt.message(name + QStringLiteral(" is already decrypted."), title);
            return QString();
        }
        shownName = plain_name(name);
        level = hidden_level(name);
    }

    // Whether the content may change, and the reason when it must but cannot.
    const auto id = file.isOpen() ? file.identity() : std::nullopt;
    QString failure;
    bool byNameOnly = false;
    if (link || (id && !id->regular)) {
        level = hide ? 1 : level; // renamed only, like a link: never read or written
    } else if (state == Exclusive::Failed || !id) {
        failure = platform::systemReason(state == Exclusive::Failed ? file.lastError() : EIO);
    } else if (level >= 2 && id->links > 1) {
        // Another name shares these bytes, perhaps outside the Library.
        if (hide)
            level = 1;
        else
            failure = QStringLiteral("it shares its content with another name (a hard link)");
    } else if (level >= 2 && state == Exclusive::ReadOnly && id->size > 0) {
        failure = platform::systemReason(EACCES);
    } else if (hide && level >= 2 && state == Exclusive::Opened && !file.leased()) {
        // Nobody can tell whether another program is writing it: change no
        // byte of it.
        level = 1;
        byNameOnly = true;
    }
    const bool contentless = link || (id && !id->regular);
    newName = hide ? make_hidden_name(name, level) : shownName;
    if (failure.isEmpty() && platform::encodePath(newName).size() > kNameMax)
        failure = platform::systemReason(ENAMETOOLONG);

    const QString parent = platform::parentFolder(path);
    const QString newPath = platform::joinPath(parent, newName);
    const QString clash = shownName + QStringLiteral(" cannot be %1 because the %2 file name "
                                                     "already exists.")
                                          .arg(verb, hide ? QStringLiteral("encrypted")
                                                          : QStringLiteral("decrypted"));
    const auto fail = [&](const QString& reason) {
        if (ctx.report)
            ctx.report->fail(path, reason);
        else
            ctx.prompt.message(shownName + QStringLiteral(" cannot be %1: ").arg(verb) + reason +
                                   QLatin1Char('.'),
                               title);
        return QString();
    };
    const auto changedMeanwhile = [&] {
        const QString what = hide ? QStringLiteral("hidden") : QStringLiteral("unhidden");
        if (ctx.report)
            ctx.report->fail(
                path, QStringLiteral("it changed while it was being %1. Try again.").arg(what));
        else
            ctx.prompt.message(
                shownName + QStringLiteral(" changed while it was being %1. Try again.").arg(what),
                title);
        return QString();
    };
    // The rename below never replaces anything, so it is the clash test that
    // counts. Asking first as well is kept where it spares real work (before a
    // level-3 inversion) and before any other refusal, so that the clash
    // always comes first. Elsewhere a clash found by the rename undoes at most
    // one byte.
    if ((level == 3 || state == Exclusive::InUse || !failure.isEmpty()) &&
        name_exists(parent, newName)) {
        ctx.prompt.message(clash, title);
        return QString();
    }
    if (state == Exclusive::InUse) {
        ctx.prompt.message(shownName +
                               QStringLiteral(" may be in use by another application or process"),
                           hide ? QStringLiteral("Encrypt error: File in use") : title);
        return QString();
    }
    if (!failure.isEmpty())
        return fail(failure);

    std::vector<Region> regions;
    if (!contentless && level >= 2)
        regions = regionsFor(level, id->size);
    // Kept between calls: a bulk command would otherwise map and fault in two
    // fresh 256 KB buffers for every file.
    static thread_local QByteArray original, target;
    PendingRecord record;
    if (!regions.empty()) {
        const qint64 total = regions.back().offset + regions.back().length;
        original.resize(total);
        target.resize(total);
        for (const Region& r : regions)
            if (!file.readAt(r.offset, original.data() + r.offset, r.length))
                return fail(platform::systemReason(file.lastError()));
        const char* from = original.constData();
        char* to = target.data();
        // Eight bytes at a time: this runs over up to 256 KB for every file.
        qint64 i = 0;
        for (; i + 8 <= total; i += 8) {
            quint64 word;
            std::memcpy(&word, from + i, 8);
            word = ~word;
            std::memcpy(to + i, &word, 8);
        }
        for (; i < total; ++i)
            to[i] = static_cast<char>(~static_cast<unsigned char>(from[i]));
        IntentRecord intent;
        intent.hiding = hide;
        intent.level = level;
        intent.device = id->device;
        intent.inode = id->inode;
        intent.size = id->size;
        intent.oldPath = platform::encodePath(path);
        intent.newPath = platform::encodePath(newPath);
        intent.regionLength = total;
        intent.blockHashes = region_hashes(hide ? target : original);
        int err = 0;
        const QString folder =
            ctx.recordFolder.isEmpty() ? default_record_folder() : ctx.recordFolder;
        switch (record.write(folder, intent, err)) {
        case PendingRecord::Result::Written:
            break;
        case PendingRecord::Result::Busy: // another copy of the program is changing it
            ctx.prompt.message(shownName + QStringLiteral(" may be in use by another "
                                                          "application or process"),
                               hide ? QStringLiteral("Encrypt error: File in use") : title);
            return QString();
        case PendingRecord::Result::Failed:
            return fail(platform::systemReason(err));
        }
        if (!writeRegions(file, regions, target) || (durable_writes() && !file.syncData())) {
            const int err = file.lastError();
            if (!writeRegions(file, regions, original)) {
                // The record stays: the next recovery puts the bytes right.
                reportUnrestored(path, ctx);
                return QString();
            }
            record.finish();
            return fail(platform::systemReason(err));
        }
    }
    // The name must still lead to the file whose bytes were inverted: an
    // editor may have saved a new version over it meanwhile.
    const auto undoAndFinish = [&] {
        if (regions.empty() || writeRegions(file, regions, original))
            record.finish();
        else
            reportUnrestored(path, ctx);
    };
    if (!regions.empty()) {
        const auto now = platform::identityOf(path);
        if (!now || !(*now == *id)) {
            undoAndFinish();
            return changedMeanwhile();
        }
    }
    int err = 0;
    const auto rc = platform::renameNoReplace(path, newPath, err);
    if (rc == platform::RenameResult::Ok) {
        if (!regions.empty()) {
            const auto moved = platform::identityOf(newPath);
            if (!moved || !(*moved == *id)) {
                // Replaced between the check and the rename: the newcomer took
                // the new name. It goes back to its own name untouched.
                platform::renameNoReplace(newPath, path);
                undoAndFinish();
                return changedMeanwhile();
            }
        }
        if (platform::faults::crashPoint())
            platform::faults::crashNow();
        if (!regions.empty() && durable_writes())
            platform::syncFolder(parent);
        record.finish();
        if (byNameOnly && ctx.nameOnly)
            ctx.nameOnly->append(path);
        return newName;
    }
    undoAndFinish();
    if (rc == platform::RenameResult::TargetExists) {
        ctx.prompt.message(clash, title);
        return QString();
    }
    return fail(platform::systemReason(err));
}

} // namespace

bool name_exists(const QString& folderPath, const QString& bareName)
{
    return platform::pathExists(platform::joinPath(folderPath, bareName));
}

bool file_available(const QString& path)
{
    return platform::fileAvailable(path);
}

short level_for_file(const QString& fileName, const settings::Preferences& prefs)
{
    const short level = prefs.encrypt_level;
    if (level != 3)
        return level;
    const QString ext = platform::extensionOf(platform::bareName(fileName)).toLower();
    // A plain substring search, as the stored list has always been read: "mp"
    // is found in "mpg", and an empty extension in any non-empty list.
    if (!prefs.encrypt_level_3_ext.isEmpty() && prefs.encrypt_level_3_ext.contains(ext))
        return 3;
    return 2;
}

bool invert_content(const QString& path, short& level)
{
    if (level == 0)
        level = hidden_level(platform::bareName(path));
    if (level != 2 && level != 3)
        return true;
    platform::BinaryFile file;
    if (!file.openReadWrite(path))
        return false;
    const auto size = file.size();
    if (!size)
        return false;
    Inverter inv{file};
    const bool ok = inv.invertAll(regionsFor(level, *size)) == Inverter::Outcome::Done;
    return file.close() && ok;
}

// hide_folder and unhide_folder. A folder is always hidden at level 1, by its
// name alone, so there is no content step to undo.
static QString changeFolder(const QString& path, bool hide, const Context& ctx)
{
    const QString verb = hide ? QStringLiteral("encrypted") : QStringLiteral("decrypted");
    const QString title =
        hide ? QStringLiteral("Encrypt folder error") : QStringLiteral("Decrypt folder error");
    const auto info = platform::inspectPath(path);
    if (!info.exact) {
        reportUnreadableName(path, title, verb, ctx);
        return QString();
    }
    if (!info.isFolder) {
        ctx.prompt.message(QStringLiteral("Folder not found: ") + path, title);
        return QString();
    }
    const QString name = platform::bareName(path);
    const QString parent = platform::parentFolder(path);
    // hide_folder does not ask whether the folder is hidden already, nor
    // unhide_folder whether it is hidden: the callers decide that.
    const QString newName = hide ? make_hidden_name(name, 1) : plain_name(name);
    const QString clash =
        (hide ? name : newName) +
        QStringLiteral(" cannot be %1 because the %2 name already exists.")
            .arg(verb, hide ? QStringLiteral("encrypted") : QStringLiteral("decrypted"));
    const QString clashTitle =
        hide ? QStringLiteral("Encrypt Error") : QStringLiteral("Decrypt Error");
    if (name_exists(parent, newName)) {
        ctx.prompt.message(clash, clashTitle);
        return QString();
    }
    const auto rc = platform::renameNoReplace(platform::withoutTrailingSeparator(path),
                                              platform::joinPath(parent, newName));
    if (rc == platform::RenameResult::Ok)
        return newName;
    if (rc == platform::RenameResult::TargetExists)
        ctx.prompt.message(clash, clashTitle);
    else
        ctx.prompt.message(path + QStringLiteral(" cannot be %1. The folder may be in use by "
                                                 "another application or process.")
                                      .arg(verb),
                           hide ? QStringLiteral("Folder encrypt failure")
                                : QStringLiteral("Folder decrypt failure"));
    return QString();
}

QString hide_folder(const QString& path, const Context& ctx)
{
    return changeFolder(path, true, ctx);
}

QString unhide_folder(const QString& path, const Context& ctx)
{
    return changeFolder(path, false, ctx);
}

QString hide_file(const QString& path, const Context& ctx)
{
    return changeFile(path, true, ctx);
}

QString unhide_file(const QString& path, const Context& ctx)
{
    return changeFile(path, false, ctx);
}

} // namespace mEncrypt
