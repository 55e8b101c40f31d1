#pragma once

#include "settings/Preferences.h"

#include <QString>

// How the Libraries window shows an item by whether it is hidden: its colour
// and weight from the preferences (color_2 and bold_2 for hidden items,
// color_1 and bold_1 for the others), and the tooltip of a hidden one. The
// listing, the tree and the hiding commands all take it from here.
namespace browse {

struct ItemLook
{
    settings::WinColor color = 0;
    bool bold = false;
};

ItemLook item_look(const settings::Preferences& prefs, bool hidden);

// The tooltip of a hidden item: Encrypted Name: "<stored>" (Level <n>), n
// being the stored name's last character. stored is the hidden name (or its
// full path) as on disk.
QString hidden_item_tooltip(const QString& stored);

} // namespace browse
