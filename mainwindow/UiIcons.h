#pragma once

#include <QColor>
#include <QIcon>
#include <QStringList>

namespace mainwindow {

// Bare X servers and minimal desktops name no icon theme, or one without the
// usual action icons: look in Adwaita (installed with the program) as well.
void setUpIconTheme();

// The first of the theme icons that the theme has; when it has none, an icon
// drawn here: the glyph on a rounded tile of the colour, so that no command is
// ever left without an image.
QIcon themeIconOrDrawn(const QStringList& themeNames, QChar glyph, const QColor& tile);

// A fully transparent icon of toolbar size ("tb_blank").
QIcon blankIcon();

// The program's emblem, as shipped in the resources.
QIcon programIcon();

} // namespace mainwindow
