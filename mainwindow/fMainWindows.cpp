// Arrangement of the two browser windows inside the main window: opening and
// closing them from the View menu, maximising the one left, tiling the two,
// and showing or hiding the toolbar and the status bar.
#include "mainwindow/fMain.h"

#include "mainwindow/Arrangement.h"
#include "panes/fExplorer.h"
#include "panes/fLibraries.h"

#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>

namespace {

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
    menuEntry(libraries ? mainwindow::Command::ViewLibraries : mainwindow::Command::ViewExplorer)
        ->setChecked(true);
    // Loading may ask the first-run question, whose dialog adds the Library
    // to this window: it must be known as open by then.
    window->Form_Load();
    m_justOpened = window;
    return sub;
}

void fMain::followFocus()
{
    const std::array<panes::UiBrowserWindow*, 2> windows{librariesWindow(), explorerWindow()};
    const auto paneOf = [&](const QWidget* widget) -> short {
        for (panes::UiBrowserWindow* window : windows) {
            if (window && widget == window->treeView())
                return window->treeCode();
            if (window && widget == window->listView())
                return window->listCode();
        }
        return mainwindow::kNoPane;
    };
    short pane = mainwindow::kNoPane;
    // A window just opened takes the focus, as a window does when it opens.
    if (m_justOpened) {
        m_mdi->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(m_justOpened->parentWidget()));
        m_justOpened->treeView()->setFocus();
        pane = m_justOpened->treeCode();
        m_justOpened = nullptr;
    }
    if (pane == mainwindow::kNoPane)
        pane = paneOf(QApplication::focusWidget());
    QMdiSubWindow* current = m_mdi->currentSubWindow();
    if (pane == mainwindow::kNoPane && current && current->widget())
        pane = paneOf(current->widget()->focusWidget());
    if (pane == mainwindow::kNoPane && focusedWindow())
        pane = m_state.object_focus; // the pane the user had is still there
    if (pane == mainwindow::kNoPane) {
        // Nothing in the windows has had the focus yet: the tree of the
        // window in front gets it.
        auto* window = current ? qobject_cast<panes::UiBrowserWindow*>(current->widget()) : nullptr;
        if (!window)
            window = windows[0] ? windows[0] : windows[1];
        if (window) {
            window->treeView()->setFocus();
            pane = window->treeCode();
        }
    }
    if (pane != mainwindow::kNoPane)
        m_state.object_focus = pane;
    enable_toolbar();
}

void fMain::browserWindowUnloaded(bool libraries)
{
    (libraries ? m_librariesSub : m_explorerSub) = nullptr;
    menuEntry(libraries ? mainwindow::Command::ViewLibraries : mainwindow::Command::ViewExplorer)
        ->setChecked(false);
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
        followFocus();
    }
    // The entry toggles its own check mark when chosen; the window decides.
    menuEntry(mainwindow::Command::ViewLibraries)->setChecked(m_librariesSub != nullptr);
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
        followFocus();
    }
    menuEntry(mainwindow::Command::ViewExplorer)->setChecked(m_explorerSub != nullptr);
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
    followFocus();
}

QSize fMain::tileArea() const
{
    return m_mdi->contentsRect().size();
}

void fMain::placeTiled()
{
    const QSize area = tileArea();
    m_librariesSub->setGeometry(mainwindow::upper_tile(area.width(), area.height()));
    // The lower window goes below the upper one as it really came out, which
    // may be taller than asked for when the main window is very small.
    m_explorerSub->setGeometry(mainwindow::lower_tile(m_librariesSub->geometry(), area.height()));
}

void fMain::MDIForm_Resize()
{
    if (!m_state.tiled)
        return;
    m_state.fMain_resizing = true;
    if (m_librariesSub && m_explorerSub && isNormal(m_librariesSub) && isNormal(m_explorerSub) &&
        tileArea().height() > 0)
        placeTiled();
    m_state.fMain_resizing = false;
}

void fMain::menu_view_toolbar_Click()
{
    const bool show = m_toolbar->isHidden();
    m_toolbar->setVisible(show);
    menuEntry(mainwindow::Command::ViewToolbar)->setChecked(show);
    m_state.toolbar1_height = static_cast<qint16>(show ? mainwindow::kToolbarHeight : 0);
    layout()->activate(); // the central area must have its new size before re-tiling
    MDIForm_Resize();
}

void fMain::menu_view_status_bar_Click()
{
    const bool show = statusBar()->isHidden();
    statusBar()->setVisible(show);
    menuEntry(mainwindow::Command::ViewStatusBar)->setChecked(show);
    layout()->activate();
    MDIForm_Resize();
}
