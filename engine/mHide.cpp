// The Hide and Unhide commands and the in-place updates of nodes and items.
#include "engine/mHide.h"

#include "browse/HiddenLook.h"
#include "browse/mFileInfo.h"
#include "browse/mGetFolders.h"
#include "engine/mHideWalk.h"
#include "mainwindow/AppState.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QPersistentModelIndex>

using browse::FolderListModel;
using browse::FolderTreeModel;
using browse::TreeNode;
namespace images = browse::images;

namespace mHide {

namespace detail {

bool changeTreeNode(TreeNode* node, Walk& walk)
{
    const Context& ctx = walk.ctx();
    if (!ctx.libraries || !node || node->image != images::folder || node->flag == walk.hiding())
        return false;
    if (walk.isProtected(node->key)) {
        walk.skip();
        return false;
    }
    FolderTreeModel& tree = ctx.libraries->tree;
    const QPersistentModelIndex at(tree.indexOf(node));
    const QString name = walk.change(node->key, true);
    if (name.isEmpty())
        return false;
    // The progress window may have let a refresh through; then there is no
    // node left to update, but the folder was renamed all the same.
    if (!at.isValid())
        return true;
    node = tree.nodeFromIndex(at);
    const QString parentKey = node->parent ? node->parent->key : platform::parentFolder(node->key);
    tree.setNodeFlag(node, walk.hiding());
    tree.setNodeKey(node, platform::joinPath(parentKey, name));
    const browse::ItemLook look = browse::item_look(ctx.browse.prefs, walk.hiding());
    tree.setNodeAppearance(node, look.color, look.bold);
    return true;
}

QString changeListItem(const QString& key, Walk& walk)
{
    const Context& ctx = walk.ctx();
    if (!ctx.libraries)
        return QString();
    FolderListModel& list = ctx.libraries->list;
    int row = list.rowOfKey(key);
    if (row < 0 || list.item(row).hidden == walk.hiding())
        return QString();
    const bool folder = list.item(row).isFolder;
    if (folder && walk.isProtected(key)) {
        walk.skip();
        return QString();
    }
    const QString name = walk.change(key, folder);
    if (name.isEmpty())
        return QString();
    // The item's own folder, not the tree's selection: the list may still
    // show the folder selected before the last click.
    const QString newKey = platform::joinPath(platform::parentFolder(key), name);
    row = list.rowOfKey(key);
    if (row < 0)
        return newKey;
    browse::ListItem item = list.item(row);
    const browse::ItemLook look = browse::item_look(ctx.browse.prefs, walk.hiding());
    item.hidden = walk.hiding();
    item.key = newKey;
    item.hasColor = true;
    item.color = look.color;
    item.bold = look.bold;
    item.toolTip = walk.hiding() ? browse::hidden_item_tooltip(name) : QString();
    list.setItem(row, std::move(item));
    return newKey;
}

} // namespace detail

namespace {

using detail::Walk;

void refreshNode(const Context& ctx, const QPersistentModelIndex& at)
{
    if (at.isValid())
        mGetFolders::refresh_folder_node(ctx.browse, ctx.libraries->tree,
                                         ctx.libraries->tree.nodeFromIndex(at),
                                         mGetFolders::kLibraryDepth);
}

void listLibraries(const Context& ctx)
{
    if (mFileInfo::list_folder(ctx.browse, *ctx.libraries) ==
            mFileInfo::ListingResult::FolderMissing &&
        ctx.focusLibrariesTree)
        ctx.focusLibrariesTree();
}

// The Libraries tree has the focus. False when no node is selected: then
// nothing at all happens, not even the toolbar update.
bool treeCommand(const Context& ctx, bool hiding, BulkResult& result)
{
    if (!ctx.libraries)
        return false;
    FolderTreeModel& tree = ctx.libraries->tree;
    const TreeNode* node = tree.selectedNode();
    if (!node)
        return false;
    // The node is held by index from here on: a modal box or the progress
    // window lets events through, and a refresh may replace nodes.
    const QPersistentModelIndex at(tree.indexOf(node));
    const QString key = node->key;
    const QString image = node->image;
    const bool isLink = node->isLink;
    const bool yes = ctx.browse.prompt.question(
                         QStringLiteral("Do you want to %1 all files within ")
                             .arg(hiding ? QStringLiteral("hide") : QStringLiteral("unhide")) +
                         node->text + QStringLiteral(" ?")) == platform::PromptAnswer::Yes;

    if (image == images::mylibraries) {
        if (yes) {
            result = hiding ? hide_all_libraries(ctx) : unhide_all_libraries(ctx);
            mGetFolders::build_library_tree(ctx.browse, tree);
        }
    } else if (image == images::library) {
        if (yes) {
            result = hiding ? hide_folder_tree(key, ctx) : unhide_folder_tree(key, ctx);
            refreshNode(ctx, at);
            listLibraries(ctx);
        }
    } else if (image == images::folder) {
        // No spares the folder's contents, not the folder itself.
        Walk walk(ctx, hiding);
        if (yes && !isLink)
            walk.folderTree(key);
        if (at.isValid() && !walk.stopped())
            detail::changeTreeNode(tree.nodeFromIndex(at), walk);
        result = walk.end();
        refreshNode(ctx, at);
        listLibraries(ctx);
    } else if (image == images::trash) {
        if (yes)
            result = hiding ? hide_folder_tree(key, ctx) : unhide_folder_tree(key, ctx);
        listLibraries(ctx);
    }
    if (ctx.focusLibrariesTree)
        ctx.focusLibrariesTree();
    return true;
}

// The Libraries list has the focus: the selected items in list order, and
// everything inside the selected folders, without a question.
void listCommand(const Context& ctx, bool hiding, BulkResult& result)
{
    if (!ctx.libraries)
        return;
    FolderListModel& list = ctx.libraries->list;
    const QStringList keys = list.selectedKeys();
    if (keys.isEmpty())
        return;
    bool folderTouched = false;
    {
        Walk walk(ctx, hiding);
        for (const QString& key : keys) {
            if (walk.stopped())
                break;
            const int row = list.rowOfKey(key);
            if (row < 0)
                continue; // a listing replaced the list meanwhile
            const bool folder = list.item(row).isFolder;
            QString path = key;
            if (list.item(row).hidden != hiding) {
                const QString renamed = detail::changeListItem(key, walk);
                if (!renamed.isEmpty())
                    path = renamed;
            } else {
                walk.skip();
            }
            if (folder) {
                // Also when the folder was hidden already: its subfolders may
                // be renamed by the walk, and their nodes must follow.
                folderTouched = true;
                if (!platform::isSymLink(path))
                    walk.folderTree(path);
            }
        }
        result = walk.end();
    }
    if (folderTouched)
        refreshNode(ctx, QPersistentModelIndex(
                             ctx.libraries->tree.indexOf(ctx.libraries->tree.selectedNode())));
}

BulkResult selectionCommand(const Context& ctx, bool hiding)
{
    if (ctx.clear_edit_buffer)
        ctx.clear_edit_buffer();
    BulkResult result;
    switch (ctx.browse.object_focus) {
    case mainwindow::kLibrariesTree:
        if (!treeCommand(ctx, hiding, result))
            return result;
        break;
    case mainwindow::kLibrariesList:
        listCommand(ctx, hiding, result);
        break;
    default:
        break; // nothing is hidden or unhidden from the Explorer
    }
    if (ctx.enable_toolbar)
        ctx.enable_toolbar();
    return result;
}

} // namespace

BulkResult hide_selection(const Context& ctx)
{
    return selectionCommand(ctx, true);
}

BulkResult unhide_selection(const Context& ctx)
{
    return selectionCommand(ctx, false);
}

bool hide_tree_node(TreeNode* node, const Context& ctx)
{
    Walk walk(ctx, true);
    return detail::changeTreeNode(node, walk);
}

bool unhide_tree_node(TreeNode* node, const Context& ctx)
{
    Walk walk(ctx, false);
    return detail::changeTreeNode(node, walk);
}

bool hide_list_item(int row, const Context& ctx)
{
    if (!ctx.libraries || row < 0 || row >= ctx.libraries->list.count())
        return false;
    Walk walk(ctx, true);
    return !detail::changeListItem(ctx.libraries->list.item(row).key, walk).isEmpty();
}

bool unhide_list_item(int row, const Context& ctx)
{
    if (!ctx.libraries || row < 0 || row >= ctx.libraries->list.count())
        return false;
    Walk walk(ctx, false);
    return !detail::changeListItem(ctx.libraries->list.item(row).key, walk).isEmpty();
}

} // namespace mHide
