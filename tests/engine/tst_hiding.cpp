#include "engine/mEncrypt.h"
#include "engine/mEncryptRecords.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "support/ScriptedPrompt.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mEncrypt;
using platform::faults::Plan;
Q_DECLARE_METATYPE(platform::faults::Plan)

// The bytes a hidden file must hold at a level.
static QByteArray expectedHidden(QByteArray bytes, int level)
{
    const qint64 n = level == 3 ? qMin<qint64>(bytes.size(), kLevel3Region) : level == 2;
    for (qint64 i = 0; i < n && i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(~static_cast<unsigned char>(bytes[i]));
    return bytes;
}

class TestHiding : public QObject
{
    Q_OBJECT
private:
    settings::Preferences prefs;
    ScriptedPrompt prompt;
    QTemporaryDir records;
    Context ctx() { return Context{prefs, prompt, records.path()}; }
    // Records that still describe a change (a cleared one does not).
    int liveRecords()
    {
        int n = 0;
        for (const QString& name : QDir(records.path()).entryList(QDir::Files))
            n += mEncrypt::decode_record(TestWorld::readAll(records.filePath(name))).has_value();
        return n;
    }

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
    void folders();
    void refusals_data();
    void refusals();
    void inUseByAnotherProcess();
    void faultsLeaveFileUntouched_data();
    void faultsLeaveFileUntouched();
    void symbolicLinksAreNeverWrittenThrough();
    void contentShared_data();
    void contentShared();
    void failuresAreCollectedInBulk();
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

    platform::resetIoCounters();
    const QString hidden = hide_file(path, ctx());
    // Level 3 touches at most 262,136 bytes in 32,767-byte chunks (8 at most), level 2
    // one byte, level 1 none.
    const auto io = platform::ioCounters();
    const qint64 touched = level == 3 ? qMin<qint64>(size, kLevel3Region) : level == 2 && size;
    QCOMPARE(io.bytesRead, touched);
    QCOMPARE(io.bytesWritten, touched);
    QCOMPARE(io.reads, int((touched + 32766) / 32767));
    QCOMPARE(io.writes, io.reads);

    QCOMPARE(hidden,
             make_hidden_name(QStringLiteral("Beach Day-01.jpg"), static_cast<short>(level)));
    QVERIFY(!QFile::exists(path));
    const QString hiddenPath = w.path(QStringLiteral("lib/") + hidden);
    QCOMPARE(TestWorld::readAll(hiddenPath), expectedHidden(original, level));
    QCOMPARE(unhide_file(hiddenPath, ctx()), QStringLiteral("Beach Day-01.jpg"));
    QCOMPARE(TestWorld::readAll(path), original);
    QCOMPARE(QDir(w.path(QStringLiteral("lib"))).entryList(QDir::Files).size(), 1);
}

void TestHiding::levelChoice_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("level"); // 0: left alone
    QTest::newRow("upper-case mpg") << 3 << "clip.MPG" << 3;
    QTest::newRow("jpg not listed") << 3 << "beach.jpg" << 2;
    QTest::newRow("no extension") << 3 << "readme" << 3;
    QTest::newRow("substring mp") << 3 << "a.mp" << 3;
    QTest::newRow("last dot counts") << 3 << "a.mpg.jpg" << 2;
    QTest::newRow("level 1") << 1 << "clip.mpg" << 1;
    QTest::newRow("level 2") << 2 << "clip.mpg" << 2;
    QTest::newRow("level 0") << 0 << "clip.mpg" << 0;
    QTest::newRow("level -1") << -1 << "clip.mpg" << 0;
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
    QCOMPARE(hidden, level ? make_hidden_name(name, static_cast<short>(level)) : QString());
    // The unhide reads the level back from the name, whatever the settings say now.
    prefs.encrypt_level = 1;
    if (level)
        QCOMPARE(unhide_file(w.path(hidden), ctx()), name);
    QCOMPARE(TestWorld::readAll(path), TestWorld::pattern(1000));
    QVERIFY(prompt.seen.isEmpty());
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
    QVERIFY(QFileInfo::exists(w.path(QStringLiteral("lib/Holiday 2001/a.jpg"))));
}

void TestHiding::refusals_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("items"); // files hold their names; "/" ends a folder
    QTest::addColumn<QString>("text");      // "@" stands for the target's path
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fault"); // "rename" fails, else an item made just before it
    auto row = [](const char* op, const char* target, const QStringList& items, const QString& text,
                  const char* title, const char* fault = "") {
        QTest::addRow("%s %s%s%s", op, target, *fault ? ", " : "", fault)
            << QString(op) << QString(target) << items << text << QString(title) << QString(fault);
    };
    const QString notFound = QStringLiteral("Folder not found: @");
    row("hide folder", "nothing", {}, notFound, "Encrypt folder error");
    row("unhide folder", "nothing", {}, notFound, "Decrypt folder error");
    row("hide file", "nothing", {}, "File not found", "Encrypt error");
    row("unhide file", "nothing", {}, "File not found", "Decrypt Error");
    // Clashes: the item and the one already bearing the target name stay as they are.
    row("hide folder", "Pics", {"Pics/", "Krxh.kz1/"},
        "Pics cannot be encrypted because the encrypted name already exists.", "Encrypt Error");
    row("unhide folder", "Wlxh.kz1", {"Wlxh.kz1/", "Docs"},
        "Docs cannot be decrypted because the decrypted name already exists.", "Decrypt Error");
    row("hide file", "cat.jpg", {"cat.jpg", "xzg-qkt.kz2"},
        "cat.jpg cannot be encrypted because the encrypted file name already exists.",
        "Encrypt error");
    row("unhide file", "xzg-qkt.kz2", {"cat.jpg", "xzg-qkt.kz2"},
        "cat.jpg cannot be decrypted because the decrypted file name already exists.",
        "Decrypt Error");
    row("hide file", "dog.KZ3", {"dog.KZ3"}, "@ is already encrypted.", "Encrypt error");
    row("unhide file", "cat.jpg", {"cat.jpg"}, "cat.jpg is already decrypted.", "Decrypt Error");
    // A folder rename the system refuses.
    const QString inUse = QStringLiteral(
        "@ cannot be %1crypted. The folder may be in use by another application or process.");
    row("hide folder", "Busy", {"Busy/"}, inUse.arg("en"), "Folder encrypt failure", "rename");
    row("unhide folder", "Yfhbvw.kz1", {"Yfhbvw.kz1/"}, inUse.arg("de"), "Folder decrypt failure",
        "rename");
    // The target name appears between the check and the rename.
    row("hide file", "cat.jpg", {"cat.jpg"},
        "cat.jpg cannot be encrypted because the encrypted file name already exists.",
        "Encrypt error", "xzg-qkt.kz2");
    row("hide folder", "Pics", {"Pics/"},
        "Pics cannot be encrypted because the encrypted name already exists.", "Encrypt Error",
        "Krxh.kz1/inner/");
}

void TestHiding::refusals()
{
    QFETCH(QString, op);
    QFETCH(QString, target);
    QFETCH(QStringList, items);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, fault);
    TestWorld w;
    for (const QString& item : items)
        item.endsWith('/') ? w.folder(item) : w.file(item, item.toUtf8());
    const QString path = w.path(target);
    Plan plan{0, 0, 0, fault == QLatin1String("rename") ? 1 : 0, 0, {}};
    if (!plan.failRename && !fault.isEmpty()) {
        plan.beforeRename = [&w, fault] {
            fault.endsWith('/') ? w.folder(fault) : w.file(fault, fault.toUtf8());
        };
        items << fault;
    }
    platform::faults::arm(plan);
    prompt.acceptMessages();
    const bool hiding = op.startsWith(QLatin1String("hide"));
    const QString result = op.endsWith(QLatin1String("folder"))
                               ? (hiding ? hide_folder(path, ctx()) : unhide_folder(path, ctx()))
                               : (hiding ? hide_file(path, ctx()) : unhide_file(path, ctx()));
    QCOMPARE(result, QString());
    QCOMPARE(prompt.seen.size(), 1);
    QCOMPARE(prompt.seen.front().text, text.replace(QLatin1Char('@'), path));
    QCOMPARE(prompt.seen.front().title, title);
    QCOMPARE(prompt.seen.front().buttons, platform::PromptButtons::Ok);
    for (const QString& item : items)
        QCOMPARE(item.endsWith('/') ? QByteArray("folder") : TestWorld::readAll(w.path(item)),
                 QFileInfo(w.path(item)).isDir() ? QByteArray("folder") : item.toUtf8());
}

void TestHiding::inUseByAnotherProcess()
{
    TestWorld w;
    const QString file = w.file(QStringLiteral("movie.mpg"), TestWorld::pattern(5000));
    const QString hiddenFile = w.file(QStringLiteral("nlfhv-qkt.kz2"), TestWorld::pattern(5000));
    QVERIFY(file_available(file));

    // Another process holds both files open.
    QProcess holder;
    holder.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("exec 3<\"$1\" 4<\"$2\"; echo ready; exec sleep 60"),
                  QStringLiteral("sh"), file, hiddenFile});
    QVERIFY(holder.waitForReadyRead(10000));
    QVERIFY(!file_available(file));

    prompt.acceptMessages(2);
    QCOMPARE(hide_file(file, ctx()), QString());
    QCOMPARE(unhide_file(hiddenFile, ctx()), QString());
    QCOMPARE(prompt.seen[0].text,
             QStringLiteral("movie.mpg may be in use by another application or process"));
    QCOMPARE(prompt.seen[0].title, QStringLiteral("Encrypt error: File in use"));
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
        for (int level : {2, 3}) {
            QTest::addRow("%s level %d open", op, level)
                << level << unhide << Plan{1, 0, 0, 0, 0, {}};
            QTest::addRow("%s level %d rename", op, level)
                << level << unhide << Plan{0, 0, 0, 1, 0, {}};
        }
        for (int k = 1; k <= 8; ++k) {
            const int level = k == 1 ? 2 : 3; // level 2 reads and writes once
            for (int l = level; l <= 3; ++l) {
                QTest::addRow("%s level %d read %d", op, l, k)
                    << l << unhide << Plan{0, k, 0, 0, 0, {}};
                QTest::addRow("%s level %d write %d", op, l, k)
                    << l << unhide << Plan{0, 0, k, 0, 0, {}};
            }
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
    prompt.acceptMessages();
    const QString result = unhide ? unhide_file(path, ctx()) : hide_file(path, ctx());
    platform::faults::disarm();
    QCOMPARE(result, QString());
    // Never silent: the failure is told under the operation's title, with the reason.
    QCOMPARE(prompt.seen.size(), 1);
    QVERIFY2(prompt.lastText().startsWith(
                 QStringLiteral("clip.mov cannot be %1crypted: ").arg(unhide ? "de" : "en")),
             qPrintable(prompt.lastText()));
    QCOMPARE(prompt.lastTitle(),
             unhide ? QStringLiteral("Decrypt Error") : QStringLiteral("Encrypt error"));
    QCOMPARE(liveRecords(), 0);
    // The item keeps its old name and exactly its old bytes, and nothing else appeared.
    QCOMPARE(TestWorld::readAll(path), before);
    QCOMPARE(QDir(w.root()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);
}

void TestHiding::symbolicLinksAreNeverWrittenThrough()
{
    TestWorld w;
    prefs.encrypt_level = 3;
    prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    const QByteArray original = TestWorld::pattern(100000, 9);
    const QString outside = w.file(QStringLiteral("elsewhere/real.jpg"), original);
    const QString lib = w.folder(QStringLiteral("lib")) + QLatin1Char('/');
    QVERIFY(QFile::link(outside, lib + "link.jpg"));

    // Renamed only, at level 1; a link with a level-3 name is still renamed only.
    QCOMPARE(hide_file(lib + "link.jpg", ctx()), QStringLiteral("ormp-qkt.kz1"));
    QVERIFY(QFileInfo(lib + "ormp-qkt.kz1").isSymLink());
    QCOMPARE(TestWorld::readAll(outside), original);
    QVERIFY(QFile::rename(lib + "ormp-qkt.kz1", lib + "ormp-qkt.kz3"));
    QCOMPARE(unhide_file(lib + "ormp-qkt.kz3", ctx()), QStringLiteral("link.jpg"));
    QCOMPARE(TestWorld::readAll(outside), original);

    // A link to a folder is hidden as a folder, by name.
    QVERIFY(QFile::link(w.path(QStringLiteral("elsewhere")), lib + "dir"));
    QCOMPARE(hide_folder(lib + "dir", ctx()), QStringLiteral("wri.kz1"));
    QVERIFY(QFileInfo::exists(outside));
}

void TestHiding::contentShared_data()
{
    QTest::addColumn<bool>("inside"); // the second name is in the same folder
    QTest::addColumn<int>("level");
    QTest::newRow("link outside, level 2") << false << 2;
    QTest::newRow("link outside, level 3") << false << 3;
    QTest::newRow("two links inside, level 3") << true << 3;
}

// A file with a second hard link is hidden by name only: no byte that another
// name shares ever changes, and hiding both names does not invert twice.
void TestHiding::contentShared()
{
    QFETCH(bool, inside);
    QFETCH(int, level);
    TestWorld w;
    prefs.encrypt_level = static_cast<short>(level);
    prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    const QByteArray original = TestWorld::pattern(300000, 4);
    const QString file = w.file(QStringLiteral("lib/a.jpg"), original);
    const QString other = w.path(inside ? QStringLiteral("lib/b.jpg") : QStringLiteral("out.jpg"));
    QVERIFY(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()) == 0);
    QCOMPARE(hide_file(file, ctx()), QStringLiteral("z-qkt.kz1"));
    if (inside)
        QCOMPARE(hide_file(other, ctx()), QStringLiteral("y-qkt.kz1"));
    for (const QString& name : QDir(w.path(QStringLiteral("lib"))).entryList(QDir::Files))
        QCOMPARE(TestWorld::readAll(w.path(QStringLiteral("lib/") + name)), original);
    QCOMPARE(TestWorld::readAll(other.endsWith("b.jpg") ? w.path("lib/y-qkt.kz1") : other),
             original);
    QCOMPARE(unhide_file(w.path(QStringLiteral("lib/z-qkt.kz1")), ctx()), QStringLiteral("a.jpg"));
    QCOMPARE(TestWorld::readAll(file), original);

    // A hard-linked file that carries inverted bytes is not unhidden through
    // the other name's content: refused, with the reason.
    const QString kz = w.path(QStringLiteral("lib/x-qkt.kz3"));
    QVERIFY(QFile::copy(file, kz));
    QVERIFY(::link(QFile::encodeName(kz).constData(),
                   QFile::encodeName(w.path(QStringLiteral("copy"))).constData()) == 0);
    prompt.acceptMessages();
    QCOMPARE(unhide_file(kz, ctx()), QString());
    QVERIFY2(prompt.lastText().contains(QStringLiteral("hard link")),
             qPrintable(prompt.lastText()));
    QCOMPARE(TestWorld::readAll(kz), original);
}

// Failures without a message of their own are collected for the summary,
// after the clash refusal, which still comes first and alone.
void TestHiding::failuresAreCollectedInBulk()
{
    TestWorld w;
    prefs.encrypt_level = 3;
    prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    engine::OperationReport report;
    Context bulk{prefs, prompt, records.path(), &report};
    const QByteArray bytes = TestWorld::pattern(50000, 8);
    const QString full = w.file(QStringLiteral("lib/full.jpg"), bytes);
    const QString longName =
        w.file(QStringLiteral("lib/") + QString(250, QLatin1Char('n')) + ".jpg", bytes);
    const QString readOnly = w.file(QStringLiteral("lib/ro.jpg"), bytes);
    const QString clashing = w.file(QStringLiteral("lib/ro2.jpg"), bytes);
    w.file(QStringLiteral("lib/il2-qkt.kz3"), "taken");
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner));
    QVERIFY(QFile::setPermissions(clashing, QFile::ReadOwner));

    platform::faults::arm(Plan{0, 0, 2, 0, 0, {}}); // the disk fills on the second write
    QCOMPARE(hide_file(full, bulk), QString());
    platform::faults::disarm();
    QCOMPARE(hide_file(longName, bulk), QString());
    if (::geteuid() != 0)
        QCOMPARE(hide_file(readOnly, bulk), QString());
    prompt.acceptMessages();
    QCOMPARE(hide_file(clashing, bulk), QString());
    QCOMPARE(prompt.seen.size(), 1);
    QVERIFY(prompt.lastText().endsWith(QStringLiteral("already exists.")));

    QStringList reasons;
    for (const engine::ItemFailure& f : report.failures)
        reasons << platform::bareName(f.path).left(8) + QStringLiteral(": ") + f.reason;
    QStringList want{QStringLiteral("full.jpg: no space left on the device"),
                     QStringLiteral("nnnnnnnn: the name would be too long")};
    if (::geteuid() != 0)
        want << QStringLiteral("ro.jpg: permission denied");
    QCOMPARE(reasons, want);
    for (const QString& f : {full, longName, readOnly, clashing})
        QCOMPARE(TestWorld::readAll(f), bytes);
    QCOMPARE(liveRecords(), 0);
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

    prompt.acceptMessages();
    QCOMPARE(hide_file(w.root() + QLatin1Char('/') + listing.entries[0].name, ctx()), QString());
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
