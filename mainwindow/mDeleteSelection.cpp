#include "mainwindow/mDeleteSelection.h"

#include "browse/NodeKinds.h"
#include "browse/mGetFolders.h"
#include "engine/mEncryptRecords.h"
#include "mainwindow/AppState.h"
#include "mainwindow/mFileOperations.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

const QString kConfirmDelete = u"Confirm Delete"_s;

bool somethingAt(const QString& path)
{
    return platform::pathExists(path) || platform::isSymLink(path);
}

bool within(const QString& inner, const QString& folder)
{
    return inner == folder || inner.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

bool confirmed(const DeleteContext& ctx, const QString& text)
{
    return ctx.browse.prompt.ask({text, kConfirmDelete, platform::PromptButtons::YesNo,
                                  platform::PromptIcon::Question}) == platform::PromptAnswer::Yes;
}

// The bin, made when it is missing; false (told) when it cannot be.
bool binReady(const DeleteContext& ctx)
{
    const QString& bin = ctx.browse.folders.binFolder;
    if (platform::folderExists(bin) || QDir().mkpath(bin))
        return true;
    ctx.browse.prompt.message(u"The Red Ovidor bin could not be created:\n"_s + bin);
    return false;
}

// Moves the items into the bin under the names they have: no option flags,
// so a clash there asks and a hidden name is never changed.
void moveToBin(const DeleteContext& ctx, const QStringList& sources, DeleteOutcome& out)
{
    if (!binReady(ctx))
        return;
    // An item a crash left half hidden is put right before its name moves on.
    mEncrypt::recover_before_renaming(ctx.browse.folders, ctx.browse.prompt);
    ctx.fileOperation(FoMove, sources, ctx.browse.folders.binFolder, FofNone);
    out.acted = true;
}

void trash(const DeleteContext& ctx, const QStringList& sources, bool singleFolder,
           DeleteOutcome& out)
{
    // The desktop's own confirmation before items go into its trash.
    if (!confirmed(ctx, trash_question(sources, singleFolder)))
        return;
    ctx.fileOperation(FoDelete, sources, QString(), FofAllowUndo | FofRenameOnCollision);
    out.acted = true;
}

void sortOut(const QStringList& sources, DeleteOutcome& out)
{
    for (const QString& s : sources)
        (somethingAt(s) ? out.stayed : out.gone) << s;
}

// The tree after a folder node's folder went: the node goes, its parent is
// chosen and listed, and the tree keeps the focus.
void dropTreeNode(const DeleteContext& ctx, browse::BrowsePane& pane, browse::TreeNode* node)
{
    if (node->parent)
        pane.tree.selectNode(node->parent);
    pane.tree.removeNode(node);
    if (ctx.listFolder)
        ctx.listFolder(pane.isLibraries());
    if (ctx.focusTree)
        ctx.focusTree(pane.isLibraries());
}

DeleteOutcome deleteTreeNode(const DeleteContext& ctx, browse::BrowsePane& pane)
{
    DeleteOutcome out;
    browse::TreeNode* node = pane.tree.selectedNode();
    if (!node)
        return out;
    using namespace browse::kinds;
    const QString key = node->key;
    if (pane.isLibraries() && node->image == kLibrary) {
        if (ctx.deleteLibrary)
            ctx.deleteLibrary();
        return out;
    }
    if (node->image != kFolder)
        return out;
    out.sourceFolder = node->parent ? node->parent->key : QString();
    if (pane.isLibraries()) {
        if (confirmed(ctx, u"Are you sure you want to send this folder to the Red Ovidor bin?"_s))
            moveToBin(ctx, {key}, out);
    } else {
        trash(ctx, {key}, true, out);
    }
    sortOut({key}, out);
    // The node may have been taken away meanwhile (a listing that let events
    // through), so it is looked up again.
    if (!platform::folderExists(key))
        if (browse::TreeNode* again = pane.tree.nodeByKey(key))
            dropTreeNode(ctx, pane, again);
    return out;
}

// After the list's items went: those that stayed stay chosen; when none did,
// the item that took the first one's place is chosen, so Delete can go on.
void reselect(browse::FolderListModel& list, const DeleteOutcome& out, int firstRow)
{
    if (!out.stayed.isEmpty()) {
        list.selectKeys(out.stayed);
        return;
    }
    if (list.count() == 0)
        return;
    const QModelIndex at = list.index(qMin(firstRow, list.count() - 1), 0);
    list.selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
}

DeleteOutcome deleteListItems(const DeleteContext& ctx, browse::BrowsePane& pane)
{
    DeleteOutcome out;
    browse::FolderListModel& list = pane.list;
    QStringList sources;
    bool hasFolders = false;
    int firstRow = -1;
    const std::vector<bool> chosen = list.selectedRowFlags();
    for (int row = 0; row < list.count(); ++row) {
        if (!chosen[static_cast<size_t>(row)])
            continue;
        const browse::ListItem& item = list.item(row);
        sources << item.key;
        hasFolders = hasFolders || item.iconKey == u"folder"_s;
        if (firstRow < 0)
            firstRow = row;
    }
    // Nothing chosen: nothing to ask about.
    if (sources.isEmpty())
        return out;
    out.sourceFolder = list.tag();

    browse::TreeNode* node = pane.tree.selectedNode();
    const QString nodeKey = node ? node->key : QString();
    if (pane.isLibraries()) {
        using namespace browse::kinds;
        const QString kind = node ? node->image : QString();
        if (kind == kFolder || kind == kLibrary) {
            if (confirmed(ctx, u"Are you sure you want to send the selected items to the "
                               "Red Ovidor bin?"_s))
                moveToBin(ctx, sources, out);
        } else if (kind == kTrash) {
            // For good: the file operation asks its own confirmation first.
            ctx.fileOperation(FoDelete, sources, QString(), FofNone);
            out.acted = true;
        } else {
            return out;
        }
    } else {
        trash(ctx, sources, false, out);
    }

    if (hasFolders && node && pane.tree.nodeByKey(nodeKey))
        mGetFolders::refresh_folder_node(ctx.browse, pane.tree, nodeKey,
                                         pane.isLibraries() ? mGetFolders::kLibraryDepth
                                                            : mGetFolders::kExplorerDepth);
    sortOut(sources, out);
    for (const QString& gone : out.gone)
        if (const int row = list.rowOfKey(gone); row >= 0)
            list.removeItem(row);
    if (out.acted)
        reselect(list, out, firstRow);
    return out;
}

} // namespace

QString trash_question(const QStringList& sources, bool singleFolder)
{
    if (singleFolder)
        return u"Are you sure you want to move this folder to the trash?"_s;
    if (sources.size() == 1)
        return u"Are you sure you want to move '%1' to the trash?"_s.arg(
            platform::bareName(sources.front()));
    return u"Are you sure you want to move these %1 items to the trash?"_s.arg(sources.size());
}

void follow_deleted_items(const DeleteContext& ctx, browse::BrowsePane* other,
                          const DeleteOutcome& out, bool intoBin)
{
    if (!other || out.gone.isEmpty())
        return;
    const int depth =
        other->isLibraries() ? mGetFolders::kLibraryDepth : mGetFolders::kExplorerDepth;
    QStringList changed{out.sourceFolder};
    if (intoBin)
        changed << ctx.browse.folders.binFolder;
    for (const QString& folder : changed) {
        browse::TreeNode* node = folder.isEmpty() ? nullptr : other->tree.nodeByKey(folder);
        // The bin node has no children to refresh.
        if (node && node->image != browse::kinds::kTrash &&
            (!other->isLibraries() || platform::folderExists(folder)))
            mGetFolders::refresh_folder_node(ctx.browse, other->tree, node, depth);
    }
    const QString shown = other->list.tag();
    bool relist = changed.contains(shown);
    for (const QString& gone : out.gone)
        relist = relist || (!shown.isEmpty() && within(shown, gone));
    if (relist && ctx.listFolder)
        ctx.listFolder(other->isLibraries());
}

DeleteOutcome delete_selection(const DeleteContext& ctx)
{
    const short focus = ctx.browse.object_focus;
    const bool inLibraries = focus == kLibrariesTree || focus == kLibrariesList;
    browse::BrowsePane* pane = inLibraries ? ctx.libraries : ctx.explorer;
    if (!pane || focus < kLibrariesTree || focus > kExplorerList)
        return {};
    const bool tree = focus == kLibrariesTree || focus == kExplorerTree;
    const bool binShown = pane->tree.selectedKey() == ctx.browse.folders.binFolder;
    const DeleteOutcome out = tree ? deleteTreeNode(ctx, *pane) : deleteListItems(ctx, *pane);
    follow_deleted_items(ctx, inLibraries ? ctx.explorer : ctx.libraries, out,
                         inLibraries && !binShown);
    return out;
}

} // namespace mainwindow
