#pragma once

#include "mainwindow/AppState.h"
#include "mainwindow/CommandRules.h"
#include "mainwindow/Commands.h"
#include "mainwindow/WindowHost.h"

#include <QIcon>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class fAbout;
class fExplorer;
class fFind;
class fHotKeys;
class fLibraries;
class fSlideShow;
class SlideShowSorter;
namespace browse {
struct BrowsePane;
}
namespace panes {
class UiBrowserWindow;
}
namespace mainwindow {
struct DeleteContext;
}

// The main window: a multiple-document window that holds the Explorer and the
// Libraries windows, with the menus, the toolbar and the status bar from which
// every command starts. It owns the program-wide state (state()) and is the one
// way out of the program: closing it runs the shutdown.
class fMain : public QMainWindow, public mainwindow::WindowHost
{
    Q_OBJECT
public:
    explicit fMain(mainwindow::Services services, QWidget* parent = nullptr);
    ~fMain() override;

    mainwindow::AppState& state() override { return m_state; }
    // What the trees and listings need, with status panel 1 as their status line.
    browse::BrowseContext browseContext() override;

    // The start-up steps, run once by whoever shows the main window (a correct
    // login or the first password).
    void MDIForm_Load();

    // --- The host of the windows inside (WindowHost) ---
    void paneFocused(short paneCode) override;
    // Sets buttons 1 to 9 from the focused pane, its chosen node and its
    // selection, then the File, Edit and Tools menus.
    void enable_toolbar() override;
    void StatusBarClear() override;
    // A right click in a tree or listing: the item context menu, its
    // entries set for the focused pane and its selection, at the pointer.
    void show_context_menu() override;
    // Sets the context menu's entries without showing it.
    void prepare_context_menu();
    QMenu* contextMenu() const { return m_contextMenu; }
    // A new image viewer on the picture, in front of the main window.
    void open_image_viewer(const QString& path, const QString& name) override;
    // Each file in a viewer of its own (the pictures named on the command
    // line); a file that is missing or not a picture is said so in one
    // message.
    void open_pictures(const QStringList& files);
    std::uint32_t moveOrCopyItems(std::uint32_t op, const QStringList& sources,
                                  const QString& target, std::uint16_t flags) override;
    // The context menu's "&Cloakwell": the focused list's one selected item
    // in a new viewer.
    void openSelectionInViewer();
    void setStatusPanelText(int panel, const QString& text) override;
    void escapePressed() override;

    void get_preferences();
    void clear_edit_buffer();
    // Refresh: builds the focused window's tree again and lists its chosen
    // folder again.
    void refresh_all();
    QString statusPanelText(int panel) const;
    void MDIForm_Resize();

    // --- View and Window commands ---
    void menu_view_libraries_Click();
    void menu_view_explorer_Click();
    void menu_view_toolbar_Click();
    void menu_view_status_bar_Click();
    void menu_windows_tile_windows_click();

    // The open browser windows; null while closed.
    fLibraries* librariesWindow() const;
    fExplorer* explorerWindow() const;
    // The window of the pane object_focus names (the Libraries window for 1
    // and 2, the Explorer for 3 and 4) and its models; null for 0 and while
    // that window is closed. Commands act on its tree's chosen node and its
    // listing's selection.
    panes::UiBrowserWindow* focusedWindow() const;
    browse::BrowsePane* focusedPane() const override;
    QMdiSubWindow* librariesSubWindow() const { return m_librariesSub; }
    QMdiSubWindow* explorerSubWindow() const { return m_explorerSub; }
    QMdiArea* mdiArea() const { return m_mdi; }

    // --- Command routing ---
    // A command is offered (its entries can be enabled) only once it has a
    // handler; the windows that implement a command register it here.
    void setCommandHandler(mainwindow::Command command, std::function<void()> handler);
    bool hasCommandHandler(mainwindow::Command command) const;
    // Runs the command if it has a handler (and does nothing otherwise).
    void run_command(mainwindow::Command command) override;

    // The menu entry and the toolbar button of a command (null for a command
    // without a button), and a new entry for a context menu, made from the
    // command's row.
    QAction* menuEntry(mainwindow::Command command) const;
    QAction* toolbarButton(mainwindow::Command command) const;
    QAction* makeCommandEntry(mainwindow::Command command, QObject* parent);

    // Brings the File, Edit and Tools menus in line with the toolbar and the
    // focused pane; done whenever the states may have changed, so that
    // shortcut keys see the same states as an opened menu.
    void update_menu_states();

    // What the rules last made of buttons 1 to 9 and of the menu entries
    // with rules of their own, before commands without a handler are left
    // out.
    const mainwindow::ToolbarRules& toolbarRules() const { return m_toolbarRules; }
    const mainwindow::MenuRules& menuRules() const { return m_menuRules; }

    // New Library: the new-library dialog, modal.
    void menu_file_new_library_Click();
    // Open: the focused list's files, and its first selected folder entered.
    void menu_file_open_Click();
    // Hide and Unhide: the focused Libraries pane's node or selection.
    void menu_file_hide_Click();
    void menu_file_unhide_Click();
    // Rename Selection: the series rename of the Libraries list's selection.
    void menu_tools_rename_selection_Click();
    // Delete (fMainDeleteCommands.cpp): the focused pane's node or selection
    // into the bin, into the desktop's trash, or for good from the bin; on a
    // Library node the Delete Library window.
    void delete_selection();

    // --- Cut, Copy, Paste and New Folder (fMainEditCommands.cpp) ---
    // Cut (1) or Copy (2): the focused tree's folder node or the focused
    // list's selected items into the buffer; a cut dims its items in their list.
    void fill_edit_buffer(qint32 op);
    // Moves or copies the buffered items into the focused window's chosen
    // folder, then empties the buffer.
    void paste_edit_buffer();
    // A folder under the focused window's chosen node, chosen and its label
    // open for a new name; hidden inside a Library.
    void new_folder(const QString& name);

    // --- Find, Properties, Options (fMainDialogs.cpp) ---
    // The find window, not modal; opening it clears the current search.
    void menu_edit_find_Click();
    // One step of the current search in the focused window's list (F3).
    void find_next();
    // A new Properties window for the focused pane's chosen node or
    // selected item, not modal; several can be open side by side.
    void show_properties();
    // The options, modal; what it saved takes effect at once.
    void menu_tools_options_Click();

    // --- Slide show and Picture Sorter (fMainPictures.cpp) ---
    // Tools > Slide Show: refused with a message when the Libraries listing
    // holds no picture.
    void menu_tools_slide_show_Click();
    // Opens the slide show window on the Libraries listing, as the Picture
    // Sorter when a sorter is given. One exists at a time: a slide show
    // asked for again comes to the front, any other replaces the open one.
    fSlideShow* open_slide_show(std::unique_ptr<SlideShowSorter> sorter = {});
    // Tools > Picture Sorter: the slide show window sorting the Libraries
    // listing's pictures into the subfolders of its folder or the bin;
    // refused with a message when the listing holds no picture or the
    // folder has no subfolder.
    void menu_tools_picture_sorter_Click();
    fSlideShow* slideShow() const;

Q_SIGNALS:
    // The cut/copy buffer was emptied while it held items; after a cut (op 1)
    // the source list shows its items undimmed again.
    void editBufferCleared(qint32 op, qint16 source);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The toolbar is shown and hidden from the View menu only, so that its
    // check mark and toolbar1_height always agree.
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void registerFileCommands();
    void registerDialogCommands();
    void registerDeleteCommands();
    mainwindow::DeleteContext deleteContext();
    void deleteLibraryWindow();
    void registerEditCommands();
    void registerPictureCommands();
    void runHideCommand(bool hide);
    // Layout (fMainMenus.cpp).
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void rebuildWindowList();
    QAction* makeEntry(QMenu* menu, mainwindow::Command command);
    void buildContextMenu(); // fMainContextMenu.cpp

    // Commands built into the main window itself (fMain.cpp).
    void registerBuiltInCommands();
    void menu_tools_change_password_Click();
    void menu_help_online_help_Click();
    void menu_help_shortcuts_Click();
    void menu_help_about_Click();
    void menu_file_close_Click();
    void showSplash();

    // Command state and the commands on the panes (fMainCommands.cpp).
    mainwindow::PaneFacts paneFacts() const;
    void menu_edit_select_all_Click();
    void menu_edit_invert_selection_Click();

    // Browser windows (fMainWindows.cpp).
    // After a dialog or a change of the layout: the commands act on the pane
    // that has the keyboard focus now (or will have it once the main window
    // is active again), and the toolbar follows it.
    void followFocus();
    QMdiSubWindow* openBrowserWindow(bool libraries);
    void browserWindowUnloaded(bool libraries);
    void placeTiled();
    // Where the tiled windows go: the inside of the area between the
    // toolbar and the status bar, in pixels.
    QSize tileArea() const;
    bool browserWindowOpen() const { return m_librariesSub || m_explorerSub; }

    mainwindow::AppState m_state;
    std::array<std::function<void()>, mainwindow::kCommandCount> m_handlers;

    QMdiArea* m_mdi = nullptr;
    QToolBar* m_toolbar = nullptr;
    std::array<QLabel*, 2> m_statusPanels{};
    // Menu entries and toolbar buttons by command.
    std::array<QAction*, mainwindow::kCommandCount> m_menuEntries{};
    std::array<QAction*, mainwindow::kCommandCount> m_buttons{};
    std::array<QIcon, mainwindow::kCommandCount> m_toolbarImages{}; // tb_image_list
    QIcon m_blankImage;                                             // tb_blank
    QAction* m_newMenu = nullptr;                                   // menu_file_new
    QAction* m_openCloakwell = nullptr;                             // context_menu_open_cloakwell
    QMenu* m_windowMenu = nullptr;
    QList<QAction*> m_windowListActions;
    QMenu* m_contextMenu = nullptr;          // context_menu
    QAction* m_contextOpenWith = nullptr;    // context_menu_open_with
    QAction* m_contextNative = nullptr;      // context_menu_open_native
    QAction* m_contextShowPreview = nullptr; // context_menu_show_preview
    // The entries made from command rows, by command (null for the others).
    std::array<QAction*, mainwindow::kCommandCount> m_contextEntries{};
    mainwindow::ToolbarRules m_toolbarRules;
    mainwindow::MenuRules m_menuRules;

    QMdiSubWindow* m_librariesSub = nullptr;
    QMdiSubWindow* m_explorerSub = nullptr;
    QPointer<panes::UiBrowserWindow> m_justOpened; // until followFocus gives it the focus
    QPointer<fHotKeys> m_hotKeys;
    QPointer<fFind> m_find;
    QPointer<fSlideShow> m_slideShow;
    bool m_closing = false;
};
