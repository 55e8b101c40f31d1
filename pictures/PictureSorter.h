#pragma once

#include "browse/FolderListModel.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace platform {
class PromptService;
}

// The Picture Sorter's rules, without a window: which subfolders become
// target buttons, which digit keys work, the counts of a round and its status
// line, sending the shown picture into a folder, skipping it, and taking moves
// back. The slide show window in its sorter mode shows what this decides.
namespace pictures {

inline constexpr int kSorterButtonRows = 9;    // the folder labels 1 to 9
inline constexpr int kSorterMaxFolders = 7;    // subfolders that become targets
inline constexpr int kSorterRowTwips = 240;    // labels sit at Top = 240 x index
inline constexpr int kSorterMaxWidth = 1700;   // the widest the button column gets
inline constexpr int kSorterLabelChars = 16;   // what is left of a cut label
inline constexpr int kSorterHighlightMs = 500; // a used button stays green this long

// The status line before the first picture is sorted or skipped.
QString sorter_intro_text();

struct SorterButton
{
    bool visible = false;
    QString text;   // "1. Holidays", "9. Red Ovidor Bin"
    QString target; // the folder a picture sent here goes into
};

class PictureSorter
{
public:
    struct Services
    {
        platform::PromptService& prompt;
        // Moves the items into the folder with the program's file operation
        // (its questions and progress); returns its result code. The sorter
        // judges the outcome by the disk, not by the code.
        std::function<std::uint32_t(const QStringList& sources, const QString& target)> move;
        // Undo across file systems: moves the file into the folder without
        // ever replacing an item there (a clash is skipped, not asked).
        std::function<void(const QString& from, const QString& folder)> moveBackAcross = {};
        // Run before a hidden picture's name changes place: an item a crash
        // interrupted is finished before its name may move.
        std::function<void()> beforeHiddenMove = {};
    };

    // listing: the Libraries pane's listing, which the sorter shortens as it
    // moves pictures away and lengthens when it takes a move back.
    PictureSorter(browse::FolderListModel& listing, QString binFolder, Services services);

    // --- Set-up ---
    // Reads the subfolders of the listing into the buttons and starts the
    // first round. False when the listing has no subfolder: the bin is then
    // the only target (the caller tells the user).
    bool setup_sorter();
    int subfolderCount() const { return m_subfolders; }
    // The bin button's number: subfolders + 2 (the row before it stays empty).
    int buttonCount() const { return m_subfolders + 2; }
    // Buttons 1 to 9.
    const SorterButton& button(int index) const;
    // Sizes the button column from the labels' widths in twips (measured by
    // the window's font): the widest label + 300, and at most 1700, in which
    // case every label longer than 16 characters is cut to 16 and "...".
    void fitLabels(const std::function<int(const QString&)>& widthTwips);
    int borderWidth() const { return m_borderWidth; }
    int borderHeight() const { return (m_subfolders + 2) * kSorterRowTwips + 100; }

    // The button a digit key runs, 0 when the key does nothing: digits 1 to
    // the bin button's, without the empty row's.
    int buttonForDigit(int digit) const;

    // --- Counts ---
    int total() const { return m_total; }
    int sorted() const { return m_sorted; }
    int skiped() const { return m_skiped; }
    int remaining() const { return m_total - m_sorted - m_skiped; }
    bool recount() const { return m_recount; }
    // The status line as it stands.
    const QString& status() const { return m_status; }
    QString countsText() const;

    // --- Sorting ---
    enum class Sent {
        Nothing,   // no such button: the key or click does nothing
        NotListed, // the shown picture is not in the listing: just go on
        Moved,     // it went; the listing is one item shorter
        Skipped    // the move failed or was refused: counted as skipped
    };
    // Sends the picture shown (its listing key) to a button's folder. After
    // Moved or Skipped the show steps its position back by one before it
    // shows the next picture.
    Sent send(int buttonIndex, const QString& shownKey);
    // Space: the shown picture stays where it is.
    void skip();
    // The row the last sent picture had in the listing (-1 before any).
    int sentRow() const { return m_sentRow; }
    // Run by the show before it advances, with the pictures in the listing
    // now: starts a new round when the last one is through, keeps the status
    // line up to date, and says whether there are pictures still (false:
    // the sorter is finished).
    bool before_next_picture(int picturesNow);

    // --- Undo ---
    bool canUndo() const { return !m_history.empty(); }
    int undoDepth() const { return static_cast<int>(m_history.size()); }
    struct Undone
    {
        bool moved = false; // the file is back under its old name
        int row = -1;       // where it went back into the listing; -1: not listed
        QString key;        // its path again
    };
    // Moves the last sorted picture back into its old folder under its old
    // name, never replacing anything there; says so when that cannot be done
    // and leaves the file where it is. A picture put back joins the round.
    Undone undo();

private:
    struct Move
    {
        QString oldPath;
        QString newPath;
        browse::ListItem item; // as listed, to put back
        int row = 0;
        QString listingTag; // the folder the listing showed
        int round = 0;
    };

    void writeStatus();
    void countStep();

    browse::FolderListModel& m_listing;
    QString m_binFolder;
    Services m_services;
    std::array<SorterButton, kSorterButtonRows + 1> m_buttons{}; // [0] unused
    int m_subfolders = 0;
    int m_borderWidth = 0;
    // The counts are plain ints: a folder may hold more than 32767 pictures.
    int m_total = 0;
    int m_sorted = 0;
    int m_skiped = 0;
    bool m_recount = false;
    int m_round = 0;
    QString m_status;
    QString m_note; // "Moved beach.jpg back", until the next picture is sorted or skipped
    int m_sentRow = -1;
    std::vector<Move> m_history;
};

} // namespace pictures
