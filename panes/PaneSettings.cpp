#include "panes/PaneSettings.h"

#include "settings/Preferences.h"

namespace panes {

namespace {

QString appearance()
{
    return QString::fromLatin1(settings::kSectionAppearance);
}

QString singleText(double value)
{
    return QString::number(static_cast<float>(value), 'g', 7);
}

} // namespace

double read_bar(const settings::SettingsStore& store, const char* name, double fallback)
{
    const auto saved = settings::parse_real(store.get_setting(appearance(), QLatin1String(name)));
    return saved.value_or(fallback);
}

void save_bar(const settings::SettingsStore& store, const char* name, double left)
{
    store.save_setting(appearance(), QLatin1String(name), singleText(left));
}

void save_column_widths(const settings::SettingsStore& store, const std::array<double, 4>& twips)
{
    for (size_t k = 0; k < twips.size(); ++k)
        store.save_setting(appearance(), QStringLiteral("width") + QString::number(k + 1),
                           singleText(twips[k]));
}

} // namespace panes
