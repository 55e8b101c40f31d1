#pragma once

#include "browse/BrowseContext.h"
#include "browse/FolderTreeModel.h"
#include "browse/IconList.h"
#include "platform/Drives.h"

#include <QStringList>

// Filling the two folder trees from the file system: the Libraries tree
// ("My Libraries", each Library with all its folders, the bin) and the
// Explorer tree ("My Computer", Desktop, My Documents, the drives, loaded one
// level ahead of what is open).
namespace mGetFolders {

// Depths the callers use: a Library is loaded whole, the Explorer one level at a time.
inline constexpr int kLibraryDepth = 32000;
inline constexpr int kExplorerDepth = 1;

// Clears a pane's image list and fills it with the eleven base images.
void copy_icons(browse::IconList& paneList, const browse::IconList& iconImageList);

// Rebuilds the whole Libraries tree from the library table; the root, the
// Libraries and the bin stay open if they were, and the selection stays when
// its node is still there.
void build_library_tree(const browse::BrowseContext& ctx, browse::FolderTreeModel& tree);

// Rebuilds the whole Explorer tree, keeping what was open and selected. The
// Desktop and My Documents paths are those the window looked up when it
// loaded; "" leaves that node out.
void initialize_TreeView(const browse::BrowseContext& ctx, browse::FolderTreeModel& tree,
                         const QString& desktopPath, const QString& documentsPath);
// The same with the drives given (in the order to show them).
void initialize_TreeView(const browse::BrowseContext& ctx, browse::FolderTreeModel& tree,
                         const QString& desktopPath, const QString& documentsPath,
                         const std::vector<platform::Drive>& drives);

// Replaces a node's children by its subfolders, to the given depth. The bin
// node never gets children; neither does a link in the Libraries tree.
void fill_folder_node(const browse::BrowseContext& ctx, browse::FolderTreeModel& tree,
                      const QString& key, int depth);
void fill_folder_node(const browse::BrowseContext& ctx, browse::FolderTreeModel& tree,
                      browse::TreeNode* node, int depth);

// fill_folder_node that keeps what was open below the node and the selection.
void refresh_folder_node(const browse::BrowseContext& ctx, browse::FolderTreeModel& tree,
                         const QString& key, int depth);
void refresh_folder_node(const browse::BrowseContext& ctx, browse::FolderTreeModel& tree,
                         browse::TreeNode* node, int depth);

// Adds the keys of the node and of every descendant that is open, in pre-order.
void collect_expanded_keys(const browse::TreeNode* node, QStringList& keys);

// Opens a node, as a click on its expander does. In the Explorer tree this
// loads the subfolders of each child that has not had them loaded, so the
// tree stays one level ahead and every folder shows an expander exactly when
// it has a subfolder. Windows call it from QTreeView::expanded.
void expand_node(const browse::BrowseContext& ctx, browse::FolderTreeModel& tree,
                 browse::TreeNode* node);

} // namespace mGetFolders
