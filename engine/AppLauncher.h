#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Finding and starting the desktop's applications for files. Injected, so that
// tests see what would have been started without anything being started.
//
// No shell ever runs: a program is started from an argument vector, and a file
// name only ever fills one element of it, so no name is parsed as a command.
namespace mOpenFiles {

// One installed application, as the desktop describes it.
struct AppInfo
{
    QString id;          // desktop file id, "eog.desktop"; "" for none
    QString name;        // shown to the user
    QString executable;  // absolute when it was found on the PATH
    QString commandLine; // the Exec line, field codes (%f, %u, ...) included
    QString iconName;    // theme icon name or an absolute icon file; may be ""
};

// The MIME type of a file, from its name alone (no content is read, the file
// need not exist). A hidden file is looked up under its readable name.
QString mimeTypeForName(const QString& fileName);

// The argument vector that starts the application on one argument: the Exec
// line split into words, its field codes replaced (%f %F %u %U by the
// argument, %c by the name, %i by "--icon" and the icon, %% by "%"; the rest
// dropped). When the line takes no file, the argument is appended. Empty when
// the line cannot be split.
QStringList appArguments(const AppInfo& app, const QString& argument);

// A command the user typed, split as a shell would split it but never run by
// one, then the file appended as one argument. Empty when it cannot be split.
QStringList commandArguments(const QString& commandLine, const QString& file);

class AppLauncher
{
public:
    virtual ~AppLauncher() = default;

    // The default application for files of the name's type.
    virtual std::optional<AppInfo> defaultAppFor(const QString& fileName) = 0;
    // The applications registered for the name's type, the default first.
    virtual QList<AppInfo> appsFor(const QString& fileName) = 0;
    // Every application the desktop would show in a menu, by name.
    virtual QList<AppInfo> allApps() = 0;

    // Starts argv[0] (searched on the PATH) with the rest as its arguments,
    // detached from this program. True when the program was started.
    virtual bool spawn(const QStringList& argv) = 0;

    // Starts the application on the file. Here from the argument vector of
    // appArguments(); the desktop's launcher lets the desktop do it.
    virtual bool startApp(const AppInfo& app, const QString& argument);
    // A command typed by the user: always an argument vector.
    bool startCommand(const QString& commandLine, const QString& file);
};

// The desktop's associations through GIO (mimeapps.list and .desktop files).
class GioAppLauncher : public AppLauncher
{
public:
    std::optional<AppInfo> defaultAppFor(const QString& fileName) override;
    QList<AppInfo> appsFor(const QString& fileName) override;
    QList<AppInfo> allApps() override;
    bool spawn(const QStringList& argv) override;
    // Through GIO's own launching (g_app_info_launch): it expands the desktop
    // entry's field codes as the desktop-entry rules say, quoting the file
    // wherever it lands, and starts Terminal=true programs in a terminal.
    bool startApp(const AppInfo& app, const QString& argument) override;
};

} // namespace mOpenFiles
