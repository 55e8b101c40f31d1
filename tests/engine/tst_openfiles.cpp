#include "engine/mEncrypt.h"
#include "engine/mOpenFiles.h"
#include "platform/TempFolder.h"
#include "support/RecordingLauncher.h"
#include "support/ScriptedPrompt.h"
#include "support/TestWorld.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace mOpenFiles;

namespace {

const QString kViewer = QStringLiteral("/usr/bin/test-viewer");
const QString kTooLarge = QStringLiteral(
    "This file is too large to be opened while hidden. In order to view this file you may "
    "first\r\nunhide it, or increase the 'Temporary File Execution' threshold in the Options "
    "window.");

QByteArray hiddenBytes(QByteArray bytes, int level)
{
    const qint64 n = level == 3 ? 262136 : level == 2;
    for (qint64 i = 0; i < n && i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(~static_cast<unsigned char>(bytes[i]));
    return bytes;
}

// A library file as hiding leaves it: the hidden name and the inverted bytes.
QString libraryFile(TestWorld& w, const QString& plainName, int level, const QByteArray& plain)
{
    const QString name = level ? mEncrypt::make_hidden_name(plainName, short(level)) : plainName;
    return w.file(QStringLiteral("lib/") + name, hiddenBytes(plain, level));
}

QStringList tempFolderEntries()
{
    return QDir(platform::tempFolderPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
}

// The desktop the process sees: XDG folders and the system temporary folder
// inside one world, set before GIO or Qt first read them. Only the MIME
// database comes from the system, so no installed application takes part.
void setUpDesktop(TestWorld& world)
{
    const QString bin = world.folder(QStringLiteral("bin"));
    const QString viewer = world.file(
        QStringLiteral("bin/test-viewer"),
        QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1.tmp'\n"
                       "mv '%1.tmp' '%1'\n")
            .arg(world.path(QStringLiteral("viewer-args.txt")))
            .toUtf8());
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto put = [&](const char* relative, const QString& text) {
        world.file(QString::fromLatin1(relative), QString(text).replace("%1", viewer).toUtf8());
    };
    put("data/applications/test-viewer.desktop",
        "[Desktop Entry]\nType=Application\nName=Test Viewer\n"
        "Exec=%1 --view %f\nIcon=image-viewer\nMimeType=image/jpeg;\n");
    put("data/applications/test-hidden-tool.desktop",
        "[Desktop Entry]\nType=Application\nName=Hidden Tool\n"
        "Exec=%1 %f\nNoDisplay=true\nMimeType=image/jpeg;\n");
    // An entry that wraps its program in "sh -c", the file inside the shell text.
    world.file(QStringLiteral("data/applications/test-shell.desktop"),
               QStringLiteral("[Desktop Entry]\nType=Application\nName=Shell Wrapper\n"
                              "Exec=sh -c \"cat %f > '%1'\"\nPath=%2\nMimeType=image/png;\n")
                   .arg(world.path(QStringLiteral("shell-out.txt")), world.root())
                   .toUtf8());
    // What update-desktop-database would write: GIO finds an application's types here.
    put("data/applications/mimeinfo.cache",
        "[MIME Cache]\nimage/jpeg=test-viewer.desktop;test-hidden-tool.desktop;\n");
    for (const char* list : {"config/mimeapps.list", "data/applications/mimeapps.list"})
        put(list, "[Default Applications]\nimage/jpeg=test-viewer.desktop\n");
    QFile::link(QStringLiteral("/usr/share/mime"), world.folder(QStringLiteral("sys")) + "/mime");
    world.folder(QStringLiteral("tmp"));

    const auto set = [&](const char* name, const char* folder) {
        qputenv(name, QFile::encodeName(world.path(QString::fromLatin1(folder))));
    };
    set("XDG_DATA_HOME", "data");
    set("XDG_DATA_DIRS", "sys");
    set("XDG_CONFIG_HOME", "config");
    set("XDG_CONFIG_DIRS", "config");
    set("TMPDIR", "tmp");
    set("XDG_CACHE_HOME", "cache");
    qunsetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_CURRENT_DESKTOP");
    qputenv("PATH", (bin + QStringLiteral(":/usr/bin:/bin")).toUtf8());
}

} // namespace

class TestOpenFiles : public QObject
{
    Q_OBJECT
public:
    explicit TestOpenFiles(TestWorld& desktop) : m_desktop(desktop) {}

private:
    TestWorld& m_desktop;
    settings::Preferences prefs;
    ScriptedPrompt prompt;
    RecordingLauncher launcher;
    QList<QString> chooserAsked; // readable names the Open With dialog was shown for
    std::optional<OpenWithChoice> chooserAnswer;

    Context ctx()
    {
        return Context{prefs, prompt, launcher, [this](const QString&, const QString& name) {
                           chooserAsked << name;
                           return chooserAnswer;
                       }};
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(platform::tempFolderPath().startsWith(m_desktop.root()));
        QVERIFY(platform::removeFolderTree(platform::tempFolderPath()));
        prefs = settings::Preferences{};
        prefs.threshold = 10 * 1048576;
        prompt.clear();
        launcher = RecordingLauncher{};
        launcher.associate(QStringLiteral("image/jpeg"), RecordingLauncher::app(kViewer));
        launcher.associate(QStringLiteral("video/mpeg"), RecordingLauncher::app(kViewer));
        launcher.associate(QStringLiteral("image/png"), RecordingLauncher::app(kViewer));
        chooserAsked.clear();
        chooserAnswer.reset();
    }
    void cleanup()
    {
        QVERIFY2(prompt.unexpected.isEmpty(), qPrintable(prompt.unexpected.join(QLatin1Char('|'))));
        QCOMPARE(prompt.pending(), 0);
    }

    void opening_data();
    void opening();
    void noProgramOffersOpenWith_data();
    void noProgramOffersOpenWith();
    void missingFile();
    void iexploreRule();
    void hostileNameThroughShellEntry();
    void nonRegularFilesAreNeverOpened_data();
    void nonRegularFilesAreNeverOpened();
    void removingCopiesRemovesTheirTraces();
    void unsafeTempFolderIsRefused_data();
    void unsafeTempFolderIsRefused();
    void argumentVectors_data();
    void argumentVectors();
    void desktopAssociations();
    void programReceivesNameAsOneArgument();
};

void TestOpenFiles::opening_data()
{
    QTest::addColumn<QString>("plainName");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("size");
    QTest::addColumn<qint64>("threshold");
    QTest::addColumn<QString>("way"); // "in place", "refused", or what follows a copy's fresh name
    auto row = [](const char* name, const char* plainName, int level, int size, qint64 threshold,
                  const char* way) {
        QTest::newRow(name) << QString(plainName) << level << size << threshold << QString(way);
    };
    const qint64 big = 10 * 1048576;
    row("level 2 picture", "cat.jpg", 2, 5000, big, "2.jpg");
    row("level 3 video past the inverted region", "clip.mpg", 3, 300000, big, "3.mpg");
    row("level 1", "cat.jpg", 1, 5000, big, "1.jpg");
    row("not hidden: digit 0, no inversion", "photo.png", 0, 5000, big, "0.png");
    row("extension from the last dot", "a.b.jpg", 2, 10, big, "2.jpg");
    row("empty level-2 file", "cat.jpg", 2, 0, big, "2.jpg");
    row("size equal to the threshold is copied", "cat.jpg", 2, 4096, 4096, "2.jpg");
    row("one byte more: level 2 refused", "cat.jpg", 2, 4097, 4096, "refused");
    row("level 3 above refused", "cat.jpg", 3, 100000, 4096, "refused");
    row("level 1 above opens in place", "cat.jpg", 1, 100000, 4096, "in place");
    row("plain file above opens in place", "cat.jpg", 0, 100000, 4096, "in place");
    row("threshold 0: empty file copied", "cat.jpg", 3, 0, 0, "3.jpg");
    row("threshold 0: one byte in place", "cat.jpg", 0, 1, 0, "in place");
    row("threshold 0: level 2 refused", "cat.jpg", 2, 1, 0, "refused");
}

void TestOpenFiles::opening()
{
    QFETCH(QString, plainName);
    QFETCH(int, level);
    QFETCH(int, size);
    QFETCH(qint64, threshold);
    QFETCH(QString, way);
    TestWorld w;
    prefs.threshold = threshold;
    const QByteArray plain = TestWorld::pattern(size, 3);
    const QString path = libraryFile(w, plainName, level, plain);
    const bool refused = way == QLatin1String("refused");
    if (refused)
        prompt.acceptMessages();

    const OpenResult r = open_file(path, level > 0, ctx());

    if (refused) {
        QCOMPARE(r.outcome, Outcome::Refused);
        QCOMPARE(prompt.lastText(), kTooLarge);
        QCOMPARE(prompt.lastTitle(),
                 QStringLiteral("Level %1 Encryption Detected: \"%2\"").arg(level).arg(plainName));
        QVERIFY(launcher.started.isEmpty());
        QVERIFY(tempFolderEntries().isEmpty());
    } else if (way == QLatin1String("in place")) {
        QCOMPARE(r.outcome, Outcome::Started);
        // The program gets the real path, hidden or not, but was chosen by the readable name.
        QCOMPARE(launcher.started, (QList<QStringList>{{kViewer, path}}));
        QCOMPARE(launcher.lookedUp, QStringList{plainName});
        QVERIFY(tempFolderEntries().isEmpty());
    } else {
        QCOMPARE(r.outcome, Outcome::Started);
        const QRegularExpression shape(QStringLiteral("^rad[0-9A-F]{5}\\.tmp") +
                                       QRegularExpression::escape(way) + QLatin1Char('$'));
        QCOMPARE(QFileInfo(r.openedPath).absolutePath(), platform::tempFolderPath());
        QVERIFY2(shape.match(QFileInfo(r.openedPath).fileName()).hasMatch(),
                 qPrintable(r.openedPath));
        QCOMPARE(TestWorld::readAll(r.openedPath), plain);
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(r.openedPath).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0600));
        QCOMPARE(tempFolderEntries().size(), 1);
        QCOMPARE(launcher.started, (QList<QStringList>{{kViewer, r.openedPath}}));
        QCOMPARE(launcher.lookedUp, QStringList{plainName});
        // Each open makes a new copy; what the program did to the first stays with it.
        QFile edit(r.openedPath);
        QVERIFY(edit.open(QIODevice::WriteOnly) && edit.write("edited") == 6);
        edit.close();
        const QString second = open_file(path, level > 0, ctx()).openedPath;
        QVERIFY(!second.isEmpty() && second != r.openedPath);
        QCOMPARE(TestWorld::readAll(r.openedPath), QByteArray("edited"));
        QCOMPARE(TestWorld::readAll(second), plain);
        QCOMPARE(tempFolderEntries().size(), 2);
    }
    // The library file keeps its name and its bytes.
    QCOMPARE(QDir(w.path(QStringLiteral("lib"))).entryList(QDir::Files),
             QStringList{QFileInfo(path).fileName()});
    QCOMPARE(TestWorld::readAll(path), hiddenBytes(plain, level));
}

void TestOpenFiles::noProgramOffersOpenWith_data()
{
    QTest::addColumn<QString>("plainName");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("pick"); // "": Cancel, "@": a program, else a typed command
    QTest::addColumn<bool>("starts");
    QTest::addColumn<QString>("suffix");   // of the copy's name
    QTest::addColumn<QStringList>("argv"); // "@" stands for the copy
    auto row = [](const char* name, const char* plainName, int level, const char* pick, bool starts,
                  const char* suffix, const QStringList& argv) {
        QTest::newRow(name) << QString(plainName) << level << QString(pick) << starts
                            << QString(suffix) << argv;
    };
    row("hidden, no extension, an app picked", "notes", 2, "@", true, ".tmp2",
        {"/usr/bin/editor", "@"});
    row("unknown extension, a command typed", "data.zzqq", 0, "hexview --width '16 cols'", true,
        ".tmp0.zzqq", {"hexview", "--width", "16 cols", "@"});
    row("cancelled", "notes", 1, "", true, ".tmp1", {});
    row("the picked program cannot start", "notes", 0, "@", false, ".tmp0",
        {"/usr/bin/editor", "@"});
}

void TestOpenFiles::noProgramOffersOpenWith()
{
    QFETCH(QString, plainName);
    QFETCH(int, level);
    QFETCH(QString, pick);
    QFETCH(bool, starts);
    QFETCH(QString, suffix);
    QFETCH(QStringList, argv);
    TestWorld w;
    const QByteArray plain = TestWorld::pattern(300, 9);
    const QString path = libraryFile(w, plainName, level, plain);
    if (pick == QLatin1String("@"))
        chooserAnswer =
            OpenWithChoice{RecordingLauncher::app(QStringLiteral("/usr/bin/editor")), QString()};
    else if (!pick.isEmpty())
        chooserAnswer = OpenWithChoice{std::nullopt, pick};
    launcher.spawnSucceeds = starts;
    if (!starts)
        prompt.acceptMessages();

    const OpenResult r = open_file(path, level > 0, ctx());

    QCOMPARE(chooserAsked, QStringList{plainName});
    QVERIFY2(QFileInfo(r.openedPath).fileName().endsWith(suffix), qPrintable(r.openedPath));
    QCOMPARE(TestWorld::readAll(r.openedPath), plain);
    QCOMPARE(r.outcome, pick.isEmpty() ? Outcome::Cancelled
                        : starts       ? Outcome::Started
                                       : Outcome::Refused);
    argv.replaceInStrings(QStringLiteral("@"), r.openedPath);
    QCOMPARE(launcher.started, argv.isEmpty() ? QList<QStringList>{} : QList<QStringList>{argv});
    if (!starts) {
        QCOMPARE(prompt.lastText(), QStringLiteral("Cannot open file"));
        QCOMPARE(prompt.lastTitle(), platform::applicationTitle());
    }
}

void TestOpenFiles::missingFile()
{
    // Nothing there, a folder, a dangling link.
    for (int what = 0; what < 3; ++what) {
        TestWorld w;
        const QString path = w.folder(QStringLiteral("lib")) + QStringLiteral("/cat.jpg");
        if (what == 1)
            w.folder(QStringLiteral("lib/cat.jpg"));
        if (what == 2)
            QVERIFY(QFile::link(w.path(QStringLiteral("gone.jpg")), path));
        prompt.clear();
        prompt.acceptMessages();
        QCOMPARE(open_file(path, false, ctx()).outcome, Outcome::Refused);
        QCOMPARE(prompt.lastText(), QStringLiteral("File not found. Try refreshing the screen"));
        QCOMPARE(prompt.lastTitle(), platform::applicationTitle());
    }
    QVERIFY(launcher.started.isEmpty());
}

void TestOpenFiles::iexploreRule()
{
    // Upper case and only the last twelve characters count; nothing may follow.
    TestWorld w;
    const QString path = libraryFile(w, QStringLiteral("cat.jpg"), 2, TestWorld::pattern(10));
    for (const QString& exe :
         {QStringLiteral("/opt/ie/IEXPLORE.EXE"), QStringLiteral("/opt/ie/notiexplore.exe"),
          QStringLiteral("/opt/ie/iexplore.exe.sh")}) {
        launcher.started.clear();
        launcher.associate(QStringLiteral("image/jpeg"), RecordingLauncher::app(exe));
        const OpenResult r = open_file(path, true, ctx());
        QCOMPARE(r.outcome, Outcome::Started);
        const QString prefix = exe.endsWith(QLatin1String(".sh")) ? QString() : "file:///";
        QCOMPARE(launcher.started, (QList<QStringList>{{exe, prefix + r.openedPath}}));
    }
}

void TestOpenFiles::unsafeTempFolderIsRefused_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("a link to another folder") << "link";
    QTest::newRow("another user's folder") << "other owner";
}

void TestOpenFiles::unsafeTempFolderIsRefused()
{
    QFETCH(QString, what);
    TestWorld w;
    // Another account takes the per-user folder's name first.
    const QString temp = platform::tempFolderPath();
    const QString elsewhere = w.folder(QStringLiteral("elsewhere"));
    if (what == QLatin1String("link")) {
        QVERIFY(QFile::link(elsewhere, temp));
    } else {
        if (::geteuid() != 0)
            QSKIP("Giving a folder to another user needs root");
        QVERIFY(QDir().mkdir(temp));
        QCOMPARE(::chown(QFile::encodeName(temp).constData(), 65534, 65534), 0);
    }
    const QString path = libraryFile(w, QStringLiteral("cat.jpg"), 2, TestWorld::pattern(10));

    // It blocks nothing: the copy goes to a fresh private folder of our own,
    // never through the planted name.
    const OpenResult r = open_file(path, true, ctx());
    QCOMPARE(r.outcome, Outcome::Started);
    QVERIFY(!r.openedPath.startsWith(temp + QLatin1Char('/')));
    QVERIFY(r.openedPath.startsWith(temp + QLatin1Char('-')));
    QCOMPARE(TestWorld::readAll(r.openedPath), TestWorld::pattern(10));
    QVERIFY(QDir(elsewhere).isEmpty());
    // Cleaning up removes our folders and leaves the other account's alone.
    QVERIFY(platform::removeTempFolders());
    QVERIFY(!QFileInfo::exists(r.openedPath));
    QCOMPARE(QFileInfo(temp).exists() || QFileInfo(temp).isSymLink(),
             what != QLatin1String("link"));
    if (what != QLatin1String("link")) {
        QVERIFY(QDir().rmdir(temp));
    }
}

void TestOpenFiles::argumentVectors_data()
{
    QTest::addColumn<bool>("typed"); // a command typed in Open With, else an Exec line
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QStringList>("argv");
    const QString nasty = QStringLiteral("/tmp/a b/$(touch x); 'q' \"d\" %f.jpg");
    const QString f = QStringLiteral("/p/a.jpg");
    QTest::newRow("%f") << false << "viewer %f" << f << QStringList{"viewer", f};
    QTest::newRow("%U takes the path as is")
        << false << "viewer --new %U" << f << QStringList{"viewer", "--new", f};
    QTest::newRow("no field code: appended") << false << "viewer" << f << QStringList{"viewer", f};
    QTest::newRow("code inside a word")
        << false << "viewer --file=%f" << f << QStringList{"viewer", "--file=/p/a.jpg"};
    QTest::newRow("name, icon, dropped codes, %%")
        << false << "viewer --class %c %i %k %d 100%% %f" << f
        << QStringList{"viewer", "--class", "Viewer", "--icon", "viewer-icon", "100%", f};
    QTest::newRow("quoted program path")
        << false << "\"/opt/My App/run\" %f" << f << QStringList{"/opt/My App/run", f};
    QTest::newRow("a name is never split or expanded")
        << false << "viewer %f" << nasty << QStringList{"viewer", nasty};
    QTest::newRow("unbalanced quote starts nothing")
        << false << "viewer \"%f" << f << QStringList{};
    QTest::newRow("typed: words, then the file") << true << "hexview --width '16 cols'" << f
                                                 << QStringList{"hexview", "--width", "16 cols", f};
    QTest::newRow("typed: no field codes")
        << true << "tool %f" << f << QStringList{"tool", "%f", f};
    QTest::newRow("typed: a name stays one word")
        << true << "tool" << nasty << QStringList{"tool", nasty};
    QTest::newRow("typed: nothing") << true << "  " << f << QStringList{};
}

void TestOpenFiles::argumentVectors()
{
    QFETCH(bool, typed);
    QFETCH(QString, commandLine);
    QFETCH(QString, argument);
    QFETCH(QStringList, argv);
    if (typed) {
        QCOMPARE(commandArguments(commandLine, argument), argv);
        return;
    }
    AppInfo app;
    app.name = QStringLiteral("Viewer");
    app.iconName = QStringLiteral("viewer-icon");
    app.commandLine = commandLine;
    QCOMPARE(appArguments(app, argument), argv);
}

void TestOpenFiles::desktopAssociations()
{
    GioAppLauncher gio;
    const QString viewer = m_desktop.path(QStringLiteral("bin/test-viewer"));
    QCOMPARE(find_executable(QStringLiteral("/lib/cat.jpg"), gio), viewer);
    QCOMPARE(find_executable(QStringLiteral("/lib/notes"), gio), QString());
    QCOMPARE(find_executable(QStringLiteral("/lib/notes.zzqq"), gio), QString());
    // A hidden name has no type of its own: only its readable name finds the program.
    const QString hidden = mEncrypt::make_hidden_name(QStringLiteral("cat.jpg"), 1);
    QCOMPARE(find_executable(QStringLiteral("/lib/") + hidden, gio), QString());

    const auto forType = gio.appsFor(QStringLiteral("cat.jpg"));
    QVERIFY(!forType.isEmpty());
    QCOMPARE(forType.front().id, QStringLiteral("test-viewer.desktop"));
    QCOMPARE(forType.front().iconName, QStringLiteral("image-viewer"));
    QStringList shown;
    for (const AppInfo& a : gio.allApps())
        shown << a.id;
    QVERIFY2(shown.contains(QStringLiteral("test-viewer.desktop")), qPrintable(shown.join(',')));
    QVERIFY2(!shown.contains(QStringLiteral("test-hidden-tool.desktop")),
             qPrintable(shown.join(',')));
}

void TestOpenFiles::programReceivesNameAsOneArgument()
{
    // The real launcher, the real program: what arrives is exactly the path.
    GioAppLauncher gio;
    const QString out = m_desktop.path(QStringLiteral("viewer-args.txt"));
    QFile::remove(out);
    TestWorld w;
    const QString path = w.file(QStringLiteral("lib/it's a \"cat\"; $(touch pwned) %u.jpg"), "x");
    const auto app = gio.defaultAppFor(QStringLiteral("cat.jpg"));
    QVERIFY(app);
    QVERIFY(gio.startApp(*app, path));
    QTRY_VERIFY(QFile::exists(out));
    QCOMPARE(TestWorld::readAll(out), QStringLiteral("--view\n%1\n").arg(path).toUtf8());

    QFile::remove(out);
    QVERIFY(gio.startCommand(QStringLiteral("test-viewer 'two words'"), path));
    QTRY_VERIFY(QFile::exists(out));
    QCOMPARE(TestWorld::readAll(out), QStringLiteral("two words\n%1\n").arg(path).toUtf8());
    QVERIFY(!QFile::exists(QStringLiteral("pwned")));
    QVERIFY(!gio.startCommand(QStringLiteral("no-such-program-anywhere"), path));
}

// GIO expands the field code inside the quoted shell word with the name
// quoted: the shell prints the file, and runs nothing from its name.
void TestOpenFiles::hostileNameThroughShellEntry()
{
    GioAppLauncher gio;
    const QString out = m_desktop.path(QStringLiteral("shell-out.txt"));
    QFile::remove(out);
    TestWorld w;
    const QString path = w.file(QStringLiteral("x $(touch pwned).jpg"), "the picture");
    AppInfo app;
    app.id = QStringLiteral("test-shell.desktop");
    QVERIFY(gio.startApp(app, path));
    QTRY_COMPARE(TestWorld::readAll(out), QByteArray("the picture"));
    QTest::qWait(100);
    QVERIFY(!QFile::exists(m_desktop.path(QStringLiteral("pwned"))));
    QVERIFY(!QFile::exists(w.path(QStringLiteral("pwned"))));
    QVERIFY(!QFile::exists(QStringLiteral("pwned")));
    app.id = QStringLiteral("no-such-entry.desktop");
    QVERIFY(!gio.startApp(app, path));
}

void TestOpenFiles::nonRegularFilesAreNeverOpened_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("named pipe") << "pipe.jpg" << false;
    QTest::newRow("hidden named pipe") << "krkv-qkt.kz2" << true;
    QTest::newRow("device") << "null.jpg" << false;
}

// A pipe would block the copy for ever; a device is never handed on.
void TestOpenFiles::nonRegularFilesAreNeverOpened()
{
    QFETCH(QString, name);
    QFETCH(bool, hidden);
    TestWorld w;
    const QString path = w.path(name);
    if (name.startsWith(QLatin1String("null")))
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
    else
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    prompt.acceptMessages();
    QCOMPARE(open_file(path, hidden, ctx()).outcome, Outcome::Refused);
    QCOMPARE(prompt.lastText(), QStringLiteral("Cannot open file"));
    QVERIFY(launcher.started.isEmpty());
    QVERIFY(tempFolderEntries().isEmpty());
}

// Another program's thumbnail and recent-files entry of a copy go with it.
void TestOpenFiles::removingCopiesRemovesTheirTraces()
{
    TestWorld w;
    const QString path = libraryFile(w, QStringLiteral("cat.jpg"), 2, TestWorld::pattern(100));
    const OpenResult r = open_file(path, true, ctx());
    QCOMPARE(r.outcome, Outcome::Started);
    const QString uri = platform::fileUri(r.openedPath);
    QVERIFY(uri.startsWith(QStringLiteral("file:///")));
    const QString md5 = QString::fromLatin1(
        QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Md5).toHex());
    const QStringList thumbs{m_desktop.file("cache/thumbnails/normal/" + md5 + ".png", "png"),
                             m_desktop.file("cache/thumbnails/large/" + md5 + ".png", "png"),
                             m_desktop.file("cache/thumbnails/fail/viewer/" + md5 + ".png", "x")};
    const QString other = m_desktop.file("cache/thumbnails/normal/0123.png", "keep");
    // As a desktop program writes it: each entry with its type and program.
    const auto entry = [](const QString& href) {
        return QStringLiteral(
                   "<bookmark href=\"%1\" added=\"2026-01-01T00:00:00Z\" "
                   "modified=\"2026-01-01T00:00:00Z\" visited=\"2026-01-01T00:00:00Z\">"
                   "<info><metadata owner=\"http://freedesktop.org\">"
                   "<mime:mime-type type=\"image/jpeg\"/><bookmark:applications>"
                   "<bookmark:application name=\"viewer\" exec=\"&apos;viewer %u&apos;\" "
                   "modified=\"2026-01-01T00:00:00Z\" count=\"1\"/>"
                   "</bookmark:applications></metadata></info></bookmark>\n")
            .arg(href);
    };
    const QString xbel = m_desktop.file(
        "data/recently-used.xbel",
        (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<xbel version=\"1.0\" xmlns:bookmark=\"http://www.freedesktop.org/"
                        "standards/desktop-bookmarks\" xmlns:mime=\"http://www.freedesktop.org/"
                        "standards/shared-mime-info\">\n") +
         entry(uri) + entry(QStringLiteral("file:///home/keep.txt")) + QStringLiteral("</xbel>\n"))
            .toUtf8());
    QVERIFY(platform::removeTempFolders());
    QVERIFY(!QFile::exists(r.openedPath));
    for (const QString& t : thumbs)
        QVERIFY2(!QFile::exists(t), qPrintable(t));
    QVERIFY(QFile::exists(other));
    const QByteArray list = TestWorld::readAll(xbel);
    QVERIFY(!list.contains(uri.toUtf8()));
    QVERIFY(list.contains("file:///home/keep.txt"));
}

int main(int argc, char* argv[])
{
    // GIO reads the XDG variables once, on first use: they are set before anything runs.
    TestWorld desktop;
    setUpDesktop(desktop);
    QCoreApplication app(argc, argv);
    TestOpenFiles test(desktop);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_openfiles.moc"
