#include "mainwindow/mEditBuffer.h"

#include "browse/BrowsePane.h"
#include "browse/NodeKinds.h"
#include "engine/mEncrypt.h"
#include "engine/mEncryptRecords.h"
#include "mainwindow/AppState.h"
#include "mainwindow/mFileOperations.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

bool isLibrariesPane(short pane)
{
    return pane == kLibrariesTree || pane == kLibrariesList;
}

void run(const std::function<void()>& step)
{
    if (step)
        step();
}

// Lists what a paste changed. The operation may have done part of its work
// before a failure or a Cancel, so the panes are brought up to date whatever
// its result: a listing must never show an item where it no longer is.
void refreshAfterPaste(const PasteSteps& s, bool intoLibraries)
{
    const AppState& state = s.state;
    const bool folders = state.edit_buffer_has_folders;
    const auto libraries = [&] {
        if (folders)
            run(s.buildLibraryTree);
        run(s.listLibraries);
    };
    const auto explorer = [&] {
        if (folders)
            run(s.buildExplorerTree);
        run(s.listExplorer);
    };
    // The window pasted into first; the other one only when items left it.
    const bool moved = state.edit_file_op == static_cast<qint32>(FoMove);
    const bool fromLibraries = isLibrariesPane(state.edit_buffer_source);
    if (intoLibraries) {
        libraries();
        if (moved && !fromLibraries)
            explorer();
    } else {
        explorer();
        if (moved && fromLibraries)
            libraries();
    }
}

} // namespace

BufferItems items_to_buffer(short paneCode, const browse::BrowsePane& pane)
{
    BufferItems out;
    if (paneCode == kLibrariesTree || paneCode == kExplorerTree) {
        const browse::TreeNode* node = pane.tree.selectedNode();
        if (!node || node->image != browse::kinds::kFolder)
            return out;
        out.paths << node->key;
        out.hasFolders = true;
        // The Libraries tree marks hidden folders; the Explorer's flag means
        // something else, but a hidden name is known by itself.
        out.hasHidden =
            (paneCode == kLibrariesTree && node->flag) || mEncrypt::is_hidden_name(node->key);
        return out;
    }
    if (paneCode != kLibrariesList && paneCode != kExplorerList)
        return out;
    const std::vector<bool> chosen = pane.list.selectedRowFlags();
    for (size_t row = 0; row < chosen.size(); ++row) {
        if (!chosen[row])
            continue;
        const browse::ListItem& item = pane.list.item(static_cast<int>(row));
        out.paths << item.key;
        out.hasFolders = out.hasFolders || item.isFolder;
        // Also in the Explorer: a hidden name pasted into a Library must not
        // be given a free name, which would take its type away.
        out.hasHidden = out.hasHidden || item.hidden || mEncrypt::is_hidden_name(item.key);
    }
    return out;
}

platform::TreeSearch folder_has_hidden_items(const QString& folder)
{
    return platform::findNameInTree(
        folder, [](const QString& name) { return mEncrypt::is_hidden_name(name); });
}

platform::TreeSearch buffer_has_hidden_items(const QStringList& paths)
{
    platform::TreeSearch result;
    for (const QString& path : paths) {
        if (mEncrypt::is_hidden_name(path)) {
            result.outcome = platform::TreeSearch::Found;
            result.path = path;
            return result;
        }
    }
    for (const QString& path : paths) {
        // A link is carried as a link: what it points at does not travel.
        const platform::PathInfo info = platform::inspectPath(path);
        if (!info.isFolder || info.isSymLink)
            continue;
        const platform::TreeSearch found = folder_has_hidden_items(path);
        if (found.outcome == platform::TreeSearch::Found)
            return found;
        if (found.outcome == platform::TreeSearch::Unreadable &&
            result.outcome == platform::TreeSearch::NotFound)
            result = found;
    }
    return result;
}

void paste_edit_buffer(const PasteSteps& s)
{
    AppState& state = s.state;
    if (state.edit_buffer_size == 0)
        return;
    platform::PromptService& prompt = state.prompt();
    const std::uint32_t op = static_cast<std::uint32_t>(state.edit_file_op);
    const short focus = state.object_focus;

    if (isLibrariesPane(focus)) {
        const browse::TreeNode* node = s.libraries ? s.libraries->tree.selectedNode() : nullptr;
        // Only a Library or a folder can take items; on the root (or with the
        // window closed) the items stay buffered for a paste elsewhere.
        if (!node ||
            (node->image != browse::kinds::kLibrary && node->image != browse::kinds::kFolder))
            return;
        // A hidden name must never be changed: with hidden items the
        // operation asks before replacing and never makes a renamed copy.
        const std::uint16_t flags = state.edit_buffer_has_hidden ? FofNone : FofRenameOnCollision;
        // An item a crash left half hidden is put right before it moves.
        mEncrypt::recover_before_renaming(state.folders(), prompt);
        if (s.moveOrCopy)
            s.moveOrCopy(op, state.edit_buffer, node->key, flags);
        refreshAfterPaste(s, true);
    } else if (focus == kExplorerTree || focus == kExplorerList) {
        const browse::TreeNode* node = s.explorer ? s.explorer->tree.selectedNode() : nullptr;
        if (!node || !node->key.startsWith(u'/') || !platform::folderExists(node->key)) {
            prompt.message(u"This folder is missing. Try refreshing the screen"_s,
                           u"Folder not found"_s);
        } else {
            run(s.busy);
            const platform::TreeSearch hidden = buffer_has_hidden_items(state.edit_buffer);
            run(s.idle);
            if (hidden.outcome == platform::TreeSearch::Found) {
                prompt.message(platform::applicationTitle() +
                                   u" has detected hidden files in your selection. Unhide all "
                                   "files prior to pasting into the Explorer window."_s,
                               u"Hiden Files Detected"_s);
            } else if (hidden.outcome == platform::TreeSearch::Unreadable) {
                prompt.message(
                    platform::applicationTitle() +
                        u" could not look inside \"%1\" (%2), so it cannot tell whether your "
                        "selection holds hidden files. Nothing was pasted."_s.arg(
                            hidden.path, platform::systemReason(hidden.error)),
                    u"Hiden Files Detected"_s, platform::PromptIcon::Warning);
            } else {
                mEncrypt::recover_before_renaming(state.folders(), prompt);
                if (s.moveOrCopy)
                    s.moveOrCopy(op, state.edit_buffer, node->key, FofRenameOnCollision);
                refreshAfterPaste(s, false);
            }
        }
    } else {
        return;
    }
    run(s.clearEditBuffer);
}

} // namespace mainwindow
