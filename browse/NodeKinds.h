#pragma once

#include <QLatin1String>

// The kinds of tree nodes. A node's image key names its kind, and the two
// roots have fixed keys; commands test both by these names only.
namespace browse::kinds {

inline constexpr QLatin1String kMyLibraries{"mylibraries"}; // root of the Libraries tree
inline constexpr QLatin1String kMyComputer{"mycomputer"};   // root of the Explorer tree
inline constexpr QLatin1String kLibrary{"library"};
inline constexpr QLatin1String kFolder{"folder"};
inline constexpr QLatin1String kTrash{"trash"}; // the bin
inline constexpr QLatin1String kDrive{"drive"};
inline constexpr QLatin1String kCd{"cd"};
inline constexpr QLatin1String kFloppy{"floppy"};
inline constexpr QLatin1String kDesktop{"desktop"};
inline constexpr QLatin1String kMyDocuments{"mydocuments"};

} // namespace browse::kinds
