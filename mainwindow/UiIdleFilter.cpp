#include "mainwindow/UiIdleFilter.h"

#include "mainwindow/IdleCount.h"

#include <QMouseEvent>
#include <QWidget>

namespace mainwindow {

UiIdleFilter::UiIdleFilter(QWidget* widget, IdleCount& idle) : QObject(widget), m_idle(idle) {}

void UiIdleFilter::install(QWidget* widget, IdleCount& idle)
{
    widget->setMouseTracking(true);
    widget->installEventFilter(new UiIdleFilter(widget, idle));
}

bool UiIdleFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        auto* widget = static_cast<QWidget*>(watched);
        const auto* move = static_cast<QMouseEvent*>(event);
        if (!widget->childAt(move->position().toPoint()))
            m_idle.reset();
    }
    return false;
}

} // namespace mainwindow
