#pragma once

#include <QString>

#include <vector>

// What a long operation did, item by item: the counts, and the items it could
// not handle with the reason for each. Refusals the user has already been told
// about one by one (a name clash, a file in use) are only counted; failures
// collected here (no space left, permission denied, ...) are told once, in a
// summary at the end, so that a full disk does not bring hundreds of boxes.
namespace engine {

struct ItemFailure
{
    QString path;
    QString reason; // the system's reason, as the user reads it
};

struct OperationReport
{
    int changed = 0; // done as asked
    int skipped = 0; // nothing to do (already as asked, or protected)
    int refused = 0; // left as it was: told item by item, or listed in failures
    bool cancelled = false;
    std::vector<ItemFailure> failures;

    qint64 done() const { return qint64(changed) + skipped + refused; }
    void fail(const QString& path, const QString& reason)
    {
        failures.push_back(ItemFailure{path, reason});
    }
};

// The summary of the failures: a headline such as "12 items could not be
// hidden:" followed by the first few items with their reasons, and every item
// in details. Empty text when there is nothing to tell.
struct FailureSummary
{
    QString text;
    QString details;
};
FailureSummary summarizeFailures(const std::vector<ItemFailure>& failures, const QString& verb,
                                 int shown = 5);

} // namespace engine
