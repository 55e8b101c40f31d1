#pragma once

#include <QWidget>

namespace panes {

// A splitter bar of a browser window: a thin raised strip the user drags
// sideways. The bar only reports; the window decides where it may go and
// moves it, so the limits stay in one place and in twips.
class UiSplitterBar : public QWidget
{
    Q_OBJECT
public:
    explicit UiSplitterBar(const QString& name, QWidget* parent = nullptr);

    // A mouse button went down on the bar and has not come up yet.
    bool dragging() const { return m_dragging; }

Q_SIGNALS:
    // The pointer moved while a button was held: x is its position inside
    // the bar, in twips (negative left of it).
    void dragged(double xTwips);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_dragging = false;
};

} // namespace panes
