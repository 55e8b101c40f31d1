#pragma once

// Services for benchmarks that open the real main window: nothing is ever
// opened or started.
#include "engine/AppLauncher.h"
#include "mainwindow/DocumentOpener.h"
#include "mainwindow/fMain.h"
#include "settings/mRegistry.h"

#include <QApplication>
#include <QWidget>

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

// One Library, "Lib", at lib, listed in the Libraries window at the start;
// no Explorer window and no question on leaving.
inline void saveOneLibrary(const settings::SettingsStore& store, const QString& lib)
{
    for (auto [section, name, value] :
         {std::tuple{"Behavior", "load_explorer", QStringLiteral("0")},
          {"Behavior", "load_libraries", QStringLiteral("1")},
          {"Behavior", "warn_on_exit", QStringLiteral("0")},
          {"Behavior", "last_path", lib},
          {"Libraries", "Count", QStringLiteral("1")},
          {"Libraries", "name_1", QStringLiteral("Lib")},
          {"Libraries", "path_1", lib}})
        store.save_setting(QLatin1String(section), QLatin1String(name), value);
}

// A loaded main window over the given data, with the splash closed, as a
// login leaves it.
struct BenchMain
{
    BenchMain(const platform::DataFolders& folders, const settings::SettingsStore& store,
              platform::PromptService& prompt)
        : main(mainwindow::Services{.folders = folders,
                                    .store = store,
                                    .prompt = prompt,
                                    .opener = opener,
                                    .launcher = launcher,
                                    .end_process = [](int) {}})
    {
        main.MDIForm_Load();
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("fAbout"))
                top->close();
    }
    NoOpener opener;
    NoLauncher launcher;
    fMain main;
};

} // namespace bench
