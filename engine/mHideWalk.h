#pragma once

#include "engine/mEncrypt.h"
#include "engine/mHide.h"

#include <QSet>

#include <optional>

// The machinery shared by the Hide and Unhide commands; not for other callers.
namespace mHide::detail {

// One command's walk over the disk, run as a long operation (the hourglass,
// the progress window, the counts, one summary at the end), with the item
// operations in the command's direction.
class Walk
{
public:
    Walk(const Context& ctx, bool hiding);
    ~Walk() { end(); }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    const Context& ctx() const { return m_ctx; }
    bool hiding() const { return m_hiding; }

    // True when the item's stored name is not yet what the walk makes it.
    bool needsChange(const QString& name) const;

    // True once the user cancelled; from then on no item is touched.
    bool stopped();

    // Hides (unhides) one file or folder and counts it; the new bare name, or
    // "" after a refusal the item operation has reported.
    QString change(const QString& path, bool folder);
    // Counts an item left alone.
    void skip();

    // The folder tree walk of hide_folder_tree / unhide_folder_tree.
    void folderTree(const QString& path);
    // The folder tree of every Library node of the Libraries tree, in node order.
    void allLibraries();

    // A Library's folder, the bin folder, or a folder that holds one of them:
    // walked into, never renamed.
    bool isProtected(const QString& folder);

    // Ends the hourglass and the progress window and tells, once, what could
    // not be done and which files were hidden by name only; the counts.
    BulkResult end();

private:
    const Context& m_ctx;
    const bool m_hiding;
    engine::LongOperation m_op;
    // What the item operations report beyond a refusal they have shown.
    engine::OperationReport m_itemFailures;
    QStringList m_nameOnly;
    mEncrypt::Context m_enc;
    std::optional<BulkResult> m_result;
    std::optional<QSet<QString>> m_protected;
};

// hide_tree_node / unhide_tree_node within a command's walk, in the walk's
// direction.
bool changeTreeNode(browse::TreeNode* node, Walk& walk);
// hide_list_item / unhide_list_item on the row of that key: the item's new
// key, or "" when it was not renamed. The row is looked up again after the
// rename, since a listing may have replaced the list while the progress
// window let events through.
QString changeListItem(const QString& key, Walk& walk);

} // namespace mHide::detail
