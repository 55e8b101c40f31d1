#pragma once

#include "browse/BrowseContext.h"
#include "browse/FolderListModel.h"
#include "browse/FolderTreeModel.h"
#include "browse/Twips.h"

#include <array>

class QTreeView;

// Shows a pane's models in the windows' views. The views only show: the
// selection lives in the models' selection models, the open state of tree
// nodes in the tree model, so commands and tests work on the models alone.
namespace browse {

// The tree in a QTreeView: one shared selection, the open state kept in step
// both ways, and opening a node by hand runs mGetFolders::expand_node (the
// Explorer's lazy loading). ctx and tree must outlive the view.
void showTree(QTreeView* view, FolderTreeModel& tree, const BrowseContext& ctx);

// The listing in a QTreeView used as a report-style list: one shared
// selection, several rows selectable, and the columns set_list_columns chose,
// at their saved widths, applied again whenever they change.
void showList(QTreeView* view, FolderListModel& list);

// The four column widths in twips, as the Libraries window saves them.
std::array<double, 4> listColumnWidthsTwips(const QTreeView* view);

} // namespace browse
