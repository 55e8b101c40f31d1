#pragma once

#include "browse/WaitCursor.h"
#include "engine/mEncrypt.h"
#include "engine/mHide.h"

#include <QSet>

#include <optional>

// The machinery shared by the Hide and Unhide commands; not for other callers.
namespace mHide::detail {

// One command's walk over the disk: the hourglass, the progress window, the
// counts, and the item operations in the command's direction. The hourglass
// goes away while a refusal is shown and for good at end(), before the panes
// are refreshed, so no message ever shows under it.
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

    // Ends the hourglass and the progress window; the counts so far.
    BulkResult end();

    // The summary of what could not be done, once, at the end of a command.
    static void tellSummary(const BulkResult& result, bool hiding, platform::PromptService& prompt);

private:
    // The command's prompts, with the hourglass lifted while one is up.
    class LiftingPrompt : public platform::PromptService
    {
    public:
        explicit LiftingPrompt(Walk& walk) : m_walk(walk) {}
        platform::PromptAnswer ask(const platform::PromptRequest& request) override;

    private:
        Walk& m_walk;
    };

    void counted();

    const Context& m_ctx;
    const bool m_hiding;
    bool m_active = true;
    std::optional<browse::WaitCursor> m_cursor;
    LiftingPrompt m_prompt;
    engine::OperationReport m_report;
    QStringList m_nameOnly;
    mEncrypt::Context m_enc;
    BulkResult m_result;
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
