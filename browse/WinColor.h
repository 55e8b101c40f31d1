#pragma once

#include "settings/Preferences.h"

#include <QColor>

namespace browse {

// The colour a stored Windows colour value stands for: 0x00BBGGRR as is, and
// 0x80000000 + a system colour index as the matching role of the current
// palette, so "window text" follows the desktop's theme.
QColor toQColor(settings::WinColor value);

} // namespace browse
