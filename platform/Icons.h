#pragma once

#include <QIcon>
#include <QStringList>

// Icons for trees and listings. They come from the freedesktop icon theme;
// whatever the theme lacks is drawn here, so no node or item is ever shown
// without an image, even offscreen or on a bare X server without a desktop.
namespace platform {

// Puts /usr/share/icons on the theme search path, makes Adwaita the fallback
// theme and the theme itself when the platform names none. Safe to call more
// than once; themedIcon() calls it on first use.
void setupIconTheme();

enum class DrawnIcon {
    Folder,
    OpenFolder,
    File,
    Drive,
    Computer,
    Library,
    Trash,
    Desktop,
    Documents,
    Optical,
    Removable,
};

// An icon painted by the program at any size.
QIcon drawnIcon(DrawnIcon kind);

// The first of the named theme icons that the theme has, else the drawn one.
QIcon themedIcon(const QStringList& names, DrawnIcon fallback);

// An icon that shows `selected` while its item is selected and `normal`
// otherwise (a folder that opens when chosen).
QIcon iconWithSelected(const QIcon& normal, const QIcon& selected);

} // namespace platform
