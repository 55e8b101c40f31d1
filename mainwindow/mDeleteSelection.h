#pragma once

#include "browse/BrowseContext.h"
#include "browse/BrowsePane.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// The Delete command on the pane that has the focus. Inside a Library items
// go into the Red Ovidor bin, moved under the names they have (hidden ones
// stay hidden); items shown in the bin go for good; items of the Explorer go
// into the desktop's trash. All file work goes through the program's file
// operation, which asks its own questions (a clash in the bin, deleting for
// good) and never replaces an item silently.
namespace mainwindow {

struct DeleteContext
{
    browse::BrowseContext browse;            // prompts, object_focus, the bin
    browse::BrowsePane* libraries = nullptr; // null while that window is closed
    browse::BrowsePane* explorer = nullptr;
    // The program's file operation (WindowHost::moveOrCopyItems).
    std::function<std::uint32_t(std::uint32_t op, const QStringList& sources, const QString& target,
                                std::uint16_t flags)>
        fileOperation;
    // Opens the Delete Library window on the Libraries tree's chosen node.
    std::function<void()> deleteLibrary = {};
    // Lists the chosen folder of a window again (true: Libraries).
    std::function<void(bool libraries)> listFolder = {};
    // Gives a window's tree the keyboard focus.
    std::function<void(bool libraries)> focusTree = {};
};

// What a delete did, for the windows to follow.
struct DeleteOutcome
{
    bool acted = false;   // a file operation ran (the user did not decline)
    QStringList gone;     // the items that no longer exist
    QStringList stayed;   // the items that are still there
    QString sourceFolder; // the folder they were deleted from
};

DeleteOutcome delete_selection(const DeleteContext& ctx);

// Brings a window in line after items went from elsewhere: its nodes of the
// folder they left (and of the bin, when they went there) are filled again,
// and its listing again when it shows one of those folders or one that went.
void follow_deleted_items(const DeleteContext& ctx, browse::BrowsePane* pane,
                          const DeleteOutcome& out, bool intoBin);

// The question asked (titled "Confirm Delete") before items go into the
// desktop's trash, as the desktop's own file manager would ask it.
QString trash_question(const QStringList& sources, bool singleFolder);

} // namespace mainwindow
