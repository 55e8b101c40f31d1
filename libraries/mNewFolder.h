#pragma once

#include <QString>

namespace browse {
struct BrowseContext;
struct BrowsePane;
struct TreeNode;
} // namespace browse

// New Folder: a folder under the chosen node of a tree. Inside a Library it
// is made hidden (level 1) from the start, so no plain name of it ever shows
// on disk; in the Explorer it is a plain folder.
namespace mNewFolder {

// The name a new folder takes in parent: name itself, else "name (1)",
// "name (2)", ... The first that no item of parent has, nor (for a hidden
// folder) its hidden name.
QString free_folder_name(const QString& parent, const QString& name, bool hidden);

struct Outcome
{
    browse::TreeNode* node = nullptr; // the new node, chosen; null when nothing was made
    bool focusTree = false;           // refused at this node: the tree takes the focus
};

// Makes the folder under the pane's chosen node and adds its node (coloured
// as hidden in the Libraries tree). Refusals and failures are told through
// the prompt. An existing folder is never taken for the new one: a name
// taken meanwhile moves on to the next number.
Outcome new_folder(const browse::BrowseContext& ctx, browse::BrowsePane& pane, const QString& name);

} // namespace mNewFolder
