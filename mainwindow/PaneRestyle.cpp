#include "mainwindow/PaneRestyle.h"

#include "browse/HiddenLook.h"

namespace mainwindow {

void restyle_pane(browse::BrowsePane& pane, const settings::Preferences& prefs)
{
    for (int row = 0; row < pane.list.count(); ++row) {
        const browse::ListItem& item = pane.list.item(row);
        if (!item.hasColor)
            continue;
        const browse::ItemLook look = browse::item_look(prefs, item.hidden);
        if (item.color == look.color && item.bold == look.bold)
            continue;
        browse::ListItem restyled = item;
        restyled.color = look.color;
        restyled.bold = look.bold;
        pane.list.setItem(row, std::move(restyled));
    }
    pane.tree.forEachNode([&](browse::TreeNode* node) {
        if (!node->hasColor)
            return;
        const browse::ItemLook look = browse::item_look(prefs, node->flag);
        if (node->color != look.color || node->bold != look.bold)
            pane.tree.setNodeAppearance(node, look.color, look.bold);
    });
}

} // namespace mainwindow
