#pragma once

#include <QIcon>
#include <QString>

// Type names and icons of files, judged by the name alone. Nothing is read
// from disk: a listing must never open the files it lists, and a hidden file
// is typed by its readable name while its stored name stays scrambled.
namespace platform {

struct FileType
{
    QString mimeName;      // "application/octet-stream" when the name says nothing
    QString typeName;      // the MIME type's description; "" when the name says nothing
    QStringList iconNames; // theme icon names, most specific first
    // Executables, desktop launchers, icons and cursors: on Windows each such
    // file has an icon of its own, so a listing caches their icons per file.
    bool ownIcon = false;
};

// The type a file of this bare name has. Fast enough to call once per entry
// of a large folder: results are kept per name ending where that is exact,
// in a cache of bounded size. The reference stays valid for the life of the
// program.
const FileType& fileTypeForName(const QString& name);
// How many name endings the cache holds now.
qsizetype fileTypeCacheSize();

// The theme icon of the type, or a drawn page when the theme has none.
QIcon fileTypeIcon(const FileType& type);

} // namespace platform
