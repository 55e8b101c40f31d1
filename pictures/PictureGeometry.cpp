#include "pictures/PictureGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pictures {

void fit_picture(PictureFrame& frame, double boxWidth, double boxHeight, double naturalWidth,
                 double naturalHeight, double allowance)
{
    boxHeight -= allowance;
    // An empty natural size would divide by zero; such a control shows nothing.
    if (!frame.hasPicture || !(naturalWidth > 0) || !(naturalHeight > 0))
        return;
    frame.visible = false;
    frame.stretch = true;
    const double rx = std::max(0.0, boxWidth / naturalWidth);
    const double ry = std::max(0.0, boxHeight / naturalHeight);
    const double s = std::min(rx, ry);
    // The drawn size is kept in single precision, like the control's own.
    constexpr double largest = std::numeric_limits<float>::max();
    frame.width = static_cast<float>(std::min(s * naturalWidth, largest));
    frame.height = static_cast<float>(std::min(s * naturalHeight, largest));
    // A box smaller than the allowance would otherwise give a negative height.
    if (frame.width > boxWidth)
        frame.width = std::max(0.0, boxWidth);
    if (frame.height > boxHeight)
        frame.height = std::max(0.0, boxHeight);
    frame.visible = true;
}

void center_picture(PictureFrame& frame, double boxWidth, double boxHeight, double offsetX,
                    double offsetY)
{
    if (!frame.hasPicture)
        return;
    frame.left = offsetX + (boxWidth / 2 - frame.width / 2);
    frame.top = boxHeight / 2 - frame.height / 2 + offsetY;
    frame.visible = true;
}

void zoom_picture(PictureFrame& frame, double& zoom, double boxWidth, double boxHeight,
                  ZoomButton button, double x, double y)
{
    if (!frame.hasPicture)
        return;
    if (button == ZoomButton::Left) {
        if (frame.width * 2 >= kMaxZoomTwips || frame.height * 2 >= kMaxZoomTwips) {
            frame.left = boxWidth / 2 - x;
            frame.top = boxHeight / 2 - y;
        } else {
            frame.width *= 2;
            frame.height *= 2;
            zoom *= 2;
            frame.left = boxWidth / 2 - x * 2;
            frame.top = boxHeight / 2 - y * 2;
        }
    } else if (zoom > 1) {
        frame.width /= 2;
        frame.height /= 2;
        zoom /= 2;
        frame.left = boxWidth / 2 - x / 2;
        frame.top = boxHeight / 2 - y / 2;
    }
    frame.visible = true;
}

void zoom_at(PictureFrame& frame, double& zoom, double boxWidth, double boxHeight,
             const BoxLayout& layout, ZoomButton button, double x, double y)
{
    zoom_picture(frame, zoom, boxWidth, boxHeight, button, x, y);
    if (frame.width <= boxWidth && frame.height <= boxHeight)
        center_picture(frame, boxWidth, boxHeight, layout.offsetX, layout.offsetY);
}

void fit_in_box(PictureFrame& frame, double& zoom, double boxWidth, double boxHeight,
                double naturalWidth, double naturalHeight, const BoxLayout& layout)
{
    zoom = 1.0;
    fit_picture(frame, boxWidth, boxHeight, naturalWidth, naturalHeight, layout.allowance);
    center_picture(frame, boxWidth, boxHeight, layout.offsetX, layout.offsetY);
}

QPointF box_centre_point(const PictureFrame& frame, double boxWidth, double boxHeight)
{
    return {boxWidth / 2 - frame.left, boxHeight / 2 - frame.top};
}

void pan_picture(PictureFrame& frame, QPointF pressedAt, QPointF now)
{
    frame.left = frame.left - pressedAt.x() + now.x();
    frame.top = frame.top - pressedAt.y() + now.y();
}

void PanGesture::press(QPointF at)
{
    m_pressed = true;
    m_pressAt = QPointF(std::round(at.x()), std::round(at.y()));
}

bool PanGesture::move(PictureFrame& frame, QPointF at)
{
    if (!m_pressed || (m_ignoreOrigin && at.x() == 0 && at.y() == 0))
        return false;
    m_moved = true;
    pan_picture(frame, m_pressAt, at);
    return true;
}

PanGesture::Release PanGesture::release()
{
    if (!m_pressed)
        return Release::None;
    m_pressed = false;
    if (m_moved) {
        m_moved = false;
        return Release::Pan;
    }
    return Release::Click;
}

} // namespace pictures
