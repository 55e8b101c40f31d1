#pragma once

#include <QString>
#include <QStringList>

// The command-line options a desktop program answers before it opens a window:
// --help and --version. Cloakwell takes nothing else; anything else is an
// error, reported the way command-line tools report it.
namespace mainwindow {

struct CommandLine
{
    enum class Action { Run, PrintAndExit, Fail };
    Action action = Action::Run;
    QString output; // what to print (standard output for PrintAndExit, standard error for Fail)
};

// arguments: the program's arguments without the program name.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace mainwindow
