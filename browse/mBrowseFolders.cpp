#include "browse/mBrowseFolders.h"

#include <array>

namespace mBrowseFolders {

namespace {

// The shell's published constant names, indexed by number. Numbers the
// picker's error text has no name for (12 to 15, 41, 42, 44) stay empty.
constexpr std::array<const char*, 49> kCsidlNames = {
    "CSIDL_DESKTOP",                 // 0x00
    "CSIDL_INTERNET",                // 0x01
    "CSIDL_PROGRAMS",                // 0x02
    "CSIDL_CONTROLS",                // 0x03
    "CSIDL_PRINTERS",                // 0x04
    "CSIDL_PERSONAL",                // 0x05
    "CSIDL_FAVORITES",               // 0x06
    "CSIDL_STARTUP",                 // 0x07
    "CSIDL_RECENT",                  // 0x08
    "CSIDL_SENDTO",                  // 0x09
    "CSIDL_BITBUCKET",               // 0x0A
    "CSIDL_STARTMENU",               // 0x0B
    "",                              // 0x0C
    "",                              // 0x0D
    "",                              // 0x0E
    "",                              // 0x0F
    "CSIDL_DESKTOPDIRECTORY",        // 0x10
    "CSIDL_DRIVES",                  // 0x11
    "CSIDL_NETWORK",                 // 0x12
    "CSIDL_NETHOOD",                 // 0x13
    "CSIDL_FONTS",                   // 0x14
    "CSIDL_TEMPLATES",               // 0x15
    "CSIDL_COMMON_STARTMENU",        // 0x16
    "CSIDL_COMMON_PROGRAMS",         // 0x17
    "CSIDL_COMMON_STARTUP",          // 0x18
    "CSIDL_COMMON_DESKTOPDIRECTORY", // 0x19
    "CSIDL_APPDATA",                 // 0x1A
    "CSIDL_PRINTHOOD",               // 0x1B
    "CSIDL_LOCAL_APPDATA",           // 0x1C
    "CSIDL_ALTSTARTUP",              // 0x1D
    "CSIDL_COMMON_ALTSTARTUP",       // 0x1E
    "CSIDL_COMMON_FAVORITES",        // 0x1F
    "CSIDL_INTERNET_CACHE",          // 0x20
    "CSIDL_COOKIES",                 // 0x21
    "CSIDL_HISTORY",                 // 0x22
    "CSIDL_COMMON_APPDATA",          // 0x23
    "CSIDL_WINDOWS",                 // 0x24
    "CSIDL_SYSTEM",                  // 0x25
    "CSIDL_PROGRAM_FILES",           // 0x26
    "CSIDL_MYPICTURES",              // 0x27
    "CSIDL_PROFILE",                 // 0x28
    "",                              // 0x29
    "",                              // 0x2A
    "CSIDL_PROGRAM_FILES_COMMON",    // 0x2B
    "",                              // 0x2C
    "CSIDL_COMMON_TEMPLATES",        // 0x2D
    "CSIDL_COMMON_DOCUMENTS",        // 0x2E
    "CSIDL_COMMON_ADMINTOOLS",       // 0x2F
    "CSIDL_ADMINTOOLS",              // 0x30
};

} // namespace

QString os_family()
{
    // There is no Windows version to read. The family only decides which
    // special-folder numbers a start folder may be; "2K" allows all of them.
    return QStringLiteral("2K");
}

bool csidl_supported(int csidl)
{
    return csidl_supported(csidl, os_family());
}

bool csidl_supported(int csidl, const QString& family)
{
    const QString f = family.toUpper();
    if (f == QLatin1String("2K"))
        return csidl <= 48;
    if (f == QLatin1String("NT"))
        return csidl < 35;
    if (f == QLatin1String("9X"))
        return csidl < 22;
    return false;
}

QString csidl_name(int csidl)
{
    if (csidl < 0 || csidl >= static_cast<int>(kCsidlNames.size()))
        return QString();
    return QString::fromLatin1(kCsidlNames[static_cast<size_t>(csidl)]);
}

QString unsupported_csidl_description(int csidl, const QString& family)
{
    const QString f = family.toUpper();
    QString system;
    if (f == QLatin1String("2K"))
        system = QStringLiteral("Windows 2000");
    else if (f == QLatin1String("NT"))
        system = QStringLiteral("Windows NT");
    else if (f == QLatin1String("9X"))
        system = QStringLiteral("Windows 9X");
    else
        system = QStringLiteral("Your");
    // The number is shown as a 32-bit value, so -1 reads 0xFFFFFFFF.
    const QString hex = QString::number(static_cast<quint32>(csidl), 16).toUpper();
    return system +
           QStringLiteral(" operating system does not support this Special Folder "
                          "constant: ") +
           csidl_name(csidl) + QStringLiteral(" (0x") + hex + QLatin1Char(')');
}

} // namespace mBrowseFolders
