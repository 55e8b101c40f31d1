// The handlers the two browser windows share: choosing nodes and items, the
// delay timers, keys, focus and the idle count.
#include "panes/UiBrowserWindow.h"

#include "browse/NodeKinds.h"
#include "browse/UiPaneViews.h"
#include "browse/mGetFolders.h"
#include "browse/mMisc.h"
#include "engine/mRename.h"
#include "mainwindow/AppState.h"
#include "mainwindow/UiIdleFilter.h"
#include "mainwindow/WindowHost.h"
#include "panes/SelectionTotals.h"
#include "panes/UiPaneView.h"
#include "panes/UiSplitterBar.h"
#include "pictures/PictureNames.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace panes {

namespace {

constexpr int kDelayMs = 60;     // listing after the last node chosen
constexpr int kItemDelayMs = 50; // totals after the last item chosen

// Column widths for a listing whose layout was never saved: a long name, a
// big size, a type name and a date, together as wide as the listing between
// the bars at their first places.
constexpr double kDefaultColumnTwips[4] = {2700, 1050, 2250, 1800};

QTimer* makeTimer(QObject* owner, const QString& name, int ms)
{
    auto* timer = new QTimer(owner);
    timer->setObjectName(name);
    timer->setInterval(ms);
    timer->setSingleShot(true);
    return timer;
}

} // namespace

UiBrowserWindow::UiBrowserWindow(mainwindow::WindowHost& host, bool libraries,
                                 const QString& itemTimerName, QWidget* parent)
    : QWidget(parent), m_host(host), m_ctx(host.browseContext()), m_pane(libraries)
{
    mainwindow::UiIdleFilter::install(this, m_host.state().idle);
    m_tree = new UiPaneView(UiPaneView::Tree, QStringLiteral("TreeView"), this);
    m_list = new UiPaneView(UiPaneView::List, QStringLiteral("ListView"), this);
    browse::showTree(m_tree, m_pane.tree, m_ctx);
    // A deep folder or a long drive name scrolls sideways rather than being
    // cut short.
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    browse::showList(m_list, m_pane.list);
    for (int k = 0; k < 4; ++k)
        m_list->setColumnWidth(k, qRound(kDefaultColumnTwips[k] / kTwipsPerPixel));

    m_delayTimer = makeTimer(this, QStringLiteral("delay_timer"), kDelayMs);
    m_itemTimer = makeTimer(this, itemTimerName, kItemDelayMs);
    connect(m_delayTimer, &QTimer::timeout, this, &UiBrowserWindow::delay_timer_Timer);
    connect(m_itemTimer, &QTimer::timeout, this, &UiBrowserWindow::itemTimerTick);

    connect(m_tree, &UiPaneView::userChose, this, &UiBrowserWindow::TreeView_NodeClick);
    connect(m_tree, &QTreeView::collapsed, this, &UiBrowserWindow::TreeView_Collapse);
    connect(m_list, &UiPaneView::userChose, this, &UiBrowserWindow::ListView_ItemClick);
    // Items taken out of the listing by a command (Delete, the Picture
    // Sorter's moves) may have been the selection: the buttons and the status
    // line follow as after a click.
    connect(&m_pane.list, &QAbstractItemModel::rowsRemoved, this,
            &UiBrowserWindow::ListView_ItemClick);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &UiBrowserWindow::ListView_DblClick);
    for (UiPaneView* view : {m_tree, m_list}) {
        view->keyPreview = [this](QKeyEvent* e) { return Form_KeyDown(e); };
        connect(view, &UiPaneView::rightButtonReleased, this, &UiBrowserWindow::rightButtonUp);
    }
    connect(m_tree, &UiPaneView::focusTaken, this, [this] { m_host.paneFocused(treeCode()); });
    connect(m_list, &UiPaneView::focusTaken, this, [this] { m_host.paneFocused(listCode()); });
}

UiBrowserWindow::~UiBrowserWindow()
{
    // The views go before the models they show, which are members.
    delete m_tree;
    delete m_list;
}

QTreeView* UiBrowserWindow::treeView() const
{
    return m_tree;
}

QTreeView* UiBrowserWindow::listView() const
{
    return m_list;
}

short UiBrowserWindow::treeCode() const
{
    return isLibraries() ? mainwindow::kLibrariesTree : mainwindow::kExplorerTree;
}

short UiBrowserWindow::listCode() const
{
    return isLibraries() ? mainwindow::kLibrariesList : mainwindow::kExplorerList;
}

double UiBrowserWindow::widthTwips() const
{
    return width() * kTwipsPerPixel + kFrameWidth;
}

double UiBrowserWindow::heightTwips() const
{
    return height() * kTwipsPerPixel + kFrameHeight;
}

UiSplitterBar* UiBrowserWindow::makeBar(const QString& name)
{
    auto* bar = new UiSplitterBar(name, this);
    // The bars are drawn on the window itself; moving over them is moving
    // over the window.
    mainwindow::UiIdleFilter::install(bar, m_host.state().idle);
    return bar;
}

void UiBrowserWindow::place(QWidget* control, const TwipsBox& box)
{
    // Edges rather than sizes are rounded, so neighbours meet without a gap.
    const int left = qRound(box.left / kTwipsPerPixel);
    const int top = qRound(box.top / kTwipsPerPixel);
    const int right = qRound(box.right() / kTwipsPerPixel);
    const int bottom = qRound((box.top + box.height) / kTwipsPerPixel);
    control->setGeometry(left, top, qMax(0, right - left), qMax(0, bottom - top));
}

void UiBrowserWindow::restart(QTimer* timer)
{
    timer->stop();
    timer->start();
}

void UiBrowserWindow::setUpPanes()
{
    const auto& base = m_host.state().IconImageList;
    mGetFolders::copy_icons(m_pane.treeIcons, base);
    mGetFolders::copy_icons(m_pane.listIcons, base);
    mFileInfo::set_list_columns(m_pane.list, m_host.state().store());
}

mFileInfo::ListingResult UiBrowserWindow::list_folder()
{
    const mFileInfo::ListingResult result = mFileInfo::list_folder(m_ctx, m_pane);
    if (result == mFileInfo::ListingResult::FolderMissing)
        m_tree->setFocus();
    return result;
}

void UiBrowserWindow::showFreeSpace()
{
    const double free = mMisc::folder_free_space(m_pane.tree.selectedKey());
    m_host.setStatusPanelText(2, QStringLiteral("Free Space: ") + mMisc::format_size(free, true));
}

bool UiBrowserWindow::showNode(const QString& key)
{
    browse::TreeNode* node = m_pane.tree.nodeByKey(key);
    if (!node)
        return false;
    m_pane.tree.selectNode(node);
    m_tree->scrollTo(m_pane.tree.indexOf(node)); // opens the nodes above it
    list_folder();
    return true;
}

void UiBrowserWindow::TreeView_NodeClick(const QModelIndex& index)
{
    m_host.enable_toolbar();
    m_host.StatusBarClear();
    browse::FolderTreeModel& tree = m_pane.tree;
    // The Explorer asks about the node clicked, the Libraries window about the
    // node chosen; they differ only when a node other than the chosen one is
    // closed.
    const browse::TreeNode* judged =
        isLibraries() ? tree.selectedNode() : tree.nodeFromIndex(index);
    const bool root =
        judged && !judged->parent &&
        judged->key == (isLibraries() ? browse::kinds::kMyLibraries : browse::kinds::kMyComputer);
    if (root) {
        m_delayTimer->stop();
        m_pane.list.clear();
        m_pane.list.setTag(QString());
        return;
    }
    if (m_pane.list.tag() != tree.selectedKey()) {
        m_pane.list.clear();
        m_list->repaint();
        restart(m_delayTimer);
    }
}

void UiBrowserWindow::TreeView_Collapse(const QModelIndex& index)
{
    // Closing a node above the chosen one chooses the closed node, as the
    // chosen node can no longer be seen.
    browse::FolderTreeModel& tree = m_pane.tree;
    browse::TreeNode* closed = tree.nodeFromIndex(index);
    for (const browse::TreeNode* n = tree.selectedNode(); n && closed; n = n->parent) {
        if (n->parent == closed) {
            tree.selectNode(closed);
            break;
        }
    }
    TreeView_NodeClick(index);
}

void UiBrowserWindow::delay_timer_Timer()
{
    m_delayTimer->stop();
    list_folder();
    showFreeSpace();
}

void UiBrowserWindow::ListView_ItemClick()
{
    m_host.enable_toolbar();
    restart(m_itemTimer);
}

void UiBrowserWindow::itemTimerTick()
{
    m_itemTimer->stop();
    show_selection_totals();
}

void UiBrowserWindow::show_selection_totals()
{
    if (browse::BrowsePane* focused = m_host.focusedPane())
        m_host.setStatusPanelText(1, selection_totals_text(focused->list));
}

void UiBrowserWindow::ListView_DblClick()
{
    // Ctrl + double click views a picture in the program's own viewer.
    if (QGuiApplication::keyboardModifiers() & Qt::ControlModifier) {
        const QModelIndex current = m_list->currentIndex();
        if (current.isValid() && current.row() < m_pane.list.count()) {
            const browse::ListItem& item = m_pane.list.item(current.row());
            if (!item.isFolder && pictures::is_picture_name(item.text)) {
                m_host.open_image_viewer(item.key, item.text);
                return;
            }
        }
    }
    open_selection();
}

void UiBrowserWindow::open_selection()
{
    m_host.run_command(mainwindow::Command::Open);
}

bool UiBrowserWindow::Form_KeyDown(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        open_selection();
        return true;
    case Qt::Key_Escape:
        m_host.escapePressed();
        return true;
    default:
        return false;
    }
}

void UiBrowserWindow::rightButtonUp()
{
    m_host.show_context_menu();
}

void UiBrowserWindow::startRename(bool tree)
{
    if (tree) {
        const browse::TreeNode* node = m_pane.tree.selectedNode();
        if (!node)
            return;
        // The node is found again by its key when the edit ends: a refresh
        // meanwhile may have replaced it.
        const QString key = node->key;
        m_tree->editLabel(m_pane.tree.indexOf(node), [this, key](const QString& text) {
            browse::TreeNode* n = m_pane.tree.nodeByKey(key);
            if (n && n->text != text)
                mRename::rename_node(m_ctx, m_pane, n, text);
            m_host.enable_toolbar();
        });
        return;
    }
    browse::FolderListModel& list = m_pane.list;
    QModelIndex chosen = m_list->currentIndex();
    if (!chosen.isValid() || !list.selectionModel()->isRowSelected(chosen.row())) {
        const QModelIndexList rows = list.selectionModel()->selectedRows();
        if (rows.isEmpty())
            return;
        chosen = rows.front();
    }
    const QString key = list.item(chosen.row()).key;
    m_list->editLabel(chosen, [this, key](const QString& text) {
        const int row = m_pane.list.rowOfKey(key);
        if (row >= 0 && m_pane.list.item(row).text != text) {
            if (mRename::rename_item(m_ctx, m_pane, row, text) == mRename::Outcome::FocusToList)
                m_list->setFocus();
        }
        m_host.enable_toolbar();
    });
}

void UiBrowserWindow::selectAllItems()
{
    m_list->setFocus();
    // The focus may arrive later when the window is not active; the command
    // acts on the listing all the same.
    m_host.paneFocused(listCode());
    browse::FolderListModel& list = m_pane.list;
    if (list.count() == 0)
        return;
    const QItemSelection all(
        list.index(0, 0), list.index(list.count() - 1, browse::FolderListModel::ColumnCount - 1));
    list.selectionModel()->select(all, QItemSelectionModel::ClearAndSelect);
}

void UiBrowserWindow::invertItemSelection()
{
    browse::FolderListModel& list = m_pane.list;
    if (list.count() == 0)
        return;
    const QItemSelection all(
        list.index(0, 0), list.index(list.count() - 1, browse::FolderListModel::ColumnCount - 1));
    list.selectionModel()->select(all, QItemSelectionModel::Toggle);
}

void UiBrowserWindow::closeEvent(QCloseEvent* event)
{
    m_delayTimer->stop();
    m_itemTimer->stop();
    Form_Unload();
    QWidget::closeEvent(event);
    Q_EMIT unloaded();
}

} // namespace panes
