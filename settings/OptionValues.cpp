#include "settings/OptionValues.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace settings {

OptionsSaved save_changed_options(const SettingsStore& store, const std::vector<OptionText>& before,
                                  const std::vector<OptionText>& after)
{
    OptionsSaved saved;
    for (const OptionText& now : after) {
        const auto was = std::find_if(before.begin(), before.end(), [&](const OptionText& b) {
            return b.section == now.section && b.name == now.name;
        });
        if (was != before.end() && was->text == now.text)
            continue;
        if (store.save_setting(now.section, now.name, now.text))
            saved.written << now.name;
        else
            saved.failed << now.name;
    }
    return saved;
}

QString options_not_saved_message(const QStringList& failed)
{
    return QStringLiteral("These options could not be saved: %1. Check that the settings file "
                          "can be written and that the disk is not full.")
        .arg(failed.join(QStringLiteral(", ")));
}

std::vector<qint64> threshold_steps(qint64 storedMb)
{
    std::vector<qint64> steps;
    for (qint64 mb = 0; mb <= 10; ++mb)
        steps.push_back(mb);
    for (qint64 mb = 15; mb <= 100; mb += 5)
        steps.push_back(mb);
    for (qint64 mb = 128; mb <= 512; mb += 64)
        steps.push_back(mb);
    for (qint64 mb = 640; mb <= 1024; mb += 128)
        steps.push_back(mb);
    for (qint64 mb = 1280; mb < kThresholdMaxMb; mb += 256)
        steps.push_back(mb);
    steps.push_back(kThresholdMaxMb);
    if (storedMb >= 0 && storedMb <= kThresholdMaxMb &&
        !std::binary_search(steps.begin(), steps.end(), storedMb))
        steps.insert(std::lower_bound(steps.begin(), steps.end(), storedMb), storedMb);
    return steps;
}

int threshold_step_of(const std::vector<qint64>& steps, qint64 mb)
{
    int best = 0;
    for (int i = 0; i < static_cast<int>(steps.size()); ++i)
        if (std::llabs(steps[static_cast<size_t>(i)] - mb) <
            std::llabs(steps[static_cast<size_t>(best)] - mb))
            best = i;
    return best;
}

QString threshold_label(qint64 mb)
{
    return QString::number(mb) + QStringLiteral(" MB");
}

QString delay_label(int seconds)
{
    return QStringLiteral("Delay: ") + QString::number(seconds) +
           (seconds == 1 ? QStringLiteral(" second") : QStringLiteral(" seconds"));
}

int delay_seconds(qint64 milliseconds)
{
    const double seconds = std::round(static_cast<double>(milliseconds) / 1000.0);
    return static_cast<int>(std::clamp(seconds, 1.0, 10.0));
}

} // namespace settings
