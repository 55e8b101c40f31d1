#include "mainwindow/Arrangement.h"

#include <algorithm>

namespace mainwindow {

QRect upper_tile(int areaWidth, int areaHeight)
{
    return QRect(0, 0, std::max(0, areaWidth), std::max(0, areaHeight / 2));
}

QRect lower_tile(const QRect& upperAsPlaced, int areaHeight)
{
    const int top = upperAsPlaced.top() + upperAsPlaced.height();
    return QRect(upperAsPlaced.left(), top, upperAsPlaced.width(), std::max(0, areaHeight - top));
}

} // namespace mainwindow
