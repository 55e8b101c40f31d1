#pragma once

#include "pictures/PictureSorter.h"
#include "pictures/fSlideShow.h"

#include <QObject>
#include <QPointer>

#include <array>

class QFrame;
class QLabel;
class QTimer;

// The Picture Sorter as the slide show window's second mode: the column of
// target buttons at the top left, the status line beside it, and the keys.
// The rules are PictureSorter's; this shows them and passes on what the user
// does.
class UiPictureSorter : public QObject, public SlideShowSorter
{
    Q_OBJECT
public:
    UiPictureSorter(browse::FolderListModel& listing, QString binFolder,
                    pictures::PictureSorter::Services services);
    ~UiPictureSorter() override;

    // --- SlideShowSorter ---
    void setup(fSlideShow& show) override;
    bool keyPressed(QKeyEvent* event) override;
    bool beforeAdvance(int picturesNow) override;

    // Sends the shown picture to a button's folder, as a click on it does.
    void folder_Click(int index);
    // Space.
    void skip();
    // Ctrl+Z and Backspace: the last move taken back, its picture shown again.
    void undo();

    const pictures::PictureSorter& sorter() const { return m_sorter; }
    QLabel* folder(int index) const; // 1 to 9
    QFrame* folderBorder() const { return m_folderBorder; }
    QLabel* statusLabel() const { return m_status; }
    QFrame* statusBorder() const { return m_statusBorder; }
    QTimer* colorTimer() const { return m_colorTimer; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void color_timer_Timer();
    void showStatus();
    void paintButtons(int highlighted);
    // The window can go on only while its listing exists.
    bool usable() const;
    bool pictureInView() const;

    QPointer<browse::FolderListModel> m_listing;
    pictures::PictureSorter m_sorter;
    QPointer<fSlideShow> m_show;
    std::array<QLabel*, pictures::kSorterButtonRows + 1> m_folder{}; // [0] unused
    QFrame* m_folderBorder = nullptr;
    QLabel* m_status = nullptr;
    QFrame* m_statusBorder = nullptr;
    QTimer* m_colorTimer = nullptr;
    int m_borderWidthPixels = 0;
    bool m_busy = false; // a move or undo is running (its prompts run the event loop)
};
