#include "engine/fProgress.h"

#include "platform/Prompt.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>

namespace {

qint64 steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

fProgress::fProgress(QWidget* owner, Clock clock)
    : QDialog(owner), m_clock(clock ? std::move(clock) : Clock(steadyMilliseconds))
{
    setObjectName(QStringLiteral("fProgress"));
    setWindowTitle(platform::applicationTitle());
    setWindowModality(Qt::ApplicationModal);

    action_label = new QLabel(this);
    action_label->setObjectName(QStringLiteral("action_label"));
    item_label = new QLabel(this);
    item_label->setObjectName(QStringLiteral("item_label"));
    item_label->setTextFormat(Qt::PlainText);
    item_label->setMinimumWidth(1); // a long path is cut short, not the window widened
    count_label = new QLabel(this);
    count_label->setObjectName(QStringLiteral("count_label"));
    tally_label = new QLabel(this);
    tally_label->setObjectName(QStringLiteral("tally_label"));
    bytes_label = new QLabel(this);
    bytes_label->setObjectName(QStringLiteral("bytes_label"));
    time_label = new QLabel(this);
    time_label->setObjectName(QStringLiteral("time_label"));
    // A walk's length is not known in advance: a busy bar until a transfer
    // tells its totals.
    progress_bar = new QProgressBar(this);
    progress_bar->setObjectName(QStringLiteral("progress_bar"));
    progress_bar->setRange(0, 0);
    progress_bar->setTextVisible(false);

    auto* buttons = new QDialogButtonBox(this);
    cancel_button = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel_button->setObjectName(QStringLiteral("cancel_button"));
    connect(cancel_button, &QPushButton::clicked, this, &fProgress::cancel_button_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(action_label);
    layout->addWidget(item_label);
    layout->addWidget(progress_bar);
    layout->addWidget(count_label);
    layout->addWidget(bytes_label);
    layout->addWidget(time_label);
    layout->addWidget(tally_label);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void fProgress::start(const QString& actionText)
{
    m_running = true;
    m_cancelled = false;
    m_soFar = engine::OperationReport();
    m_figures = engine::TransferFigures();
    m_done = 0;
    m_item.clear();
    m_startedAt = m_lastPump = m_clock();
    action_label->setText(actionText);
    cancel_button->setEnabled(true);
    showFigures();
}

void fProgress::step(const engine::OperationReport& soFar, const QString& currentItem)
{
    if (!m_running)
        return;
    // Only the counts are kept: the failures stay with the operation.
    m_soFar.changed = soFar.changed;
    m_soFar.skipped = soFar.skipped;
    m_soFar.refused = soFar.refused;
    m_done = soFar.done();
    if (!currentItem.isEmpty())
        m_item = currentItem;
    throttled();
}

void fProgress::throttled()
{
    const qint64 now = m_clock();
    if (!isVisible()) {
        if (now - m_startedAt < kShowAfterMs)
            return;
        showFigures();
        show();
        raise();
        activateWindow();
        letEventsThrough(now);
    } else if (now - m_lastPump >= kPumpEveryMs) {
        showFigures();
        letEventsThrough(now);
    }
}

void fProgress::transferred(const engine::TransferFigures& figures)
{
    if (!m_running)
        return;
    m_figures = figures;
    throttled();
}

QString fProgress::timeLeftText(double fraction, qint64 elapsedMs)
{
    if (elapsedMs < kGuessAfterMs || fraction <= 0.0 || fraction >= 1.0)
        return QString();
    const qint64 seconds = qint64(double(elapsedMs) * (1.0 - fraction) / fraction / 1000.0 + 0.5);
    const auto about = [](qint64 n, const char* one, const char* many) {
        return n == 1 ? QStringLiteral("About 1 %1 left").arg(QLatin1String(one))
                      : QStringLiteral("About %1 %2 left").arg(n).arg(QLatin1String(many));
    };
    if (seconds < 5)
        return QStringLiteral("A few seconds left");
    if (seconds < 60)
        return about(seconds, "second", "seconds");
    if (seconds < 90 * 60)
        return about((seconds + 30) / 60, "minute", "minutes");
    return about((seconds + 1800) / 3600, "hour", "hours");
}

void fProgress::finish()
{
    m_running = false;
    hide();
}

void fProgress::reject()
{
    if (m_running)
        cancel_button_Click();
}

void fProgress::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}

void fProgress::cancel_button_Click()
{
    m_cancelled = true;
    cancel_button->setEnabled(false);
    // A copy stops between two chunks of its file; other walks finish their item.
    action_label->setText(m_figures.bytesTotal > 0
                              ? QStringLiteral("Stopping...")
                              : QStringLiteral("Stopping after the current item..."));
}

void fProgress::showFigures()
{
    const QLocale locale;
    if (m_figures.itemsTotal > 0)
        count_label->setText(
            QStringLiteral("%1 of %2 items done")
                .arg(locale.toString(m_done), locale.toString(m_figures.itemsTotal)));
    else
        count_label->setText(m_done == 1 ? QStringLiteral("1 item done")
                                         : locale.toString(m_done) + QStringLiteral(" items done"));
    // The bar and the time left go by bytes where there are any to carry,
    // else by items.
    double fraction = -1.0;
    if (m_figures.bytesTotal > 0)
        fraction = double(m_figures.bytesDone) / double(m_figures.bytesTotal);
    else if (m_figures.itemsTotal > 0)
        fraction = double(m_done) / double(m_figures.itemsTotal);
    if (fraction >= 0.0) {
        progress_bar->setRange(0, 1000);
        progress_bar->setValue(int(qBound(0.0, fraction, 1.0) * 1000));
    } else {
        progress_bar->setRange(0, 0);
    }
    bytes_label->setVisible(m_figures.bytesTotal > 0);
    bytes_label->setText(QStringLiteral("%1 of %2")
                             .arg(locale.formattedDataSize(m_figures.bytesDone, 1,
                                                           QLocale::DataSizeTraditionalFormat),
                                  locale.formattedDataSize(m_figures.bytesTotal, 1,
                                                           QLocale::DataSizeTraditionalFormat)));
    const QString left = timeLeftText(fraction, m_clock() - m_startedAt);
    time_label->setVisible(!left.isEmpty());
    time_label->setText(left);
    // Before the window first shows, the label has no width yet: the
    // window's own least width, less its margins, is what it will get.
    const QMargins margins = layout()->contentsMargins();
    const int room = qMax(item_label->width(), minimumWidth() - margins.left() - margins.right());
    item_label->setText(item_label->fontMetrics().elidedText(m_item, Qt::ElideMiddle, room));
    item_label->setToolTip(m_item);
    tally_label->setText(QStringLiteral("%1 changed, %2 skipped, %3 refused")
                             .arg(locale.toString(m_soFar.changed))
                             .arg(locale.toString(m_soFar.skipped))
                             .arg(locale.toString(m_soFar.refused)));
}

void fProgress::letEventsThrough(qint64 now)
{
    m_lastPump = now;
    QCoreApplication::processEvents();
}
