#pragma once

#include <QString>

class QAbstractItemModel;

// Which names count as pictures. The test is made on the text a listing shows,
// which for a hidden item is its plain name, so hidden pictures are recognised
// by their real suffix.
namespace pictures {

// True when the last four characters, lower-cased, are one of ".bmp", ".ico",
// ".cur", ".rle", ".wmf", ".emf", ".gif" or ".jpg". ".jpeg" is not a picture
// name.
bool is_picture_name(const QString& name);

// The rows of a listing whose first column's text is a picture name.
int count_pictures(const QAbstractItemModel& listing);

} // namespace pictures
