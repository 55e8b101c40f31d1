#include "browse/mFileInfo.h"

#include "browse/HiddenLook.h"
#include "browse/WaitCursor.h"
#include "browse/mGetFolders.h"
#include "engine/mEncrypt.h"
#include "platform/FileSystem.h"
#include "platform/FileTypes.h"
#include "platform/Paths.h"

#include <QFile>
#include <QHash>
#include <QLocale>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <numeric>
#include <optional>

using browse::FolderListModel;
using browse::ListItem;

namespace mFileInfo {

namespace {

// An image list past this many images is reset before the next listing.
constexpr int kIconLimit = 250;
// Entries between two calls of keepResponsive and two status updates.
constexpr int kResponsiveEvery = 64;

const QString kFileFolder = QStringLiteral("File Folder");
const QString kUnknownFile = QStringLiteral("Unknown File");

const QString& columnText(const ListItem& item, int column)
{
    switch (column) {
    case 1:
        return item.size;
    case 2:
        return item.type;
    case 3:
        return item.modified;
    default:
        return item.text;
    }
}

// The order of the staging list after the list control's own text sort of
// one column: case-insensitive, the exact text breaking ties. The texts are
// compared where they are: a case-folded copy of every name would cost a
// hundred bytes an entry at the peak of a big listing.
std::vector<quint32> sortedOrder(const std::vector<ListItem>& items, int column, int sortOrder)
{
    // The sort key's two prefixes differ in their first letter, so it sorts as
    // folders first, then the text; no need to build the key itself.
    const bool byKey = column < 0 || column > 3;
    const int textColumn = byKey ? 0 : column;
    auto less = [&](quint32 a, quint32 b) {
        if (byKey && items[a].isFolder != items[b].isFolder)
            return items[a].isFolder;
        const QString& x = columnText(items[a], textColumn);
        const QString& y = columnText(items[b], textColumn);
        const int c = x.compare(y, Qt::CaseInsensitive);
        if (c != 0)
            return c < 0;
        return x < y;
    };
    // Equal texts keep the folder's order, as a stable sort would keep them,
    // without the stable sort's buffer of half the entries.
    const bool descending = sortOrder != 0;
    std::vector<quint32> order(items.size());
    std::iota(order.begin(), order.end(), quint32{0});
    std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        const bool before = descending ? less(b, a) : less(a, b);
        if (before)
            return true;
        const bool after = descending ? less(a, b) : less(b, a);
        return !after && a < b;
    });
    return order;
}

// The pieces joined in a string of exactly their length. A chain of "+"
// grows its result the way an append does, to room for half as much again,
// and a listing keeps a few such texts for every entry.
QString exactText(std::initializer_list<QStringView> pieces)
{
    qsizetype size = 0;
    for (QStringView p : pieces)
        size += p.size();
    QString out;
    out.reserve(size);
    for (QStringView p : pieces)
        out.append(p);
    return out;
}

bool toLocal(qint64 secondsSinceEpoch, std::tm& local)
{
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    return ::localtime_r(&t, &local) != nullptr;
}

QString timeText(const std::tm& local)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d/%d/%lld %d:%02d", local.tm_mday, local.tm_mon + 1,
                  static_cast<long long>(local.tm_year) + 1900, local.tm_hour, local.tm_min);
    return QString::fromLatin1(text);
}

// One copy of each size and time text of a listing: thousands of files
// share "1 KB" and the minute they were written in.
class SharedTexts
{
public:
    const QString& size(quint64 bytes)
    {
        const quint64 kb = bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
        auto it = m_sizes.constFind(kb);
        if (it == m_sizes.constEnd())
            it = m_sizes.insert(kb, format_list_size(bytes));
        return *it;
    }
    const QString& time(qint64 secondsSinceEpoch)
    {
        std::tm local{};
        if (!toLocal(secondsSinceEpoch, local))
            return m_none;
        const qint64 minute =
            ((((qint64(local.tm_year) * 16 + local.tm_mon) * 32 + local.tm_mday) * 32 +
              local.tm_hour) *
             64) +
            local.tm_min;
        auto it = m_times.constFind(minute);
        if (it == m_times.constEnd())
            it = m_times.insert(minute, timeText(local));
        return *it;
    }

private:
    QHash<quint64, QString> m_sizes;
    QHash<qint64, QString> m_times;
    const QString m_none;
};

QString foundText(size_t count)
{
    return QString::number(count) + QStringLiteral(" Object(s) found");
}

} // namespace

int statError(const QString& path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? 0 : errno;
}

QString folder_failure_text(const QString& path, int error)
{
    const QString& name = path;
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("The folder \"") + name +
               QStringLiteral("\" cannot be read: you do not have permission to open it.");
    case EILSEQ:
        return QStringLiteral("The name of the folder \"") + name +
               QStringLiteral("\" cannot be read on this computer: it is not valid text in the "
                              "system's character set. Rename it with a program that can.");
    default:
        return QStringLiteral("The folder \"") + name + QStringLiteral("\" cannot be read: ") +
               QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('.');
    }
}

QString format_list_size(quint64 size)
{
    quint64 kb = size / 1024 + (size % 1024 >= 512 ? 1 : 0);
    if (size < 1024)
        kb = 1;
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(kb) + QStringLiteral(" KB");
}

QString format_file_time(qint64 secondsSinceEpoch)
{
    std::tm local{};
    return toLocal(secondsSinceEpoch, local) ? timeText(local) : QString();
}

void set_list_columns(browse::StagingList& staging)
{
    staging.sortColumn = 4;
    staging.sortOrder = 0;
}

void set_list_columns(FolderListModel& list, const settings::SettingsStore& store)
{
    const QString section = QString::fromLatin1(settings::kSectionAppearance);
    const QString flags = settings::read_text(store, section, QStringLiteral("columns"));
    browse::ListColumns columns;
    for (int k = 0; k < 4; ++k) {
        columns.shown[size_t(k)] = !(k < flags.size() && flags[k] == QLatin1Char('0'));
        columns.widthTwips[size_t(k)] =
            settings::read_real(store, section, QStringLiteral("width") + QString::number(k + 1));
    }
    list.setColumns(columns);
}

ListingResult list_folder(const browse::BrowseContext& ctx, browse::BrowsePane& pane)
{
    browse::FolderTreeModel& tree = pane.tree;
    FolderListModel& list = pane.list;
    const QString path = tree.selectedKey();
    if (path.isEmpty() || path == QLatin1String("mylibraries") ||
        path == QLatin1String("mycomputer"))
        return ListingResult::NothingToList;

    if (pane.listIcons.count() > kIconLimit)
        mGetFolders::copy_icons(pane.listIcons, ctx.iconImageList);

    browse::WaitCursor wait;
    auto status = [&](const QString& text) {
        if (ctx.showStatus)
            ctx.showStatus(text);
    };

    const browse::TreeNode* node = tree.selectedNode();
    const bool nameUnreadable = node && node->lossyName;
    if (nameUnreadable || !platform::folderExists(path)) {
        list.clear();
        list.setTag(QString());
        wait.restore();
        // Only a folder that is really gone is called missing.
        const int why = nameUnreadable ? EILSEQ : statError(path);
        if (why == ENOENT || why == ENOTDIR)
            ctx.prompt.message(
                QStringLiteral("That path is inaccessible. Try refreshing the screen."));
        else
            ctx.prompt.message(folder_failure_text(path, why));
        return ListingResult::FolderMissing;
    }

    const QStringList reselect = list.tag() == path ? list.selectedKeys() : QStringList();
    list.clear();
    list.setTag(path);
    const short focusId = ctx.object_focus;
    const quint64 serial = list.startListing();

    // The user may pick another folder or pane while keepResponsive lets
    // events through; then this listing must not fill the list.
    auto lettingEventsThrough = [&]() -> std::optional<ListingResult> {
        if (ctx.keepResponsive)
            ctx.keepResponsive();
        if (list.listingSerial() != serial)
            return ListingResult::Superseded;
        if (tree.selectedKey() != list.tag() || ctx.object_focus != focusId) {
            list.clear();
            list.setTag(QString());
            return ListingResult::Abandoned;
        }
        return std::nullopt;
    };

    const QString shownPath = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    const QString& folderPrefix = shownPath;
    platform::FolderListing found = platform::listFolderEntries(path, true);
    if (!found.ok) {
        // Nothing is shown, so a click on the node tries again.
        list.setTag(QString());
        wait.restore();
        if (found.error == ENOENT || found.error == ENOTDIR)
            ctx.prompt.message(QStringLiteral("An expected folder (") + shownPath +
                                   QStringLiteral(")is missing. Try refreshing the screen."),
                               QStringLiteral("Path Not Found"));
        else
            ctx.prompt.message(folder_failure_text(path, found.error));
        return ListingResult::EnumerationFailed;
    }

    const bool libraries = pane.isLibraries();
    std::vector<ListItem> staged;
    std::vector<platform::DirEntry>& entries = found.entries;
    staged.reserve(entries.size());
    SharedTexts shared;
    // The entries are taken from the back and their memory given back as
    // they go, so the folder's entries and the staged records never both
    // hold the whole folder at the peak; the staged records are turned
    // round afterwards, into the folder's order again.
    while (!entries.empty()) {
        if (staged.size() % kResponsiveEvery == 0) {
            status(foundText(staged.size()));
            if (auto end = lettingEventsThrough())
                return *end;
        }
        platform::DirEntry e = std::move(entries.back());
        entries.pop_back();
        if (entries.capacity() > 2 * entries.size() + 4096)
            entries.shrink_to_fit();
        ListItem item;
        item.key = exactText({folderPrefix, e.name});
        item.hidden = libraries && mEncrypt::is_hidden_name(e.name);
        item.text = item.hidden ? mEncrypt::plain_name(e.name) : std::move(e.name);
        item.isFolder = e.isFolder;
        if (e.isFolder)
            item.type = kFileFolder;
        else
            item.size = shared.size(static_cast<quint64>(std::max<qint64>(e.size, 0)));
        if (e.hasStat)
            item.modified = shared.time(e.mtimeSecs);
        staged.push_back(std::move(item));
    }
    std::reverse(staged.begin(), staged.end());
    found = {};
    status(foundText(staged.size()));

    status(QStringLiteral("Extracting icons..."));
    const std::vector<quint32> order =
        sortedOrder(staged, ctx.staging.sortColumn, ctx.staging.sortOrder);
    // Own-icon files (applications, launchers, icons, cursors) each take an
    // image-list entry, but files of one type share one icon object.
    QHash<QString, QIcon> iconOfType;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i % kResponsiveEvery == 0)
            if (auto end = lettingEventsThrough())
                return *end;
        ListItem& item = staged[order[i]];
        if (item.hidden)
            item.toolTip = browse::hidden_item_tooltip(item.key);
        if (libraries) {
            item.hasColor = true;
            const browse::ItemLook look = browse::item_look(ctx.prefs, item.hidden);
            item.color = look.color;
            item.bold = look.bold;
        }
        if (item.isFolder) {
            item.iconKey = browse::images::folder;
        } else {
            // A hidden file is typed by its readable name; nothing on disk is touched.
            const platform::FileType& type = platform::fileTypeForName(item.text);
            item.type = type.typeName.isEmpty() ? kUnknownFile : type.typeName;
            item.iconKey = type.ownIcon ? item.key : item.type;
            if (!pane.listIcons.contains(item.iconKey)) {
                auto known = iconOfType.constFind(type.mimeName);
                if (known == iconOfType.constEnd())
                    known = iconOfType.insert(type.mimeName, platform::fileTypeIcon(type));
                pane.listIcons.add(item.iconKey, *known);
            }
        }
    }
    // Put the items in their shown order in place: a second vector of records
    // would cost another few hundred bytes per entry at the peak.
    std::vector<bool> placed(order.size(), false);
    for (size_t start = 0; start < order.size(); ++start) {
        if (placed[start])
            continue;
        ListItem held = std::move(staged[start]);
        size_t at = start;
        while (order[at] != start) {
            staged[at] = std::move(staged[order[at]]);
            placed[at] = true;
            at = order[at];
        }
        staged[at] = std::move(held);
        placed[at] = true;
    }

    list.setItems(std::move(staged));
    if (!reselect.isEmpty())
        list.selectKeys(reselect);
    wait.restore();
    if (!list.tag().isEmpty())
        status(foundText(static_cast<size_t>(list.count())));
    return ListingResult::Listed;
}

} // namespace mFileInfo
