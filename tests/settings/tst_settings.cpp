#include "settings/Preferences.h"
#include "settings/mRegistry.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace settings;
using namespace Qt::StringLiterals;

namespace {
const QString kBehavior = u"Behavior"_s;
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrips_data();
    void roundTrips();
    void missingDeletedAndCut();
    void layoutOnDisk();
    void createdPrivateAndReplacedWhole();
    void failedWriteIsReported();
    void namesThatWouldNotReadBack_data();
    void namesThatWouldNotReadBack();
    void notARegularFile_data();
    void notARegularFile();
    void writtenThroughLinks_data();
    void writtenThroughLinks();
    void snapshotReadsOnce();
    void typedReaders_data();
    void typedReaders();
    void preferencesDefaultsAndFallbacks();
    void preferencesFromStore();
};

void TestSettings::roundTrips_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    auto row = [](const char* title, const char* section, const char* name, const QString& text) {
        QTest::newRow(title) << QString::fromLatin1(section) << QString::fromLatin1(name) << text;
    };
    row("empty text", "Behavior", "timeout", u""_s);
    row("top level", "", "pw", u"Yvzxs.kz1"_s);
    row("spaces kept", "Libraries", "name_1", u"  My Pics  "_s);
    row("separators", "Libraries", "path_1", u"C:\\pics\\a=b;c#d[e]"_s);
    row("line breaks", "Viewing", "x", u"one\r\ntwo\\n"_s);
    row("unicode", "Libraries", "name_2", u"Ферма 日本 Ž"_s);
}

void TestSettings::roundTrips()
{
    QFETCH(QString, section);
    QFETCH(QString, name);
    QFETCH(QString, text);
    TestWorld w;
    SettingsStore store(w.settingsFile());
    QVERIFY(store.save_setting(kBehavior, u"other"_s, u"1"_s));
    QVERIFY(store.save_setting(section, name, u"old"_s));
    QVERIFY(store.save_setting(section, name, text));
    QCOMPARE(store.get_setting(section, name), text);
    // A fresh store object sees the same: nothing is cached.
    QCOMPARE(SettingsStore(w.settingsFile()).get_setting(section, name), text);
    QCOMPARE(store.get_setting(kBehavior, u"other"_s), u"1"_s);
}

void TestSettings::missingDeletedAndCut()
{
    TestWorld w;
    SettingsStore store(w.settingsFile());
    QCOMPARE(store.get_setting(kBehavior, u"timeout"_s), QString());
    QVERIFY(store.save_setting(kBehavior, u"timeout"_s, u"3"_s));
    QCOMPARE(store.get_setting(u"Viewing"_s, u"timeout"_s), QString());
    QCOMPARE(store.get_setting(QString(), u"timeout"_s), QString());
    // Names are case-sensitive, like the values the program writes.
    QCOMPARE(store.get_setting(kBehavior, u"Timeout"_s), QString());

    // A NUL ends the text.
    QVERIFY(store.save_setting(kBehavior, u"v"_s, u"abc"_s + QChar(0) + u"def"_s));
    QCOMPARE(store.get_setting(kBehavior, u"v"_s), u"abc"_s);

    QVERIFY(store.delete_setting(kBehavior, u"timeout"_s));
    QCOMPARE(store.get_setting(kBehavior, u"timeout"_s), QString());
    QCOMPARE(store.get_setting(kBehavior, u"v"_s), u"abc"_s);
    QVERIFY(store.delete_setting(kBehavior, u"absent"_s));
}

void TestSettings::layoutOnDisk()
{
    TestWorld w;
    SettingsStore store(w.settingsFile());
    QVERIFY(store.save_setting(kBehavior, u"timeout"_s, u"5"_s));
    QVERIFY(store.save_setting(QString(), u"version"_s, u"2.2.0"_s));
    const QString text = QString::fromUtf8(TestWorld::readAll(w.settingsFile()));
    QVERIFY(text.startsWith(u"; HKEY_LOCAL_MACHINE\\Software\\VO Doziziru\\RW\\\n"_s));
    // The empty section is the file's top level, ahead of every named section.
    QVERIFY(text.indexOf(u"version=2.2.0"_s) < text.indexOf(u"[Behavior]"_s));
    QVERIFY(text.contains(u"[Behavior]\ntimeout=5\n"_s));

    // A hand-edited file with CR LF line ends and comments reads as well.
    w.file(u"Cloakwell.ini"_s, "; note\r\npw=x.kz1\r\n[Appearance]\r\ncolor_2=255\r\n");
    QCOMPARE(store.get_setting(QString(), u"pw"_s), u"x.kz1"_s);
    QCOMPARE(store.get_setting(u"Appearance"_s, u"color_2"_s), u"255"_s);
}

void TestSettings::createdPrivateAndReplacedWhole()
{
    TestWorld w;
    const QByteArray file = QFile::encodeName(w.path(u"data/sub/Cloakwell.ini"_s));
    SettingsStore store(QFile::decodeName(file));
    auto mode = [&] {
        struct stat st;
        return ::stat(file.constData(), &st) == 0 ? st.st_mode & 0777 : 0u;
    };
    QVERIFY(store.save_setting(kBehavior, u"a"_s, u"1"_s));
    QCOMPARE(mode(), 0600u);
    // A mode the owner chose is kept across writes.
    QVERIFY(::chmod(file.constData(), 0640) == 0);
    QVERIFY(store.save_setting(kBehavior, u"b"_s, u"2"_s));
    QCOMPARE(mode(), 0640u);
    // No temporary siblings are left behind.
    QCOMPARE(QDir(w.path(u"data/sub"_s)).entryList(QDir::Files).size(), 1);
}

void TestSettings::failedWriteIsReported()
{
    TestWorld w;
    // The folder the store should live in is a file: nothing can be written.
    w.file(u"blocker"_s, "x");
    SettingsStore store(w.path(u"blocker/Cloakwell.ini"_s));
    QVERIFY(!store.save_setting(QString(), u"pw"_s, u"abc.kz1"_s));
    QCOMPARE(store.get_setting(QString(), u"pw"_s), QString());

    // An existing store is never replaced by a failed write.
    SettingsStore good(w.settingsFile());
    QVERIFY(good.save_setting(QString(), u"pw"_s, u"old.kz1"_s));
    const QByteArray before = TestWorld::readAll(w.settingsFile());
    QVERIFY(!good.save_setting(u"Bad]Section"_s, u"x"_s, u"1"_s));
    QCOMPARE(TestWorld::readAll(w.settingsFile()), before);
}

void TestSettings::namesThatWouldNotReadBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("stored");
    QTest::newRow(";comment") << u";x"_s << false;
    QTest::newRow("#comment") << u"#x"_s << false;
    QTest::newRow("[section") << u"[x]"_s << false;
    QTest::newRow("a=b") << u"a=b"_s << false;
    QTest::newRow("carriage return") << u"a\rb"_s << false;
    QTest::newRow("inner ;#[") << u"a;#[b]"_s << true;
    QTest::newRow("spaces") << u" a b "_s << true;
}

// save_setting never reports a value stored that does not read back.
void TestSettings::namesThatWouldNotReadBack()
{
    QFETCH(QString, name);
    QFETCH(bool, stored);
    TestWorld w;
    SettingsStore store(w.settingsFile());
    QVERIFY(store.save_setting(kBehavior, u"other"_s, u"1"_s));
    QCOMPARE(store.save_setting(kBehavior, name, u"value"_s), stored);
    QCOMPARE(store.get_setting(kBehavior, name), stored ? u"value"_s : QString());
    QCOMPARE(store.get_setting(kBehavior, u"other"_s), u"1"_s);
}

void TestSettings::notARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("named pipe") << u"fifo"_s;
    QTest::newRow("folder") << u"folder"_s;
}

// Unreadable: read as empty (defaults) at once, never waited on, never replaced.
void TestSettings::notARegularFile()
{
    QFETCH(QString, kind);
    TestWorld w;
    const QByteArray path = QFile::encodeName(w.settingsFile());
    if (kind == "fifo"_L1)
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    else
        QVERIFY(QDir().mkdir(w.settingsFile()));
    SettingsStore store(w.settingsFile());
    QCOMPARE(store.get_setting(kBehavior, u"encrypt_level"_s), QString());
    const Preferences p = load_preferences(store);
    QCOMPARE(p.encrypt_level, short(2));
    QVERIFY(!store.save_setting(kBehavior, u"a"_s, u"1"_s));
    struct stat st;
    QCOMPARE(::lstat(path.constData(), &st), 0);
    QCOMPARE(S_ISFIFO(st.st_mode), kind == "fifo"_L1);
    QCOMPARE(QDir(w.root()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(),
             kind == "fifo"_L1 ? 1 : 0);
}

void TestSettings::writtenThroughLinks_data()
{
    QTest::addColumn<QString>("link");   // what the link holds
    QTest::addColumn<QString>("target"); // where the file must end up
    QTest::newRow("absolute") << u"@/real/Cloakwell.ini"_s << u"real/Cloakwell.ini"_s;
    QTest::newRow("relative") << u"real/Cloakwell.ini"_s << u"real/Cloakwell.ini"_s;
    QTest::newRow("chain") << u"hop"_s << u"real/Cloakwell.ini"_s;
    QTest::newRow("dangling") << u"real/new.ini"_s << u"real/new.ini"_s;
}

// The link stays a link; the file it names is replaced atomically.
void TestSettings::writtenThroughLinks()
{
    QFETCH(QString, link);
    QFETCH(QString, target);
    TestWorld w;
    w.file(u"real/Cloakwell.ini"_s, "[Behavior]\nold=1\n");
    QVERIFY(QFile::link(u"real/Cloakwell.ini"_s, w.path(u"hop"_s)));
    link.replace(u"@"_s, w.root());
    QVERIFY(::symlink(QFile::encodeName(link).constData(),
                      QFile::encodeName(w.settingsFile()).constData()) == 0);
    SettingsStore store(w.settingsFile());
    QVERIFY(store.save_setting(kBehavior, u"new"_s, u"2"_s));
    QVERIFY(QFileInfo(w.settingsFile()).isSymLink());
    QCOMPARE(store.get_setting(kBehavior, u"new"_s), u"2"_s);
    QVERIFY(TestWorld::readAll(w.path(target)).contains("new=2"));
    QCOMPARE(QDir(w.path(u"real"_s)).entryList(QDir::Files).size(),
             target.endsWith("new.ini"_L1) ? 2 : 1);
}

// A snapshot answers from one reading; the store itself sees each change.
void TestSettings::snapshotReadsOnce()
{
    TestWorld w;
    SettingsStore store(w.settingsFile());
    QVERIFY(store.save_setting(kBehavior, u"a"_s, u"1"_s));
    const SettingsStore snap = store.snapshot();
    QFile::remove(w.settingsFile());
    QCOMPARE(snap.get_setting(kBehavior, u"a"_s), u"1"_s);
    QCOMPARE(store.get_setting(kBehavior, u"a"_s), QString());
    QVERIFY(snap.save_setting(kBehavior, u"b"_s, u"2"_s));
    QCOMPARE(snap.get_setting(kBehavior, u"b"_s), u"2"_s);
    QCOMPARE(store.get_setting(kBehavior, u"b"_s), u"2"_s);
}

void TestSettings::typedReaders_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<qint64>("integer");
    QTest::addColumn<qint64>("colour");
    // The defaults used below: escape_exit 0, timeout 5, color_2 12603392.
    auto row = [](const char* stored, bool flag, qint64 integer, qint64 colour) {
        QTest::newRow(*stored ? stored : "missing")
            << QString::fromLatin1(stored) << flag << integer << colour;
    };
    row("", false, 5, 12603392);
    row("abc", false, 5, 12603392);
    row("1", true, 1, 1);
    row("0", false, 0, 0);
    row("-1", true, -1, 0xFFFFFFFF);
    row("True", true, 5, 12603392);
    row(" 7 ", true, 7, 7);
    row("-2147483640", true, -2147483640, 0x80000008); // a system colour stored as a Long
    row("99999999999", true, 99999999999, 12603392);   // too large for a colour
}

void TestSettings::typedReaders()
{
    QFETCH(QString, stored);
    TestWorld w;
    SettingsStore store(w.settingsFile());
    for (const char* n : {"escape_exit", "timeout"})
        QVERIFY(store.save_setting(kBehavior, QLatin1String(n), stored));
    QVERIFY(store.save_setting(u"Appearance"_s, u"color_2"_s, stored));
    QTEST(read_flag(store, kBehavior, u"escape_exit"_s), "flag");
    QTEST(read_integer(store, kBehavior, u"timeout"_s), "integer");
    QTEST(qint64(read_colour(store, u"Appearance"_s, u"color_2"_s)), "colour");
}

void TestSettings::preferencesDefaultsAndFallbacks()
{
    TestWorld w;
    SettingsStore store(w.settingsFile());
    const Preferences fresh = load_preferences(store);
    QCOMPARE(fresh.encrypt_level, short(2));
    QVERIFY(fresh.encrypt_level_3_ext.contains(u"mpg"_s));
    QVERIFY(fresh.encrypt_level_3_ext.contains(u"mp4"_s));
    // Hidden photos open out of the box.
    QVERIFY(fresh.threshold >= 100LL * 1048576);
    QVERIFY(fresh.auto_show_preview);
    QVERIFY(!fresh.escape_exit);

    auto with = [&](const char* name, const char* value) {
        if (!store.save_setting(kBehavior, QLatin1String(name), QLatin1String(value)))
            qFatal("cannot write %s", name);
        return load_preferences(store);
    };
    // A threshold whose byte count does not fit 32 bits falls back instead of failing.
    QCOMPARE(with("threshold", "4096").threshold, fresh.threshold);
    QCOMPARE(with("threshold", "2047").threshold, 2047LL * 1048576);
    QCOMPARE(with("threshold", "0").threshold, 0LL);
    QCOMPARE(with("threshold", "99999999999999999999").threshold, fresh.threshold);
    // A level that would make unrecognisable names takes the default; 0 means "do not hide".
    QCOMPARE(with("encrypt_level", "4").encrypt_level, short(2));
    QCOMPARE(with("encrypt_level", "0").encrypt_level, short(0));
}

void TestSettings::preferencesFromStore()
{
    TestWorld w;
    SettingsStore store(w.settingsFile());
    const QStringList values{"Behavior/encrypt_level=3",   "Behavior/encrypt_level_3_ext=avi",
                             "Behavior/threshold=1",       "Behavior/escape_exit=1",
                             "Appearance/bold_2=1",        "Appearance/color_1=255",
                             "Viewing/auto_show_preview=0"};
    for (const QString& v : values)
        QVERIFY(store.save_setting(v.section('/', 0, 0), v.section('/', 1).section('=', 0, 0),
                                   v.section('=', 1)));
    const Preferences p = load_preferences(store);
    QCOMPARE(p.encrypt_level, short(3));
    QCOMPARE(p.encrypt_level_3_ext, u"avi"_s);
    QCOMPARE(p.threshold, 1048576LL);
    QVERIFY(p.escape_exit);
    QVERIFY(p.bold_2);
    QVERIFY(!p.bold_1);
    QCOMPARE(p.color_1, WinColor(255));
    QVERIFY(!p.auto_show_preview);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
