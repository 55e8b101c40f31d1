#include "pictures/fSlideShow.h"

#include "browse/Twips.h"
#include "browse/WinColor.h"
#include "mainwindow/AppState.h"
#include "mainwindow/UiIdleFilter.h"
#include "pictures/PictureGeometry.h"
#include "pictures/UiPictureView.h"
#include "platform/ScreenSaver.h"
#include "settings/fDelay.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

using pictures::LoadedPicture;

constexpr int kShowPanCursorMs = 200;
constexpr double kTwips = browse::kTwipsPerPixel;
const QString kViewing = QStringLiteral("Viewing");

// The start/stop picture, its place from the window's bottom right corner,
// and the gap to the run_show label beside it (twips). The picture sits
// further in than the design's 740 from the right edge: those figures are of
// the outer window, whose border takes a part of them, and the label beside
// the picture must stay inside the window.
constexpr int kStartStopPixels = 32;
constexpr int kStartStopFromRight = 1340;
constexpr int kStartStopFromBottom = 650;
constexpr int kRunShowGap = 70;
constexpr int kLabelsAboveBottom = 440;

// The two states of the start/stop picture: a round green button with a play
// sign while the show runs, a red one with a stop sign while it stands.
QIcon startStopPicture(bool running)
{
    constexpr int size = 64; // drawn large, shown at 32 pixels: sharp on dense screens too
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base = running ? QColor(30, 150, 60) : QColor(200, 40, 40);
    QRadialGradient shade(QPointF(size * 0.4, size * 0.35), size * 0.6);
    shade.setColorAt(0, base.lighter(135));
    shade.setColorAt(1, base.darker(120));
    p.setPen(QPen(QColor(255, 255, 255, 200), 3));
    p.setBrush(shade);
    p.drawEllipse(QRectF(3, 3, size - 6, size - 6));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    if (running) {
        QPainterPath play;
        play.moveTo(size * 0.40, size * 0.28);
        play.lineTo(size * 0.74, size * 0.50);
        play.lineTo(size * 0.40, size * 0.72);
        play.closeSubpath();
        p.drawPath(play);
    } else {
        p.drawRoundedRect(QRectF(size * 0.32, size * 0.32, size * 0.36, size * 0.36), 3, 3);
    }
    p.end();
    return QIcon(pixmap);
}

// The decode for a step: reduced on the worker thread to the very size the
// fit will draw it at in a window of `box` (logical pixels), so that showing
// it is a plain copy of pixels.
LoadedPicture decodeForShow(const QString& path, QSize box, double ratio)
{
    const double allowance = pictures::kSlideShowLayout.allowance / kTwips;
    const QSize fitBox(qCeil(box.width() * ratio),
                       qCeil(std::max(1.0, box.height() - allowance) * ratio));
    LoadedPicture picture = pictures::loadPicture(path, fitBox);
    if (!picture.ok() || !box.isValid())
        return picture;
    pictures::PictureFrame frame;
    frame.hasPicture = true;
    pictures::fit_picture(
        frame, box.width() * kTwips, box.height() * kTwips, picture.naturalSize.width() * kTwips,
        picture.naturalSize.height() * kTwips, pictures::kSlideShowLayout.allowance);
    const QSize drawn(qRound(frame.width / kTwips * ratio), qRound(frame.height / kTwips * ratio));
    if (drawn.width() >= 1 && drawn.height() >= 1 && drawn.width() < picture.image.width() &&
        drawn.height() <= picture.image.height()) {
        picture.image =
            picture.image.scaled(drawn, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        picture.reduced = true;
    }
    return picture;
}

} // namespace

fSlideShow::fSlideShow(mainwindow::AppState& state, const QAbstractItemModel* listing,
                       QWidget* owner)
    : QWidget(owner, Qt::Window), m_state(state), m_listing(listing),
      m_sequence(pictures::ShowMode::Random, pictures::kDefaultDelayMs),
      m_pixelRatio(std::make_shared<std::atomic<double>>(1.0)),
      m_decoder([ratio = m_pixelRatio](const QString& path, QSize box) {
          return decodeForShow(path, box, ratio->load());
      })
{
    setObjectName(QStringLiteral("fSlideShow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Slide Show!"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 240);

    m_image = new pictures::UiPictureView({pictures::kSlideShowLayout, kShowPanCursorMs, true},
                                          state.prompt(), this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setFrameShape(QFrame::NoFrame);
    m_image->setFitOnResize(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_image);

    m_startStop = new QToolButton(this);
    m_startStop->setObjectName(QStringLiteral("Image3"));
    m_startStop->setAutoRaise(true);
    m_startStop->setFocusPolicy(Qt::NoFocus);
    m_startStop->setCursor(Qt::PointingHandCursor);
    m_startStop->setIconSize(QSize(kStartStopPixels, kStartStopPixels));
    m_startStop->setFixedSize(kStartStopPixels + 4, kStartStopPixels + 4);
    m_startStop->setStyleSheet(QStringLiteral("QToolButton { border: none; background: none; }"));
    m_startStop->setToolTip(QStringLiteral("Start or stop the slide show (S)"));
    connect(m_startStop, &QToolButton::clicked, this, &fSlideShow::start_stop);

    m_runShow = new QLabel(QStringLiteral("On"), this);
    m_runShow->setObjectName(QStringLiteral("run_show"));
    m_fileName = new QLabel(this);
    m_fileName->setObjectName(QStringLiteral("file_name"));
    m_fileName->setTextFormat(Qt::PlainText);
    for (QLabel* label : {m_runShow, m_fileName}) {
        // Clicks and drags go through to the picture underneath.
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    connect(m_timer, &QTimer::timeout, this, &fSlideShow::Timer1_Timer);
    connect(&m_decoder, &pictures::PictureDecoder::decoded, this, &fSlideShow::decoded);
    // A window that paints nothing (minimised, covered) prepares all the same.
    m_prepareTimer = new QTimer(this);
    m_prepareTimer->setSingleShot(true);
    connect(m_prepareTimer, &QTimer::timeout, this, &fSlideShow::prepareAfterPaint);
    // Once the paint (and the rest of the window's) is done.
    connect(m_image, &pictures::UiPictureView::picturePainted, this, [this] {
        if (m_prepareAfterPaint)
            m_prepareTimer->start(0);
    });
    connect(m_image, &pictures::UiPictureView::emptyAreaMenuRequested, this,
            &fSlideShow::openDelayWindow);

    mainwindow::UiIdleFilter::install(this, state.idle);
    mainwindow::UiIdleFilter::install(m_image, state.idle);
}

fSlideShow::~fSlideShow()
{
    inhibitScreenSaver(false);
}

void fSlideShow::setSorter(std::unique_ptr<SlideShowSorter> sorter)
{
    m_sorter = std::move(sorter);
}

fDelay* fSlideShow::delayWindow() const
{
    return m_delay;
}

bool fSlideShow::screenSaverInhibited() const
{
    return m_inhibitor && m_inhibitor->active();
}

void fSlideShow::Form_Load()
{
    m_image->clear();
    m_prepared = Prepared{};
    if (m_sorter) {
        m_sequence.setBeforeAdvance(
            [this](int picturesNow) { return m_sorter->beforeAdvance(picturesNow); });
        m_sorter->setup(*this);
    }
    const settings::SettingsStore& store = m_state.store();
    m_sequence.setInterval(
        pictures::show_delay(store.get_setting(kViewing, QStringLiteral("slide_show_delay"))));
    m_sequence.setMode(m_sorter ? pictures::ShowMode::Sequential
                                : pictures::show_mode(store.get_setting(
                                      kViewing, QStringLiteral("slide_show_mode"))));
    m_sequence.open(m_listing.pictureCount());
    m_timer->setInterval(m_sequence.interval());
    m_startStop->setEnabled(m_sequence.canToggle());
    m_startStop->setVisible(!m_sorter);
    m_runShow->setVisible(!m_sorter);

    const QColor background = browse::toQColor(m_state.prefs.color_3);
    m_image->setBackground(background);
    const QColor ink = background.lightness() < 128 ? QColor(170, 170, 170) : QColor(70, 70, 70);
    QPalette text = m_fileName->palette();
    text.setColor(QPalette::WindowText, ink);
    m_fileName->setPalette(text);

    if (testAttribute(Qt::WA_Resized))
        show();
    else {
        // Sized to the screen first: a desktop without a window manager, or
        // one that ignores the request, would otherwise leave it at its
        // smallest size.
        if (const QScreen* display = screen())
            setGeometry(display->availableGeometry());
        showMaximized();
    }
    m_loaded = true;
    fit_window();
    applyRunState();
    // The first step only prepares; the picture it prepares is shown as soon
    // as it is decoded.
    m_stepPending = true;
    prepareNext();
}

void fSlideShow::fit_window()
{
    m_image->fit();
    const int w = browse::twipsFromPixels(width());
    const int h = browse::twipsFromPixels(height());
    const int left = w - kStartStopFromRight;
    m_startStop->move(browse::pixelsFromTwips(left),
                      browse::pixelsFromTwips(h - kStartStopFromBottom));
    m_runShow->adjustSize();
    const int labelTop = h - browse::twipsFromPixels(m_runShow->height()) - kLabelsAboveBottom;
    m_runShow->move(
        browse::pixelsFromTwips(left + browse::twipsFromPixels(m_startStop->width()) + kRunShowGap),
        browse::pixelsFromTwips(labelTop));
    QString name = m_shownName;
    if (name.isEmpty())
        name = m_notice.isEmpty() ? QStringLiteral("Loading...") : m_notice;
    // The line ends short of the start/stop picture. The count of characters
    // assumes a narrow font; where the font is wider the name is cut further,
    // still ending in "...", rather than clipped without a sign.
    const int room = std::max(0, m_startStop->x() - 16);
    QString shown = pictures::cut_file_name(name, left);
    const QFontMetrics metrics(m_fileName->font());
    for (qsizetype keep = std::min(shown.size(), name.size()) - 1;
         keep >= 0 && metrics.horizontalAdvance(shown) > room; --keep)
        shown = name.left(keep) + QStringLiteral("...");
    m_fileName->setText(shown);
    m_fileName->adjustSize();
    m_fileName->setGeometry(8, browse::pixelsFromTwips(labelTop), room, m_fileName->height());
    m_startStop->raise();
    m_runShow->raise();
    m_fileName->raise();
}

void fSlideShow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_loaded)
        return;
    fit_window();
    // The prepared picture was made for the old size: made again for this one.
    if (m_prepared.state != Prepared::Empty && !m_reporting) {
        m_pixelRatio->store(devicePixelRatioF());
        m_prepared.picture = LoadedPicture{};
        m_prepared.state = Prepared::Decoding;
        m_prepared.ticket = m_decoder.request(m_prepared.key, showBox());
    }
}

void fSlideShow::start_stop()
{
    if (m_sorter || !m_sequence.toggle())
        return;
    applyRunState();
}

void fSlideShow::applyRunState()
{
    const bool running = m_sequence.running();
    m_startStop->setIcon(startStopPicture(running));
    m_runShow->setText(running ? QStringLiteral("On") : QStringLiteral("Off"));
    QPalette colour = m_runShow->palette();
    colour.setColor(QPalette::WindowText, running ? QColor(0, 128, 0) : QColor(255, 0, 0));
    m_runShow->setPalette(colour);
    const bool ticking = running && !m_sorter;
    if (ticking) {
        m_timer->setInterval(m_sequence.interval());
        m_timer->start();
    } else {
        m_timer->stop();
    }
    inhibitScreenSaver(ticking);
    fit_window();
}

void fSlideShow::setInterval(int milliseconds)
{
    m_sequence.setInterval(milliseconds);
    // Changing a running timer's interval starts its count again.
    m_timer->setInterval(m_sequence.interval());
}

void fSlideShow::openDelayWindow(const QPoint& globalPos)
{
    if (m_sorter)
        return;
    if (m_delay)
        m_delay->close();
    m_delay = new fDelay(
        m_state, [this](int ms) { setInterval(ms); }, this);
    m_delay->delay_left = globalPos.x();
    m_delay->delay_top = globalPos.y();
    m_delay->Form_Load();
}

void fSlideShow::inhibitScreenSaver(bool on)
{
    if (!on) {
        if (m_inhibitor)
            m_inhibitor->release();
        return;
    }
    if (!m_inhibitor)
        m_inhibitor = std::make_unique<platform::ScreenSaverInhibitor>();
    m_inhibitor->inhibit(QStringLiteral("A slide show is playing"));
}

void fSlideShow::keyPressEvent(QKeyEvent* event)
{
    if (m_sorter && m_sorter->keyPressed(event))
        return;
    const QString text = event->text().toLower();
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        close();
    } else if (text == QLatin1String("r")) {
        m_image->fit();
    } else if (text == QLatin1String("z")) {
        m_image->zoomAtCentre(pictures::ZoomButton::Left);
    } else if (text == QLatin1String("x")) {
        m_image->zoomAtCentre(pictures::ZoomButton::Right);
    } else if (m_sorter) {
        QWidget::keyPressEvent(event);
    } else if (key == Qt::Key_Space) {
        const bool spaceBarStop =
            settings::read_flag(m_state.store(), kViewing, QStringLiteral("space_bar_stop"));
        const pictures::SlideShowSequence::SpaceEffect effect = m_sequence.space(spaceBarStop);
        if (effect.stopped)
            applyRunState();
        if (effect.restartTimer)
            m_timer->start();
        next_picture();
    } else if (text == QLatin1String("=") || text == QLatin1String("+")) {
        if (m_sequence.faster())
            m_timer->setInterval(m_sequence.interval());
    } else if (text == QLatin1String("-")) {
        if (m_sequence.slower())
            m_timer->setInterval(m_sequence.interval());
    } else if (text == QLatin1String("s")) {
        start_stop();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void fSlideShow::closeEvent(QCloseEvent* event)
{
    m_timer->stop();
    m_prepareAfterPaint = false;
    m_prepareTimer->stop();
    m_decoder.cancel();
    inhibitScreenSaver(false);
    QWidget::closeEvent(event);
}
