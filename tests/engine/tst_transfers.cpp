// A transfer's progress and its ends: the bytes reported reach the total,
// Cancel stops inside one big file and leaves no partial copy, and a copy
// killed half way leaves a temporary item that the start-up sweep removes
// (only the dead process's own, never a live one's).
#include "engine/LongOperation.h"
#include "mainwindow/mFileOperations.h"
#include "platform/FileOperation.h"
#include "platform/FileSystem.h"
#include "platform/TargetRecords.h"
#include "support/ScriptedPrompt.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace mainwindow;

namespace {

// Keeps every figure reported; cancels once more than cancelAt bytes are done.
class RecordingProgress : public engine::OperationProgress
{
public:
    void start(const QString&) override {}
    void step(const engine::OperationReport&, const QString&) override {}
    bool cancelled() const override { return cancelAt >= 0 && last.bytesDone > cancelAt; }
    void finish() override {}
    void transferred(const engine::TransferFigures& f) override
    {
        monotonic = monotonic && f.bytesDone >= last.bytesDone && f.bytesDone <= f.bytesTotal;
        if (f.bytesTotal != last.bytesTotal)
            monotonic = true; // totals set afresh
        last = f;
        ++calls;
        if (killAt >= 0 && f.bytesDone > killAt)
            ::kill(::getpid(), SIGKILL);
        if (whileCopying && f.bytesDone >= hookAt) {
            whileCopying();
            whileCopying = {};
        }
    }
    // Runs once, when hookAt bytes are done.
    std::function<void()> whileCopying;
    qint64 hookAt = 1 << 20;
    engine::TransferFigures last;
    qint64 cancelAt = -1;
    qint64 killAt = -1;
    bool monotonic = true;
    int calls = 0;
};

QStringList namesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                               QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

QString secondFileSystem(const TestWorld& w, QTemporaryDir& shm)
{
    if (!shm.isValid() || platform::sameFileSystem(shm.path(), w.root()))
        return QString();
    return shm.path();
}

constexpr qint64 kMiB = 1 << 20;

} // namespace

class TestTransfers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bytesReachTheTotal_data();
    void bytesReachTheTotal();
    void cancelInsideABigFile_data();
    void cancelInsideABigFile();
    void sourceWrittenMeanwhile_data();
    void sourceWrittenMeanwhile();
    void checkFindsADamagedCopy_data();
    void checkFindsADamagedCopy();
    void sweepAfterAKilledCopy_data();
    void sweepAfterAKilledCopy();
    void sweepLeavesLiveRecords();
};

void TestTransfers::bytesReachTheTotal_data()
{
    QTest::addColumn<std::uint32_t>("op");
    QTest::addColumn<bool>("across");
    QTest::addColumn<bool>("conflict"); // b.jpg is there already and is skipped
    QTest::addColumn<qint64>("bytes");  // the total expected
    const qint64 all = 3 * kMiB + 17 + 0 + 5000;
    QTest::newRow("copy") << FoCopy << false << false << all;
    QTest::newRow("copy, one skipped") << FoCopy << false << true << all;
    QTest::newRow("move across") << FoMove << true << false << all;
    QTest::newRow("move within: renames carry no bytes") << FoMove << false << false << qint64(0);
    QTest::newRow("delete") << FoDelete << false << false << qint64(0);
}

void TestTransfers::bytesReachTheTotal()
{
    QFETCH(std::uint32_t, op);
    QFETCH(bool, across);
    QFETCH(bool, conflict);
    QFETCH(qint64, bytes);
    TestWorld w;
    QTemporaryDir shm(u"/dev/shm/cloakwell-test-XXXXXX"_s);
    QString dst = w.folder(u"dst"_s);
    if (across && (dst = secondFileSystem(w, shm)).isEmpty())
        QSKIP("no second file system");
    // A file of several chunks, an empty one, and a folder.
    const QStringList sources{w.file(u"src/a.jpg"_s, TestWorld::pattern(3 * kMiB + 17, 1)),
                              w.file(u"src/b.jpg"_s), w.path(u"src/tree"_s)};
    w.file(u"src/tree/c.jpg"_s, TestWorld::pattern(5000, 2));
    if (conflict)
        w.file(u"dst/b.jpg"_s, "there");
    ScriptedPrompt prompt;
    if (op == FoDelete)
        prompt.answer(platform::PromptAnswer::Yes);
    RecordingProgress progress;
    struct SkipAll : ConflictQuestion
    {
        ConflictAnswer ask(const QString&, const QString&, bool) override
        {
            return {ConflictChoice::Skip, false};
        }
    } skip;
    QCOMPARE(move_or_copy_items(op, sources, dst, FofNone, {prompt, &progress, &skip}), 0u);
    QCOMPARE(progress.last.itemsTotal, 3);
    QCOMPARE(progress.last.bytesTotal, bytes);
    QCOMPARE(progress.last.bytesDone, bytes);
    QVERIFY(progress.monotonic);
    if (bytes > 0)
        QVERIFY(progress.calls > 4); // chunk by chunk, not only per item
}

void TestTransfers::cancelInsideABigFile_data()
{
    QTest::addColumn<std::uint32_t>("op");
    QTest::addColumn<bool>("across");
    QTest::addColumn<bool>("replacing");
    QTest::newRow("copy") << FoCopy << false << false;
    QTest::newRow("copy, replacing") << FoCopy << false << true;
    QTest::newRow("move across") << FoMove << true << false;
    QTest::newRow("move across, replacing") << FoMove << true << true;
}

void TestTransfers::cancelInsideABigFile()
{
    QFETCH(std::uint32_t, op);
    QFETCH(bool, across);
    QFETCH(bool, replacing);
    TestWorld w;
    QTemporaryDir shm(u"/dev/shm/cloakwell-test-XXXXXX"_s);
    QString dst = w.folder(u"dst"_s);
    if (across && (dst = secondFileSystem(w, shm)).isEmpty())
        QSKIP("no second file system");
    const qint64 size = 24 * kMiB + 3;
    const QByteArray bytes = TestWorld::pattern(size, 4);
    const QString src = w.file(u"src/film.avi"_s, bytes);
    if (replacing) {
        const QString old = w.file(u"old/film.avi"_s, "old");
        QVERIFY(QDir().rename(old, dst + u"/film.avi"_s));
    }
    struct ReplaceAll : ConflictQuestion
    {
        ConflictAnswer ask(const QString&, const QString&, bool) override
        {
            return {ConflictChoice::Replace, false};
        }
    } replace;
    RecordingProgress progress;
    progress.cancelAt = 5 * kMiB;
    ScriptedPrompt prompt;
    QCOMPARE(move_or_copy_items(op, {src}, dst, FofNone, {prompt, &progress, &replace}),
             FoCancelled);
    // It stopped within the file, not after it.
    QVERIFY2(progress.last.bytesDone < size / 2,
             qPrintable(QString::number(progress.last.bytesDone)));
    QCOMPARE(TestWorld::readAll(src), bytes);
    QCOMPARE(namesIn(dst), replacing ? QStringList{u"film.avi"_s} : QStringList());
    if (replacing)
        QCOMPARE(TestWorld::readAll(dst + u"/film.avi"_s), "old");
}

void TestTransfers::sourceWrittenMeanwhile_data()
{
    QTest::addColumn<std::uint32_t>("op");
    QTest::addColumn<bool>("across");
    QTest::newRow("copy") << FoCopy << false;
    QTest::newRow("move across") << FoMove << true;
}

// Another program writes to the file while it is copied: no torn copy is
// published, and the source keeps what was written.
void TestTransfers::sourceWrittenMeanwhile()
{
    QFETCH(std::uint32_t, op);
    QFETCH(bool, across);
    TestWorld w;
    QTemporaryDir shm(u"/dev/shm/cloakwell-test-XXXXXX"_s);
    QString dst = w.folder(u"dst"_s);
    if (across && (dst = secondFileSystem(w, shm)).isEmpty())
        QSKIP("no second file system");
    const QByteArray before = TestWorld::pattern(4 * kMiB, 6);
    const QString src = w.file(u"src/clip.avi"_s, before);
    QByteArray after = before;
    after.replace(0, 5, "EDIT!");
    RecordingProgress progress;
    progress.whileCopying = [&] {
        QFile f(src);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.write("EDIT!");
    };
    ScriptedPrompt prompt;
    prompt.acceptMessages(); // the summary
    QCOMPARE(move_or_copy_items(op, {src}, dst, FofNone, {prompt, &progress}), FoFailed);
    QVERIFY(!progress.whileCopying); // it did write
    QCOMPARE(namesIn(dst), QStringList());
    QCOMPARE(TestWorld::readAll(src), after);
    QVERIFY(prompt.seen.last().text.contains(u"clip.avi"_s) ||
            prompt.seen.last().details.contains(u"clip.avi"_s));
}

void TestTransfers::checkFindsADamagedCopy_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("at"); // the byte of the copy damaged
    QTest::newRow("small file, first byte") << qint64(100000) << qint64(0);
    QTest::newRow("small file, last byte") << qint64(100000) << qint64(99999);
    QTest::newRow("large file, first byte") << 9 * kMiB + 1 << qint64(0);
    QTest::newRow("large file, a middle chunk") << 9 * kMiB + 1 << 5 * kMiB + 7;
}

// Something changes the new copy behind the operation's back: the check
// sees it and nothing is published.
void TestTransfers::checkFindsADamagedCopy()
{
    QFETCH(qint64, size);
    QFETCH(qint64, at);
    TestWorld w;
    const QString dst = w.folder(u"dst"_s);
    const QByteArray bytes = TestWorld::pattern(size, 7);
    const QString src = w.file(u"src/photo.jpg"_s, bytes);
    RecordingProgress progress;
    progress.hookAt = std::min(size, at + kMiB);
    progress.whileCopying = [&] {
        const QStringList temps = namesIn(dst);
        QCOMPARE(temps.size(), 1);
        QFile f(dst + u'/' + temps.first());
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(at));
        const char flipped = char(~bytes.at(at));
        QCOMPARE(f.write(&flipped, 1), 1);
    };
    ScriptedPrompt prompt;
    prompt.acceptMessages();
    QCOMPARE(move_or_copy_items(FoCopy, {src}, dst, FofNone, {prompt, &progress}), FoFailed);
    QVERIFY(!progress.whileCopying);
    QCOMPARE(namesIn(dst), QStringList());
    QCOMPARE(TestWorld::readAll(src), bytes);
}

void TestTransfers::sweepAfterAKilledCopy_data()
{
    QTest::addColumn<std::uint32_t>("op");
    QTest::addColumn<bool>("across");
    QTest::newRow("copy") << FoCopy << false;
    QTest::newRow("move across") << FoMove << true;
}

void TestTransfers::sweepAfterAKilledCopy()
{
    QFETCH(std::uint32_t, op);
    QFETCH(bool, across);
    TestWorld w;
    QTemporaryDir shm(u"/dev/shm/cloakwell-test-XXXXXX"_s);
    QString dst = w.folder(u"dst"_s);
    if (across && (dst = secondFileSystem(w, shm)).isEmpty())
        QSKIP("no second file system");
    const QString records = w.path(u"data/KZ Pending"_s);
    const QByteArray bytes = TestWorld::pattern(8 * kMiB, 5);
    const QStringList sources{w.file(u"src/small.jpg"_s, "small"), w.file(u"src/big.jpg"_s, bytes)};
    // Another process's temporary item (no tag): not the dead one's to remove.
    const QString untagged = dst + u'/' + platform::temporaryItemName();
    QVERIFY(QDir().mkpath(untagged));

    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        RecordingProgress progress;
        progress.killAt = 3 * kMiB; // half way through big.jpg
        ScriptedPrompt prompt;
        FileOperationServices services{prompt, &progress};
        services.recordFolder = records;
        ::_exit(int(move_or_copy_items(op, sources, dst, FofNone, services)));
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    QVERIFY(WIFSIGNALED(status));
    // The kill left the first item done, the second as a temporary item.
    QCOMPARE(TestWorld::readAll(dst + u"/small.jpg"_s), "small");
    QCOMPARE(namesIn(dst).size(), 3);

    const platform::TargetSweep sweep = platform::sweepTargetsOfDeadOwners(records);
    QCOMPARE(sweep.records, 1);
    QCOMPARE(sweep.removed, 1);
    QCOMPARE(sweep.busy, 0);
    QCOMPARE(namesIn(dst), (QStringList{QFileInfo(untagged).fileName(), u"small.jpg"_s}));
    QCOMPARE(TestWorld::readAll(w.path(u"src/big.jpg"_s)), bytes);
    QCOMPARE(namesIn(records), QStringList()); // the record went with its items
    // A second start finds nothing more to do.
    QCOMPARE(platform::sweepTargetsOfDeadOwners(records).records, 0);
}

// A record whose owner lives (this process) is left alone, items and all.
void TestTransfers::sweepLeavesLiveRecords()
{
    TestWorld w;
    const QString records = w.path(u"data/KZ Pending"_s);
    const QString dst = w.folder(u"dst"_s);
    const QString tag = platform::noteTargetFolder(records, dst);
    QVERIFY(!tag.isEmpty());
    QCOMPARE(platform::noteTargetFolder(records, dst), tag); // one tag for the process
    const QString mine = dst + u'/' + platform::temporaryItemName(tag);
    QVERIFY(QDir().mkpath(mine));
    const platform::TargetSweep sweep = platform::sweepTargetsOfDeadOwners(records);
    QCOMPARE(sweep.busy, 1);
    QCOMPARE(sweep.removed, 0);
    QVERIFY(platform::pathExists(mine));
    QCOMPARE(namesIn(records).size(), 1);
}

QTEST_GUILESS_MAIN(TestTransfers)
#include "tst_transfers.moc"
