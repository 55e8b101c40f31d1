#pragma once

#include "browse/BrowseContext.h"
#include "browse/BrowsePane.h"
#include "browse/FolderListModel.h"

#include <QString>

// The folder listing of a browser window: the entries of the folder selected
// in the pane's tree, folders first, with sizes, type names, times and icons;
// in the Libraries pane hidden items show their readable names, marked.
namespace mFileInfo {

// How a listing ended. Only FolderMissing asks the window for something:
// give its tree the focus.
enum class ListingResult {
    NothingToList,     // no folder selected, or a root: the list is untouched
    Listed,            // the list shows the folder
    FolderMissing,     // the folder is gone ("That path is inaccessible..."), or its name
                       // cannot be read here; the list is empty, tag ""
    EnumerationFailed, // the folder could not be listed ("Path Not Found" when it vanished,
                       // else why not); the list is empty
    Abandoned,         // the tree selection or the focus moved on; the list is empty, tag ""
    Superseded,        // a newer listing of the same pane ran meanwhile and owns the list
};

// Fills the pane's list with the folder of the pane's selected tree node.
// Never opens a listed file: names, sizes and times come from the folder
// itself, type names and icons from the names.
ListingResult list_folder(const browse::BrowseContext& ctx, browse::BrowsePane& pane);

// The staging list: sort by the sort key, ascending.
void set_list_columns(browse::StagingList& staging);
// A pane list: the columns "columns" switches on, with the widths saved as
// "width1" ... "width4" (section "Appearance"). "columns" is read character by
// character; only a "0" leaves a column out, so a short or odd value shows
// the columns it does not mention.
void set_list_columns(browse::FolderListModel& list, const settings::SettingsStore& store);

// errno of stat() on the path, 0 when it succeeds.
int statError(const QString& path);
// What to tell the user when a folder that is there cannot be read, by the
// reason the system gave (errno; EILSEQ: its name is not valid text here).
QString folder_failure_text(const QString& path, int error);

// Whole kilobytes, halves rounded up, at least 1, grouped by thousands in the
// locale's way: "1 KB", "2 KB" for 1,536 bytes, "10,240 KB".
QString format_list_size(quint64 size);
inline QString format_list_size(quint32 high, quint32 low)
{
    return format_list_size((quint64(high) << 32) | low);
}

// Local date and time of a moment in seconds since the epoch (UTC), as
// "7/3/2002 9:05": day/month/year hour:minute, 24-hour clock, two-digit
// minutes. "" when the time cannot be converted.
QString format_file_time(qint64 secondsSinceEpoch);

} // namespace mFileInfo
