#include "panes/UiPaneView.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace panes {

UiPaneView::UiPaneView(Kind kind, const QString& name, QWidget* parent)
    : QTreeView(parent), m_kind(kind)
{
    setObjectName(name);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void UiPaneView::focusInEvent(QFocusEvent* event)
{
    QTreeView::focusInEvent(event);
    Q_EMIT focusTaken();
}

void UiPaneView::keyPressEvent(QKeyEvent* event)
{
    if (keyPreview && keyPreview(event)) {
        event->accept();
        return;
    }
    const QPersistentModelIndex before = currentIndex();
    QTreeView::keyPressEvent(event);
    const bool toggled = m_kind == List && event->key() == Qt::Key_Space;
    if (currentIndex() != before || toggled)
        Q_EMIT userChose(currentIndex());
}

void UiPaneView::mousePressEvent(QMouseEvent* event)
{
    // A right click on a tree node does not choose it: the node menu is
    // about the node the tree already shows as chosen, and the listing
    // beside it stays that node's.
    if (m_kind == Tree && event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void UiPaneView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    if (m_kind == Tree) {
        // A click on an expander only opens or closes the node; the item's
        // own rectangle leaves the expander out.
        if (event->button() == Qt::LeftButton && index.isValid() && visualRect(index).contains(at))
            Q_EMIT userChose(index);
    } else if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        Q_EMIT userChose(index);
    }
    if (event->button() == Qt::RightButton)
        Q_EMIT rightButtonReleased();
}

} // namespace panes
