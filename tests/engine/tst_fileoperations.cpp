// Moving, copying and deleting items: the operation's own refusals, conflicts,
// free names, links, every fault point of a copy, the trash and deleting for
// good. After each case the sources are whole and no unfinished copy stands
// under a real name.
#include "engine/LongOperation.h"
#include "mainwindow/mFileOperations.h"
#include "platform/FileOperation.h"
#include "platform/FileSystem.h"
#include "support/ScriptedPrompt.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace mainwindow;
using platform::PromptAnswer;

namespace {

// Answers conflicts from a script and counts the questions.
class ScriptedConflicts : public ConflictQuestion
{
public:
    ConflictAnswer ask(const QString& existing, const QString&, bool keepBothAllowed) override
    {
        asked << QFileInfo(existing).fileName();
        offeredKeepBoth = keepBothAllowed;
        return script.isEmpty() ? ConflictAnswer{} : script.takeFirst();
    }
    QList<ConflictAnswer> script;
    QStringList asked;
    bool offeredKeepBoth = false;
};

// Presses Cancel once the given number of items is done.
class CancellingProgress : public engine::OperationProgress
{
public:
    explicit CancellingProgress(int after) : m_after(after) {}
    void start(const QString&) override {}
    void step(const engine::OperationReport& soFar, const QString&) override
    {
        m_done = soFar.done();
    }
    bool cancelled() const override { return m_done >= m_after; }
    void finish() override {}

private:
    int m_after;
    qint64 m_done = 0;
};

// Presses Cancel at the n-th look at the button.
class CancelAtPoll : public engine::OperationProgress
{
public:
    explicit CancelAtPoll(int n) : m_n(n) {}
    void start(const QString&) override {}
    void step(const engine::OperationReport&, const QString&) override {}
    bool cancelled() const override { return ++m_polls >= m_n; }
    void finish() override {}

private:
    int m_n;
    mutable int m_polls = 0;
};

QStringList namesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                               QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

bool anyTemporary(const QString& folder)
{
    for (const QString& n : namesIn(folder))
        if (platform::isTemporaryItemName(n))
            return true;
    return false;
}

} // namespace

// Answers every prompt with its first button, for a forked child.
class AgreeingPrompt : public platform::PromptService
{
public:
    PromptAnswer ask(const platform::PromptRequest& r) override
    {
        return r.buttons == platform::PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Yes;
    }
};

Q_DECLARE_METATYPE(platform::faults::Plan)
Q_DECLARE_METATYPE(mainwindow::ConflictAnswer)

class TestFileOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ownChecks_data();
    void ownChecks();
    void moveWithinFileSystem();
    void copyKeepsContentModeTimesAndLinks();
    void conflicts_data();
    void conflicts();
    void replaceNeverTakesTheSourceAlong_data();
    void replaceNeverTakesTheSourceAlong();
    void freeNames_data();
    void freeNames();
    void faultsLeaveSourceWhole_data();
    void faultsLeaveSourceWhole();
    void cancelStopsAfterTheCurrentItem_data();
    void cancelStopsAfterTheCurrentItem();
    void cancelWithinAFolder_data();
    void cancelWithinAFolder();
    void deleteToTrashAndForGood_data();
    void deleteToTrashAndForGood();
    void volumeWithoutTrash_data();
    void volumeWithoutTrash();
    void sweepRemovesOnlyTemporaryItems();
    void moveKeepsWhatChangedMeanwhile();
    void killAtEveryStepThenSweep_data();
    void killAtEveryStepThenSweep();
};

void TestFileOperations::ownChecks_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message"); // "" when the move goes ahead
    const QString same = u"Source and destination are the same"_s;
    const QString within = u"Cannot move selection because the source is within the destinaton"_s;
    QTest::newRow("same") << "a/b"
                          << "a/b" << same;
    QTest::newRow("same, trailing slash") << "a/b/"
                                          << "a/b" << same;
    QTest::newRow("target inside") << "a/b"
                                   << "a/b/c" << within;
    QTest::newRow("target deep inside") << "a/b"
                                        << "a/b/c/d" << within;
    QTest::newRow("sibling with longer name") << "a/b"
                                              << "a/b2" << QString();
    QTest::newRow("sibling folder") << "a/b"
                                    << "a/c" << QString();
}

void TestFileOperations::ownChecks()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, message);
    TestWorld w;
    w.file(u"a/b/c/d/x.jpg"_s, "x");
    w.folder(u"a/b2"_s);
    w.folder(u"a/c"_s);
    ScriptedPrompt prompt;
    if (!message.isEmpty())
        prompt.acceptMessages();
    for (const std::uint32_t op : {FoMove, FoCopy}) {
        prompt.seen.clear();
        if (!message.isEmpty())
            prompt.acceptMessages();
        const std::uint32_t r =
            move_or_copy_items(op, {w.path(source)}, w.path(target), FofNone, {prompt});
        QCOMPARE(r, 0u);
        if (message.isEmpty()) {
            QVERIFY(prompt.seen.isEmpty());
            QCOMPARE(TestWorld::readAll(w.path(target + u"/b/c/d/x.jpg"_s)), "x");
            if (op == FoMove)
                break;
        } else {
            QCOMPARE(prompt.lastText(), message);
            QCOMPARE(prompt.lastTitle(), platform::applicationTitle());
        }
        QCOMPARE(TestWorld::readAll(w.path(u"a/b/c/d/x.jpg"_s)), "x");
    }
}

void TestFileOperations::moveWithinFileSystem()
{
    TestWorld w;
    const QByteArray big = TestWorld::pattern(300000, 7);
    w.file(u"src/big.bin"_s, big);
    w.file(u"src/tree/inner/p.jpg"_s, "p");
    QVERIFY(::symlink("/nonexistent/target", qPrintable(w.path(u"src/dangling"_s))) == 0);
    const QString dst = w.folder(u"dst"_s);
    const auto before = platform::identityOf(w.path(u"src/big.bin"_s));
    ScriptedPrompt prompt;
    const QStringList items{w.path(u"src/big.bin"_s), w.path(u"src/tree"_s),
                            w.path(u"src/dangling"_s)};
    QCOMPARE(move_or_copy_items(FoMove, items, dst, FofNone, {prompt}), 0u);
    QCOMPARE(namesIn(w.path(u"src"_s)), QStringList());
    QCOMPARE(namesIn(dst), (QStringList{u"big.bin"_s, u"dangling"_s, u"tree"_s}));
    // A rename, not a copy: the same file, the link still a link.
    QVERIFY(platform::identityOf(dst + u"/big.bin"_s) == before);
    QVERIFY(platform::isSymLink(dst + u"/dangling"_s));
    QCOMPARE(TestWorld::readAll(dst + u"/tree/inner/p.jpg"_s), "p");
}

void TestFileOperations::copyKeepsContentModeTimesAndLinks()
{
    TestWorld w;
    const QString outside = w.file(u"outside/secret.jpg"_s, "secret");
    w.folder(u"outside/deep"_s);
    w.file(u"outside/deep/d.jpg"_s, "deep");
    const QByteArray big = TestWorld::pattern(3 * 1024 * 1024 + 17, 3);
    const QString bigPath = w.file(u"src/tree/big.bin"_s, big);
    QVERIFY(::chmod(qPrintable(bigPath), 0640) == 0);
    const struct timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
    QVERIFY(::utimensat(AT_FDCWD, qPrintable(bigPath), times, 0) == 0);
    QVERIFY(::symlink(qPrintable(outside), qPrintable(w.path(u"src/tree/toFile"_s))) == 0);
    QVERIFY(::symlink(qPrintable(w.path(u"outside/deep"_s)),
                      qPrintable(w.path(u"src/tree/toFolder"_s))) == 0);
    // A folder whose name is not valid text, with a file in it.
    const QByteArray oddFolder = platform::encodePath(w.path(u"src/tree/"_s)) + "caf\xe9";
    QVERIFY(::mkdir(oddFolder.constData(), 0755) == 0);
    const int oddFd = ::open((oddFolder + "/x.jpg").constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(oddFd >= 0 && ::write(oddFd, "odd", 3) == 3);
    ::close(oddFd);

    // Once within the file system, once onto another one where there is one.
    QStringList targets{w.folder(u"dst"_s)};
    QTemporaryDir shm(u"/dev/shm/cloakwell-test-XXXXXX"_s);
    if (shm.isValid() && !platform::sameFileSystem(shm.path(), w.root()))
        targets << shm.path();
    for (const QString& dst : targets) {
        ScriptedPrompt prompt;
        QCOMPARE(move_or_copy_items(FoCopy, {w.path(u"src/tree"_s)}, dst, FofNone, {prompt}), 0u);
        QCOMPARE(TestWorld::readAll(dst + u"/tree/big.bin"_s), big);
        QCOMPARE(TestWorld::readAll(bigPath), big);
        struct stat st;
        QVERIFY(::stat(qPrintable(dst + u"/tree/big.bin"_s), &st) == 0);
        QCOMPARE(st.st_mode & 07777, 0640u);
        QCOMPARE(qint64(st.st_mtim.tv_sec), qint64(1200000000));
        for (const QString& link : {u"toFile"_s, u"toFolder"_s}) {
            QVERIFY2(platform::isSymLink(dst + u"/tree/"_s + link), qPrintable(link));
            QCOMPARE(QFileInfo(dst + u"/tree/"_s + link).symLinkTarget(),
                     QFileInfo(w.path(u"src/tree/"_s + link)).symLinkTarget());
        }
        QVERIFY(!anyTemporary(dst));
        QVERIFY(::access((platform::encodePath(dst) + "/tree/caf\xe9/x.jpg").constData(), F_OK) ==
                0);
        // A move across removes the source only once the copy stands.
        if (dst != targets.first()) {
            const QString moved = w.file(u"src/move.bin"_s, big);
            QCOMPARE(move_or_copy_items(FoMove, {moved}, dst, FofNone, {prompt}), 0u);
            QVERIFY(!platform::pathExists(moved));
            QCOMPARE(TestWorld::readAll(dst + u"/move.bin"_s), big);
        }
    }
    QCOMPARE(TestWorld::readAll(outside), "secret");
    QCOMPARE(namesIn(w.path(u"outside/deep"_s)), QStringList{u"d.jpg"_s});
    if (shm.isValid())
        TestWorld::removeTree(platform::encodePath(shm.path()));
}

void TestFileOperations::conflicts_data()
{
    QTest::addColumn<std::uint32_t>("op");
    QTest::addColumn<std::uint16_t>("flags");
    QTest::addColumn<QList<ConflictAnswer>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QStringList>("targetNames");
    QTest::addColumn<QByteArray>("aInTarget"); // what a.jpg holds in the target afterwards
    QTest::addColumn<std::uint32_t>("result");

    using C = ConflictChoice;
    const QStringList both{u"a.jpg"_s, u"b.jpg"_s};
    for (const std::uint32_t op : {FoMove, FoCopy}) {
        const QByteArray tag = op == FoMove ? "move " : "copy ";
        QTest::newRow(tag + "replace each")
            << op << std::uint16_t(FofNone)
            << QList<ConflictAnswer>{{C::Replace, false}, {C::Replace, false}} << 2 << both
            << QByteArray("new a") << 0u;
        QTest::newRow(tag + "replace remaining")
            << op << std::uint16_t(FofNone) << QList<ConflictAnswer>{{C::Replace, true}} << 1
            << both << QByteArray("new a") << 0u;
        QTest::newRow(tag + "skip remaining")
            << op << std::uint16_t(FofNone) << QList<ConflictAnswer>{{C::Skip, true}} << 1 << both
            << QByteArray("old a") << 0u;
        QTest::newRow(tag + "skip then replace")
            << op << std::uint16_t(FofNone)
            << QList<ConflictAnswer>{{C::Skip, false}, {C::Replace, false}} << 2 << both
            << QByteArray("old a") << 0u;
        QTest::newRow(tag + "cancel")
            << op << std::uint16_t(FofNone) << QList<ConflictAnswer>{{C::Cancel, true}} << 1 << both
            << QByteArray("old a") << std::uint32_t(FoCancelled);
        QTest::newRow(tag + "keep both remaining")
            << op << std::uint16_t(FofRenameOnCollision)
            << QList<ConflictAnswer>{{C::KeepBoth, true}} << 1
            << QStringList{u"a (2).jpg"_s, u"a.jpg"_s, u"b (2).jpg"_s, u"b.jpg"_s}
            << QByteArray("old a") << 0u;
        QTest::newRow(tag + "keep both refused without the flag")
            << op << std::uint16_t(FofNone) << QList<ConflictAnswer>{{C::KeepBoth, true}} << 1
            << both << QByteArray("old a") << 0u;
    }
}

void TestFileOperations::conflicts()
{
    QFETCH(std::uint32_t, op);
    QFETCH(std::uint16_t, flags);
    QFETCH(QList<ConflictAnswer>, answers);
    QFETCH(int, questions);
    QFETCH(QStringList, targetNames);
    QFETCH(QByteArray, aInTarget);
    QFETCH(std::uint32_t, result);
    TestWorld w;
    const QStringList sources{w.file(u"src/a.jpg"_s, "new a"), w.file(u"src/b.jpg"_s, "new b")};
    const QString dst = w.folder(u"dst"_s);
    w.file(u"dst/a.jpg"_s, "old a");
    w.folder(u"dst/b.jpg"_s); // a folder in the way of a file
    w.file(u"dst/b.jpg/inside"_s, "kept unless replaced");
    ScriptedConflicts conflicts;
    conflicts.script = answers;
    ScriptedPrompt prompt;
    QCOMPARE(move_or_copy_items(op, sources, dst, flags, {prompt, nullptr, &conflicts}), result);
    QCOMPARE(conflicts.asked.size(), questions);
    QCOMPARE(conflicts.offeredKeepBoth, (flags & FofRenameOnCollision) != 0);
    QCOMPARE(namesIn(dst), targetNames);
    QCOMPARE(TestWorld::readAll(dst + u"/a.jpg"_s), aInTarget);
    QVERIFY(!anyTemporary(dst));
    // Every item still exists somewhere whole: in the target, or at its source.
    for (const QString& s : sources) {
        const QString name = QFileInfo(s).fileName();
        const QByteArray expected = name == u"a.jpg"_s ? "new a" : "new b";
        bool found = TestWorld::readAll(s) == expected;
        for (const QString& n : namesIn(dst))
            found = found || TestWorld::readAll(dst + u'/' + n) == expected;
        QVERIFY2(found, qPrintable(name));
        if (op == FoCopy)
            QCOMPARE(TestWorld::readAll(s), expected);
    }
}

void TestFileOperations::replaceNeverTakesTheSourceAlong_data()
{
    QTest::addColumn<std::uint32_t>("op");
    QTest::newRow("move") << FoMove;
    QTest::newRow("copy") << FoCopy;
}

void TestFileOperations::replaceNeverTakesTheSourceAlong()
{
    // t/b/b goes to t, where the folder t/b that holds it has its name.
    QFETCH(std::uint32_t, op);
    TestWorld w;
    const QString source = w.file(u"t/b/b"_s, "the only copy");
    ScriptedConflicts conflicts;
    conflicts.script = {{ConflictChoice::Replace, false}};
    ScriptedPrompt prompt;
    prompt.acceptMessages(); // the summary
    QCOMPARE(
        move_or_copy_items(op, {source}, w.path(u"t"_s), FofNone, {prompt, nullptr, &conflicts}),
        FoFailed);
    QCOMPARE(TestWorld::readAll(source), "the only copy");
    QCOMPARE(namesIn(w.path(u"t"_s)), QStringList{u"b"_s});
}

void TestFileOperations::freeNames_data()
{
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first") << QStringList{u"a.jpg"_s} << u"a.jpg"_s << false << u"a (2).jpg"_s;
    QTest::newRow("gap filled in order") << QStringList{u"a.jpg"_s, u"a (2).jpg"_s, u"a (4).jpg"_s}
                                         << u"a.jpg"_s << false << u"a (3).jpg"_s;
    QTest::newRow("two dots") << QStringList{u"x.tar.gz"_s} << u"x.tar.gz"_s << false
                              << u"x.tar (2).gz"_s;
    QTest::newRow("dot name") << QStringList{u".profile"_s} << u".profile"_s << false
                              << u".profile (2)"_s;
    QTest::newRow("folder with dot")
        << QStringList{u"v1.2"_s} << u"v1.2"_s << true << u"v1.2 (2)"_s;
}

void TestFileOperations::freeNames()
{
    QFETCH(QStringList, taken);
    QFETCH(QString, name);
    QFETCH(bool, folder);
    QFETCH(QString, expected);
    TestWorld w;
    const QString dst = w.folder(u"dst"_s);
    for (const QString& t : taken)
        w.file(u"dst/"_s + t, "old");
    const QString src = folder ? w.folder(u"src/"_s + name) : w.file(u"src/"_s + name, "new");
    ConflictAnswer keep{ConflictChoice::KeepBoth, false};
    ScriptedConflicts conflicts;
    conflicts.script = {keep};
    ScriptedPrompt prompt;
    QCOMPARE(
        move_or_copy_items(FoCopy, {src}, dst, FofRenameOnCollision, {prompt, nullptr, &conflicts}),
        0u);
    QVERIFY(platform::pathExists(dst + u'/' + expected));
    QCOMPARE(namesIn(dst).size(), taken.size() + 1);
}

void TestFileOperations::faultsLeaveSourceWhole_data()
{
    QTest::addColumn<std::uint32_t>("op");
    QTest::addColumn<bool>("otherFileSystem");
    QTest::addColumn<platform::faults::Plan>("plan");
    const auto plan = [](auto set) {
        platform::faults::Plan p;
        set(p);
        return p;
    };
    for (const bool other : {false, true}) {
        const QByteArray tag = other ? "move across: " : "copy: ";
        const std::uint32_t op = other ? FoMove : FoCopy;
        QTest::newRow(tag + "open") << op << other << plan([](auto& p) { p.failOpen = 1; });
        QTest::newRow(tag + "first write") << op << other << plan([](auto& p) { p.failWrite = 1; });
        QTest::newRow(tag + "later write") << op << other << plan([](auto& p) { p.failWrite = 2; });
        QTest::newRow(tag + "flush") << op << other << plan([](auto& p) { p.failFlush = 1; });
        QTest::newRow(tag + "check read") << op << other << plan([](auto& p) { p.failRead = 1; });
        QTest::newRow(tag + "rename") << op << other << plan([](auto& p) { p.failRename = 1; });
    }
    QTest::newRow("move within: rename")
        << std::uint32_t(FoMove) << false << plan([](auto& p) { p.failRename = 1; });
}

void TestFileOperations::faultsLeaveSourceWhole()
{
    QFETCH(std::uint32_t, op);
    QFETCH(bool, otherFileSystem);
    QFETCH(platform::faults::Plan, plan);
    TestWorld w;
    QTemporaryDir shm(u"/dev/shm/cloakwell-test-XXXXXX"_s);
    QString dst = w.folder(u"dst"_s);
    if (otherFileSystem) {
        if (!shm.isValid() || platform::sameFileSystem(shm.path(), w.root()))
            QSKIP("no second file system");
        dst = shm.path();
    }
    const QByteArray bytes = TestWorld::pattern(2 * 1024 * 1024 + 5, 9);
    const QString src = w.file(u"src/photo.jpg"_s, bytes);
    ScriptedPrompt prompt;
    prompt.acceptMessages(); // the summary of the failure
    platform::faults::arm(plan);
    const std::uint32_t r = move_or_copy_items(op, {src}, dst, FofNone, {prompt});
    platform::faults::disarm();
    QCOMPARE(r, std::uint32_t(FoFailed));
    QCOMPARE(TestWorld::readAll(src), bytes);
    QCOMPARE(namesIn(dst), QStringList());
    QVERIFY(prompt.lastText().contains(u"photo.jpg"_s) ||
            prompt.seen.last().details.contains(u"photo.jpg"_s));
}

void TestFileOperations::cancelStopsAfterTheCurrentItem_data()
{
    QTest::addColumn<std::uint32_t>("op");
    QTest::addColumn<bool>("otherFileSystem");
    QTest::addColumn<int>("after");
    for (const int after : {0, 1, 2}) {
        const QByteArray n = QByteArray::number(after);
        QTest::newRow("move within, after " + n) << FoMove << false << after;
        QTest::newRow("copy, after " + n) << FoCopy << false << after;
        QTest::newRow("move across, after " + n) << FoMove << true << after;
    }
}

void TestFileOperations::cancelStopsAfterTheCurrentItem()
{
    QFETCH(std::uint32_t, op);
    QFETCH(bool, otherFileSystem);
    QFETCH(int, after);
    TestWorld w;
    QTemporaryDir shm(u"/dev/shm/cloakwell-test-XXXXXX"_s);
    QString dst = w.folder(u"dst"_s);
    if (otherFileSystem) {
        if (!shm.isValid() || platform::sameFileSystem(shm.path(), w.root()))
            QSKIP("no second file system");
        dst = shm.path();
    }
    QStringList sources;
    for (int i = 0; i < 4; ++i)
        sources << w.file(u"src/f%1.jpg"_s.arg(i), TestWorld::pattern(100000 + i, i + 1));
    sources << w.folder(u"src/tree"_s);
    w.file(u"src/tree/x.jpg"_s, "x");
    CancellingProgress progress(after);
    ScriptedPrompt prompt;
    QCOMPARE(move_or_copy_items(op, sources, dst, FofNone, {prompt, &progress}), FoCancelled);
    QStringList expected;
    for (int i = 0; i < after; ++i)
        expected << QFileInfo(sources.at(i)).fileName();
    QCOMPARE(namesIn(dst), expected);
    for (int i = 0; i < sources.size() - 1; ++i) {
        const QByteArray bytes = TestWorld::pattern(100000 + i, i + 1);
        const bool moved = op == FoMove && i < after;
        QCOMPARE(platform::pathExists(sources.at(i)), !moved);
        QCOMPARE(
            TestWorld::readAll(moved || i < after ? dst + u'/' + expected.at(i) : sources.at(i)),
            bytes);
    }
    QCOMPARE(TestWorld::readAll(w.path(u"src/tree/x.jpg"_s)), "x");
}

void TestFileOperations::cancelWithinAFolder_data()
{
    QTest::addColumn<std::uint32_t>("op");
    QTest::addColumn<int>("poll");
    for (const int poll : {2, 3, 5}) {
        QTest::addRow("copy, at look %d", poll) << FoCopy << poll;
        QTest::addRow("move across, at look %d", poll) << FoMove << poll;
    }
}

void TestFileOperations::cancelWithinAFolder()
{
    QFETCH(std::uint32_t, op);
    QFETCH(int, poll);
    TestWorld w;
    QTemporaryDir shm(u"/dev/shm/cloakwell-test-XXXXXX"_s);
    if (op == FoMove && (!shm.isValid() || platform::sameFileSystem(shm.path(), w.root())))
        QSKIP("no second file system");
    const QString dst = op == FoMove ? shm.path() : w.folder(u"dst"_s);
    for (int i = 0; i < 5; ++i)
        w.file(u"src/tree/f%1.jpg"_s.arg(i), TestWorld::pattern(50000, i + 1));
    CancelAtPoll progress(poll);
    ScriptedPrompt prompt;
    QCOMPARE(move_or_copy_items(op, {w.path(u"src/tree"_s)}, dst, FofNone, {prompt, &progress}),
             FoCancelled);
    QCOMPARE(namesIn(dst), QStringList());
    for (int i = 0; i < 5; ++i)
        QCOMPARE(TestWorld::readAll(w.path(u"src/tree/f%1.jpg"_s.arg(i))),
                 TestWorld::pattern(50000, i + 1));
}

void TestFileOperations::deleteToTrashAndForGood_data()
{
    QTest::addColumn<std::uint16_t>("flags");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("confirmation"); // "" for none
    QTest::addColumn<PromptAnswer>("answer");
    QTest::addColumn<bool>("gone");
    QTest::addColumn<bool>("inTrash");
    QTest::newRow("trash") << std::uint16_t(FofAllowUndo) << 3 << QString() << PromptAnswer::Ok
                           << true << true;
    QTest::newRow("for good, one")
        << std::uint16_t(FofNone) << 1 << u"Permanently delete this item?"_s << PromptAnswer::Yes
        << true << false;
    QTest::newRow("for good, twelve")
        << std::uint16_t(FofNone) << 12 << u"Permanently delete these 12 items?"_s
        << PromptAnswer::Yes << true << false;
    QTest::newRow("for good, declined")
        << std::uint16_t(FofNone) << 2 << u"Permanently delete these 2 items?"_s << PromptAnswer::No
        << false << false;
}

void TestFileOperations::deleteToTrashAndForGood()
{
    QFETCH(std::uint16_t, flags);
    QFETCH(int, count);
    QFETCH(QString, confirmation);
    QFETCH(PromptAnswer, answer);
    QFETCH(bool, gone);
    QFETCH(bool, inTrash);
    TestWorld w;
    const QString trash =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Trash/files"_s;
    TestWorld::removeTree(platform::encodePath(trash)); // what earlier rows put there
    const QString outside = w.file(u"outside/keep.jpg"_s, "keep");
    QStringList items;
    for (int i = 0; i < count - 1; ++i)
        items << w.file(u"del/f%1.jpg"_s.arg(i), "x");
    // A folder holding a link to a file outside: the link goes, never its target.
    w.file(u"del/folder/inner.jpg"_s, "inner");
    QVERIFY(::symlink(qPrintable(outside), qPrintable(w.path(u"del/folder/link"_s))) == 0);
    items << w.path(u"del/folder"_s);
    ScriptedPrompt prompt;
    if (!confirmation.isEmpty())
        prompt.answer(answer);
    const std::uint32_t r = move_or_copy_items(FoDelete, items, QString(), flags, {prompt});
    QCOMPARE(r, gone ? 0u : std::uint32_t(FoCancelled));
    if (!confirmation.isEmpty())
        QCOMPARE(prompt.lastText(), confirmation);
    QCOMPARE(namesIn(w.path(u"del"_s)).isEmpty(), gone);
    QCOMPARE(TestWorld::readAll(outside), "keep");
    QCOMPARE(platform::pathExists(trash + u"/folder"_s), inTrash);
    if (inTrash)
        QCOMPARE(TestWorld::readAll(trash + u"/folder/inner.jpg"_s), "inner");
}

void TestFileOperations::volumeWithoutTrash_data()
{
    QTest::addColumn<QList<PromptAnswer>>("answers");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<std::uint32_t>("result");
    QTest::newRow("delete both") << QList<PromptAnswer>{PromptAnswer::Yes, PromptAnswer::Yes}
                                 << QStringList() << 0u;
    QTest::newRow("keep the first") << QList<PromptAnswer>{PromptAnswer::No, PromptAnswer::Yes}
                                    << QStringList{u"a.jpg"_s} << 0u;
    QTest::newRow("cancel at the first") << QList<PromptAnswer>{PromptAnswer::Cancel}
                                         << QStringList{u"a.jpg"_s, u"b.jpg"_s} << FoCancelled;
}

void TestFileOperations::volumeWithoutTrash()
{
    QFETCH(QList<PromptAnswer>, answers);
    QFETCH(QStringList, left);
    QFETCH(std::uint32_t, result);
    TestWorld w;
    const QStringList items{w.file(u"del/a.jpg"_s, "a"), w.file(u"del/b.jpg"_s, "b")};
    ScriptedPrompt prompt;
    for (const PromptAnswer a : answers)
        prompt.answer(a);
    FileOperationServices services{prompt};
    services.trash = [](const QString&, QString&) { return platform::TrashResult::NoTrash; };
    QCOMPARE(move_or_copy_items(FoDelete, items, QString(), FofAllowUndo, services), result);
    QCOMPARE(namesIn(w.path(u"del"_s)), left);
    QCOMPARE(prompt.seen.size(), answers.size());
    QVERIFY(prompt.seen.first().text.contains(u"\"a.jpg\""_s));
    QCOMPARE(prompt.seen.first().buttons, platform::PromptButtons::YesNoCancel);
}

void TestFileOperations::sweepRemovesOnlyTemporaryItems()
{
    TestWorld w;
    const QString dst = w.folder(u"dst"_s);
    const QString tempFile = platform::temporaryItemName();
    const QString tempFolder = platform::temporaryItemName();
    QVERIFY(tempFile != tempFolder);
    w.file(u"dst/"_s + tempFile, "partial");
    w.file(u"dst/"_s + tempFolder + u"/inner/x.jpg"_s, "partial");
    QVERIFY(::symlink(qPrintable(w.path(u"keep"_s)),
                      qPrintable(w.path(u"dst/"_s + tempFolder + u"/link"_s))) == 0);
    w.file(u"keep/k.jpg"_s, "k");
    const QStringList kept{u".cloakwell-part-"_s, u".cloakwell-part-x"_s, u"a.jpg"_s, u"x~"_s};
    for (const QString& k : kept)
        w.file(u"dst/"_s + k, "k");
    QCOMPARE(platform::removeTemporaryItems(dst), 2);
    QCOMPARE(namesIn(dst), kept);
    QCOMPARE(TestWorld::readAll(w.path(u"keep/k.jpg"_s)), "k");
}

void TestFileOperations::moveKeepsWhatChangedMeanwhile()
{
    // Another program adds a file to the folder and writes to another one
    // while the folder is copied to the other file system: both stay.
    TestWorld w;
    QTemporaryDir shm(u"/dev/shm/cloakwell-test-XXXXXX"_s);
    if (!shm.isValid() || platform::sameFileSystem(shm.path(), w.root()))
        QSKIP("no second file system");
    w.file(u"src/tree/a.jpg"_s, "a");
    w.file(u"src/tree/b.jpg"_s, "b");
    w.file(u"src/tree/c.jpg"_s, "c");
    platform::faults::Plan plan;
    int renames = 0;
    plan.beforeRename = [&] {
        if (++renames == 1) { // publishing the copy
            w.file(u"src/tree/new.jpg"_s, "new");
            w.file(u"src/tree/b.jpg"_s, "b changed");
        }
    };
    ScriptedPrompt prompt;
    prompt.acceptMessages(); // the summary
    platform::faults::arm(plan);
    const std::uint32_t r =
        move_or_copy_items(FoMove, {w.path(u"src/tree"_s)}, shm.path(), FofNone, {prompt});
    platform::faults::disarm();
    QCOMPARE(r, FoFailed);
    QCOMPARE(namesIn(w.path(u"src/tree"_s)), (QStringList{u"b.jpg"_s, u"new.jpg"_s}));
    QCOMPARE(TestWorld::readAll(w.path(u"src/tree/b.jpg"_s)), "b changed");
    QCOMPARE(TestWorld::readAll(shm.path() + u"/tree/a.jpg"_s), "a");
}

void TestFileOperations::killAtEveryStepThenSweep_data()
{
    QTest::addColumn<std::uint32_t>("op");
    QTest::addColumn<bool>("replace");
    QTest::newRow("move across") << FoMove << false;
    QTest::newRow("copy") << FoCopy << false;
    QTest::newRow("copy, replacing") << FoCopy << true;
    QTest::newRow("move across, replacing") << FoMove << true;
}

void TestFileOperations::killAtEveryStepThenSweep()
{
    QFETCH(std::uint32_t, op);
    QFETCH(bool, replace);
    QTemporaryDir shm(u"/dev/shm/cloakwell-test-XXXXXX"_s);
    if (!shm.isValid())
        QSKIP("no second file system");
    const QMap<QString, QByteArray> files{{u"a.jpg"_s, TestWorld::pattern(200000, 1)},
                                          {u"tree/x.jpg"_s, TestWorld::pattern(5000, 2)},
                                          {u"tree/sub/y.jpg"_s, "y"}};
    bool finished = false;
    int kills = 0;
    for (int killAt = 1; killAt < 60 && !finished; ++killAt) {
        TestWorld w;
        const QString dst = shm.path() + u"/k%1"_s.arg(killAt);
        QVERIFY(QDir().mkpath(dst));
        for (auto it = files.begin(); it != files.end(); ++it)
            w.file(u"src/"_s + it.key(), it.value());
        if (replace) {
            w.file(u"old/a.jpg"_s, "old");
            QVERIFY(QDir().rename(w.path(u"old/a.jpg"_s), dst + u"/a.jpg"_s));
        }
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            platform::faults::armCrash(killAt);
            AgreeingPrompt prompt;
            ::_exit(int(move_or_copy_items(op, {w.path(u"src/a.jpg"_s), w.path(u"src/tree"_s)}, dst,
                                           FofNone, {prompt})));
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        finished = WIFEXITED(status);
        kills += WIFSIGNALED(status) ? 1 : 0;
        if (finished)
            QCOMPARE(WEXITSTATUS(status), 0);
        // The start-up sweep, then: every file whole where it stands, and
        // each one at its source or in the target.
        QVERIFY(platform::removeTemporaryItems(dst) >= 0);
        QVERIFY(!anyTemporary(dst));
        for (auto it = files.begin(); it != files.end(); ++it) {
            const QString atSource = w.path(u"src/"_s + it.key());
            const QString atTarget = dst + u'/' + it.key();
            const bool there = platform::pathExists(atSource),
                       here = platform::pathExists(atTarget);
            QVERIFY2(there || here, qPrintable(u"%1 lost at step %2"_s.arg(it.key()).arg(killAt)));
            if (there)
                QCOMPARE(TestWorld::readAll(atSource), it.value());
            if (here &&
                !(replace && it.key() == u"a.jpg"_s && TestWorld::readAll(atTarget) == "old"))
                QCOMPARE(TestWorld::readAll(atTarget), it.value());
        }
        if (finished && op == FoMove)
            QVERIFY(!platform::pathExists(w.path(u"src/a.jpg"_s)));
    }
    QVERIFY(finished);
    QVERIFY(kills >= 4); // every file copied and published is a step
}

QTEST_MAIN(TestFileOperations)
#include "tst_fileoperations.moc"
