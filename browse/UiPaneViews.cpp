#include "browse/UiPaneViews.h"

#include "browse/mGetFolders.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace browse {

namespace {

// A view makes a selection model of its own in setModel(); the pane's own
// one replaces it.
void shareSelection(QTreeView* view, QItemSelectionModel* selection)
{
    QItemSelectionModel* made = view->selectionModel();
    view->setSelectionModel(selection);
    if (made != selection)
        delete made;
}

void applyColumns(QTreeView* view, const ListColumns& columns)
{
    for (int k = 0; k < 4; ++k) {
        view->setColumnHidden(k, !columns.shown[size_t(k)]);
        const double twips = columns.widthTwips[size_t(k)];
        if (twips > 0)
            view->setColumnWidth(k, qRound(twips / kTwipsPerPixel));
    }
}

// Draws the listing's items, those cut and waiting for a paste faded: the
// icon faded and the text halfway to the background, so a hidden
// item keeps a hint of its colour. They stay selectable as before.
class GhostingDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!index.data(FolderListModel::GhostedRole).toBool())
            return;
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            const QColor text = option->palette.color(group, QPalette::Text);
            const QColor base = option->palette.color(group, QPalette::Base);
            option->palette.setColor(group, QPalette::Text, mix(text, base));
            const QColor chosen = option->palette.color(group, QPalette::HighlightedText);
            const QColor highlight = option->palette.color(group, QPalette::Highlight);
            option->palette.setColor(group, QPalette::HighlightedText, mix(chosen, highlight));
        }
        if (!option->icon.isNull()) {
            // Sharp on a high-density screen too: drawn at the view's pixel ratio.
            const QSize size = option->decorationSize;
            const qreal ratio = option->widget ? option->widget->devicePixelRatioF() : 1.0;
            QPixmap faded(size * ratio);
            faded.setDevicePixelRatio(ratio);
            faded.fill(Qt::transparent);
            QPainter painter(&faded);
            painter.setOpacity(0.4);
            painter.drawPixmap(QRect(QPoint(0, 0), size), option->icon.pixmap(size, ratio));
            painter.end();
            option->icon = QIcon(faded);
        }
    }

private:
    static QColor mix(const QColor& a, const QColor& b)
    {
        return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2,
                      (a.blue() + b.blue()) / 2);
    }
};

} // namespace

void showTree(QTreeView* view, FolderTreeModel& tree, const BrowseContext& ctx)
{
    view->setModel(&tree);
    shareSelection(view, tree.selectionModel());
    view->setHeaderHidden(true);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    tree.forEachNode([&](TreeNode* n) {
        if (n->expanded)
            view->setExpanded(tree.indexOf(n), true);
    });
    QObject::connect(&tree, &FolderTreeModel::expandedChanged, view,
                     [view](const QModelIndex& index, bool open) {
                         if (view->isExpanded(index) != open)
                             view->setExpanded(index, open);
                     });
    QObject::connect(view, &QTreeView::expanded, &tree, [&tree, &ctx](const QModelIndex& index) {
        mGetFolders::expand_node(ctx, tree, tree.nodeFromIndex(index));
    });
    QObject::connect(view, &QTreeView::collapsed, &tree, [&tree](const QModelIndex& index) {
        if (TreeNode* node = tree.nodeFromIndex(index))
            tree.setExpanded(node, false);
    });
}

void showList(QTreeView* view, FolderListModel& list)
{
    view->setModel(&list);
    shareSelection(view, list.selectionModel());
    view->setItemDelegate(new GhostingDelegate(view));
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->header()->setStretchLastSection(false);
    applyColumns(view, list.columns());
    QObject::connect(&list, &FolderListModel::columnsChanged, view,
                     [view, &list] { applyColumns(view, list.columns()); });
}

std::array<double, 4> listColumnWidthsTwips(const QTreeView* view)
{
    std::array<double, 4> widths{};
    for (int k = 0; k < 4; ++k)
        widths[size_t(k)] = view->columnWidth(k) * kTwipsPerPixel;
    return widths;
}

} // namespace browse
