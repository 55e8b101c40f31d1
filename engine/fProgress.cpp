#include "engine/fProgress.h"

#include "platform/Prompt.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
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
    count_label = new QLabel(this);
    count_label->setObjectName(QStringLiteral("count_label"));
    // The walk's length is not known in advance: a busy bar, not a percentage.
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
    layout->addWidget(progress_bar);
    layout->addWidget(count_label);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void fProgress::start(bool hiding)
{
    m_running = true;
    m_cancelled = false;
    m_startedAt = m_lastPump = m_clock();
    action_label->setText(hiding ? QStringLiteral("Hiding files and folders...")
                                 : QStringLiteral("Unhiding files and folders..."));
    cancel_button->setEnabled(true);
    showCount(0);
}

void fProgress::step(qint64 done)
{
    if (!m_running)
        return;
    const qint64 now = m_clock();
    if (!isVisible()) {
        if (now - m_startedAt < kShowAfterMs)
            return;
        showCount(done);
        show();
        raise();
        activateWindow();
        letEventsThrough(now);
    } else if (now - m_lastPump >= kPumpEveryMs) {
        showCount(done);
        letEventsThrough(now);
    }
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
    action_label->setText(QStringLiteral("Stopping after the current item..."));
}

void fProgress::showCount(qint64 done)
{
    count_label->setText(done == 1 ? QStringLiteral("1 item done")
                                   : QLocale().toString(done) + QStringLiteral(" items done"));
}

void fProgress::letEventsThrough(qint64 now)
{
    m_lastPump = now;
    QCoreApplication::processEvents();
}
