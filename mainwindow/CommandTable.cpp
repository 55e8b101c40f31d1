#include "mainwindow/CommandTable.h"

namespace mainwindow {

namespace {

using R = RuleResults;
constexpr QKeyCombination key(Qt::Key k)
{
    return QKeyCombination(k);
}
constexpr QKeyCombination ctrl(Qt::Key k)
{
    return QKeyCombination(Qt::ControlModifier, k);
}

// One row per command, in the order of Command (checked below).
const std::array<CommandRow, kCommandCount> kRows = {{
    {.command = Command::Open,
     .name = "menu_file_open",
     .caption = "&Open",
     .offered = [](const R& r) { return r.menu.open; }},
    {.command = Command::Close,
     .name = "menu_file_close",
     .caption = "&Close",
     .offered = [](const R& r) { return r.menu.close; }},
    {.command = Command::NewLibrary,
     .name = "menu_file_new_library",
     .caption = "&Library",
     .toolbarKey = "tb_library",
     .toolbarCaption = "New Lib",
     .toolTip = "Add Library",
     .whatsThis = "Adds a new library under \"My Libraries\"",
     .themeNames = {"bookmark-new", "list-add"},
     .glyph = 'L',
     .tile = 0x3a6ea5,
     .offered = [](const R& r) { return r.toolbar.newLibrary; }},
    {.command = Command::NewFolder,
     .name = "menu_file_new_folder",
     .caption = "&Folder",
     .toolbarKey = "tb_new_folder",
     .toolbarCaption = "Folder",
     .toolTip = "Add Folder",
     .whatsThis = "Creates a subfolder in the active folder",
     .themeNames = {"folder-new", "folder"},
     .glyph = 'F',
     .tile = 0xc49a2c,
     .offered = [](const R& r) { return r.toolbar.newFolder; }},
    {.command = Command::Hide,
     .name = "menu_file_hide",
     .caption = "&Hide",
     .toolbarKey = "tb_hide",
     .toolbarCaption = "Hide",
     .toolTip = "Hide",
     .whatsThis = "Hides selected files",
     .themeNames = {"changes-prevent", "system-lock-screen"},
     .glyph = 'H',
     .tile = 0x444444,
     .offered = [](const R& r) { return r.toolbar.hide; }},
    {.command = Command::Unhide,
     .name = "menu_file_unhide",
     .caption = "&Unhide",
     .toolbarKey = "tb_unhide",
     .toolbarCaption = "Unhide",
     .toolTip = "Unhide",
     .whatsThis = "Unhides selected files",
     .themeNames = {"changes-allow", "view-reveal"},
     .glyph = 'U',
     .tile = 0x4a8a3a,
     .offered = [](const R& r) { return r.toolbar.unhide; }},
    {.command = Command::Delete,
     .name = "menu_file_delete",
     .caption = "&Delete",
     .shortcut = key(Qt::Key_Delete),
     .toolbarKey = "tb_delete",
     .toolbarCaption = "Delete",
     .toolTip = "Delete",
     .whatsThis = "",
     .themeNames = {"edit-delete", "user-trash"},
     .glyph = 'D',
     .tile = 0xb03030,
     .offered = [](const R& r) { return r.toolbar.del; }},
    {.command = Command::Rename,
     .name = "menu_file_rename",
     .caption = "Rena&me",
     .shortcut = key(Qt::Key_F2),
     .offered = [](const R& r) { return r.menu.rename; }},
    {.command = Command::Exit, .name = "menu_file_exit", .caption = "E&xit"},
    {.command = Command::Cut,
     .name = "menu_edit_cut",
     .caption = "Cu&t",
     .shortcut = ctrl(Qt::Key_X),
     .toolbarKey = "tb_cut",
     .toolbarCaption = "Cut",
     .toolTip = "Cut",
     .whatsThis = "",
     .themeNames = {"edit-cut", nullptr},
     .glyph = 'X',
     .tile = 0x666666,
     .offered = [](const R& r) { return r.toolbar.cut; }},
    {.command = Command::Copy,
     .name = "menu_edit_copy",
     .caption = "&Copy",
     .shortcut = ctrl(Qt::Key_C),
     .toolbarKey = "tb_copy",
     .toolbarCaption = "Copy",
     .toolTip = "Copy",
     .whatsThis = "",
     .themeNames = {"edit-copy", nullptr},
     .glyph = 'C',
     .tile = 0x666666,
     .offered = [](const R& r) { return r.toolbar.copy; }},
    {.command = Command::Paste,
     .name = "menu_edit_paste",
     .caption = "&Paste",
     .shortcut = ctrl(Qt::Key_V),
     .toolbarKey = "tb_paste",
     .toolbarCaption = "Paste",
     .toolTip = "Paste",
     .whatsThis = "",
     .themeNames = {"edit-paste", nullptr},
     .glyph = 'V',
     .tile = 0x666666,
     .offered = [](const R& r) { return r.toolbar.paste; }},
    {.command = Command::Find,
     .name = "menu_edit_find",
     .caption = "&Find",
     .shortcut = ctrl(Qt::Key_F),
     .offered = [](const R& r) { return r.menu.find; }},
    {.command = Command::FindNext,
     .name = "menu_edit_find_next",
     .caption = "&Find Next",
     .shortcut = key(Qt::Key_F3),
     .offered = [](const R& r) { return r.menu.findNext; }},
    {.command = Command::SelectAll,
     .name = "menu_edit_select_all",
     .caption = "Select &All",
     .shortcut = ctrl(Qt::Key_A),
     .offered = [](const R& r) { return r.menu.selectAll; }},
    {.command = Command::InvertSelection,
     .name = "menu_edit_invert_selection",
     .caption = "&Invert Selection",
     .shortcut = ctrl(Qt::Key_I),
     .offered = [](const R& r) { return r.menu.invertSelection; }},
    {.command = Command::ViewLibraries,
     .name = "menu_view_libraries",
     .caption = "&Libraries",
     .shortcut = ctrl(Qt::Key_L),
     .checkable = true},
    {.command = Command::ViewExplorer,
     .name = "menu_view_explorer",
     .caption = "&Explorer",
     .shortcut = ctrl(Qt::Key_E),
     .checkable = true},
    {.command = Command::ViewToolbar,
     .name = "menu_view_toolbar",
     .caption = "&Toolbar",
     .checkable = true},
    {.command = Command::ViewStatusBar,
     .name = "menu_view_status_bar",
     .caption = "&Status Bar",
     .checkable = true},
    // The menu entry always refreshes; the button only while there is a
    // browser window to refresh.
    {.command = Command::Refresh,
     .name = "menu_view_refresh",
     .caption = "&Refresh",
     .shortcut = key(Qt::Key_F5),
     .toolbarKey = "tb_refresh",
     .toolbarCaption = "Refresh",
     .toolTip = "Refresh",
     .whatsThis = "",
     .themeNames = {"view-refresh", nullptr},
     .glyph = 'R',
     .tile = 0x3a8a8a,
     .buttonOffered = [](const R& r) { return r.toolbar.refresh; }},
    {.command = Command::SlideShow,
     .name = "menu_tools_slide_show",
     .caption = "&Slide Show!",
     .shortcut = key(Qt::Key_F4),
     .offered = [](const R& r) { return r.menu.slideShow; }},
    {.command = Command::PictureSorter,
     .name = "menu_tools_picture_sorter",
     .caption = "&Picture Sorter!",
     .offered = [](const R& r) { return r.menu.pictureSorter; }},
    {.command = Command::RenameSelection,
     .name = "menu_tools_rename_selection",
     .caption = "Rena&me Selection",
     .offered = [](const R& r) { return r.menu.renameSelection; }},
    {.command = Command::ChangePassword,
     .name = "menu_tools_change_password",
     .caption = "&Change Password"},
    {.command = Command::Options,
     .name = "menu_tools_options",
     .caption = "&Options",
     .toolbarKey = "tb_options",
     .toolbarCaption = "Options",
     .toolTip = "Options",
     .whatsThis = "",
     .themeNames = {"preferences-system", "emblem-system"},
     .glyph = 'O',
     .tile = 0x555577},
    {.command = Command::Tile, .name = "menu_windows_tile_windows", .caption = "&Tile"},
    {.command = Command::OnlineHelp,
     .name = "menu_help_online_help",
     .caption = "&Online Help",
     .shortcut = key(Qt::Key_F1)},
    {.command = Command::ShortcutKeys, .name = "menu_help_shortcuts", .caption = "&Shortcut Keys"},
    // Its entry is in the item context menu only.
    {.command = Command::Properties,
     .name = "context_menu_properties",
     .caption = "&Properties",
     .offered = [](const R& r) { return r.context.properties; }},
    {.command = Command::About, .name = "menu_help_about", .caption = "&About"},
}};

constexpr bool rowsInOrder(const std::array<CommandRow, kCommandCount>& rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (commandIndex(rows[i].command) != i)
            return false;
    return true;
}

const std::array<Command, 10> kToolbar = {
    Command::NewLibrary, Command::NewFolder, Command::Hide,   Command::Unhide,  Command::Cut,
    Command::Copy,       Command::Paste,     Command::Delete, Command::Refresh, Command::Options,
};

} // namespace

RuleResults rule_results(const PaneFacts& facts)
{
    return RuleResults{toolbar_rules(facts), menu_rules(facts), context_menu_rules(facts)};
}

const CommandRow& command_row(Command command)
{
    static const bool inOrder = rowsInOrder(kRows);
    Q_ASSERT(inOrder);
    (void)inOrder;
    return kRows[commandIndex(command)];
}

std::span<const CommandRow> command_table()
{
    return kRows;
}

std::span<const Command> toolbar_commands()
{
    return kToolbar;
}

} // namespace mainwindow
