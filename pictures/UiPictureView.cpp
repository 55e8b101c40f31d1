#include "pictures/UiPictureView.h"

#include "browse/Twips.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTimer>

#include <cmath>

namespace pictures {

namespace {

constexpr double kTwips = browse::kTwipsPerPixel;
// A decode quicker than this shows no busy sign at all.
constexpr int kBusySignDelayMs = 250;
constexpr int kBusyDots = 8;

QPixmap cursorCanvas()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void outlined(QPainter& painter, const QPainterPath& path)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
}

} // namespace

QCursor zoomCursor()
{
    QPixmap pixmap = cursorCanvas();
    {
        QPainter painter(&pixmap);
        QPainterPath glass;
        glass.addEllipse(QPointF(12, 12), 8, 8);
        QPainterPath handle;
        handle.moveTo(18, 18);
        handle.lineTo(27, 27);
        QPainterPath plus;
        plus.moveTo(8, 12);
        plus.lineTo(16, 12);
        plus.moveTo(12, 8);
        plus.lineTo(12, 16);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(255, 255, 255, 150));
        painter.setPen(Qt::NoPen);
        painter.drawPath(glass);
        painter.setBrush(Qt::NoBrush);
        outlined(painter, glass);
        painter.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(handle);
        painter.setPen(QPen(Qt::black, 3.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(handle);
        outlined(painter, plus);
    }
    return QCursor(pixmap, 12, 12);
}

QCursor panCursor()
{
    // Four arrows from the centre: the picture goes where the pointer goes.
    QPixmap pixmap = cursorCanvas();
    {
        QPainter painter(&pixmap);
        QPainterPath arrows;
        const QPointF c(16, 16);
        for (int quarter = 0; quarter < 4; ++quarter) {
            QTransform turn;
            turn.translate(c.x(), c.y());
            turn.rotate(90.0 * quarter);
            QPainterPath one;
            one.moveTo(0, -3);
            one.lineTo(0, -13);
            one.moveTo(-4, -9);
            one.lineTo(0, -13);
            one.lineTo(4, -9);
            arrows.addPath(turn.map(one));
        }
        outlined(painter, arrows);
        painter.setBrush(Qt::black);
        painter.setPen(QPen(Qt::white, 1.5));
        painter.drawEllipse(c, 2.5, 2.5);
    }
    return QCursor(pixmap, 16, 16);
}

UiPictureView::UiPictureView(const Behaviour& behaviour, platform::PromptService& prompt,
                             QWidget* parent)
    : QFrame(parent), m_behaviour(behaviour), m_prompt(prompt),
      m_gesture(behaviour.ignoreOriginMoves)
{
    setAutoFillBackground(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    connect(&m_decoder, &PictureDecoder::decoded, this, &UiPictureView::decodedPicture);

    m_panTimer = new QTimer(this);
    m_panTimer->setObjectName(QStringLiteral("pan_icon_timer"));
    m_panTimer->setSingleShot(true);
    m_panTimer->setInterval(behaviour.panCursorMs);
    connect(m_panTimer, &QTimer::timeout, this, &UiPictureView::pan_icon_timer_Timer);

    m_busyDelay = new QTimer(this);
    m_busyDelay->setSingleShot(true);
    m_busyDelay->setInterval(kBusySignDelayMs);
    connect(m_busyDelay, &QTimer::timeout, this, [this] {
        m_busyStep = 0;
        m_busyTick->start();
        update();
    });
    m_busyTick = new QTimer(this);
    m_busyTick->setInterval(90);
    connect(m_busyTick, &QTimer::timeout, this, [this] {
        m_busyStep = (m_busyStep + 1) % kBusyDots;
        update(QRect(width() - 34, 0, 34, 34));
    });
}

UiPictureView::~UiPictureView() = default;

void UiPictureView::setBackground(const QColor& colour)
{
    QPalette background = palette();
    background.setColor(QPalette::Window, colour);
    setPalette(background);
}

void UiPictureView::load(const QString& path, DecodeSize size)
{
    m_path = path;
    m_fullRequested = size == DecodeSize::Full;
    m_sharpening = false;
    startDecode(size);
}

void UiPictureView::startDecode(DecodeSize size)
{
    QSize box;
    if (size == DecodeSize::ToBox) {
        const qreal ratio = devicePixelRatioF();
        box = QSize(qCeil(width() * ratio), qCeil(height() * ratio));
        if (box.width() < 16 || box.height() < 16)
            box = QSize(); // a box not laid out yet: the picture at its own size
    }
    m_ticket = m_decoder.request(m_path, box);
    updateBusySign();
}

void UiPictureView::decodedPicture(quint64 ticket, const LoadedPicture& picture)
{
    // The decoder drops superseded results; a result of a request this view
    // has since cleared is dropped here.
    if (ticket != m_ticket)
        return;
    updateBusySign();
    if (m_sharpening) {
        m_sharpening = false;
        // A failure here leaves the reduced picture: it showed a moment ago.
        if (picture.ok()) {
            m_image = picture.image;
            m_reduced = false;
            m_scaled = QImage();
            update();
        }
        return;
    }
    if (!picture.ok()) {
        m_frame.visible = false;
        update();
        reportLoadFailure(picture, m_prompt);
        Q_EMIT loadFinished(false);
        return;
    }
    setPicture(picture);
    Q_EMIT loadFinished(true);
}

void UiPictureView::showPicture(const QString& path, const LoadedPicture& picture)
{
    m_decoder.cancel();
    m_ticket = 0;
    m_sharpening = false;
    updateBusySign();
    m_path = path;
    m_fullRequested = false;
    if (!picture.ok()) {
        m_frame.visible = false;
        update();
        return;
    }
    setPicture(picture);
}

void UiPictureView::setPicture(const LoadedPicture& picture)
{
    m_image = picture.image;
    m_reduced = picture.reduced;
    m_scaled = QImage();
    m_natural = QSizeF(picture.naturalSize) * kTwips;
    m_frame = PictureFrame{};
    m_frame.width = m_natural.width();
    m_frame.height = m_natural.height();
    m_frame.hasPicture = true;
    m_frame.stretch = true;
    fit();
    m_paintPending = true;
}

void UiPictureView::clear()
{
    m_decoder.cancel();
    m_ticket = 0;
    m_sharpening = false;
    updateBusySign();
    m_image = QImage();
    m_scaled = QImage();
    m_reduced = false;
    m_natural = QSizeF();
    m_frame = PictureFrame{};
    m_zoom = 1.0;
    unsetCursor();
    update();
}

void UiPictureView::fit()
{
    if (!m_frame.hasPicture)
        return;
    fit_in_box(m_frame, m_zoom, width() * kTwips, height() * kTwips, m_natural.width(),
               m_natural.height(), m_behaviour.layout);
    sharpenIfNeeded();
    update();
}

void UiPictureView::zoomAtCentre(ZoomButton button)
{
    if (!m_frame.hasPicture)
        return;
    const double w = width() * kTwips;
    const double h = height() * kTwips;
    const QPointF at = box_centre_point(m_frame, w, h);
    zoom_at(m_frame, m_zoom, w, h, m_behaviour.layout, button, at.x(), at.y());
    sharpenIfNeeded();
    update();
}

void UiPictureView::sharpenIfNeeded()
{
    if (!m_reduced || m_fullRequested || m_image.isNull())
        return;
    const qreal shown = m_frame.width / kTwips * devicePixelRatioF();
    if (shown <= m_image.width() * 1.05)
        return;
    m_fullRequested = true;
    m_sharpening = true;
    startDecode(DecodeSize::Full);
}

QRectF UiPictureView::frameRect() const
{
    return QRectF(m_frame.left / kTwips, m_frame.top / kTwips, m_frame.width / kTwips,
                  m_frame.height / kTwips);
}

bool UiPictureView::onPicture(QPointF pixels) const
{
    return m_frame.hasPicture && m_frame.visible && frameRect().contains(pixels);
}

QPointF UiPictureView::controlTwips(QPointF pixels) const
{
    return QPointF(pixels.x() * kTwips - m_frame.left, pixels.y() * kTwips - m_frame.top);
}

void UiPictureView::updateCursor(QPointF pixels)
{
    if (m_gesture.pressed())
        return;
    if (onPicture(pixels))
        setCursor(zoomCursor());
    else
        unsetCursor();
}

void UiPictureView::updateBusySign()
{
    if (m_decoder.busy()) {
        if (m_busyStep < 0 && !m_busyDelay->isActive())
            m_busyDelay->start();
        return;
    }
    m_busyDelay->stop();
    m_busyTick->stop();
    if (m_busyStep >= 0) {
        m_busyStep = -1;
        update();
    }
}

void UiPictureView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    bool drawn = false;
    if (m_frame.hasPicture && m_frame.visible && !m_image.isNull()) {
        const QRectF target = frameRect();
        const qreal ratio = devicePixelRatioF();
        const QSize device(qRound(target.width() * ratio), qRound(target.height() * ratio));
        if (device.width() >= 1 && device.height() >= 1) {
            if (device.width() < m_image.width() && device.height() <= m_image.height()) {
                // Shrinking: an averaged copy at the drawn size, so that a
                // reduced photo shows no jagged edges or moiré.
                if (m_scaled.size() != device)
                    m_scaled =
                        m_image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                painter.drawImage(target, m_scaled);
            } else if (device == m_image.size() && ratio == 1.0) {
                // Prepared at the drawn size (the slide show's pictures): a
                // plain copy on whole pixels, the quickest paint there is.
                m_scaled = QImage();
                painter.drawImage(target.topLeft().toPoint(), m_image);
            } else {
                m_scaled = QImage();
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                painter.drawImage(target, m_image);
            }
            drawn = true;
        }
    }
    if (m_busyStep >= 0) {
        // A quiet ring of dots in the top right corner.
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const QColor back = palette().color(QPalette::Window);
        const QColor ink = back.lightness() < 128 ? QColor(220, 220, 220) : QColor(60, 60, 60);
        const QPointF centre(width() - 17, 17);
        for (int dot = 0; dot < kBusyDots; ++dot) {
            const double angle = dot * 2 * M_PI / kBusyDots;
            QColor c = ink;
            const int age = (m_busyStep - dot + kBusyDots) % kBusyDots;
            c.setAlphaF(age == 0 ? 0.9f : 0.15f + 0.5f / float(age + 1));
            painter.setBrush(c);
            painter.drawEllipse(centre + QPointF(std::cos(angle) * 8, std::sin(angle) * 8), 2, 2);
        }
    }
    if (drawn && m_paintPending) {
        m_paintPending = false;
        Q_EMIT picturePainted();
    }
}

void UiPictureView::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    if (m_gesture.pressed() || !onPicture(at) ||
        (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) {
        QFrame::mousePressEvent(event);
        return;
    }
    m_pressedButton = event->button();
    m_gesture.press(controlTwips(at));
    m_panTimer->stop();
    m_panTimer->start();
}

void UiPictureView::pan_icon_timer_Timer()
{
    m_panTimer->stop();
    setCursor(panCursor());
}

void UiPictureView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    if (m_gesture.pressed()) {
        if (m_gesture.move(m_frame, controlTwips(at)))
            update();
        return;
    }
    updateCursor(at);
    QFrame::mouseMoveEvent(event);
}

void UiPictureView::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    if (m_fitOnResize)
        fit();
}

void UiPictureView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    if (!m_gesture.pressed() || event->button() != m_pressedButton) {
        if (event->button() == Qt::RightButton && !m_gesture.pressed() && !onPicture(at))
            Q_EMIT emptyAreaMenuRequested(event->globalPosition().toPoint());
        QFrame::mouseReleaseEvent(event);
        return;
    }
    m_panTimer->stop();
    const PanGesture::Release what = m_gesture.release();
    setCursor(zoomCursor());
    if (what == PanGesture::Release::Click) {
        const QPointF point = controlTwips(at);
        zoom_at(m_frame, m_zoom, width() * kTwips, height() * kTwips, m_behaviour.layout,
                m_pressedButton == Qt::LeftButton ? ZoomButton::Left : ZoomButton::Right, point.x(),
                point.y());
        sharpenIfNeeded();
    }
    m_pressedButton = Qt::NoButton;
    updateCursor(at);
    update();
}

} // namespace pictures
