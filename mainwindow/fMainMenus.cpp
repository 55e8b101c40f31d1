// The main window's menu bar, toolbar and status bar.
#include "mainwindow/fMain.h"

#include "mainwindow/Arrangement.h"
#include "mainwindow/CommandTable.h"
#include "mainwindow/UiIcons.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <string_view>

using mainwindow::Command;

namespace {

QStringList themeNamesOf(const mainwindow::CommandRow& row)
{
    QStringList names;
    for (const char* n : row.themeNames)
        if (n && *n)
            names << QLatin1String(n);
    return names;
}

// The menu bar: each menu's entries by command, with a separator or a
// submenu where the layout has one.
struct MenuItem
{
    enum Kind { Entry, Separator, SubmenuStart, SubmenuEnd } kind;
    Command command = Command::Open;
    const char* name = nullptr; // separators and submenus
    const char* caption = nullptr;
};
struct MenuLayout
{
    const char* name;
    const char* caption;
    std::initializer_list<MenuItem> items;
};

constexpr MenuItem entry(Command c)
{
    return {MenuItem::Entry, c};
}
constexpr MenuItem separator(const char* name)
{
    return {MenuItem::Separator, Command::Open, name};
}

const MenuLayout kMenus[] = {
    {"menu_file",
     "&File",
     {entry(Command::Open),
      entry(Command::Close),
      separator("menu_file_sep_0"),
      {MenuItem::SubmenuStart, Command::Open, "menu_file_new", "Ne&w"},
      entry(Command::NewLibrary),
      entry(Command::NewFolder),
      {MenuItem::SubmenuEnd},
      separator("menu_file_sep_1"),
      entry(Command::Hide),
      entry(Command::Unhide),
      separator("menu_file_sep_2"),
      entry(Command::Delete),
      entry(Command::Rename),
      separator("menu_file_sep_3"),
      entry(Command::Exit)}},
    {"menu_edit",
     "&Edit",
     {entry(Command::Cut), entry(Command::Copy), entry(Command::Paste),
      separator("menu_edit_sep_1"), entry(Command::Find), entry(Command::FindNext),
      separator("menu_edit_sep_2"), entry(Command::SelectAll), entry(Command::InvertSelection)}},
    {"menu_view",
     "&View",
     {entry(Command::ViewLibraries), entry(Command::ViewExplorer), entry(Command::ViewToolbar),
      entry(Command::ViewStatusBar), separator("menu_view_sep_1"), entry(Command::Refresh)}},
    {"menu_tools",
     "&Tools",
     {entry(Command::SlideShow), entry(Command::PictureSorter), separator("menu_tools_sep_1"),
      entry(Command::RenameSelection), separator("menu_tools_sep_2"),
      entry(Command::ChangePassword), entry(Command::Options)}},
    {"menu_window", "&Window", {entry(Command::Tile)}},
    {"menu_help",
     "&Help",
     {entry(Command::OnlineHelp), entry(Command::ShortcutKeys), separator("menu_help_sep_1"),
      entry(Command::About)}},
};

} // namespace

QAction* fMain::menuEntry(Command command) const
{
    return m_menuEntries[mainwindow::commandIndex(command)];
}

QAction* fMain::toolbarButton(Command command) const
{
    return m_buttons[mainwindow::commandIndex(command)];
}

QAction* fMain::makeCommandEntry(Command command, QObject* parent)
{
    const mainwindow::CommandRow& row = mainwindow::command_row(command);
    auto* a = new QAction(QString::fromUtf8(row.caption), parent);
    a->setObjectName(QLatin1String(row.name));
    a->setShortcut(QKeySequence(row.shortcut));
    a->setCheckable(row.checkable);
    connect(a, &QAction::triggered, this, [this, command] { run_command(command); });
    return a;
}

QAction* fMain::makeEntry(QMenu* menu, Command command)
{
    QAction* a = makeCommandEntry(command, menu);
    menu->addAction(a);
    m_menuEntries[mainwindow::commandIndex(command)] = a;
    return a;
}

void fMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    for (const MenuLayout& layout : kMenus) {
        QMenu* top = bar->addMenu(QString::fromUtf8(layout.caption));
        top->setObjectName(QLatin1String(layout.name));
        top->menuAction()->setObjectName(QLatin1String(layout.name));
        QMenu* current = top;
        for (const MenuItem& item : layout.items) {
            switch (item.kind) {
            case MenuItem::Entry:
                makeEntry(current, item.command);
                break;
            case MenuItem::Separator:
                current->addSeparator()->setObjectName(QLatin1String(item.name));
                break;
            case MenuItem::SubmenuStart:
                current = top->addMenu(QString::fromUtf8(item.caption));
                current->setObjectName(QLatin1String(item.name));
                current->menuAction()->setObjectName(QLatin1String(item.name));
                m_newMenu = current->menuAction();
                break;
            case MenuItem::SubmenuEnd:
                current = top;
                break;
            }
        }
        if (layout.name == std::string_view("menu_window")) {
            m_windowMenu = top;
            connect(top, &QMenu::aboutToShow, this, &fMain::rebuildWindowList);
        } else if (layout.name != std::string_view("menu_view") &&
                   layout.name != std::string_view("menu_help")) {
            connect(top, &QMenu::aboutToShow, this, &fMain::update_menu_states);
        }
    }
    menuEntry(Command::ViewToolbar)->setChecked(true);
    menuEntry(Command::ViewStatusBar)->setChecked(true);

    buildContextMenu();
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

    m_blankImage = mainwindow::blankIcon();
    for (Command command : mainwindow::toolbar_commands()) {
        const mainwindow::CommandRow& row = mainwindow::command_row(command);
        const std::size_t i = mainwindow::commandIndex(command);
        m_toolbarImages[i] = mainwindow::themeIconOrDrawn(themeNamesOf(row), QLatin1Char(row.glyph),
                                                          QColor::fromRgb(row.tile));
        QAction* a = m_toolbar->addAction(QString::fromUtf8(row.toolbarCaption));
        a->setObjectName(QLatin1String(row.toolbarKey));
        a->setToolTip(QString::fromUtf8(row.toolTip));
        a->setWhatsThis(QString::fromUtf8(row.whatsThis));
        connect(a, &QAction::triggered, this, [this, command] { run_command(command); });
        m_buttons[i] = a;
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
