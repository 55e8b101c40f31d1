#pragma once

#include "platform/FolderScan.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace browse {
struct BrowsePane;
}

// The program's own cut/copy buffer: what Cut and Copy take from a pane, the
// test that keeps hidden names out of the Explorer, and Paste. The system
// clipboard is never used. The windows are reached through the callbacks of
// PasteSteps only, so all of it runs headless.
namespace mainwindow {

class AppState;

// The items Cut or Copy takes from the pane with that code (PaneCode): a tree
// gives its chosen node when that is a folder (never a Library, the bin or a
// root), a listing its selected items in list order.
struct BufferItems
{
    QStringList paths;
    bool hasFolders = false;
    bool hasHidden = false; // an item has a hidden name
};
BufferItems items_to_buffer(short paneCode, const browse::BrowsePane& pane);

// Whether a hidden name is among the paths or anywhere below the folders among
// them. Links are never followed. Unreadable (with the folder in path) when
// some folder could not be read and no hidden name turned up elsewhere: such
// a list cannot be shown to hold no hidden item.
platform::TreeSearch buffer_has_hidden_items(const QStringList& paths);
platform::TreeSearch folder_has_hidden_items(const QString& folder);

// What Paste needs of the windows. A callback left empty does nothing.
struct PasteSteps
{
    AppState& state;
    browse::BrowsePane* libraries = nullptr; // null while that window is closed
    browse::BrowsePane* explorer = nullptr;
    std::function<std::uint32_t(std::uint32_t op, const QStringList& sources, const QString& target,
                                std::uint16_t flags)>
        moveOrCopy = {};
    std::function<void()> buildLibraryTree = {};  // build_library_tree
    std::function<void()> listLibraries = {};     // list_folder in the Libraries window
    std::function<void()> buildExplorerTree = {}; // initialize_TreeView
    std::function<void()> listExplorer = {};      // list_folder in the Explorer
    std::function<void()> clearEditBuffer = {};   // clear_edit_buffer
    // Around the scan for hidden items, which can take long.
    std::function<void()> busy = {};
    std::function<void()> idle = {};
};

// Paste: moves or copies the buffered items into the folder chosen in the
// focused window's tree and lists what changed. The buffer is emptied
// whatever the outcome, except when the Libraries root is chosen (nothing to
// paste into; the items stay buffered).
void paste_edit_buffer(const PasteSteps& steps);

} // namespace mainwindow
