#include "panes/UiPaneView.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>

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

void UiPaneView::editLabel(const QModelIndex& index, std::function<void(const QString&)> done)
{
    if (m_editor || !index.isValid())
        return;
    const QModelIndex label = index.siblingAtColumn(0);
    scrollTo(label);
    QRect box = visualRect(label);
    // Beside the item's image, as wide as a name needs.
    if (!label.data(Qt::DecorationRole).isNull()) {
        const int icon = iconSize().isValid()
                             ? iconSize().width()
                             : style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
        box.setLeft(box.left() + icon + 4);
    }
    box.setWidth(qMax(box.width(), 160));
    m_editor = new QLineEdit(viewport());
    m_editor->setObjectName(QStringLiteral("label_editor"));
    m_editor->setText(label.data(Qt::DisplayRole).toString());
    m_editor->setGeometry(box.adjusted(0, -2, 0, 2));
    m_editor->installEventFilter(this);
    m_editDone = std::move(done);
    connect(m_editor, &QLineEdit::editingFinished, this, [this] { endEdit(true); });
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
    // The name without its extension, as the desktop's file managers do.
    const QString text = m_editor->text();
    const qsizetype dot = text.lastIndexOf(QLatin1Char('.'));
    m_editor->setSelection(0, dot > 0 ? dot : text.size());
}

void UiPaneView::endEdit(bool accepted)
{
    if (!m_editor)
        return;
    const QString text = m_editor->text();
    QLineEdit* editor = m_editor;
    m_editor = nullptr;
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    auto done = std::move(m_editDone);
    m_editDone = nullptr;
    setFocus(Qt::OtherFocusReason);
    if (accepted && done)
        done(text);
}

bool UiPaneView::eventFilter(QObject* watched, QEvent* event)
{
    // The box keeps Enter and Escape to itself: passed on to the view they
    // would open the selection or leave the program.
    if (watched == m_editor && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Escape:
            endEdit(false);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            endEdit(true);
            return true;
        default:
            break;
        }
    }
    return QTreeView::eventFilter(watched, event);
}

} // namespace panes
