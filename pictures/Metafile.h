#pragma once

#include "pictures/PictureLoader.h"

#include <QByteArray>
#include <QSize>

// Windows metafiles (WMF) and enhanced metafiles (EMF), drawn by the program's
// own player from memory.
namespace pictures {

// Draws the metafile onto a transparent picture of its natural size, or
// reduced into the box when one is given and the picture is larger.
LoadedPicture renderMetafile(const QByteArray& bytes, bool enhanced, QSize box = {});

} // namespace pictures
