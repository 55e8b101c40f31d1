#include "mainwindow/AppState.h"
#include "mainwindow/CommandLine.h"
#include "mainwindow/UiAppSetup.h"
#include "mainwindow/fMain.h"
#include "platform/DataFolders.h"
#include "platform/UiMessageBoxPrompt.h"
#include "settings/fLogin.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <memory>
#include <string_view>

int main(int argc, char* argv[])
{
    // The self-check needs no screen.
    const bool checkOnly = argc > 1 && std::string_view(argv[1]) == "--check-resources";
    if (checkOnly && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // --help and --version answer before any window system is needed.
    QStringList pictures;
    if (!checkOnly) {
        QStringList arguments;
        for (int i = 1; i < argc; ++i)
            arguments << QFile::decodeName(argv[i]);
        const mainwindow::CommandLine command = mainwindow::parseCommandLine(arguments);
        if (command.action != mainwindow::CommandLine::Action::Run) {
            const bool failed = command.action == mainwindow::CommandLine::Action::Fail;
            std::fputs(command.output.toLocal8Bit().constData(), failed ? stderr : stdout);
            return failed ? 2 : 0;
        }
        pictures = command.files;
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(true);
    mainwindow::setUpApplication();
    // The build's own check that the program carries its pictures.
    if (checkOnly)
        return mainwindow::checkResources();

    platform::UiMessageBoxPrompt prompt;
    mainwindow::GioDocumentOpener opener;
    mOpenFiles::GioAppLauncher launcher;
    const platform::DataFolders folders =
        platform::decideDataFolders(QCoreApplication::applicationDirPath());
    const mainwindow::Services services{
        .folders = folders,
        .store = settings::SettingsStore(folders.settingsFile),
        .prompt = prompt,
        .opener = opener,
        .launcher = launcher,
        .end_process = [](int code) { QCoreApplication::exit(code); },
    };

    std::unique_ptr<fMain> mainWindow;
    const auto showMain = [&] {
        mainWindow = std::make_unique<fMain>(services);
        prompt.setParent(mainWindow.get());
        mainWindow->MDIForm_Load();
        // Pictures the desktop handed over open once the password is given.
        mainWindow->open_pictures(pictures);
    };

    fLogin login(services.store, prompt, showMain);
    login.Form_Load();
    return app.exec();
}
