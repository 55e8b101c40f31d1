// Which commands are available, and the commands that work on the browser
// panes themselves: Refresh, Select All, Invert Selection, New Library.
#include "mainwindow/fMain.h"

#include "libraries/fAddLibrary.h"
#include "panes/SelectionTotals.h"
#include "panes/fExplorer.h"
#include "panes/fLibraries.h"

#include <QAction>
#include <QPointer>

using mainwindow::Command;

panes::UiBrowserWindow* fMain::focusedWindow() const
{
    switch (m_state.object_focus) {
    case mainwindow::kLibrariesTree:
    case mainwindow::kLibrariesList:
        return librariesWindow();
    case mainwindow::kExplorerTree:
    case mainwindow::kExplorerList:
        return explorerWindow();
    default:
        return nullptr;
    }
}

browse::BrowsePane* fMain::focusedPane() const
{
    panes::UiBrowserWindow* window = focusedWindow();
    return window ? &window->pane() : nullptr;
}

mainwindow::PaneFacts fMain::paneFacts() const
{
    mainwindow::PaneFacts f;
    // A pane whose window is closed offers nothing; the window is not
    // opened again to ask it.
    if (panes::UiBrowserWindow* window = focusedWindow()) {
        f.pane = m_state.object_focus;
        browse::BrowsePane& pane = window->pane();
        if (const browse::TreeNode* node = pane.tree.selectedNode())
            f.kind = node->image;
        f.listItems = pane.list.count();
        if (f.pane == window->listCode()) {
            panes::for_each_selected_row(pane.list, [&](int row) {
                ++f.selected;
                (pane.list.item(row).hidden ? f.selectedHidden : f.selectedPlain) = true;
            });
        }
    }
    f.buffered = m_state.edit_buffer_size > 0;
    f.browserOpen = browserWindowOpen();
    f.librariesOpen = m_librariesSub != nullptr;
    f.searchText = !m_state.strA.isEmpty();
    return f;
}

void fMain::enable_toolbar()
{
    m_toolbarRules = mainwindow::toolbar_rules(paneFacts());
    const mainwindow::ToolbarRules& r = m_toolbarRules;
    auto set = [this](const char* key, bool rule, Command command) {
        action(key)->setEnabled(rule && hasCommandHandler(command));
    };
    set("tb_library", r.newLibrary, Command::NewLibrary);
    set("tb_new_folder", r.newFolder, Command::NewFolder);
    set("tb_hide", r.hide, Command::Hide);
    set("tb_unhide", r.unhide, Command::Unhide);
    set("tb_cut", r.cut, Command::Cut);
    set("tb_copy", r.copy, Command::Copy);
    set("tb_paste", r.paste, Command::Paste);
    set("tb_delete", r.del, Command::Delete);
    set("tb_refresh", r.refresh, Command::Refresh);
    // Options is never switched off once it exists.
    set("tb_options", true, Command::Options);
    update_menu_states();
}

void fMain::update_menu_states()
{
    m_menuRules = mainwindow::menu_rules(paneFacts());
    const mainwindow::MenuRules& m = m_menuRules;
    auto on = [this](const char* key) { return action(key)->isEnabled(); };
    auto set = [this](const char* name, bool enabled) { action(name)->setEnabled(enabled); };
    auto can = [this](Command c) { return hasCommandHandler(c); };

    set("menu_file_open", m.open && can(Command::Open));
    set("menu_file_close", m.close);
    set("menu_file_new_library", on("tb_library"));
    set("menu_file_new_folder", on("tb_new_folder"));
    set("menu_file_new", on("tb_library") || on("tb_new_folder"));
    set("menu_file_hide", on("tb_hide"));
    set("menu_file_unhide", on("tb_unhide"));
    set("menu_file_delete", on("tb_delete"));
    set("menu_file_rename", m.rename && can(Command::Rename));

    set("menu_edit_cut", on("tb_cut"));
    set("menu_edit_copy", on("tb_copy"));
    set("menu_edit_paste", on("tb_paste"));
    set("menu_edit_find", m.find && can(Command::Find));
    set("menu_edit_find_next", m.findNext && can(Command::FindNext));
    set("menu_edit_select_all", m.selectAll && can(Command::SelectAll));
    set("menu_edit_invert_selection", m.invertSelection && can(Command::InvertSelection));

    set("menu_view_refresh", can(Command::Refresh));

    set("menu_tools_slide_show", m.slideShow && can(Command::SlideShow));
    set("menu_tools_picture_sorter", m.pictureSorter && can(Command::PictureSorter));
    set("menu_tools_rename_selection", m.renameSelection && can(Command::RenameSelection));
    set("menu_tools_options", can(Command::Options));
}

void fMain::refresh_all()
{
    if (panes::UiBrowserWindow* window = focusedWindow())
        window->refresh();
    enable_toolbar();
}

void fMain::show_context_menu() {}

void fMain::menu_edit_select_all_Click()
{
    if (panes::UiBrowserWindow* window = focusedWindow())
        window->selectAllItems();
    enable_toolbar();
}

void fMain::menu_edit_invert_selection_Click()
{
    panes::UiBrowserWindow* window = focusedWindow();
    if (window && m_state.object_focus == window->listCode())
        window->invertItemSelection();
    enable_toolbar();
}

void fMain::menu_file_new_library_Click()
{
    QPointer<fAddLibrary> dialog = new fAddLibrary(*this, this);
    dialog->exec();
    delete dialog;
    // A new Library may now be the chosen node.
    enable_toolbar();
}
