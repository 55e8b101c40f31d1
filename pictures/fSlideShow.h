#pragma once

#include "pictures/PictureDecoder.h"
#include "pictures/SlideShowSequence.h"

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <memory>

class QAbstractItemModel;
class QLabel;
class QTimer;
class QToolButton;
class fDelay;
class fSlideShow;

namespace mainwindow {
class AppState;
}
namespace platform {
class ScreenSaverInhibitor;
}
namespace pictures {
class UiPictureView;
}

// The Picture Sorter is this window's second mode; it plugs in here. With
// none set the window plays a slide show.
class SlideShowSorter
{
public:
    virtual ~SlideShowSorter() = default;
    // Run by Form_Load before anything else (setup_sorter).
    virtual void setup(fSlideShow& show) = 0;
    // A key pressed in the window: true when the sorter took it. Of the
    // show's own keys only "r", Escape, "z" and "x" work in the sorter.
    virtual bool keyPressed(QKeyEvent* event) = 0;
    // The bookkeeping before the position advances, given the number of
    // pictures in the listing now: false when the sorter has finished and no
    // picture comes next.
    virtual bool beforeAdvance(int picturesNow) = 0;
};

// The slide show: the pictures of the Libraries listing one after another,
// full-window on the picture background colour, random or in order, each step
// a delay apart. The next picture is decoded on a worker thread at the size it
// will be shown while the current one is on screen, so a step shows it at
// once; a step that comes before it is ready waits for it, without holding the
// window up. One slide show exists at a time (the main window sees to it).
class fSlideShow : public QWidget
{
    Q_OBJECT
public:
    // listing: the Libraries list, read live at every step. A window of its
    // own, kept in front of its owner.
    fSlideShow(mainwindow::AppState& state, const QAbstractItemModel* listing, QWidget* owner);
    ~fSlideShow() override;

    // Before Form_Load: the window runs as the Picture Sorter.
    void setSorter(std::unique_ptr<SlideShowSorter> sorter);
    bool picture_sorter() const { return m_sorter != nullptr; }
    SlideShowSorter* sorter() const { return m_sorter.get(); }

    // Reads the settings, shows the window (maximised unless the opener gave
    // it a size) running, and prepares the first picture, which the first
    // step shows as soon as it is decoded.
    void Form_Load();

    // Shows the prepared picture and prepares the next; run by Timer1, the
    // keys and the sorter. Waits for a picture that is still decoding.
    void next_picture();
    // The start/stop button and "s".
    void start_stop();
    // Zoom 1, centred; the controls along the bottom placed again.
    void fit_window();
    // The delay window's slider: the running show's interval.
    void setInterval(int milliseconds);
    // Drops the shown and the prepared picture (the sorter's end).
    void clearPictures();

    // What the sorter needs of the show.
    pictures::SlideShowSequence& sequence() { return m_sequence; }
    const pictures::ShowListing& listing() const { return m_listing; }
    mainwindow::AppState& state() const { return m_state; }
    // The shown picture's key (Image1's tag: its path as on disk) and name;
    // "" when none is shown.
    QString shownKey() const { return m_shownKey; }
    QString shownName() const { return m_shownName; }
    // The prepared picture's key (Image2's tag); "" when none.
    QString preparedKey() const { return m_prepared.key; }
    // A picture is being prepared (or is about to be, once the shown one is
    // painted); a step waits for it.
    bool preparing() const { return m_prepareAfterPaint || m_prepared.state == Prepared::Decoding; }
    bool stepPending() const { return m_stepPending; }
    bool screenSaverInhibited() const;

    pictures::UiPictureView* picture() const { return m_image; } // Image1
    QTimer* timer() const { return m_timer; }                    // Timer1
    QToolButton* startStopButton() const { return m_startStop; } // Image3
    QLabel* runShowLabel() const { return m_runShow; }           // run_show
    QLabel* fileNameLabel() const { return m_fileName; }         // file_name
    fDelay* delayWindow() const;

Q_SIGNALS:
    // A step has put a picture (key; "" for none) into Image1.
    void pictureShown(const QString& key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Prepared
    {
        enum State { Empty, Decoding, Ready };
        State state = Empty;
        QString key;
        QString name;
        quint64 ticket = 0;
        pictures::LoadedPicture picture;
    };

    void step();
    void prepareNext();
    void prepareAfterPaint();
    void decoded(quint64 ticket, const pictures::LoadedPicture& picture);
    void giveUp();
    void Timer1_Timer();
    void applyRunState();
    void openDelayWindow(const QPoint& globalPos);
    void inhibitScreenSaver(bool on);
    // The size pictures are prepared for: the window's, in logical pixels.
    QSize showBox() const;

    mainwindow::AppState& m_state;
    pictures::ModelListing m_listing;
    pictures::SlideShowSequence m_sequence;
    std::unique_ptr<SlideShowSorter> m_sorter;
    std::shared_ptr<std::atomic<double>> m_pixelRatio;
    pictures::PictureDecoder m_decoder;

    pictures::UiPictureView* m_image = nullptr; // Image1
    QToolButton* m_startStop = nullptr;         // Image3
    QLabel* m_runShow = nullptr;                // run_show
    QLabel* m_fileName = nullptr;               // file_name
    QTimer* m_timer = nullptr;                  // Timer1
    QPointer<fDelay> m_delay;

    Prepared m_prepared; // Image2
    QString m_shownKey;
    QString m_shownName;
    QString m_notice; // the file name line's text when there is nothing to name
    bool m_stepPending = false;
    bool m_prepareAfterPaint = false; // the next picture is prepared once this one is painted
    QTimer* m_prepareTimer = nullptr;
    bool m_reporting = false; // a failure's message is up
    bool m_loaded = false;
    std::unique_ptr<platform::ScreenSaverInhibitor> m_inhibitor;
};
