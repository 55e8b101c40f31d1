// The File commands that act on the items of the panes: Open, Hide, Unhide.
#include "mainwindow/fMain.h"

#include "engine/fOpenWith.h"
#include "engine/fProgress.h"
#include "engine/fRenameSelection.h"
#include "engine/mEncryptRecords.h"
#include "engine/mHide.h"
#include "engine/mOpenSelection.h"
#include "mainwindow/fConflict.h"
#include "mainwindow/mFileOperations.h"
#include "panes/UiBrowserWindow.h"
#include "panes/fExplorer.h"
#include "panes/fLibraries.h"

#include <QTreeView>

using mainwindow::Command;

void fMain::registerFileCommands()
{
    setCommandHandler(Command::Open, [this] { menu_file_open_Click(); });
    setCommandHandler(Command::Hide, [this] { menu_file_hide_Click(); });
    setCommandHandler(Command::Unhide, [this] { menu_file_unhide_Click(); });
    setCommandHandler(Command::Rename, [this] {
        if (panes::UiBrowserWindow* window = focusedWindow())
            window->startRename(m_state.object_focus == window->treeCode());
    });
    setCommandHandler(Command::RenameSelection, [this] { menu_tools_rename_selection_Click(); });
}

void fMain::menu_tools_rename_selection_Click()
{
    // Always the Libraries list's selection, whichever pane has the focus.
    fLibraries* libraries = librariesWindow();
    if (!libraries)
        return;
    const browse::BrowseContext ctx = browseContext();
    QPointer<fRenameSelection> dialog =
        new fRenameSelection(m_state.idle, ctx, libraries->pane(), this);
    dialog->exec();
    delete dialog;
    enable_toolbar();
}

void fMain::menu_file_open_Click()
{
    fLibraries* libraries = librariesWindow();
    fExplorer* explorer = explorerWindow();
    const browse::BrowseContext browse = browseContext();
    const mOpenFiles::Context open{m_state.prefs, m_state.prompt(), m_state.launcher(),
                                   openWithDialog(m_state.launcher(), this)};
    mOpenFiles::SelectionContext ctx{browse,
                                     open,
                                     libraries ? &libraries->pane() : nullptr,
                                     explorer ? &explorer->pane() : nullptr,
                                     {}};
    ctx.showNode = [libraries, explorer](browse::BrowsePane& pane, browse::TreeNode* node) {
        panes::UiBrowserWindow* window = nullptr;
        if (libraries && &libraries->pane() == &pane)
            window = libraries;
        else if (explorer && &explorer->pane() == &pane)
            window = explorer;
        if (window)
            window->treeView()->scrollTo(pane.tree.indexOf(node));
    };
    mOpenFiles::open_selection(m_state.object_focus, ctx);
    enable_toolbar();
}

std::uint32_t fMain::moveOrCopyItems(std::uint32_t op, const QStringList& sources,
                                     const QString& target, std::uint16_t flags)
{
    fProgress progress(this);
    UiConflictQuestion conflicts(this);
    const mainwindow::FileOperationServices services{
        m_state.prompt(), &progress, &conflicts, {}, mEncrypt::record_folder_of(m_state.folders())};
    return mainwindow::move_or_copy_items(op, sources, target, flags, services);
}

void fMain::runHideCommand(bool hide)
{
    fLibraries* libraries = librariesWindow();
    fProgress progress(this);
    const mHide::Context ctx{browseContext(),
                             libraries ? &libraries->pane() : nullptr,
                             [this] { clear_edit_buffer(); },
                             [this] { enable_toolbar(); },
                             [this] {
                                 if (fLibraries* w = librariesWindow())
                                     w->treeView()->setFocus();
                             },
                             &progress};
    if (hide)
        mHide::hide_selection(ctx);
    else
        mHide::unhide_selection(ctx);
}

void fMain::menu_file_hide_Click()
{
    runHideCommand(true);
}
void fMain::menu_file_unhide_Click()
{
    runHideCommand(false);
}
