#include "libraries/mDeleteLibrary.h"

#include "engine/LongOperation.h"
#include "libraries/mLibraries.h"
#include "platform/FileOperation.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QDir>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace mDeleteLibrary {

namespace {

bool somethingAt(const QString& path)
{
    return platform::pathExists(path) || platform::isSymLink(path);
}

// True when inner is folder itself or lies below it, by whole components.
bool withinFolder(const QString& inner, const QString& folder)
{
    if (inner == folder)
        return true;
    return folder == u"/"_s ? inner.startsWith(u'/') : inner.startsWith(folder + u'/');
}

// Gives the item at from the deleted-Library name in the bin. A name taken
// between the choice and the rename (another program, a second copy of this
// one) only moves on to the next number.
platform::RenameResult renameIntoBin(const QString& from, const QString& bin, const QString& name,
                                     QString& target, int& err)
{
    platform::RenameResult r = platform::RenameResult::TargetExists;
    for (int attempt = 0; attempt < 100 && r == platform::RenameResult::TargetExists; ++attempt) {
        target = deleted_library_path(bin, name);
        r = platform::renameNoReplace(from, target, err);
    }
    return r;
}

} // namespace

QString deleted_library_path(const QString& binFolder, const QString& name)
{
    const QString base = platform::joinPath(binFolder, u"Deleted Library - "_s + name);
    QString candidate = base;
    for (int k = 1; somethingAt(candidate); ++k)
        candidate = base + u" ("_s + QString::number(k) + u')';
    return candidate;
}

MoveResult move_library_folder(const QString& folder, const QString& name, const QString& binFolder,
                               platform::PromptService& prompt, engine::OperationProgress* progress)
{
    const QString source = platform::withoutTrailingSeparator(QDir::cleanPath(folder));
    const QString bin = platform::withoutTrailingSeparator(QDir::cleanPath(binFolder));
    if (withinFolder(bin, source)) {
        // The bin lives inside this Library (the program's own folder made a
        // Library): the folder cannot go into a folder of its own.
        prompt.message(u"Cannot move selection because the source is within the destinaton"_s);
        return {};
    }

    engine::LongOperation work(prompt, progress, u"Moving files..."_s, u"moved"_s);
    work.working(source);
    if (!platform::folderExists(bin) && !QDir().mkpath(bin)) {
        work.refused(source, u"the Red Ovidor bin could not be created"_s);
        return {};
    }

    MoveResult result;
    int err = 0;
    if (platform::sameFileSystem(source, bin)) {
        const platform::RenameResult r = renameIntoBin(source, bin, name, result.target, err);
        if (r == platform::RenameResult::Ok) {
            platform::syncFolder(bin);
            work.changed(source);
            result.outcome = MoveOutcome::Moved;
            return result;
        }
        if (r == platform::RenameResult::TargetExists || err != EXDEV) {
            work.refused(source, r == platform::RenameResult::TargetExists
                                     ? u"no free name in the Red Ovidor bin"_s
                                     : platform::systemReason(err));
            return {};
        }
        // A mount point on the way: copied below, like any other volume.
    }

    QString temp;
    const platform::ItemResult copied =
        platform::copyToTemporary(source, bin, temp, [&work] { return work.stopped(); });
    if (!copied.ok) {
        if (copied.error == ECANCELED && work.stopped())
            return {MoveOutcome::Cancelled, {}};
        work.refused(source, copied.reason());
        return {};
    }
    if (renameIntoBin(temp, bin, name, result.target, err) != platform::RenameResult::Ok) {
        platform::removeItem(temp);
        work.refused(source,
                     err ? platform::systemReason(err) : u"no free name in the Red Ovidor bin"_s);
        return {};
    }
    platform::syncFolder(bin);
    if (!platform::removeMovedSource(source, result.target)) {
        // The copy in the bin is whole; what stayed behind (or changed
        // meanwhile) keeps the Library in the list, so nothing goes unseen.
        work.refused(source, u"copied, but the original (or what of it changed meanwhile) "
                             "stayed in its place"_s);
        return {MoveOutcome::Refused, result.target};
    }
    work.changed(source);
    result.outcome = MoveOutcome::Moved;
    return result;
}

bool delete_library(const settings::SettingsStore& store, const Request& request,
                    const QString& binFolder, platform::PromptService& prompt,
                    engine::OperationProgress* progress, MoveResult* moved)
{
    MoveResult result;
    if (request.moveFolder && somethingAt(request.path))
        result = move_library_folder(request.path, request.name, binFolder, prompt, progress);
    if (moved)
        *moved = result;
    // With the folder to go along, the entry goes only once its folder has:
    // the user would look for a failed one in the bin and find it nowhere.
    if (request.moveFolder && somethingAt(request.path))
        return false;
    mLibraries::remove_library_entry(store, request.name);
    return true;
}

} // namespace mDeleteLibrary
