// The Delete command: into the Red Ovidor bin, into the desktop's trash, for
// good from the bin, and removing a Library.
#include "mainwindow/fMain.h"

#include "libraries/fDeleteLibrary.h"
#include "mainwindow/mDeleteSelection.h"
#include "panes/fExplorer.h"
#include "panes/fLibraries.h"
#include "platform/Paths.h"

#include <QPointer>
#include <QTreeView>

using mainwindow::Command;

void fMain::registerDeleteCommands()
{
    setCommandHandler(Command::Delete, [this] { delete_selection(); });
}

mainwindow::DeleteContext fMain::deleteContext()
{
    fLibraries* libraries = librariesWindow();
    fExplorer* explorer = explorerWindow();
    mainwindow::DeleteContext ctx{
        browseContext(), libraries ? &libraries->pane() : nullptr,
        explorer ? &explorer->pane() : nullptr,
        [this](std::uint32_t op, const QStringList& sources, const QString& target,
               std::uint16_t flags) { return moveOrCopyItems(op, sources, target, flags); }};
    ctx.deleteLibrary = [this] { deleteLibraryWindow(); };
    ctx.listFolder = [this](bool inLibraries) {
        panes::UiBrowserWindow* window =
            inLibraries ? static_cast<panes::UiBrowserWindow*>(librariesWindow())
                        : explorerWindow();
        if (window)
            window->list_folder();
    };
    ctx.focusTree = [this](bool inLibraries) {
        panes::UiBrowserWindow* window =
            inLibraries ? static_cast<panes::UiBrowserWindow*>(librariesWindow())
                        : explorerWindow();
        if (window)
            window->treeView()->setFocus();
    };
    return ctx;
}

void fMain::delete_selection()
{
    mainwindow::delete_selection(deleteContext());
    if (panes::UiBrowserWindow* window = focusedWindow())
        window->show_selection_totals();
    enable_toolbar();
}

void fMain::deleteLibraryWindow()
{
    fLibraries* libraries = librariesWindow();
    if (!libraries)
        return;
    const browse::TreeNode* node = libraries->pane().tree.selectedNode();
    if (!node)
        return;
    const QString path = node->key;
    QPointer<fDeleteLibrary> dialog = new fDeleteLibrary(m_state, node->text, path, this);
    dialog->exec();
    const bool removed = dialog && dialog->removed();
    const QString movedTo = dialog ? dialog->movedTo() : QString();
    delete dialog;
    if (!removed)
        return;

    // The windows may have closed while the dialog was open.
    if ((libraries = librariesWindow())) {
        // A folder sent to the bin is shown there; otherwise the Libraries
        // as a whole.
        libraries->refresh();
        if (movedTo.isEmpty() || !libraries->showNode(m_state.folders().binFolder)) {
            browse::FolderTreeModel& tree = libraries->pane().tree;
            tree.selectNode(tree.firstRoot());
            libraries->list_folder();
        }
        libraries->treeView()->setFocus();
    }
    if (!movedTo.isEmpty()) {
        mainwindow::DeleteOutcome out;
        out.gone << path;
        out.sourceFolder = platform::parentFolder(path);
        const mainwindow::DeleteContext ctx = deleteContext();
        mainwindow::follow_deleted_items(ctx, ctx.explorer, out, true);
    }
}
