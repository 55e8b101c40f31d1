#pragma once

#include <QPointF>

// Where a picture sits in its box and how a click zooms it. Everything here is
// in twips (1/1440 inch, 15 to a pixel at 96 dpi) and free of widgets, so the
// preview pane, the viewer and the slide show share one set of rules and the
// rules are tested without a window.
namespace pictures {

// The picture control: a rectangle inside a box that may extend past it (the
// box clips). Width and height are the natural size while stretch is off and
// the drawn size once stretch is on.
struct PictureFrame
{
    double left = 0;
    double top = 0;
    double width = 15;
    double height = 15;
    bool visible = true;
    bool stretch = false;
    bool hasPicture = false;
};

// The per-window constants of the fit and the centring.
struct BoxLayout
{
    double allowance; // taken off the box height before fitting
    double offsetX;
    double offsetY;
};
inline constexpr BoxLayout kPreviewLayout{0, -30, -30};
inline constexpr BoxLayout kViewerLayout{450, -55, -200};
inline constexpr BoxLayout kSlideShowLayout{720, -60, -310};

// A picture is not enlarged once either side would reach this (18000 pixels).
inline constexpr double kMaxZoomTwips = 270000;

enum class ZoomButton { Left = 1, Right = 2 };

// The control scaled into the box (height less the allowance), aspect ratio
// kept, enlarged when it is smaller than the box, and made visible. Nothing
// happens when the control holds no picture or the natural size is empty.
void fit_picture(PictureFrame& frame, double boxWidth, double boxHeight, double naturalWidth,
                 double naturalHeight, double allowance);

// The control centred in the box, shifted by the offsets, made visible.
void center_picture(PictureFrame& frame, double boxWidth, double boxHeight, double offsetX,
                    double offsetY);

// Doubles (left button) or halves (right button, only while zoom > 1) the
// control around the point (x, y) of the control, which lands at the box
// centre. A left click at the size cap only recentres on the point.
void zoom_picture(PictureFrame& frame, double& zoom, double boxWidth, double boxHeight,
                  ZoomButton button, double x, double y);

// A zoom click: zoom_picture, then centre again when the whole picture fits
// in the box.
void zoom_at(PictureFrame& frame, double& zoom, double boxWidth, double boxHeight,
             const BoxLayout& layout, ZoomButton button, double x, double y);

// A window's fit: zoom back to 1, fit with the window's allowance, centre with
// its offsets.
void fit_in_box(PictureFrame& frame, double& zoom, double boxWidth, double boxHeight,
                double naturalWidth, double naturalHeight, const BoxLayout& layout);

// The point of the picture under the box centre, where the keys zoom.
QPointF box_centre_point(const PictureFrame& frame, double boxWidth, double boxHeight);

// A pan: the control follows the pointer's travel since the press. Both
// points are in the control's own coordinates.
void pan_picture(PictureFrame& frame, QPointF pressedAt, QPointF now);

// Press, drag and release on a picture: a drag pans, a press and release
// without a move is a zoom click. Points are in the control's own
// coordinates (twips), which move with the control during a drag.
class PanGesture
{
public:
    // The preview pane and the slide show ignore a move reported exactly at
    // the control's origin; the viewer counts every move.
    explicit PanGesture(bool ignoreOriginMoves) : m_ignoreOrigin(ignoreOriginMoves) {}

    // The press point is kept in whole twips. The caller restarts its pan
    // cursor timer.
    void press(QPointF at);
    // True when the frame moved with the pointer.
    bool move(PictureFrame& frame, QPointF at);
    enum class Release { None, Pan, Click };
    // Click: the caller runs zoom_at with the button and the release point.
    Release release();

    bool pressed() const { return m_pressed; }

private:
    bool m_ignoreOrigin;
    bool m_pressed = false;
    bool m_moved = false;
    QPointF m_pressAt;
};

} // namespace pictures
