#pragma once

#include "pictures/PictureDecoder.h"
#include "pictures/PictureGeometry.h"
#include "pictures/PictureLoader.h"

#include <QCursor>
#include <QFrame>
#include <QImage>

class QTimer;

namespace platform {
class PromptService;
}

namespace pictures {

// The program's own pointers over a picture: a magnifier at rest ("zoom")
// and a gripping hand while the button is held ("pan"). Drawn here, so they
// look the same on every desktop.
QCursor zoomCursor();
QCursor panCursor();

// A box that shows one picture: the picture control and its container in
// one widget. The picture is decoded off the user-interface thread, fitted
// into the box, zoomed by a click and panned by a drag, and drawn smoothly
// scaled at every size. While a large picture decodes a small busy sign
// turns in a corner; the last picture stays shown until the new one is in.
class UiPictureView : public QFrame
{
    Q_OBJECT
public:
    struct Behaviour
    {
        BoxLayout layout;
        int panCursorMs;        // pan_icon_timer
        bool ignoreOriginMoves; // see PanGesture
    };

    UiPictureView(const Behaviour& behaviour, platform::PromptService& prompt,
                  QWidget* parent = nullptr);
    ~UiPictureView() override;

    enum class DecodeSize { ToBox, Full };
    // Starts loading a picture file (hidden or not). The result arrives
    // later: loadFinished() tells whether it was shown. A failure hides the
    // control and shows the loader's message.
    void load(const QString& path, DecodeSize size);
    // Shows a picture decoded elsewhere (the slide show prepares the next one
    // on a decoder of its own) at once: fitted, and painted at the next paint.
    // A reduced picture is decoded again at full size when a zoom needs it.
    void showPicture(const QString& path, const LoadedPicture& picture);
    // Drops the picture (and any decode in progress): the control is left
    // empty at one pixel square.
    void clear();
    // Back to the fitted size at zoom 1, centred (a no-op without picture).
    void fit();
    // Zoom about the point under the box centre (the keyboard's zoom).
    void zoomAtCentre(ZoomButton button);
    void setBackground(const QColor& colour);
    // Fit again at every change of the box's size (the viewer); the preview
    // pane waits for the user to stop dragging and fits itself.
    void setFitOnResize(bool on) { m_fitOnResize = on; }

    bool hasPicture() const { return m_frame.hasPicture; }
    // A decode is running for this view.
    bool busy() const { return m_decoder.busy(); }
    QString path() const { return m_path; }
    const PictureFrame& frame() const { return m_frame; }
    double zoom() const { return m_zoom; }
    // The picture's natural size in twips.
    QSizeF naturalTwips() const { return m_natural; }
    // The picture as decoded (reduced or full).
    const QImage& image() const { return m_image; }
    bool imageReduced() const { return m_reduced; }
    // Where the control is, in the box's pixels.
    QRectF frameRect() const;
    PictureDecoder& decoder() { return m_decoder; }

Q_SIGNALS:
    // A load has run: ok when a picture is now shown.
    void loadFinished(bool ok);
    // A picture first painted after a load (benchmarks and tests wait for it).
    void picturePainted();
    // The right button was released outside the picture.
    void emptyAreaMenuRequested(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void decodedPicture(quint64 ticket, const LoadedPicture& picture);
    void setPicture(const LoadedPicture& picture);
    void startDecode(DecodeSize size);
    void pan_icon_timer_Timer();
    // A picture shown larger than its reduced decode is decoded again at
    // full size, once.
    void sharpenIfNeeded();
    bool onPicture(QPointF pixels) const;
    QPointF controlTwips(QPointF pixels) const;
    void updateCursor(QPointF pixels);
    void updateBusySign();

    Behaviour m_behaviour;
    platform::PromptService& m_prompt;
    PictureDecoder m_decoder;
    quint64 m_ticket = 0;
    bool m_fullRequested = false; // a full decode was asked for this picture
    bool m_sharpening = false;    // the running decode only sharpens the shown picture
    bool m_paintPending = false;  // picturePainted() is due
    bool m_fitOnResize = false;

    QString m_path;
    QImage m_image;
    bool m_reduced = false;
    QSizeF m_natural;
    PictureFrame m_frame;
    double m_zoom = 1.0;
    PanGesture m_gesture;
    Qt::MouseButton m_pressedButton = Qt::NoButton;

    // The picture scaled down to its drawn size, made once per size.
    QImage m_scaled;

    QTimer* m_panTimer = nullptr;  // pan_icon_timer
    QTimer* m_busyDelay = nullptr; // the busy sign shows only for a slow decode
    QTimer* m_busyTick = nullptr;
    int m_busyStep = -1; // -1: no busy sign
};

} // namespace pictures
