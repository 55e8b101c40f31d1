#pragma once

#include <QString>
#include <QVariant>

class QWidget;

namespace mBrowseFolders {

struct BrowseError {
    int number = 0; // 0: none
    QString source;
    QString description;
};

// Shows the folder picker. start: an invalid QVariant or "" for none, a path
// text, or a special-folder number. Returns the chosen folder or "". An
// unsupported number returns "" and fills error (number 32700).
QString browse_for_folder(QWidget* owner, const QString& title, const QVariant& start = {},
                          BrowseError* error = nullptr);

} // namespace mBrowseFolders
