#include "mainwindow/Arrangement.h"

#include <algorithm>

namespace mainwindow {

TwipsRect upper_tile(int mainWidth, int statusTop, int toolbarHeight)
{
    return TwipsRect{0, 0, std::max(0, mainWidth - kTileWidthMargin),
                     std::max(0, (statusTop - toolbarHeight) / 2)};
}

TwipsRect lower_tile(const TwipsRect& upperAsPlaced)
{
    return TwipsRect{upperAsPlaced.left, upperAsPlaced.top + upperAsPlaced.height,
                     upperAsPlaced.width, std::max(0, upperAsPlaced.height - kTileHeightMargin)};
}

} // namespace mainwindow
