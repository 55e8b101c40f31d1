#pragma once

#include "settings/mRegistry.h"

#include <QString>

// The rules a Library's folder and name must keep, for the New Library
// dialog and for renaming a Library in its tree.
namespace libraries {

// Why an entry was refused: the message and its title, as the user reads
// them. Empty text: nothing to refuse.
struct Refusal
{
    QString text;
    QString title;
    explicit operator bool() const { return !text.isEmpty(); }
};

// The folder of a new Library: not a drive's root, not the bin, not the
// system's temporary folder, an existing folder named by its full path, and
// not already a Library. binFolder: where the bin lives.
Refusal check_library_path(const settings::SettingsStore& store, const QString& binFolder,
                           const QString& path);

// The name of a Library: a valid file name that no other Library has.
// ownName: the Library's current name when it is being renamed (it may keep
// it, in another case), "" for a new one.
Refusal check_library_name(const settings::SettingsStore& store, const QString& name,
                           const QString& ownName = QString());

// Both, in the order the New Library dialog reports them: the path's form
// first, then the name, then whether the path is already a Library.
Refusal check_new_library(const settings::SettingsStore& store, const QString& binFolder,
                          const QString& path, const QString& name);

} // namespace libraries
