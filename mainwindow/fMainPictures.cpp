// The main window's picture tools: the slide show and, in the same window,
// the Picture Sorter.
#include "mainwindow/fMain.h"

#include "panes/fLibraries.h"
#include "pictures/SlideShowSequence.h"
#include "pictures/fSlideShow.h"

using mainwindow::Command;

void fMain::registerPictureCommands()
{
    setCommandHandler(Command::SlideShow, [this] { menu_tools_slide_show_Click(); });
}

fSlideShow* fMain::slideShow() const
{
    return m_slideShow;
}

void fMain::menu_tools_slide_show_Click()
{
    fLibraries* libraries = librariesWindow();
    // Counted as the show counts them: a folder named like a picture is none.
    if (!libraries || pictures::ModelListing(&libraries->pane().list).pictureCount() < 1) {
        m_state.prompt().message(QStringLiteral("No pictures were found in the active folder!"),
                                 platform::applicationTitle());
        return;
    }
    open_slide_show();
}

fSlideShow* fMain::open_slide_show(std::unique_ptr<SlideShowSorter> sorter)
{
    fLibraries* libraries = librariesWindow();
    if (!libraries)
        return nullptr;
    if (m_slideShow) {
        if (!sorter && !m_slideShow->picture_sorter()) {
            m_slideShow->raise();
            m_slideShow->activateWindow();
            return m_slideShow;
        }
        // Deleted later; the new window does not wait for it.
        m_slideShow->close();
    }
    m_slideShow = new fSlideShow(m_state, &libraries->pane().list, this);
    m_slideShow->setSorter(std::move(sorter));
    m_slideShow->Form_Load();
    m_slideShow->activateWindow();
    return m_slideShow;
}
