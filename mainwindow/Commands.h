#pragma once

#include <cstddef>

namespace mainwindow {

// Every command of the main window, whichever menu entry, toolbar button,
// context-menu entry or key starts it.
enum class Command {
    Open,
    Close,
    NewLibrary,
    NewFolder,
    Hide,
    Unhide,
    Delete,
    Rename,
    Exit,
    Cut,
    Copy,
    Paste,
    Find,
    FindNext,
    SelectAll,
    InvertSelection,
    ViewLibraries,
    ViewExplorer,
    ViewToolbar,
    ViewStatusBar,
    Refresh,
    SlideShow,
    PictureSorter,
    RenameSelection,
    ChangePassword,
    Options,
    Tile,
    OnlineHelp,
    ShortcutKeys,
    // Context menu only: the properties window of the focused node or item.
    Properties,
    About,
};

inline constexpr std::size_t kCommandCount = static_cast<std::size_t>(Command::About) + 1;

inline constexpr std::size_t commandIndex(Command c)
{
    return static_cast<std::size_t>(c);
}

} // namespace mainwindow
