#include "settings/Preferences.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace settings {

namespace {

struct Default
{
    const char* section;
    const char* name;
    const char* text;
};

// The values a fresh installation starts from. The password, the library
// table and the saved layouts have none: their absence means "not set yet".
constexpr Default kDefaults[] = {
    {"Behavior", "load_explorer", "1"},
    {"Behavior", "load_libraries", "1"},
    {"Behavior", "remember_last_path", "1"},
    {"Behavior", "escape_exit", "0"},
    {"Behavior", "warn_on_exit", "1"},
    {"Behavior", "exit_on_timeout", "0"},
    {"Behavior", "timeout", "5"},
    // Large enough for today's camera pictures and short clips.
    {"Behavior", "threshold", "256"},
    {"Behavior", "encrypt_level", "2"},
    {"Behavior", "encrypt_level_3_ext",
     "mpg mpeg mpe m1v m2v mp4 m4v mov qt avi wmv asf mkv webm flv f4v 3gp 3g2 mts m2ts vob ogv"},
    {"Appearance", "color_1", "2147483656"}, // system colour: window text
    {"Appearance", "color_2", "12603392"},   // 0x00C05000, a clear blue
    {"Appearance", "color_3", "0"},          // black behind pictures
    {"Appearance", "bold_1", "0"},
    {"Appearance", "bold_2", "0"},
    {"Appearance", "columns", "1111"},
    {"Viewing", "auto_show_preview", "1"},
    {"Viewing", "slide_show_delay", "3000"},
    {"Viewing", "slide_show_mode", "random"},
    {"Viewing", "space_bar_stop", "1"},
};

} // namespace

QString default_setting(const QString& section, const QString& name)
{
    for (const auto& d : kDefaults)
        if (section == QLatin1String(d.section) && name == QLatin1String(d.name))
            return QString::fromLatin1(d.text);
    return QString();
}

std::optional<qint64> parse_integer(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    const qint64 v = t.toLongLong(&ok, 10);
    if (ok)
        return v;
    // "5.0" and the like: accept a real that is a whole number.
    const auto r = parse_real(t);
    if (r && std::floor(*r) == *r && std::fabs(*r) < 9.0e18)
        return static_cast<qint64>(*r);
    return std::nullopt;
}

std::optional<bool> parse_flag(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    const auto r = parse_real(t);
    if (!r)
        return std::nullopt;
    return *r != 0.0;
}

std::optional<WinColor> parse_colour(const QString& text)
{
    const auto v = parse_integer(text);
    if (!v || *v < std::numeric_limits<std::int32_t>::min() ||
        *v > static_cast<qint64>(std::numeric_limits<std::uint32_t>::max()))
        return std::nullopt;
    // A VB Long holds system colours as negative numbers.
    return static_cast<WinColor>(static_cast<std::uint32_t>(*v & 0xFFFFFFFF));
}

std::optional<double> parse_real(const QString& text)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString read_text(const SettingsStore& store, const QString& section, const QString& name)
{
    const QString v = store.get_setting(section, name);
    return v.isEmpty() ? default_setting(section, name) : v;
}

bool read_flag(const SettingsStore& store, const QString& section, const QString& name)
{
    if (auto v = parse_flag(store.get_setting(section, name)))
        return *v;
    return parse_flag(default_setting(section, name)).value_or(false);
}

qint64 read_integer(const SettingsStore& store, const QString& section, const QString& name)
{
    if (auto v = parse_integer(store.get_setting(section, name)))
        return *v;
    return parse_integer(default_setting(section, name)).value_or(0);
}

WinColor read_colour(const SettingsStore& store, const QString& section, const QString& name)
{
    if (auto v = parse_colour(store.get_setting(section, name)))
        return *v;
    return parse_colour(default_setting(section, name)).value_or(0);
}

double read_real(const SettingsStore& store, const QString& section, const QString& name)
{
    if (auto v = parse_real(store.get_setting(section, name)))
        return *v;
    return parse_real(default_setting(section, name)).value_or(0.0);
}

Preferences load_preferences(const SettingsStore& settingsStore)
{
    // One reading of the file for every value.
    const SettingsStore store = settingsStore.snapshot();
    const QString behavior = QLatin1String(kSectionBehavior);
    const QString appearance = QLatin1String(kSectionAppearance);
    const QString viewing = QLatin1String(kSectionViewing);
    Preferences p;

    // Levels above 3 would give names that are not recognised as hidden.
    qint64 level = read_integer(store, behavior, QStringLiteral("encrypt_level"));
    if (level > 3 || level < std::numeric_limits<short>::min())
        level = *parse_integer(default_setting(behavior, QStringLiteral("encrypt_level")));
    p.encrypt_level = static_cast<short>(level);
    // The list is searched as it is stored; only a missing value takes the default.
    const QString ext = store.get_setting(behavior, QStringLiteral("encrypt_level_3_ext"));
    p.encrypt_level_3_ext =
        ext.isEmpty() ? default_setting(behavior, QStringLiteral("encrypt_level_3_ext")) : ext;

    p.auto_show_preview = read_flag(store, viewing, QStringLiteral("auto_show_preview"));
    p.bold_1 = read_flag(store, appearance, QStringLiteral("bold_1"));
    p.bold_2 = read_flag(store, appearance, QStringLiteral("bold_2"));
    p.color_1 = read_colour(store, appearance, QStringLiteral("color_1"));
    p.color_2 = read_colour(store, appearance, QStringLiteral("color_2"));
    p.color_3 = read_colour(store, appearance, QStringLiteral("color_3"));
    p.escape_exit = read_flag(store, behavior, QStringLiteral("escape_exit"));

    // Kept as bytes in a 32-bit count: a value whose product does not fit, or a
    // negative one, takes the default.
    qint64 mb = read_integer(store, behavior, QStringLiteral("threshold"));
    if (mb < 0 || mb > std::numeric_limits<std::int32_t>::max() / 1048576)
        mb = *parse_integer(default_setting(behavior, QStringLiteral("threshold")));
    p.threshold = mb * 1048576;
    return p;
}

} // namespace settings
