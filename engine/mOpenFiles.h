#pragma once

#include "engine/AppLauncher.h"
#include "platform/Prompt.h"
#include "settings/Preferences.h"

#include <QString>

#include <functional>
#include <optional>

// Opening files from the list panes, hidden ones included.
//
// A file up to the size threshold opens from a copy in the private "KZ Temp"
// folder, named so that its type shows (a fresh name, the level digit, the
// readable name's extension) and holding the bytes it had before hiding; the
// library file itself is never written, renamed or shown to another program in
// scrambled form. Above the threshold only plain files and level-1 hidden files
// open, in place.
namespace mOpenFiles {

// What the user picked in the Open With dialog: an application, or a command.
struct OpenWithChoice
{
    std::optional<AppInfo> app;
    QString command; // used when no application was picked
};

// Asks the user which program should open the file. The readable name gives
// the file's type (the file may be hidden). nullopt when the user cancelled.
using OpenWithChooser =
    std::function<std::optional<OpenWithChoice>(const QString& file, const QString& readableName)>;

struct Context
{
    const settings::Preferences& prefs;
    platform::PromptService& prompt;
    AppLauncher& launcher;
    OpenWithChooser openWith; // empty: files without a program are left unopened
};

enum class Outcome {
    Started,   // a program was started on the file or its copy
    Cancelled, // the user cancelled the Open With choice
    Refused,   // the user was told why nothing was opened
    Failed     // a copy or a start failed; nothing was said (as the design wants)
};

struct OpenResult
{
    Outcome outcome = Outcome::Failed;
    QString openedPath; // the copy or the file itself that was handed on; "" when none
};

// Opens one file of a list; hidden is the list item's hidden flag.
OpenResult open_file(const QString& path, bool hidden, const Context& ctx);

// Starts the associated program on the file. With plainNameFlag the file is a
// level-1 hidden file whose program is found from its readable name; the
// program still receives the file's real (hidden) path. Nothing is renamed.
Outcome launch_file(const QString& file, bool plainNameFlag, const Context& ctx);

// The program associated with the type of the path's name, or "".
QString find_executable(const QString& path, AppLauncher& launcher);

// The bare name a file is shown and typed under: the plain name of a hidden
// name, else the name itself.
QString readableName(const QString& path, bool hidden);

// --- The temporary copy ---

struct TempCopy
{
    enum class Status {
        Made,
        FolderRefused, // "KZ Temp" is not private; reason says why
        Failed         // reading, writing or restoring failed; nothing is left behind
    };
    Status status = Status::Failed;
    QString path;   // the copy, when made
    QString reason; // for FolderRefused
};

// Copies the file into the private temporary folder under a fresh name
// followed by the level digit and the extension ("rad3F2A1.tmp2.jpg"), created
// 0600 without following or replacing anything, and restores the bytes of
// levels 2 and 3.
TempCopy make_temporary_copy(const QString& source, short level, const QString& extension);

} // namespace mOpenFiles
