#include "panes/PaneLayout.h"

namespace panes {

void layout_explorer(ExplorerGeometry& g, double width, double height)
{
    if (height - kFrameHeight > 0)
        g.bar.height = g.list.height = g.tree.height = height - kFrameHeight;
    if (g.bar.left - g.tree.left > 0) {
        g.tree.left = 0;
        g.tree.width = g.bar.left - g.tree.left;
    }
    if (width - (g.bar.width + g.bar.left) - kFrameWidth > 0) {
        g.list.left = g.bar.left + g.bar.width;
        g.list.width = width - g.list.left - kFrameWidth;
    }
}

void layout_libraries(LibrariesGeometry& g, double width, double height)
{
    if (height > kFrameHeight) {
        const double h = height - kFrameHeight;
        g.tree.height = g.list.height = g.preview.height = g.bar1.height = g.bar2.height = h;
    }
    if (g.bar1.left - g.tree.left > 0) {
        g.tree.left = 0;
        g.tree.width = g.bar1.left - g.tree.left;
    }
    if (g.bar2.left - g.list.left > 0) {
        g.list.left = g.bar1.left + g.bar1.width;
        g.list.width = g.bar2.left - g.list.left;
    }
    if (width - 150 - (g.bar2.width + g.bar2.left) > 0) {
        g.preview.left = g.bar2.left + g.bar2.width;
        g.preview.width = width - 150 - g.preview.left;
    }
}

double drag_bar(double left, double x, double lower, double upper)
{
    if (left >= lower && left <= upper)
        left += x;
    if (left > upper)
        left = upper;
    if (left < lower)
        left = lower;
    return left;
}

BarLimits explorer_bar_limits(double width)
{
    return {kBarMargin, width - kBarMargin};
}

BarLimits libraries_bar1_limits(const LibrariesGeometry& g)
{
    return {kBarMargin, g.bar2.left - kBarMargin};
}

BarLimits libraries_bar2_limits(const LibrariesGeometry& g, double width)
{
    return {g.list.left + kBarMargin, width - kPreviewMargin};
}

} // namespace panes
