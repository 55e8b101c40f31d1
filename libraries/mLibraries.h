#pragma once

#include "platform/Prompt.h"
#include "settings/mRegistry.h"

#include <QString>

#include <vector>

// The library table: "Count", "name_" + i and "path_" + i (i from 1, no gaps)
// in the settings section "Libraries". There is no copy in memory: every
// operation reads what it needs afresh and writes its changes at once.
namespace mLibraries {

struct Library {
    QString name;
    QString path;
};

// Entries 1..Count in table order. An absent or non-numeric "Count" is an
// empty table.
std::vector<Library> read_libraries(const settings::SettingsStore& store);

void add_library_entry(const settings::SettingsStore& store, const QString& name,
                       const QString& path);
void remove_library_entry(const settings::SettingsStore& store, const QString& name);
bool rename_library(const settings::SettingsStore& store, const QString& oldName,
                    const QString& newName);
bool library_name_free(const settings::SettingsStore& store, const QString& name);
bool library_path_free(const settings::SettingsStore& store, const QString& path);

// Reports each Library whose folder is missing and drops it from the table.
void check_libraries(const settings::SettingsStore& store, platform::PromptService& prompt);

// The name of the first Library still holding unhidden items, "Red Ovidor Bin"
// when only the bin does, or "".
QString find_unhidden_library(const settings::SettingsStore& store, const QString& binFolder);

// True when the folder, at any depth, holds an item without a hidden name.
// A missing folder holds none.
bool contains_unhidden_items(const QString& folder);

} // namespace mLibraries
