// How the program starts before any window: its command-line options, and
// where an installed or a portable copy keeps its data.
#include "mainwindow/CommandLine.h"
#include "platform/DataFolders.h"

#include "support/TestWorld.h"

#include <QStandardPaths>
#include <QtTest>

using mainwindow::CommandLine;
using mainwindow::parseCommandLine;

class tst_StartupOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void commandLine_data();
    void commandLine();
    void dataFolders();
};

void tst_StartupOptions::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("contains");
    QTest::addColumn<QStringList>("files");
    const int run = int(CommandLine::Action::Run), print = int(CommandLine::Action::PrintAndExit),
              fail = int(CommandLine::Action::Fail);
    const QStringList none;
    QTest::newRow("none") << QStringList{} << run << "" << none;
    QTest::newRow("--version") << QStringList{"--version"} << print << "Cloakwell 2.2.0\n" << none;
    QTest::newRow("-v") << QStringList{"-v"} << print << "Cloakwell " << none;
    QTest::newRow("--help") << QStringList{"--help"} << print << "--version" << none;
    QTest::newRow("help wins over what follows")
        << QStringList{"-h", "junk"} << print << "Usage" << none;
    // Qt's own options and their values are left for the application object.
    QTest::newRow("qt options") << QStringList{"-platform", "offscreen", "-reverse"} << run << ""
                                << none;
    QTest::newRow("qt option value is not a file")
        << QStringList{"-style", "--help"} << run << "" << none;
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << fail
                                    << "unknown option '--frobnicate'" << none;
    // Pictures handed over by the desktop; "--" ends the options.
    QTest::newRow("pictures") << QStringList{"/tmp/x.jpg", "-reverse", "y.gif"} << run << ""
                              << QStringList{"/tmp/x.jpg", "y.gif"};
    QTest::newRow("after --") << QStringList{"--", "--help", "-v.jpg"} << run << ""
                              << QStringList{"--help", "-v.jpg"};
}

void tst_StartupOptions::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, action);
    QFETCH(QString, contains);
    QFETCH(QStringList, files);
    const CommandLine c = parseCommandLine(args);
    QCOMPARE(c.files, files);
    QCOMPARE(int(c.action), action);
    QVERIFY2(c.output.contains(contains), qPrintable(c.output));
    if (c.action == CommandLine::Action::Run)
        QVERIFY(c.output.isEmpty());
}

void tst_StartupOptions::dataFolders()
{
    TestWorld world;
    QStandardPaths::setTestModeEnabled(true);
    // A build folder: writable, no desktop data beside it: portable.
    const QString build = world.folder(QStringLiteral("build"));
    const auto portable = platform::decideDataFolders(build);
    QCOMPARE(portable.settingsFile, build + "/Cloakwell.ini");
    QCOMPARE(portable.binFolder, build + "/KZ Bin");
    // An installed layout, even where the bin folder is writable (root).
    world.file(QStringLiteral("usr/share/metainfo/org.cloakwell.Cloakwell.metainfo.xml"), "<x/>");
    const QString bin = world.folder(QStringLiteral("usr/bin"));
    QVERIFY(platform::isInstalledCopy(bin));
    const auto installed = platform::decideDataFolders(bin);
    QVERIFY(!installed.settingsFile.startsWith(world.root()));
    QVERIFY(installed.settingsFile.endsWith("/Cloakwell/Cloakwell.ini"));
    QVERIFY(installed.binFolder.endsWith("/Cloakwell/KZ Bin"));
}

QTEST_GUILESS_MAIN(tst_StartupOptions)
#include "tst_startup_options.moc"
