#pragma once

#include "engine/LongOperation.h"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress window of a long operation: what it does, the item it works
// on, the count of items done (with how many were changed, skipped and
// refused) and a Cancel button. It stays out of sight for the first second,
// so quick commands never flash it. While it shows, the operation lets
// pending events through a few times a second so that Cancel can be pressed;
// the window is modal to the whole program, so no other command can start
// meanwhile.
class fProgress : public QDialog, public engine::OperationProgress
{
    Q_OBJECT
public:
    // Milliseconds on a clock that never goes back; tests pass their own.
    using Clock = std::function<qint64()>;
    static constexpr qint64 kShowAfterMs = 1000;
    static constexpr qint64 kPumpEveryMs = 50;

    explicit fProgress(QWidget* owner = nullptr, Clock clock = {});

    void start(const QString& actionText) override;
    // An empty item keeps the one shown: the operation passed over an item.
    void step(const engine::OperationReport& soFar, const QString& currentItem) override;

    bool cancelled() const override { return m_cancelled; }
    void finish() override;
    // A transfer's totals and bytes: the bar fills, and the bytes done and
    // the time left show.
    void transferred(const engine::TransferFigures& figures) override;

    // "About 3 minutes left": the time the rest takes at the pace so far
    // (fraction done after elapsed milliseconds); "" while too early to tell.
    static QString timeLeftText(double fraction, qint64 elapsedMs);
    static constexpr qint64 kGuessAfterMs = 2000;

protected:
    // Escape and the window's close button cancel as the button does: the
    // walk, not the window, decides when it is over.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void cancel_button_Click();
    // Shows the window after its first second, and the latest figures a
    // few times a second.
    void throttled();
    void showFigures();
    void letEventsThrough(qint64 now);

    Clock m_clock;
    qint64 m_startedAt = 0;
    qint64 m_lastPump = 0;
    bool m_running = false;
    bool m_cancelled = false;
    // The latest figures.
    engine::OperationReport m_soFar;
    engine::TransferFigures m_figures;
    qint64 m_done = 0;
    QString m_item;

    QLabel* action_label = nullptr;
    QLabel* item_label = nullptr;
    QLabel* count_label = nullptr;
    QLabel* tally_label = nullptr;
    QLabel* bytes_label = nullptr;
    QLabel* time_label = nullptr;
    QProgressBar* progress_bar = nullptr;
    QPushButton* cancel_button = nullptr;
};
