#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QSlider;

namespace mainwindow {
class AppState;
}

// The delay window: one slider, 1 to 10 seconds, opened by the slide show at
// the pointer. Moving the slider changes the running show's interval at once;
// clicking anywhere else (the window losing the focus) stores the delay and
// closes it. A delay the user did not change is not written.
class fDelay : public QWidget
{
    Q_OBJECT
public:
    // setInterval: the running show's Timer1, in milliseconds.
    fDelay(mainwindow::AppState& state, std::function<void(int)> setInterval, QWidget* owner);

    // Where the window's top-left corner goes, in global pixels; set by the
    // opener before Form_Load.
    int delay_left = 0;
    int delay_top = 0;

    // Reads the stored delay, shows the window at (delay_left, delay_top).
    void Form_Load();
    // Stores the delay when it changed, and closes the window.
    void commit();

    QSlider* slider() const { return m_slider; }

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void slide_show_delay_Change();

    mainwindow::AppState& m_state;
    std::function<void(int)> m_setInterval;
    QSlider* m_slider = nullptr; // slide_show_delay
    QLabel* m_label = nullptr;
    int m_opened = 0;
    bool m_wasActive = false;
    bool m_done = false;
};
