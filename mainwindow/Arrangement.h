#pragma once

// Geometry of the main window's child-window arrangement. Like the saved
// layouts it is worked out in twips (1/1440 inch); the windows convert to
// pixels only where they hand a rectangle to Qt.
namespace mainwindow {

inline constexpr int kTwipsPerPixel = 15;

inline constexpr int kToolbarHeight = 825;   // toolbar1_height while the toolbar shows
inline constexpr int kStatusBarHeight = 255; // the status bar while it shows
inline constexpr int kTileWidthMargin = 175; // taken off the main window's width
inline constexpr int kTileHeightMargin = 55; // taken off the lower window's height

// Nearest whole pixel; halves go away from zero, like the twips-to-pixel scaling
// of the controls.
constexpr int pixelsFromTwips(int twips)
{
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int twipsFromPixels(int pixels)
{
    return pixels * kTwipsPerPixel;
}

struct TwipsRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// The tiled layout, upper half: the Libraries window at the top left, as wide
// as the main window less the margin, half as high as the area between the
// toolbar and the status bar. mainWidth is the main window's width; statusTop
// and toolbarHeight are measured from the top of the toolbar area (the toolbar
// height is 0 while it is hidden). No size comes out negative.
TwipsRect upper_tile(int mainWidth, int statusTop, int toolbarHeight);

// The lower half: the Explorer window right below the upper window as it was
// actually placed, as wide, and a little shorter so that it stays clear of the
// status bar.
TwipsRect lower_tile(const TwipsRect& upperAsPlaced);

} // namespace mainwindow
