// The item context menu of the trees and listings: made from the command
// rows, its entries set from the focused pane and its selection each time it
// pops up.
#include "mainwindow/fMain.h"

#include "browse/BrowsePane.h"
#include "mainwindow/CommandTable.h"
#include "panes/fLibraries.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

using mainwindow::Command;

namespace {

// The entries that run the menu bar's commands, in their order in the menu;
// Command::Properties marks a separator before it.
struct ContextEntry
{
    Command command;
    const char* name;
    bool separatorBefore = false;
};

constexpr ContextEntry kEntries[] = {
    {Command::Hide, "context_menu_hide", true}, {Command::Unhide, "context_menu_unhide"},
    {Command::Cut, "context_menu_cut", true},   {Command::Copy, "context_menu_copy"},
    {Command::Paste, "context_menu_paste"},     {Command::Delete, "context_menu_delete"},
    {Command::Rename, "context_menu_rename"},
};

} // namespace

void fMain::buildContextMenu()
{
    m_contextMenu = new QMenu(QStringLiteral("ContextMenu"), this);
    m_contextMenu->setObjectName(QStringLiteral("context_menu"));

    QAction* open = makeCommandEntry(Command::Open, m_contextMenu);
    open->setObjectName(QStringLiteral("context_menu_open"));
    m_contextMenu->addAction(open);
    m_contextEntries[mainwindow::commandIndex(Command::Open)] = open;

    auto* openWith = new QMenu(QStringLiteral("&Open With"), m_contextMenu);
    openWith->setObjectName(QStringLiteral("context_menu_open_with"));
    m_contextOpenWith = m_contextMenu->addMenu(openWith);
    m_contextOpenWith->setObjectName(QStringLiteral("context_menu_open_with"));
    m_contextNative = makeCommandEntry(Command::Open, openWith);
    m_contextNative->setText(QStringLiteral("&Native Application"));
    m_contextNative->setObjectName(QStringLiteral("context_menu_open_native"));
    openWith->addAction(m_contextNative);
    // The program's own viewer; its caption is set when the main window loads.
    m_openCloakwell = openWith->addAction(QString());
    m_openCloakwell->setObjectName(QStringLiteral("context_menu_open_cloakwell"));
    connect(m_openCloakwell, &QAction::triggered, this, [this] { openSelectionInViewer(); });

    m_contextShowPreview = m_contextMenu->addAction(QStringLiteral("Show &Preview"));
    m_contextShowPreview->setObjectName(QStringLiteral("context_menu_show_preview"));
    connect(m_contextShowPreview, &QAction::triggered, this, [this] {
        if (fLibraries* libraries = librariesWindow())
            libraries->showPreviewCommand();
    });

    int separators = 0;
    for (const ContextEntry& e : kEntries) {
        if (e.separatorBefore)
            m_contextMenu->addSeparator()->setObjectName(
                QStringLiteral("context_menu_sep_%1").arg(++separators));
        QAction* a = makeCommandEntry(e.command, m_contextMenu);
        a->setObjectName(QLatin1String(e.name));
        m_contextMenu->addAction(a);
        m_contextEntries[mainwindow::commandIndex(e.command)] = a;
    }
    m_contextMenu->addSeparator()->setObjectName(
        QStringLiteral("context_menu_sep_%1").arg(++separators));
    // Properties has no entry in the menu bar: this is its entry.
    QAction* properties = makeCommandEntry(Command::Properties, m_contextMenu);
    m_contextMenu->addAction(properties);
    m_contextEntries[mainwindow::commandIndex(Command::Properties)] = properties;
    m_menuEntries[mainwindow::commandIndex(Command::Properties)] = properties;
}

void fMain::prepare_context_menu()
{
    enable_toolbar();
    const mainwindow::ContextMenuRules rules = mainwindow::context_menu_rules(paneFacts());
    const auto entry = [this](Command c) { return m_contextEntries[mainwindow::commandIndex(c)]; };

    const bool canOpen = hasCommandHandler(Command::Open);
    entry(Command::Open)->setVisible(rules.openShown);
    entry(Command::Open)->setEnabled(canOpen);
    m_contextOpenWith->setVisible(rules.openWithShown);
    m_contextNative->setEnabled(rules.nativeEnabled && canOpen);
    // The program's own viewer sits in the submenu a single picture gets.
    m_openCloakwell->setEnabled(rules.openWithShown);
    m_contextShowPreview->setEnabled(rules.showPreview && librariesWindow());

    for (Command c : {Command::Hide, Command::Unhide, Command::Cut, Command::Copy, Command::Paste,
                      Command::Delete})
        entry(c)->setEnabled(toolbarButton(c)->isEnabled());
    entry(Command::Rename)->setEnabled(rules.rename && hasCommandHandler(Command::Rename));
    entry(Command::Properties)
        ->setEnabled(rules.properties && hasCommandHandler(Command::Properties));
}

void fMain::openSelectionInViewer()
{
    const short pane = m_state.object_focus;
    browse::BrowsePane* focused = focusedPane();
    if (!focused || (pane != mainwindow::kLibrariesList && pane != mainwindow::kExplorerList))
        return;
    const QStringList keys = focused->list.selectedKeys();
    if (keys.size() != 1)
        return;
    const int row = focused->list.rowOfKey(keys.front());
    if (row >= 0)
        open_image_viewer(keys.front(), focused->list.item(row).text);
}

void fMain::show_context_menu()
{
    prepare_context_menu();
    m_contextMenu->popup(QCursor::pos());
}
