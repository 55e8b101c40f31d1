#include "settings/fDelay.h"

#include "mainwindow/AppState.h"
#include "mainwindow/UiIdleFilter.h"
#include "settings/OptionValues.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace {

const QString kViewing = QStringLiteral("Viewing");
const QString kDelayName = QStringLiteral("slide_show_delay");

} // namespace

fDelay::fDelay(mainwindow::AppState& state, std::function<void(int)> setInterval, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_state(state),
      m_setInterval(std::move(setInterval))
{
    setObjectName(QStringLiteral("fDelay"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Delay"));

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QStringLiteral("slide_show_delay"));
    m_slider->setRange(1, 10);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(5);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setToolTip(QStringLiteral("Set the delay for the slide show"));
    m_slider->setMinimumWidth(220);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("delay_label"));
    m_label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_slider);
    layout->addWidget(m_label);
    connect(m_slider, &QSlider::valueChanged, this, &fDelay::slide_show_delay_Change);
    mainwindow::UiIdleFilter::install(this, state.idle);
}

void fDelay::Form_Load()
{
    m_opened =
        settings::delay_seconds(settings::read_integer(m_state.store(), kViewing, kDelayName));
    {
        const QSignalBlocker quiet(m_slider);
        m_slider->setValue(m_opened);
    }
    m_label->setText(settings::delay_label(m_opened));
    setWindowTitle(QStringLiteral("Delay: %1.0 seconds").arg(m_opened));
    adjustSize();
    move(delay_left, delay_top);
    show();
    raise();
    activateWindow();
    m_slider->setFocus();
}

void fDelay::slide_show_delay_Change()
{
    const int seconds = m_slider->value();
    if (m_setInterval)
        m_setInterval(seconds * 1000);
    m_label->setText(settings::delay_label(seconds));
    setWindowTitle(QStringLiteral("Delay: %1.0 seconds").arg(seconds));
}

void fDelay::commit()
{
    if (m_done)
        return;
    m_done = true;
    const int seconds = m_slider->value();
    // Only a delay the user chose is written: a stored 40 seconds, which the
    // slider can only show as 10, stays as it is when the user just looks.
    if (seconds != m_opened &&
        !m_state.store().save_setting(kViewing, kDelayName, QString::number(seconds * 1000)))
        m_state.prompt().message(settings::options_not_saved_message({kDelayName}));
    close();
}

void fDelay::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow())
        m_wasActive = true;
    else if (m_wasActive)
        commit();
}

void fDelay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        commit();
        return;
    }
    QWidget::keyPressEvent(event);
}
