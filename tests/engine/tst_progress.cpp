#include "support/BrowseFixture.h"

#include "engine/fProgress.h"
#include "engine/mHide.h"
#include "mainwindow/AppState.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

QString labelText(const fProgress& p, const char* name)
{
    return p.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

QPushButton* cancelButton(const fProgress& p)
{
    return p.findChild<QPushButton*>(QStringLiteral("cancel_button"));
}

} // namespace

// Steps the window with n items done and no item named.
static void stepTo(fProgress& p, qint64 n)
{
    engine::OperationReport soFar;
    soFar.changed = int(n);
    p.step(soFar, QString());
}

class TestProgress : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showsAfterASecondThrottled();
    void cancelling_data();
    void cancelling();
    void cancelStopsABulkHide();
    void showsAnOperation();
};

void TestProgress::showsAfterASecondThrottled()
{
    qint64 now = 5000;
    fProgress p(nullptr, [&] { return now; });
    p.start(QStringLiteral("Hiding files and folders..."));
    now += 999;
    stepTo(p, 40);
    QVERIFY(!p.isVisible()); // quick commands never flash it
    now += 1;
    stepTo(p, 41);
    QVERIFY(p.isVisible());
    QCOMPARE(labelText(p, "action_label"), QStringLiteral("Hiding files and folders..."));
    QCOMPARE(labelText(p, "count_label"), QStringLiteral("41 items done"));
    now += fProgress::kPumpEveryMs - 1;
    stepTo(p, 42);
    QCOMPARE(labelText(p, "count_label"), QStringLiteral("41 items done"));
    now += 1;
    stepTo(p, 1234);
    QCOMPARE(labelText(p, "count_label"), QLocale().toString(1234) + QStringLiteral(" items done"));
    p.finish();
    QVERIFY(!p.isVisible());

    // The next walk starts afresh: hidden again for its first second.
    p.start(QStringLiteral("Unhiding files and folders..."));
    stepTo(p, 1);
    QVERIFY(!p.isVisible());
    QCOMPARE(labelText(p, "action_label"), QStringLiteral("Unhiding files and folders..."));
    QCOMPARE(labelText(p, "count_label"), QStringLiteral("0 items done"));
}

// A long operation: its own action text, the item it works on and the
// counts.
void TestProgress::showsAnOperation()
{
    qint64 now = 0;
    fProgress p(nullptr, [&] { return now; });
    engine::OperationProgress& op = p;
    op.start(QStringLiteral("Moving files..."));
    engine::OperationReport soFar;
    soFar.changed = 1200;
    soFar.skipped = 3;
    soFar.refused = 1;
    now = 1500;
    op.step(soFar, QStringLiteral("/home/u/Pictures/beach.jpg"));
    QVERIFY(p.isVisible());
    QCOMPARE(labelText(p, "action_label"), QStringLiteral("Moving files..."));
    QCOMPARE(labelText(p, "item_label"), QStringLiteral("/home/u/Pictures/beach.jpg"));
    QCOMPARE(labelText(p, "count_label"), QLocale().toString(1204) + QStringLiteral(" items done"));
    QCOMPARE(labelText(p, "tally_label"),
             QLocale().toString(1200) + QStringLiteral(" changed, 3 skipped, 1 refused"));
    QVERIFY(p.findChild<QLabel*>(QStringLiteral("tally_label"))->isVisibleTo(&p));
    op.finish();
    QVERIFY(!p.isVisible());
}

void TestProgress::cancelling_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("window closed") << 2;
}

void TestProgress::cancelling()
{
    QFETCH(int, how);
    qint64 now = 0;
    fProgress p(nullptr, [&] { return now; });
    p.start(QStringLiteral("Hiding files and folders..."));
    now = 2000;
    stepTo(p, 1);
    QVERIFY(QTest::qWaitForWindowExposed(&p));
    QVERIFY(!p.cancelled());
    if (how == 0)
        QTest::mouseClick(cancelButton(p), Qt::LeftButton);
    else if (how == 1)
        QTest::keyClick(&p, Qt::Key_Escape);
    else
        p.close();
    QVERIFY(p.cancelled());
    // The walk, not the window, says when it is over.
    QVERIFY(p.isVisible());
    QVERIFY(!cancelButton(p)->isEnabled());
    QCOMPARE(labelText(p, "action_label"), QStringLiteral("Stopping after the current item..."));
    p.finish();
    QVERIFY(!p.isVisible());
    p.start(QStringLiteral("Hiding files and folders..."));
    QVERIFY(!p.cancelled());
}

void TestProgress::cancelStopsABulkHide()
{
    BrowseFixture f;
    f.prefs.encrypt_level = 2;
    f.library(QStringLiteral("A"), QStringLiteral("a"));
    for (int i = 0; i < 40; ++i)
        f.world.file(QStringLiteral("a/F%1/p%2.jpg").arg(i % 4).arg(i), "picture");
    browse::BrowsePane pane(true);
    mGetFolders::build_library_tree(f.ctx, pane.tree);
    pane.tree.selectNode(pane.tree.nodeByKey(f.world.path(QStringLiteral("a"))));
    f.focus = mainwindow::kLibrariesTree;
    f.prompt.answer(platform::PromptAnswer::Yes);

    // Every look at the clock takes a tenth of a second: the window shows
    // after a few items, and the first time it lets events through the user
    // presses Cancel.
    qint64 now = 0;
    fProgress progress(nullptr, [&] { return now += 100; });
    QTimer::singleShot(0, &progress,
                       [&] { QTest::mouseClick(cancelButton(progress), Qt::LeftButton); });
    const mHide::Context ctx{f.ctx, &pane, {}, {}, {}, &progress};
    const mHide::BulkResult r = mHide::hide_selection(ctx);

    QVERIFY(r.cancelled);
    QVERIFY(r.changed > 0 && r.changed < 44);
    QVERIFY(!progress.isVisible());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    int hidden = 0;
    for (const browse::ListItem& it : pane.list.items())
        hidden += it.hidden;
    QCOMPARE(pane.list.tag(), f.world.path(QStringLiteral("a")));
    QCOMPARE(pane.list.count(), 4);
    QVERIFY(hidden >= 1 && hidden < 4); // each folder is renamed before its files
}

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
