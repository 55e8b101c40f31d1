// Arrangement of the two browser windows inside the main window: opening and
// closing them from the View menu, maximising the one left, tiling the two,
// and showing or hiding the toolbar and the status bar.
#include "mainwindow/fMain.h"

#include "mainwindow/Arrangement.h"
#include "panes/fExplorer.h"
#include "panes/fLibraries.h"

#include <QAction>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

QRect toPixels(const mainwindow::TwipsRect& r)
{
    using mainwindow::pixelsFromTwips;
    return QRect(pixelsFromTwips(r.left), pixelsFromTwips(r.top), pixelsFromTwips(r.width),
                 pixelsFromTwips(r.height));
}

bool isNormal(const QMdiSubWindow* sub)
{
    return !sub->isMaximized() && !sub->isMinimized();
}

} // namespace

fLibraries* fMain::librariesWindow() const
{
    return m_librariesSub ? qobject_cast<fLibraries*>(m_librariesSub->widget()) : nullptr;
}

fExplorer* fMain::explorerWindow() const
{
    return m_explorerSub ? qobject_cast<fExplorer*>(m_explorerSub->widget()) : nullptr;
}

QMdiSubWindow* fMain::openBrowserWindow(bool libraries)
{
    panes::UiBrowserWindow* window = nullptr;
    if (libraries)
        window = new fLibraries(*this);
    else
        window = new fExplorer(*this);
    connect(window, &panes::UiBrowserWindow::unloaded, this,
            [this, libraries] { browserWindowUnloaded(libraries); });
    QMdiSubWindow* sub = m_mdi->addSubWindow(window);
    sub->setWindowIcon(window->windowIcon());
    (libraries ? m_librariesSub : m_explorerSub) = sub;
    if (!libraries)
        sub->installEventFilter(this); // to notice the user sizing it by hand
    action(libraries ? "menu_view_libraries" : "menu_view_explorer")->setChecked(true);
    // Loading may ask the first-run question, whose dialog adds the Library
    // to this window: it must be known as open by then.
    window->Form_Load();
    return sub;
}

void fMain::browserWindowUnloaded(bool libraries)
{
    (libraries ? m_librariesSub : m_explorerSub) = nullptr;
    action(libraries ? "menu_view_libraries" : "menu_view_explorer")->setChecked(false);
    if (QMdiSubWindow* other = libraries ? m_explorerSub : m_librariesSub)
        other->showMaximized();
    enable_toolbar();
}

void fMain::menu_view_libraries_Click()
{
    setStatusPanelText(1, QString());
    if (m_librariesSub) {
        m_librariesSub->close(); // its unloading gives the space to the Explorer
    } else if (m_explorerSub) {
        menu_windows_tile_windows_click();
    } else {
        openBrowserWindow(true)->showMaximized();
        enable_toolbar();
    }
    // The entry toggles its own check mark when chosen; the window decides.
    action("menu_view_libraries")->setChecked(m_librariesSub != nullptr);
}

void fMain::menu_view_explorer_Click()
{
    setStatusPanelText(1, QString());
    if (m_explorerSub) {
        m_explorerSub->close();
    } else if (m_librariesSub) {
        menu_windows_tile_windows_click();
    } else {
        openBrowserWindow(false)->showMaximized();
        enable_toolbar();
    }
    action("menu_view_explorer")->setChecked(m_explorerSub != nullptr);
}

void fMain::menu_windows_tile_windows_click()
{
    if (!m_librariesSub)
        openBrowserWindow(true)->show();
    if (!m_explorerSub)
        openBrowserWindow(false)->show();
    m_librariesSub->showNormal();
    m_explorerSub->showNormal();
    placeTiled();
    m_state.tiled = true;
    enable_toolbar();
}

int fMain::statusBarTopTwips() const
{
    // Measured, like toolbar1_height, from the top of the toolbar area.
    const int areaTop = menuWidget() && !menuWidget()->isHidden() ? menuWidget()->height() : 0;
    const int statusTop = statusBar()->isHidden() ? height() : statusBar()->y();
    return mainwindow::twipsFromPixels(statusTop - areaTop);
}

void fMain::placeTiled()
{
    const mainwindow::TwipsRect upper =
        mainwindow::upper_tile(mainwindow::twipsFromPixels(frameGeometry().width()),
                               statusBarTopTwips(), m_state.toolbar1_height);
    m_librariesSub->setGeometry(toPixels(upper));
    // The lower window goes below the upper one as it really came out, which
    // may be taller than asked for when the main window is very small.
    const QRect placed = m_librariesSub->geometry();
    const mainwindow::TwipsRect upperAsPlaced{
        mainwindow::twipsFromPixels(placed.x()), mainwindow::twipsFromPixels(placed.y()),
        mainwindow::twipsFromPixels(placed.width()), mainwindow::twipsFromPixels(placed.height())};
    m_explorerSub->setGeometry(toPixels(mainwindow::lower_tile(upperAsPlaced)));
}

void fMain::MDIForm_Resize()
{
    if (!m_state.tiled)
        return;
    m_state.fMain_resizing = true;
    if (m_librariesSub && m_explorerSub && isNormal(m_librariesSub) && isNormal(m_explorerSub) &&
        statusBarTopTwips() > m_state.toolbar1_height)
        placeTiled();
    m_state.fMain_resizing = false;
}

void fMain::menu_view_toolbar_Click()
{
    const bool show = m_toolbar->isHidden();
    m_toolbar->setVisible(show);
    action("menu_view_toolbar")->setChecked(show);
    m_state.toolbar1_height = static_cast<qint16>(show ? mainwindow::kToolbarHeight : 0);
    layout()->activate(); // the central area must have its new size before re-tiling
    MDIForm_Resize();
}

void fMain::menu_view_status_bar_Click()
{
    const bool show = statusBar()->isHidden();
    statusBar()->setVisible(show);
    action("menu_view_status_bar")->setChecked(show);
    layout()->activate();
    MDIForm_Resize();
}
