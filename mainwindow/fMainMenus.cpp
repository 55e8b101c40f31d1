// The main window's menu bar, toolbar and status bar.
#include "mainwindow/fMain.h"

#include "mainwindow/Arrangement.h"
#include "mainwindow/UiIcons.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

using mainwindow::Command;

namespace {

struct ToolbarButton
{
    const char* key;
    const char* caption;
    const char* shortText;
    const char* longText; // the button's description; "" for none
    Command command;
    const char* themeNames[2];
    char glyph;
    QRgb tile;
};

// The ten buttons in their order. The short text is the tooltip; the long
// text, where there is one, is the button's description ("What's This").
const ToolbarButton kButtons[] = {
    {"tb_library",
     "New Lib",
     "Add Library",
     "Adds a new library under \"My Libraries\"",
     Command::NewLibrary,
     {"bookmark-new", "list-add"},
     'L',
     0x3a6ea5},
    {"tb_new_folder",
     "Folder",
     "Add Folder",
     "Creates a subfolder in the active folder",
     Command::NewFolder,
     {"folder-new", "folder"},
     'F',
     0xc49a2c},
    {"tb_hide",
     "Hide",
     "Hide",
     "Hides selected files",
     Command::Hide,
     {"changes-prevent", "system-lock-screen"},
     'H',
     0x444444},
    {"tb_unhide",
     "Unhide",
     "Unhide",
     "Unhides selected files",
     Command::Unhide,
     {"changes-allow", "view-reveal"},
     'U',
     0x4a8a3a},
    {"tb_cut", "Cut", "Cut", "", Command::Cut, {"edit-cut", ""}, 'X', 0x666666},
    {"tb_copy", "Copy", "Copy", "", Command::Copy, {"edit-copy", ""}, 'C', 0x666666},
    {"tb_paste", "Paste", "Paste", "", Command::Paste, {"edit-paste", ""}, 'V', 0x666666},
    {"tb_delete",
     "Delete",
     "Delete",
     "",
     Command::Delete,
     {"edit-delete", "user-trash"},
     'D',
     0xb03030},
    {"tb_refresh", "Refresh", "Refresh", "", Command::Refresh, {"view-refresh", ""}, 'R', 0x3a8a8a},
    {"tb_options",
     "Options",
     "Options",
     "",
     Command::Options,
     {"preferences-system", "emblem-system"},
     'O',
     0x555577},
};

QStringList themeNamesOf(const ToolbarButton& b)
{
    QStringList names;
    for (const char* n : b.themeNames)
        if (n && *n)
            names << QLatin1String(n);
    return names;
}

} // namespace

QAction* fMain::action(const char* name) const
{
    return m_actions.value(QLatin1String(name));
}

void fMain::buildMenus()
{
    QMenuBar* bar = menuBar();

    auto menu = [&](QMenu* parentMenu, const char* name, const char* caption) {
        QMenu* m = parentMenu ? parentMenu->addMenu(QString::fromUtf8(caption))
                              : bar->addMenu(QString::fromUtf8(caption));
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        m_actions.insert(QLatin1String(name), m->menuAction());
        return m;
    };
    auto entry = [&](QMenu* m, const char* name, const char* caption, Command command,
                     const QKeySequence& shortcut = QKeySequence()) {
        QAction* a = m->addAction(QString::fromUtf8(caption));
        a->setObjectName(QLatin1String(name));
        a->setShortcut(shortcut);
        connect(a, &QAction::triggered, this, [this, command] { run_command(command); });
        m_actions.insert(QLatin1String(name), a);
        return a;
    };
    auto separator = [&](QMenu* m, const char* name) {
        QAction* s = m->addSeparator();
        s->setObjectName(QLatin1String(name));
    };

    QMenu* file = menu(nullptr, "menu_file", "&File");
    entry(file, "menu_file_open", "&Open", Command::Open);
    entry(file, "menu_file_close", "&Close", Command::Close);
    separator(file, "menu_file_sep_0");
    QMenu* fileNew = menu(file, "menu_file_new", "Ne&w");
    entry(fileNew, "menu_file_new_library", "&Library", Command::NewLibrary);
    entry(fileNew, "menu_file_new_folder", "&Folder", Command::NewFolder);
    separator(file, "menu_file_sep_1");
    entry(file, "menu_file_hide", "&Hide", Command::Hide);
    entry(file, "menu_file_unhide", "&Unhide", Command::Unhide);
    separator(file, "menu_file_sep_2");
    entry(file, "menu_file_delete", "&Delete", Command::Delete, QKeySequence(Qt::Key_Delete));
    entry(file, "menu_file_rename", "Rena&me", Command::Rename, QKeySequence(Qt::Key_F2));
    separator(file, "menu_file_sep_3");
    entry(file, "menu_file_exit", "E&xit", Command::Exit);

    QMenu* edit = menu(nullptr, "menu_edit", "&Edit");
    entry(edit, "menu_edit_cut", "Cu&t", Command::Cut, QKeySequence(Qt::CTRL | Qt::Key_X));
    entry(edit, "menu_edit_copy", "&Copy", Command::Copy, QKeySequence(Qt::CTRL | Qt::Key_C));
    entry(edit, "menu_edit_paste", "&Paste", Command::Paste, QKeySequence(Qt::CTRL | Qt::Key_V));
    separator(edit, "menu_edit_sep_1");
    entry(edit, "menu_edit_find", "&Find", Command::Find, QKeySequence(Qt::CTRL | Qt::Key_F));
    entry(edit, "menu_edit_find_next", "&Find Next", Command::FindNext, QKeySequence(Qt::Key_F3));
    separator(edit, "menu_edit_sep_2");
    entry(edit, "menu_edit_select_all", "Select &All", Command::SelectAll,
          QKeySequence(Qt::CTRL | Qt::Key_A));
    entry(edit, "menu_edit_invert_selection", "&Invert Selection", Command::InvertSelection,
          QKeySequence(Qt::CTRL | Qt::Key_I));

    QMenu* view = menu(nullptr, "menu_view", "&View");
    entry(view, "menu_view_libraries", "&Libraries", Command::ViewLibraries,
          QKeySequence(Qt::CTRL | Qt::Key_L))
        ->setCheckable(true);
    entry(view, "menu_view_explorer", "&Explorer", Command::ViewExplorer,
          QKeySequence(Qt::CTRL | Qt::Key_E))
        ->setCheckable(true);
    QAction* toolbarEntry = entry(view, "menu_view_toolbar", "&Toolbar", Command::ViewToolbar);
    toolbarEntry->setCheckable(true);
    toolbarEntry->setChecked(true);
    QAction* statusEntry =
        entry(view, "menu_view_status_bar", "&Status Bar", Command::ViewStatusBar);
    statusEntry->setCheckable(true);
    statusEntry->setChecked(true);
    separator(view, "menu_view_sep_1");
    entry(view, "menu_view_refresh", "&Refresh", Command::Refresh, QKeySequence(Qt::Key_F5));

    QMenu* tools = menu(nullptr, "menu_tools", "&Tools");
    entry(tools, "menu_tools_slide_show", "&Slide Show!", Command::SlideShow,
          QKeySequence(Qt::Key_F4));
    entry(tools, "menu_tools_picture_sorter", "&Picture Sorter!", Command::PictureSorter);
    separator(tools, "menu_tools_sep_1");
    entry(tools, "menu_tools_rename_selection", "Rena&me Selection", Command::RenameSelection);
    separator(tools, "menu_tools_sep_2");
    entry(tools, "menu_tools_change_password", "&Change Password", Command::ChangePassword);
    entry(tools, "menu_tools_options", "&Options", Command::Options);

    m_windowMenu = menu(nullptr, "menu_window", "&Window");
    entry(m_windowMenu, "menu_windows_tile_windows", "&Tile", Command::Tile);
    connect(m_windowMenu, &QMenu::aboutToShow, this, &fMain::rebuildWindowList);

    QMenu* help = menu(nullptr, "menu_help", "&Help");
    entry(help, "menu_help_online_help", "&Online Help", Command::OnlineHelp,
          QKeySequence(Qt::Key_F1));
    entry(help, "menu_help_shortcuts", "&Shortcut Keys", Command::ShortcutKeys);
    separator(help, "menu_help_sep_1");
    entry(help, "menu_help_about", "&About", Command::About);

    for (QMenu* m : {file, edit, tools})
        connect(m, &QMenu::aboutToShow, this, &fMain::update_menu_states);

    // The item context menu comes with the panes' item commands; its first
    // entry carries the program's name.
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName(QStringLiteral("context_menu"));
    QAction* openCloakwell = m_contextMenu->addAction(QString());
    openCloakwell->setObjectName(QStringLiteral("context_menu_open_cloakwell"));
    openCloakwell->setEnabled(false);
    m_actions.insert(openCloakwell->objectName(), openCloakwell);
}

void fMain::buildToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("Toolbar1"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(24, 24));
    // The tiled layout reckons with the toolbar's height in twips; keep the
    // real toolbar exactly that high.
    m_toolbar->setFixedHeight(mainwindow::pixelsFromTwips(mainwindow::kToolbarHeight));

    for (const ToolbarButton& b : kButtons) {
        m_toolbarImages.insert(QLatin1String(b.key),
                               mainwindow::themeIconOrDrawn(themeNamesOf(b), QLatin1Char(b.glyph),
                                                            QColor::fromRgb(b.tile)));
    }
    m_toolbarImages.insert(QStringLiteral("tb_blank"), mainwindow::blankIcon());

    for (const ToolbarButton& b : kButtons) {
        QAction* a = m_toolbar->addAction(QString::fromUtf8(b.caption));
        a->setObjectName(QLatin1String(b.key));
        a->setToolTip(QString::fromUtf8(b.shortText));
        a->setWhatsThis(QString::fromUtf8(b.longText));
        const Command command = b.command;
        connect(a, &QAction::triggered, this, [this, command] { run_command(command); });
        m_actions.insert(a->objectName(), a);
    }
}

void fMain::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    bar->setFixedHeight(mainwindow::pixelsFromTwips(mainwindow::kStatusBarHeight));
    for (std::size_t i = 0; i < m_statusPanels.size(); ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusBar1_panel_%1").arg(i + 1));
        panel->setMinimumWidth(i == 0 ? 200 : 180);
        bar->addPermanentWidget(panel, i == 0 ? 1 : 0);
        m_statusPanels[i] = panel;
    }
}

void fMain::rebuildWindowList()
{
    qDeleteAll(m_windowListActions);
    m_windowListActions.clear();
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    m_windowListActions.append(m_windowMenu->addSeparator());
    int number = 1;
    for (QMdiSubWindow* sub : windows) {
        QAction* a = m_windowMenu->addAction(
            QStringLiteral("&%1 %2").arg(number++).arg(sub->widget()->windowTitle()));
        a->setCheckable(true);
        a->setChecked(sub == m_mdi->activeSubWindow());
        QPointer<QMdiSubWindow> target = sub;
        connect(a, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdi->setActiveSubWindow(target);
        });
        m_windowListActions.append(a);
    }
}

void fMain::StatusBarClear()
{
    for (QLabel* panel : m_statusPanels)
        panel->clear();
}

void fMain::setStatusPanelText(int panel, const QString& text)
{
    if (panel >= 1 && panel <= static_cast<int>(m_statusPanels.size()))
        m_statusPanels[panel - 1]->setText(text);
}

QString fMain::statusPanelText(int panel) const
{
    if (panel >= 1 && panel <= static_cast<int>(m_statusPanels.size()))
        return m_statusPanels[panel - 1]->text();
    return QString();
}
