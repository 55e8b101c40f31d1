#pragma once

#include <QWidget>

namespace mainwindow {
class AppState;
}

namespace pictures {
class UiPictureView;
}

// The image viewer: one picture in a window of its own, sized to the picture
// and fitted to the window whenever its size changes, with the zoom and pan
// of the preview pane. Each open makes a new viewer; viewers are independent
// and close by themselves (Escape or the close box).
class fImage : public QWidget
{
    Q_OBJECT
public:
    // A window of its own, kept in front of its owner (the main window).
    fImage(mainwindow::AppState& state, QWidget* owner);
    ~fImage() override;

    // Set by the opener before Form_Load: the file (a hidden file keeps its
    // hidden name) and the name to show (the readable one).
    QString image_path;
    QString image_name;

    // Shows the window and starts loading the picture at full size.
    void Form_Load();

    pictures::UiPictureView* picture() const { return m_image; } // Image1

Q_SIGNALS:
    // The load has run (the window has its picture's size, or kept its own).
    void loadFinished(bool ok);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pictureLoaded(bool ok);

    mainwindow::AppState& m_state;
    pictures::UiPictureView* m_image = nullptr;
};
