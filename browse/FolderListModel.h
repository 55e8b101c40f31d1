#pragma once

#include "browse/IconList.h"
#include "settings/Preferences.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QItemSelectionModel>
#include <QSet>

#include <array>
#include <vector>

namespace browse {

// One entry of a listing (a file or folder of the folder shown).
struct ListItem
{
    QString key;  // full path of the stored name, as on disk
    QString text; // the readable name of a hidden item in the Libraries pane, else the stored name
    bool hidden = false; // Libraries pane only: the stored name is a hidden name
    bool isFolder = false;
    QString size;          // files only: format_list_size
    QString type;          // "File Folder" or the file's type name
    QString modified;      // format_file_time of the last change
    QString iconKey;       // image key in the pane's list image list ("folder" for folders)
    QString toolTip;       // hidden items: the stored path and level
    bool hasColor = false; // colour and bold are set (Libraries pane)
    settings::WinColor color = 0;
    bool bold = false;
};

// Which of the four columns a pane list shows, and their saved widths.
struct ListColumns
{
    std::array<bool, 4> shown{true, true, true, true};
    std::array<double, 4> widthTwips{0, 0, 0, 0}; // 0: no saved width
};

// A pane's listing as a table model: Name, Size, Type, Modified. Items are
// set in one go by a listing and then changed in place by commands through
// their keys. A window shows it in a QTreeView that shares selectionModel()
// and applies columns() when columnsChanged() fires.
class FolderListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn = 0, SizeColumn, TypeColumn, ModifiedColumn, ColumnCount };
    enum Role {
        KeyRole = Qt::UserRole + 1,
        HiddenRole,
        IsFolderRole,
        GhostedRole // cut and waiting for a paste: the view shows it dimmed
    };

    explicit FolderListModel(const IconList& icons, QObject* parent = nullptr);
    ~FolderListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The key of the folder the list shows; "" when it shows nothing valid.
    const QString& tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    const std::vector<ListItem>& items() const { return m_items; }
    const ListItem& item(int row) const { return m_items[static_cast<size_t>(row)]; }
    int count() const { return static_cast<int>(m_items.size()); }
    int rowOfKey(const QString& key) const; // -1 when no item has that key

    void setItems(std::vector<ListItem> items);
    void clear();

    // --- In-place changes, for commands ---
    // Replaces an item's record; its row stays.
    void setItem(int row, ListItem item);
    void removeItem(int row);
    // Puts an item back at a row (0 to count(); beyond that it goes last).
    void insertItem(int row, ListItem item);

    // --- Cut items ---
    // Items cut and not yet pasted show dimmed. They are remembered by key, so
    // a new listing of their folder shows them dimmed still, until the cut
    // ends (a paste, Escape).
    void setGhostedKeys(const QStringList& keys);
    void clearGhosted();
    bool isGhosted(int row) const;

    // --- Columns ---
    const ListColumns& columns() const { return m_columns; }
    void setColumns(const ListColumns& columns);

    // --- Selection ---
    QItemSelectionModel* selectionModel() { return &m_selection; }
    const QItemSelectionModel* selectionModel() const { return &m_selection; }
    QStringList selectedKeys() const; // in list order
    // One flag per row, true for the selected ones; linear in rows and ranges.
    std::vector<bool> selectedRowFlags() const;
    // Selects the rows of the keys that are in the list; the others are skipped.
    void selectKeys(const QStringList& keys);

    // Each listing takes a new number; a listing that finds the number moved
    // on while it ran knows a newer one has taken the list over.
    quint64 startListing() { return ++m_listingSerial; }
    quint64 listingSerial() const { return m_listingSerial; }

Q_SIGNALS:
    void columnsChanged();

private:
    const IconList& m_icons;
    std::vector<ListItem> m_items;
    QString m_tag;
    ListColumns m_columns;
    QItemSelectionModel m_selection;
    quint64 m_listingSerial = 0;
    QSet<QString> m_ghosted;
    // Built on the first look-up by key and dropped when rows change, so a
    // listing of many thousands of items does not pay for it.
    mutable QHash<QString, int> m_rowByKey;
    mutable bool m_rowByKeyValid = false;
};

} // namespace browse
