#include "pictures/PictureNames.h"

#include <QAbstractItemModel>

namespace pictures {

bool is_picture_name(const QString& name)
{
    static const char* const suffixes[] = {".bmp", ".ico", ".cur", ".rle",
                                           ".wmf", ".emf", ".gif", ".jpg"};
    const QString tail = name.right(4).toLower();
    for (const char* s : suffixes) {
        if (tail == QLatin1String(s))
            return true;
    }
    return false;
}

int count_pictures(const QAbstractItemModel& listing)
{
    // The count is a plain int: a 16-bit count would overflow in a folder of
    // more than 32767 pictures.
    int n = 0;
    const int rows = listing.rowCount();
    for (int row = 0; row < rows; ++row) {
        if (is_picture_name(listing.index(row, 0).data(Qt::DisplayRole).toString()))
            ++n;
    }
    return n;
}

} // namespace pictures
