#pragma once

#include "platform/Prompt.h"
#include "settings/mRegistry.h"

#include <QString>

namespace engine {
class OperationProgress;
}

// Removing a Library: from the list only, or with its folder moved into the
// bin as "Deleted Library - <name>" (numbered " (k)" where the bin already
// holds that name). The folder is never lost on the way: the Library leaves
// the table only once nothing is left at its folder's place, so a move that
// fails or is cancelled leaves the Library as it was, listed and whole.
namespace mDeleteLibrary {

// The free name in the bin for a deleted Library's folder:
// bin + "/Deleted Library - " + name, then " (1)", " (2)", ... while taken.
QString deleted_library_path(const QString& binFolder, const QString& name);

enum class MoveOutcome {
    Moved,     // the folder is in the bin under `target`, nothing is left in its place
    Refused,   // told to the user; the folder stays where it was
    Cancelled, // stopped by the user; the folder stays where it was
};

struct MoveResult
{
    MoveOutcome outcome = MoveOutcome::Refused;
    QString target; // where the folder arrived (Moved only)
};

// Moves the folder into the bin under the deleted-Library name, creating the
// bin when it is missing. Within one file system this is one rename that
// never replaces; across file systems the folder is copied under a temporary
// name in the bin, checked, given its name, and only then removed at its old
// place. Refusals and failures are told through the prompt.
MoveResult move_library_folder(const QString& folder, const QString& name, const QString& binFolder,
                               platform::PromptService& prompt,
                               engine::OperationProgress* progress);

struct Request
{
    QString name; // the Library's name, as the table holds it
    QString path; // its folder
    bool moveFolder = false;
};

// Removes the Library, moving its folder first when asked. True when the
// Library left the table.
bool delete_library(const settings::SettingsStore& store, const Request& request,
                    const QString& binFolder, platform::PromptService& prompt,
                    engine::OperationProgress* progress, MoveResult* moved = nullptr);

} // namespace mDeleteLibrary
