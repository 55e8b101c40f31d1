#pragma once

#include <QString>

namespace mSpecialFolders {

inline constexpr int CSIDL_DESKTOP = 0;
inline constexpr int CSIDL_PERSONAL = 5;

// The path of special folder n (0 Desktop, 5 My Documents), or "" when the
// number is not known here or the folder does not exist.
QString special_folder_path(int csidl);

} // namespace mSpecialFolders
