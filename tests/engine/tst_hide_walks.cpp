// Walks through whole trees: refusals on the way, links, Libraries inside
// Libraries, and Cancel.
#include "HideWorld.h"

#include "platform/FileSystem.h"

class TestHideWalks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void clashDeepInTree_data();
    void clashDeepInTree();
    void symbolicLinks();
    void librariesAndBinNeverRenamed();
    void cancelLeavesNothingHalfDone_data();
    void cancelLeavesNothingHalfDone();
    void oneSummaryAtTheEnd_data();
    void oneSummaryAtTheEnd();
};

void TestHideWalks::clashDeepInTree_data()
{
    QTest::addColumn<bool>("hiding");
    QTest::addColumn<QString>("in");      // readable folder of the name that is taken
    QTest::addColumn<QString>("blocker"); // the name taken beside the item; "/" ends a folder
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("after"); // Library A afterwards
    QTest::newRow("hide, file")
        << true << QString("a/Sub/Deep") << BrowseFixture::hidden("two.jpg", 2)
        << QString("two.jpg cannot be encrypted because the encrypted file name already exists.")
        << QString("Encrypt error")
        << QStringList{
               "a/Sub*",          "a/Sub*/Deep*", "a/Sub*/Deep*/two.jpg", "a/Sub*/Deep*/two.jpg*",
               "a/Sub*/one.jpg*", "a/pic.jpg*"};
    // The refused folder is still walked into, under its old name.
    QTest::newRow("hide, folder")
        << true << QString("a/Sub") << BrowseFixture::hidden("Deep") + '/'
        << QString("Deep cannot be encrypted because the encrypted name already exists.")
        << QString("Encrypt Error")
        << QStringList{"a/Sub*",          "a/Sub*/Deep", "a/Sub*/Deep*", "a/Sub*/Deep/two.jpg*",
                       "a/Sub*/one.jpg*", "a/pic.jpg*"};
    QTest::newRow("unhide, file")
        << false << QString("a/Sub/Deep") << QString("two.jpg")
        << QString("two.jpg cannot be decrypted because the decrypted file name already exists.")
        << QString("Decrypt Error")
        << QStringList{"a/Sub",         "a/Sub/Deep", "a/Sub/Deep/two.jpg", "a/Sub/Deep/two.jpg*",
                       "a/Sub/one.jpg", "a/pic.jpg"};
}

void TestHideWalks::clashDeepInTree()
{
    QFETCH(bool, hiding);
    QFETCH(QString, in);
    QFETCH(QString, blocker);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QStringList, after);
    HideWorld w;
    if (!hiding)
        w.hideEverything();
    // The folder as it is on disk now, plain or hidden.
    QString folder = w.world.root();
    for (const QString& part : in.split('/')) {
        const QString plain = folder + '/' + part;
        folder = QFileInfo::exists(plain) ? plain : folder + '/' + BrowseFixture::hidden(part);
    }
    const QString taken = folder + '/' + blocker;
    blocker.endsWith('/') ? QDir().mkpath(taken) : QFile(taken).open(QIODevice::WriteOnly);
    w.build();
    w.selectNode(QStringLiteral("A"));
    w.prompt.answer(PromptAnswer::Yes).acceptMessages(1);

    const mHide::BulkResult r = w.run(hiding);

    QCOMPARE(w.prompt.seen.size(), 2);
    QCOMPARE(w.prompt.seen[1].text, text);
    QCOMPARE(w.prompt.seen[1].title, title);
    QCOMPARE(w.prompt.hourglassAtPrompt, (QList<bool>{false, false}));
    QVERIFY(w.progress.hourglassAtEveryStep);
    QCOMPARE(r.refused, 1);
    after.sort();
    QCOMPARE(w.libraryA(), after);
    QVERIFY2(w.treeMismatch().isEmpty(), qPrintable(w.treeMismatch()));
}

void TestHideWalks::symbolicLinks()
{
    HideWorld w;
    const QString a = w.world.path(QStringLiteral("a"));
    const QString outside = w.world.file(QStringLiteral("outside/keep.jpg"), "keep");
    QVERIFY(BrowseFixture::link(a, a + "/loop"));
    QVERIFY(BrowseFixture::link(w.world.path(QStringLiteral("outside")), a + "/out"));
    QVERIFY(BrowseFixture::link(outside, a + "/keep link.jpg"));
    w.build();
    w.selectNode(QStringLiteral("A"));
    w.prompt.answer(PromptAnswer::Yes);

    const mHide::BulkResult r = mHide::hide_selection(w.hide);

    // The links are items of the Library and get hidden names; what they
    // lead to is never touched, and the loop is not followed.
    QCOMPARE(r.changed, 8);
    for (const char* name : {"loop", "out"})
        QVERIFY(QFileInfo(a + '/' + BrowseFixture::hidden(name)).isSymLink());
    QVERIFY(QFileInfo(a + '/' + BrowseFixture::hidden("keep link.jpg")).isSymLink());
    QCOMPARE(TestWorld::readAll(outside), QByteArray("keep"));
    QVERIFY(QFileInfo::exists(a + '/' + BrowseFixture::hidden("pic.jpg", 2)));
    QVERIFY2(w.treeMismatch().isEmpty(), qPrintable(w.treeMismatch()));

    // A selected link in the list is renamed back, and not walked into either.
    w.selectItems(QStringLiteral("A"), {QStringLiteral("out"), QStringLiteral("loop")});
    QCOMPARE(mHide::unhide_selection(w.hide).changed, 2);
    QVERIFY(QFileInfo(a + "/out").isSymLink());
    QVERIFY(QFileInfo::exists(a + '/' + BrowseFixture::hidden("pic.jpg", 2)));
    QCOMPARE(TestWorld::readAll(outside), QByteArray("keep"));
    QVERIFY2(w.listMismatch().isEmpty(), qPrintable(w.listMismatch()));
}

void TestHideWalks::librariesAndBinNeverRenamed()
{
    HideWorld w;
    // A Library inside another one, and the bin inside a Library.
    mLibraries::add_library_entry(w.store, QStringLiteral("C"), w.world.path("a/Sub/Deep"));
    mLibraries::add_library_entry(w.store, QStringLiteral("P"), w.world.path("program"));
    w.build();
    w.selectNode(QString());
    w.prompt.answer(PromptAnswer::Yes);

    mHide::hide_selection(w.hide);

    QCOMPARE(w.libraryA(), (QStringList{"a/Sub", "a/Sub/Deep", "a/Sub/Deep/two.jpg*",
                                        "a/Sub/one.jpg*", "a/pic.jpg*"}));
    QVERIFY(QFileInfo::exists(w.folders.binFolder + '/' + BrowseFixture::hidden("binned.jpg", 2)));
    QCOMPARE(mLibraries::read_libraries(w.store).size(), size_t(4));
    QCOMPARE(w.prompt.seen.size(), 1); // no Library went missing
}

void TestHideWalks::cancelLeavesNothingHalfDone_data()
{
    QTest::addColumn<bool>("hiding");
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("cancelAfter");
    for (bool hiding : {true, false})
        for (const char* where : {"library", "list", "all"})
            for (int after : {1, 9, 23})
                QTest::addRow("%s %s after %d", hiding ? "hide" : "unhide", where, after)
                    << hiding << QString::fromLatin1(where) << after;
}

void TestHideWalks::cancelLeavesNothingHalfDone()
{
    QFETCH(bool, hiding);
    QFETCH(QString, where);
    QFETCH(int, cancelAfter);
    HideWorld w;
    w.prefs.encrypt_level = 3;
    w.prefs.encrypt_level_3_ext = QStringLiteral("jpg");
    // Files long enough for several level-3 chunks each.
    for (int f = 1; f <= 3; ++f)
        for (int i = 1; i <= 8; ++i)
            w.put(QStringLiteral("a/F%1/p%2.jpg").arg(f).arg(i), 70000 + i);
    if (!hiding)
        w.hideEverything();
    const QMap<QString, bool> before = marks(w.state());
    w.build();
    if (where == "list") {
        w.selectItems(QStringLiteral("A"), {"F1", "F2", "F3", "Sub", "pic.jpg"});
    } else {
        w.selectNode(where == "all" ? QString() : QStringLiteral("A"));
        w.prompt.answer(PromptAnswer::Yes);
    }
    w.progress.cancelAfter = cancelAfter;

    const mHide::BulkResult r = w.run(hiding);

    QVERIFY(r.cancelled);
    QCOMPARE(r.done(), qint64(cancelAfter));
    QCOMPARE(w.progress.starts, 1);
    QCOMPARE(w.progress.finishes, 1);
    QCOMPARE(w.progress.steps.size(), cancelAfter);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    // Each file is whole either way: its readable name hidden with all of its
    // level's bytes inverted, or plain with exactly its own bytes.
    const QMap<QString, bool> now = marks(w.state());
    int flipped = 0;
    for (auto it = now.begin(); it != now.end(); ++it)
        flipped += it.value() != before.value(it.key());
    QCOMPARE(flipped, r.changed);
    QVERIFY(r.changed > 0);
    int files = 0;
    std::function<void(const QString&, const QString&)> check = [&](const QString& dir,
                                                                    const QString& shown) {
        for (const QFileInfo& fi :
             QDir(dir).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            const bool hidden = is_hidden_name(fi.fileName());
            const QString readable =
                shown + '/' + (hidden ? plain_name(fi.fileName()) : fi.fileName());
            if (fi.isDir()) {
                check(fi.filePath(), readable);
                continue;
            }
            QByteArray bytes = w.plainBytes.value(readable);
            QVERIFY2(!bytes.isNull(), qPrintable(readable));
            QVERIFY(!hidden || fi.fileName().endsWith('3'));
            for (qint64 i = 0; hidden && i < qMin<qint64>(bytes.size(), mEncrypt::kLevel3Region);
                 ++i)
                bytes[i] = char(~uchar(bytes[i]));
            QVERIFY2(TestWorld::readAll(fi.filePath()) == bytes, qPrintable(readable));
            ++files;
        }
    };
    check(w.world.path(QStringLiteral("a")), QStringLiteral("a"));
    QCOMPARE(files, 27);
    // The panes show what is on disk, as after a walk that ran to its end.
    QVERIFY2(w.treeMismatch().isEmpty(), qPrintable(w.treeMismatch()));
    if (where != "all")
        QVERIFY2(w.listMismatch().isEmpty(), qPrintable(w.listMismatch()));
}

Q_DECLARE_METATYPE(platform::faults::Plan)

void TestHideWalks::oneSummaryAtTheEnd_data()
{
    QTest::addColumn<platform::faults::Plan>("plan");
    QTest::addColumn<QString>("text");    // the start of the summary
    QTest::addColumn<QString>("details"); // a line of its details
    QTest::addColumn<QStringList>("state");
    platform::faults::Plan full{0, 0, 1, 0, 0, {}};
    QTest::newRow("disk full at the first write")
        << full << "1 item could not be hidden:\n"
        << "/two.jpg: no space left on the device"
        << QStringList{"a/Sub*", "a/Sub*/Deep*", "a/Sub*/Deep*/two.jpg", "a/Sub*/one.jpg*",
                       "a/pic.jpg*"};
    platform::faults::Plan noLeases;
    noLeases.noLeases = true;
    QTest::newRow("no leases: by name only")
        << noLeases << "3 files were hidden by name only (level 1)"
        << "/one.jpg"
        << QStringList{"a/Sub*", "a/Sub*/Deep*", "a/Sub*/Deep*/two.jpg*", "a/Sub*/one.jpg*",
                       "a/pic.jpg*"};
}

// Failures the design gives no box of their own, and files hidden by name
// only, come in one summary when the command ends, with every item in details.
void TestHideWalks::oneSummaryAtTheEnd()
{
    QFETCH(platform::faults::Plan, plan);
    QFETCH(QString, text);
    QFETCH(QString, details);
    QFETCH(QStringList, state);
    HideWorld w;
    w.build();
    w.selectNode(QStringLiteral("A"));
    w.prompt.answer(PromptAnswer::Yes).acceptMessages();
    platform::faults::arm(plan);
    const mHide::BulkResult r = mHide::hide_selection(w.hide);
    platform::faults::disarm();
    QCOMPARE(w.prompt.seen.size(), 2);
    QVERIFY2(w.prompt.lastText().startsWith(text), qPrintable(w.prompt.lastText()));
    QVERIFY2(w.prompt.seen.back().details.contains(details),
             qPrintable(w.prompt.seen.back().details));
    QCOMPARE(w.libraryA(), state);
    QCOMPARE(int(r.failures.size()) + int(r.nameOnly.size()) > 0, true);
    // Level 1 names only where the content was left alone.
    for (const QString& name : QDir(w.world.path("a")).entryList(QDir::Files))
        QCOMPARE(name.endsWith("1"), bool(plan.noLeases));
    QCOMPARE(
        TestWorld::readAll(w.world.path("a/") + (plan.noLeases
                                                     ? BrowseFixture::hidden("pic.jpg", 1)
                                                     : BrowseFixture::hidden("pic.jpg", 2))),
        plan.noLeases ? w.plainBytes.value("a/pic.jpg") : [&] {
            QByteArray b = w.plainBytes.value("a/pic.jpg");
            b[0] = char(~b[0]);
            return b;
        }());
}

QTEST_MAIN(TestHideWalks)
#include "tst_hide_walks.moc"
