#include "mainwindow/IdleCount.h"

#include "settings/Preferences.h"

#include <limits>

namespace mainwindow {

namespace {

qint16 readTimeout(const settings::SettingsStore& store)
{
    const QString behavior = QLatin1String(settings::kSectionBehavior);
    const QString name = QStringLiteral("timeout");
    const qint64 v = settings::read_integer(store, behavior, name);
    if (v >= std::numeric_limits<qint16>::min() && v <= std::numeric_limits<qint16>::max())
        return static_cast<qint16>(v);
    // Out of range for a 16-bit count: the default limit, rather than none.
    return static_cast<qint16>(
        settings::parse_integer(settings::default_setting(behavior, name)).value_or(5));
}

} // namespace

IdleCount::IdleCount(settings::SettingsStore store, QObject* parent)
    : QObject(parent), m_store(std::move(store))
{
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &IdleCount::inactivity_timer_Timer);
    m_timer.start();
}

void IdleCount::reset()
{
    m_inactive_time = 0;
    m_timer.start(); // restarting puts the next tick a whole interval away
}

void IdleCount::inactivity_timer_Timer()
{
    if (m_inactive_time < std::numeric_limits<qint16>::max())
        ++m_inactive_time;
    if (m_inactive_time < readTimeout(m_store))
        return;
    if (settings::read_flag(m_store, QLatin1String(settings::kSectionBehavior),
                            QStringLiteral("exit_on_timeout")))
        Q_EMIT timedOut();
}

} // namespace mainwindow
