#include "browse/mMisc.h"

#include "platform/FileSystem.h"
#include "platform/FreeSpace.h"

#include <QLocale>

#include <cmath>

namespace mMisc {

namespace {

// Halves go to the even neighbour. The sizes are whole bytes divided by powers
// of 1024, which doubles hold exactly, so a half really is a half here.
double roundHalfEven(double x)
{
    return x - std::remainder(x, 1.0);
}

double roundHalfEven(double x, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return roundHalfEven(x * scale) / scale;
}

QString plainNumber(double size)
{
    if (std::trunc(size) == size && std::fabs(size) < 1e15)
        return QString::number(static_cast<qint64>(size));
    return QString::number(size, 'g', 15);
}

// The user's locale, thousands grouped: "1,536" or "1.536", as the Size
// column of the listings writes its numbers.
QLocale groupingLocale()
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}

QString groupedNumber(double size)
{
    return groupingLocale().toString(static_cast<qint64>(std::round(size)));
}

// True when the value, rounded to a whole number, takes fewer than four
// characters to write: it still fits the unit it is measured in.
bool fitsUnit(double value)
{
    return plainNumber(roundHalfEven(value)).size() < 4;
}

// "##0.0": the locale's decimal separator, no grouping.
QString oneDecimal(double value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(roundHalfEven(value, 1), 'f', 1);
}

} // namespace

QString format_size(double size, bool bare)
{
    const QString bytes = plainNumber(size);
    if (bytes.size() < 4)
        return bytes + QStringLiteral(" bytes");

    QString text;
    const double kb = size / 1024;
    const double mb = kb / 1024;
    if (fitsUnit(kb))
        text = oneDecimal(kb) + QStringLiteral(" KB");
    else if (fitsUnit(mb))
        text = oneDecimal(mb) + QStringLiteral(" MB");
    else
        text = oneDecimal(mb / 1024) + QStringLiteral(" GB");

    if (!bare)
        text += QStringLiteral(" (") + groupedNumber(size) + QStringLiteral(" bytes)");
    return text;
}

bool is_valid_name(const QString& name)
{
    if (name.isEmpty())
        return false;
    bool allDots = true;
    qsizetype characters = 0;
    for (const char32_t c : name.toUcs4()) {
        ++characters;
        if (c != U'.')
            allDots = false;
        switch (c) {
        case U'\\':
        case U'/':
        case U':':
        case U'*':
        case U'?':
        case U'"':
        case U'<':
        case U'>':
        case U'|':
        // Windows-1252 codes 129, 141, 143, 144 and 157 have no character of
        // their own and map to the C1 controls of the same number; 142 and 158
        // are the letters Ž and ž.
        case 0x81:
        case 0x8D:
        case 0x8F:
        case 0x90:
        case 0x9D:
        case 0x17D:
        case 0x17E:
        // A NUL would end the name early when it reaches the file system, so a
        // rename would land on a different name than the one checked here.
        case 0:
            return false;
        default:
            break;
        }
    }
    return !allDots && characters <= 240;
}

double folder_free_space(const QString& path)
{
    if (!platform::folderExists(path))
        return 0;
    return static_cast<double>(platform::freeBytes(path));
}

} // namespace mMisc
