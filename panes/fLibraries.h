#pragma once

#include "panes/PaneLayout.h"
#include "panes/UiBrowserWindow.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;

namespace pictures {
class UiPictureView;
}

// The Libraries window: the user's Libraries and the Red Ovidor bin under
// "My Libraries", hidden items under their readable names, the listing of
// the chosen folder and the picture preview. A child of the main window; the
// main window opens, arranges and closes it.
class fLibraries : public panes::UiBrowserWindow
{
    Q_OBJECT
public:
    explicit fLibraries(mainwindow::WindowHost& host, QWidget* parent = nullptr);

    void Form_Load() override;
    void refresh() override;

    // A Library was just added: the tree is built again, and the new
    // Library chosen and listed.
    void showAddedLibrary(const QString& key);

    QFrame* previewBox() const { return m_preview; } // preview_box
    pictures::UiPictureView* previewView() const { return m_previewView; }

    // --- The preview pane ---
    // Loads the listing's selected item into the pane if it is a picture.
    void show_preview_sub();
    // Fits the current picture to the pane again at zoom 1.
    void resize_preview_image();
    // Show Preview (listing context menu): the selected item, whether or not
    // pictures show by themselves.
    void showPreviewCommand();
    // The pane's menu: Clear, Resize, Enable.
    void preview_context_menu_clear_Click();
    void preview_context_menu_resize_Click();
    void preview_context_menu_enable_Click();
    QMenu* previewContextMenu() const { return m_previewMenu; } // PreviewContextMenu
    // After the options were saved: the new background, and no picture when
    // pictures no longer show by themselves.
    void applyPreviewPreferences();
    // The key of the picture Show Preview put into the pane ("" when none).
    QString preview_key;
    const panes::LibrariesGeometry& layoutTwips() const { return m_geometry; }

protected:
    void Form_Unload() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Resize();
    void vert_bar_1_MouseMove(double x);
    void vert_bar_2_MouseMove(double x);
    void resize_timer_Timer();
    void itemTimerTick() override;
    void buildPreview();
    void previewLoaded(bool ok);
    void showPreviewMenu(const QPoint& globalPos);
    // The listing's selected item (its current row when that is selected).
    const browse::ListItem* selectedItem() const;
    void askFirstRunQuestion();

    panes::UiSplitterBar* m_bar1 = nullptr; // vert_bar_1
    panes::UiSplitterBar* m_bar2 = nullptr; // vert_bar_2
    QFrame* m_preview = nullptr;            // preview_box, the picture view itself
    pictures::UiPictureView* m_previewView = nullptr;
    QMenu* m_previewMenu = nullptr;
    QAction* m_previewClear = nullptr;
    QAction* m_previewResize = nullptr;
    QAction* m_previewEnable = nullptr;
    QLabel* m_previewHint = nullptr; // preview_hint, while no picture shows
    QTimer* m_resizeTimer = nullptr;
    panes::LibrariesGeometry m_geometry;
};
