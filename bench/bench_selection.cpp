// Select All on a listing of 20,000 files, a re-listing of the same folder
// (which keeps the selection of the items still there), then the queries the
// commands make of that selection: the selected items in list order (Hide,
// Open), the selected rows as Qt gives them (views, context menus), and the
// count with the hidden and plain flags (the toolbar rules). Target: each
// query under 50 ms. For contrast, the same query on a selection kept one
// range per row, as re-listing made it before, on a quarter of the items.
#include "bench/BenchSupport.h"
#include "bench/ListingSetup.h"
#include "panes/SelectionTotals.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

using bench::median;
using bench::now;

QItemSelection everything(const browse::FolderListModel& list)
{
    return QItemSelection(list.index(0, 0),
                          list.index(list.count() - 1, browse::FolderListModel::ColumnCount - 1));
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const int files = 20000, runs = 5;
    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/cloakwell-bench-XXXXXX"));
    if (!tmp.isValid())
        return 1;
    const QString dir = tmp.filePath(QStringLiteral("folder"));
    QDir().mkpath(dir);
    bench::makeMixedFolder(dir, files);

    bench::ListingSetup s(tmp.path(), true);
    s.show(dir);
    browse::FolderListModel& list = s.pane.list;
    std::vector<double> relist, keys, rows, flags;
    bool ok = true;
    for (int run = 0; run <= runs; ++run) {
        if (s.list() != mFileInfo::ListingResult::Listed || list.count() != files)
            return 1;
        list.selectionModel()->select(everything(list), QItemSelectionModel::ClearAndSelect);
        double t = now();
        const auto result = s.list(); // Refresh: the selection is kept
        relist.push_back(now() - t);
        t = now();
        const QStringList selected = list.selectedKeys();
        keys.push_back(now() - t);
        t = now();
        const int qtRows = int(list.selectionModel()->selectedRows().size());
        rows.push_back(now() - t);
        t = now();
        int counted = 0, hidden = 0;
        panes::for_each_selected_row(list, [&](int row) {
            ++counted;
            hidden += list.item(row).hidden ? 1 : 0;
        });
        flags.push_back(now() - t);
        ok = ok && result == mFileInfo::ListingResult::Listed && selected.size() == files &&
             qtRows == files && counted == files && hidden == files / 4 &&
             list.selectionModel()->selection().size() == 1;
    }
    const double worst = std::max({median(keys), median(rows), median(flags)});
    std::printf("Select All on %d files, re-listed, %d runs after one warm-up, medians:\n", files,
                runs);
    std::printf("  re-listing with the selection kept: %.1f ms\n", median(relist) * 1000);
    std::printf("  selected items in list order (Hide, Open): %.2f ms\n", median(keys) * 1000);
    std::printf("  selected rows from the selection model: %.2f ms\n", median(rows) * 1000);
    std::printf("  selected count, hidden and plain (toolbar rules): %.2f ms\n",
                median(flags) * 1000);
    std::printf("  slowest query %.2f ms (target < 50 ms) %s; selection kept as %d range(s)\n",
                worst * 1000, worst < 0.050 ? "ok" : "MISSED",
                int(list.selectionModel()->selection().size()));

    // The selection as it used to be kept after a re-listing: one range a row.
    const int few = files / 4;
    QItemSelection perRow;
    for (int row = 0; row < few; ++row)
        perRow.append(QItemSelectionRange(list.index(row, 0), list.index(row, 3)));
    list.selectionModel()->select(perRow, QItemSelectionModel::ClearAndSelect);
    double t = now();
    const int oldRows = int(list.selectionModel()->selectedRows().size());
    std::printf("  for contrast, one range per row on %d items: selected rows %.1f ms\n", few,
                (now() - t) * 1000);
    ok = ok && oldRows == few && s.prompt.count == 0;
    if (!ok)
        std::printf("  results did not check out\n");
    return ok && worst < 0.050 ? 0 : 1;
}
