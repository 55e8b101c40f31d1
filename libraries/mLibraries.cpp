#include "libraries/mLibraries.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QStringList>

#include <algorithm>

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

std::vector<Library> read_libraries(const settings::SettingsStore& settingsStore)
{
    const settings::SettingsStore store = settingsStore.snapshot(); // one reading
    const int n = readCount(store);
    std::vector<Library> out;
    out.reserve(static_cast<size_t>(n));
    for (int i = 1; i <= n; ++i)
        out.push_back(Library{entryName(store, i), store.get_setting(kSection, pathKey(i))});
    return out;
}

namespace {

// The whole table rewritten as the list says, in one write: entries 1..n,
// Count, and the entries past the new end removed.
void writeTable(const settings::SettingsStore& store, const std::vector<Library>& libs,
                int oldCount)
{
    std::vector<settings::SettingChange> changes;
    const int n = static_cast<int>(libs.size());
    for (int i = 1; i <= n; ++i) {
        changes.push_back({kSection, nameKey(i), libs[size_t(i - 1)].name});
        changes.push_back({kSection, pathKey(i), libs[size_t(i - 1)].path});
    }
    for (int i = n + 1; i <= oldCount; ++i) {
        changes.push_back({kSection, nameKey(i), QString(), true});
        changes.push_back({kSection, pathKey(i), QString(), true});
    }
    changes.push_back({kSection, kCount, QString::number(n)});
    store.apply(changes);
}

} // namespace

void add_library_entry(const settings::SettingsStore& store, const QString& name,
                       const QString& path)
{
    const int n = readCount(store) + 1;
    store.apply({{kSection, kCount, QString::number(n)},
                 {kSection, nameKey(n), name},
                 {kSection, pathKey(n), path}});
}

void remove_library_entry(const settings::SettingsStore& store, const QString& name)
{
    std::vector<Library> libs = read_libraries(store);
    const int oldCount = static_cast<int>(libs.size());
    const auto it =
        std::find_if(libs.begin(), libs.end(), [&](const Library& l) { return l.name == name; });
    if (it == libs.end())
        return;
    libs.erase(it);
    writeTable(store, libs, oldCount);
}

bool rename_library(const settings::SettingsStore& store, const QString& oldName,
                    const QString& newName)
{
    // Renaming an entry to its own name counts as taken too: the caller then
    // cancels the edit, which leaves exactly what is there.
    const std::vector<Library> libs = read_libraries(store);
    for (const Library& l : libs)
        if (l.name == newName)
            return false;
    for (size_t i = 0; i < libs.size(); ++i) {
        if (libs[i].name == oldName)
            return store.save_setting(kSection, nameKey(int(i) + 1), newName);
    }
    return false;
}

bool library_name_free(const settings::SettingsStore& store, const QString& name)
{
    for (const Library& l : read_libraries(store))
        if (l.name == name)
            return false;
    return true;
}

bool library_path_free(const settings::SettingsStore& store, const QString& path)
{
    // Lower-cased on a case-sensitive file system this refuses a few folders
    // that are really distinct; a refusal too many is harmless, nesting one
    // Library inside another is not.
    const QString wanted = path.toLower();
    for (const Library& l : read_libraries(store))
        if (wanted.contains(l.path.toLower()))
            return false;
    return true;
}

void check_libraries(const settings::SettingsStore& store, platform::PromptService& prompt)
{
    // One pass over one reading of the table, one write, and one message when
    // more than a few are missing (a damaged Count can name thousands).
    constexpr int kOneByOne = 3, kShown = 10;
    const std::vector<Library> libs = read_libraries(store);
    std::vector<Library> kept;
    QStringList texts;
    for (const Library& lib : libs) {
        if (platform::folderExists(lib.path)) {
            kept.push_back(lib);
            continue;
        }
        texts << QStringLiteral("Library '") + lib.name +
                     QStringLiteral("' is missing! This may have been caused by deleting, "
                                    "moving,\r\nor renaming, of the associated folder. You may "
                                    "try to remedy this by\r\nusing 'Recover Libraries' under "
                                    "the Tools menu.");
    }
    if (texts.isEmpty())
        return;
    writeTable(store, kept, static_cast<int>(libs.size()));
    if (texts.size() <= kOneByOne) {
        for (const QString& t : texts)
            prompt.message(t);
        return;
    }
    QString text = texts.mid(0, kShown).join(QStringLiteral("\r\n\r\n"));
    if (texts.size() > kShown)
        text += QStringLiteral("\r\n\r\n... and %1 more Libraries are missing (see the details).")
                    .arg(texts.size() - kShown);
    prompt.ask(platform::PromptRequest{
        text, QString(), platform::PromptButtons::Ok, platform::PromptIcon::None,
        texts.size() > kShown
            ? texts.join(QStringLiteral("\n")).replace(QStringLiteral("\r\n"), QStringLiteral(" "))
            : QString()});
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
