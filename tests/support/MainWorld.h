#pragma once

// A private world for the window tests: settings file, program folder, bin and
// temporary folder all inside one TestWorld, a scripted prompt, a document
// opener that only records, and an exit that only counts.

#include "mainwindow/AppState.h"
#include "mainwindow/UiAppSetup.h"
#include "mainwindow/fMain.h"
#include "platform/TempFolder.h"
#include "support/RecordingLauncher.h"
#include "support/ScriptedPrompt.h"
#include "support/TestWorld.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class RecordingOpener : public mainwindow::DocumentOpener
{
public:
    bool openDocument(const QString& pathOrAddress) override
    {
        opened << pathOrAddress;
        return browserSetUp;
    }
    QStringList opened;
    bool browserSetUp = true; // false: as on a computer without a web browser
};

// Points TMPDIR at a private folder for the whole test program, so that "KZ
// Temp" and every TestWorld live there and the real temporary folder is never
// touched.
class PrivateTempDir
{
public:
    PrivateTempDir() : m_dir(QDir::tempPath() + u"/cloakwell-tmp-XXXXXX"_s)
    {
        qputenv("TMPDIR", m_dir.path().toLocal8Bit());
        mainwindow::setUpApplication();
    }
    bool isValid() const { return m_dir.isValid() && QDir::tempPath() == m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// QTEST_MAIN with a PrivateTempDir for the whole run.
#define WINDOW_TEST_MAIN(TestObject)                                                               \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        PrivateTempDir tmp;                                                                        \
        if (!tmp.isValid())                                                                        \
            qFatal("no private temporary folder");                                                 \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

inline QAction* findAction(QObject& main, const char* name)
{
    auto* a = main.findChild<QAction*>(QLatin1String(name));
    if (!a)
        qWarning("no action %s", name);
    return a;
}

inline void type(QWidget* window, const char* box, const QString& text)
{
    auto* edit = window->findChild<QLineEdit*>(QLatin1String(box));
    QVERIFY(edit);
    edit->clear();
    QTest::keyClicks(edit, text);
}

inline void click(QWidget* window, const char* button)
{
    auto* b = window->findChild<QAbstractButton*>(QLatin1String(button));
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint at,
                      Qt::MouseButton button = Qt::NoButton, Qt::MouseButtons held = Qt::NoButton)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

class MainWorld
{
public:
    MainWorld()
    {
        folders.programFolder = world.folder(u"program"_s);
        folders.dataFolder = folders.programFolder;
        folders.settingsFile = world.settingsFile();
        folders.binFolder = world.path(u"program/KZ Bin"_s);
        // Quiet unless asked: no exit warning, one Library (no first-run question).
        set("Behavior", "warn_on_exit", "0");
        set("Libraries", "Count", u"1"_s);
        set("Libraries", "name_1", u"Pictures"_s);
        set("Libraries", "path_1", world.folder(u"Pictures"_s));
        // "My Computer" shows the world's own folders, never the real ones.
        desktop = world.folder(u"Desktop"_s);
        documents = world.folder(u"Documents"_s);
        const QString disk = world.folder(u"disk"_s);
        drives = {platform::Drive{disk + QLatin1Char('/'), disk, u"Data"_s,
                                  platform::DriveType::Fixed, true, 0}};
    }

    settings::SettingsStore store() const { return settings::SettingsStore(world.settingsFile()); }
    void set(const char* section, const char* name, const QString& value) const
    {
        QVERIFY(store().save_setting(QLatin1String(section), QLatin1String(name), value));
    }
    QString get(const char* section, const char* name) const
    {
        return store().get_setting(QLatin1String(section), QLatin1String(name));
    }

    mainwindow::Services services()
    {
        return mainwindow::Services{
            .folders = folders,
            .store = store(),
            .prompt = prompt,
            .opener = opener,
            .launcher = launcher,
            .end_process = [this](int code) { exits << code; },
            .drives = [this] { return drives; },
            .special_folder =
                [this](int csidl) {
                    return csidl == 0 ? desktop : csidl == 5 ? documents : QString();
                },
        };
    }

    // A loaded main window, as a login would leave it.
    std::unique_ptr<fMain> loadMain()
    {
        auto main = std::make_unique<fMain>(services());
        main->MDIForm_Load();
        return main;
    }

    QString tempFolder() const { return platform::tempFolderPath(); }
    // A plain copy in "KZ Temp", as opening a hidden file leaves one.
    void tempCopy(const QString& relative) const
    {
        const QString path = tempFolder() + QLatin1Char('/') + relative;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("plain copy");
    }

    TestWorld world;
    platform::DataFolders folders;
    ScriptedPrompt prompt;
    RecordingOpener opener;
    RecordingLauncher launcher;
    QList<int> exits;
    QString desktop;
    QString documents;
    std::vector<platform::Drive> drives;
};
