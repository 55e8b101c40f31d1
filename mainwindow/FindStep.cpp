#include "mainwindow/FindStep.h"

#include <limits>

namespace mainwindow {

FindIndex step_find_index(int index, int count, bool down)
{
    const int next = down ? index + 1 : index - 1;
    return FindIndex{next, next >= 1 && next <= count};
}

QString search_text(const QString& typed, bool matchCase)
{
    return matchCase ? typed : typed.toLower();
}

bool name_matches(const QString& name, const QString& strA, bool matchCase)
{
    return (matchCase ? name : name.toLower()).contains(strA, Qt::CaseSensitive);
}

FindResult find_step(const FindQuery& query, int count, int current,
                     const std::function<QString(int)>& nameAt, qint16& nFound)
{
    if (query.strA.isEmpty())
        return {};
    // Without a selection the first step lands on the first item going down,
    // or on the last going up.
    int index = current >= 0 && current < count ? current + 1 : (query.direction ? 0 : count + 1);
    for (;;) {
        const FindIndex step = step_find_index(index, count, query.direction);
        if (!step.inRange)
            return {nFound > 0 ? FindOutcome::SearchComplete : FindOutcome::NothingFound, -1};
        index = step.index;
        if (name_matches(nameAt(index - 1), query.strA, query.matchCase)) {
            if (nFound < std::numeric_limits<qint16>::max())
                ++nFound;
            return {FindOutcome::Found, index - 1};
        }
    }
}

QString find_end_message(FindOutcome outcome)
{
    switch (outcome) {
    case FindOutcome::SearchComplete:
        return QStringLiteral("Search Complete");
    case FindOutcome::NothingFound:
        return QStringLiteral("No items were found in the active directory");
    default:
        return QString();
    }
}

} // namespace mainwindow
