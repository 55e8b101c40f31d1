#include "engine/mRenameSelection.h"

#include "engine/mEncryptRecords.h"

#include "browse/HiddenLook.h"
#include "browse/mGetFolders.h"
#include "browse/mMisc.h"
#include "engine/mEncrypt.h"
#include "engine/mRename.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace mRenameSelection {

QChar separator_of(int index)
{
    static const char kSeparators[] = {' ', '-', '_', '~'};
    return QLatin1Char(index >= 0 && index < 4 ? kSeparators[index] : ' ');
}

QString padded_number(int k, int count)
{
    const qsizetype width = QString::number(qMax(count, 0)).size();
    return QString::number(k).rightJustified(width, QLatin1Char('0'));
}

QString preview_name(const QString& series, QChar separator, int i)
{
    const QString shown =
        series.size() >= 17 ? series.left(7) + QStringLiteral("...") + series.right(7) : series;
    return shown + separator + QStringLiteral("00") + QString::number(i) + QStringLiteral(".jpg");
}

namespace {

// The extension of a readable name, its dot included; "" without a dot.
QString extensionWithDot(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

} // namespace

Result rename_selection(const browse::BrowseContext& ctx, browse::BrowsePane& pane,
                        const Options& options, int count, engine::OperationProgress* progress)
{
    Result result;
    if (!mMisc::is_valid_name(options.series)) {
        ctx.prompt.message(QStringLiteral("Invalid Series Name"));
        result.invalidName = true;
        return result;
    }
    mEncrypt::recover_before_renaming(ctx.folders, ctx.prompt);
    browse::FolderListModel& list = pane.list;
    const QString folder = list.tag();
    // The keys first: the items are changed in place as they are renamed.
    const QStringList keys = list.selectedKeys();

    engine::LongOperation op(ctx.prompt, progress, QStringLiteral("Renaming files..."),
                             QStringLiteral("renamed"));
    int k = 0;
    for (const QString& key : keys) {
        if (op.stopped())
            break;
        const int row = list.rowOfKey(key);
        if (row < 0)
            continue;
        browse::ListItem item = list.item(row);
        if ((options.skipFolders && item.isFolder) || (options.skipHidden && item.hidden)) {
            op.skipped(item.text);
            continue;
        }
        op.working(item.text);
        const short level = item.hidden ? mEncrypt::hidden_level(item.key) : 0;
        const QString ext = extensionWithDot(item.text);
        QString readable;
        QString onDisk;
        // The item's own name counts as taken too, and so does a hidden twin
        // of the readable name at any level: the list would show two items
        // of one name, and unhiding one would meet the other.
        const auto taken = [&folder](const QString& name) {
            for (short l = 0; l <= 3; ++l)
                if (mEncrypt::name_exists(folder, mRename::disk_name(name, l)))
                    return true;
            return false;
        };
        do {
            ++k;
            readable = options.series + options.separator + padded_number(k, count) + ext;
            onDisk = mRename::disk_name(readable, level);
        } while (taken(readable));

        const QString newPath = platform::joinPath(folder, onDisk);
        // Never onto a name taken since the check: that item is refused, and
        // its number stays used.
        if (platform::renameNoReplace(item.key, newPath) != platform::RenameResult::Ok) {
            op.prompt().message(item.key +
                                QStringLiteral(" could not be renamed. This file may be in use."));
            op.refused(item.text);
            continue;
        }
        item.key = newPath;
        item.text = readable;
        if (item.hidden)
            item.toolTip = browse::hidden_item_tooltip(newPath);
        result.folderRenamed = result.folderRenamed || item.isFolder;
        list.setItem(row, std::move(item));
        ++result.renamed;
        op.changed(readable);
    }
    result.cancelled = op.report().cancelled;
    op.finish();

    ctx.prompt.message(QString::number(result.renamed) + QStringLiteral(" names were changed."));
    if (result.folderRenamed) {
        if (browse::TreeNode* node = pane.tree.selectedNode())
            mGetFolders::refresh_folder_node(ctx, pane.tree, node, 32000);
    }
    return result;
}

} // namespace mRenameSelection
