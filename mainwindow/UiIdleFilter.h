#pragma once

#include <QObject>

class QWidget;

namespace mainwindow {

class IdleCount;

// Starts the idle count again whenever the pointer moves over a window's
// own surface. Only the bare surface counts, not the trees, lists and boxes
// on it, which are busy with their own work. Every window and dialog of the
// program installs one on itself.
class UiIdleFilter : public QObject
{
    Q_OBJECT
public:
    // Watches the widget (turning pointer tracking on) for as long as both
    // live; the filter belongs to the widget.
    static void install(QWidget* widget, IdleCount& idle);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    UiIdleFilter(QWidget* widget, IdleCount& idle);
    IdleCount& m_idle;
};

} // namespace mainwindow
