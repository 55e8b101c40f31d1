#include "browse/mFileInfo.h"

#include "browse/HiddenLook.h"
#include "browse/WaitCursor.h"
#include "browse/mGetFolders.h"
#include "engine/mEncrypt.h"
#include "platform/FileSystem.h"
#include "platform/FileTypes.h"
#include "platform/Paths.h"

#include <QHash>
#include <QLocale>

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

QString columnText(const ListItem& item, int column)
{
    switch (column) {
    case 0:
        return item.text;
    case 1:
        return item.size;
    case 2:
        return item.type;
    case 3:
        return item.modified;
    default: // the sort key: "a folder: " + text or "file: " + text
        return (item.isFolder ? QStringLiteral("a folder: ") : QStringLiteral("file: ")) +
               item.text;
    }
}

// The order of the staging list after the list control's own text sort of
// one column: case-insensitive, the exact text breaking ties.
std::vector<size_t> sortedOrder(const std::vector<ListItem>& items, int column, int sortOrder)
{
    // The sort key's two prefixes differ in their first letter, so it sorts as
    // folders first, then the text; no need to build the key itself.
    const bool byKey = column < 0 || column > 3;
    std::vector<QString> exact(items.size());
    std::vector<QString> folded(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        exact[i] = byKey ? items[i].text : columnText(items[i], column);
        folded[i] = exact[i].toCaseFolded();
    }
    auto less = [&](size_t a, size_t b) {
        if (byKey && items[a].isFolder != items[b].isFolder)
            return items[a].isFolder;
        const int c = folded[a].compare(folded[b]);
        if (c != 0)
            return c < 0;
        return exact[a] < exact[b];
    };
    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t{0});
    if (sortOrder == 0)
        std::stable_sort(order.begin(), order.end(), less);
    else
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return less(b, a); });
    return order;
}

QString foundText(size_t count)
{
    return QString::number(count) + QStringLiteral(" Object(s) found");
}

} // namespace

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
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    if (!::localtime_r(&t, &local))
        return QString();
    char text[64];
    std::snprintf(text, sizeof text, "%d/%d/%lld %d:%02d", local.tm_mday, local.tm_mon + 1,
                  static_cast<long long>(local.tm_year) + 1900, local.tm_hour, local.tm_min);
    return QString::fromLatin1(text);
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

    if (!platform::folderExists(path)) {
        list.clear();
        list.setTag(QString());
        wait.restore();
        ctx.prompt.message(QStringLiteral("That path is inaccessible. Try refreshing the screen."));
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
    platform::FolderListing found = platform::listFolderEntries(path, true);
    if (!found.ok) {
        wait.restore();
        ctx.prompt.message(QStringLiteral("An expected folder (") + shownPath +
                               QStringLiteral(")is missing. Try refreshing the screen."),
                           QStringLiteral("Path Not Found"));
        return ListingResult::EnumerationFailed;
    }

    const bool libraries = pane.isLibraries();
    std::vector<ListItem> staged;
    staged.reserve(found.entries.size());
    for (platform::DirEntry& e : found.entries) {
        if (staged.size() % kResponsiveEvery == 0) {
            status(foundText(staged.size()));
            if (auto end = lettingEventsThrough())
                return *end;
        }
        ListItem item;
        item.key = platform::joinPath(path, e.name);
        item.hidden = libraries && mEncrypt::is_hidden_name(e.name);
        item.text = item.hidden ? mEncrypt::plain_name(e.name) : std::move(e.name);
        item.isFolder = e.isFolder;
        if (e.isFolder)
            item.type = kFileFolder;
        else
            item.size = format_list_size(static_cast<quint64>(std::max<qint64>(e.size, 0)));
        if (e.hasStat)
            item.modified = format_file_time(e.mtimeSecs);
        staged.push_back(std::move(item));
        e = platform::DirEntry(); // all it held is copied; keep the peak down
    }
    found = {};
    status(foundText(staged.size()));

    status(QStringLiteral("Extracting icons..."));
    const std::vector<size_t> order =
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
