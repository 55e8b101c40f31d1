#pragma once

#include "browse/BrowseContext.h"
#include "mainwindow/Commands.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace browse {
struct BrowsePane;
}

namespace mainwindow {

class AppState;

// What a window inside the main window may ask of it. The windows never
// reach into the main window itself: they report what happened to them (a
// pane got the focus, a key was pressed) and ask for commands to run, and
// the main window decides what follows. A dialog returns its result to the
// command that opened it, which then brings the windows up to date.
class WindowHost
{
public:
    virtual ~WindowHost() = default;

    // The program-wide state and what the trees and listings need of it.
    virtual AppState& state() = 0;
    virtual browse::BrowseContext browseContext() = 0;

    // A pane (a PaneCode) got the keyboard focus: it becomes the pane the
    // commands act on.
    virtual void paneFocused(short paneCode) = 0;
    // The focused pane's node or selection may have changed: the commands'
    // states are worked out again.
    virtual void enable_toolbar() = 0;
    // Panel 1 shows objects and selection, panel 2 free space.
    virtual void setStatusPanelText(int panel, const QString& text) = 0;
    virtual void StatusBarClear() = 0;
    // The pane the commands act on; null while none is (or its window is
    // closed).
    virtual browse::BrowsePane* focusedPane() const = 0;
    // Runs a command as its menu entry would (nothing when it has no
    // handler).
    virtual void run_command(Command command) = 0;
    // Escape in a pane: empties the cut/copy buffer, or else leaves the
    // program when the settings ask for that.
    virtual void escapePressed() = 0;
    // A right click in a tree or listing.
    virtual void show_context_menu() = 0;
    // Opens a new image viewer on a picture file (a hidden one keeps its
    // hidden path) showing the readable name.
    virtual void open_image_viewer(const QString& path, const QString& name)
    {
        Q_UNUSED(path);
        Q_UNUSED(name);
    }
    // Moves, copies or deletes items with the program's file operation
    // (mFileOperations.h: codes, flags and results), asking its questions and
    // showing its progress over the main window.
    virtual std::uint32_t moveOrCopyItems(std::uint32_t op, const QStringList& sources,
                                          const QString& target, std::uint16_t flags) = 0;
};

} // namespace mainwindow
