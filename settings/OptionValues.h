#pragma once

#include "settings/mRegistry.h"

#include <QString>
#include <QStringList>

#include <vector>

// The rules of the options window that need no window: the scales of its
// sliders, the texts of their labels, and saving only what the user changed,
// truthfully.
namespace settings {

// One value as the options window would store it.
struct OptionText
{
    QString section;
    QString name;
    QString text;
    bool operator==(const OptionText&) const = default;
};

// What the store could not write, by value name ("" when everything was
// written).
struct OptionsSaved
{
    QStringList written;
    QStringList failed;
};

// Writes each value of after whose text differs from the same value in
// before (the window's values as they were when it opened). A value the user
// did not change is never written, so a value the window could not show
// exactly stays as stored.
OptionsSaved save_changed_options(const SettingsStore& store, const std::vector<OptionText>& before,
                                  const std::vector<OptionText>& after);

// The message for values that could not be written.
QString options_not_saved_message(const QStringList& failed);

// The threshold slider's scale in megabytes: fine steps for small values,
// coarser ones up to the largest the store accepts (kThresholdMaxMb), with
// the stored value always one of its steps so that it shows exactly.
inline constexpr qint64 kThresholdMaxMb = 2047;
std::vector<qint64> threshold_steps(qint64 storedMb);
// The step nearest to a value.
int threshold_step_of(const std::vector<qint64>& steps, qint64 mb);
QString threshold_label(qint64 mb); // "256 MB"

// "Delay: 1 second", "Delay: 5 seconds".
QString delay_label(int seconds);
// The slider's whole seconds for a stored number of milliseconds, kept to 1
// to 10.
int delay_seconds(qint64 milliseconds);

} // namespace settings
