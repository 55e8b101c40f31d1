#include "browse/mGetFolders.h"

#include "browse/HiddenLook.h"
#include "browse/WaitCursor.h"
#include "browse/mFileInfo.h"
#include "engine/mEncrypt.h"
#include "libraries/mLibraries.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Subfolders.h"

#include <QDir>

#include <cerrno>

using browse::FolderTreeModel;
using browse::TreeNode;
namespace images = browse::images;

namespace mGetFolders {

namespace {

std::unique_ptr<TreeNode> makeNode(const QString& key, const QString& text, const QString& image)
{
    auto node = std::make_unique<TreeNode>();
    node->key = key;
    node->text = text;
    node->image = image;
    return node;
}

// The subfolder nodes of a folder, each with its own subfolders down to the
// depth, built apart from the tree and handed to it in one piece.
std::vector<std::unique_ptr<TreeNode>>
subfolderNodes(const browse::BrowseContext& ctx, bool libraries, const QString& path, int depth)
{
    std::vector<std::unique_ptr<TreeNode>> nodes;
    for (platform::SubfolderEntry& e : platform::listSubfolders(path)) {
        auto child = std::make_unique<TreeNode>();
        child->key = platform::joinPath(path, e.name);
        child->flag = libraries && mEncrypt::is_hidden_name(e.name);
        child->text = child->flag ? mEncrypt::plain_name(e.name) : std::move(e.name);
        child->image = images::folder;
        child->selectedImage = images::open;
        if (libraries) {
            child->hasColor = true;
            const browse::ItemLook look = browse::item_look(ctx.prefs, child->flag);
            child->color = look.color;
            child->bold = look.bold;
        }
        child->isLink = e.isSymLink;
        child->lossyName = !e.lossless;
        child->sorted = true;
        if (depth > 1 && !child->lossyName && !(libraries && child->isLink))
            child->children = subfolderNodes(ctx, libraries, child->key, depth - 1);
        nodes.push_back(std::move(child));
    }
    return nodes;
}

// True when key names the folder of node or a folder below it.
bool isAtOrBelow(const QString& key, const QString& folder)
{
    if (!key.startsWith(folder))
        return false;
    return key.size() == folder.size() || folder.endsWith(QLatin1Char('/')) ||
           key[folder.size()] == QLatin1Char('/');
}

// The node of that key in the subtree of node, found by walking down the
// path: the Explorer tree may show the same folder elsewhere too, and a
// refresh restores the state of its own subtree.
TreeNode* findBelow(TreeNode* node, const QString& key)
{
    while (node) {
        if (node->key == key)
            return node;
        TreeNode* next = nullptr;
        for (const auto& child : node->children)
            if (isAtOrBelow(key, child->key)) {
                next = child.get();
                break;
            }
        node = next;
    }
    return nullptr;
}

void reselect(FolderTreeModel& tree, TreeNode* within, const QString& key)
{
    if (key.isEmpty() || tree.selectedKey() == key)
        return;
    TreeNode* node = within ? findBelow(within, key) : nullptr;
    if (!node)
        node = tree.nodeByKey(key);
    if (node)
        tree.selectNode(node);
}

QString driveCaption(const platform::Drive& d, const char* unnamed)
{
    // A volume without a label would read " (/)"; the generic caption says more.
    const QString name = d.volumeName.isEmpty() ? QString::fromLatin1(unnamed) : d.volumeName;
    return name + QStringLiteral(" (") + d.mountPoint + QLatin1Char(')');
}

} // namespace

void copy_icons(browse::IconList& paneList, const browse::IconList& iconImageList)
{
    paneList.clear();
    for (const QString& key : iconImageList.keys())
        paneList.add(key, iconImageList.icon(key));
}

void collect_expanded_keys(const TreeNode* node, QStringList& keys)
{
    if (!node)
        return;
    if (node->expanded)
        keys.append(node->key);
    for (const auto& child : node->children)
        collect_expanded_keys(child.get(), keys);
}

void fill_folder_node(const browse::BrowseContext& ctx, FolderTreeModel& tree, TreeNode* node,
                      int depth)
{
    if (!node || node->key == ctx.folders.binFolder)
        return;
    tree.removeChildren(node);
    if (node->lossyName)
        return;
    if (!platform::folderExists(node->key)) {
        // A folder in a folder the user may not open is there all the same.
        const int why = mFileInfo::statError(node->key);
        if (why == ENOENT || why == ENOTDIR || why == 0)
            ctx.prompt.message(QStringLiteral("An expected folder (") + node->key +
                               QStringLiteral(")is missing. Refresh the screen. "));
        else
            ctx.prompt.message(mFileInfo::folder_failure_text(node->key, why));
        return;
    }
    node->sorted = true;
    if (tree.isLibraries() && node->isLink)
        return;
    tree.setChildren(node, subfolderNodes(ctx, tree.isLibraries(), node->key, depth));
}

void fill_folder_node(const browse::BrowseContext& ctx, FolderTreeModel& tree, const QString& key,
                      int depth)
{
    fill_folder_node(ctx, tree, tree.nodeByKey(key), depth);
}

void refresh_folder_node(const browse::BrowseContext& ctx, FolderTreeModel& tree, TreeNode* node,
                         int depth)
{
    if (!node)
        return;
    const QString selected = tree.selectedKey();
    QStringList open;
    collect_expanded_keys(node, open);
    fill_folder_node(ctx, tree, node, depth);
    if (!tree.isLibraries())
        tree.setNodeFlag(node, true);
    for (const QString& key : open)
        if (TreeNode* n = findBelow(node, key))
            expand_node(ctx, tree, n);
    reselect(tree, node, selected);
}

void refresh_folder_node(const browse::BrowseContext& ctx, FolderTreeModel& tree,
                         const QString& key, int depth)
{
    refresh_folder_node(ctx, tree, tree.nodeByKey(key), depth);
}

void expand_node(const browse::BrowseContext& ctx, FolderTreeModel& tree, TreeNode* node)
{
    if (!node)
        return;
    tree.setExpanded(node, true);
    if (tree.isLibraries() || node->children.empty() || node->children.front()->flag)
        return;
    // Refreshing a child changes only that child's own children.
    for (size_t i = 0; i < node->children.size(); ++i)
        refresh_folder_node(ctx, tree, node->children[i].get(), kExplorerDepth);
}

void build_library_tree(const browse::BrowseContext& ctx, FolderTreeModel& tree)
{
    QString selected;
    QStringList open;
    if (!tree.isEmpty()) {
        selected = tree.selectedKey();
        // The root, the Libraries and the bin come back open; folders closed.
        tree.forEachNode([&](TreeNode* n) {
            if (n->expanded && n->image != images::folder)
                open.append(n->key);
        });
    }
    tree.clear();
    mLibraries::check_libraries(ctx.store, ctx.prompt);
    TreeNode* root =
        tree.addNode(nullptr, makeNode(QStringLiteral("mylibraries"),
                                       QStringLiteral("My Libraries"), images::mylibraries));
    for (const mLibraries::Library& lib : mLibraries::read_libraries(ctx.store)) {
        TreeNode* node = tree.addNode(root, makeNode(lib.path, lib.name, images::library));
        refresh_folder_node(ctx, tree, node, kLibraryDepth);
    }
    tree.selectNode(root);
    const QString& bin = ctx.folders.binFolder;
    if (!platform::folderExists(bin))
        QDir().mkpath(bin);
    tree.addNode(root, makeNode(bin, QStringLiteral("Red Ovidor"), images::trash));
    for (const QString& key : open)
        if (TreeNode* n = tree.nodeByKey(key))
            expand_node(ctx, tree, n);
    reselect(tree, nullptr, selected);
}

void initialize_TreeView(const browse::BrowseContext& ctx, FolderTreeModel& tree,
                         const QString& desktopPath, const QString& documentsPath)
{
    initialize_TreeView(ctx, tree, desktopPath, documentsPath, platform::listDrives());
}

void initialize_TreeView(const browse::BrowseContext& ctx, FolderTreeModel& tree,
                         const QString& desktopPath, const QString& documentsPath,
                         const std::vector<platform::Drive>& drives)
{
    browse::WaitCursor wait;
    QStringList open;
    QString selected;
    if (!tree.isEmpty()) {
        collect_expanded_keys(tree.firstRoot(), open);
        selected = tree.selectedKey();
        tree.clear();
    }
    TreeNode* root =
        tree.addNode(nullptr, makeNode(QStringLiteral("mycomputer"), QStringLiteral("My Computer"),
                                       images::mylibraries));
    if (!desktopPath.isEmpty()) {
        TreeNode* n =
            tree.addNode(root, makeNode(desktopPath, QStringLiteral("Desktop"), images::desktop));
        refresh_folder_node(ctx, tree, n, kExplorerDepth);
    }
    if (!documentsPath.isEmpty()) {
        TreeNode* n = tree.addNode(
            root, makeNode(documentsPath, QStringLiteral("My Documents"), images::mydocuments));
        refresh_folder_node(ctx, tree, n, kExplorerDepth);
    }
    for (const platform::Drive& d : drives) {
        const QString& path = d.mountPoint;
        switch (d.type) {
        case platform::DriveType::CdRom: {
            const QString text = d.ready
                                     ? driveCaption(d, "Compact Disc")
                                     : QStringLiteral("Compact Disc (") + path + QLatin1Char(')');
            TreeNode* n = tree.addNode(root, makeNode(d.key, text, images::cd));
            if (d.ready)
                refresh_folder_node(ctx, tree, n, kExplorerDepth);
            break;
        }
        case platform::DriveType::Removable:
            tree.addNode(root,
                         makeNode(d.key, QStringLiteral("Removable (") + path + QLatin1Char(')'),
                                  images::floppy));
            break;
        default: {
            const QString text = d.ready ? driveCaption(d, "Fixed Disc")
                                         : QStringLiteral("Fixed Disc (") + path + QLatin1Char(')');
            TreeNode* n = tree.addNode(root, makeNode(d.key, text, images::drive));
            if (d.ready)
                refresh_folder_node(ctx, tree, n, kExplorerDepth);
            break;
        }
        }
    }
    for (const QString& key : open)
        if (TreeNode* n = tree.nodeByKey(key))
            expand_node(ctx, tree, n);
    TreeNode* chosen = selected.isEmpty() ? nullptr : tree.nodeByKey(selected);
    tree.selectNode(chosen ? chosen : tree.firstRoot());
}

} // namespace mGetFolders
