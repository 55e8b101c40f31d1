#pragma once

#include <QString>
#include <QVariant>

class QWidget;

namespace mBrowseFolders {

struct BrowseError
{
    int number = 0; // 0: none
    QString source;
    QString description;
};

// Shows the folder picker. start: an invalid QVariant or "" for none, a path
// text, or a special-folder number. Returns the chosen folder or "". An
// unsupported number returns "" and fills error (number 32700). Without a
// start the picker opens in the home folder; at a start path that does not
// exist, in the nearest folder above it that does.
QString browse_for_folder(QWidget* owner, const QString& title, const QVariant& start = {},
                          BrowseError* error = nullptr);

// The start for a path the user typed into a box: the path when it is
// absolute, else none (so typed digits are never read as a special folder).
QVariant typedStart(const QString& typed);

} // namespace mBrowseFolders
