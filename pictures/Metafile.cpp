#include "pictures/Metafile.h"

namespace pictures {

LoadedPicture renderMetafile(const QByteArray&, bool, QSize)
{
    return LoadedPicture{};
}

} // namespace pictures
