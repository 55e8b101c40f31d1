#include "engine/mRename.h"

#include "engine/mEncryptRecords.h"

#include "browse/HiddenLook.h"
#include "browse/NodeKinds.h"
#include "browse/mFileInfo.h"
#include "browse/mGetFolders.h"
#include "browse/mMisc.h"
#include "engine/mEncrypt.h"
#include "libraries/LibraryChecks.h"
#include "libraries/mLibraries.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace mRename {

namespace {

constexpr int kLibrariesDepth = 32000;

const QString kNotValidNode = QStringLiteral("That is not a valid name");
const QString kNotValidItem = QStringLiteral("Not a valid name");
const QString kCannotRename = QStringLiteral("This node cannot be renamed");
const QString kFolderMissing = QStringLiteral("This folder is missing. Try refreshing the screen");
const QString kNodeExists = QStringLiteral("The name you've entered already exists");
const QString kFolderInUse = QStringLiteral("This folder may be in use by the desktop");
const QString kPermissionDenied = QStringLiteral("Permission Denied");
const QString kItemMissing =
    QStringLiteral("The file or folder is missing. Try refreshing the screen");
const QString kItemExists = QStringLiteral("That name already exists");
const QString kItemInUse = QStringLiteral("This object may be in use by the desktop or has been "
                                          "moved or removed. Try refreshing the Library Tree");
// A name read from disk that is not valid text shows with replacement
// characters; renaming through it would rename the wrong bytes, or none.
const QString kNotText = QStringLiteral(
    "The name of this item is not valid text and cannot be changed here. Rename it with the "
    "desktop's file manager.");

Outcome refuse(const browse::BrowseContext& ctx, const QString& text,
               const QString& title = QString(), Outcome how = Outcome::Refused)
{
    ctx.prompt.message(text, title);
    return how;
}

// Any of the names exists in the folder.
bool anyExists(const QString& folder, std::initializer_list<QString> names)
{
    for (const QString& n : names)
        if (mEncrypt::name_exists(folder, n))
            return true;
    return false;
}

Outcome renameNode(const browse::BrowseContext& ctx, browse::BrowsePane& pane,
                   browse::TreeNode* node, const QString& newName)
{
    const bool libraries = pane.isLibraries();
    browse::FolderTreeModel& tree = pane.tree;
    if (libraries && !mMisc::is_valid_name(newName))
        return refuse(ctx, kNotValidNode);
    if (libraries && node->image == browse::kinds::kLibrary) {
        // The Library's name in the table; its folder keeps its name. A name
        // another Library has is refused without a word.
        if (libraries::check_library_name(ctx.store, newName, node->text) ||
            !mLibraries::rename_library(ctx.store, node->text, newName))
            return Outcome::Unchanged;
        tree.setNodeText(node, newName);
        return Outcome::Renamed;
    }
    if (node->image != browse::kinds::kFolder)
        return refuse(ctx, kCannotRename);
    if (node->lossyName || !platform::pathNameIsExact(node->key))
        return refuse(ctx, kNotText);
    if (!platform::folderExists(node->key))
        return refuse(ctx, kFolderMissing);
    if (!libraries && !mMisc::is_valid_name(newName))
        return refuse(ctx, kNotValidNode);

    const QString parent = platform::parentFolder(node->key);
    // A hidden folder always has level 1; a plain folder's name is blocked
    // by its level-1 hidden twin too, which would unhide onto it.
    const QString onDisk = libraries && node->flag ? disk_name(newName, 1) : newName;
    if (onDisk == platform::bareName(node->key))
        return Outcome::Unchanged;
    const bool taken = libraries ? anyExists(parent, {newName, disk_name(newName, 1)})
                                 : anyExists(parent, {newName});
    if (taken)
        return refuse(ctx, kNodeExists, libraries ? QString() : QStringLiteral("Invalid Name"));

    const QString newPath = platform::joinPath(parent, onDisk);
    switch (platform::renameNoReplace(node->key, newPath)) {
    case platform::RenameResult::Ok:
        break;
    case platform::RenameResult::TargetExists: // taken since the check
        return refuse(ctx, kNodeExists, libraries ? QString() : QStringLiteral("Invalid Name"));
    case platform::RenameResult::Failed:
        return refuse(ctx, kFolderInUse, kPermissionDenied);
    }
    tree.setNodeKey(node, newPath);
    tree.setNodeText(node, newName);
    mGetFolders::refresh_folder_node(ctx, tree, node, libraries ? kLibrariesDepth : 1);
    if (tree.selectedNode() == node)
        mFileInfo::list_folder(ctx, pane);
    return Outcome::Renamed;
}

Outcome renameItem(const browse::BrowseContext& ctx, browse::BrowsePane& pane, int row,
                   const QString& newName)
{
    const bool libraries = pane.isLibraries();
    browse::ListItem item = pane.list.item(row);
    if (!mMisc::is_valid_name(newName))
        return refuse(ctx, kNotValidItem);
    if (!platform::pathNameIsExact(item.key))
        return refuse(ctx, kNotText, QString(), Outcome::FocusToList);

    const short level = libraries && item.hidden ? mEncrypt::hidden_level(item.key) : 0;
    const QString onDisk = disk_name(newName, level);
    const QString parent = platform::parentFolder(item.key);
    const bool there =
        item.isFolder ? platform::folderExists(item.key) : platform::fileExists(item.key);
    if (!there)
        return refuse(ctx, kItemMissing, QString(), Outcome::FocusToList);
    if (onDisk == platform::bareName(item.key))
        return Outcome::Unchanged;
    const bool taken = libraries ? anyExists(parent, {newName, disk_name(newName, 1),
                                                      disk_name(newName, 2), disk_name(newName, 3)})
                                 : anyExists(parent, {newName});
    if (taken)
        return refuse(ctx, kItemExists, QString(), Outcome::FocusToList);

    const QString newPath = platform::joinPath(parent, onDisk);
    switch (platform::renameNoReplace(item.key, newPath)) {
    case platform::RenameResult::Ok:
        break;
    case platform::RenameResult::TargetExists:
        return refuse(ctx, kItemExists, QString(), Outcome::FocusToList);
    case platform::RenameResult::Failed:
        return refuse(ctx, kItemInUse, QString(), Outcome::FocusToList);
    }
    item.key = newPath;
    item.text = newName;
    if (item.hidden)
        item.toolTip = browse::hidden_item_tooltip(newPath);
    pane.list.setItem(row, std::move(item));
    if (pane.list.item(row).isFolder) {
        if (browse::TreeNode* shown = pane.tree.selectedNode())
            mGetFolders::refresh_folder_node(ctx, pane.tree, shown,
                                             libraries ? kLibrariesDepth : 1);
    }
    return Outcome::Renamed;
}

} // namespace

QString disk_name(const QString& readableName, short level)
{
    return level >= 1 && level <= 3 ? mEncrypt::make_hidden_name(readableName, level)
                                    : readableName;
}

Outcome rename_node(const browse::BrowseContext& ctx, browse::BrowsePane& pane,
                    browse::TreeNode* node, const QString& newName)
{
    if (!node)
        return Outcome::Unchanged;
    mEncrypt::recover_before_renaming(ctx.folders, ctx.prompt);
    return renameNode(ctx, pane, node, newName);
}

Outcome rename_item(const browse::BrowseContext& ctx, browse::BrowsePane& pane, int row,
                    const QString& newName)
{
    if (row < 0 || row >= pane.list.count())
        return Outcome::Unchanged;
    mEncrypt::recover_before_renaming(ctx.folders, ctx.prompt);
    return renameItem(ctx, pane, row, newName);
}

} // namespace mRename
