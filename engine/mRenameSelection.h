#pragma once

#include "browse/BrowseContext.h"
#include "browse/BrowsePane.h"
#include "engine/LongOperation.h"

#include <QString>

// Gives the items selected in the Libraries list a common series name and a
// running number ("My Picture 01.jpg", "My Picture 02.jpg", ...). Each item
// keeps its extension; a hidden item gets the hidden form of its new name at
// its own level and its content is left as it is. Numbers whose name is
// taken in the folder are skipped. Every rename is one rename that never
// replaces, so an interrupted series leaves each item under its old or its
// new name.
namespace mRenameSelection {

// The separators of the window's option buttons, by index.
QChar separator_of(int index);

// k padded on the left with "0" to as many digits as count has.
QString padded_number(int k, int count);

// The preview's sample name i (1 to 4): the series name, the separator,
// "00" and i, and ".jpg"; a series name of 17 characters or more shows as
// its first and last 7 characters around "...".
QString preview_name(const QString& series, QChar separator, int i);

struct Options
{
    QString series;
    QChar separator = QLatin1Char(' ');
    bool skipHidden = false;
    bool skipFolders = false;
};

struct Result
{
    bool invalidName = false; // nothing was done
    int renamed = 0;
    bool folderRenamed = false;
    bool cancelled = false;
};

// Renames the selected items of the pane's listing (the Libraries list),
// in list order, in the folder the list shows. count: the number of selected
// items when the window opened; it sets the width of the numbers. Shows the
// per-item failures and the final count through the prompt service, and
// refreshes the chosen tree node when a folder was renamed.
Result rename_selection(const browse::BrowseContext& ctx, browse::BrowsePane& pane,
                        const Options& options, int count,
                        engine::OperationProgress* progress = nullptr);

} // namespace mRenameSelection
