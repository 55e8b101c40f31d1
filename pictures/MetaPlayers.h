#pragma once

#include "pictures/MetaBytes.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>

namespace pictures {

class MetaCanvas;

// What a metafile's header says about its size.
struct MetaHeader
{
    QRectF frame;       // logical units (WMF) or reference-device pixels (EMF)
    QSizeF natural;     // pixels at 96 dpi
    QSizeF dpi{96, 96}; // the reference device (EMF)
    qsizetype firstRecord = 0;
};

// Both return false for a header that is not sound.
bool readWmfHeader(const QByteArray& bytes, MetaHeader& header);
bool readEmfHeader(const QByteArray& bytes, MetaHeader& header);

// Play every record from the header's first record to the end record (or the
// end of the buffer, or the canvas's work limit). A record that does not fit
// in the buffer, or a record size that cannot be, makes the file malformed:
// they return false. Records too short for their own fields are skipped.
bool playWmf(const QByteArray& bytes, const MetaHeader& header, MetaCanvas& canvas);
bool playEmf(const QByteArray& bytes, const MetaHeader& header, MetaCanvas& canvas);

// A device-independent bitmap (its header and colour table, then its bits)
// decoded by Qt's BMP reader with a file header put in front. Null when
// unsound or too large.
QImage decodeDib(const char* info, qsizetype infoSize, const char* bits, qsizetype bitsSize);
// A packed bitmap: header, colour table and bits in one block.
QImage decodePackedDib(const char* data, qsizetype size);

} // namespace pictures
