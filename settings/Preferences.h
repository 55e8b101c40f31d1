#pragma once

#include "settings/mRegistry.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace settings {

// Windows colour values: 0x00BBGGRR, or 0x80000000 + a system colour index.
using WinColor = std::uint32_t;

// The values the hiding engine and the listings keep in memory. Loaded at
// start-up and again whenever the options are saved.
struct Preferences
{
    short encrypt_level = 2;
    QString encrypt_level_3_ext;
    bool auto_show_preview = true;
    bool bold_1 = false;
    bool bold_2 = false;
    WinColor color_1 = 0;
    WinColor color_2 = 0;
    WinColor color_3 = 0;
    bool escape_exit = false;
    qint64 threshold = 0; // bytes; 0 turns temporary copies off
};

// Reads the ten in-memory values, each falling back to its default when
// missing or malformed.
Preferences load_preferences(const SettingsStore& store);

// The default text of every value in the settings table ("" when a value has
// none, like the password and the library table).
QString default_setting(const QString& section, const QString& name);

// Text conversions as the readers use them. nullopt means "does not convert".
// Flags: "0" is false, any other number true, and the words True and False.
std::optional<bool> parse_flag(const QString& text);
std::optional<qint64> parse_integer(const QString& text);
std::optional<WinColor> parse_colour(const QString& text); // signed or unsigned 32-bit
std::optional<double> parse_real(const QString& text);

// Typed readers for any value of the table: the stored text converted, or the
// default when the text is missing or does not convert. No reader ever fails.
bool read_flag(const SettingsStore& store, const QString& section, const QString& name);
qint64 read_integer(const SettingsStore& store, const QString& section, const QString& name);
WinColor read_colour(const SettingsStore& store, const QString& section, const QString& name);
double read_real(const SettingsStore& store, const QString& section, const QString& name);
QString read_text(const SettingsStore& store, const QString& section, const QString& name);

// Writers in the stored text forms.
inline QString flag_text(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace settings
