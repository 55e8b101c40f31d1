#pragma once

#include "browse/IconList.h"
#include "browse/TreeNode.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QMultiHash>
#include <QPersistentModelIndex>

#include <functional>

namespace browse {

// A folder tree (the Libraries tree or the Explorer tree) as an item model
// over plain node records, with a key-to-node index, the expanded state of
// every node and its own selection model. A window shows it in a QTreeView
// that shares selectionModel() and follows expandedChanged(); everything else
// (filling, refreshing, commands) works on the model alone, so it runs
// headless in tests.
class FolderTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role { KeyRole = Qt::UserRole + 1, ImageRole, FlagRole };

    FolderTreeModel(bool libraries, const IconList& icons, QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // True for the Libraries tree, false for the Explorer tree.
    bool isLibraries() const { return m_libraries; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // --- Nodes ---
    bool isEmpty() const { return m_roots.empty(); }
    TreeNode* firstRoot() const { return m_roots.empty() ? nullptr : m_roots.front().get(); }
    TreeNode* nodeFromIndex(const QModelIndex& index) const;
    QModelIndex indexOf(const TreeNode* node) const;
    // The node with that key, compared exactly; nullptr when there is none.
    // The Explorer tree can show one folder in two places (under the Desktop
    // node and under the drive that holds it); then the one added first.
    TreeNode* nodeByKey(const QString& key) const;
    // Every node, parents before their children, roots in order.
    void forEachNode(const std::function<void(TreeNode*)>& visit) const;
    int nodeCount() const { return static_cast<int>(m_index.size()); }

    // --- Structure ---
    // Adds a node under parent (nullptr: a root), at the end, or in text order
    // when the parent's children are sorted. Returns the node.
    TreeNode* addNode(TreeNode* parent, std::unique_ptr<TreeNode> node);
    // Replaces the children of a node at once by a ready-made list (each child
    // may carry its own subtree); they are put in text order when the node's
    // children are sorted.
    void setChildren(TreeNode* parent, std::vector<std::unique_ptr<TreeNode>> children);
    void removeChildren(TreeNode* node);
    void removeNode(TreeNode* node);
    void clear();

    // --- In-place changes, for commands that rename, hide or unhide ---
    void setNodeKey(TreeNode* node, const QString& key);
    // Moves the node to its place in text order when its siblings are sorted.
    void setNodeText(TreeNode* node, const QString& text);
    void setNodeFlag(TreeNode* node, bool flag);
    void setNodeAppearance(TreeNode* node, settings::WinColor color, bool bold);
    void setNodeSelectedImage(TreeNode* node, const QString& image);

    // --- Expansion ---
    // Records whether a node is open; a view follows expandedChanged().
    // Opening an open node announces it again, so a view that lost the state
    // while the node's children were replaced shows it open.
    void setExpanded(TreeNode* node, bool expanded);

    // --- Selection ---
    QItemSelectionModel* selectionModel() { return &m_selection; }
    const QItemSelectionModel* selectionModel() const { return &m_selection; }
    TreeNode* selectedNode() const;
    QString selectedKey() const;     // "" when nothing is selected
    void selectNode(TreeNode* node); // nullptr clears the selection

    // The tree control's text order: case-insensitive, exact text breaking ties.
    static bool textLess(const QString& a, const QString& b);

Q_SIGNALS:
    void expandedChanged(const QModelIndex& index, bool expanded);

private:
    std::vector<std::unique_ptr<TreeNode>>& siblingsOf(TreeNode* node);
    std::vector<std::unique_ptr<TreeNode>>& childrenOf(TreeNode* parent);
    // Indexes a subtree handed in from outside and puts its parent links,
    // rows and sorted children in order.
    void adoptSubtree(TreeNode* node);
    void unindexSubtree(TreeNode* node);
    static void sortByText(std::vector<std::unique_ptr<TreeNode>>& nodes);
    static void renumber(std::vector<std::unique_ptr<TreeNode>>& nodes, size_t from = 0);
    void announce(TreeNode* node, int role);

    bool m_libraries;
    const IconList& m_icons;
    std::vector<std::unique_ptr<TreeNode>> m_roots;
    QMultiHash<QString, TreeNode*> m_index;
    QItemSelectionModel m_selection;
    QPersistentModelIndex m_selected;
    int m_letGo = 0; // > 0: the selection may end (rows going, selectNode(nullptr))
};

} // namespace browse
