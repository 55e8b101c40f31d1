#pragma once

#include <QString>

// The release this build is, as written to the settings store at start-up and
// shown in the about box.
namespace mainwindow {

inline constexpr int kVersionMajor = 2;
inline constexpr int kVersionMinor = 2;
inline constexpr int kVersionRevision = 0;

inline QString versionText()
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

inline QString productName()
{
    return QStringLiteral("Cloakwell");
}

// The product's web site; Online Help appends "help".
inline QString webSiteAddress()
{
    return QStringLiteral("https://www.cloakwell.org/");
}

} // namespace mainwindow
