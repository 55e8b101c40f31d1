// GIO before Qt: its headers use names that Qt's macros would otherwise take.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "engine/AppLauncher.h"

#include <QCollator>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <memory>

namespace mOpenFiles {

namespace {

struct GFreeDeleter
{
    void operator()(void* p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;

struct GObjectDeleter
{
    void operator()(void* p) const { g_object_unref(p); }
};
using GAppInfoPtr = std::unique_ptr<GAppInfo, GObjectDeleter>;

// Splits like a POSIX shell (quotes and backslashes), which is also how a
// desktop file's Exec line quotes its words. Nothing is expanded or run.
QStringList splitWords(const QString& commandLine)
{
    gchar** words = nullptr;
    if (!g_shell_parse_argv(commandLine.toUtf8().constData(), nullptr, &words, nullptr))
        return {};
    QStringList out;
    for (gchar** w = words; *w; ++w)
        out << QString::fromUtf8(*w);
    g_strfreev(words);
    return out;
}

QString resolvedExecutable(const char* executable)
{
    if (!executable || !*executable)
        return QString();
    const QString exe = QFile::decodeName(executable);
    if (exe.contains(QLatin1Char('/')))
        return exe;
    const QString found = QStandardPaths::findExecutable(exe);
    return found.isEmpty() ? exe : found;
}

QString iconNameOf(GAppInfo* info)
{
    GIcon* icon = g_app_info_get_icon(info);
    if (!icon)
        return QString();
    if (G_IS_THEMED_ICON(icon)) {
        const gchar* const* names = g_themed_icon_get_names(G_THEMED_ICON(icon));
        return names && names[0] ? QString::fromUtf8(names[0]) : QString();
    }
    if (G_IS_FILE_ICON(icon)) {
        GCharPtr path(g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon))));
        return path ? QFile::decodeName(path.get()) : QString();
    }
    return QString();
}

AppInfo toAppInfo(GAppInfo* info)
{
    AppInfo a;
    a.id = QString::fromUtf8(g_app_info_get_id(info));
    a.name = QString::fromUtf8(g_app_info_get_name(info));
    a.executable = resolvedExecutable(g_app_info_get_executable(info));
    a.commandLine = QString::fromUtf8(g_app_info_get_commandline(info));
    a.iconName = iconNameOf(info);
    return a;
}

// Takes ownership of the list and the objects in it.
QList<AppInfo> takeAppList(GList* list, bool shownOnly)
{
    QList<AppInfo> out;
    for (GList* l = list; l; l = l->next) {
        GAppInfo* info = G_APP_INFO(l->data);
        if (!shownOnly || g_app_info_should_show(info))
            out << toAppInfo(info);
    }
    g_list_free_full(list, g_object_unref);
    return out;
}

} // namespace

QString mimeTypeForName(const QString& fileName)
{
    // The bare name only: MatchExtension never opens the file, and the name
    // of a hidden file's readable form does not exist on disk.
    const QString name = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    return QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension).name();
}

QStringList appArguments(const AppInfo& app, const QString& argument)
{
    const QStringList words = splitWords(app.commandLine);
    if (words.isEmpty())
        return {};
    QStringList argv;
    bool tookFile = false;
    for (const QString& word : words) {
        if (word == QLatin1String("%i")) {
            if (!app.iconName.isEmpty())
                argv << QStringLiteral("--icon") << app.iconName;
            continue;
        }
        QString out;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word[i] != QLatin1Char('%') || i + 1 == word.size()) {
                out += word[i];
                continue;
            }
            switch (word[++i].unicode()) {
            case 'f':
            case 'F':
            case 'u':
            case 'U':
                out += argument;
                tookFile = true;
                break;
            case 'c':
                out += app.name;
                break;
            case '%':
                out += QLatin1Char('%');
                break;
            default: // %k, %i inside a word and the deprecated codes carry nothing here
                break;
            }
        }
        // A word made only of codes that carry nothing is left out, not passed as "".
        if (!out.isEmpty() || word.isEmpty())
            argv << out;
    }
    if (argv.isEmpty())
        return {};
    if (!tookFile)
        argv << argument;
    return argv;
}

QStringList commandArguments(const QString& commandLine, const QString& file)
{
    QStringList argv = splitWords(commandLine);
    if (!argv.isEmpty())
        argv << file;
    return argv;
}

bool AppLauncher::startApp(const AppInfo& app, const QString& argument)
{
    const QStringList argv = appArguments(app, argument);
    return !argv.isEmpty() && spawn(argv);
}

bool AppLauncher::startCommand(const QString& commandLine, const QString& file)
{
    const QStringList argv = commandArguments(commandLine, file);
    return !argv.isEmpty() && spawn(argv);
}

std::optional<AppInfo> GioAppLauncher::defaultAppFor(const QString& fileName)
{
    const QByteArray type = mimeTypeForName(fileName).toUtf8();
    GAppInfoPtr info(g_app_info_get_default_for_type(type.constData(), FALSE));
    if (!info)
        return std::nullopt;
    return toAppInfo(info.get());
}

QList<AppInfo> GioAppLauncher::appsFor(const QString& fileName)
{
    const QByteArray type = mimeTypeForName(fileName).toUtf8();
    return takeAppList(g_app_info_get_all_for_type(type.constData()), false);
}

QList<AppInfo> GioAppLauncher::allApps()
{
    QList<AppInfo> apps = takeAppList(g_app_info_get_all(), true);
    QCollator byName;
    byName.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(apps.begin(), apps.end(), [&](const AppInfo& a, const AppInfo& b) {
        return byName.compare(a.name, b.name) < 0;
    });
    return apps;
}

bool GioAppLauncher::startApp(const AppInfo& app, const QString& argument)
{
    if (app.id.isEmpty())
        return AppLauncher::startApp(app, argument);
    GAppInfoPtr info(G_APP_INFO(g_desktop_app_info_new(app.id.toUtf8().constData())));
    if (!info)
        return false;
    GFile* file = argument.contains(QStringLiteral("://"))
                      ? g_file_new_for_uri(argument.toUtf8().constData())
                      : g_file_new_for_path(QFile::encodeName(argument).constData());
    GList* files = g_list_append(nullptr, file);
    GError* error = nullptr;
    const bool ok = g_app_info_launch(info.get(), files, nullptr, &error) != FALSE;
    if (error)
        g_error_free(error);
    g_list_free_full(files, g_object_unref);
    return ok;
}

bool GioAppLauncher::spawn(const QStringList& argv)
{
    if (argv.isEmpty())
        return false;
    QString program = argv.front();
    if (!program.contains(QLatin1Char('/')))
        program = QStandardPaths::findExecutable(program);
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, argv.mid(1));
}

} // namespace mOpenFiles
