#include "platform/Icons.h"

#include <QDir>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace platform {

namespace {

// Paints one of the program's own icons on a 16 x 16 grid scaled to the
// requested size, so it stays sharp at any size the views ask for.
class DrawnIconEngine : public QIconEngine
{
public:
    explicit DrawnIconEngine(DrawnIcon kind) : m_kind(kind) {}

    void paint(QPainter* p, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->translate(rect.topLeft());
        p->scale(rect.width() / 16.0, rect.height() / 16.0);
        if (mode == QIcon::Disabled)
            p->setOpacity(0.45);
        p->setPen(QPen(QColor(60, 60, 60), 0.8));
        draw(*p);
        p->restore();
    }

    QIconEngine* clone() const override { return new DrawnIconEngine(m_kind); }
    QString key() const override { return QStringLiteral("cloakwell-drawn"); }

private:
    void draw(QPainter& p) const
    {
        const QColor folderYellow(232, 190, 80), paper(250, 250, 250), metal(170, 175, 180);
        switch (m_kind) {
        case DrawnIcon::Folder:
            folder(p, folderYellow, false);
            break;
        case DrawnIcon::OpenFolder:
            folder(p, folderYellow, true);
            break;
        case DrawnIcon::Library:
            folder(p, QColor(120, 160, 220), false);
            p.setBrush(QColor(255, 255, 255));
            p.drawEllipse(QRectF(6, 7.5, 4, 4));
            break;
        case DrawnIcon::Documents:
            page(p, paper);
            for (double y : {6.5, 8.5, 10.5, 12.5})
                p.drawLine(QPointF(5, y), QPointF(11, y));
            break;
        case DrawnIcon::File:
            page(p, paper);
            break;
        case DrawnIcon::Drive:
            p.setBrush(metal);
            p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1.2, 1.2);
            p.setBrush(QColor(60, 200, 90));
            p.drawEllipse(QRectF(11, 8, 2, 2));
            break;
        case DrawnIcon::Computer:
        case DrawnIcon::Desktop:
            p.setBrush(m_kind == DrawnIcon::Desktop ? QColor(80, 140, 210) : QColor(90, 95, 105));
            p.drawRoundedRect(QRectF(1.5, 2.5, 13, 9), 1, 1);
            p.setBrush(metal);
            p.drawRect(QRectF(5.5, 12, 5, 2));
            break;
        case DrawnIcon::Trash:
            p.setBrush(metal);
            p.drawRect(QRectF(3.5, 4.5, 9, 10));
            p.drawRect(QRectF(2.5, 2.5, 11, 2));
            for (double x : {6.0, 8.0, 10.0})
                p.drawLine(QPointF(x, 6.5), QPointF(x, 13));
            break;
        case DrawnIcon::Optical:
            p.setBrush(QColor(205, 210, 225));
            p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            p.setBrush(paper);
            p.drawEllipse(QRectF(6.5, 6.5, 3, 3));
            break;
        case DrawnIcon::Removable:
            p.setBrush(QColor(70, 90, 130));
            p.drawRect(QRectF(2.5, 2.5, 11, 11));
            p.setBrush(paper);
            p.drawRect(QRectF(5, 3, 6, 4));
            break;
        }
    }

    static void folder(QPainter& p, const QColor& colour, bool open)
    {
        p.setBrush(colour.darker(115));
        QPainterPath back;
        back.moveTo(1.5, 3.5);
        back.lineTo(6, 3.5);
        back.lineTo(7.5, 5);
        back.lineTo(14.5, 5);
        back.lineTo(14.5, 13.5);
        back.lineTo(1.5, 13.5);
        back.closeSubpath();
        p.drawPath(back);
        p.setBrush(colour);
        if (open) {
            QPainterPath front;
            front.moveTo(3.5, 7.5);
            front.lineTo(15.5, 7.5);
            front.lineTo(13.5, 13.5);
            front.lineTo(1.5, 13.5);
            front.closeSubpath();
            p.drawPath(front);
        } else {
            p.drawRect(QRectF(1.5, 6.5, 13, 7));
        }
    }

    static void page(QPainter& p, const QColor& colour)
    {
        p.setBrush(colour);
        QPainterPath path;
        path.moveTo(3.5, 1.5);
        path.lineTo(9.5, 1.5);
        path.lineTo(12.5, 4.5);
        path.lineTo(12.5, 14.5);
        path.lineTo(3.5, 14.5);
        path.closeSubpath();
        p.drawPath(path);
        p.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 4.5));
        p.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
    }

    DrawnIcon m_kind;
};

// Draws one icon or the other by the mode the view asks for.
class SelectedSwapEngine : public QIconEngine
{
public:
    SelectedSwapEngine(QIcon normal, QIcon selected)
        : m_normal(std::move(normal)), m_selected(std::move(selected))
    {
    }

    void paint(QPainter* p, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        pick(mode).paint(p, rect, Qt::AlignCenter, mode == QIcon::Selected ? QIcon::Normal : mode,
                         state);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return pick(mode).pixmap(size, mode == QIcon::Selected ? QIcon::Normal : mode, state);
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return pick(mode).actualSize(size, QIcon::Normal, state);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return m_normal.availableSizes();
    }

    QIconEngine* clone() const override { return new SelectedSwapEngine(m_normal, m_selected); }
    QString key() const override { return QStringLiteral("cloakwell-selected-swap"); }

private:
    const QIcon& pick(QIcon::Mode mode) const
    {
        return mode == QIcon::Selected ? m_selected : m_normal;
    }

    QIcon m_normal;
    QIcon m_selected;
};

} // namespace

void setupIconTheme()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QString system = QStringLiteral("/usr/share/icons");
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(system) && QDir(system).exists())
        paths.append(system);
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    // Offscreen and bare X sessions report no theme or only the bare
    // "hicolor" base, which holds almost no file-type icons.
    const QString current = QIcon::themeName();
    if (current.isEmpty() || current == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}

QIcon drawnIcon(DrawnIcon kind)
{
    return QIcon(new DrawnIconEngine(kind));
}

QIcon themedIcon(const QStringList& names, DrawnIcon fallback)
{
    setupIconTheme();
    for (const QString& name : names)
        if (!name.isEmpty() && QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    return drawnIcon(fallback);
}

QIcon iconWithSelected(const QIcon& normal, const QIcon& selected)
{
    return QIcon(new SelectedSwapEngine(normal, selected));
}

} // namespace platform
