#pragma once

#include <QString>
#include <QStringList>

// The command-line options a desktop program answers before it opens a window
// (--help and --version), and the pictures the desktop's "Open With" hands
// over: they open in viewers once the password is given. An unknown option is
// an error, reported the way command-line tools report it.
namespace mainwindow {

struct CommandLine
{
    enum class Action { Run, PrintAndExit, Fail };
    Action action = Action::Run;
    QString output; // what to print (standard output for PrintAndExit, standard error for Fail)
    QStringList files; // for Run: the files to show, as given
};

// arguments: the program's arguments without the program name.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace mainwindow
