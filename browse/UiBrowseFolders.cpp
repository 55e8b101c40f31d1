#include "browse/UiBrowseFolders.h"

#include "browse/mBrowseFolders.h"
#include "browse/mSpecialFolders.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <cmath>
#include <optional>

namespace mBrowseFolders {

namespace {

// A start that reads as a number (an int, or text such as "5") names a special
// folder; any other text is a path.
std::optional<int> startNumber(const QVariant& start)
{
    if (start.typeId() == QMetaType::QString || start.typeId() == QMetaType::QByteArray) {
        bool ok = false;
        const double n = start.toString().trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(n) || std::fabs(n) > 2147483647.0)
            return std::nullopt;
        return static_cast<int>(std::nearbyint(n));
    }
    bool ok = false;
    const int n = start.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

// Where the picker opens: the start folder, or the nearest folder above it
// that exists (a path typed before its last folders are made), or else the
// home folder, never the program's working folder.
QString openingFolder(const QString& start)
{
    if (!start.isEmpty() && QDir::isAbsolutePath(start)) {
        for (QString at = QDir::cleanPath(start);; at = QFileInfo(at).path()) {
            if (QFileInfo(at).isDir())
                return at;
            if (QFileInfo(at).path() == at)
                break;
        }
    }
    return QDir::homePath();
}

} // namespace

QVariant typedStart(const QString& typed)
{
    const QString path = typed.trimmed();
    return QDir::isAbsolutePath(path) ? QVariant(path) : QVariant();
}

QString browse_for_folder(QWidget* owner, const QString& title, const QVariant& start,
                          BrowseError* error)
{
    if (error)
        *error = BrowseError{};

    QString startFolder;
    if (start.isValid() && !start.toString().isEmpty()) {
        if (const std::optional<int> csidl = startNumber(start)) {
            if (!csidl_supported(*csidl)) {
                if (error)
                    *error = BrowseError{kErrorUnsupportedCsidl, QString::fromLatin1(kErrorSource),
                                         unsupported_csidl_description(*csidl, os_family())};
                return QString();
            }
            // A special folder this system does not have starts the picker
            // where it would start without one.
            startFolder = mSpecialFolders::special_folder_path(*csidl);
        } else {
            startFolder = start.toString();
        }
    }
    return QFileDialog::getExistingDirectory(owner, title, openingFolder(startFolder));
}

} // namespace mBrowseFolders
