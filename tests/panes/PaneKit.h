#pragma once

// Driving the browser windows the way a user does: clicking nodes and items
// at the places the views show them, pressing keys, dragging bars.

#include "panes/fExplorer.h"
#include "panes/fLibraries.h"
#include "support/MainWorld.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QTest>
#include <QTreeView>

// Clicks the tree node with that key (opening the nodes above it first, as a
// user would to reach it). False when the tree has no such node.
inline bool clickNode(panes::UiBrowserWindow* window, const QString& key,
                      Qt::MouseButton button = Qt::LeftButton)
{
    browse::FolderTreeModel& tree = window->pane().tree;
    const browse::TreeNode* node = tree.nodeByKey(key);
    if (!node)
        return false;
    QTreeView* view = window->treeView();
    const QModelIndex index = tree.indexOf(node);
    view->scrollTo(index);
    // On the part of the caption that shows: a long one runs past the edge.
    const QRect shown = view->visualRect(index).intersected(view->viewport()->rect());
    QTest::mouseClick(view->viewport(), button, {}, shown.center());
    return true;
}

// The listing's row with that name (the shown text), -1 when none.
inline int rowOf(panes::UiBrowserWindow* window, const QString& text)
{
    const browse::FolderListModel& list = window->pane().list;
    for (int row = 0; row < list.count(); ++row)
        if (list.item(row).text == text)
            return row;
    return -1;
}

// Clicks the listing's row with that name.
inline bool clickItem(panes::UiBrowserWindow* window, const QString& text,
                      Qt::KeyboardModifiers modifiers = {})
{
    const int row = rowOf(window, text);
    if (row < 0)
        return false;
    QTreeView* view = window->listView();
    const QModelIndex index = window->pane().list.index(row, 0);
    view->scrollTo(index);
    const QRect shown = view->visualRect(index).intersected(view->viewport()->rect());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, shown.center());
    return true;
}

inline QStringList shownNames(panes::UiBrowserWindow* window)
{
    QStringList names;
    for (const browse::ListItem& item : window->pane().list.items())
        names << item.text;
    return names;
}

// A main window whose browser windows have taken their tiled places, with
// the start-up splash gone and the keyboard focus in the main window.
inline std::unique_ptr<fMain> loadSettled(MainWorld& w)
{
    auto main = w.loadMain();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("fAbout"))
            top->close();
    main->activateWindow();
    if (!QTest::qWaitForWindowActive(main.get()))
        qWarning("the main window did not become active");
    if (fLibraries* lib = main->librariesWindow())
        if (!QTest::qWaitFor([&] { return lib->previewBox()->width() > 0; }))
            qWarning("the Libraries window did not take its tiled size");
    return main;
}

// Drags a splitter bar: pressed at its left edge, moved by dx pixels, released.
inline void dragBar(QWidget* bar, int dx)
{
    const QPoint start(0, bar->height() / 2);
    sendMouse(bar, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, start + QPoint(dx, 0), Qt::NoButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, start + QPoint(dx, 0), Qt::LeftButton);
}
