#pragma once

#include "browse/FolderListModel.h"

#include <QString>

#include <functional>

namespace panes {

// Calls visit once for each selected row of the list, in row order. Works on
// the selection's ranges, so selecting thousands of items at once costs one
// pass, and a row that several ranges cover is visited once.
void for_each_selected_row(const browse::FolderListModel& list,
                           const std::function<void(int row)>& visit);

// The status text of a list selection: "3 Object(s) selected totalling
// 12 MB". The sizes are the whole kilobytes the Size column shows; above
// 1000 KB they are given in MB, 1000 KB to the MB, halves rounded to even.
// Folders (no size) only count.
QString selection_totals_text(const browse::FolderListModel& list);

} // namespace panes
