#pragma once

#include "browse/FolderListModel.h"
#include "browse/FolderTreeModel.h"
#include "browse/IconList.h"

namespace browse {

// The headless part of a browser window: its tree, its listing and their
// image lists (TVIcons and LVIcons). The Libraries window and the Explorer
// each own one and show its models.
struct BrowsePane
{
    explicit BrowsePane(bool libraries) : tree(libraries, treeIcons), list(listIcons) {}
    BrowsePane(const BrowsePane&) = delete;
    BrowsePane& operator=(const BrowsePane&) = delete;

    bool isLibraries() const { return tree.isLibraries(); }

    IconList treeIcons; // TVIcons
    IconList listIcons; // LVIcons; grows with file-type icons, reset past 250
    FolderTreeModel tree;
    FolderListModel list;
};

} // namespace browse
