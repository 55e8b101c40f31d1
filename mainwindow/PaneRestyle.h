#pragma once

#include "browse/BrowsePane.h"
#include "settings/Preferences.h"

namespace mainwindow {

// Gives every coloured item of a pane (the Libraries window's list items and
// folder nodes) the colour and weight the preferences now give hidden and
// unhidden items. Items whose look is unchanged are left alone.
void restyle_pane(browse::BrowsePane& pane, const settings::Preferences& prefs);

} // namespace mainwindow
