#include "pictures/UiPictureSorter.h"

#include "browse/Twips.h"
#include "mainwindow/AppState.h"
#include "mainwindow/UiIdleFilter.h"
#include "pictures/UiPictureView.h"
#include "platform/Prompt.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <initializer_list>

using namespace Qt::StringLiterals;
using browse::pixelsFromTwips;
using pictures::PictureSorter;

namespace {

const QColor kGrey(128, 128, 128);
const QColor kUsed(0, 255, 0);
const QColor kBorder(10, 10, 10);

// Where the button column's border starts (twips): a little above and left
// of the first label, which sits at (240, 240).
constexpr int kBorderLeft = 120;
constexpr int kBorderTop = 180;
// The status line's border: right of the column, with this much room
// around the text.
constexpr int kStatusGap = 240;
constexpr int kStatusPadding = 90;
constexpr double kDesignAverageCharPixels = 5.0;

QFrame* makeBorder(QWidget* parent, const QString& name)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setAutoFillBackground(true);
    QPalette p = frame->palette();
    p.setColor(QPalette::Window, kBorder);
    frame->setPalette(p);
    return frame;
}

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

} // namespace

UiPictureSorter::UiPictureSorter(browse::FolderListModel& listing, QString binFolder,
                                 PictureSorter::Services services)
    : m_listing(&listing), m_sorter(listing, std::move(binFolder), std::move(services))
{
}

UiPictureSorter::~UiPictureSorter() = default;

QLabel* UiPictureSorter::folder(int index) const
{
    return index >= 1 && index <= pictures::kSorterButtonRows ? m_folder[size_t(index)] : nullptr;
}

bool UiPictureSorter::usable() const
{
    return m_listing && m_show && !m_busy;
}

bool UiPictureSorter::pictureInView() const
{
    // While a step waits for its picture the one on screen has been dealt
    // with already: a key held down must not count it twice.
    return usable() && !m_show->stepPending() && !m_show->shownKey().isEmpty();
}

void UiPictureSorter::setup(fSlideShow& show)
{
    m_show = &show;
    const bool hasFolders = m_sorter.setup_sorter();

    m_folderBorder = makeBorder(&show, u"folder_border"_s);
    for (int i = 1; i <= pictures::kSorterButtonRows; ++i) {
        auto* label = new QLabel(&show);
        label->setObjectName(u"folder_%1"_s.arg(i));
        label->setTextFormat(Qt::PlainText);
        label->setCursor(Qt::PointingHandCursor);
        label->move(pixelsFromTwips(240), pixelsFromTwips(pictures::kSorterRowTwips * i));
        label->installEventFilter(this);
        m_folder[size_t(i)] = label;
    }
    // Whether labels are cut is decided on widths as the classic 8-point
    // dialog font would give them, whose characters average 5 pixels: the
    // 1700-twip limit is made for it. Measured in the wider fonts of today's
    // desktops even the bin's label would pass it.
    const QFontMetrics metrics(m_folder[1]->font());
    const double designScale = kDesignAverageCharPixels / std::max(1, metrics.averageCharWidth());
    m_sorter.fitLabels([&](const QString& text) {
        return static_cast<int>(browse::twipsFromPixels(metrics.horizontalAdvance(text)) *
                                designScale);
    });
    int widest = 0;
    for (int i = 1; i <= pictures::kSorterButtonRows; ++i) {
        QLabel* label = m_folder[size_t(i)];
        const pictures::SorterButton& b = m_sorter.button(i);
        label->setText(b.text);
        label->setToolTip(b.target);
        label->adjustSize();
        label->setVisible(b.visible);
        if (b.visible)
            widest = std::max(widest, label->width());
    }
    paintButtons(0);
    // On screen the border holds the labels as this font draws them.
    m_borderWidthPixels = widest + pixelsFromTwips(300);
    m_folderBorder->setGeometry(pixelsFromTwips(kBorderLeft), pixelsFromTwips(kBorderTop),
                                m_borderWidthPixels, pixelsFromTwips(m_sorter.borderHeight()));

    m_statusBorder = makeBorder(&show, u"status_border"_s);
    m_status = new QLabel(&show);
    m_status->setObjectName(u"status"_s);
    m_status->setTextFormat(Qt::PlainText);
    setTextColour(m_status, kGrey);

    m_colorTimer = new QTimer(this);
    m_colorTimer->setObjectName(u"color_timer"_s);
    m_colorTimer->setSingleShot(true);
    m_colorTimer->setInterval(pictures::kSorterHighlightMs);
    connect(m_colorTimer, &QTimer::timeout, this, &UiPictureSorter::color_timer_Timer);

    // Above the picture, which may grow under them as it is zoomed.
    m_folderBorder->raise();
    for (int i = 1; i <= pictures::kSorterButtonRows; ++i)
        m_folder[size_t(i)]->raise();
    m_statusBorder->raise();
    m_status->raise();
    m_status->setToolTip(u"Ctrl+Z or Backspace moves the last sorted picture back"_s);
    showStatus();
    show.setWindowTitle(u"Picture Sorter!"_s);
    // The pointer over the sorter's own controls counts as use, as over the
    // rest of the window.
    for (QWidget* w : std::initializer_list<QWidget*>{m_folderBorder, m_statusBorder, m_status})
        mainwindow::UiIdleFilter::install(w, show.state().idle);
    for (int i = 1; i <= pictures::kSorterButtonRows; ++i)
        mainwindow::UiIdleFilter::install(m_folder[size_t(i)], show.state().idle);

    // Without a listing there is nothing to sort: the window goes with it.
    connect(m_listing.data(), &QObject::destroyed, &show, &QWidget::close);

    if (!hasFolders)
        show.state().prompt().message(u"No subfolders found"_s, platform::applicationTitle());
}

void UiPictureSorter::paintButtons(int highlighted)
{
    for (int i = 1; i <= pictures::kSorterButtonRows; ++i)
        setTextColour(m_folder[size_t(i)], i == highlighted ? kUsed : kGrey);
}

void UiPictureSorter::showStatus()
{
    if (!m_status)
        return;
    m_status->setText(m_sorter.status());
    m_status->adjustSize();
    const int pad = pixelsFromTwips(kStatusPadding);
    const int left = pixelsFromTwips(kBorderLeft + kStatusGap) + m_borderWidthPixels;
    const int top = pixelsFromTwips(kBorderTop);
    m_status->move(left + pad, top + pad);
    m_statusBorder->setGeometry(left, top, m_status->width() + 2 * pad,
                                m_status->height() + 2 * pad);
}

void UiPictureSorter::color_timer_Timer()
{
    paintButtons(0);
}

bool UiPictureSorter::beforeAdvance(int picturesNow)
{
    const bool more = m_sorter.before_next_picture(picturesNow);
    showStatus();
    if (!more && m_show) {
        // The sorter is through: neither the shown nor a prepared picture
        // stays (both may be of pictures moved away).
        m_show->clearPictures();
    }
    return more;
}

void UiPictureSorter::folder_Click(int index)
{
    if (!pictureInView() || m_sorter.buttonForDigit(index) == 0)
        return;
    // The used button lights up at once: the move may take a moment.
    m_colorTimer->stop();
    paintButtons(index);
    m_folder[size_t(index)]->repaint();
    m_colorTimer->start();

    m_busy = true;
    QPointer<UiPictureSorter> alive(this);
    const PictureSorter::Sent sent = m_sorter.send(index, m_show->shownKey());
    if (!alive)
        return;
    m_busy = false;
    if (!m_show)
        return;
    pictures::SlideShowSequence& sequence = m_show->sequence();
    switch (sent) {
    case PictureSorter::Sent::Nothing:
        return;
    case PictureSorter::Sent::NotListed:
        break;
    case PictureSorter::Sent::Moved:
        // The listing is an item shorter above the prepared picture, unless
        // the picture sent was the last one and the show had started again
        // at the top: stepping back then would show the first one twice.
        if (m_sorter.sentRow() <= sequence.position())
            sequence.position_back();
        break;
    case PictureSorter::Sent::Skipped:
        // The picture stays. With the next one prepared, the show steps back
        // over it as it always has, so that next one comes twice; before the
        // next is chosen the position is still the shown picture's, and
        // stepping back would only bring the same picture round again.
        if (!m_show->preparedKey().isEmpty())
            sequence.position_back();
        break;
    }
    showStatus();
    m_show->next_picture();
}

void UiPictureSorter::skip()
{
    if (!pictureInView())
        return;
    m_sorter.skip();
    m_show->next_picture();
}

void UiPictureSorter::undo()
{
    if (!usable() || !m_sorter.canUndo())
        return;
    m_busy = true;
    QPointer<UiPictureSorter> alive(this);
    const PictureSorter::Undone undone = m_sorter.undo();
    if (!alive)
        return;
    m_busy = false;
    showStatus();
    if (!undone.moved || undone.row < 0 || !m_show)
        return;
    // The picture put back is shown again, and the show goes on from it.
    m_show->clearPictures();
    m_show->sequence().setPosition(undone.row - 1);
    m_show->next_picture(); // prepares it
    m_show->next_picture(); // shows it once it is decoded
}

bool UiPictureSorter::keyPressed(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Undo) ||
        (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier)) {
        undo();
        return true;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    if (text.size() == 1 && text.front().isDigit()) {
        if (const int button = m_sorter.buttonForDigit(text.front().digitValue()))
            folder_Click(button);
        return true;
    }
    if (event->key() == Qt::Key_Space) {
        skip();
        return true;
    }
    // The show's delay and start/stop keys do nothing here.
    return text == u"="_s || text == u"+"_s || text == u"-"_s || text.toLower() == u"s"_s;
}

bool UiPictureSorter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            for (int i = 1; i <= pictures::kSorterButtonRows; ++i) {
                if (watched == m_folder[size_t(i)] &&
                    m_folder[size_t(i)]->rect().contains(mouse->position().toPoint())) {
                    folder_Click(i);
                    return true;
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
