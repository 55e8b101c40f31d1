#include "panes/fExplorer.h"

#include "mainwindow/UiIcons.h"
#include "mainwindow/fMain.h"

#include <QCloseEvent>
#include <QMouseEvent>

fExplorer::fExplorer(fMain& main, QWidget* parent) : QWidget(parent), m_main(main)
{
    setObjectName(QStringLiteral("fExplorer"));
    setWindowTitle(QStringLiteral("Explorer"));
    setWindowIcon(
        mainwindow::themeIconOrDrawn({QStringLiteral("computer"), QStringLiteral("drive-harddisk")},
                                     QLatin1Char('E'), QColor(0x3a, 0x6e, 0xa5)));
    setMouseTracking(true);
}

void fExplorer::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    Q_EMIT unloaded();
}

void fExplorer::mouseMoveEvent(QMouseEvent* event)
{
    // Only the window's own surface counts, not the controls on it.
    if (!childAt(event->position().toPoint()))
        m_main.state().idle.reset();
    QWidget::mouseMoveEvent(event);
}
