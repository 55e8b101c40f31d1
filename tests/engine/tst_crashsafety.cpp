// Killing the program at any moment of hiding or unhiding leaves every file
// recoverable, and recovery makes each name and its bytes agree again.
//
// The victims are forked children that hide or unhide and nothing else; the
// crash hook (the CLOAKWELL_KILL_AT_STEP step count) makes them kill
// themselves at a chosen step.
#include "engine/mEncrypt.h"
#include "engine/mEncryptRecords.h"
#include "platform/FileSystem.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace mEncrypt;

namespace {

struct SilentPrompt : platform::PromptService
{
    QStringList texts;
    platform::PromptAnswer ask(const platform::PromptRequest& r) override
    {
        texts << r.text;
        return platform::PromptAnswer::Ok;
    }
};

QByteArray hiddenForm(QByteArray bytes, int level)
{
    const qint64 n = level == 3 ? qMin<qint64>(bytes.size(), kLevel3Region) : level == 2;
    for (qint64 i = 0; i < n && i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(~static_cast<unsigned char>(bytes[i]));
    return bytes;
}

// The victim: CW_CHILD=one|bulk, CW_OP=hide|unhide, CW_PATH (a file, or a
// folder for bulk), CW_LEVEL, CW_RECORDS.
int childMain()
{
    settings::Preferences prefs;
    prefs.encrypt_level = static_cast<short>(qEnvironmentVariableIntValue("CW_LEVEL"));
    prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    SilentPrompt prompt;
    engine::OperationReport report;
    const Context ctx{prefs, prompt, qEnvironmentVariable("CW_RECORDS"), &report};
    const bool hiding = qEnvironmentVariable("CW_OP") == QLatin1String("hide");
    const QString path = qEnvironmentVariable("CW_PATH");
    if (qEnvironmentVariable("CW_CHILD") == QLatin1String("one")) {
        const QString r = hiding ? hide_file(path, ctx) : unhide_file(path, ctx);
        return r.isEmpty() ? 3 : 0;
    }
    for (const QString& name : QDir(path).entryList(QDir::Files, QDir::Name)) {
        if (is_hidden_name(name) == hiding)
            continue;
        const QString file = path + QLatin1Char('/') + name;
        if ((hiding ? hide_file(file, ctx) : unhide_file(file, ctx)).isEmpty())
            return 3;
    }
    return 0;
}

// "" when the folder holds exactly the expected files, each under a plain or a
// hidden name with exactly the bytes that name needs.
QString checkFolder(const QString& folder, const QMap<QString, QByteArray>& originals)
{
    QString out;
    QSet<QString> seen;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        const bool hidden = is_hidden_name(name);
        const QString plain = hidden ? plain_name(name) : name;
        if (!originals.contains(plain)) {
            out += name + QStringLiteral(" unexpected; ");
            continue;
        }
        if (seen.contains(plain))
            out += plain + QStringLiteral(" twice; ");
        seen.insert(plain);
        const QByteArray want = hidden ? hiddenForm(originals.value(plain), hidden_level(name))
                                       : originals.value(plain);
        if (TestWorld::readAll(folder + QLatin1Char('/') + name) != want)
            out += name + QStringLiteral(" corrupt; ");
    }
    for (auto it = originals.begin(); it != originals.end(); ++it)
        if (!seen.contains(it.key()))
            out += it.key() + QStringLiteral(" lost; ");
    return out;
}

QStringList recordsIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// The records in the folder that describe a change (a cleared or cut record does not).
int liveRecords(const QString& folder)
{
    int n = 0;
    for (const QString& name : recordsIn(folder))
        n += decode_record(TestWorld::readAll(folder + QLatin1Char('/') + name)).has_value();
    return n;
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT
private:
    // A child process that hides or unhides and nothing else; with killAt it
    // kills itself at that step. Forked, not started anew, so each costs
    // little even under the sanitizers.
    pid_t victim(const QString& kind, bool hiding, const QString& path, int level,
                 const QString& records, int killAt)
    {
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        if (pid != 0)
            return pid;
        qputenv("CW_CHILD", kind.toUtf8());
        qputenv("CW_OP", hiding ? "hide" : "unhide");
        qputenv("CW_PATH", QFile::encodeName(path));
        qputenv("CW_LEVEL", QByteArray::number(level));
        qputenv("CW_RECORDS", QFile::encodeName(records));
        platform::faults::armCrash(killAt);
        ::_exit(childMain());
    }
    // Waits for the child: true when it was killed, false when it exited (rc).
    static bool killedBy(pid_t pid, int* rc = nullptr)
    {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (rc)
            *rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return WIFSIGNALED(status);
    }

private Q_SLOTS:
    void killAtEveryStep_data();
    void killAtEveryStep();
    void cutShortRecordMeansUntouched();
    void newNameTakenRollsBack();
    void liveOwnerIsLeftAlone();
    void changedByOthersIsNotGuessed();
    void randomKillsDuringBulk();
    void replacedWhileHiding();
};

void TestCrashSafety::killAtEveryStep_data()
{
    QTest::addColumn<bool>("hiding");
    QTest::addColumn<int>("level");
    QTest::addColumn<qint64>("size");
    for (bool hiding : {true, false})
        for (int level : {2, 3})
            for (qint64 size : {1LL, 32768LL, 1LL << 20})
                QTest::addRow("%s level %d, %lld bytes", hiding ? "hide" : "unhide", level, size)
                    << hiding << level << size;
}

// Every step of one hide or unhide, each in a fresh folder: the child is killed
// there, recovery runs, and exactly one right name with the right bytes is left.
void TestCrashSafety::killAtEveryStep()
{
    QFETCH(bool, hiding);
    QFETCH(int, level);
    QFETCH(qint64, size);
    const QByteArray original = TestWorld::pattern(size, 11);
    const QByteArray hidden = hiddenForm(original, level);
    const qint64 region = level == 3 ? qMin<qint64>(size, kLevel3Region) : 1;
    int killed = 0;
    for (int step = 1;; ++step) {
        QVERIFY2(step < 100, "the operation never completed");
        TestWorld w;
        const QString lib = w.folder(QStringLiteral("lib"));
        const QString records = w.path(QStringLiteral("records"));
        const QString plainPath = w.file(QStringLiteral("lib/photo.jpg"), original);
        const QString hiddenName = make_hidden_name(QStringLiteral("photo.jpg"), short(level));
        if (!hiding) {
            QVERIFY(QFile::rename(plainPath, lib + '/' + hiddenName));
            QFile f(lib + '/' + hiddenName);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(hidden);
        }
        int rc = 0;
        if (!killedBy(victim(QStringLiteral("one"), hiding,
                             hiding ? plainPath : lib + '/' + hiddenName, level, records, step),
                      &rc)) {
            QCOMPARE(rc, 0);
            QCOMPARE(liveRecords(records), 0);
            QCOMPARE(recover_interrupted(records).completed, 0);
            QVERIFY(recordsIn(records).isEmpty());
            QCOMPARE(checkFolder(lib, {{QStringLiteral("photo.jpg"), original}}), QString());
            break;
        }
        ++killed;
        // What the kill left behind: at most one record file, describing the
        // region by hashes of its hidden form only, never by its bytes.
        const QStringList left = recordsIn(records);
        QVERIFY2(left.size() <= 1, qPrintable(left.join(',')));
        const bool described = liveRecords(records) == 1;
        for (const QString& name : left) {
            const QByteArray raw = TestWorld::readAll(records + '/' + name);
            const auto rec = decode_record(raw);
            if (!rec)
                continue; // cut short: the file was not touched yet
            QCOMPARE(rec->regionLength, region);
            QVERIFY(rec->blockHashes == region_hashes(hidden.left(region)));
            if (region >= 64) {
                QVERIFY(!raw.contains(original.left(64)));
                QVERIFY(!raw.contains(hidden.left(64)));
            }
        }
        const RecoveryResult r = recover_interrupted(records);
        QCOMPARE(r.failed, 0);
        QVERIFY2(recordsIn(records).isEmpty(), qPrintable(QStringLiteral("step %1").arg(step)));
        const QStringList names = QDir(lib).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(names.size(), 1);
        QVERIFY2(checkFolder(lib, {{QStringLiteral("photo.jpg"), original}}).isEmpty(),
                 qPrintable(QStringLiteral("step %1: ").arg(step) +
                            checkFolder(lib, {{QStringLiteral("photo.jpg"), original}})));
        // Once a record exists the change is always carried through.
        if (described)
            QCOMPARE(names.front(), hiding ? hiddenName : QStringLiteral("photo.jpg"));
    }
    // The record, each chunk (split and whole) and the rename were all hit.
    const int chunks = level == 3 ? int((region + kChunkSize - 1) / kChunkSize) : 1;
    QVERIFY2(killed >= 2 + 2 * chunks + 1, qPrintable(QString::number(killed)));
}

void TestCrashSafety::cutShortRecordMeansUntouched()
{
    TestWorld w;
    const QByteArray original = TestWorld::pattern(70000, 5);
    const QString file = w.file(QStringLiteral("lib/a.jpg"), original);
    const auto id = platform::identityOf(file);
    IntentRecord rec;
    rec.level = 3;
    rec.device = id->device;
    rec.inode = id->inode;
    rec.size = original.size();
    rec.oldPath = QFile::encodeName(file);
    rec.newPath = QFile::encodeName(w.path(QStringLiteral("lib/z-qkt.kz3")));
    rec.regionLength = 70000;
    rec.blockHashes = region_hashes(hiddenForm(original, 3).left(70000));
    const QByteArray full = encode_record(rec);
    QVERIFY(decode_record(full));
    // Cut anywhere, or one byte changed: never taken for a record.
    for (qsizetype cut : {qsizetype(0), qsizetype(7), full.size() / 2, full.size() - 1}) {
        w.file(QStringLiteral("records/x.rec"), full.left(cut));
        QVERIFY(!decode_record(full.left(cut)));
        QCOMPARE(recover_interrupted(w.path(QStringLiteral("records"))).completed, 0);
        QVERIFY(recordsIn(w.path(QStringLiteral("records"))).isEmpty());
        QCOMPARE(TestWorld::readAll(file), original);
    }
    QByteArray flipped = full;
    flipped[full.size() / 3] = char(flipped[full.size() / 3] ^ 1);
    QVERIFY(!decode_record(flipped));
}

// The new name was taken while the program was down: the file goes back to
// its old name with its old bytes; the newcomer is untouched.
void TestCrashSafety::newNameTakenRollsBack()
{
    TestWorld w;
    const QByteArray original = TestWorld::pattern(100000, 6);
    const QString file = w.file(QStringLiteral("lib/a.jpg"), original);
    const QString records = w.path(QStringLiteral("records"));
    QVERIFY(killedBy(victim(QStringLiteral("one"), true, file, 3, records, 6)));
    QCOMPARE(recordsIn(records).size(), 1);
    const QString taken = w.file(QStringLiteral("lib/z-qkt.kz3"), "someone else's");
    const RecoveryResult r = recover_interrupted(records);
    QCOMPARE(r.rolledBack, 1);
    QCOMPARE(TestWorld::readAll(file), original);
    QCOMPARE(TestWorld::readAll(taken), QByteArray("someone else's"));
    QVERIFY(recordsIn(records).isEmpty());
}

// A record whose owner still runs (it holds the lock) is not touched.
void TestCrashSafety::liveOwnerIsLeftAlone()
{
    TestWorld w;
    const QByteArray original = TestWorld::pattern(1000, 2);
    const QString file = w.file(QStringLiteral("lib/a.jpg"), original);
    const auto id = platform::identityOf(file);
    IntentRecord rec;
    rec.level = 2;
    rec.device = id->device;
    rec.inode = id->inode;
    rec.oldPath = QFile::encodeName(file);
    rec.newPath = QFile::encodeName(w.path(QStringLiteral("lib/z-qkt.kz2")));
    rec.regionLength = 1;
    rec.blockHashes = region_hashes(hiddenForm(original, 2).left(1));
    const QString records = w.path(QStringLiteral("records"));
    {
        PendingRecord live;
        int err = 0;
        QCOMPARE(live.write(records, rec, err), PendingRecord::Result::Written);
        const RecoveryResult r = recover_interrupted(records);
        QCOMPARE(r.busy, 1);
        QCOMPARE(r.completed, 0);
        QCOMPARE(TestWorld::readAll(file), original);
    } // the owner "dies" without finishing: its record stays, unlocked
    QCOMPARE(recover_interrupted(records).completed, 1);
    QCOMPARE(TestWorld::readAll(w.path(QStringLiteral("lib/z-qkt.kz2"))), hiddenForm(original, 2));
}

// Bytes that are neither the plain nor the hidden form (another program wrote
// there) are not "repaired": the record stays and the file is left alone.
void TestCrashSafety::changedByOthersIsNotGuessed()
{
    TestWorld w;
    QByteArray original = TestWorld::pattern(5000, 4);
    const QString file = w.file(QStringLiteral("lib/a.jpg"), original);
    const auto id = platform::identityOf(file);
    IntentRecord rec;
    rec.level = 3;
    rec.device = id->device;
    rec.inode = id->inode;
    rec.oldPath = QFile::encodeName(file);
    rec.newPath = QFile::encodeName(w.path(QStringLiteral("lib/z-qkt.kz3")));
    rec.regionLength = 5000;
    rec.blockHashes = region_hashes(hiddenForm(original, 3));
    w.file(QStringLiteral("records/r.rec"), encode_record(rec));
    original[1000] = 'X';
    original[1001] = 'Y';
    w.file(QStringLiteral("lib/a.jpg"), original);
    const RecoveryResult r = recover_interrupted(w.path(QStringLiteral("records")));
    QCOMPARE(r.failed, 1);
    QCOMPARE(recordsIn(w.path(QStringLiteral("records"))).size(), 1);
    QCOMPARE(TestWorld::readAll(file), original);
}

// Kills at random moments of a bulk hide, then of a bulk unhide, each followed
// by recovery and a check of every file, for a few seconds.
void TestCrashSafety::randomKillsDuringBulk()
{
    TestWorld w;
    const QString lib = w.folder(QStringLiteral("lib"));
    const QString records = w.path(QStringLiteral("records"));
    QMap<QString, QByteArray> originals;
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        originals.insert(name, TestWorld::pattern(30000 + 7919 * i, quint32(i + 1)));
        w.file(QStringLiteral("lib/") + name, originals.value(name));
    }
    QRandomGenerator rng(1234);
    QElapsedTimer clock;
    clock.start();
    int kills = 0, rounds = 0;
    bool hiding = true;
    while ((clock.elapsed() < 3000 || rounds < 2) && clock.elapsed() < 60000) {
        const pid_t pid = victim(QStringLiteral("bulk"), hiding, lib, 3, records, 0);
        QThread::usleep(rng.bounded(1000, 60000));
        ::kill(pid, SIGKILL);
        kills += killedBy(pid);
        const RecoveryResult r = recover_interrupted(records);
        QCOMPARE(r.failed, 0);
        QVERIFY(recordsIn(records).isEmpty());
        const QString bad = checkFolder(lib, originals);
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
        const QStringList names = QDir(lib).entryList(QDir::Files);
        const bool done = std::all_of(names.begin(), names.end(), [&](const QString& n) {
            return is_hidden_name(n) == hiding;
        });
        if (done) {
            hiding = !hiding;
            ++rounds;
        }
    }
    QVERIFY(kills > 0);
}

// An editor keeps saving new versions by rename-over while files are hidden:
// no hidden name may end over plain bytes, nor a plain name over hidden ones.
void TestCrashSafety::replacedWhileHiding()
{
    TestWorld w;
    const QString lib = w.folder(QStringLiteral("lib"));
    const QString records = w.path(QStringLiteral("records"));
    const int n = 300;
    // Every version of a file starts with the same byte, so the first byte of
    // what a name holds shows whether it is inverted.
    for (int i = 0; i < n; ++i) {
        QByteArray bytes = TestWorld::pattern(40000, quint32(i + 1));
        bytes[0] = 'P';
        w.file(QStringLiteral("lib/f%1.jpg").arg(i), bytes);
    }
    std::atomic<bool> stop{false};
    std::atomic<int> replaced{0};
    std::thread editor([&] {
        quint32 seed = 1;
        QByteArray bytes = TestWorld::pattern(40000, 99);
        bytes[0] = 'P';
        while (!stop) {
            seed = seed * 1103515245u + 12345u;
            const int i = int((seed >> 8) % quint32(n));
            const QByteArray tmp = QFile::encodeName(lib + QStringLiteral("/.tmp-save"));
            const QByteArray target = QFile::encodeName(lib + QStringLiteral("/f%1.jpg").arg(i));
            FILE* f = std::fopen(tmp.constData(), "wb");
            if (!f)
                continue;
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
            std::fclose(f);
            // Only over a plain name that is still there, as an editor saves.
            if (::access(target.constData(), F_OK) == 0 &&
                std::rename(tmp.constData(), target.constData()) == 0)
                ++replaced;
        }
    });
    settings::Preferences prefs;
    prefs.encrypt_level = 2;
    SilentPrompt prompt;
    engine::OperationReport report;
    const Context ctx{prefs, prompt, records, &report};
    for (int i = 0; i < n; ++i)
        hide_file(lib + QStringLiteral("/f%1.jpg").arg(i), ctx);
    stop = true;
    editor.join();
    QVERIFY(replaced > 0);
    QCOMPARE(liveRecords(records), 0);
    for (const QString& name : QDir(lib).entryList(QDir::Files)) {
        const QByteArray bytes = TestWorld::readAll(lib + '/' + name);
        QVERIFY(!bytes.isEmpty());
        const bool inverted = bytes[0] == char(~'P');
        QVERIFY2(inverted == is_hidden_name(name), qPrintable(name));
    }
    // Every refusal says why.
    for (const engine::ItemFailure& f : report.failures)
        QVERIFY2(f.reason.contains(QStringLiteral("changed while it was being hidden")),
                 qPrintable(f.reason));
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    TestCrashSafety t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_crashsafety.moc"
