#include "engine/mOpenSelection.h"

#include "browse/mFileInfo.h"
#include "browse/mGetFolders.h"

namespace mOpenFiles {

namespace {

// Selects the tree node of a listed folder and lists it. A folder made outside
// the program since the tree was filled has no node yet: the selected node is
// refreshed once and the node looked for again.
bool enterFolder(const QString& key, browse::BrowsePane& pane, const SelectionContext& ctx)
{
    auto& tree = pane.tree;
    browse::TreeNode* node = tree.nodeByKey(key);
    if (!node) {
        const int depth =
            pane.isLibraries() ? mGetFolders::kLibraryDepth : mGetFolders::kExplorerDepth;
        if (browse::TreeNode* selected = tree.selectedNode())
            mGetFolders::refresh_folder_node(ctx.browse, tree, selected, depth);
        node = tree.nodeByKey(key);
    }
    if (!node) {
        ctx.browse.prompt.message(
            QStringLiteral("This folder is missing. Try refreshing the screen"));
        return false;
    }
    tree.selectNode(node);
    if (ctx.showNode)
        ctx.showNode(pane, node);
    mFileInfo::list_folder(ctx.browse, pane);
    return true;
}

} // namespace

SelectionResult open_selection(short object_focus, const SelectionContext& ctx)
{
    SelectionResult result;
    browse::BrowsePane* pane = object_focus == 2   ? ctx.libraries
                               : object_focus == 4 ? ctx.explorer
                                                   : nullptr;
    if (!pane)
        return result;
    const bool libraries = pane == ctx.libraries;

    // Take the selection first: opening a file can let events run (a dialog),
    // and a listing started meanwhile would change the items under us.
    struct Picked
    {
        QString key;
        bool hidden;
        bool isFolder;
    };
    std::vector<Picked> picked;
    const auto& list = pane->list;
    for (const QString& key : list.selectedKeys()) {
        const int row = list.rowOfKey(key);
        if (row < 0)
            continue;
        const auto& item = list.item(row);
        picked.push_back({item.key, libraries && item.hidden, item.isFolder});
    }

    for (const Picked& p : picked) {
        if (p.isFolder)
            continue;
        if (open_file(p.key, p.hidden, ctx.open).outcome == Outcome::Started)
            ++result.opened;
    }

    // The bin's folders are deleted items: they are not entered.
    const browse::TreeNode* selected = pane->tree.selectedNode();
    if (libraries && selected && selected->image == QLatin1String("trash"))
        return result;
    for (const Picked& p : picked) {
        if (p.isFolder) {
            result.enteredFolder = enterFolder(p.key, *pane, ctx);
            break;
        }
    }
    return result;
}

} // namespace mOpenFiles
