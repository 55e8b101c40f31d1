#pragma once

#include <QString>

// The non-widget half of the folder picker: the Windows-family rules that
// decide which special-folder numbers a start folder may be, and error 32700.
namespace mBrowseFolders {

// "9X", "NT" or "2K". This build reports one fixed family, "2K", the newest
// the design knows, so every special-folder number up to 48 is supported.
QString os_family();

bool csidl_supported(int csidl);
bool csidl_supported(int csidl, const QString& family);

// "CSIDL_DESKTOP" ... "CSIDL_ADMINTOOLS", or "" for numbers without a name.
QString csidl_name(int csidl);

inline constexpr int kErrorUnsupportedCsidl = 32700;
inline constexpr const char* kErrorSource = "BrowseFolders.BrowseForFolder";

// The description of error 32700 for the number on the family.
QString unsupported_csidl_description(int csidl, const QString& family);

} // namespace mBrowseFolders
