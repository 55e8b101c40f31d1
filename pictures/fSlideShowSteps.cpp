// The slide show's steps: the prepared picture shown, the next one prepared
// on the worker thread once the shown one is painted, and pictures that fail.
#include "pictures/fSlideShow.h"

#include "mainwindow/AppState.h"
#include "pictures/UiPictureView.h"

#include <QPointer>
#include <QTimer>

namespace {
// How long the next picture waits for the shown one to be painted.
constexpr int kPrepareAnywayMs = 100;
} // namespace

using pictures::LoadedPicture;

QSize fSlideShow::showBox() const
{
    return m_image->size();
}

void fSlideShow::Timer1_Timer()
{
    if (m_reporting)
        return;
    next_picture();
}

void fSlideShow::next_picture()
{
    if (m_prepareAfterPaint) {
        // Stepping faster than the paint: the next picture is prepared now.
        m_stepPending = true;
        prepareAfterPaint();
        return;
    }
    if (m_prepared.state == Prepared::Decoding) {
        m_stepPending = true;
        return;
    }
    step();
}

void fSlideShow::step()
{
    m_stepPending = false;
    if (m_prepared.state == Prepared::Ready) {
        m_image->showPicture(m_prepared.key, m_prepared.picture);
        m_shownKey = m_prepared.key;
        m_shownName = m_prepared.name;
        m_notice.clear();
    } else {
        m_image->clear();
        m_shownKey.clear();
        m_shownName.clear();
    }
    m_prepared = Prepared{};
    fit_window();
    Q_EMIT pictureShown(m_shownKey);
    if (m_shownKey.isEmpty()) {
        prepareNext();
        return;
    }
    // The next picture is prepared once this one is on the screen: a decode
    // started at once would take the processor from the paint.
    m_prepareAfterPaint = true;
    m_prepareTimer->start(kPrepareAnywayMs);
}

void fSlideShow::prepareAfterPaint()
{
    if (!m_prepareAfterPaint)
        return;
    m_prepareAfterPaint = false;
    m_prepareTimer->stop();
    prepareNext();
}

void fSlideShow::prepareNext()
{
    const std::optional<int> row = m_sequence.choose_next(m_listing);
    if (!row) {
        // Nothing to show: a listing without pictures now, or the sorter is
        // done. A step still due shows no picture.
        m_prepared = Prepared{};
        if (m_stepPending && !m_shownKey.isEmpty())
            step();
        m_stepPending = false;
        return;
    }
    m_prepared = Prepared{};
    m_prepared.state = Prepared::Decoding;
    m_prepared.key = m_listing.key(*row);
    m_prepared.name = m_listing.text(*row);
    m_pixelRatio->store(devicePixelRatioF());
    m_prepared.ticket = m_decoder.request(m_prepared.key, showBox());
}

void fSlideShow::decoded(quint64 ticket, const LoadedPicture& picture)
{
    if (m_prepared.state != Prepared::Decoding || ticket != m_prepared.ticket)
        return;
    if (picture.ok()) {
        m_prepared.picture = picture;
        m_prepared.state = Prepared::Ready;
        m_sequence.pictureLoaded();
        if (m_stepPending)
            step();
        return;
    }
    // The loader's message, with the show held while it is up: the timer
    // would otherwise step on behind the box.
    QPointer<fSlideShow> alive(this);
    const bool ticking = m_timer->isActive();
    m_timer->stop();
    m_reporting = true;
    m_prepared.state = Prepared::Empty;
    pictures::reportLoadFailure(picture, m_state.prompt());
    if (!alive)
        return;
    m_reporting = false;
    if (ticking && m_sequence.running())
        m_timer->start();
    // The failed picture is skipped: the next one is prepared in its place,
    // and a step that waits for it shows that one.
    if (m_sequence.pictureFailed(m_listing.pictureCount()))
        prepareNext();
    else
        giveUp();
}

void fSlideShow::giveUp()
{
    m_prepared = Prepared{};
    m_stepPending = false;
    m_notice = QStringLiteral("None of the pictures in this folder could be shown");
    if (m_sequence.running() && m_sequence.toggle())
        applyRunState();
    fit_window();
}

void fSlideShow::clearPictures()
{
    m_prepareAfterPaint = false;
    m_prepareTimer->stop();
    m_decoder.cancel();
    m_prepared = Prepared{};
    m_stepPending = false;
    m_image->clear();
    m_shownKey.clear();
    m_shownName.clear();
    fit_window();
}
