// Walking folder trees and Libraries for the Hide and Unhide commands.
#include "engine/mHideWalk.h"

#include "engine/mEncryptRecords.h"
#include "libraries/mLibraries.h"
#include "platform/DataFolders.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace mHide {

namespace detail {

Walk::Walk(const Context& ctx, bool hiding)
    : m_ctx(ctx), m_hiding(hiding),
      m_op(ctx.browse.prompt, ctx.progress,
           hiding ? QStringLiteral("Hiding files and folders...")
                  : QStringLiteral("Unhiding files and folders..."),
           hiding ? QStringLiteral("hidden") : QStringLiteral("unhidden")),
      m_enc{ctx.browse.prefs, m_op.prompt(), mEncrypt::record_folder_of(ctx.browse.folders), &m_itemFailures,
            &m_nameOnly}
{
    m_op.setSummaryTitle(hiding ? QStringLiteral("Encrypt error") : QStringLiteral("Decrypt Error"));
    // Items a crash interrupted are finished before anything else is touched.
    mEncrypt::recover_and_report(m_enc.recordFolder.isEmpty() ? mEncrypt::default_record_folder()
                                                              : m_enc.recordFolder,
                                 m_op.prompt());
}

bool Walk::needsChange(const QString& name) const
{
    return mEncrypt::is_hidden_name(name) != m_hiding;
}

bool Walk::stopped()
{
    return m_op.stopped();
}

QString Walk::change(const QString& path, bool folder)
{
    const size_t reported = m_itemFailures.failures.size();
    QString name;
    if (folder)
        name = m_hiding ? mEncrypt::hide_folder(path, m_enc) : mEncrypt::unhide_folder(path, m_enc);
    else
        name = m_hiding ? mEncrypt::hide_file(path, m_enc) : mEncrypt::unhide_file(path, m_enc);
    if (!name.isEmpty())
        m_op.changed(path);
    else if (m_itemFailures.failures.size() > reported)
        m_op.refused(path, m_itemFailures.failures.back().reason);
    else
        m_op.refused(path); // the item operation has told the user why
    return name;
}

void Walk::skip()
{
    m_op.skipped(QString());
}

bool Walk::isProtected(const QString& folder)
{
    if (!m_protected) {
        // A Library may lie inside another one's folder, and the bin inside a
        // Library. Renaming either, or a folder on the way to it, would lose
        // it: the Library from the table at the next check, the bin to a
        // fresh empty one.
        m_protected.emplace();
        QStringList kept{m_ctx.browse.folders.binFolder};
        for (const mLibraries::Library& lib : mLibraries::read_libraries(m_ctx.browse.store))
            kept.append(lib.path);
        for (const QString& path : kept)
            for (QString p = platform::withoutTrailingSeparator(path);
                 !p.isEmpty() && p != QLatin1String("/"); p = platform::parentFolder(p))
                m_protected->insert(p);
    }
    return m_protected->contains(platform::withoutTrailingSeparator(folder));
}

void Walk::folderTree(const QString& path)
{
    if (stopped())
        return;
    // One reading of the folder for both passes: renaming entries while the
    // folder is being read could show one of them twice.
    platform::FolderListing listing = platform::listFolderEntries(path, false);
    if (!listing.ok)
        return;
    for (const platform::DirEntry& e : listing.entries) {
        if (!e.isFolder)
            continue;
        if (stopped())
            return;
        QString current = platform::joinPath(path, e.name);
        // The records of changes in progress (when the data folder lies in a
        // Library) are the program's own: never renamed, never walked into.
        if (!m_enc.recordFolder.isEmpty() && current == m_enc.recordFolder) {
            skip();
            continue;
        }
        if (needsChange(e.name) && !isProtected(current)) {
            const QString renamed = change(current, true);
            if (!renamed.isEmpty())
                current = platform::joinPath(path, renamed);
        } else {
            skip();
        }
        // A link may lead back up the tree, or out of the Library; a name that
        // did not decode cannot be reached by its path.
        if (!e.isSymLink && e.lossless)
            folderTree(current);
    }
    for (const platform::DirEntry& e : listing.entries) {
        if (e.isFolder)
            continue;
        if (stopped())
            return;
        if (needsChange(e.name))
            change(platform::joinPath(path, e.name), false);
        else
            skip();
    }
}

BulkResult Walk::end()
{
    if (m_result)
        return *m_result;
    if (!m_nameOnly.isEmpty()) {
        const qsizetype n = m_nameOnly.size();
        m_op.setRemark(
            (n == 1 ? QStringLiteral("1 file was") : QStringLiteral("%1 files were").arg(n)) +
                QStringLiteral(" hidden by name only (level 1): it cannot be told whether another "
                               "program has them open, so their content was left unchanged."),
            QStringLiteral("Hidden by name only:"), m_nameOnly);
    }
    const engine::OperationReport& r = m_op.finish();
    BulkResult result;
    result.changed = r.changed;
    result.skipped = r.skipped;
    result.refused = r.refused;
    result.cancelled = r.cancelled;
    result.failures = r.failures;
    result.nameOnly = m_nameOnly;
    m_result = result;
    return result;
}

void Walk::allLibraries()
{
    if (!m_ctx.libraries)
        return;
    QStringList keys;
    m_ctx.libraries->tree.forEachNode([&](browse::TreeNode* n) {
        if (n->image == browse::images::library)
            keys.append(n->key);
    });
    for (const QString& key : keys)
        folderTree(key);
}

} // namespace detail

BulkResult hide_folder_tree(const QString& path, const Context& ctx)
{
    detail::Walk walk(ctx, true);
    walk.folderTree(path);
    return walk.end();
}

BulkResult unhide_folder_tree(const QString& path, const Context& ctx)
{
    detail::Walk walk(ctx, false);
    walk.folderTree(path);
    return walk.end();
}

BulkResult hide_all_libraries(const Context& ctx)
{
    detail::Walk walk(ctx, true);
    walk.allLibraries();
    return walk.end();
}

BulkResult unhide_all_libraries(const Context& ctx)
{
    detail::Walk walk(ctx, false);
    walk.allLibraries();
    return walk.end();
}

} // namespace mHide
