#pragma once

// Geometry of the browser windows in twips, as their layouts are saved: the
// tree, the listing, the preview and the splitter bars between them. The
// windows keep their controls' places here and convert to pixels only when
// they hand a rectangle to Qt, so dragging and resizing never accumulate
// rounding.
#include "browse/Twips.h"

namespace panes {

using browse::kTwipsPerPixel;

inline constexpr double kBarWidth = 45.0;
// What the layout rules leave for a window's frame and caption. The windows
// measure their inner area and add these, so the controls fill it exactly.
inline constexpr double kFrameWidth = 90.0;
inline constexpr double kFrameHeight = 405.0;

// Where the bars start when no layout has been saved yet.
inline constexpr double kDefaultBar1 = 2500.0; // vert_bar_1, vert_bar_3
inline constexpr double kDefaultBar2 = 10440.0;

// The smallest room a bar leaves on either side while it is dragged.
inline constexpr double kBarMargin = 2000.0;
inline constexpr double kPreviewMargin = 1500.0; // right of vert_bar_2

struct TwipsBox
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double right() const { return left + width; }
    friend bool operator==(const TwipsBox&, const TwipsBox&) = default;
};

// The Explorer: tree | vert_bar_3 | listing.
struct ExplorerGeometry
{
    TwipsBox tree;
    TwipsBox bar{kDefaultBar1, 0, kBarWidth, 0};
    TwipsBox list{kDefaultBar1 + kBarWidth, 0, 0, 0};
};

// The Libraries window: tree | vert_bar_1 | listing | vert_bar_2 | preview.
struct LibrariesGeometry
{
    TwipsBox tree;
    TwipsBox bar1{kDefaultBar1, 0, kBarWidth, 0};
    TwipsBox list{kDefaultBar1 + kBarWidth, 0, 0, 0};
    TwipsBox bar2{kDefaultBar2, 0, kBarWidth, 0};
    TwipsBox preview{kDefaultBar2 + kBarWidth, 0, 0, 0};
};

// The layouts on resize. width and height are the window's size, frame
// included. A control whose rule does not apply (the window too small for
// it) keeps its last place.
void layout_explorer(ExplorerGeometry& g, double width, double height);
void layout_libraries(LibrariesGeometry& g, double width, double height);

// One step of a bar drag: x is the pointer's position inside the bar. The
// bar follows the pointer while it lies within its limits, and is then put
// back within them; when the two limits cross, the lower one wins.
double drag_bar(double left, double x, double lower, double upper);

struct BarLimits
{
    double lower = 0;
    double upper = 0;
};
BarLimits explorer_bar_limits(double width);                               // vert_bar_3
BarLimits libraries_bar1_limits(const LibrariesGeometry& g);               // vert_bar_1
BarLimits libraries_bar2_limits(const LibrariesGeometry& g, double width); // vert_bar_2

} // namespace panes
