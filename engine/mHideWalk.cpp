// Walking folder trees and Libraries for the Hide and Unhide commands.
#include "engine/mHideWalk.h"

#include "engine/mEncryptRecords.h"
#include "libraries/mLibraries.h"
#include "platform/DataFolders.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace mHide {

namespace detail {

platform::PromptAnswer Walk::LiftingPrompt::ask(const platform::PromptRequest& request)
{
    m_walk.m_cursor.reset();
    const platform::PromptAnswer answer = m_walk.m_ctx.browse.prompt.ask(request);
    if (m_walk.m_active)
        m_walk.m_cursor.emplace();
    return answer;
}

static QString recordFolderOf(const platform::DataFolders& folders)
{
    if (!folders.recordFolder.isEmpty() || folders.dataFolder.isEmpty())
        return folders.recordFolder;
    return platform::joinPath(folders.dataFolder, QLatin1String(platform::kRecordFolderName));
}

Walk::Walk(const Context& ctx, bool hiding)
    : m_ctx(ctx), m_hiding(hiding),
      m_prompt(*this), m_enc{ctx.browse.prefs, m_prompt, recordFolderOf(ctx.browse.folders),
                             &m_report, &m_nameOnly}
{
    // Items a crash interrupted are finished before anything else is touched.
    mEncrypt::recover_and_report(m_enc.recordFolder.isEmpty() ? mEncrypt::default_record_folder()
                                                              : m_enc.recordFolder,
                                 ctx.browse.prompt);
    m_cursor.emplace();
    if (m_ctx.progress)
        m_ctx.progress->start(hiding);
}

bool Walk::needsChange(const QString& name) const
{
    return mEncrypt::is_hidden_name(name) != m_hiding;
}

bool Walk::stopped()
{
    if (!m_result.cancelled && m_active && m_ctx.progress && m_ctx.progress->cancelled())
        m_result.cancelled = true;
    return m_result.cancelled;
}

void Walk::counted()
{
    if (m_ctx.progress && m_active)
        m_ctx.progress->step(m_result.done());
}

QString Walk::change(const QString& path, bool folder)
{
    QString name;
    if (folder)
        name = m_hiding ? mEncrypt::hide_folder(path, m_enc) : mEncrypt::unhide_folder(path, m_enc);
    else
        name = m_hiding ? mEncrypt::hide_file(path, m_enc) : mEncrypt::unhide_file(path, m_enc);
    ++(name.isEmpty() ? m_result.refused : m_result.changed);
    counted();
    return name;
}

void Walk::skip()
{
    ++m_result.skipped;
    counted();
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
    if (m_active) {
        m_active = false;
        m_cursor.reset();
        if (m_ctx.progress)
            m_ctx.progress->finish();
        m_result.failures = m_report.failures;
        m_result.nameOnly = m_nameOnly;
    }
    return m_result;
}

void Walk::tellSummary(const BulkResult& result, bool hiding, platform::PromptService& prompt)
{
    if (result.failures.empty() && result.nameOnly.isEmpty())
        return;
    const engine::FailureSummary s = engine::summarizeFailures(
        result.failures, hiding ? QStringLiteral("hidden") : QStringLiteral("unhidden"));
    QString text = s.text, details = s.details;
    if (!result.nameOnly.isEmpty()) {
        const qsizetype n = result.nameOnly.size();
        const QString note =
            (n == 1 ? QStringLiteral("1 file was") : QStringLiteral("%1 files were").arg(n)) +
            QStringLiteral(" hidden by name only (level 1): it cannot be told whether another "
                           "program has them open, so their content was left unchanged.");
        text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + note;
        details += (details.isEmpty() ? QString() : QStringLiteral("\n\n")) +
                   QStringLiteral("Hidden by name only:\n") +
                   result.nameOnly.join(QLatin1Char('\n'));
    }
    prompt.ask(platform::PromptRequest{
        text, hiding ? QStringLiteral("Encrypt error") : QStringLiteral("Decrypt Error"),
        platform::PromptButtons::Ok,
        result.failures.empty() ? platform::PromptIcon::Information : platform::PromptIcon::Warning,
        details});
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
