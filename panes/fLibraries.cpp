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

    m_preview = new QFrame(this);
    m_preview->setObjectName(QStringLiteral("preview_box"));
    m_preview->setAutoFillBackground(true);
    // Until a picture shows, a quiet word says what the pane is for, so that
    // it does not look like a window that failed to draw.
    m_previewHint = new QLabel(QStringLiteral("Select a picture to preview it"), m_preview);
    m_previewHint->setObjectName(QStringLiteral("preview_hint"));
    m_previewHint->setAlignment(Qt::AlignCenter);
    m_previewHint->setWordWrap(true);
    auto* previewLayout = new QVBoxLayout(m_preview);
    previewLayout->addWidget(m_previewHint);

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

    apply_preview_colour();
    m_host.enable_toolbar();
}

void fLibraries::apply_preview_colour()
{
    const QColor back = browse::toQColor(m_host.state().prefs.color_3);
    QPalette background = m_preview->palette();
    background.setColor(QPalette::Window, back);
    m_preview->setPalette(background);
    // A grey some way off the background: readable on any colour, but not
    // calling out.
    const int grey = back.lightness() < 128 ? back.lightness() + 110 : back.lightness() - 110;
    QPalette hint = m_previewHint->palette();
    hint.setColor(QPalette::WindowText, QColor(grey, grey, grey));
    m_previewHint->setPalette(hint);
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
    // The preview's picture is fitted to the pane again here once the
    // preview shows pictures.
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
