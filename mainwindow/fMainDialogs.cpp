// The main window's dialogs and tool windows: Find and Find Next, the
// Properties windows and the Options.
#include "mainwindow/fMain.h"

#include "mainwindow/FindStep.h"
#include "mainwindow/ItemProperties.h"
#include "mainwindow/PaneRestyle.h"
#include "mainwindow/fFind.h"
#include "mainwindow/fProperties.h"
#include "panes/UiBrowserWindow.h"
#include "panes/fLibraries.h"
#include "settings/fOptions.h"

#include <QItemSelectionModel>
#include <QPointer>
#include <QTreeView>

using mainwindow::Command;

void fMain::registerDialogCommands()
{
    setCommandHandler(Command::Find, [this] { menu_edit_find_Click(); });
    setCommandHandler(Command::FindNext, [this] { find_next(); });
    setCommandHandler(Command::Properties, [this] { show_properties(); });
    setCommandHandler(Command::Options, [this] { menu_tools_options_Click(); });
}

void fMain::menu_edit_find_Click()
{
    // Closed after every use, so it always opens in its start state.
    if (m_find)
        m_find->close();
    m_find = new fFind(*this, this);
    m_find->setAttribute(Qt::WA_DeleteOnClose);
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
}

void fMain::find_next()
{
    if (m_state.strA.isEmpty())
        return;
    panes::UiBrowserWindow* window = focusedWindow();
    if (!window)
        return;
    browse::FolderListModel& list = window->pane().list;
    QItemSelectionModel* selection = list.selectionModel();
    // The item the user last clicked when it is still selected, else the
    // first selected one.
    int current = -1;
    const QModelIndex at = selection->currentIndex();
    if (at.isValid() && selection->isRowSelected(at.row()))
        current = at.row();
    else if (const QModelIndexList rows = selection->selectedRows(); !rows.isEmpty())
        current = rows.front().row();

    const mainwindow::FindResult result = mainwindow::find_step(
        {m_state.strA, m_state.direction, m_state.match_case}, list.count(), current,
        [&list](int row) { return list.item(row).text; }, m_state.n_found);

    QTreeView* view = window->listView();
    if (result.outcome == mainwindow::FindOutcome::Found) {
        const QModelIndex index = list.index(result.row, 0);
        view->setFocus();
        selection->setCurrentIndex(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view->scrollTo(index);
    } else {
        m_state.prompt().message(mainwindow::find_end_message(result.outcome));
        view->setFocus();
    }
    enable_toolbar();
}

void fMain::show_properties()
{
    panes::UiBrowserWindow* window = focusedWindow();
    if (!window)
        return;
    browse::BrowsePane& pane = window->pane();
    mainwindow::PropertiesSubject subject;
    bool chosen = false;
    if (m_state.object_focus == window->treeCode()) {
        if (const browse::TreeNode* node = pane.tree.selectedNode()) {
            subject = {node->key, node->text, true, pane.isLibraries() && node->flag};
            chosen = true;
        }
    } else {
        QItemSelectionModel* selection = pane.list.selectionModel();
        int row = -1;
        const QModelIndex at = selection->currentIndex();
        if (at.isValid() && selection->isRowSelected(at.row()))
            row = at.row();
        else if (const QModelIndexList rows = selection->selectedRows(); !rows.isEmpty())
            row = rows.front().row();
        if (row >= 0) {
            const browse::ListItem& item = pane.list.item(row);
            subject = {item.key, item.text, item.isFolder, pane.isLibraries() && item.hidden};
            chosen = true;
        }
    }
    if (!chosen) {
        m_state.prompt().message(QStringLiteral("Select a file or folder first."),
                                 QStringLiteral("Properties"), platform::PromptIcon::Information);
        return;
    }
    const mainwindow::PropertiesLoad load = mainwindow::describe_item(subject);
    if (!load.error.isEmpty()) {
        m_state.prompt().message(load.error, QStringLiteral("Properties"),
                                 platform::PromptIcon::Warning);
        return;
    }
    auto* propertiesWindow = new fProperties(load.properties, m_state.idle, this);
    propertiesWindow->setAttribute(Qt::WA_DeleteOnClose);
    propertiesWindow->show();
    propertiesWindow->raise();
    propertiesWindow->activateWindow();
}

void fMain::menu_tools_options_Click()
{
    QPointer<fOptions> dialog = new fOptions(m_state, this);
    dialog->exec();
    const bool changed = dialog && !dialog->written().isEmpty();
    delete dialog;
    if (changed) {
        // What was written counts at once: the level and threshold of the
        // next command, the look of the items, the preview's background. The
        // idle limit is read again at every tick.
        get_preferences();
        if (fLibraries* libraries = librariesWindow()) {
            libraries->applyPreviewPreferences();
            mainwindow::restyle_pane(libraries->pane(), m_state.prefs);
        }
    }
    followFocus();
}
