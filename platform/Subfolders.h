#pragma once

#include <QString>

#include <vector>

namespace platform {

struct SubfolderEntry
{
    QString name;
    bool isSymLink = false; // a link to a folder
    bool lossless = true;   // the name survives the trip back to the file system's bytes
};

// The subfolders of a folder in file-system order, links to folders included
// and flagged. Files are passed over without decoding their names or asking
// for their status, which keeps walks through folders full of pictures as
// quick as the kernel can list them. *ok (when given) turns false when the
// folder cannot be read.
std::vector<SubfolderEntry> listSubfolders(const QString& path, bool* ok = nullptr);

} // namespace platform
