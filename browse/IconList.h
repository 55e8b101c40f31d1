#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>

namespace browse {

// Keys of the eleven base images, in the order every pane's image lists
// start with them. Tree nodes name their kind by the same word.
namespace images {
inline const QString folder = QStringLiteral("folder");
inline const QString drive = QStringLiteral("drive");
inline const QString unknownFile = QStringLiteral("Unknown File");
inline const QString mylibraries = QStringLiteral("mylibraries");
inline const QString library = QStringLiteral("library");
inline const QString trash = QStringLiteral("trash");
inline const QString desktop = QStringLiteral("desktop");
inline const QString mydocuments = QStringLiteral("mydocuments");
inline const QString cd = QStringLiteral("cd");
inline const QString floppy = QStringLiteral("floppy");
inline const QString open = QStringLiteral("open");
} // namespace images

// An image list: icons under unique keys, in the order they were added.
// Views ask it for the icon of an item's image key.
class IconList
{
public:
    int count() const { return static_cast<int>(m_keys.size()); }
    bool contains(const QString& key) const { return m_icons.contains(key); }
    // A null icon when the key is not in the list.
    QIcon icon(const QString& key) const { return m_icons.value(key); }
    const QStringList& keys() const { return m_keys; }

    // Adds the icon under the key; false (and nothing changes) when the key is
    // already taken, as an image list refuses a second image under one key.
    bool add(const QString& key, const QIcon& icon);
    void clear();

private:
    QStringList m_keys;
    QHash<QString, QIcon> m_icons;
};

// The main window's IconImageList: the eleven base images, from the icon
// theme or drawn. Needs a QGuiApplication.
IconList makeIconImageList();

} // namespace browse
