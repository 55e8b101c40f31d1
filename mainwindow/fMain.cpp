// The main window: start-up, command routing, the commands it carries out
// itself, the idle count and the shutdown.
#include "mainwindow/fMain.h"

#include "engine/mEncryptRecords.h"
#include "libraries/mLibraries.h"
#include "mainwindow/Arrangement.h"
#include "mainwindow/CommandTable.h"
#include "mainwindow/UiIcons.h"
#include "mainwindow/UiIdleFilter.h"
#include "mainwindow/Version.h"
#include "mainwindow/fAbout.h"
#include "mainwindow/fHotKeys.h"
#include "platform/TargetRecords.h"
#include "platform/TempFolder.h"
#include "settings/fNewPassword.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

using mainwindow::Command;

fMain::fMain(mainwindow::Services services, QWidget* parent)
    : QMainWindow(parent), m_state(std::move(services))
{
    setObjectName(QStringLiteral("fMain"));
    setWindowIcon(mainwindow::programIcon());

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    // Activating a window by the Window menu must not undo the tiled layout.
    m_mdi->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    mainwindow::UiIdleFilter::install(m_mdi->viewport(), m_state.idle);
    setCentralWidget(m_mdi);
    // To bring the menus up to date before a shortcut key acts (see eventFilter).
    qApp->installEventFilter(this);

    m_state.IconImageList = browse::makeIconImageList();
    buildMenus();
    buildToolbar();
    buildStatusBar();
    registerBuiltInCommands();
    registerFileCommands();
    registerDialogCommands();
    registerDeleteCommands();
    registerEditCommands();
    registerPictureCommands();

    connect(&m_state.idle, &mainwindow::IdleCount::timedOut, this, &QWidget::close);
    enable_toolbar();
}

fMain::~fMain()
{
    // A label still open for editing ends while the windows it reports to
    // are whole.
    if (QWidget* focus = QApplication::focusWidget(); focus && isAncestorOf(focus))
        focus->clearFocus();
}

void fMain::registerBuiltInCommands()
{
    setCommandHandler(Command::Close, [this] { menu_file_close_Click(); });
    setCommandHandler(Command::NewLibrary, [this] { menu_file_new_library_Click(); });
    setCommandHandler(Command::SelectAll, [this] { menu_edit_select_all_Click(); });
    setCommandHandler(Command::InvertSelection, [this] { menu_edit_invert_selection_Click(); });
    setCommandHandler(Command::Refresh, [this] { refresh_all(); });
    setCommandHandler(Command::Exit, [this] { close(); });
    setCommandHandler(Command::ViewLibraries, [this] { menu_view_libraries_Click(); });
    setCommandHandler(Command::ViewExplorer, [this] { menu_view_explorer_Click(); });
    setCommandHandler(Command::ViewToolbar, [this] { menu_view_toolbar_Click(); });
    setCommandHandler(Command::ViewStatusBar, [this] { menu_view_status_bar_Click(); });
    setCommandHandler(Command::Tile, [this] { menu_windows_tile_windows_click(); });
    setCommandHandler(Command::ChangePassword, [this] { menu_tools_change_password_Click(); });
    setCommandHandler(Command::OnlineHelp, [this] { menu_help_online_help_Click(); });
    setCommandHandler(Command::ShortcutKeys, [this] { menu_help_shortcuts_Click(); });
    setCommandHandler(Command::About, [this] { menu_help_about_Click(); });
}

void fMain::setCommandHandler(Command command, std::function<void()> handler)
{
    m_handlers[mainwindow::commandIndex(command)] = std::move(handler);
    enable_toolbar();
}

bool fMain::hasCommandHandler(Command command) const
{
    return static_cast<bool>(m_handlers[mainwindow::commandIndex(command)]);
}

void fMain::run_command(Command command)
{
    // Copy first: a handler may replace itself or close the window.
    const auto handler = m_handlers[mainwindow::commandIndex(command)];
    if (handler)
        handler();
}

void fMain::MDIForm_Load()
{
    // A "KZ Temp" left by a crash still holds plain copies of hidden files.
    platform::removeTempFolders();
    // Hiding or unhiding cut short by a crash is finished before anything else.
    mEncrypt::recover_and_report(m_state.folders().recordFolder, m_state.prompt());
    // Copies a kill cut short left temporary items in their target folders.
    platform::sweepTargetsOfDeadOwners(mEncrypt::record_folder_of(m_state.folders()));

    m_state.store().save_setting(QLatin1String(settings::kSectionTop), QStringLiteral("version"),
                                 mainwindow::versionText());
    setWindowTitle(mainwindow::productName());
    m_openCloakwell->setText(QLatin1Char('&') + mainwindow::productName());

    for (Command command : mainwindow::toolbar_commands())
        toolbarButton(command)->setIcon(m_toolbarImages[mainwindow::commandIndex(command)]);
    // Paste shows its image only while there is something to paste.
    toolbarButton(Command::Paste)->setIcon(m_blankImage);

    get_preferences();

    m_state.toolbar1_height = mainwindow::kToolbarHeight;
    showMaximized();
    showSplash();

    const QString behavior = QLatin1String(settings::kSectionBehavior);
    if (settings::read_flag(m_state.store(), behavior, QStringLiteral("load_explorer")))
        menu_view_explorer_Click();
    if (settings::read_flag(m_state.store(), behavior, QStringLiteral("load_libraries")))
        menu_view_libraries_Click();
}

browse::BrowseContext fMain::browseContext()
{
    return m_state.browseContext([this](const QString& text) { setStatusPanelText(1, text); });
}

void fMain::get_preferences()
{
    m_state.prefs = settings::load_preferences(m_state.store());
}

void fMain::paneFocused(short paneCode)
{
    m_state.object_focus = paneCode;
    enable_toolbar();
}

void fMain::escapePressed()
{
    if (m_state.edit_buffer_size >= 1)
        clear_edit_buffer();
    else if (m_state.prefs.escape_exit)
        close();
}

void fMain::clear_edit_buffer()
{
    if (!m_state.empty_edit_buffer())
        return;
    QAction* paste = toolbarButton(Command::Paste);
    paste->setEnabled(false);
    paste->setIcon(m_blankImage);
    menuEntry(Command::Paste)->setEnabled(false);
    Q_EMIT editBufferCleared(m_state.edit_file_op, m_state.edit_buffer_source);
}

void fMain::menu_file_close_Click()
{
    // currentSubWindow, not activeSubWindow: the menu may be used while
    // another program has the focus.
    if (QMdiSubWindow* sub = m_mdi->currentSubWindow())
        sub->close();
}

void fMain::menu_tools_change_password_Click()
{
    QPointer<fNewPassword> dialog = new fNewPassword(m_state.store(), m_state.prompt(), this);
    dialog->exec();
    delete dialog;
}

void fMain::menu_help_online_help_Click()
{
    mainwindow::open_web_address(m_state.opener(), m_state.prompt(),
                                 mainwindow::webSiteAddress() + QStringLiteral("help"));
}

void fMain::menu_help_shortcuts_Click()
{
    if (!m_hotKeys) {
        m_hotKeys = new fHotKeys(this);
        m_hotKeys->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_hotKeys->show();
    m_hotKeys->raise();
    m_hotKeys->activateWindow();
}

void fMain::menu_help_about_Click()
{
    QPointer<fAbout> box = new fAbout(m_state, this);
    box->exec();
    delete box;
}

void fMain::showSplash()
{
    auto* splash = new fAbout(m_state, this);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
}

void fMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    MDIForm_Resize();
}

bool fMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // A shortcut key is about to be matched against the menu entries,
        // which must then be what an opened menu would show. Select All and
        // Find follow the listing, which changes without a toolbar update.
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == this)
            update_menu_states();
        return false;
    }
    if (event->type() == QEvent::Resize && watched == m_explorerSub) {
        // The user has sized the Explorer by hand: stop keeping the tiled layout.
        if (!m_explorerSub->isMinimized() && !m_state.fMain_resizing)
            m_state.tiled = false;
    }
    return QMainWindow::eventFilter(watched, event);
}

void fMain::closeEvent(QCloseEvent* event)
{
    // The exit warning is modal; a second request (the idle timer, say) while
    // it waits for an answer belongs to the first.
    if (m_closing) {
        event->ignore();
        return;
    }
    m_closing = true;
    const auto done = [this, event](bool accepted) {
        m_closing = false;
        event->setAccepted(accepted);
    };

    // The browser windows save their layouts as they close.
    m_mdi->closeAllSubWindows();
    if (browserWindowOpen()) {
        done(false);
        return;
    }

    const QString behavior = QLatin1String(settings::kSectionBehavior);
    if (settings::read_flag(m_state.store(), behavior, QStringLiteral("warn_on_exit"))) {
        const QString name =
            mLibraries::find_unhidden_library(m_state.store(), m_state.folders().binFolder);
        if (!name.isEmpty()) {
            const auto answer = m_state.prompt().question(
                QStringLiteral("You have unhidden files or folders in '") + name +
                    QStringLiteral("'. Are you sure you want to exit?"),
                QStringLiteral("Unhidden Files Detected"), platform::PromptButtons::YesNo);
            if (answer != platform::PromptAnswer::Yes) {
                done(false);
                menu_view_libraries_Click();
                return;
            }
        }
    }

    if (!platform::removeTempFolders()) {
        m_state.prompt().message(
            mainwindow::productName() +
                QStringLiteral(" could not delete the temporary folder. Some files may still be "
                               "in use."),
            mainwindow::productName());
    }

    done(true);
    if (m_state.services.end_process)
        m_state.services.end_process(0);
}
