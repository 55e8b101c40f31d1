#pragma once

#include <QString>

#include <functional>

namespace platform {

// What a walk through a folder tree found.
struct TreeSearch
{
    enum Outcome {
        NotFound,  // every folder of the tree was read, and nothing matched
        Found,     // path names the first item that matched
        Unreadable // no match so far, but path names a folder that could not be read
    };
    Outcome outcome = NotFound;
    QString path;
    int error = 0; // errno, for Unreadable
};

// Looks through every file, link and folder below folder (not folder itself)
// for a name that matches. Symbolic links are tested by their own names and
// never followed, so a link cannot lead the walk out of the tree or round in
// a circle. A folder that cannot be read ends the walk as Unreadable unless a
// match turns up elsewhere: the tree cannot then be said to hold no match.
TreeSearch findNameInTree(const QString& folder, const std::function<bool(const QString&)>& match);

} // namespace platform
