#include "mainwindow/CommandRules.h"

#include "browse/NodeKinds.h"
#include "mainwindow/AppState.h"
#include "pictures/PictureNames.h"

namespace mainwindow {

namespace {

bool isLibrariesPane(short pane)
{
    return pane == kLibrariesTree || pane == kLibrariesList;
}

bool isExplorerPane(short pane)
{
    return pane == kExplorerTree || pane == kExplorerList;
}

bool isListPane(short pane)
{
    return pane == kLibrariesList || pane == kExplorerList;
}

} // namespace

ToolbarRules toolbar_rules(const PaneFacts& f)
{
    ToolbarRules r;
    const QString& kind = f.kind;
    auto is = [&](QLatin1String k) { return kind == k; };
    using namespace browse::kinds;

    r.newLibrary = isLibrariesPane(f.pane);
    if (isLibrariesPane(f.pane)) {
        r.newFolder = !is(kTrash) && !is(kMyLibraries);
        r.paste = (is(kLibrary) || is(kFolder)) && f.buffered;
        if (f.pane == kLibrariesTree) {
            // The tree's Hide and Unhide work on a whole folder, Library or
            // all Libraries, whatever node is selected.
            r.hide = true;
            r.unhide = true;
            r.cut = r.copy = is(kFolder);
            r.del = !is(kTrash) && !is(kMyLibraries);
        } else if (f.selected > 0) {
            r.cut = r.copy = r.del = true;
            r.hide = f.selectedPlain;
            r.unhide = f.selectedHidden;
        }
    } else if (isExplorerPane(f.pane)) {
        r.newFolder = !is(kCd) && !is(kMyLibraries);
        r.paste = !is(kMyLibraries) && !is(kCd) && f.buffered;
        if (f.pane == kExplorerTree)
            r.cut = r.copy = r.del = is(kFolder);
        else
            r.cut = r.copy = r.del = f.selected > 0;
    }
    r.refresh = f.browserOpen;
    return r;
}

MenuRules menu_rules(const PaneFacts& f)
{
    MenuRules m;
    const bool folderNode = f.kind == browse::kinds::kFolder;
    m.open = isListPane(f.pane);
    m.close = f.browserOpen;
    m.rename = (f.pane == kLibrariesTree && (folderNode || f.kind == browse::kinds::kLibrary)) ||
               isListPane(f.pane) || (f.pane == kExplorerTree && folderNode);
    const bool listHasItems = f.pane != kNoPane && f.listItems > 0;
    m.find = listHasItems;
    m.selectAll = listHasItems;
    m.findNext = listHasItems && f.searchText;
    m.invertSelection = isListPane(f.pane);
    m.slideShow = f.librariesOpen;
    m.pictureSorter = f.librariesOpen;
    m.renameSelection = f.pane == kLibrariesList && f.selected > 0;
    return m;
}

ContextMenuRules context_menu_rules(const PaneFacts& f)
{
    using namespace browse::kinds;
    ContextMenuRules c;
    switch (f.pane) {
    case kLibrariesTree:
        c.rename = f.kind != kTrash && f.kind != kMyLibraries && !f.kind.isEmpty();
        c.properties = f.kind != kMyLibraries && !f.kind.isEmpty();
        break;
    case kExplorerTree:
        c.properties = f.kind == kFolder || f.kind == kMyDocuments || f.kind == kDesktop;
        break;
    case kLibrariesList:
    case kExplorerList: {
        const bool picture = f.selected == 1 && !f.singleFolder && pictures::is_picture_name(f.singleText);
        c.openShown = f.selected >= 2 || (f.selected == 1 && !picture);
        c.openWithShown = picture;
        c.nativeEnabled = f.selected == 1 && !f.singleFolder;
        // The preview belongs to the Libraries window.
        c.showPreview = picture && f.pane == kLibrariesList;
        c.rename = true;
        c.properties = true;
        break;
    }
    default:
        break;
    }
    return c;
}

} // namespace mainwindow
