#pragma once

#include "engine/AppLauncher.h"

#include <QHash>
#include <QList>
#include <QStringList>

// The launcher for tests: associations come from a table keyed by MIME type,
// and nothing is started; every argument vector that would have been started
// is recorded instead.
class RecordingLauncher : public mOpenFiles::AppLauncher
{
public:
    // Makes the application the default (and a registered one) for the type.
    void associate(const QString& mimeType, const mOpenFiles::AppInfo& app)
    {
        defaults.insert(mimeType, app);
        registered[mimeType].prepend(app);
    }

    std::optional<mOpenFiles::AppInfo> defaultAppFor(const QString& fileName) override
    {
        lookedUp << fileName;
        const auto it = defaults.constFind(mOpenFiles::mimeTypeForName(fileName));
        if (it == defaults.constEnd())
            return std::nullopt;
        return *it;
    }
    QList<mOpenFiles::AppInfo> appsFor(const QString& fileName) override
    {
        return registered.value(mOpenFiles::mimeTypeForName(fileName));
    }
    QList<mOpenFiles::AppInfo> allApps() override { return everyApp; }

    bool spawn(const QStringList& argv) override
    {
        started << argv;
        return spawnSucceeds;
    }

    static mOpenFiles::AppInfo app(const QString& executable,
                                   const QString& commandLine = QString())
    {
        mOpenFiles::AppInfo a;
        a.id = executable.section(QLatin1Char('/'), -1) + QStringLiteral(".desktop");
        a.name = executable.section(QLatin1Char('/'), -1);
        a.executable = executable;
        a.commandLine = commandLine.isEmpty() ? executable + QStringLiteral(" %f") : commandLine;
        return a;
    }

    QHash<QString, mOpenFiles::AppInfo> defaults;
    QHash<QString, QList<mOpenFiles::AppInfo>> registered;
    QList<mOpenFiles::AppInfo> everyApp;
    QStringList lookedUp;       // the names associations were looked up under
    QList<QStringList> started; // argv of every start
    bool spawnSucceeds = true;
};
