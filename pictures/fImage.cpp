#include "pictures/fImage.h"

#include "browse/Twips.h"
#include "browse/WinColor.h"
#include "mainwindow/AppState.h"
#include "mainwindow/UiIdleFilter.h"
#include "pictures/UiPictureView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int kViewerPanCursorMs = 200;
// A viewer is never smaller than this, whatever the picture (2000 twips).
constexpr int kMinViewerPixels = browse::pixelsFromTwips(2000);
// The window's size before its picture is in.
const QSize kDesignSize(480, 360);
// Qt's client area already leaves out the title bar and the border, for which
// the outer window's fit keeps its allowance and offsets: inside the client
// area the picture is fitted and centred as it is.
constexpr pictures::BoxLayout kViewerClientLayout{0, 0, 0};

} // namespace

fImage::fImage(mainwindow::AppState& state, QWidget* owner)
    : QWidget(owner, Qt::Window), m_state(state)
{
    setObjectName(QStringLiteral("fImage"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Loading Image..."));
    setFocusPolicy(Qt::StrongFocus);
    resize(kDesignSize);

    m_image = new pictures::UiPictureView({kViewerClientLayout, kViewerPanCursorMs, false},
                                          state.prompt(), this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setFrameShape(QFrame::NoFrame);
    m_image->setFitOnResize(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_image);
    connect(m_image, &pictures::UiPictureView::loadFinished, this, &fImage::pictureLoaded);
    mainwindow::UiIdleFilter::install(this, state.idle);
    mainwindow::UiIdleFilter::install(m_image, state.idle);
}

fImage::~fImage() = default;

void fImage::Form_Load()
{
    m_image->setBackground(browse::toQColor(m_state.prefs.color_3));
    show();
    m_image->load(image_path, pictures::UiPictureView::DecodeSize::Full);
}

void fImage::pictureLoaded(bool ok)
{
    setWindowTitle(image_name);
    if (ok) {
        // The window takes the picture's size, never less than the minimum,
        // and never more than the screen offers (it would open with its
        // close box out of reach).
        const QSizeF natural = m_image->naturalTwips() / browse::kTwipsPerPixel;
        QSize size(qMax(kMinViewerPixels, qRound(natural.width())),
                   qMax(kMinViewerPixels, qRound(natural.height())));
        const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QSize room =
                screen->availableGeometry().size() - (frameGeometry().size() - geometry().size());
            if (size.width() > room.width() || size.height() > room.height())
                size.scale(room, Qt::KeepAspectRatio);
            size = size.expandedTo(QSize(kMinViewerPixels, kMinViewerPixels));
        }
        resize(size);
        m_image->fit();
    }
    Q_EMIT loadFinished(ok);
}

void fImage::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_R:
        m_image->fit();
        return;
    case Qt::Key_Z:
        m_image->zoomAtCentre(pictures::ZoomButton::Left);
        return;
    case Qt::Key_X:
        m_image->zoomAtCentre(pictures::ZoomButton::Right);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
