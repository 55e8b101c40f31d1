#include "browse/UiBrowseFolders.h"
#include "browse/mBrowseFolders.h"
#include "browse/mFileInfo.h"
#include "browse/mMisc.h"
#include "browse/mSpecialFolders.h"
#include "platform/Drives.h"
#include "support/TestWorld.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
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
    void removableDevice_data();
    void removableDevice();
    void drivesIncludeRoot();
};

void TestShellServices::formatSize_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("bare");
    QTest::addColumn<QString>("text");
    const QString c = u"C"_s;
    QTest::newRow("512") << c << 512.0 << false << "512 bytes";
    QTest::newRow("999") << c << 999.0 << false << "999 bytes";
    QTest::newRow("1000 bare") << c << 1000.0 << true << "1.0 KB";
    QTest::newRow("1000") << c << 1000.0 << false << "1.0 KB (1,000 bytes)";
    QTest::newRow("1536") << c << 1536.0 << false << "1.5 KB (1,536 bytes)";
    // 3.25 and 2.75 KB: halves go to the even neighbour.
    QTest::newRow("half down") << c << 3328.0 << false << "3.2 KB (3,328 bytes)";
    QTest::newRow("half up") << c << 2816.0 << true << "2.8 KB";
    QTest::newRow("999.5 KB rounds to 1000") << c << 1023488.0 << true << "1.0 MB";
    QTest::newRow("1,023,999") << c << 1023999.0 << false << "1.0 MB (1,023,999 bytes)";
    QTest::newRow("999.5 MB") << c << 1048051712.0 << false << "1.0 GB (1,048,051,712 bytes)";
    QTest::newRow("5 GB bare") << c << 5368709120.0 << true << "5.0 GB";
    QTest::newRow("1 TB") << c << 1099511627776.0 << true << "1024.0 GB";
    // The locale's separators, as in the Size column.
    const QString de = u"de_DE"_s;
    QTest::newRow("German 1536") << de << 1536.0 << false << "1,5 KB (1.536 bytes)";
    QTest::newRow("German 1,023,999") << de << 1023999.0 << false << "1,0 MB (1.023.999 bytes)";
    QTest::newRow("German 1 TB") << de << 1099511627776.0 << true << "1024,0 GB";
    QTest::newRow("German 999") << de << 999.0 << false << "999 bytes";
}

void TestShellServices::formatSize()
{
    QFETCH(QString, locale);
    QFETCH(double, size);
    QFETCH(bool, bare);
    QFETCH(QString, text);
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    const QString got = mMisc::format_size(size, bare);
    // The byte count is grouped exactly as the Size column groups kilobytes.
    const QString column = mFileInfo::format_list_size(quint64(size) * 1024);
    QLocale::setDefault(before);
    QCOMPARE(got, text);
    if (!bare && size >= 1000)
        QVERIFY2(got.contains(u" ("_s + column.chopped(3) + u" bytes)"_s), qPrintable(column));
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
    // Never the program's working folder.
    QTest::newRow("none") << u""_s << u"home"_s << true;
    QTest::newRow("path typed before its folders exist")
        << u"pics/2024/june"_s << u"pics"_s << true;
    QTest::newRow("special folder this user lacks") << u"#39"_s << u"home"_s << false;
    // What the New Library dialog passes: the text typed in its path box.
    QTest::newRow("typed path") << u"typed:pics"_s << u"pics"_s << true;
    QTest::newRow("typed digits are no special folder") << u"typed:5"_s << u"home"_s << false;
    QTest::newRow("typed nothing") << u"typed:"_s << u"home"_s << false;
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
    QVariant startValue;
    if (start.startsWith(u"typed:"_s)) {
        const QString typed = start.mid(6);
        const bool path = !typed.isEmpty() && !typed[0].isDigit();
        startValue = mBrowseFolders::typedStart(path ? world.path(typed) : typed);
    } else if (start.startsWith('#')) {
        startValue = start.mid(1).toInt();
    } else if (!start.isEmpty()) {
        startValue = world.path(start);
    }
    // The working folder is one the picker must not fall back to.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(world.folder(u"elsewhere"_s));

    QString openedAt;
    whenPickerOpens(&openedAt, [choose](QDialog* d) { choose ? d->accept() : d->reject(); });
    mBrowseFolders::BrowseError error;
    const QString chosen =
        mBrowseFolders::browse_for_folder(nullptr, u"Pick"_s, startValue, &error);
    QDir::setCurrent(cwd);

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
    QTest::addColumn<bool>("removableDevice");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<T>("drive");
    auto row = [](const char* name, const char* at, const char* type, bool readOnly, bool removable,
                  bool shown, T drive = T::Fixed) {
        QTest::newRow(name) << QString::fromLatin1(at) << QByteArray(type) << readOnly << removable
                            << shown << drive;
    };
    row("root overlay", "/", "overlay", false, false, true);
    row("read-only root", "/", "ext4", true, false, true);
    row("home", "/home", "ext4", false, false, true);
    row("name begins with media", "/mediadata", "xfs", false, false, true);
    row("stick", "/media/ann/STICK", "vfat", false, true, true, T::Removable);
    row("read-only stick", "/run/media/ann/OLD", "exfat", true, true, true, T::Removable);
    row("stick mounted elsewhere", "/srv/stick", "vfat", false, true, true, T::Removable);
    row("disk under /mnt", "/mnt/photos", "ext4", false, false, true);
    row("disk under /media", "/media/ann/Backup", "ntfs3", false, false, true);
    row("read-only data disk", "/data", "ext4", true, false, true);
    row("read-only data disk under /mnt", "/mnt/archive", "xfs", true, false, true);
    row("disc", "/media/ann/PHOTOS", "iso9660", true, true, true, T::CdRom);
    row("share", "/srv/share", "nfs4", false, false, true, T::Network);
    row("proc", "/proc", "proc", false, false, false);
    row("runtime dir", "/run/user/1000", "tmpfs", false, false, false);
    row("efi", "/boot/efi", "vfat", false, false, false);
    row("read-only system", "/usr", "ext4", true, false, false);
    row("read-only /var", "/var", "ext4", true, false, false);
}

void TestShellServices::classifyMount()
{
    QFETCH(QString, mountPoint);
    QFETCH(QByteArray, type);
    QFETCH(bool, readOnly);
    QFETCH(bool, removableDevice);
    QFETCH(bool, shown);
    QFETCH(platform::DriveType, drive);
    const std::optional<platform::DriveType> got =
        platform::classifyMount({mountPoint, type, readOnly, removableDevice});
    QCOMPARE(got.has_value(), shown);
    if (shown)
        QCOMPARE(*got, drive);
}

void TestShellServices::removableDevice_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("removable");
    QTest::newRow("partition of a stick") << "/dev/sdb1" << true;
    QTest::newRow("whole stick") << "/dev/sdb" << true;
    QTest::newRow("partition of a fixed disk") << "/dev/sda2" << false;
    QTest::newRow("unknown device") << "/dev/nvme9n1p1" << false;
    QTest::newRow("not a device") << "tmpfs" << false;
}

// The kernel's flag is read from the disk, also for one of its partitions.
void TestShellServices::removableDevice()
{
    QFETCH(QString, device);
    QFETCH(bool, removable);
    TestWorld world;
    for (const char* disk : {"sda", "sdb"}) {
        const QString at = u"sys/devices/usb/block/"_s + QLatin1String(disk);
        world.file(at + u"/removable"_s, disk == QByteArray("sdb") ? "1\n" : "0\n");
        world.file(at + u"/"_s + QLatin1String(disk) + u"1/partition"_s, "1\n");
        world.file(at + u"/"_s + QLatin1String(disk) + u"2/partition"_s, "2\n");
    }
    world.folder(u"sys/class/block"_s);
    for (const char* name : {"sda", "sda1", "sda2", "sdb", "sdb1", "sdb2"}) {
        const QString disk = QString::fromLatin1(name).left(3);
        const QString target = world.path(u"sys/devices/usb/block/"_s + disk +
                                          (qstrlen(name) > 3 ? u"/"_s + QLatin1String(name) : ""));
        QVERIFY(QFile::link(target, world.path(u"sys/class/block/"_s + QLatin1String(name))));
    }
    QCOMPARE(platform::isRemovableDevice(device, world.path(u"sys/class/block"_s)), removable);
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
