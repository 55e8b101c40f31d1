#pragma once

#include "browse/BrowseContext.h"
#include "browse/BrowsePane.h"
#include "engine/mOpenFiles.h"

#include <functional>

// The Open command of the two list panes: every selected file is opened, and
// the first selected folder is entered (its tree node selected and listed).
namespace mOpenFiles {

struct SelectionContext
{
    const browse::BrowseContext& browse;
    const Context& open;
    browse::BrowsePane* libraries = nullptr; // nullptr while the window is closed
    browse::BrowsePane* explorer = nullptr;
    // Brings a tree node into view after it was selected (the window's tree view).
    std::function<void(browse::BrowsePane&, browse::TreeNode*)> showNode = {};
};

struct SelectionResult
{
    int opened = 0; // files handed on to a program
    bool enteredFolder = false;
};

// Acts on the list pane named by object_focus (2 Libraries, 4 Explorer);
// any other pane does nothing.
SelectionResult open_selection(short object_focus, const SelectionContext& ctx);

} // namespace mOpenFiles
