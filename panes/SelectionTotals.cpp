#include "panes/SelectionTotals.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace panes {

namespace {

// The number in a size text such as "1,234 KB": the digits before the unit,
// whatever the locale grouped them with.
qint64 kilobytesOf(const QString& sizeText)
{
    qint64 kb = 0;
    for (const QChar c : QStringView(sizeText).chopped(3))
        if (c.isDigit())
            kb = kb * 10 + c.digitValue();
    return kb;
}

} // namespace

void for_each_selected_row(const browse::FolderListModel& list,
                           const std::function<void(int row)>& visit)
{
    const int rows = list.count();
    std::vector<bool> chosen(static_cast<size_t>(rows), false);
    for (const QItemSelectionRange& range : list.selectionModel()->selection())
        for (int row = std::max(range.top(), 0); row <= range.bottom() && row < rows; ++row)
            chosen[static_cast<size_t>(row)] = true;
    for (int row = 0; row < rows; ++row)
        if (chosen[static_cast<size_t>(row)])
            visit(row);
}

QString selection_totals_text(const browse::FolderListModel& list)
{
    qint64 count = 0;
    qint64 kb = 0;
    for_each_selected_row(list, [&](int row) {
        ++count;
        const QString& size = list.item(row).size;
        if (size.size() > 3)
            kb += kilobytesOf(size);
    });
    QString total;
    if (kb > 1000)
        total = QString::number(static_cast<qint64>(std::nearbyint(kb / 1000.0))) +
                QStringLiteral(" MB");
    else
        total = QString::number(kb) + QStringLiteral(" KB");
    const QString counted = QString::number(count) + QStringLiteral(" Object(s) selected");
    if (total == QLatin1String("0 MB") || total == QLatin1String("0 KB"))
        return counted;
    return counted + QStringLiteral(" totalling ") + total;
}

} // namespace panes
