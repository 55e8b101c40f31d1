#pragma once

#include "browse/BrowseContext.h"
#include "browse/mSpecialFolders.h"
#include "engine/AppLauncher.h"
#include "mainwindow/DocumentOpener.h"
#include "mainwindow/IdleCount.h"
#include "platform/DataFolders.h"
#include "platform/Drives.h"
#include "platform/Prompt.h"
#include "settings/Preferences.h"
#include "settings/mRegistry.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <vector>

namespace mainwindow {

// What the program is given from outside: where its data lives and how it asks,
// launches, tells the time and ends. main() passes the real ones; tests pass
// their own.
struct Services
{
    platform::DataFolders folders;
    settings::SettingsStore store;
    platform::PromptService& prompt;
    DocumentOpener& opener;
    // Finds and starts the programs that open the user's files.
    mOpenFiles::AppLauncher& launcher;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // Ends the program at once; nothing after it runs in the real program.
    std::function<void(int)> end_process;
    // What "My Computer" shows: the drives, and the special folders by
    // their numbers (0 Desktop, 5 My Documents; "" for none).
    std::function<std::vector<platform::Drive>()> drives = [] { return platform::listDrives(); };
    std::function<QString(int)> special_folder = [](int csidl) {
        return mSpecialFolders::special_folder_path(csidl);
    };
};

// Pane codes of object_focus.
enum PaneCode : short {
    kNoPane = 0,
    kLibrariesTree = 1,
    kLibrariesList = 2,
    kExplorerTree = 3,
    kExplorerList = 4,
};

// The program-wide state that the main window owns and the other windows share.
// It holds no widget, so models and engine code can use it headless. The
// fields are public because the browser windows and dialogs read and write
// them directly.
class AppState
{
public:
    explicit AppState(Services services);
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    Services services;

    const settings::SettingsStore& store() const { return services.store; }
    platform::PromptService& prompt() const { return services.prompt; }
    const platform::DataFolders& folders() const { return services.folders; }
    DocumentOpener& opener() const { return services.opener; }
    mOpenFiles::AppLauncher& launcher() const { return services.launcher; }

    // The pane that last had the keyboard focus (PaneCode). It keeps its value
    // when that pane's window closes.
    short object_focus = kNoPane;

    // The cut/copy buffer: full paths, the operation (1 move, 2 copy), how many,
    // the pane they came from, and whether a folder or a hidden item is among them.
    QStringList edit_buffer;
    qint32 edit_file_op = 0;
    qint16 edit_buffer_size = 0;
    qint16 edit_buffer_source = 0;
    bool edit_buffer_has_folders = false;
    bool edit_buffer_has_hidden = false;

    // Empties the buffer's contents; the operation and the source stay as they
    // were. True when it held items (the windows then undo their ghosting).
    bool empty_edit_buffer();

    // The current search: the text (lower-cased unless match_case), down or
    // up, and the matches found since the text was set.
    QString strA;
    bool direction = true;
    bool match_case = false;
    qint16 n_found = 0;

    // The in-memory preferences (get_preferences fills them).
    settings::Preferences prefs;

    // Arrangement of the two browser windows.
    bool tiled = false;
    bool fMain_resizing = false;
    qint16 toolbar1_height = 0; // twips

    // The idle count; every window that resets it on pointer movement calls
    // idle.reset().
    IdleCount idle;

    // The about box closes on a click only once its first showing (the splash)
    // is over; that lasts as long as the program.
    bool splash_done = false;

    // The staging list in which every listing sorts its entries (its sort
    // column and order last as long as the program), and the base images the
    // trees and lists copy. The main window fills IconImageList: drawing needs
    // a GUI application.
    browse::StagingList staging;
    browse::IconList IconImageList;

    // What the trees and listings need of this state. showStatus writes panel
    // 1 of the status bar.
    browse::BrowseContext browseContext(std::function<void(const QString&)> showStatus = {});
};

} // namespace mainwindow
