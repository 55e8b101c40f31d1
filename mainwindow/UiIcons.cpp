#include "mainwindow/UiIcons.h"

#include <QPainter>
#include <QPixmap>

namespace mainwindow {

namespace {

QPixmap drawnTile(int size, QChar glyph, const QColor& tile)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal m = size / 12.0;
    p.setPen(tile.darker(140));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(m, m, size - 2 * m, size - 2 * m), size / 6.0, size / 6.0);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(qMax(6, size * 3 / 5));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString(glyph));
    return pm;
}

} // namespace

void setUpIconTheme()
{
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(QStringLiteral("/usr/share/icons")))
        paths << QStringLiteral("/usr/share/icons");
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}

QIcon themeIconOrDrawn(const QStringList& themeNames, QChar glyph, const QColor& tile)
{
    for (const QString& name : themeNames) {
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(drawnTile(size, glyph, tile));
    return icon;
}

QIcon blankIcon()
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    return QIcon(pm);
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {32, 64, 128})
        icon.addFile(QStringLiteral(":/icons/cloakwell-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace mainwindow
