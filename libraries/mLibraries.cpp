#include "libraries/mLibraries.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace mLibraries {

namespace {

const QString kSection = QString::fromLatin1(settings::kSectionLibraries);
const QString kCount = QStringLiteral("Count");

QString nameKey(int i)
{
    return QStringLiteral("name_") + QString::number(i);
}
QString pathKey(int i)
{
    return QStringLiteral("path_") + QString::number(i);
}

// The table's size is a 16-bit number. A value that is missing, not a
// number or out of range cannot describe any entries, so it reads as an
// empty table; the next add then starts again at 1.
int readCount(const settings::SettingsStore& store)
{
    bool ok = false;
    const short n = store.get_setting(kSection, kCount).toShort(&ok);
    return ok && n > 0 ? n : 0;
}

QString entryName(const settings::SettingsStore& store, int i)
{
    return store.get_setting(kSection, nameKey(i));
}

// The design's extension test: the text after the last dot, so that a name
// made only of a hidden suffix (".kz1", the hidden form of an empty name)
// still counts as hidden.
bool hasHiddenExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString ext = name.mid(dot + 1).toLower();
    return ext == QLatin1String("kz1") || ext == QLatin1String("kz2") ||
           ext == QLatin1String("kz3");
}

} // namespace

std::vector<Library> read_libraries(const settings::SettingsStore& store)
{
    const int n = readCount(store);
    std::vector<Library> out;
    out.reserve(static_cast<size_t>(n));
    for (int i = 1; i <= n; ++i)
        out.push_back(Library{entryName(store, i), store.get_setting(kSection, pathKey(i))});
    return out;
}

void add_library_entry(const settings::SettingsStore& store, const QString& name,
                       const QString& path)
{
    const int n = readCount(store) + 1;
    store.save_setting(kSection, kCount, QString::number(n));
    store.save_setting(kSection, nameKey(n), name);
    store.save_setting(kSection, pathKey(n), path);
}

void remove_library_entry(const settings::SettingsStore& store, const QString& name)
{
    const int n = readCount(store);
    int found = 0;
    for (int i = 1; i <= n && found == 0; ++i)
        if (entryName(store, i) == name)
            found = i;
    if (found == 0)
        return;
    for (int j = found; j < n; ++j) {
        store.save_setting(kSection, pathKey(j), store.get_setting(kSection, pathKey(j + 1)));
        store.save_setting(kSection, nameKey(j), entryName(store, j + 1));
    }
    store.delete_setting(kSection, nameKey(n));
    store.delete_setting(kSection, pathKey(n));
    store.save_setting(kSection, kCount, QString::number(n - 1));
}

bool rename_library(const settings::SettingsStore& store, const QString& oldName,
                    const QString& newName)
{
    // Renaming an entry to its own name counts as taken too: the caller then
    // cancels the edit, which leaves exactly what is there.
    if (!library_name_free(store, newName))
        return false;
    const int n = readCount(store);
    for (int i = 1; i <= n; ++i) {
        if (entryName(store, i) == oldName) {
            store.save_setting(kSection, nameKey(i), newName);
            return true;
        }
    }
    return false;
}

bool library_name_free(const settings::SettingsStore& store, const QString& name)
{
    const int n = readCount(store);
    for (int i = 1; i <= n; ++i)
        if (entryName(store, i) == name)
            return false;
    return true;
}

bool library_path_free(const settings::SettingsStore& store, const QString& path)
{
    // Lower-cased on a case-sensitive file system this refuses a few folders
    // that are really distinct; a refusal too many is harmless, nesting one
    // Library inside another is not.
    const QString wanted = path.toLower();
    const int n = readCount(store);
    for (int i = 1; i <= n; ++i)
        if (wanted.contains(store.get_setting(kSection, pathKey(i)).toLower()))
            return false;
    return true;
}

void check_libraries(const settings::SettingsStore& store, platform::PromptService& prompt)
{
    // Walk a snapshot: removing an entry renumbers the ones after it, and every
    // entry present at the start must be looked at exactly once.
    for (const Library& lib : read_libraries(store)) {
        if (platform::folderExists(lib.path))
            continue;
        prompt.message(QStringLiteral("Library '") + lib.name +
                       QStringLiteral("' is missing! This may have been caused by deleting, "
                                      "moving,\r\nor renaming, of the associated folder. You may "
                                      "try to remedy this by\r\nusing 'Recover Libraries' under "
                                      "the Tools menu."));
        remove_library_entry(store, lib.name);
    }
}

QString find_unhidden_library(const settings::SettingsStore& store, const QString& binFolder)
{
    for (const Library& lib : read_libraries(store))
        if (platform::folderExists(lib.path) && contains_unhidden_items(lib.path))
            return lib.name;
    if (contains_unhidden_items(binFolder))
        return QStringLiteral("Red Ovidor Bin");
    return QString();
}

bool contains_unhidden_items(const QString& folder)
{
    // A folder that is missing or cannot be read shows no items, so it holds
    // none that are unhidden.
    const platform::FolderListing listing = platform::listFolderEntries(folder, false);
    if (!listing.ok)
        return false;
    for (const platform::DirEntry& e : listing.entries)
        if (!e.isFolder && !hasHiddenExtension(e.name))
            return true;
    for (const platform::DirEntry& e : listing.entries) {
        if (!e.isFolder)
            continue;
        if (!hasHiddenExtension(e.name))
            return true;
        // A link to a folder is judged by its own name only: following it could
        // lead back up the tree and never end, and what it points to belongs
        // to wherever it really lives.
        if (!e.isSymLink && contains_unhidden_items(platform::joinPath(folder, e.name)))
            return true;
    }
    return false;
}

} // namespace mLibraries
