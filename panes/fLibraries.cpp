#include "panes/fLibraries.h"

#include "mainwindow/UiIcons.h"
#include "mainwindow/fMain.h"

#include <QCloseEvent>
#include <QMouseEvent>

fLibraries::fLibraries(fMain& main, QWidget* parent) : QWidget(parent), m_main(main)
{
    setObjectName(QStringLiteral("fLibraries"));
    setWindowTitle(QStringLiteral("Libraries"));
    setWindowIcon(
        mainwindow::themeIconOrDrawn({QStringLiteral("user-bookmarks"), QStringLiteral("folder")},
                                     QLatin1Char('L'), QColor(0xc4, 0x9a, 0x2c)));
    setMouseTracking(true);
}

void fLibraries::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    Q_EMIT unloaded();
}

void fLibraries::mouseMoveEvent(QMouseEvent* event)
{
    // Only the window's own surface counts, not the controls on it.
    if (!childAt(event->position().toPoint()))
        m_main.state().idle.reset();
    QWidget::mouseMoveEvent(event);
}
