#pragma once

#include "panes/PaneLayout.h"
#include "panes/UiBrowserWindow.h"

class QFrame;
class QLabel;

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
    // The preview box takes the background colour of the preferences
    // (color_3), at load and whenever the options are saved.
    void apply_preview_colour();
    const panes::LibrariesGeometry& layoutTwips() const { return m_geometry; }

protected:
    void Form_Unload() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Resize();
    void vert_bar_1_MouseMove(double x);
    void vert_bar_2_MouseMove(double x);
    void resize_timer_Timer();
    void askFirstRunQuestion();

    panes::UiSplitterBar* m_bar1 = nullptr; // vert_bar_1
    panes::UiSplitterBar* m_bar2 = nullptr; // vert_bar_2
    QFrame* m_preview = nullptr;
    QLabel* m_previewHint = nullptr; // preview_hint, while no picture shows
    QTimer* m_resizeTimer = nullptr;
    panes::LibrariesGeometry m_geometry;
};
