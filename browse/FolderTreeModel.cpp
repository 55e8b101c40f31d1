#include "browse/FolderTreeModel.h"

#include "browse/WinColor.h"
#include "platform/Icons.h"

#include <QBrush>
#include <QFont>

#include <algorithm>

namespace browse {

namespace {

// While rows go (or a node is let go on purpose), the selection may end.
struct LetGo
{
    explicit LetGo(int& count) : m_count(count) { ++m_count; }
    ~LetGo() { --m_count; }
    LetGo(const LetGo&) = delete;
    LetGo& operator=(const LetGo&) = delete;
    int& m_count;
};

} // namespace

FolderTreeModel::FolderTreeModel(bool libraries, const IconList& icons, QObject* parent)
    : QAbstractItemModel(parent), m_libraries(libraries), m_icons(icons), m_selection(this)
{
    connect(&m_selection, &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList chosen = m_selection.selectedIndexes();
        if (chosen.isEmpty() && m_selected.isValid() && m_letGo == 0) {
            // A click on empty space, or Ctrl with a click on the selected
            // node, would leave the tree without a selection while the list
            // still shows that node's folder. A tree keeps its node once it
            // has one; only selectNode(nullptr) and taking the node away
            // end that.
            const QPersistentModelIndex keep = m_selected;
            const LetGo letGo(m_letGo);
            m_selection.setCurrentIndex(keep, QItemSelectionModel::ClearAndSelect);
            return;
        }
        m_selected =
            chosen.isEmpty() ? QPersistentModelIndex() : QPersistentModelIndex(chosen.first());
    });
}

FolderTreeModel::~FolderTreeModel() = default;

bool FolderTreeModel::textLess(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    const auto& list = parent.isValid() ? nodeFromIndex(parent)->children : m_roots;
    if (row >= static_cast<int>(list.size()))
        return {};
    return createIndex(row, 0, list[static_cast<size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const
{
    const TreeNode* node = nodeFromIndex(child);
    if (!node || !node->parent)
        return {};
    return createIndex(node->parent->row, 0, node->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return static_cast<int>(m_roots.size());
    if (parent.column() != 0)
        return 0;
    return static_cast<int>(nodeFromIndex(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const
{
    const TreeNode* node = nodeFromIndex(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node->text;
    case Qt::DecorationRole: {
        QIcon icon = m_icons.icon(node->image);
        if (icon.isNull()) {
            static const QIcon fallback = platform::drawnIcon(platform::DrawnIcon::Folder);
            icon = fallback;
        }
        const QIcon selected = node->selectedImage.isEmpty() || node->selectedImage == node->image
                                   ? QIcon()
                                   : m_icons.icon(node->selectedImage);
        return selected.isNull() ? icon : platform::iconWithSelected(icon, selected);
    }
    case Qt::ForegroundRole:
        if (node->hasColor)
            return QBrush(toQColor(node->color));
        return {};
    case Qt::FontRole:
        if (node->hasColor && node->bold) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case KeyRole:
        return node->key;
    case ImageRole:
        return node->image;
    case FlagRole:
        return node->flag;
    default:
        return {};
    }
}

TreeNode* FolderTreeModel::nodeFromIndex(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<TreeNode*>(index.internalPointer());
}

QModelIndex FolderTreeModel::indexOf(const TreeNode* node) const
{
    if (!node)
        return {};
    return createIndex(node->row, 0, const_cast<TreeNode*>(node));
}

TreeNode* FolderTreeModel::nodeByKey(const QString& key) const
{
    // Equal keys come newest first; the last is the one added first.
    TreeNode* found = nullptr;
    for (auto it = m_index.constFind(key); it != m_index.cend() && it.key() == key; ++it)
        found = it.value();
    return found;
}

void FolderTreeModel::forEachNode(const std::function<void(TreeNode*)>& visit) const
{
    std::vector<TreeNode*> stack;
    for (auto it = m_roots.rbegin(); it != m_roots.rend(); ++it)
        stack.push_back(it->get());
    while (!stack.empty()) {
        TreeNode* node = stack.back();
        stack.pop_back();
        visit(node);
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            stack.push_back(it->get());
    }
}

std::vector<std::unique_ptr<TreeNode>>& FolderTreeModel::childrenOf(TreeNode* parent)
{
    return parent ? parent->children : m_roots;
}

std::vector<std::unique_ptr<TreeNode>>& FolderTreeModel::siblingsOf(TreeNode* node)
{
    return childrenOf(node->parent);
}

void FolderTreeModel::adoptSubtree(TreeNode* node)
{
    m_index.insert(node->key, node);
    if (node->sorted)
        sortByText(node->children);
    for (size_t i = 0; i < node->children.size(); ++i) {
        TreeNode* child = node->children[i].get();
        child->parent = node;
        child->row = static_cast<int>(i);
        adoptSubtree(child);
    }
}

void FolderTreeModel::unindexSubtree(TreeNode* node)
{
    m_index.remove(node->key, node);
    for (auto& child : node->children)
        unindexSubtree(child.get());
}

void FolderTreeModel::sortByText(std::vector<std::unique_ptr<TreeNode>>& nodes)
{
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const auto& a, const auto& b) { return textLess(a->text, b->text); });
}

void FolderTreeModel::renumber(std::vector<std::unique_ptr<TreeNode>>& nodes, size_t from)
{
    for (size_t i = from; i < nodes.size(); ++i)
        nodes[i]->row = static_cast<int>(i);
}

TreeNode* FolderTreeModel::addNode(TreeNode* parent, std::unique_ptr<TreeNode> node)
{
    auto& list = childrenOf(parent);
    auto pos = list.end();
    if (parent && parent->sorted)
        pos =
            std::upper_bound(list.begin(), list.end(), node->text,
                             [](const QString& t, const auto& n) { return textLess(t, n->text); });
    const int row = static_cast<int>(pos - list.begin());
    TreeNode* raw = node.get();
    raw->parent = parent;
    beginInsertRows(indexOf(parent), row, row);
    list.insert(pos, std::move(node));
    renumber(list, static_cast<size_t>(row));
    adoptSubtree(raw);
    endInsertRows();
    return raw;
}

void FolderTreeModel::setChildren(TreeNode* parent, std::vector<std::unique_ptr<TreeNode>> children)
{
    removeChildren(parent);
    if (children.empty())
        return;
    if (parent && parent->sorted)
        sortByText(children);
    for (auto& child : children)
        child->parent = parent;
    renumber(children);
    auto& list = childrenOf(parent); // empty now
    beginInsertRows(indexOf(parent), 0, static_cast<int>(children.size()) - 1);
    list = std::move(children);
    for (auto& child : list)
        adoptSubtree(child.get());
    endInsertRows();
}

void FolderTreeModel::removeChildren(TreeNode* node)
{
    auto& list = childrenOf(node);
    if (list.empty())
        return;
    const LetGo letGo(m_letGo);
    beginRemoveRows(indexOf(node), 0, static_cast<int>(list.size()) - 1);
    for (auto& child : list)
        unindexSubtree(child.get());
    list.clear();
    endRemoveRows();
}

void FolderTreeModel::removeNode(TreeNode* node)
{
    auto& list = siblingsOf(node);
    const int row = node->row;
    const LetGo letGo(m_letGo);
    beginRemoveRows(indexOf(node->parent), row, row);
    unindexSubtree(node);
    list.erase(list.begin() + row);
    renumber(list, static_cast<size_t>(row));
    endRemoveRows();
}

void FolderTreeModel::clear()
{
    const LetGo letGo(m_letGo);
    beginResetModel();
    m_roots.clear();
    m_index.clear();
    endResetModel();
}

void FolderTreeModel::announce(TreeNode* node, int role)
{
    const QModelIndex i = indexOf(node);
    Q_EMIT dataChanged(i, i, {role});
}

void FolderTreeModel::setNodeKey(TreeNode* node, const QString& key)
{
    m_index.remove(node->key, node);
    node->key = key;
    m_index.insert(key, node);
    announce(node, KeyRole);
}

void FolderTreeModel::setNodeText(TreeNode* node, const QString& text)
{
    node->text = text;
    if (node->parent && node->parent->sorted) {
        auto& list = siblingsOf(node);
        const int from = node->row;
        // The place among the other siblings, as if this one were not there.
        int to = 0;
        for (const auto& other : list)
            if (other.get() != node && !textLess(text, other->text))
                ++to;
        if (to != from) {
            const QModelIndex parentIndex = indexOf(node->parent);
            // Qt names the destination as a row of the list before the move.
            const LetGo letGo(m_letGo);
            beginMoveRows(parentIndex, from, from, parentIndex, to > from ? to + 1 : to);
            auto moving = std::move(list[static_cast<size_t>(from)]);
            list.erase(list.begin() + from);
            list.insert(list.begin() + to, std::move(moving));
            renumber(list, static_cast<size_t>(std::min(from, to)));
            endMoveRows();
        }
    }
    announce(node, Qt::DisplayRole);
}

void FolderTreeModel::setNodeFlag(TreeNode* node, bool flag)
{
    node->flag = flag;
    announce(node, FlagRole);
}

void FolderTreeModel::setNodeAppearance(TreeNode* node, settings::WinColor color, bool bold)
{
    node->hasColor = true;
    node->color = color;
    node->bold = bold;
    const QModelIndex i = indexOf(node);
    Q_EMIT dataChanged(i, i, {Qt::ForegroundRole, Qt::FontRole});
}

void FolderTreeModel::setNodeSelectedImage(TreeNode* node, const QString& image)
{
    node->selectedImage = image;
    announce(node, Qt::DecorationRole);
}

void FolderTreeModel::setExpanded(TreeNode* node, bool expanded)
{
    if (node->expanded == expanded && !expanded)
        return;
    node->expanded = expanded;
    Q_EMIT expandedChanged(indexOf(node), expanded);
}

TreeNode* FolderTreeModel::selectedNode() const
{
    return m_selected.isValid() ? static_cast<TreeNode*>(m_selected.internalPointer()) : nullptr;
}

QString FolderTreeModel::selectedKey() const
{
    const TreeNode* node = selectedNode();
    return node ? node->key : QString();
}

void FolderTreeModel::selectNode(TreeNode* node)
{
    if (!node) {
        const LetGo letGo(m_letGo);
        m_selection.clear();
        return;
    }
    m_selection.setCurrentIndex(indexOf(node), QItemSelectionModel::ClearAndSelect);
}

} // namespace browse
