#pragma once

#include <QString>

#include <functional>

// One step of a search through the names a pane's list shows: from the
// selected item up or down to the next item whose name holds the search
// text. It never wraps round: each end of the list ends the search.
namespace mainwindow {

struct FindIndex
{
    int index = 0;
    bool inRange = false;
};

// Moves a 1-based item index one step (down: +1, up: -1); in range when it
// lies between 1 and count.
FindIndex step_find_index(int index, int count, bool down);

// The search text as it is kept: lower-cased unless the case must match.
QString search_text(const QString& typed, bool matchCase);

// Whether the shown name holds the kept search text.
bool name_matches(const QString& name, const QString& strA, bool matchCase);

enum class FindOutcome {
    NoSearch,       // no search text: nothing happens
    Found,          // row is the next match
    SearchComplete, // the end was reached after one or more matches
    NothingFound,   // the end was reached and nothing ever matched
};

struct FindResult
{
    FindOutcome outcome = FindOutcome::NoSearch;
    int row = -1; // 0-based row of the match
};

struct FindQuery
{
    const QString& strA;
    bool direction; // true: down
    bool matchCase;
};

// One step over count names (nameAt gives the shown name of a 0-based row)
// from the 0-based row current; -1 when nothing is selected, and the search
// then starts at the first item (down) or the last (up). A match adds one to
// nFound (which stops at its largest value).
FindResult find_step(const FindQuery& query, int count, int current,
                     const std::function<QString(int)>& nameAt, qint16& nFound);

// The report at the end of the list.
QString find_end_message(FindOutcome outcome);

} // namespace mainwindow
