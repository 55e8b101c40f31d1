#pragma once

#include <QString>

// The rules that decide which commands are available. They are worked out
// from a few facts about the focused pane, without any window, so every rule
// can be checked on its own; the main window then switches on only those
// entries whose command also has a handler.
namespace mainwindow {

// What the rules look at. The main window gathers it from the open browser
// windows.
struct PaneFacts
{
    // object_focus, or 0 while the window of that pane is closed: nothing is
    // offered for a pane the user cannot see.
    short pane = 0;
    QString kind; // image of the selected node of the focused window's tree; "" for none
    // The focused list's selection (panes 2 and 4 only).
    int selected = 0;
    bool selectedHidden = false; // at least one selected item is hidden
    bool selectedPlain = false;  // at least one selected item is not
    int listItems = 0;           // items in the focused window's list (panes 1 to 4)
    bool buffered = false;       // the cut/copy buffer holds items
    bool browserOpen = false;    // either browser window is open
    bool librariesOpen = false;
    bool searchText = false; // a find has a text to search for
    // The one selected item of the focused list (selected == 1).
    bool singleFolder = false;
    QString singleText; // its shown name (a hidden item's plain name)
};

// Buttons 1 to 9 of the toolbar; Options (10) is never switched.
struct ToolbarRules
{
    bool newLibrary = false; // tb_library
    bool newFolder = false;  // tb_new_folder
    bool hide = false;       // tb_hide
    bool unhide = false;     // tb_unhide
    bool cut = false;        // tb_cut
    bool copy = false;       // tb_copy
    bool paste = false;      // tb_paste
    bool del = false;        // tb_delete
    bool refresh = false;    // tb_refresh
    friend bool operator==(const ToolbarRules&, const ToolbarRules&) = default;
};

// The entries of the File, Edit and Tools menus that have rules of their
// own; the others copy the toolbar.
struct MenuRules
{
    bool open = false;
    bool close = false;
    bool rename = false;
    bool find = false;
    bool findNext = false;
    bool selectAll = false;
    bool invertSelection = false;
    bool slideShow = false;
    bool pictureSorter = false;
    bool renameSelection = false;
    friend bool operator==(const MenuRules&, const MenuRules&) = default;
};

// The item context menu's own entries; Hide to Delete copy the toolbar.
// At most one of Open and Open With shows: a single picture gets the
// submenu, everything else the plain command.
struct ContextMenuRules
{
    bool openShown = false;
    bool openWithShown = false;
    bool nativeEnabled = false; // "Native Application" in the submenu
    bool showPreview = false;
    bool rename = false;
    bool properties = false;
    friend bool operator==(const ContextMenuRules&, const ContextMenuRules&) = default;
};

ToolbarRules toolbar_rules(const PaneFacts& facts);
ContextMenuRules context_menu_rules(const PaneFacts& facts);
MenuRules menu_rules(const PaneFacts& facts);

} // namespace mainwindow
