#include "libraries/LibraryChecks.h"

#include "browse/mMisc.h"
#include "libraries/mLibraries.h"
#include "platform/FileSystem.h"

#include <QDir>

namespace libraries {

namespace {

const QString kInvalidPath = QStringLiteral("Invalid Library Path");
const QString kInvalidName = QStringLiteral("Invalid Library Name");

// The checks of the path that need no library table, in order.
Refusal pathForm(const QString& binFolder, const QString& path)
{
    const QString lower = path.toLower();
    if (path.size() < 3)
        return {QStringLiteral("The library path cannot be the root folder of a drive "),
                kInvalidPath};
    if (lower == binFolder.toLower())
        return {QStringLiteral("The \"KZ Bin\" folder represents the Red Ovidor bin. Please "
                               "select a different path."),
                kInvalidPath};
    if (lower == QDir::tempPath().toLower())
        return {QStringLiteral("The library path may not point to the Windows temporary folder"),
                kInvalidPath};
    // A relative path would name a different folder depending on where the
    // program was started.
    if (!QDir::isAbsolutePath(path) || !platform::folderExists(path))
        return {QStringLiteral("That path does not exist"), kInvalidPath};
    return {};
}

Refusal pathTaken(const settings::SettingsStore& store, const QString& path)
{
    if (!mLibraries::library_path_free(store, path))
        return {QStringLiteral("A library already exists at that path"), kInvalidPath};
    return {};
}

} // namespace

Refusal check_library_path(const settings::SettingsStore& store, const QString& binFolder,
                           const QString& path)
{
    if (Refusal r = pathForm(binFolder, path))
        return r;
    return pathTaken(store, path);
}

Refusal check_library_name(const settings::SettingsStore& store, const QString& name,
                           const QString& ownName)
{
    if (!mMisc::is_valid_name(name))
        return {QStringLiteral("The library name is invalid"), kInvalidName};
    if (name != ownName && !mLibraries::library_name_free(store, name))
        return {QStringLiteral("A library with that name already exists"), kInvalidName};
    return {};
}

Refusal check_new_library(const settings::SettingsStore& store, const QString& binFolder,
                          const QString& path, const QString& name)
{
    if (Refusal r = pathForm(binFolder, path))
        return r;
    if (Refusal r = check_library_name(store, name))
        return r;
    return pathTaken(store, path);
}

} // namespace libraries
