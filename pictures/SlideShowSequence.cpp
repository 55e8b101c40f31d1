#include "pictures/SlideShowSequence.h"

#include "browse/FolderListModel.h"
#include "pictures/PictureNames.h"
#include "settings/Preferences.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <vector>

namespace pictures {

bool ShowListing::isPicture(int row) const
{
    return !isFolder(row) && is_picture_name(text(row));
}

int ShowListing::pictureCount() const
{
    int n = 0;
    for (int row = 0, rows = count(); row < rows; ++row)
        n += isPicture(row) ? 1 : 0;
    return n;
}

int ModelListing::count() const
{
    return m_model ? m_model->rowCount() : 0;
}

QString ModelListing::text(int row) const
{
    return m_model ? m_model->index(row, 0).data(Qt::DisplayRole).toString() : QString();
}

QString ModelListing::key(int row) const
{
    return m_model ? m_model->index(row, 0).data(browse::FolderListModel::KeyRole).toString()
                   : QString();
}

bool ModelListing::isFolder(int row) const
{
    return m_model && m_model->index(row, 0).data(browse::FolderListModel::IsFolderRole).toBool();
}

ShowMode show_mode(const QString& stored)
{
    return stored == QLatin1String("sequential") ? ShowMode::Sequential : ShowMode::Random;
}

int clamp_delay(qint64 milliseconds)
{
    return static_cast<int>(std::clamp<qint64>(milliseconds, kMinDelayMs, kMaxDelayMs));
}

int show_delay(const QString& stored)
{
    const std::optional<qint64> ms = settings::parse_integer(stored);
    return ms ? clamp_delay(*ms) : kDefaultDelayMs;
}

QString cut_file_name(const QString& name, double startStopLeftTwips)
{
    const double room = std::floor(startStopLeftTwips * 0.012) - 3;
    if (room < 0)
        return QString();
    if (name.size() <= room)
        return name;
    return name.left(static_cast<qsizetype>(room)) + QStringLiteral("...");
}

SlideShowSequence::SlideShowSequence(ShowMode mode, int intervalMs, RandomSource random)
    : m_mode(mode), m_interval(clamp_delay(intervalMs)), m_random(std::move(random))
{
}

void SlideShowSequence::open(int picturesAtOpen)
{
    m_picturesAtOpen = picturesAtOpen;
    m_position = -1;
    m_drawn.clear();
    m_failuresInRow = 0;
    m_running = picturesAtOpen != 1;
    m_canToggle = picturesAtOpen != 1;
}

int SlideShowSequence::draw(int bound)
{
    const int r =
        m_random ? m_random(bound) : static_cast<int>(QRandomGenerator::global()->bounded(bound));
    // A source that strays out of range must not pick a row that is not there.
    return std::clamp(r, 0, bound - 1);
}

std::optional<int> SlideShowSequence::choose_next(const ShowListing& listing)
{
    const std::optional<int> row =
        m_mode == ShowMode::Random ? chooseRandom(listing) : chooseSequential(listing);
    if (row)
        m_position = *row;
    return row;
}

std::optional<int> SlideShowSequence::chooseRandom(const ShowListing& listing)
{
    // Drawing a row and drawing again while it is a folder, another file or a
    // picture drawn already gives every picture the same chance; picking among
    // the pictures still to come gives the same order in bounded time.
    std::vector<int> free;
    std::vector<int> pictures;
    for (int row = 0, rows = listing.count(); row < rows; ++row) {
        if (!listing.isPicture(row))
            continue;
        pictures.push_back(row);
        if (m_picturesAtOpen >= 2 && !m_drawn.contains(listing.key(row)))
            free.push_back(row);
    }
    if (pictures.empty())
        return std::nullopt;
    if (m_picturesAtOpen < 2) // one picture and folders: every draw is free
        return pictures[static_cast<size_t>(draw(static_cast<int>(pictures.size())))];
    if (free.empty()) {
        // Every picture has had its turn: a new round.
        m_drawn.clear();
        free = pictures;
    }
    const int row = free[static_cast<size_t>(draw(static_cast<int>(free.size())))];
    m_drawn.insert(listing.key(row));
    return row;
}

std::optional<int> SlideShowSequence::chooseSequential(const ShowListing& listing)
{
    if (m_beforeAdvance && !m_beforeAdvance(listing.pictureCount()))
        return std::nullopt;
    const int rows = listing.count();
    int row = m_position;
    for (int step = 0; step < rows; ++step) {
        row = row + 1 >= rows ? 0 : row + 1;
        if (listing.isPicture(row))
            return row;
    }
    return std::nullopt;
}

bool SlideShowSequence::pictureFailed(int picturesNow)
{
    ++m_failuresInRow;
    return m_failuresInRow < std::max(1, picturesNow);
}

bool SlideShowSequence::faster()
{
    if (m_interval <= kMinDelayMs)
        return false;
    m_interval = std::max(kMinDelayMs, m_interval - kDelayStepMs);
    return true;
}

bool SlideShowSequence::slower()
{
    if (m_interval >= kMaxDelayMs)
        return false;
    m_interval = std::min(kMaxDelayMs, m_interval + kDelayStepMs);
    return true;
}

bool SlideShowSequence::toggle()
{
    if (!m_canToggle)
        return false;
    m_running = !m_running;
    return true;
}

SlideShowSequence::SpaceEffect SlideShowSequence::space(bool spaceBarStop)
{
    SpaceEffect effect;
    if (!m_running)
        return effect;
    if (spaceBarStop) {
        m_running = false;
        effect.stopped = true;
    } else {
        effect.restartTimer = true;
    }
    return effect;
}

} // namespace pictures
