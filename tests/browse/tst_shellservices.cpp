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

namespace {

// Sets environment variables for one test and puts the old values back.
class EnvOverride
{
public:
    void set(const char* name, const QByteArray& value)
    {
        if (!m_saved.contains(name))
            m_saved.insert(name, qEnvironmentVariableIsSet(name)
                                     ? std::optional<QByteArray>(qgetenv(name))
                                     : std::nullopt);
        qputenv(name, value);
    }
    ~EnvOverride()
    {
        for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
            if (it.value())
                qputenv(it.key().constData(), *it.value());
            else
                qunsetenv(it.key().constData());
        }
    }

private:
    QMap<QByteArray, std::optional<QByteArray>> m_saved;
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
    void csidlSupported_data();
    void csidlSupported();
    void unsupportedCsidl_data();
    void unsupportedCsidl();
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
        QTest::newRow(c) << QStringLiteral("a%1b").arg(QLatin1String(c)) << false;
    // Windows-1252 142 and 158 are letters there, but forbidden all the same.
    QTest::newRow("142") << QStringLiteral("Ka\u017Dar") << false;
    QTest::newRow("158") << QStringLiteral("\u017Eena") << false;
    for (ushort c : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        QTest::newRow(qPrintable(QString::number(c))) << QString(QChar(c)) + "x" << false;
    QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << false;
    QTest::newRow("euro, 128") << QStringLiteral("\u20AC 5") << true;
    QTest::newRow("accents") << QStringLiteral("Café Noël") << true;
}

void TestShellServices::validName()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(mMisc::is_valid_name(name), valid);
}

void TestShellServices::csidlSupported_data()
{
    QTest::addColumn<int>("csidl");
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("supported");
    QTest::newRow("2K 48") << 48 << "2K" << true;
    QTest::newRow("2K 49") << 49 << "2K" << false;
    QTest::newRow("NT 34") << 34 << "NT" << true;
    QTest::newRow("NT 35") << 35 << "NT" << false;
    QTest::newRow("9X 21") << 21 << "9X" << true;
    QTest::newRow("9X 22") << 22 << "9X" << false;
    QTest::newRow("unknown family") << 0 << "XP" << false;
}

void TestShellServices::csidlSupported()
{
    QFETCH(int, csidl);
    QFETCH(QString, family);
    QFETCH(bool, supported);
    QCOMPARE(mBrowseFolders::csidl_supported(csidl, family), supported);
}

void TestShellServices::unsupportedCsidl_data()
{
    QTest::addColumn<int>("csidl");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("description");
    const QString middle = " operating system does not support this Special Folder constant: ";
    QTest::newRow("36 on 9X") << 36 << "9X"
                              << "Windows 9X" + middle + "CSIDL_WINDOWS (0x24)";
    QTest::newRow("35 on NT") << 35 << "nt"
                              << "Windows NT" + middle + "CSIDL_COMMON_APPDATA (0x23)";
    QTest::newRow("unnamed 44") << 44 << "ME"
                                << "Your" + middle + " (0x2C)";
    QTest::newRow("last named") << 48 << "9X"
                                << "Windows 9X" + middle + "CSIDL_ADMINTOOLS (0x30)";
    QTest::newRow("49 on 2K") << 49 << "2K"
                              << "Windows 2000" + middle + " (0x31)";
}

void TestShellServices::unsupportedCsidl()
{
    QFETCH(int, csidl);
    QFETCH(QString, family);
    QFETCH(QString, description);
    QCOMPARE(mBrowseFolders::unsupported_csidl_description(csidl, family), description);
}

void TestShellServices::browseRefusesUnsupportedNumber_data()
{
    QTest::addColumn<QVariant>("start");
    QTest::newRow("number") << QVariant(49);
    QTest::newRow("numeric text") << QVariant(QStringLiteral("49"));
}

void TestShellServices::browseRefusesUnsupportedNumber()
{
    QFETCH(QVariant, start);
    QCOMPARE(mBrowseFolders::os_family(), QStringLiteral("2K"));
    mBrowseFolders::BrowseError error;
    // No picker may open: an unexpected one would block this test.
    QCOMPARE(mBrowseFolders::browse_for_folder(nullptr, QStringLiteral("Pick"), start, &error),
             QString());
    QCOMPARE(error.number, 32700);
    QCOMPARE(error.source, QStringLiteral("BrowseFolders.BrowseForFolder"));
    QCOMPARE(error.description, QStringLiteral("Windows 2000 operating system does not support "
                                               "this Special Folder constant:  (0x31)"));
}

void TestShellServices::browseStartFolder_data()
{
    QTest::addColumn<QString>("start"); // "#n" for special folder n
    QTest::addColumn<QString>("opensAt");
    QTest::addColumn<bool>("choose");
    QTest::newRow("path") << "pics"
                          << "pics" << true;
    QTest::newRow("path, cancelled") << "pics"
                                     << "pics" << false;
    QTest::newRow("my documents") << "#5"
                                  << "home/Documents" << true;
}

void TestShellServices::browseStartFolder()
{
    QFETCH(QString, start);
    QFETCH(QString, opensAt);
    QFETCH(bool, choose);
    TestWorld world;
    EnvOverride env;
    env.set("HOME", world.folder(QStringLiteral("home")).toLocal8Bit());
    env.set("XDG_CONFIG_HOME", world.folder(QStringLiteral("config")).toLocal8Bit());
    world.folder(QStringLiteral("home/Documents"));
    world.folder(QStringLiteral("home/Desktop"));
    world.folder(QStringLiteral("pics"));
    const QVariant startValue =
        start.startsWith('#') ? QVariant(start.mid(1).toInt()) : QVariant(world.path(start));

    QString openedAt;
    whenPickerOpens(&openedAt, [choose](QDialog* d) { choose ? d->accept() : d->reject(); });
    mBrowseFolders::BrowseError error;
    const QString chosen =
        mBrowseFolders::browse_for_folder(nullptr, QStringLiteral("Pick"), startValue, &error);

    QCOMPARE(openedAt, world.path(opensAt));
    QCOMPARE(chosen, choose ? world.path(opensAt) : QString());
    QCOMPARE(error.number, 0);
}

void TestShellServices::specialFolders()
{
    TestWorld world;
    EnvOverride env;
    env.set("HOME", world.folder(QStringLiteral("home")).toLocal8Bit());
    env.set("XDG_CONFIG_HOME", world.folder(QStringLiteral("config")).toLocal8Bit());
    using mSpecialFolders::special_folder_path;

    // A user without the folders gets no path, not one that leads nowhere.
    QCOMPARE(special_folder_path(mSpecialFolders::CSIDL_DESKTOP), QString());
    QCOMPARE(special_folder_path(mSpecialFolders::CSIDL_PERSONAL), QString());

    world.folder(QStringLiteral("home/Desktop"));
    world.folder(QStringLiteral("home/Documents"));
    QCOMPARE(special_folder_path(0), world.path(QStringLiteral("home/Desktop")));
    QCOMPARE(special_folder_path(5), world.path(QStringLiteral("home/Documents")));

    // The desktop's own folder names are honoured.
    world.folder(QStringLiteral("home/Dokumente"));
    world.file(QStringLiteral("config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    QCOMPARE(special_folder_path(5), world.path(QStringLiteral("home/Dokumente")));

    QCOMPARE(special_folder_path(39), QString());
}

void TestShellServices::freeSpace()
{
    TestWorld world;
    QCOMPARE(mMisc::folder_free_space(world.path(QStringLiteral("missing"))), 0.0);
    QCOMPARE(mMisc::folder_free_space(world.file(QStringLiteral("file"))), 0.0);
    QVERIFY(mMisc::folder_free_space(world.root()) > 0);
}

void TestShellServices::classifyMount_data()
{
    using platform::DriveType;
    QTest::addColumn<QString>("mountPoint");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<DriveType>("drive");
    QTest::newRow("root overlay") << "/" << QByteArray("overlay") << false << true
                                  << DriveType::Fixed;
    QTest::newRow("home") << "/home" << QByteArray("ext4") << false << true << DriveType::Fixed;
    QTest::newRow("name begins with media")
        << "/mediadata" << QByteArray("xfs") << false << true << DriveType::Fixed;
    QTest::newRow("stick") << "/media/ann/STICK" << QByteArray("vfat") << false << true
                           << DriveType::Removable;
    QTest::newRow("read-only stick")
        << "/run/media/ann/OLD" << QByteArray("exfat") << true << true << DriveType::Removable;
    QTest::newRow("disc") << "/media/ann/PHOTOS" << QByteArray("iso9660") << true << true
                          << DriveType::CdRom;
    QTest::newRow("share") << "/srv/share" << QByteArray("nfs4") << false << true
                           << DriveType::Network;
    QTest::newRow("proc") << "/proc" << QByteArray("proc") << false << false << DriveType::Fixed;
    QTest::newRow("runtime dir") << "/run/user/1000" << QByteArray("tmpfs") << false << false
                                 << DriveType::Fixed;
    QTest::newRow("efi") << "/boot/efi" << QByteArray("vfat") << false << false << DriveType::Fixed;
    QTest::newRow("read-only system")
        << "/usr" << QByteArray("ext4") << true << false << DriveType::Fixed;
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
    QCOMPARE(drives.front().key, QStringLiteral("/"));
    QCOMPARE(drives.front().mountPoint, QStringLiteral("/"));
    for (const platform::Drive& d : drives) {
        QVERIFY2(d.key == d.mountPoint + '/' || d.key == QLatin1String("/"), qPrintable(d.key));
        QVERIFY2(QFileInfo(d.mountPoint).isDir(), qPrintable(d.mountPoint));
    }
}

QTEST_MAIN(TestShellServices)
#include "tst_shellservices.moc"
