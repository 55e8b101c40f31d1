#include "mainwindow/mFileOperations.h"

#include "engine/LongOperation.h"
#include "platform/FileOperation.h"
#include "platform/FileSystem.h"
#include "platform/TargetRecords.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

// A kill test may end the process here, between two steps.
void stepDone()
{
    if (platform::faults::crashPoint())
        platform::faults::crashNow();
}

QString cleanPath(const QString& path)
{
    QString p = QDir::cleanPath(path);
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    return p;
}

// True when inner is folder itself or lies below it, by whole components.
bool withinFolder(const QString& inner, const QString& folder)
{
    if (inner == folder)
        return true;
    return folder == u"/"_s ? inner.startsWith(u'/') : inner.startsWith(folder + u'/');
}

QString childPath(const QString& folder, const QString& name)
{
    return folder == u"/"_s ? folder + name : folder + u'/' + name;
}

class Run
{
public:
    Run(std::uint32_t op, std::uint16_t flags, const FileOperationServices& services,
        engine::LongOperation& work)
        : m_move(op == FoMove), m_flags(flags), m_services(services), m_work(work),
          m_promptQuestion(work.prompt())
    {
    }

    // False once the operation must stop (cancelled).
    bool transfer(const QString& source, const QString& target);
    bool remove(const QString& path);

    bool cancelled = false;
    // The bytes of the items before the current one, for the progress.
    qint64 bytesBefore = 0;
    // The target folder's device, when it could be read.
    std::optional<quint64> targetDevice;

private:
    std::optional<ConflictAnswer> conflict(const QString& existing, const QString& incoming);
    void publish(const QString& source, const QString& temp, const QString& dest, bool replace);

    bool m_move;
    std::uint16_t m_flags;
    const FileOperationServices& m_services;
    engine::LongOperation& m_work;
    PromptConflictQuestion m_promptQuestion;
    std::optional<ConflictAnswer> m_remembered;
};

std::optional<ConflictAnswer> Run::conflict(const QString& existing, const QString& incoming)
{
    if (m_remembered)
        return m_remembered;
    const bool keepBoth = (m_flags & FofRenameOnCollision) != 0;
    ConflictQuestion& q = m_services.conflicts ? *m_services.conflicts : m_promptQuestion;
    ConflictAnswer a = q.ask(existing, incoming, keepBoth);
    if (a.choice == ConflictChoice::KeepBoth && !keepBoth)
        a.choice = ConflictChoice::Skip; // never a renamed copy where names must stay
    if (a.forRemaining && a.choice != ConflictChoice::Cancel)
        m_remembered = a;
    return a;
}

bool Run::transfer(const QString& source, const QString& target)
{
    if (m_work.stopped()) {
        cancelled = true;
        return false;
    }
    m_work.working(source);
    struct stat st;
    if (::lstat(platform::encodePath(source).constData(), &st) != 0) {
        m_work.refused(source, platform::systemReason(errno));
        return true;
    }
    const platform::FileIdentity sourceId{quint64(st.st_dev), quint64(st.st_ino)};
    const bool isFolder = S_ISDIR(st.st_mode);
    const bool sameFs = targetDevice && *targetDevice == quint64(st.st_dev);
    const QString name = source.mid(source.lastIndexOf(u'/') + 1);
    QString dest = childPath(target, name);
    bool replace = false;
    // Within one file system a move is a rename that never replaces: tried
    // first, as a taken name shows itself by failing, and asked about below.
    if (m_move && sameFs) {
        int err = 0;
        switch (platform::renameNoReplace(source, dest, err)) {
        case platform::RenameResult::Ok:
            m_work.changed(source);
            return true;
        case platform::RenameResult::TargetExists:
            break;
        case platform::RenameResult::Failed:
            if (err != EXDEV) {
                m_work.refused(source, platform::systemReason(err));
                return true;
            }
            break; // a mount point on the way: copy instead
        }
    }
    if (const auto destId = platform::identityOf(dest)) {
        if (*destId == sourceId) {
            // The item itself (or another name of its file): nothing to move
            // over it, and a copy over itself would only risk it.
            if (m_flags & FofRenameOnCollision && !m_move) {
                dest = childPath(target, platform::freeName(target, name, isFolder));
            } else {
                m_work.skipped(source);
                return true;
            }
        } else {
            const ConflictAnswer a = *conflict(dest, source);
            switch (a.choice) {
            case ConflictChoice::Cancel:
                cancelled = true;
                return false;
            case ConflictChoice::Skip:
                m_work.skipped(source);
                return true;
            case ConflictChoice::KeepBoth:
                dest = childPath(target, platform::freeName(target, name, isFolder));
                break;
            case ConflictChoice::Replace:
                if (withinFolder(source, dest)) {
                    // The item to replace holds the source: removing it
                    // would take the source along.
                    m_work.refused(source, u"the item it would replace contains it"_s);
                    return true;
                }
                replace = true;
                break;
            }
        }
    }

    if (m_move && sameFs) {
        if (!replace) {
            int err = 0;
            switch (platform::renameNoReplace(source, dest, err)) {
            case platform::RenameResult::Ok:
                m_work.changed(source);
                return true;
            case platform::RenameResult::TargetExists:
                m_work.refused(source, u"an item of that name appeared meanwhile"_s);
                return true;
            case platform::RenameResult::Failed:
                if (err != EXDEV) {
                    m_work.refused(source, platform::systemReason(err));
                    return true;
                }
                break; // a mount point on the way: copy instead
            }
        } else {
            // The old item takes the source's name for a moment, so either
            // name always holds a whole item; then it goes.
            const platform::ItemResult r = platform::exchangeItems(source, dest);
            if (r.ok) {
                const platform::ItemResult gone = platform::removeItem(source);
                if (gone.ok)
                    m_work.changed(source);
                else
                    m_work.refused(source,
                                   u"the replaced item stayed under this name: "_s + gone.reason());
                return true;
            }
            if (r.error != EXDEV) {
                m_work.refused(source, r.reason());
                return true;
            }
        }
    }

    QString temp;
    qint64 copiedHere = 0;
    const platform::CopyControl control{
        [this] { return m_work.stopped(); },
        [this, &copiedHere](qint64 n) {
            copiedHere += n;
            m_work.setBytesDone(bytesBefore + copiedHere);
        },
        platform::noteTargetFolder(m_services.recordFolder, target)};
    const platform::ItemResult copied = platform::copyToTemporary(source, target, temp, control);
    if (!copied.ok && copied.error == ECANCELED && m_work.stopped()) {
        cancelled = true; // within a folder: its partial copy is gone, the source whole
        return false;
    }
    if (!copied.ok) {
        m_work.refused(source, copied.reason());
        return true;
    }
    publish(source, temp, dest, replace);
    return true;
}

void Run::publish(const QString& source, const QString& temp, const QString& dest, bool replace)
{
    const QString folder = QFileInfo(dest).path();
    if (replace) {
        const platform::ItemResult r = platform::exchangeItems(temp, dest);
        if (!r.ok) {
            platform::removeItem(temp);
            m_work.refused(source, r.reason());
            return;
        }
        stepDone();
        platform::removeItem(temp); // the replaced item, now under the temporary name
    } else {
        int err = 0;
        const platform::RenameResult r = platform::renameNoReplace(temp, dest, err);
        if (r != platform::RenameResult::Ok) {
            platform::removeItem(temp);
            m_work.refused(source, r == platform::RenameResult::TargetExists
                                       ? u"an item of that name appeared meanwhile"_s
                                       : platform::systemReason(err));
            return;
        }
    }
    platform::syncFolder(folder);
    stepDone();
    if (m_move && !platform::removeMovedSource(source, dest)) {
        m_work.refused(source, u"copied, but the original (or what of it changed meanwhile) "
                               "stayed in its place"_s);
        return;
    }
    m_work.changed(source);
}

bool Run::remove(const QString& path)
{
    if (m_work.stopped()) {
        cancelled = true;
        return false;
    }
    m_work.working(path);
    if (!platform::pathExists(path) && !platform::isSymLink(path)) {
        m_work.refused(path, platform::systemReason(ENOENT));
        return true;
    }
    if (m_flags & FofAllowUndo) {
        QString reason;
        const platform::TrashResult trashed =
            m_services.trash ? m_services.trash(path, reason) : platform::moveToTrash(path, reason);
        switch (trashed) {
        case platform::TrashResult::Trashed:
            m_work.changed(path);
            return true;
        case platform::TrashResult::Failed:
            m_work.refused(path, reason);
            return true;
        case platform::TrashResult::NoTrash:
            break;
        }
        const platform::PromptAnswer a = m_work.prompt().question(
            u"\"%1\" cannot be moved to the trash, as its volume has none.\n\n"
            "Delete it for good?"_s.arg(QFileInfo(path).fileName()),
            QString(), platform::PromptButtons::YesNoCancel);
        if (a == platform::PromptAnswer::Cancel) {
            cancelled = true;
            return false;
        }
        if (a != platform::PromptAnswer::Yes) {
            m_work.skipped(path);
            return true;
        }
    }
    const platform::ItemResult r = platform::removeItem(path);
    if (r.ok)
        m_work.changed(path);
    else
        m_work.refused(path, r.reason());
    return true;
}

} // namespace

ConflictAnswer PromptConflictQuestion::ask(const QString& existing, const QString& incoming,
                                           bool keepBothAllowed)
{
    Q_UNUSED(incoming);
    const QString text =
        keepBothAllowed ? u"This folder already contains an item named \"%1\".\n\nReplace it? "
                          "(No keeps both, the new item under a free name.)"_s
                        : u"This folder already contains an item named \"%1\".\n\nReplace it?"_s;
    const platform::PromptAnswer a =
        m_prompt.ask({text.arg(QFileInfo(existing).fileName()), u"Confirm Replace"_s,
                      platform::PromptButtons::YesNoCancel, platform::PromptIcon::Question});
    switch (a) {
    case platform::PromptAnswer::Yes:
        return {ConflictChoice::Replace, false};
    case platform::PromptAnswer::No:
        return {keepBothAllowed ? ConflictChoice::KeepBoth : ConflictChoice::Skip, false};
    default:
        return {ConflictChoice::Cancel, false};
    }
}

std::uint32_t move_or_copy_items(std::uint32_t op, const QStringList& sources,
                                 const QString& target, std::uint16_t flags,
                                 const FileOperationServices& services)
{
    QStringList items;
    for (const QString& s : sources)
        if (!s.isEmpty())
            items << cleanPath(s);
    if (items.isEmpty())
        return 0;

    platform::PromptService& prompt = services.prompt;
    if (op == FoDelete) {
        if (!(flags & FofAllowUndo)) {
            const QString text = items.size() == 1
                                     ? u"Permanently delete this item?"_s
                                     : u"Permanently delete these %1 items?"_s.arg(items.size());
            if (prompt.ask({text, QString(), platform::PromptButtons::YesNo,
                            platform::PromptIcon::Warning}) != platform::PromptAnswer::Yes)
                return FoCancelled;
        }
        engine::LongOperation work(prompt, services.progress, u"Deleting files..."_s, u"deleted"_s);
        work.setTotals(items.size(), 0);
        Run run(op, flags, services, work);
        for (const QString& item : items)
            if (!run.remove(item))
                break;
        const engine::OperationReport report = work.finish();
        return run.cancelled ? FoCancelled : report.refused > 0 ? FoFailed : 0;
    }
    if (op != FoMove && op != FoCopy)
        return FoFailed;

    const QString to = cleanPath(target);
    for (const QString& item : items) {
        if (item == to) {
            prompt.message(u"Source and destination are the same"_s);
            return 0;
        }
    }
    for (const QString& item : items) {
        if (withinFolder(to, item)) {
            prompt.message(u"Cannot move selection because the source is within the destinaton"_s);
            return 0;
        }
    }

    const bool move = op == FoMove;
    engine::LongOperation work(prompt, services.progress,
                               move ? u"Moving files..."_s : u"Copying files..."_s,
                               move ? u"moved"_s : u"copied"_s);
    // The bytes to carry: none for a rename within one file system.
    struct stat targetStat;
    const bool targetKnown = ::stat(platform::encodePath(to).constData(), &targetStat) == 0;
    std::vector<qint64> sizes;
    sizes.reserve(size_t(items.size()));
    qint64 totalBytes = 0;
    for (const QString& item : items) {
        struct stat st;
        const bool renames = move && targetKnown &&
                             ::lstat(platform::encodePath(item).constData(), &st) == 0 &&
                             st.st_dev == targetStat.st_dev;
        sizes.push_back(renames ? 0 : platform::measureItem(item).bytes);
        totalBytes += sizes.back();
    }
    work.setTotals(items.size(), totalBytes);
    Run run(op, flags, services, work);
    if (targetKnown)
        run.targetDevice = quint64(targetStat.st_dev);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (!run.transfer(items.at(i), to))
            break;
        // Skipped and refused items count as done: the bar keeps to the work left.
        run.bytesBefore += sizes[size_t(i)];
        work.setBytesDone(run.bytesBefore);
    }
    const engine::OperationReport report = work.finish();
    return run.cancelled ? FoCancelled : report.refused > 0 ? FoFailed : 0;
}

} // namespace mainwindow
