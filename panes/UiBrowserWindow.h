#pragma once

#include "browse/BrowseContext.h"
#include "browse/BrowsePane.h"
#include "browse/mFileInfo.h"
#include "panes/PaneLayout.h"

#include <QWidget>

class QTimer;
class QTreeView;

namespace mainwindow {
class WindowHost;
}

namespace panes {

class UiPaneView;
class UiSplitterBar;

// What the Explorer and the Libraries window have in common: a folder tree
// and a listing over the window's pane models, the delayed listing after a
// node is chosen, the delayed totals after an item is chosen, the keys the
// window handles itself, focus tracking and the idle count. Each window adds
// its own layout, loading and saving.
class UiBrowserWindow : public QWidget
{
    Q_OBJECT
public:
    ~UiBrowserWindow() override;

    bool isLibraries() const { return m_pane.isLibraries(); }
    browse::BrowsePane& pane() { return m_pane; }
    QTreeView* treeView() const; // TreeView
    QTreeView* listView() const; // ListView
    // The object_focus codes of the two panes.
    short treeCode() const;
    short listCode() const;

    // The steps the window takes when it is opened, once, right after the
    // main window has made it.
    virtual void Form_Load() = 0;
    // Builds the tree again and lists its chosen folder again (Refresh).
    virtual void refresh() = 0;

    // Lists the tree's chosen folder; when the folder has gone the tree gets
    // the focus.
    mFileInfo::ListingResult list_folder();
    // Chooses the tree node with that key, showing it, and lists it; false
    // when no node has the key.
    bool showNode(const QString& key);

    // Status panel 1: the totals of the selection in the focused window's
    // listing.
    void show_selection_totals();
    // Opens the listing's selection. It runs the Open command, which the
    // file-opening commands provide; until they do, nothing happens.
    void open_selection();

    // Rename: edits the label of the tree's chosen node (tree) or of the
    // listing's chosen item in place, and renames it when the edit ends.
    // Nothing when there is none.
    void startRename(bool tree);

    // Select All and Invert Selection on this window's listing.
    void selectAllItems();
    void invertItemSelection();

    // The window's size as the layout rules see it: the inner area plus
    // what the rules allow for the frame.
    double widthTwips() const;
    double heightTwips() const;

Q_SIGNALS:
    // The window is closing and has saved its layout.
    void unloaded();

protected:
    UiBrowserWindow(mainwindow::WindowHost& host, bool libraries, const QString& itemTimerName,
                    QWidget* parent = nullptr);

    // Saves the window's layout as it closes.
    virtual void Form_Unload() = 0;
    // The item timer has fired (statusbar_delay_timer or preview_timer).
    virtual void itemTimerTick();

    UiSplitterBar* makeBar(const QString& name);
    void place(QWidget* control, const TwipsBox& box);
    static void restart(QTimer* timer);
    void showFreeSpace();
    // The images of both panes from the main window's base images, and the
    // listing's columns from the settings.
    void setUpPanes();

    void closeEvent(QCloseEvent* event) override;

    mainwindow::WindowHost& m_host;
    browse::BrowseContext m_ctx;
    browse::BrowsePane m_pane;
    UiPaneView* m_tree = nullptr;
    UiPaneView* m_list = nullptr;
    QTimer* m_delayTimer = nullptr;
    QTimer* m_itemTimer = nullptr;

private:
    void TreeView_NodeClick(const QModelIndex& index);
    void TreeView_Collapse(const QModelIndex& index);
    void delay_timer_Timer();
    void ListView_ItemClick();
    void ListView_DblClick();
    bool Form_KeyDown(QKeyEvent* event);
    void rightButtonUp();
};

} // namespace panes
