#pragma once

#include "settings/mRegistry.h"

#include <QObject>
#include <QTimer>

namespace mainwindow {

// Counts the whole minutes since the pointer last moved over one of the
// program's windows, and says when the idle limit is reached. The limit and
// the switch are read from the settings store at every tick, so a change made
// in the options counts from the next minute on.
class IdleCount : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 60000;

    explicit IdleCount(settings::SettingsStore store, QObject* parent = nullptr);

    // Minutes since the last reset (16-bit; it stops at the largest value
    // instead of wrapping round to a negative count).
    qint16 inactive_time() const { return m_inactive_time; }

    // The pointer moved: the count starts again, and the next tick is a full
    // minute away.
    void reset();

    // One minute has passed. Public so that tests can drive the count
    // without waiting for the clock.
    void inactivity_timer_Timer();

    const QTimer& inactivity_timer() const { return m_timer; }

Q_SIGNALS:
    // The idle limit is reached and the settings ask for the program to end.
    void timedOut();

private:
    settings::SettingsStore m_store;
    QTimer m_timer;
    qint16 m_inactive_time = 0;
};

} // namespace mainwindow
