#pragma once

#include <QWidget>

class fMain;

// The Libraries window: the user's Libraries and the Red Ovidor bin under
// "My Libraries", with a picture preview. A child of the main window; the main
// window opens, arranges and closes it.
class fLibraries : public QWidget
{
    Q_OBJECT
public:
    explicit fLibraries(fMain& main, QWidget* parent = nullptr);

Q_SIGNALS:
    // The window is closing; the main window clears its View check mark and
    // gives the space to the other window.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    fMain& m_main;
};
