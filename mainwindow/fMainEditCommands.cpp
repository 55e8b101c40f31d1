// The Edit commands that move items about, Cut, Copy and Paste, with the main
// window's own cut/copy buffer, and New Folder.
#include "mainwindow/fMain.h"

#include "browse/WaitCursor.h"
#include "browse/mGetFolders.h"
#include "libraries/mNewFolder.h"
#include "mainwindow/CommandTable.h"
#include "mainwindow/mEditBuffer.h"
#include "mainwindow/mFileOperations.h"
#include "panes/fExplorer.h"
#include "panes/fLibraries.h"

#include <QAction>
#include <QTreeView>

#include <optional>

using mainwindow::Command;

namespace {

// The buffer's size field counts up to this; the paths themselves are all kept.
constexpr int kMaxBufferSize = 32767;

} // namespace

void fMain::registerEditCommands()
{
    setCommandHandler(Command::Cut, [this] { fill_edit_buffer(mainwindow::FoMove); });
    setCommandHandler(Command::Copy, [this] { fill_edit_buffer(mainwindow::FoCopy); });
    setCommandHandler(Command::Paste, [this] { paste_edit_buffer(); });
    setCommandHandler(Command::NewFolder, [this] { new_folder(QStringLiteral("New Folder")); });
    // The end of a cut: its items show normally again in the list they came from.
    connect(this, &fMain::editBufferCleared, this, [this](qint32 op, qint16 source) {
        if (op != static_cast<qint32>(mainwindow::FoMove))
            return;
        panes::UiBrowserWindow* window =
            source == mainwindow::kLibrariesList ? librariesWindow()
            : source == mainwindow::kExplorerList
                ? static_cast<panes::UiBrowserWindow*>(explorerWindow())
                : nullptr;
        if (window)
            window->pane().list.clearGhosted();
    });
}

void fMain::fill_edit_buffer(qint32 op)
{
    clear_edit_buffer();
    m_state.edit_buffer_source = m_state.object_focus;
    m_state.edit_file_op = op;
    if (panes::UiBrowserWindow* window = focusedWindow()) {
        const mainwindow::BufferItems items =
            mainwindow::items_to_buffer(m_state.object_focus, window->pane());
        m_state.edit_buffer = items.paths;
        // A selection of more items than the field counts still fills the
        // buffer: it must never read as empty.
        m_state.edit_buffer_size = static_cast<qint16>(qMin(items.paths.size(), kMaxBufferSize));
        m_state.edit_buffer_has_folders = items.hasFolders;
        m_state.edit_buffer_has_hidden = items.hasHidden;
        if (op == static_cast<qint32>(mainwindow::FoMove) &&
            m_state.object_focus == window->listCode())
            window->pane().list.setGhostedKeys(items.paths);
    }
    if (m_state.edit_buffer_size > 0)
        toolbarButton(Command::Paste)
            ->setIcon(m_toolbarImages[mainwindow::commandIndex(Command::Paste)]);
    enable_toolbar();
}

void fMain::paste_edit_buffer()
{
    fLibraries* libraries = librariesWindow();
    fExplorer* explorer = explorerWindow();
    // The hourglass covers the scan for hidden items; the file operation
    // shows its own, and lifts it for every question.
    std::optional<browse::WaitCursor> wait;
    mainwindow::PasteSteps steps{m_state, libraries ? &libraries->pane() : nullptr,
                                 explorer ? &explorer->pane() : nullptr};
    steps.moveOrCopy = [this](std::uint32_t op, const QStringList& sources, const QString& target,
                              std::uint16_t flags) {
        return moveOrCopyItems(op, sources, target, flags);
    };
    steps.buildLibraryTree = [this] {
        if (fLibraries* w = librariesWindow())
            mGetFolders::build_library_tree(browseContext(), w->pane().tree);
    };
    steps.listLibraries = [this] {
        if (fLibraries* w = librariesWindow())
            w->list_folder();
    };
    steps.buildExplorerTree = [this] {
        if (fExplorer* w = explorerWindow())
            w->initialize_TreeView();
    };
    steps.listExplorer = [this] {
        if (fExplorer* w = explorerWindow())
            w->list_folder();
    };
    steps.clearEditBuffer = [this] { clear_edit_buffer(); };
    steps.busy = [&wait] { wait.emplace(); };
    steps.idle = [&wait] { wait.reset(); };
    mainwindow::paste_edit_buffer(steps);
    enable_toolbar();
}

void fMain::new_folder(const QString& name)
{
    panes::UiBrowserWindow* window = focusedWindow();
    if (!window)
        return;
    const mNewFolder::Outcome out = mNewFolder::new_folder(browseContext(), window->pane(), name);
    if (out.node) {
        QTreeView* tree = window->treeView();
        tree->scrollTo(window->pane().tree.indexOf(out.node)); // opens the nodes above it
        window->list_folder();
        tree->setFocus();
        paneFocused(window->treeCode());
        window->startRename(true);
    } else if (out.focusTree) {
        window->treeView()->setFocus();
    }
    enable_toolbar();
}
