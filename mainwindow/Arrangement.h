#pragma once

#include "browse/Twips.h"

#include <QRect>

// Geometry of the main window's child-window arrangement.
namespace mainwindow {

using browse::kTwipsPerPixel;
using browse::pixelsFromTwips;
using browse::twipsFromPixels;

inline constexpr int kToolbarHeight = 825;   // toolbar1_height while the toolbar shows
inline constexpr int kStatusBarHeight = 255; // the status bar while it shows

// The tiled layout fills the area between the toolbar and the status bar
// exactly, in whatever unit it is given: the Libraries window on the upper
// half, as wide as the area, and the Explorer below it down to the bottom.
// No size comes out negative.
QRect upper_tile(int areaWidth, int areaHeight);
// The lower half, right below the upper window as it was actually placed
// (which may be taller than asked for when the area is very small).
QRect lower_tile(const QRect& upperAsPlaced, int areaHeight);

} // namespace mainwindow
