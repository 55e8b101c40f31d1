#include "panes/UiSplitterBar.h"

#include "panes/PaneLayout.h"

#include <QMouseEvent>
#include <QPainter>

namespace panes {

UiSplitterBar::UiSplitterBar(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    setCursor(Qt::SplitHCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void UiSplitterBar::paintEvent(QPaintEvent*)
{
    // Light edge left, dark edge right: it reads as a handle even at three
    // pixels wide.
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, palette().button());
    p.setPen(palette().light().color());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(palette().mid().color());
    p.drawLine(r.topRight(), r.bottomRight());
}

void UiSplitterBar::mousePressEvent(QMouseEvent* event)
{
    m_dragging = true;
    event->accept();
}

void UiSplitterBar::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        Q_EMIT dragged(event->position().x() * kTwipsPerPixel);
    event->accept();
}

void UiSplitterBar::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    event->accept();
}

} // namespace panes
