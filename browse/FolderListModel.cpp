#include "browse/FolderListModel.h"

#include "browse/WinColor.h"
#include "platform/Icons.h"

#include <QBrush>
#include <QFont>

#include <algorithm>

namespace browse {

FolderListModel::FolderListModel(const IconList& icons, QObject* parent)
    : QAbstractTableModel(parent), m_icons(icons), m_selection(this)
{
}

FolderListModel::~FolderListModel() = default;

int FolderListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int FolderListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const ListItem& it = item(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case NameColumn:
            return it.text;
        case SizeColumn:
            return it.size;
        case TypeColumn:
            return it.type;
        case ModifiedColumn:
            return it.modified;
        }
        return {};
    case Qt::DecorationRole: {
        if (index.column() != NameColumn)
            return {};
        QIcon icon = m_icons.icon(it.iconKey);
        if (icon.isNull())
            icon = m_icons.icon(it.isFolder ? images::folder : images::unknownFile);
        if (icon.isNull()) {
            static const QIcon fallback = platform::drawnIcon(platform::DrawnIcon::File);
            icon = fallback;
        }
        return icon;
    }
    case Qt::ToolTipRole:
        if (it.toolTip.isEmpty())
            return {};
        return it.toolTip;
    case Qt::ForegroundRole:
        if (it.hasColor)
            return QBrush(toQColor(it.color));
        return {};
    case Qt::FontRole:
        if (it.hasColor && it.bold) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case KeyRole:
        return it.key;
    case HiddenRole:
        return it.hidden;
    case IsFolderRole:
        return it.isFolder;
    case GhostedRole:
        return m_ghosted.contains(it.key);
    default:
        return {};
    }
}

QVariant FolderListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole && section == SizeColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return QStringLiteral("Name");
    case SizeColumn:
        return QStringLiteral("Size");
    case TypeColumn:
        return QStringLiteral("Type");
    case ModifiedColumn:
        return QStringLiteral("Modified");
    }
    return {};
}

int FolderListModel::rowOfKey(const QString& key) const
{
    if (!m_rowByKeyValid) {
        m_rowByKey.clear();
        m_rowByKey.reserve(count());
        for (int row = 0; row < count(); ++row)
            m_rowByKey.insert(item(row).key, row);
        m_rowByKeyValid = true;
    }
    return m_rowByKey.value(key, -1);
}

void FolderListModel::setItems(std::vector<ListItem> items)
{
    beginResetModel();
    m_items = std::move(items);
    m_rowByKeyValid = false;
    m_rowByKey.clear();
    endResetModel();
}

void FolderListModel::clear()
{
    if (m_items.empty())
        return;
    setItems({});
}

void FolderListModel::setItem(int row, ListItem newItem)
{
    ListItem& it = m_items[static_cast<size_t>(row)];
    if (m_rowByKeyValid && newItem.key != it.key) {
        m_rowByKey.remove(it.key);
        m_rowByKey.insert(newItem.key, row);
    }
    it = std::move(newItem);
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void FolderListModel::removeItem(int row)
{
    beginRemoveRows({}, row, row);
    m_items.erase(m_items.begin() + row);
    m_rowByKeyValid = false;
    m_rowByKey.clear();
    endRemoveRows();
}

void FolderListModel::setGhostedKeys(const QStringList& keys)
{
    m_ghosted = QSet<QString>(keys.begin(), keys.end());
    if (count() > 0)
        Q_EMIT dataChanged(index(0, 0), index(count() - 1, ColumnCount - 1), {GhostedRole});
}

void FolderListModel::clearGhosted()
{
    if (m_ghosted.isEmpty())
        return;
    setGhostedKeys({});
}

bool FolderListModel::isGhosted(int row) const
{
    return row >= 0 && row < count() && m_ghosted.contains(item(row).key);
}

void FolderListModel::insertItem(int row, ListItem newItem)
{
    row = std::clamp(row, 0, count());
    beginInsertRows({}, row, row);
    m_items.insert(m_items.begin() + row, std::move(newItem));
    m_rowByKeyValid = false;
    m_rowByKey.clear();
    endInsertRows();
}

void FolderListModel::setColumns(const ListColumns& columns)
{
    m_columns = columns;
    Q_EMIT columnsChanged();
}

std::vector<bool> FolderListModel::selectedRowFlags() const
{
    // Straight from the ranges: asking the selection model row by row costs
    // one pass over every range for each row.
    const int rows = count();
    std::vector<bool> chosen(static_cast<size_t>(rows), false);
    for (const QItemSelectionRange& range : m_selection.selection())
        for (int row = std::max(range.top(), 0); row <= range.bottom() && row < rows; ++row)
            chosen[static_cast<size_t>(row)] = true;
    return chosen;
}

QStringList FolderListModel::selectedKeys() const
{
    const std::vector<bool> chosen = selectedRowFlags();
    QStringList keys;
    for (size_t row = 0; row < chosen.size(); ++row)
        if (chosen[row])
            keys.append(m_items[row].key);
    return keys;
}

void FolderListModel::selectKeys(const QStringList& keys)
{
    std::vector<bool> chosen(static_cast<size_t>(count()), false);
    for (const QString& key : keys) {
        const int row = rowOfKey(key);
        if (row >= 0)
            chosen[static_cast<size_t>(row)] = true;
    }
    // One range per run of neighbouring rows: a re-listed Select All stays
    // one range, and every later selection query stays linear.
    QItemSelection selection;
    int first = -1;
    for (int row = 0; row < count(); ++row) {
        if (!chosen[static_cast<size_t>(row)])
            continue;
        int last = row;
        while (last + 1 < count() && chosen[static_cast<size_t>(last + 1)])
            ++last;
        selection.append(QItemSelectionRange(index(row, 0), index(last, ColumnCount - 1)));
        if (first < 0)
            first = row;
        row = last;
    }
    m_selection.clearSelection();
    if (first < 0)
        return;
    m_selection.select(selection, QItemSelectionModel::Select);
    m_selection.setCurrentIndex(index(first, 0), QItemSelectionModel::NoUpdate);
}

} // namespace browse
