#include "browse/UiBrowseFolders.h"
#include "browse/mBrowseFolders.h"
#include "browse/mMisc.h"
#include "browse/mSpecialFolders.h"
#include "platform/Drives.h"
#include "support/TestWorld.h"

#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

#include <functional>

Q_DECLARE_METATYPE(platform::DriveType)

using namespace Qt::StringLiterals;

namespace {

std::optional<QByteArray> saved(const char* name)
{
    return qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
}

void restore(const char* name, const std::optional<QByteArray>& value)
{
    value ? void(qputenv(name, *value)) : void(qunsetenv(name));
}

// Points HOME and XDG_CONFIG_HOME into a world for one test, then puts them back.
struct FakeHome
{
    explicit FakeHome(TestWorld& w)
    {
        qputenv("HOME", w.folder(u"home"_s).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", w.folder(u"config"_s).toLocal8Bit());
    }
    ~FakeHome()
    {
        restore("HOME", home);
        restore("XDG_CONFIG_HOME", config);
    }
    const std::optional<QByteArray> home = saved("HOME"), config = saved("XDG_CONFIG_HOME");
};

// Answers the next folder picker once it is up: records the folder it opened
// at, then lets handle() choose or cancel.
void whenPickerOpens(QString* openedAt, std::function<void(QDialog*)> handle)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, openedAt, handle] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        *openedAt = dialog->directory().absolutePath();
        handle(dialog);
    });
    poll->start(10);
}

} // namespace

class TestShellServices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formatSize_data();
    void formatSize();
    void validName_data();
    void validName();
    void csidl_data();
    void csidl();
    void browseRefusesUnsupportedNumber_data();
    void browseRefusesUnsupportedNumber();
    void browseStartFolder_data();
    void browseStartFolder();
    void specialFolders();
    void freeSpace();
    void classifyMount_data();
    void classifyMount();
    void drivesIncludeRoot();
};

void TestShellServices::formatSize_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("bare");
    QTest::addColumn<QString>("text");
    QTest::newRow("512") << 512.0 << false << "512 bytes";
    QTest::newRow("999") << 999.0 << false << "999 bytes";
    QTest::newRow("1000 bare") << 1000.0 << true << "1.0 KB";
    QTest::newRow("1000") << 1000.0 << false << "1.0 KB (1,000 bytes)";
    QTest::newRow("1536") << 1536.0 << false << "1.5 KB (1,536 bytes)";
    // 3.25 and 2.75 KB: halves go to the even neighbour.
    QTest::newRow("half down") << 3328.0 << false << "3.2 KB (3,328 bytes)";
    QTest::newRow("half up") << 2816.0 << true << "2.8 KB";
    QTest::newRow("999.5 KB rounds to 1000") << 1023488.0 << true << "1.0 MB";
    QTest::newRow("1,023,999") << 1023999.0 << false << "1.0 MB (1,023,999 bytes)";
    QTest::newRow("999.5 MB") << 1048051712.0 << false << "1.0 GB (1,048,051,712 bytes)";
    QTest::newRow("5 GB bare") << 5368709120.0 << true << "5.0 GB";
    QTest::newRow("1 TB") << 1099511627776.0 << true << "1024.0 GB";
}

void TestShellServices::formatSize()
{
    QFETCH(double, size);
    QFETCH(bool, bare);
    QFETCH(QString, text);
    QCOMPARE(mMisc::format_size(size, bare), text);
}

void TestShellServices::validName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("two dots") << ".." << false;
    QTest::newRow("three dots") << "..." << false;
    QTest::newRow("dot a") << ".a" << true;
    QTest::newRow("240") << QString(240, 'a') << true;
    QTest::newRow("241") << QString(241, 'a') << false;
    // Characters, not UTF-16 units, are counted.
    QTest::newRow("240 with an emoji")
        << QString(239, 'a') + QString::fromUtf8("\xF0\x9F\x98\x80") << true;
    for (const char* c : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|"})
        QTest::newRow(c) << u"a%1b"_s.arg(QLatin1String(c)) << false;
    // Windows-1252 142 and 158 are letters there, but forbidden all the same.
    QTest::newRow("142") << u"Ka\u017Dar"_s << false;
    QTest::newRow("158") << u"\u017Eena"_s << false;
    for (ushort c : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        QTest::newRow(qPrintable(QString::number(c))) << QString(QChar(c)) + "x" << false;
    QTest::newRow("NUL") << u"a"_s + QChar(0) + u"b"_s << false;
    QTest::newRow("euro, 128") << u"\u20AC 5"_s << true;
    QTest::newRow("accents") << u"Café Noël"_s << true;
}

void TestShellServices::validName()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(mMisc::is_valid_name(name), valid);
}

void TestShellServices::csidl_data()
{
    QTest::addColumn<int>("csidl");
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("supported");
    QTest::addColumn<QString>("description"); // when not supported; "" not checked
    const QString middle = " operating system does not support this Special Folder constant: ";
    auto row = [](const char* name, int csidl, const char* family, bool supported,
                  const QString& description = {}) {
        QTest::newRow(name) << csidl << QString::fromLatin1(family) << supported << description;
    };
    row("2K 48", 48, "2K", true);
    row("2K 49", 49, "2K", false, "Windows 2000" + middle + " (0x31)");
    row("NT 34", 34, "NT", true);
    row("NT 35", 35, "NT", false, "Windows NT" + middle + "CSIDL_COMMON_APPDATA (0x23)");
    row("nt 35", 35, "nt", false, "Windows NT" + middle + "CSIDL_COMMON_APPDATA (0x23)");
    row("9X 21", 21, "9X", true);
    row("9X 22", 22, "9X", false);
    row("36 on 9X", 36, "9X", false, "Windows 9X" + middle + "CSIDL_WINDOWS (0x24)");
    row("last named", 48, "9X", false, "Windows 9X" + middle + "CSIDL_ADMINTOOLS (0x30)");
    row("unknown family", 0, "XP", false);
    row("unnamed 44", 44, "ME", false, "Your" + middle + " (0x2C)");
}

void TestShellServices::csidl()
{
    QFETCH(int, csidl);
    QFETCH(QString, family);
    QFETCH(QString, description);
    QTEST(mBrowseFolders::csidl_supported(csidl, family), "supported");
    if (!description.isEmpty())
        QCOMPARE(mBrowseFolders::unsupported_csidl_description(csidl, family), description);
}

void TestShellServices::browseRefusesUnsupportedNumber_data()
{
    QTest::addColumn<QVariant>("start");
    QTest::newRow("number") << QVariant(49);
    QTest::newRow("numeric text") << QVariant(u"49"_s);
}

void TestShellServices::browseRefusesUnsupportedNumber()
{
    QFETCH(QVariant, start);
    QCOMPARE(mBrowseFolders::os_family(), u"2K"_s);
    mBrowseFolders::BrowseError error;
    // No picker may open: an unexpected one would block this test.
    QCOMPARE(mBrowseFolders::browse_for_folder(nullptr, u"Pick"_s, start, &error), QString());
    QCOMPARE(error.number, 32700);
    QCOMPARE(error.source, u"BrowseFolders.BrowseForFolder"_s);
    QCOMPARE(error.description, QStringLiteral("Windows 2000 operating system does not support "
                                               "this Special Folder constant:  (0x31)"));
}

void TestShellServices::browseStartFolder_data()
{
    QTest::addColumn<QString>("start"); // "#n" for special folder n
    QTest::addColumn<QString>("opensAt");
    QTest::addColumn<bool>("choose");
    QTest::newRow("path") << u"pics"_s << u"pics"_s << true;
    QTest::newRow("path, cancelled") << u"pics"_s << u"pics"_s << false;
    QTest::newRow("my documents") << u"#5"_s << u"home/Documents"_s << true;
}

void TestShellServices::browseStartFolder()
{
    QFETCH(QString, start);
    QFETCH(QString, opensAt);
    QFETCH(bool, choose);
    TestWorld world;
    const FakeHome home(world);
    world.folder(u"home/Documents"_s);
    world.folder(u"home/Desktop"_s);
    world.folder(u"pics"_s);
    const QVariant startValue =
        start.startsWith('#') ? QVariant(start.mid(1).toInt()) : QVariant(world.path(start));

    QString openedAt;
    whenPickerOpens(&openedAt, [choose](QDialog* d) { choose ? d->accept() : d->reject(); });
    mBrowseFolders::BrowseError error;
    const QString chosen =
        mBrowseFolders::browse_for_folder(nullptr, u"Pick"_s, startValue, &error);

    QCOMPARE(openedAt, world.path(opensAt));
    QCOMPARE(chosen, choose ? world.path(opensAt) : QString());
    QCOMPARE(error.number, 0);
}

void TestShellServices::specialFolders()
{
    TestWorld world;
    const FakeHome home(world);
    using mSpecialFolders::special_folder_path;

    // A user without the folders gets no path, not one that leads nowhere.
    QCOMPARE(special_folder_path(mSpecialFolders::CSIDL_DESKTOP), QString());
    QCOMPARE(special_folder_path(mSpecialFolders::CSIDL_PERSONAL), QString());

    world.folder(u"home/Desktop"_s);
    world.folder(u"home/Documents"_s);
    QCOMPARE(special_folder_path(0), world.path(u"home/Desktop"_s));
    QCOMPARE(special_folder_path(5), world.path(u"home/Documents"_s));

    // The desktop's own folder names are honoured.
    world.folder(u"home/Dokumente"_s);
    world.file(u"config/user-dirs.dirs"_s, "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    QCOMPARE(special_folder_path(5), world.path(u"home/Dokumente"_s));

    QCOMPARE(special_folder_path(39), QString());
}

void TestShellServices::freeSpace()
{
    TestWorld world;
    QCOMPARE(mMisc::folder_free_space(world.path(u"missing"_s)), 0.0);
    QCOMPARE(mMisc::folder_free_space(world.file(u"file"_s)), 0.0);
    QVERIFY(mMisc::folder_free_space(world.root()) > 0);
}

void TestShellServices::classifyMount_data()
{
    using T = platform::DriveType;
    QTest::addColumn<QString>("mountPoint");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<T>("drive");
    auto row = [](const char* name, const char* at, const char* type, bool readOnly, bool shown,
                  T drive = T::Fixed) {
        QTest::newRow(name) << QString::fromLatin1(at) << QByteArray(type) << readOnly << shown
                            << drive;
    };
    row("root overlay", "/", "overlay", false, true);
    row("home", "/home", "ext4", false, true);
    row("name begins with media", "/mediadata", "xfs", false, true);
    row("stick", "/media/ann/STICK", "vfat", false, true, T::Removable);
    row("read-only stick", "/run/media/ann/OLD", "exfat", true, true, T::Removable);
    row("disc", "/media/ann/PHOTOS", "iso9660", true, true, T::CdRom);
    row("share", "/srv/share", "nfs4", false, true, T::Network);
    row("proc", "/proc", "proc", false, false);
    row("runtime dir", "/run/user/1000", "tmpfs", false, false);
    row("efi", "/boot/efi", "vfat", false, false);
    row("read-only system", "/usr", "ext4", true, false);
}

void TestShellServices::classifyMount()
{
    QFETCH(QString, mountPoint);
    QFETCH(QByteArray, type);
    QFETCH(bool, readOnly);
    QFETCH(bool, shown);
    QFETCH(platform::DriveType, drive);
    const std::optional<platform::DriveType> got =
        platform::classifyMount(mountPoint, type, readOnly);
    QCOMPARE(got.has_value(), shown);
    if (shown)
        QCOMPARE(*got, drive);
}

void TestShellServices::drivesIncludeRoot()
{
    const std::vector<platform::Drive> drives = platform::listDrives();
    QVERIFY(!drives.empty());
    QCOMPARE(drives.front().key, u"/"_s);
    QCOMPARE(drives.front().mountPoint, u"/"_s);
    for (const platform::Drive& d : drives) {
        QVERIFY2(d.key == d.mountPoint + '/' || d.key == QLatin1String("/"), qPrintable(d.key));
        QVERIFY2(QFileInfo(d.mountPoint).isDir(), qPrintable(d.mountPoint));
    }
}

QTEST_MAIN(TestShellServices)
#include "tst_shellservices.moc"
