// The main window's picture tools: the slide show and, in the same window,
// the Picture Sorter.
#include "mainwindow/fMain.h"

#include "engine/fProgress.h"
#include "engine/mEncryptRecords.h"
#include "mainwindow/mFileOperations.h"
#include "panes/fLibraries.h"
#include "pictures/SlideShowSequence.h"
#include "pictures/UiPictureSorter.h"
#include "pictures/fSlideShow.h"

using mainwindow::Command;

namespace {

// Taking a sort back never replaces anything: a name taken meanwhile is
// passed over, and the sorter says so.
class NeverReplace : public mainwindow::ConflictQuestion
{
public:
    mainwindow::ConflictAnswer ask(const QString&, const QString&, bool) override
    {
        return {mainwindow::ConflictChoice::Skip, true};
    }
};

} // namespace

void fMain::registerPictureCommands()
{
    setCommandHandler(Command::SlideShow, [this] { menu_tools_slide_show_Click(); });
    setCommandHandler(Command::PictureSorter, [this] { menu_tools_picture_sorter_Click(); });
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

void fMain::menu_tools_picture_sorter_Click()
{
    fLibraries* libraries = librariesWindow();
    if (!libraries || pictures::ModelListing(&libraries->pane().list).pictureCount() < 1) {
        m_state.prompt().message(QStringLiteral("No pictures were found in the active folder!"),
                                 platform::applicationTitle());
        return;
    }
    const browse::TreeNode* node = libraries->pane().tree.selectedNode();
    if (!node || node->children.empty()) {
        m_state.prompt().message(
            QStringLiteral("Create subfolders in the active folder in order to use the Picture "
                           "Sorter"),
            platform::applicationTitle());
        return;
    }
    pictures::PictureSorter::Services services{
        m_state.prompt(),
        [this](const QStringList& sources, const QString& target) {
            return moveOrCopyItems(mainwindow::FoMove, sources, target, mainwindow::FofNone);
        },
        [this](const QString& from, const QString& folder) {
            NeverReplace never;
            fProgress progress(this);
            mainwindow::move_or_copy_items(mainwindow::FoMove, {from}, folder, mainwindow::FofNone,
                                           {m_state.prompt(), &progress, &never});
        },
        [this] { mEncrypt::recover_before_renaming(m_state.folders(), m_state.prompt()); }};
    open_slide_show(std::make_unique<UiPictureSorter>(
        libraries->pane().list, m_state.folders().binFolder, std::move(services)));
}
