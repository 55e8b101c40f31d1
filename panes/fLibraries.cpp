#include "panes/fLibraries.h"

#include "browse/UiPaneViews.h"
#include "browse/WinColor.h"
#include "browse/mGetFolders.h"
#include "libraries/mLibraries.h"
#include "mainwindow/AppState.h"
#include "mainwindow/UiIcons.h"
#include "mainwindow/Version.h"
#include "mainwindow/WindowHost.h"
#include "panes/PaneSettings.h"
#include "panes/UiPaneView.h"
#include "panes/UiSplitterBar.h"

#include <QFrame>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTimer>
#include <QVBoxLayout>

using namespace panes;

namespace {

const QString kBehavior = QString::fromLatin1(settings::kSectionBehavior);

} // namespace

fLibraries::fLibraries(mainwindow::WindowHost& host, QWidget* parent)
    : UiBrowserWindow(host, true, QStringLiteral("preview_timer"), parent)
{
    setObjectName(QStringLiteral("fLibraries"));
    setWindowTitle(QStringLiteral("Libraries"));
    setWindowIcon(
        mainwindow::themeIconOrDrawn({QStringLiteral("user-bookmarks"), QStringLiteral("folder")},
                                     QLatin1Char('L'), QColor(0xc4, 0x9a, 0x2c)));
    m_bar1 = makeBar(QStringLiteral("vert_bar_1"));
    m_bar2 = makeBar(QStringLiteral("vert_bar_2"));
    connect(m_bar1, &UiSplitterBar::dragged, this, &fLibraries::vert_bar_1_MouseMove);
    connect(m_bar2, &UiSplitterBar::dragged, this, &fLibraries::vert_bar_2_MouseMove);

    buildPreview();

    m_resizeTimer = new QTimer(this);
    m_resizeTimer->setObjectName(QStringLiteral("resize_timer"));
    m_resizeTimer->setSingleShot(true);
    m_resizeTimer->setInterval(50);
    connect(m_resizeTimer, &QTimer::timeout, this, &fLibraries::resize_timer_Timer);
}

void fLibraries::Form_Load()
{
    const settings::SettingsStore& store = m_host.state().store();
    m_geometry.bar1.left = read_bar(store, "vert_bar_1", kDefaultBar1);
    m_geometry.bar2.left = read_bar(store, "vert_bar_2", kDefaultBar2);
    Form_Resize();

    setUpPanes();
    mGetFolders::build_library_tree(m_ctx, m_pane.tree);
    // Show the Libraries at once rather than a lone closed "My Libraries".
    if (browse::TreeNode* root = m_pane.tree.firstRoot())
        mGetFolders::expand_node(m_ctx, m_pane.tree, root);

    const size_t count = mLibraries::read_libraries(store).size();
    if (count != 0 && settings::read_flag(store, kBehavior, QStringLiteral("remember_last_path"))) {
        // A folder that has gone since is passed over without a word.
        if (showNode(store.get_setting(kBehavior, QStringLiteral("last_path"))))
            showFreeSpace();
    }
    if (count == 0)
        askFirstRunQuestion();

    applyPreviewPreferences();
    m_host.enable_toolbar();
}

void fLibraries::askFirstRunQuestion()
{
    const platform::PromptAnswer answer = m_host.state().prompt().question(
        QStringLiteral("This appears to be the first time using ") + mainwindow::productName() +
            QStringLiteral(". Would you like to add a Library?"),
        QStringLiteral("No Libraries Found"));
    if (answer == platform::PromptAnswer::Yes)
        m_host.run_command(mainwindow::Command::NewLibrary);
}

void fLibraries::refresh()
{
    mGetFolders::build_library_tree(m_ctx, m_pane.tree);
    list_folder();
}

void fLibraries::showAddedLibrary(const QString& key)
{
    mGetFolders::build_library_tree(m_ctx, m_pane.tree);
    showNode(key);
}

void fLibraries::Form_Unload()
{
    const settings::SettingsStore& store = m_host.state().store();
    store.save_setting(kBehavior, QStringLiteral("last_path"), m_pane.tree.selectedKey());
    save_bar(store, "vert_bar_1", m_geometry.bar1.left);
    save_bar(store, "vert_bar_2", m_geometry.bar2.left);
    save_column_widths(store, browse::listColumnWidthsTwips(m_list));
}

void fLibraries::resizeEvent(QResizeEvent* event)
{
    UiBrowserWindow::resizeEvent(event);
    Form_Resize();
}

void fLibraries::Form_Resize()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()); frame && frame->isMinimized())
        return;
    layout_libraries(m_geometry, widthTwips(), heightTwips());
    place(m_tree, m_geometry.tree);
    place(m_bar1, m_geometry.bar1);
    place(m_list, m_geometry.list);
    place(m_bar2, m_geometry.bar2);
    place(m_preview, m_geometry.preview);
    restart(m_resizeTimer);
}

void fLibraries::resize_timer_Timer()
{
    m_resizeTimer->stop();
    resize_preview_image();
}

void fLibraries::vert_bar_1_MouseMove(double x)
{
    const BarLimits limits = libraries_bar1_limits(m_geometry);
    m_geometry.bar1.left = drag_bar(m_geometry.bar1.left, x, limits.lower, limits.upper);
    Form_Resize();
}

void fLibraries::vert_bar_2_MouseMove(double x)
{
    const BarLimits limits = libraries_bar2_limits(m_geometry, widthTwips());
    m_geometry.bar2.left = drag_bar(m_geometry.bar2.left, x, limits.lower, limits.upper);
    Form_Resize();
}
