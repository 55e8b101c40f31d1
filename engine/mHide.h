#pragma once

#include "browse/BrowseContext.h"
#include "browse/BrowsePane.h"
#include "browse/TreeNode.h"
#include "engine/LongOperation.h"
#include "engine/OperationReport.h"

#include <QString>
#include <QStringList>

#include <functional>

// The Hide and Unhide commands: the selection of the Libraries window, a
// folder with everything below it, a Library, the bin or every Library at
// once. The disk is reached only through the single-item operations of
// mEncrypt; afterwards the tree nodes and list items are brought in line with
// the new names in place, so the panes need no full reload.
//
// Each item is hidden or unhidden whole (name and content together), so a
// walk that stops part way (a refusal, Cancel) leaves no item half done.
namespace mHide {

// What the commands need of the main window. The window passes its state's
// browse context, the Libraries window's pane (nullptr while that window is
// closed) and the window-side steps.
struct Context
{
    browse::BrowseContext browse; // preferences, prompts, object_focus, library table, bin
    browse::BrowsePane* libraries = nullptr;
    std::function<void()> clear_edit_buffer = {};
    std::function<void()> enable_toolbar = {};
    std::function<void()> focusLibrariesTree = {}; // give the Libraries tree the keyboard focus
    engine::OperationProgress* progress = nullptr; // nullptr: no progress window
};

// What a command or walk did, item by item.
struct BulkResult
{
    int changed = 0; // hidden (unhidden) now
    int skipped = 0; // already hidden (plain), or a Library, the bin or a folder holding one
    int refused = 0; // left as it was; told item by item, or listed in failures
    bool cancelled = false;
    // Items that failed for a reason the design gives no message of its own
    // (no space, permission denied, ...), told once at the end of the command.
    std::vector<engine::ItemFailure> failures;
    // Files hidden by name only (level 1): nobody could tell whether another
    // program had them open, so their content was not changed.
    QStringList nameOnly;

    qint64 done() const { return qint64(changed) + skipped + refused; }
};

// The Hide and Unhide commands, on the pane named by object_focus. Items
// interrupted by a crash are finished first; failures and files hidden by name
// only are told in one summary at the end.
BulkResult hide_selection(const Context& ctx);
BulkResult unhide_selection(const Context& ctx);

// Everything below the folder; the folder itself keeps its name. Symbolic
// links to folders are renamed like folders but never walked into.
BulkResult hide_folder_tree(const QString& path, const Context& ctx);
BulkResult unhide_folder_tree(const QString& path, const Context& ctx);

// The folder tree of every Library of the Libraries tree, in node order. The
// bin is not a Library.
BulkResult hide_all_libraries(const Context& ctx);
BulkResult unhide_all_libraries(const Context& ctx);

// Hides (unhides) the folder of a "folder" node of the Libraries tree that is
// plain (hidden) and updates the node: flag, key, colour and bold. The text
// stays the readable name. True when the folder was renamed.
bool hide_tree_node(browse::TreeNode* node, const Context& ctx);
bool unhide_tree_node(browse::TreeNode* node, const Context& ctx);

// Hides (unhides) the file or folder of a plain (hidden) row of the Libraries
// list and updates the row: flag, key, colour, bold and tooltip. True when the
// item was renamed.
bool hide_list_item(int row, const Context& ctx);
bool unhide_list_item(int row, const Context& ctx);

} // namespace mHide
