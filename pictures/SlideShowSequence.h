#pragma once

#include <QAbstractItemModel>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

// The slide show's order and timing without a window: which item of the
// listing comes next, the rounds of the random order, the interval and its
// keys, running and stopped, and the file name line. The window (fSlideShow)
// only shows what this decides, so every rule runs headless in tests with a
// random source of their own.
namespace pictures {

// What the show reads of the listing it plays: the Libraries list, read live,
// so that a picture the sorter moves away is gone at the next step.
class ShowListing
{
public:
    virtual ~ShowListing() = default;
    virtual int count() const = 0;
    // The name the listing shows (the readable one for a hidden item).
    virtual QString text(int row) const = 0;
    // The item's full path as it is on disk.
    virtual QString key(int row) const = 0;
    virtual bool isFolder(int row) const
    {
        Q_UNUSED(row);
        return false;
    }

    // A file whose name is a picture name: a folder called "Summer.jpg" is
    // not one, and the show never tries to load it.
    bool isPicture(int row) const;
    int pictureCount() const;
};

// A listing model (browse::FolderListModel or any model with the same roles)
// as a ShowListing. A model that is gone (its window closed) lists nothing.
class ModelListing : public ShowListing
{
public:
    explicit ModelListing(const QAbstractItemModel* model) : m_model(model) {}
    int count() const override;
    QString text(int row) const override;
    QString key(int row) const override;
    bool isFolder(int row) const override;
    const QAbstractItemModel* model() const { return m_model; }

private:
    QPointer<const QAbstractItemModel> m_model;
};

enum class ShowMode { Random, Sequential };

// "random" or "sequential" as stored; anything else is the default order,
// random.
ShowMode show_mode(const QString& stored);

// The interval's limits. The delay keys step by a second.
inline constexpr int kMinDelayMs = 1000;
inline constexpr int kMaxDelayMs = 65535;
inline constexpr int kDelayStepMs = 1000;
inline constexpr int kDefaultDelayMs = 3000;

// The interval for a stored "slide_show_delay". The value is read whole and
// kept to 1 to 65.535 seconds: read as a 16-bit number, as it once was, a
// stored 40000 wrapped round to a negative interval; a value below a second
// (only a hand-edited file has one) would step faster than any picture
// decodes. Text that is not a number gives the default, 3 seconds.
int show_delay(const QString& stored);
int clamp_delay(qint64 milliseconds);

// The file name line: the first ⌊left × 0.012⌋ − 3 characters of the name,
// where left is the start/stop picture's left edge in twips, followed by "..."
// when that cut anything off. A window too narrow for even that shows no
// name at all.
QString cut_file_name(const QString& name, double startStopLeftTwips);

class SlideShowSequence
{
public:
    // A whole number from 0 up to, not including, bound (bound >= 1).
    using RandomSource = std::function<int(int bound)>;
    // The sorter's bookkeeping before the position advances, with the number
    // of pictures in the listing now; false ends the show there: no picture
    // comes next.
    using BeforeAdvance = std::function<bool(int picturesNow)>;

    // An empty random source draws from the system's generator.
    SlideShowSequence(ShowMode mode, int intervalMs, RandomSource random = {});

    ShowMode mode() const { return m_mode; }
    void setMode(ShowMode mode) { m_mode = mode; }

    // --- Opening ---
    // The show opens running. A listing of exactly one picture opens stopped,
    // and the start/stop button cannot start it (nothing would change).
    void open(int picturesAtOpen);
    int picturesAtOpen() const { return m_picturesAtOpen; }

    // --- The next position ---
    // The row of the next picture to show, or nothing when the listing holds
    // no picture (or the sorter ended the show). Random order draws every
    // picture of the listing once before any repeats (a round), unless the
    // listing held fewer than two pictures at opening: then it draws freely.
    // Sequential order goes on from the position, skipping folders and other
    // files, and starts again at the top after the last item.
    std::optional<int> choose_next(const ShowListing& listing);
    // The row last chosen (-1 before the first).
    int position() const { return m_position; }
    void setPosition(int row) { m_position = row; }
    // The sorter moved the shown picture away: the listing is an item
    // shorter above the position.
    void position_back() { m_position = std::max(-1, m_position - 1); }
    void setBeforeAdvance(BeforeAdvance hook) { m_beforeAdvance = std::move(hook); }

    // The pictures drawn in the current round, by key.
    const QSet<QString>& drawn() const { return m_drawn; }
    int drawnCount() const { return static_cast<int>(m_drawn.size()); }

    // --- Pictures that fail ---
    // The prepared picture loaded: the failure count starts again.
    void pictureLoaded() { m_failuresInRow = 0; }
    // The prepared picture failed to load. True while the show should try the
    // next one; false once as many pictures in a row have failed as the
    // listing holds: nothing it lists can be shown, and trying on would loop
    // for ever.
    bool pictureFailed(int picturesNow);
    int failuresInRow() const { return m_failuresInRow; }

    // --- The interval ---
    int interval() const { return m_interval; }
    // The delay window's slider and the like; kept within the limits.
    void setInterval(int milliseconds) { m_interval = clamp_delay(milliseconds); }
    // "+" or "=": a second less, never below one second. True when it changed.
    bool faster();
    // "-": a second more, up to the largest interval. True when it changed.
    bool slower();

    // --- Running and stopped ---
    bool running() const { return m_running; }
    bool canToggle() const { return m_canToggle; }
    // The start/stop button or "s": true when the state changed.
    bool toggle();

    // Space: what the window does before it steps on (which it always does).
    struct SpaceEffect
    {
        bool stopped = false;      // the show was running and stops
        bool restartTimer = false; // the next automatic step is a full delay away
    };
    SpaceEffect space(bool spaceBarStop);

private:
    int draw(int bound);
    std::optional<int> chooseRandom(const ShowListing& listing);
    std::optional<int> chooseSequential(const ShowListing& listing);

    ShowMode m_mode;
    int m_interval;
    RandomSource m_random;
    BeforeAdvance m_beforeAdvance;
    int m_picturesAtOpen = 0;
    int m_position = -1;
    QSet<QString> m_drawn;
    int m_failuresInRow = 0;
    bool m_running = true;
    bool m_canToggle = true;
};

} // namespace pictures
