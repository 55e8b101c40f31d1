// Which commands are available, and the commands that work on the browser
// panes themselves: Refresh, Select All, Invert Selection, New Library.
#include "mainwindow/fMain.h"

#include "engine/mOpenFiles.h"
#include "libraries/fAddLibrary.h"
#include "mainwindow/CommandTable.h"
#include "panes/SelectionTotals.h"
#include "panes/fExplorer.h"
#include "panes/fLibraries.h"
#include "pictures/PictureNames.h"
#include "pictures/fImage.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QAction>
#include <QFileInfo>
#include <QPointer>

using mainwindow::Command;

panes::UiBrowserWindow* fMain::focusedWindow() const
{
    switch (m_state.object_focus) {
    case mainwindow::kLibrariesTree:
    case mainwindow::kLibrariesList:
        return librariesWindow();
    case mainwindow::kExplorerTree:
    case mainwindow::kExplorerList:
        return explorerWindow();
    default:
        return nullptr;
    }
}

browse::BrowsePane* fMain::focusedPane() const
{
    panes::UiBrowserWindow* window = focusedWindow();
    return window ? &window->pane() : nullptr;
}

mainwindow::PaneFacts fMain::paneFacts() const
{
    mainwindow::PaneFacts f;
    // A pane whose window is closed offers nothing; the window is not
    // opened again to ask it.
    if (panes::UiBrowserWindow* window = focusedWindow()) {
        f.pane = m_state.object_focus;
        browse::BrowsePane& pane = window->pane();
        if (const browse::TreeNode* node = pane.tree.selectedNode())
            f.kind = node->image;
        f.listItems = pane.list.count();
        if (f.pane == window->listCode()) {
            panes::for_each_selected_row(pane.list, [&](int row) {
                const browse::ListItem& item = pane.list.item(row);
                if (++f.selected == 1) {
                    f.singleFolder = item.isFolder;
                    f.singleText = item.text;
                }
                (item.hidden ? f.selectedHidden : f.selectedPlain) = true;
            });
        }
    }
    f.buffered = m_state.edit_buffer_size > 0;
    f.browserOpen = browserWindowOpen();
    f.librariesOpen = m_librariesSub != nullptr;
    f.searchText = !m_state.strA.isEmpty();
    return f;
}

void fMain::enable_toolbar()
{
    const mainwindow::RuleResults rules = mainwindow::rule_results(paneFacts());
    m_toolbarRules = rules.toolbar;
    for (Command command : mainwindow::toolbar_commands()) {
        toolbarButton(command)->setEnabled(
            mainwindow::command_row(command).buttonOfferedBy(rules) && hasCommandHandler(command));
    }
    update_menu_states();
}

void fMain::update_menu_states()
{
    const mainwindow::RuleResults rules = mainwindow::rule_results(paneFacts());
    m_menuRules = rules.menu;
    for (const mainwindow::CommandRow& row : mainwindow::command_table()) {
        QAction* entry = menuEntry(row.command);
        if (!entry)
            continue; // a context-menu command: its menu takes the state when it opens
        // An entry that has a button follows the button as last set, so the
        // two never disagree.
        if (QAction* button = toolbarButton(row.command); button && !row.buttonOffered)
            entry->setEnabled(button->isEnabled());
        else
            entry->setEnabled(row.offeredBy(rules) && hasCommandHandler(row.command));
    }
    m_newMenu->setEnabled(menuEntry(Command::NewLibrary)->isEnabled() ||
                          menuEntry(Command::NewFolder)->isEnabled());
}

void fMain::refresh_all()
{
    if (panes::UiBrowserWindow* window = focusedWindow())
        window->refresh();
    enable_toolbar();
}

void fMain::open_image_viewer(const QString& path, const QString& name)
{
    auto* viewer = new fImage(m_state, this);
    viewer->image_path = path;
    viewer->image_name = name;
    viewer->Form_Load();
}

void fMain::open_pictures(const QStringList& files)
{
    QStringList refused;
    for (const QString& given : files) {
        const QString path = QFileInfo(given).absoluteFilePath();
        // A hidden picture is known by its readable name.
        const QString readable = mOpenFiles::readableName(path, true);
        if (!platform::fileExists(path) || platform::folderExists(path) ||
            !pictures::is_picture_name(readable))
            refused.append(given);
        else
            open_image_viewer(path, readable);
    }
    if (!refused.isEmpty())
        m_state.prompt().message(
            (refused.size() == 1
                 ? QStringLiteral("This file is not a picture Cloakwell can show:")
                 : QStringLiteral("These files are not pictures Cloakwell can show:")) +
            QLatin1Char('\n') + refused.join(QLatin1Char('\n')));
}

void fMain::menu_edit_select_all_Click()
{
    if (panes::UiBrowserWindow* window = focusedWindow())
        window->selectAllItems();
    enable_toolbar();
}

void fMain::menu_edit_invert_selection_Click()
{
    panes::UiBrowserWindow* window = focusedWindow();
    if (window && m_state.object_focus == window->listCode())
        window->invertItemSelection();
    enable_toolbar();
}

void fMain::menu_file_new_library_Click()
{
    QPointer<fAddLibrary> dialog = new fAddLibrary(m_state, this);
    const bool added = dialog->exec() == QDialog::Accepted && dialog;
    const QString path = added ? dialog->addedPath() : QString();
    delete dialog;
    if (fLibraries* window = librariesWindow(); window && !path.isEmpty())
        window->showAddedLibrary(path);
    // A new Library may now be the chosen node.
    enable_toolbar();
}
