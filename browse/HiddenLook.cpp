#include "browse/HiddenLook.h"

namespace browse {

ItemLook item_look(const settings::Preferences& prefs, bool hidden)
{
    return hidden ? ItemLook{prefs.color_2, prefs.bold_2} : ItemLook{prefs.color_1, prefs.bold_1};
}

QString hidden_item_tooltip(const QString& stored)
{
    return QStringLiteral("Encrypted Name: \"") + stored + QStringLiteral("\" (Level ") +
           stored.right(1) + QLatin1Char(')');
}

} // namespace browse
