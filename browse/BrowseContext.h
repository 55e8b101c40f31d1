#pragma once

#include "browse/FolderListModel.h"
#include "browse/IconList.h"
#include "platform/DataFolders.h"
#include "platform/Prompt.h"
#include "settings/Preferences.h"
#include "settings/mRegistry.h"

#include <functional>

namespace browse {

// The main window's hidden staging list, in which every listing collects and
// sorts its entries before it shows them. Only its sort column (0 Name,
// 1 Size, 2 Type, 3 Modified, 4 the sort key "a folder: "/"file: " + text) and
// order (0 ascending, 1 descending) outlive a listing; the entries themselves
// belong to the listing that collects them, so two listings (one pane's and
// the other's, run while the first lets events through) never share them.
struct StagingList
{
    int sortColumn = 4;
    int sortOrder = 0;
};

// What the trees and listings need of the program-wide state. The main
// window owns every part and hands this out by reference; tests build their
// own from a TestWorld.
struct BrowseContext
{
    const settings::Preferences& prefs; // colours and weights of the panes
    platform::PromptService& prompt;
    const settings::SettingsStore& store; // library table, columns
    const platform::DataFolders& folders; // the bin
    const short& object_focus;            // the pane that has the focus (1..4)
    const IconList& iconImageList;        // the eleven base images
    StagingList& staging;
    // Panel 1 of the main window's status bar.
    std::function<void(const QString&)> showStatus = {};
    // Called now and then during a listing. A window may let pending events run
    // here (throttled) so a long listing stays responsive; the listing then
    // notices a new tree selection or focus and gives up.
    std::function<void()> keepResponsive = {};
};

} // namespace browse
