#include "mainwindow/AppState.h"

namespace mainwindow {

AppState::AppState(Services s) : services(std::move(s)), idle(services.store) {}

bool AppState::empty_edit_buffer()
{
    edit_buffer.clear();
    if (edit_buffer_size == 0)
        return false;
    edit_buffer_size = 0;
    edit_buffer_has_folders = false;
    edit_buffer_has_hidden = false;
    return true;
}

browse::BrowseContext AppState::browseContext(std::function<void(const QString&)> showStatus)
{
    return browse::BrowseContext{
        .prefs = prefs,
        .prompt = prompt(),
        .store = services.store,
        .folders = services.folders,
        .object_focus = object_focus,
        .iconImageList = IconImageList,
        .staging = staging,
        .showStatus = std::move(showStatus),
    };
}

} // namespace mainwindow
