#include "pictures/PictureSorter.h"

#include "browse/mMisc.h"
#include "pictures/SlideShowSequence.h"
#include "platform/FileOperation.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"

#include <QDir>

#include <algorithm>
#include <cerrno>

using namespace Qt::StringLiterals;

namespace pictures {

namespace {

const QString kGap = u"         "_s; // nine spaces between the parts of the status line

} // namespace

QString sorter_intro_text()
{
    return u"<-- Use the mouse or keyboard to send each picture to a sub folder!"_s;
}

PictureSorter::PictureSorter(browse::FolderListModel& listing, QString binFolder, Services services)
    : m_listing(listing), m_binFolder(std::move(binFolder)), m_services(std::move(services)),
      m_status(sorter_intro_text())
{
}

const SorterButton& PictureSorter::button(int index) const
{
    static const SorterButton none;
    return index >= 1 && index <= kSorterButtonRows ? m_buttons[static_cast<size_t>(index)] : none;
}

bool PictureSorter::setup_sorter()
{
    m_buttons = {};
    int n = 0;
    for (const browse::ListItem& item : m_listing.items()) {
        if (!item.isFolder)
            continue;
        ++n;
        m_buttons[static_cast<size_t>(n)] = {true, QString::number(n) + u". "_s + item.text,
                                             item.key};
        if (n == kSorterMaxFolders)
            break;
    }
    m_subfolders = n;
    // Row n + 1 stays empty; the bin comes after it.
    m_buttons[static_cast<size_t>(n + 2)] = {true, QString::number(n + 2) + u". Red Ovidor Bin"_s,
                                             m_binFolder};
    m_borderWidth = 0;

    m_total = ModelListing(&m_listing).pictureCount();
    m_sorted = 0;
    m_skiped = 0;
    m_recount = false;
    m_round = 1;
    m_note.clear();
    m_sentRow = -1;
    m_status = sorter_intro_text();
    m_history.clear();
    return n > 0;
}

void PictureSorter::fitLabels(const std::function<int(const QString&)>& widthTwips)
{
    double widest = 0;
    for (int i = 1; i <= buttonCount(); ++i) {
        if (m_buttons[static_cast<size_t>(i)].visible)
            widest = mMisc::larger_of(widest, widthTwips(m_buttons[static_cast<size_t>(i)].text));
    }
    m_borderWidth = static_cast<int>(widest) + 300;
    if (m_borderWidth <= kSorterMaxWidth)
        return;
    for (int i = 1; i <= buttonCount(); ++i) {
        QString& text = m_buttons[static_cast<size_t>(i)].text;
        if (text.size() > kSorterLabelChars)
            text = text.left(kSorterLabelChars) + u"..."_s;
    }
    m_borderWidth = kSorterMaxWidth;
}

int PictureSorter::buttonForDigit(int digit) const
{
    if (digit < 1 || digit > buttonCount() || digit == buttonCount() - 1)
        return 0;
    return button(digit).visible ? digit : 0;
}

QString PictureSorter::countsText() const
{
    return u"Total: %1"_s.arg(m_total) + kGap + u"Sorted: %1"_s.arg(m_sorted) + kGap +
           u"Skiped: %1"_s.arg(m_skiped) + kGap + u"Remaining: %1"_s.arg(remaining());
}

void PictureSorter::writeStatus()
{
    m_status = m_note.isEmpty() ? countsText() : m_note + kGap + countsText();
}

void PictureSorter::countStep()
{
    // At least, not only exactly: a listing that grew behind the sorter's
    // back must not keep a round from ever ending.
    if (m_sorted + m_skiped >= m_total)
        m_recount = true;
}

PictureSorter::Sent PictureSorter::send(int buttonIndex, const QString& shownKey)
{
    if (buttonForDigit(buttonIndex) == 0)
        return Sent::Nothing;
    const int row = m_listing.rowOfKey(shownKey);
    if (row < 0)
        return Sent::NotListed;

    m_note.clear();
    m_sentRow = row;
    const browse::ListItem item = m_listing.item(row);
    const QString target = button(buttonIndex).target;
    if (target == m_binFolder && !platform::folderExists(target))
        QDir().mkpath(target); // a failure shows as the move's own
    if (item.hidden && m_services.beforeHiddenMove)
        m_services.beforeHiddenMove();
    m_services.move({item.key}, target);

    // Whatever the operation answered, what counts is whether the picture
    // has left its place.
    if (platform::pathExists(item.key) || platform::isSymLink(item.key)) {
        ++m_skiped;
        countStep();
        return Sent::Skipped;
    }
    const int nowRow = m_listing.rowOfKey(item.key);
    if (nowRow >= 0)
        m_listing.removeItem(nowRow);
    ++m_sorted;
    countStep();
    const QString newPath = platform::joinPath(target, platform::bareName(item.key));
    if (platform::pathExists(newPath))
        m_history.push_back({item.key, newPath, item, row, m_listing.tag(), m_round});
    return Sent::Moved;
}

void PictureSorter::skip()
{
    m_note.clear();
    ++m_skiped;
    countStep();
}

bool PictureSorter::before_next_picture(int picturesNow)
{
    const int c = picturesNow;
    if (m_recount) {
        // A new round through the pictures that were skipped.
        m_recount = false;
        m_total = c;
        m_sorted = 0;
        m_skiped = 0;
        ++m_round;
        writeStatus();
    } else if (m_sorted + m_skiped >= 1 || !m_note.isEmpty()) {
        writeStatus();
    }
    if (c == 0) {
        m_total = 0;
        m_sorted = 0;
        m_skiped = 0;
        writeStatus();
        return false;
    }
    return true;
}

PictureSorter::Undone PictureSorter::undo()
{
    if (m_history.empty())
        return {};
    const Move m = m_history.back();
    // The entry goes whatever happens: a move that cannot be taken back must
    // not keep the ones before it out of reach.
    m_history.pop_back();

    const QString name = m.item.text;
    const QString oldFolder = platform::parentFolder(m.oldPath);
    const auto refuse = [&](const QString& why) {
        m_services.prompt.message(u"%1 could not be moved back: %2"_s.arg(name, why), QString(),
                                  platform::PromptIcon::Warning);
        return Undone{};
    };
    const QString nameTaken = u"a file of that name is in the folder now"_s;

    if (!platform::pathExists(m.newPath))
        return refuse(u"it is no longer in %1"_s.arg(platform::parentFolder(m.newPath)));
    if (platform::pathExists(m.oldPath) || platform::isSymLink(m.oldPath))
        return refuse(nameTaken);
    if (!platform::folderExists(oldFolder))
        return refuse(u"its folder %1 is gone"_s.arg(oldFolder));
    if (m.item.hidden && m_services.beforeHiddenMove)
        m_services.beforeHiddenMove();

    bool across = !platform::sameFileSystem(m.newPath, oldFolder);
    if (!across) {
        int err = 0;
        switch (platform::renameNoReplace(m.newPath, m.oldPath, err)) {
        case platform::RenameResult::Ok:
            break;
        case platform::RenameResult::TargetExists:
            return refuse(nameTaken);
        case platform::RenameResult::Failed:
            if (err != EXDEV)
                return refuse(platform::systemReason(err));
            across = true; // a mount point on the way
            break;
        }
    }
    if (across) {
        if (!m_services.moveBackAcross)
            return refuse(u"it is on another file system"_s);
        m_services.moveBackAcross(m.newPath, oldFolder);
        if (!platform::pathExists(m.oldPath))
            return refuse(u"the move did not complete"_s);
        if (platform::pathExists(m.newPath))
            return refuse(nameTaken);
    }

    Undone done{true, -1, m.oldPath};
    if (m_listing.tag() == m.listingTag && m_listing.rowOfKey(m.oldPath) < 0) {
        done.row = std::clamp(m.row, 0, m_listing.count());
        m_listing.insertItem(done.row, m.item);
        // It joins the round: back among the unsorted of the round it left,
        // or one more for the round that began since.
        if (m.round == m_round && m_sorted > 0)
            --m_sorted;
        else
            ++m_total;
        m_recount = false;
    }
    m_note = u"Moved %1 back"_s.arg(name);
    writeStatus();
    return done;
}

} // namespace pictures
