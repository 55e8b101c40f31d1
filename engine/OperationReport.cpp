#include "engine/OperationReport.h"

#include <QStringList>

namespace engine {

FailureSummary summarizeFailures(const std::vector<ItemFailure>& failures, const QString& verb,
                                 int shown)
{
    FailureSummary s;
    if (failures.empty())
        return s;
    const qsizetype n = qsizetype(failures.size());
    if (n == 1)
        s.text = QStringLiteral("1 item could not be %1:").arg(verb);
    else
        s.text = QStringLiteral("%1 items could not be %2:").arg(n).arg(verb);
    QStringList all;
    for (const ItemFailure& f : failures)
        all.append(f.path + QStringLiteral(": ") + f.reason);
    for (qsizetype i = 0; i < n && i < shown; ++i)
        s.text += QLatin1Char('\n') + all[i];
    if (n > shown)
        s.text += QStringLiteral("\n... and %1 more (see the details).").arg(n - shown);
    s.details = all.join(QLatin1Char('\n'));
    return s;
}

} // namespace engine
