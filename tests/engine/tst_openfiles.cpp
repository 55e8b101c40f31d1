#include "engine/mEncrypt.h"
#include "engine/mOpenFiles.h"
#include "platform/TempFolder.h"
#include "support/RecordingLauncher.h"
#include "support/ScriptedPrompt.h"
#include "support/TestWorld.h"

#include <QCoreApplication>
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

QByteArray inverted(QByteArray bytes, qint64 len)
{
    for (qint64 i = 0; i < len && i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(~static_cast<unsigned char>(bytes[i]));
    return bytes;
}

QByteArray hiddenBytes(const QByteArray& plain, int level)
{
    return level == 2 ? inverted(plain, 1) : level == 3 ? inverted(plain, 262136) : plain;
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
    world.file(QStringLiteral("data/applications/test-viewer.desktop"),
               QStringLiteral("[Desktop Entry]\nType=Application\nName=Test Viewer\n"
                              "Exec=%1 --view %f\nIcon=image-viewer\nMimeType=image/jpeg;\n")
                   .arg(viewer)
                   .toUtf8());
    world.file(QStringLiteral("data/applications/test-hidden-tool.desktop"),
               QStringLiteral("[Desktop Entry]\nType=Application\nName=Hidden Tool\n"
                              "Exec=%1 %f\nNoDisplay=true\nMimeType=image/jpeg;\n")
                   .arg(viewer)
                   .toUtf8());
    // What update-desktop-database would write: GIO finds an application's types here.
    world.file(QStringLiteral("data/applications/mimeinfo.cache"),
               "[MIME Cache]\nimage/jpeg=test-viewer.desktop;test-hidden-tool.desktop;\n");
    const QByteArray defaults("[Default Applications]\nimage/jpeg=test-viewer.desktop\n");
    world.file(QStringLiteral("config/mimeapps.list"), defaults);
    world.file(QStringLiteral("data/applications/mimeapps.list"), defaults);
    world.folder(QStringLiteral("sys"));
    QFile::link(QStringLiteral("/usr/share/mime"), world.path(QStringLiteral("sys/mime")));
    world.folder(QStringLiteral("tmp"));

    qputenv("XDG_DATA_HOME", world.path(QStringLiteral("data")).toUtf8());
    qputenv("XDG_DATA_DIRS", world.path(QStringLiteral("sys")).toUtf8());
    qputenv("XDG_CONFIG_HOME", world.path(QStringLiteral("config")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", world.path(QStringLiteral("config")).toUtf8());
    qunsetenv("XDG_CURRENT_DESKTOP");
    qputenv("PATH", (bin + QStringLiteral(":/usr/bin:/bin")).toUtf8());
    qputenv("TMPDIR", world.path(QStringLiteral("tmp")).toUtf8());
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

    void temporaryCopy_data();
    void temporaryCopy();
    void thresholdRule_data();
    void thresholdRule();
    void noProgramOffersOpenWith_data();
    void noProgramOffersOpenWith();
    void missingFile_data();
    void missingFile();
    void iexploreRule_data();
    void iexploreRule();
    void eachOpenMakesANewCopy();
    void unsafeTempFolderIsRefused_data();
    void unsafeTempFolderIsRefused();
    void argumentVectors_data();
    void argumentVectors();
    void desktopAssociations();
    void programReceivesNameAsOneArgument();
};

void TestOpenFiles::temporaryCopy_data()
{
    QTest::addColumn<QString>("plainName");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("suffix"); // what follows the fresh name
    QTest::newRow("level 2 picture") << "cat.jpg" << 2 << 5000 << "2.jpg";
    QTest::newRow("level 3 video past the inverted region") << "clip.mpg" << 3 << 300000 << "3.mpg";
    QTest::newRow("level 1") << "cat.jpg" << 1 << 5000 << "1.jpg";
    QTest::newRow("not hidden: digit 0, no inversion") << "photo.png" << 0 << 5000 << "0.png";
    QTest::newRow("extension from the last dot") << "a.b.jpg" << 2 << 10 << "2.jpg";
    QTest::newRow("empty level-2 file") << "cat.jpg" << 2 << 0 << "2.jpg";
}

void TestOpenFiles::temporaryCopy()
{
    QFETCH(QString, plainName);
    QFETCH(int, level);
    QFETCH(int, size);
    QFETCH(QString, suffix);
    TestWorld w;
    const QByteArray plain = TestWorld::pattern(size, 3);
    const QString path = libraryFile(w, plainName, level, plain);

    const OpenResult r = open_file(path, level > 0, ctx());

    QCOMPARE(r.outcome, Outcome::Started);
    const QRegularExpression shape(QStringLiteral("^rad[0-9A-F]{5}\\.tmp") +
                                   QRegularExpression::escape(suffix) + QLatin1Char('$'));
    QCOMPARE(QFileInfo(r.openedPath).absolutePath(), platform::tempFolderPath());
    QVERIFY2(shape.match(QFileInfo(r.openedPath).fileName()).hasMatch(), qPrintable(r.openedPath));
    QCOMPARE(TestWorld::readAll(r.openedPath), plain);
    struct stat st;
    QCOMPARE(::lstat(QFile::encodeName(r.openedPath).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0600));
    QCOMPARE(tempFolderEntries().size(), 1);
    QCOMPARE(launcher.started, (QList<QStringList>{{kViewer, r.openedPath}}));
    QCOMPARE(launcher.lookedUp, QStringList{plainName});
    // The library file keeps its name and its bytes.
    QCOMPARE(QDir(w.path(QStringLiteral("lib"))).entryList(QDir::Files),
             QStringList{QFileInfo(path).fileName()});
    QCOMPARE(TestWorld::readAll(path), hiddenBytes(plain, level));
}

void TestOpenFiles::thresholdRule_data()
{
    QTest::addColumn<qint64>("threshold");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("way"); // copy, in place, refused
    QTest::newRow("size equal to the threshold is copied") << 4096LL << 2 << 4096 << "copy";
    QTest::newRow("one byte more: level 2 refused") << 4096LL << 2 << 4097 << "refused";
    QTest::newRow("level 3 above refused") << 4096LL << 3 << 100000 << "refused";
    QTest::newRow("level 1 above opens in place") << 4096LL << 1 << 100000 << "in place";
    QTest::newRow("plain file above opens in place") << 4096LL << 0 << 100000 << "in place";
    QTest::newRow("threshold 0: empty file copied") << 0LL << 3 << 0 << "copy";
    QTest::newRow("threshold 0: one byte in place") << 0LL << 0 << 1 << "in place";
    QTest::newRow("threshold 0: level 2 refused") << 0LL << 2 << 1 << "refused";
}

void TestOpenFiles::thresholdRule()
{
    QFETCH(qint64, threshold);
    QFETCH(int, level);
    QFETCH(int, size);
    QFETCH(QString, way);
    TestWorld w;
    prefs.threshold = threshold;
    const QByteArray plain = TestWorld::pattern(size, 5);
    const QString path = libraryFile(w, QStringLiteral("cat.jpg"), level, plain);
    if (way == QLatin1String("refused"))
        prompt.acceptMessages();

    const OpenResult r = open_file(path, level > 0, ctx());

    if (way == QLatin1String("refused")) {
        QCOMPARE(r.outcome, Outcome::Refused);
        QCOMPARE(prompt.lastText(), kTooLarge);
        QCOMPARE(prompt.lastTitle(),
                 QStringLiteral("Level %1 Encryption Detected: \"cat.jpg\"").arg(level));
        QVERIFY(launcher.started.isEmpty());
        QVERIFY(tempFolderEntries().isEmpty());
    } else if (way == QLatin1String("in place")) {
        QCOMPARE(r.outcome, Outcome::Started);
        // The program gets the real path, hidden or not, but was chosen by the readable name.
        QCOMPARE(launcher.started, (QList<QStringList>{{kViewer, path}}));
        QCOMPARE(launcher.lookedUp, QStringList{QStringLiteral("cat.jpg")});
        QVERIFY(tempFolderEntries().isEmpty());
    } else {
        QCOMPARE(r.outcome, Outcome::Started);
        QVERIFY(r.openedPath.startsWith(platform::tempFolderPath() + QLatin1Char('/')));
        QCOMPARE(TestWorld::readAll(r.openedPath), plain);
    }
    QCOMPARE(QDir(w.path(QStringLiteral("lib"))).entryList(QDir::Files),
             QStringList{QFileInfo(path).fileName()});
    QCOMPARE(TestWorld::readAll(path), hiddenBytes(plain, level));
}

void TestOpenFiles::noProgramOffersOpenWith_data()
{
    QTest::addColumn<QString>("plainName");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("pick");   // app, command, cancel, fails
    QTest::addColumn<QString>("suffix"); // of the copy's name
    QTest::newRow("hidden, no extension, an app picked") << "notes" << 2 << "app"
                                                         << ".tmp2";
    QTest::newRow("unknown extension, a command typed") << "data.zzqq" << 0 << "command"
                                                        << ".tmp0.zzqq";
    QTest::newRow("cancelled") << "notes" << 1 << "cancel"
                               << ".tmp1";
    QTest::newRow("the picked program cannot start") << "notes" << 0 << "fails"
                                                     << ".tmp0";
}

void TestOpenFiles::noProgramOffersOpenWith()
{
    QFETCH(QString, plainName);
    QFETCH(int, level);
    QFETCH(QString, pick);
    QFETCH(QString, suffix);
    TestWorld w;
    const QByteArray plain = TestWorld::pattern(300, 9);
    const QString path = libraryFile(w, plainName, level, plain);
    const auto editor = RecordingLauncher::app(QStringLiteral("/usr/bin/editor"));
    if (pick == QLatin1String("command"))
        chooserAnswer = OpenWithChoice{std::nullopt, QStringLiteral("hexview --width '16 cols'")};
    else if (pick != QLatin1String("cancel"))
        chooserAnswer = OpenWithChoice{editor, QString()};
    if (pick == QLatin1String("fails")) {
        launcher.spawnSucceeds = false;
        prompt.acceptMessages();
    }

    const OpenResult r = open_file(path, level > 0, ctx());

    QCOMPARE(chooserAsked, QStringList{plainName});
    QVERIFY2(QFileInfo(r.openedPath).fileName().endsWith(suffix), qPrintable(r.openedPath));
    QCOMPARE(TestWorld::readAll(r.openedPath), plain);
    if (pick == QLatin1String("cancel")) {
        QCOMPARE(r.outcome, Outcome::Cancelled);
        QVERIFY(launcher.started.isEmpty());
    } else if (pick == QLatin1String("fails")) {
        QCOMPARE(r.outcome, Outcome::Refused);
        QCOMPARE(prompt.lastText(), QStringLiteral("Cannot open file"));
        QCOMPARE(prompt.lastTitle(), platform::applicationTitle());
    } else if (pick == QLatin1String("command")) {
        QCOMPARE(r.outcome, Outcome::Started);
        QCOMPARE(launcher.started,
                 (QList<QStringList>{{QStringLiteral("hexview"), QStringLiteral("--width"),
                                      QStringLiteral("16 cols"), r.openedPath}}));
    } else {
        QCOMPARE(r.outcome, Outcome::Started);
        QCOMPARE(launcher.started,
                 (QList<QStringList>{{QStringLiteral("/usr/bin/editor"), r.openedPath}}));
    }
}

void TestOpenFiles::missingFile_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("nothing there") << "missing";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("a dangling link") << "dangling";
}

void TestOpenFiles::missingFile()
{
    QFETCH(QString, what);
    TestWorld w;
    QString path = w.path(QStringLiteral("lib/cat.jpg"));
    if (what == QLatin1String("folder"))
        w.folder(QStringLiteral("lib/cat.jpg"));
    if (what == QLatin1String("dangling"))
        QFile::link(w.path(QStringLiteral("gone.jpg")),
                    w.folder(QStringLiteral("lib")) + "/cat.jpg");
    prompt.acceptMessages();

    QCOMPARE(open_file(path, false, ctx()).outcome, Outcome::Refused);
    QCOMPARE(prompt.lastText(), QStringLiteral("File not found. Try refreshing the screen"));
    QCOMPARE(prompt.lastTitle(), platform::applicationTitle());
    QVERIFY(launcher.started.isEmpty());
}

void TestOpenFiles::iexploreRule_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<bool>("prefixed");
    QTest::newRow("upper case") << "/opt/ie/IEXPLORE.EXE" << true;
    QTest::newRow("last twelve characters only") << "/opt/ie/notiexplore.exe" << true;
    QTest::newRow("something after it") << "/opt/ie/iexplore.exe.sh" << false;
}

void TestOpenFiles::iexploreRule()
{
    QFETCH(QString, executable);
    QFETCH(bool, prefixed);
    TestWorld w;
    launcher.associate(QStringLiteral("image/jpeg"), RecordingLauncher::app(executable));
    const QString path = libraryFile(w, QStringLiteral("cat.jpg"), 2, TestWorld::pattern(10));

    const OpenResult r = open_file(path, true, ctx());

    QCOMPARE(r.outcome, Outcome::Started);
    const QString arg = (prefixed ? QStringLiteral("file:///") : QString()) + r.openedPath;
    QCOMPARE(launcher.started, (QList<QStringList>{{executable, arg}}));
}

void TestOpenFiles::eachOpenMakesANewCopy()
{
    TestWorld w;
    const QString path = libraryFile(w, QStringLiteral("cat.jpg"), 2, TestWorld::pattern(100));
    const QString first = open_file(path, true, ctx()).openedPath;
    // Whatever the program did to the first copy stays with the first copy.
    QFile edit(first);
    QVERIFY(edit.open(QIODevice::WriteOnly | QIODevice::Truncate));
    edit.write("edited");
    edit.close();
    const QString second = open_file(path, true, ctx()).openedPath;
    QVERIFY(!second.isEmpty());
    QVERIFY(second != first);
    QCOMPARE(TestWorld::readAll(first), QByteArray("edited"));
    QCOMPARE(TestWorld::readAll(second), TestWorld::pattern(100));
    QCOMPARE(tempFolderEntries().size(), 2);
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
    prompt.acceptMessages();

    QCOMPARE(open_file(path, true, ctx()).outcome, Outcome::Refused);
    QVERIFY2(prompt.lastText().startsWith(
                 QStringLiteral("This file cannot be opened, because no private temporary copy "
                                "can be made. ")),
             qPrintable(prompt.lastText()));
    QVERIFY2(prompt.lastText().contains(temp), qPrintable(prompt.lastText()));
    QVERIFY(launcher.started.isEmpty());
    QVERIFY(QDir(elsewhere).isEmpty());
    QVERIFY(platform::removeFolderTree(temp));
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
