#include "panes/fExplorer.h"

#include "browse/mGetFolders.h"
#include "browse/mSpecialFolders.h"
#include "mainwindow/AppState.h"
#include "mainwindow/UiIcons.h"
#include "mainwindow/WindowHost.h"
#include "panes/PaneSettings.h"
#include "panes/UiPaneView.h"
#include "panes/UiSplitterBar.h"

#include <QMdiSubWindow>

using namespace panes;

fExplorer::fExplorer(mainwindow::WindowHost& host, QWidget* parent)
    : UiBrowserWindow(host, false, QStringLiteral("statusbar_delay_timer"), parent)
{
    setObjectName(QStringLiteral("fExplorer"));
    setWindowTitle(QStringLiteral("Explorer"));
    setWindowIcon(
        mainwindow::themeIconOrDrawn({QStringLiteral("computer"), QStringLiteral("drive-harddisk")},
                                     QLatin1Char('E'), QColor(0x3a, 0x6e, 0xa5)));
    m_bar = makeBar(QStringLiteral("vert_bar_3"));
    connect(m_bar, &UiSplitterBar::dragged, this, &fExplorer::vert_bar_3_MouseMove);
}

void fExplorer::Form_Load()
{
    const mainwindow::Services& services = m_host.state().services;
    m_desktopPath = services.special_folder(mSpecialFolders::CSIDL_DESKTOP);
    m_documentsPath = services.special_folder(mSpecialFolders::CSIDL_PERSONAL);
    setUpPanes();
    initialize_TreeView();
    list_folder(); // "My Computer" is chosen: nothing to list yet
    if (browse::TreeNode* root = m_pane.tree.firstRoot())
        mGetFolders::expand_node(m_ctx, m_pane.tree, root);
    m_pane.list.setTag(QString());
    m_geometry.bar.left = read_bar(m_host.state().store(), "vert_bar_3", kDefaultBar1);
    Form_Resize();
}

void fExplorer::initialize_TreeView()
{
    mGetFolders::initialize_TreeView(m_ctx, m_pane.tree, m_desktopPath, m_documentsPath,
                                     m_host.state().services.drives());
}

void fExplorer::refresh()
{
    initialize_TreeView();
    list_folder();
}

void fExplorer::Form_Unload()
{
    save_bar(m_host.state().store(), "vert_bar_3", m_geometry.bar.left);
}

void fExplorer::resizeEvent(QResizeEvent* event)
{
    UiBrowserWindow::resizeEvent(event);
    Form_Resize();
}

void fExplorer::Form_Resize()
{
    // The main window notices a hand-made resize of this window itself (it
    // watches the frame), so only the controls are laid out here.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()); frame && frame->isMinimized())
        return;
    layout_explorer(m_geometry, widthTwips(), heightTwips());
    place(m_tree, m_geometry.tree);
    place(m_bar, m_geometry.bar);
    place(m_list, m_geometry.list);
}

void fExplorer::vert_bar_3_MouseMove(double x)
{
    const BarLimits limits = explorer_bar_limits(widthTwips());
    m_geometry.bar.left = drag_bar(m_geometry.bar.left, x, limits.lower, limits.upper);
    Form_Resize();
}
