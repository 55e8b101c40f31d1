#pragma once

#include "browse/BrowseContext.h"
#include "browse/BrowsePane.h"

#include <QString>

// Renaming a tree node or a listing item in place, as the user edits its
// label. Each function checks the new name, renames on disk with a rename
// that never replaces, brings the pane's models up to date, and reports a
// refusal through the prompt service. On a refusal nothing on disk changes
// and the label keeps its old text. The Libraries window renames hidden
// items through the name codec at their own level, and a Library node
// renames the Library in the table, not its folder.
namespace mRename {

enum class Outcome {
    Renamed,
    Refused,     // a message was shown; the label keeps its old text
    Unchanged,   // the same text again, or a refusal without a message
    FocusToList, // Refused, and the listing is to get the focus back
};

// The tree node's folder (or Library) under the new name. The pane tells the
// Libraries tree from the Explorer tree.
Outcome rename_node(const browse::BrowseContext& ctx, browse::BrowsePane& pane,
                    browse::TreeNode* node, const QString& newName);

// The listing's item in that row under the new name.
Outcome rename_item(const browse::BrowseContext& ctx, browse::BrowsePane& pane, int row,
                    const QString& newName);

// The name on disk for a readable name: the hidden name at the level when the
// level is 1 to 3, the name itself otherwise.
QString disk_name(const QString& readableName, short level);

} // namespace mRename
