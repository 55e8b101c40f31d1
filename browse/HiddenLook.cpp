#include "browse/HiddenLook.h"

namespace browse {

ItemLook item_look(const settings::Preferences& prefs, bool hidden)
{
    return hidden ? ItemLook{prefs.color_2, prefs.bold_2} : ItemLook{prefs.color_1, prefs.bold_1};
}

QString hidden_item_tooltip(const QString& stored)
{
    // Built at its exact size: a listing keeps one per hidden item.
    static constexpr QStringView head = u"Encrypted Name: \"", mid = u"\" (Level ";
    QString tip;
    tip.reserve(head.size() + stored.size() + mid.size() + 2);
    tip.append(head).append(stored).append(mid).append(QStringView(stored).right(1)).append(u')');
    return tip;
}

} // namespace browse
