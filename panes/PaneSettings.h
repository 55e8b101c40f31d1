#pragma once

#include "settings/mRegistry.h"

#include <QString>

#include <array>

// What the browser windows keep of their layout between runs, in the
// section "Appearance": the places of their splitter bars and the widths of
// the listing's columns, all in twips.
namespace panes {

// The saved place of a bar, or fallback when none was saved (or it does not
// read as a number).
double read_bar(const settings::SettingsStore& store, const char* name, double fallback);
// Stored as a single-precision number, as the place was always kept.
void save_bar(const settings::SettingsStore& store, const char* name, double left);

// "width1" ... "width4".
void save_column_widths(const settings::SettingsStore& store, const std::array<double, 4>& twips);

} // namespace panes
