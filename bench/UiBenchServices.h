#pragma once

// Services for benchmarks that open the real main window: nothing is ever
// opened or started.
#include "engine/AppLauncher.h"
#include "mainwindow/DocumentOpener.h"

namespace bench {

class NoOpener : public mainwindow::DocumentOpener
{
public:
    bool openDocument(const QString&) override { return false; }
};

class NoLauncher : public mOpenFiles::AppLauncher
{
public:
    std::optional<mOpenFiles::AppInfo> defaultAppFor(const QString&) override { return {}; }
    QList<mOpenFiles::AppInfo> appsFor(const QString&) override { return {}; }
    QList<mOpenFiles::AppInfo> allApps() override { return {}; }
    bool spawn(const QStringList&) override { return false; }
};

} // namespace bench
