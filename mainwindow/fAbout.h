#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;
class QPlainTextEdit;

namespace mainwindow {
class AppState;
}

// The about box. Its first showing is the start-up splash, which closes itself
// after a moment and cannot be clicked away; every later showing stays until
// the user clicks it.
class fAbout : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kSplashMs = 1500;

    explicit fAbout(mainwindow::AppState& state, QWidget* parent = nullptr);

    const QTimer& splashTimer() const { return Timer1; }

    // Escape closes it like a click does, and not before the splash is over.
    void reject() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Timer1_Timer();
    void closeIfSplashDone();
    void URL_Click();

    mainwindow::AppState& m_state;
    QTimer Timer1;
    QLabel* Picture1 = nullptr;
    QLabel* about = nullptr;
    QLabel* version = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* URL = nullptr;
    QPlainTextEdit* Text1 = nullptr;
};
