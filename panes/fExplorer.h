#pragma once

#include "panes/PaneLayout.h"
#include "panes/UiBrowserWindow.h"

// The Explorer window: the whole file system under "My Computer", loaded one
// level ahead of what is open, and the listing of the chosen folder. A child
// of the main window; the main window opens, arranges and closes it.
class fExplorer : public panes::UiBrowserWindow
{
    Q_OBJECT
public:
    explicit fExplorer(mainwindow::WindowHost& host, QWidget* parent = nullptr);

    void Form_Load() override;
    void refresh() override;

    // Rebuilds the tree from scratch, keeping what was open and chosen.
    void initialize_TreeView();

    const panes::ExplorerGeometry& layoutTwips() const { return m_geometry; }

protected:
    void Form_Unload() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Resize();
    void vert_bar_3_MouseMove(double x);

    QString m_desktopPath;
    QString m_documentsPath;
    panes::UiSplitterBar* m_bar = nullptr; // vert_bar_3
    panes::ExplorerGeometry m_geometry;
};
