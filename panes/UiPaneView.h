#pragma once

#include <QTreeView>

#include <QLineEdit>
#include <QPointer>

#include <functional>

namespace panes {

// The view of one pane of a browser window: the folder tree, or the listing
// shown as a report. It tells the window what the user did (as opposed to
// what commands did to the models): chose a node or item with the mouse or
// the keyboard, released the right button, took the focus. The window sees
// every key before the view does.
class UiPaneView : public QTreeView
{
    Q_OBJECT
public:
    enum Kind { Tree, List };
    UiPaneView(Kind kind, const QString& name, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }

    // Called with each key press before the view handles it; true when the
    // window has dealt with the key.
    std::function<bool(QKeyEvent*)> keyPreview;

    // Edits the label of the row of index in place, over its first column.
    // done runs once, with the text, when the edit ends by Enter or by
    // leaving the box; Escape ends it without done. The view has the focus
    // back before done runs.
    void editLabel(const QModelIndex& index, std::function<void(const QString&)> done);
    QLineEdit* labelEditor() const { return m_editor; } // null while none is open

Q_SIGNALS:
    // The user chose this node or item: clicked it (not its expander), or
    // moved to it with the keyboard. In the list also a click on empty space
    // (an invalid index), which leaves nothing selected.
    void userChose(const QModelIndex& index);
    void rightButtonReleased();
    void focusTaken();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void endEdit(bool accepted);

    Kind m_kind;
    QPointer<QLineEdit> m_editor;
    std::function<void(const QString&)> m_editDone;
};

} // namespace panes
