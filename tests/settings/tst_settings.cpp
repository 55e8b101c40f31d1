#include "settings/Preferences.h"
#include "settings/mRegistry.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

using namespace settings;

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrips_data();
    void roundTrips();
    void missingValues();
    void nulCutsTheText();
    void layoutOnDisk();
    void deleteSetting();
    void createdPrivateAndReplacedWhole();
    void failedWriteIsReported();
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
    QTest::newRow("empty text") << "Behavior"
                                << "timeout"
                                << "";
    QTest::newRow("top level") << ""
                               << "pw"
                               << "Yvzxs.kz1";
    QTest::newRow("spaces kept") << "Libraries"
                                 << "name_1"
                                 << "  My Pics  ";
    QTest::newRow("separators") << "Libraries"
                                << "path_1"
                                << "C:\\pics\\a=b;c#d[e]";
    QTest::newRow("line breaks") << "Viewing"
                                 << "x"
                                 << "one\r\ntwo\\n";
    QTest::newRow("unicode") << "Libraries"
                             << "name_2"
                             << "Ферма 日本 Ž";
}

void TestSettings::roundTrips()
{
    QFETCH(QString, section);
    QFETCH(QString, name);
    QFETCH(QString, text);
    TestWorld w;
    SettingsStore store(w.settingsFile());
    QVERIFY(store.save_setting(QStringLiteral("Behavior"), QStringLiteral("other"),
                               QStringLiteral("1")));
    QVERIFY(store.save_setting(section, name, QStringLiteral("old")));
    QVERIFY(store.save_setting(section, name, text));
    QCOMPARE(store.get_setting(section, name), text);
    // A fresh store object sees the same: nothing is cached.
    QCOMPARE(SettingsStore(w.settingsFile()).get_setting(section, name), text);
    QCOMPARE(store.get_setting(QStringLiteral("Behavior"), QStringLiteral("other")),
             QStringLiteral("1"));
}

void TestSettings::missingValues()
{
    TestWorld w;
    SettingsStore store(w.settingsFile());
    QCOMPARE(store.get_setting(QStringLiteral("Behavior"), QStringLiteral("timeout")), QString());
    QVERIFY(store.save_setting(QStringLiteral("Behavior"), QStringLiteral("timeout"),
                               QStringLiteral("3")));
    QCOMPARE(store.get_setting(QStringLiteral("Viewing"), QStringLiteral("timeout")), QString());
    QCOMPARE(store.get_setting(QString(), QStringLiteral("timeout")), QString());
    // Names are case-sensitive, like the values the program writes.
    QCOMPARE(store.get_setting(QStringLiteral("Behavior"), QStringLiteral("Timeout")), QString());
}

void TestSettings::nulCutsTheText()
{
    TestWorld w;
    SettingsStore store(w.settingsFile());
    QVERIFY(store.save_setting(QStringLiteral("Behavior"), QStringLiteral("v"),
                               QStringLiteral("abc") + QChar(0) + QStringLiteral("def")));
    QCOMPARE(store.get_setting(QStringLiteral("Behavior"), QStringLiteral("v")),
             QStringLiteral("abc"));
}

void TestSettings::layoutOnDisk()
{
    TestWorld w;
    SettingsStore store(w.settingsFile());
    QVERIFY(store.save_setting(QStringLiteral("Behavior"), QStringLiteral("timeout"),
                               QStringLiteral("5")));
    QVERIFY(store.save_setting(QString(), QStringLiteral("version"), QStringLiteral("2.2.0")));
    const QString text = QString::fromUtf8(TestWorld::readAll(w.settingsFile()));
    QVERIFY(text.startsWith(QStringLiteral("; HKEY_LOCAL_MACHINE\\Software\\VO Doziziru\\RW\\\n")));
    // The empty section is the file's top level, ahead of every named section.
    QVERIFY(text.indexOf(QStringLiteral("version=2.2.0")) <
            text.indexOf(QStringLiteral("[Behavior]")));
    QVERIFY(text.contains(QStringLiteral("[Behavior]\ntimeout=5\n")));

    // A hand-edited file with CR LF line ends and comments reads as well.
    w.file(QStringLiteral("Cloakwell.ini"),
           "; note\r\npw=x.kz1\r\n[Appearance]\r\ncolor_2=255\r\n");
    QCOMPARE(store.get_setting(QString(), QStringLiteral("pw")), QStringLiteral("x.kz1"));
    QCOMPARE(store.get_setting(QStringLiteral("Appearance"), QStringLiteral("color_2")),
             QStringLiteral("255"));
}

void TestSettings::deleteSetting()
{
    TestWorld w;
    SettingsStore store(w.settingsFile());
    QVERIFY(store.save_setting(QStringLiteral("Libraries"), QStringLiteral("name_1"),
                               QStringLiteral("A")));
    QVERIFY(store.save_setting(QStringLiteral("Libraries"), QStringLiteral("name_2"),
                               QStringLiteral("B")));
    QVERIFY(store.delete_setting(QStringLiteral("Libraries"), QStringLiteral("name_1")));
    QCOMPARE(store.get_setting(QStringLiteral("Libraries"), QStringLiteral("name_1")), QString());
    QCOMPARE(store.get_setting(QStringLiteral("Libraries"), QStringLiteral("name_2")),
             QStringLiteral("B"));
    QVERIFY(store.delete_setting(QStringLiteral("Libraries"), QStringLiteral("absent")));
}

void TestSettings::createdPrivateAndReplacedWhole()
{
    TestWorld w;
    const QString file = w.path(QStringLiteral("data/sub/Cloakwell.ini"));
    SettingsStore store(file);
    QVERIFY(
        store.save_setting(QStringLiteral("Behavior"), QStringLiteral("a"), QStringLiteral("1")));
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
    // A mode the owner chose is kept across writes.
    QVERIFY(::chmod(QFile::encodeName(file).constData(), 0640) == 0);
    QVERIFY(
        store.save_setting(QStringLiteral("Behavior"), QStringLiteral("b"), QStringLiteral("2")));
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0640u);
    // No temporary siblings are left behind.
    QCOMPARE(QDir(w.path(QStringLiteral("data/sub"))).entryList(QDir::Files).size(), 1);
}

void TestSettings::failedWriteIsReported()
{
    TestWorld w;
    // The folder the store should live in is a file: nothing can be written.
    w.file(QStringLiteral("blocker"), "x");
    SettingsStore store(w.path(QStringLiteral("blocker/Cloakwell.ini")));
    QVERIFY(!store.save_setting(QString(), QStringLiteral("pw"), QStringLiteral("abc.kz1")));
    QCOMPARE(store.get_setting(QString(), QStringLiteral("pw")), QString());

    // An existing store is never replaced by a failed write.
    SettingsStore good(w.settingsFile());
    QVERIFY(good.save_setting(QString(), QStringLiteral("pw"), QStringLiteral("old.kz1")));
    QVERIFY(!good.save_setting(QStringLiteral("Bad]Section"), QStringLiteral("x"),
                               QStringLiteral("1")));
    QCOMPARE(good.get_setting(QString(), QStringLiteral("pw")), QStringLiteral("old.kz1"));
}

void TestSettings::typedReaders_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<qint64>("integer");
    QTest::addColumn<qint64>("colour");
    // The defaults used below: escape_exit 0, timeout 5, color_2 12603392.
    QTest::newRow("missing") << "" << false << qint64(5) << qint64(12603392);
    QTest::newRow("garbage") << "abc" << false << qint64(5) << qint64(12603392);
    QTest::newRow("one") << "1" << true << qint64(1) << qint64(1);
    QTest::newRow("zero") << "0" << false << qint64(0) << qint64(0);
    QTest::newRow("minus one") << "-1" << true << qint64(-1) << qint64(0xFFFFFFFF);
    QTest::newRow("words") << "True" << true << qint64(5) << qint64(12603392);
    QTest::newRow("spaces") << " 7 " << true << qint64(7) << qint64(7);
    QTest::newRow("system colour as Long")
        << "-2147483640" << true << qint64(-2147483640) << qint64(0x80000008);
    QTest::newRow("too large colour")
        << "99999999999" << true << qint64(99999999999) << qint64(12603392);
}

void TestSettings::typedReaders()
{
    QFETCH(QString, stored);
    QFETCH(bool, flag);
    QFETCH(qint64, integer);
    QFETCH(qint64, colour);
    TestWorld w;
    SettingsStore store(w.settingsFile());
    for (const char* n : {"escape_exit", "timeout"})
        QVERIFY(store.save_setting(QStringLiteral("Behavior"), QLatin1String(n), stored));
    QVERIFY(store.save_setting(QStringLiteral("Appearance"), QStringLiteral("color_2"), stored));
    QCOMPARE(read_flag(store, QStringLiteral("Behavior"), QStringLiteral("escape_exit")), flag);
    QCOMPARE(read_integer(store, QStringLiteral("Behavior"), QStringLiteral("timeout")), integer);
    QCOMPARE(qint64(read_colour(store, QStringLiteral("Appearance"), QStringLiteral("color_2"))),
             colour);
}

void TestSettings::preferencesDefaultsAndFallbacks()
{
    TestWorld w;
    SettingsStore store(w.settingsFile());
    const Preferences fresh = load_preferences(store);
    QCOMPARE(fresh.encrypt_level, short(2));
    QVERIFY(fresh.encrypt_level_3_ext.contains(QStringLiteral("mpg")));
    QVERIFY(fresh.encrypt_level_3_ext.contains(QStringLiteral("mp4")));
    // Hidden photos open out of the box.
    QVERIFY(fresh.threshold >= 100LL * 1048576);
    QVERIFY(fresh.auto_show_preview);
    QVERIFY(!fresh.escape_exit);

    // A threshold whose byte count does not fit 32 bits falls back instead of failing.
    QVERIFY(store.save_setting(QStringLiteral("Behavior"), QStringLiteral("threshold"),
                               QStringLiteral("4096")));
    QCOMPARE(load_preferences(store).threshold, fresh.threshold);
    QVERIFY(store.save_setting(QStringLiteral("Behavior"), QStringLiteral("threshold"),
                               QStringLiteral("2047")));
    QCOMPARE(load_preferences(store).threshold, 2047LL * 1048576);
    QVERIFY(store.save_setting(QStringLiteral("Behavior"), QStringLiteral("threshold"),
                               QStringLiteral("0")));
    QCOMPARE(load_preferences(store).threshold, 0LL);
    QVERIFY(store.save_setting(QStringLiteral("Behavior"), QStringLiteral("threshold"),
                               QStringLiteral("99999999999999999999")));
    QCOMPARE(load_preferences(store).threshold, fresh.threshold);

    // A level that would make unrecognisable names takes the default; 0 means "do not hide".
    QVERIFY(store.save_setting(QStringLiteral("Behavior"), QStringLiteral("encrypt_level"),
                               QStringLiteral("4")));
    QCOMPARE(load_preferences(store).encrypt_level, short(2));
    QVERIFY(store.save_setting(QStringLiteral("Behavior"), QStringLiteral("encrypt_level"),
                               QStringLiteral("0")));
    QCOMPARE(load_preferences(store).encrypt_level, short(0));
}

void TestSettings::preferencesFromStore()
{
    TestWorld w;
    SettingsStore store(w.settingsFile());
    const QString b = QStringLiteral("Behavior"), a = QStringLiteral("Appearance");
    QVERIFY(store.save_setting(b, QStringLiteral("encrypt_level"), QStringLiteral("3")));
    QVERIFY(store.save_setting(b, QStringLiteral("encrypt_level_3_ext"), QStringLiteral("avi")));
    QVERIFY(store.save_setting(b, QStringLiteral("threshold"), QStringLiteral("1")));
    QVERIFY(store.save_setting(b, QStringLiteral("escape_exit"), QStringLiteral("1")));
    QVERIFY(store.save_setting(a, QStringLiteral("bold_2"), QStringLiteral("1")));
    QVERIFY(store.save_setting(a, QStringLiteral("color_1"), QStringLiteral("255")));
    QVERIFY(store.save_setting(QStringLiteral("Viewing"), QStringLiteral("auto_show_preview"),
                               QStringLiteral("0")));
    const Preferences p = load_preferences(store);
    QCOMPARE(p.encrypt_level, short(3));
    QCOMPARE(p.encrypt_level_3_ext, QStringLiteral("avi"));
    QCOMPARE(p.threshold, 1048576LL);
    QVERIFY(p.escape_exit);
    QVERIFY(p.bold_2);
    QVERIFY(!p.bold_1);
    QCOMPARE(p.color_1, WinColor(255));
    QVERIFY(!p.auto_show_preview);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
