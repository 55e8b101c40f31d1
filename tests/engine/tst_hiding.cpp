#include "engine/mEncrypt.h"
#include "platform/FileSystem.h"
#include "support/ScriptedPrompt.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mEncrypt;
using platform::faults::Plan;
Q_DECLARE_METATYPE(platform::faults::Plan)

namespace {

QByteArray inverted(QByteArray bytes, qint64 from, qint64 len)
{
    for (qint64 i = from; i < from + len && i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(~static_cast<unsigned char>(bytes[i]));
    return bytes;
}

// The bytes a hidden file must hold at a level.
QByteArray expectedHidden(const QByteArray& plain, int level)
{
    if (level == 2)
        return inverted(plain, 0, 1);
    if (level == 3)
        return inverted(plain, 0, qMin<qint64>(plain.size(), kLevel3Region));
    return plain;
}

} // namespace

class TestHiding : public QObject
{
    Q_OBJECT
private:
    settings::Preferences prefs;
    ScriptedPrompt prompt;
    Context ctx() { return Context{prefs, prompt}; }

private Q_SLOTS:
    void init()
    {
        prefs = settings::Preferences{};
        prefs.encrypt_level = 2;
        prefs.encrypt_level_3_ext = QStringLiteral("mpg mpeg");
        prompt.clear();
        platform::faults::disarm();
    }
    void cleanup()
    {
        platform::faults::disarm();
        QVERIFY2(prompt.unexpected.isEmpty(), qPrintable(prompt.unexpected.join(QLatin1Char('|'))));
        QCOMPARE(prompt.pending(), 0);
    }

    void roundTrip_data();
    void roundTrip();
    void levelChoice_data();
    void levelChoice();
    void levelZeroDoesNothing();
    void chunkedIo();
    void folders();
    void refusals();
    void inUseByAnotherProcess();
    void faultsLeaveFileUntouched_data();
    void faultsLeaveFileUntouched();
    void clashRaceRefuses();
    void symbolicLinksAreNeverWrittenThrough();
    void unreadableNameIsRefused();
};

void TestHiding::roundTrip_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<qint64>("size");
    for (int level : {1, 2, 3})
        for (qint64 size : {0LL, 1LL, 32767LL, 32768LL, 262135LL, 262136LL, 10LL * 1000 * 1000})
            QTest::addRow("level %d, %lld bytes", level, size) << level << size;
}

void TestHiding::roundTrip()
{
    QFETCH(int, level);
    QFETCH(qint64, size);
    TestWorld w;
    prefs.encrypt_level = static_cast<short>(level);
    prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    const QByteArray original = TestWorld::pattern(size, 7);
    const QString path = w.file(QStringLiteral("lib/Beach Day-01.jpg"), original);

    const QString hidden = hide_file(path, ctx());
    QCOMPARE(hidden,
             make_hidden_name(QStringLiteral("Beach Day-01.jpg"), static_cast<short>(level)));
    QVERIFY(!QFile::exists(path));
    const QString hiddenPath = w.path(QStringLiteral("lib/") + hidden);
    QCOMPARE(TestWorld::readAll(hiddenPath), expectedHidden(original, level));

    const QString plain = unhide_file(hiddenPath, ctx());
    QCOMPARE(plain, QStringLiteral("Beach Day-01.jpg"));
    QCOMPARE(TestWorld::readAll(path), original);
    QCOMPARE(QDir(w.path(QStringLiteral("lib"))).entryList(QDir::Files).size(), 1);
}

void TestHiding::levelChoice_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("level");
    QTest::newRow("upper-case mpg") << 3 << "clip.MPG" << 3;
    QTest::newRow("jpg not listed") << 3 << "beach.jpg" << 2;
    QTest::newRow("no extension") << 3 << "readme" << 3;
    QTest::newRow("substring mp") << 3 << "a.mp" << 3;
    QTest::newRow("last dot counts") << 3 << "a.mpg.jpg" << 2;
    QTest::newRow("level 1") << 1 << "clip.mpg" << 1;
    QTest::newRow("level 2") << 2 << "clip.mpg" << 2;
}

void TestHiding::levelChoice()
{
    QFETCH(int, setting);
    QFETCH(QString, name);
    QFETCH(int, level);
    TestWorld w;
    prefs.encrypt_level = static_cast<short>(setting);
    const QString path = w.file(name, TestWorld::pattern(1000));
    const QString hidden = hide_file(path, ctx());
    QCOMPARE(hidden, make_hidden_name(name, static_cast<short>(level)));
    // The unhide reads the level back from the name, whatever the settings say now.
    prefs.encrypt_level = 1;
    QCOMPARE(unhide_file(w.path(hidden), ctx()), name);
    QCOMPARE(TestWorld::readAll(path), TestWorld::pattern(1000));
}

void TestHiding::levelZeroDoesNothing()
{
    TestWorld w;
    const QString path = w.file(QStringLiteral("a.jpg"), "abc");
    for (short level : {short(0), short(-1)}) {
        prefs.encrypt_level = level;
        QCOMPARE(hide_file(path, ctx()), QString());
        QCOMPARE(TestWorld::readAll(path), QByteArray("abc"));
    }
    QVERIFY(prompt.seen.isEmpty());
}

void TestHiding::chunkedIo()
{
    // Level 3 touches at most 262,136 bytes in at most 8 reads and 8 writes,
    // level 2 one byte, level 1 none.
    TestWorld w;
    struct Case
    {
        short level;
        qint64 size;
        int chunks;
        qint64 bytes;
    };
    const Case cases[] = {{3, 10 * 1000 * 1000, 8, 262136},
                          {3, 32768, 2, 32768},
                          {3, 32767, 1, 32767},
                          {3, 1, 1, 1},
                          {2, 10 * 1000 * 1000, 1, 1},
                          {1, 10 * 1000 * 1000, 0, 0}};
    prefs.encrypt_level_3_ext = QStringLiteral("bin");
    for (const Case& c : cases) {
        prefs.encrypt_level = c.level;
        const QString path = w.randomFile(QStringLiteral("f.bin"), c.size);
        platform::resetIoCounters();
        const QString hidden = hide_file(path, ctx());
        QVERIFY(!hidden.isEmpty());
        const auto io = platform::ioCounters();
        QCOMPARE(io.reads, c.chunks);
        QCOMPARE(io.writes, c.chunks);
        QCOMPARE(io.bytesRead, c.bytes);
        QCOMPARE(io.bytesWritten, c.bytes);
        QVERIFY(QFile::remove(w.path(hidden)));
    }
}

void TestHiding::folders()
{
    TestWorld w;
    w.file(QStringLiteral("lib/Holiday 2001/a.jpg"), "x");
    const QString hidden = hide_folder(w.path(QStringLiteral("lib/Holiday 2001")), ctx());
    QCOMPARE(hidden, QStringLiteral("Slorwzb 2001.kz1"));
    QCOMPARE(TestWorld::readAll(w.path(QStringLiteral("lib/Slorwzb 2001.kz1/a.jpg"))),
             QByteArray("x"));
    // A trailing separator names the same folder.
    QCOMPARE(unhide_folder(w.path(QStringLiteral("lib/Slorwzb 2001.kz1/")), ctx()),
             QStringLiteral("Holiday 2001"));
    QVERIFY(QFile::exists(w.path(QStringLiteral("lib/Holiday 2001/a.jpg"))));
}

void TestHiding::refusals()
{
    using platform::PromptAnswer;
    TestWorld w;
    const QString missing = w.path(QStringLiteral("nothing"));
    auto check = [&](const QString& result, const QString& text, const QString& title) {
        QCOMPARE(result, QString());
        QCOMPARE(prompt.seen.size(), 1);
        QCOMPARE(prompt.seen.front().text, text);
        QCOMPARE(prompt.seen.front().title, title);
        QCOMPARE(prompt.seen.front().buttons, platform::PromptButtons::Ok);
        prompt.clear();
    };

    prompt.acceptMessages();
    check(hide_folder(missing, ctx()), QStringLiteral("Folder not found: ") + missing,
          QStringLiteral("Encrypt folder error"));
    prompt.acceptMessages();
    check(unhide_folder(missing, ctx()), QStringLiteral("Folder not found: ") + missing,
          QStringLiteral("Decrypt folder error"));
    prompt.acceptMessages();
    check(hide_file(missing, ctx()), QStringLiteral("File not found"),
          QStringLiteral("Encrypt error"));
    prompt.acceptMessages();
    check(unhide_file(missing, ctx()), QStringLiteral("File not found"),
          QStringLiteral("Decrypt Error"));

    // Clashes: the item and the one already bearing the target name stay as they are.
    const QString folder = w.folder(QStringLiteral("Pics"));
    w.folder(QStringLiteral("Krxh.kz1"));
    prompt.acceptMessages();
    check(hide_folder(folder, ctx()),
          QStringLiteral("Pics cannot be encrypted because the encrypted name already exists."),
          QStringLiteral("Encrypt Error"));
    QVERIFY(QFileInfo(folder).isDir());

    const QString hiddenFolder = w.folder(QStringLiteral("Wlxh.kz1"));
    w.file(QStringLiteral("Docs"), "a file of that name");
    prompt.acceptMessages();
    check(unhide_folder(hiddenFolder, ctx()),
          QStringLiteral("Docs cannot be decrypted because the decrypted name already exists."),
          QStringLiteral("Decrypt Error"));

    const QString file = w.file(QStringLiteral("cat.jpg"), "meow");
    w.file(QStringLiteral("xzg-qkt.kz2"), "other");
    prompt.acceptMessages();
    check(hide_file(file, ctx()),
          QStringLiteral(
              "cat.jpg cannot be encrypted because the encrypted file name already exists."),
          QStringLiteral("Encrypt error"));
    QCOMPARE(TestWorld::readAll(file), QByteArray("meow"));
    QCOMPARE(TestWorld::readAll(w.path(QStringLiteral("xzg-qkt.kz2"))), QByteArray("other"));

    prompt.acceptMessages();
    check(unhide_file(w.path(QStringLiteral("xzg-qkt.kz2")), ctx()),
          QStringLiteral(
              "cat.jpg cannot be decrypted because the decrypted file name already exists."),
          QStringLiteral("Decrypt Error"));

    const QString already = w.file(QStringLiteral("dog.KZ3"), "woof");
    prompt.acceptMessages();
    check(hide_file(already, ctx()), already + QStringLiteral(" is already encrypted."),
          QStringLiteral("Encrypt error"));
    prompt.acceptMessages();
    check(unhide_file(file, ctx()), QStringLiteral("cat.jpg is already decrypted."),
          QStringLiteral("Decrypt Error"));

    // A folder rename the system refuses.
    const QString busy = w.folder(QStringLiteral("Busy"));
    platform::faults::arm(Plan{0, 0, 0, 1, 0, {}});
    prompt.acceptMessages();
    check(hide_folder(busy, ctx()),
          busy + QStringLiteral(" cannot be encrypted. The folder may be in use by another "
                                "application or process."),
          QStringLiteral("Folder encrypt failure"));
    const QString busyHidden = w.folder(QStringLiteral("Yfhbvw.kz1"));
    platform::faults::arm(Plan{0, 0, 0, 1, 0, {}});
    prompt.acceptMessages();
    check(unhide_folder(busyHidden, ctx()),
          busyHidden + QStringLiteral(" cannot be decrypted. The folder may be in use by another "
                                      "application or process."),
          QStringLiteral("Folder decrypt failure"));
}

void TestHiding::inUseByAnotherProcess()
{
    TestWorld w;
    const QString file = w.file(QStringLiteral("movie.mpg"), TestWorld::pattern(5000));
    const QString hiddenFile = w.file(QStringLiteral("nlfhv-qkt.kz2"), TestWorld::pattern(5000));
    QVERIFY(file_available(file));

    // Another process holds both files open.
    QProcess holder;
    holder.setProgram(QStringLiteral("/bin/sh"));
    holder.setArguments({QStringLiteral("-c"),
                         QStringLiteral("exec 3<\"$1\" 4<\"$2\"; echo ready; exec sleep 60"),
                         QStringLiteral("sh"), file, hiddenFile});
    holder.start();
    QVERIFY(holder.waitForReadyRead(10000));
    QVERIFY(!file_available(file));

    prompt.acceptMessages(2);
    QCOMPARE(hide_file(file, ctx()), QString());
    QCOMPARE(prompt.seen[0].text,
             QStringLiteral("movie.mpg may be in use by another application or process"));
    QCOMPARE(prompt.seen[0].title, QStringLiteral("Encrypt error: File in use"));
    QCOMPARE(unhide_file(hiddenFile, ctx()), QString());
    QCOMPARE(prompt.seen[1].text,
             QStringLiteral("mouse.jpg may be in use by another application or process"));
    QCOMPARE(prompt.seen[1].title, QStringLiteral("Decrypt Error"));
    QCOMPARE(TestWorld::readAll(file), TestWorld::pattern(5000));

    holder.kill();
    holder.waitForFinished();
    QVERIFY(file_available(file));
}

void TestHiding::faultsLeaveFileUntouched_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("unhide");
    QTest::addColumn<Plan>("plan");
    for (bool unhide : {false, true}) {
        const char* op = unhide ? "unhide" : "hide";
        QTest::addRow("%s level 2 open", op) << 2 << unhide << Plan{1, 0, 0, 0, 0, {}};
        QTest::addRow("%s level 2 read", op) << 2 << unhide << Plan{0, 1, 0, 0, 0, {}};
        QTest::addRow("%s level 2 write", op) << 2 << unhide << Plan{0, 0, 1, 0, 0, {}};
        QTest::addRow("%s level 2 rename", op) << 2 << unhide << Plan{0, 0, 0, 1, 0, {}};
        QTest::addRow("%s level 3 open", op) << 3 << unhide << Plan{1, 0, 0, 0, 0, {}};
        QTest::addRow("%s level 3 rename", op) << 3 << unhide << Plan{0, 0, 0, 1, 0, {}};
        for (int k = 1; k <= 8; ++k) {
            QTest::addRow("%s level 3 read %d", op, k) << 3 << unhide << Plan{0, k, 0, 0, 0, {}};
            QTest::addRow("%s level 3 write %d", op, k) << 3 << unhide << Plan{0, 0, k, 0, 0, {}};
            QTest::addRow("%s level 3 short write %d", op, k)
                << 3 << unhide << Plan{0, 0, 0, 0, k, {}};
        }
    }
}

void TestHiding::faultsLeaveFileUntouched()
{
    QFETCH(int, level);
    QFETCH(bool, unhide);
    QFETCH(Plan, plan);
    TestWorld w;
    prefs.encrypt_level = static_cast<short>(level);
    prefs.encrypt_level_3_ext = QStringLiteral("mov");
    const QByteArray original = TestWorld::pattern(1000 * 1000, 3);
    QString path = w.file(QStringLiteral("clip.mov"), original);
    QByteArray before = original;
    if (unhide) {
        path = w.path(hide_file(path, ctx()));
        before = TestWorld::readAll(path);
        QCOMPARE(before, expectedHidden(original, level));
    }
    platform::faults::arm(plan);
    const QString result = unhide ? unhide_file(path, ctx()) : hide_file(path, ctx());
    platform::faults::disarm();
    QCOMPARE(result, QString());
    // The item keeps its old name and exactly its old bytes, and nothing else appeared.
    QCOMPARE(TestWorld::readAll(path), before);
    QCOMPARE(QDir(w.root()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);
}

void TestHiding::clashRaceRefuses()
{
    TestWorld w;
    prefs.encrypt_level = 3;
    prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    const QString path = w.file(QStringLiteral("cat.jpg"), TestWorld::pattern(300000));
    const QString target = w.path(QStringLiteral("xzg-qkt.kz3"));
    Plan plan;
    plan.beforeRename = [&] {
        QFile f(target);
        f.open(QIODevice::WriteOnly);
        f.write("late");
    };
    platform::faults::arm(plan);
    prompt.acceptMessages();
    QCOMPARE(hide_file(path, ctx()), QString());
    platform::faults::disarm();
    QCOMPARE(prompt.lastText(),
             QStringLiteral(
                 "cat.jpg cannot be encrypted because the encrypted file name already exists."));
    QCOMPARE(TestWorld::readAll(target), QByteArray("late"));
    QCOMPARE(TestWorld::readAll(path), TestWorld::pattern(300000));

    // Folders too: the folder that appeared late keeps its contents.
    const QString folder = w.folder(QStringLiteral("Pics"));
    const QString folderTarget = w.path(QStringLiteral("Krxh.kz1"));
    plan.beforeRename = [&] { QDir().mkpath(folderTarget + QStringLiteral("/inner")); };
    platform::faults::arm(plan);
    prompt.acceptMessages();
    QCOMPARE(hide_folder(folder, ctx()), QString());
    platform::faults::disarm();
    QCOMPARE(prompt.lastTitle(), QStringLiteral("Encrypt Error"));
    QVERIFY(QFileInfo(folderTarget + QStringLiteral("/inner")).isDir());
    QVERIFY(QFileInfo(folder).isDir());
}

void TestHiding::symbolicLinksAreNeverWrittenThrough()
{
    TestWorld w;
    prefs.encrypt_level = 3;
    prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    const QByteArray original = TestWorld::pattern(100000, 9);
    const QString outside = w.file(QStringLiteral("elsewhere/real.jpg"), original);
    const QString link = w.path(QStringLiteral("lib/link.jpg"));
    QDir().mkpath(w.path(QStringLiteral("lib")));
    QVERIFY(QFile::link(outside, link));

    const QString hidden = hide_file(link, ctx());
    QCOMPARE(hidden, QStringLiteral("ormp-qkt.kz1"));
    QVERIFY(QFileInfo(w.path(QStringLiteral("lib/") + hidden)).isSymLink());
    QCOMPARE(TestWorld::readAll(outside), original);

    // A link that carries a level-3 name is still renamed only.
    QVERIFY(QFile::rename(w.path(QStringLiteral("lib/") + hidden),
                          w.path(QStringLiteral("lib/ormp-qkt.kz3"))));
    QCOMPARE(unhide_file(w.path(QStringLiteral("lib/ormp-qkt.kz3")), ctx()),
             QStringLiteral("link.jpg"));
    QCOMPARE(TestWorld::readAll(outside), original);

    // A link to a folder is hidden as a folder, by name.
    QVERIFY(QFile::link(w.path(QStringLiteral("elsewhere")), w.path(QStringLiteral("lib/dir"))));
    QCOMPARE(hide_folder(w.path(QStringLiteral("lib/dir")), ctx()), QStringLiteral("wri.kz1"));
    QVERIFY(QFileInfo(w.path(QStringLiteral("elsewhere/real.jpg"))).exists());
}

void TestHiding::unreadableNameIsRefused()
{
    TestWorld w;
    // A name that is not valid UTF-8 on disk.
    const QByteArray raw = QFile::encodeName(w.root()) + "/bad\xff\xfe.jpg";
    const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "abc", 3), ssize_t(3));
    ::close(fd);

    const auto listing = platform::listFolderEntries(w.root(), false);
    QCOMPARE(listing.entries.size(), size_t(1));
    QVERIFY(!listing.entries[0].lossless);
    const QString decoded = w.root() + QLatin1Char('/') + listing.entries[0].name;

    prompt.acceptMessages();
    QCOMPARE(hide_file(decoded, ctx()), QString());
    QVERIFY(prompt.lastText().contains(
        QStringLiteral("cannot be encrypted because its name cannot be read")));
    QCOMPARE(prompt.lastTitle(), QStringLiteral("Encrypt error"));
    struct stat st;
    QCOMPARE(::stat(raw.constData(), &st), 0);
    QCOMPARE(st.st_size, off_t(3));
    ::unlink(raw.constData());
}

QTEST_GUILESS_MAIN(TestHiding)
#include "tst_hiding.moc"
