// A long operation: counts, Cancel, the hourglass lifted while a prompt
// shows, and one summary of the failures at the end.
#include "engine/LongOperation.h"

#include <QGuiApplication>
#include <QTest>

using namespace Qt::StringLiterals;
using engine::LongOperation;
using engine::OperationReport;

namespace {

// Records what the progress window would show; `cancel` stands for the
// user's press on Cancel.
class RecordingProgress : public engine::OperationProgress
{
public:
    void start(const QString& actionText) override
    {
        action = actionText;
        ++starts;
    }
    void step(const OperationReport& soFar, const QString& item) override
    {
        steps
            << u"%1/%2/%3 %4"_s.arg(soFar.changed).arg(soFar.skipped).arg(soFar.refused).arg(item);
    }
    bool cancelled() const override { return cancel; }
    void finish() override { ++finishes; }

    QString action;
    QStringList steps;
    int starts = 0;
    int finishes = 0;
    bool cancel = false;
};

// Answers OK, noting each prompt and whether the hourglass showed under it.
class NotingPrompt : public platform::PromptService
{
public:
    platform::PromptAnswer ask(const platform::PromptRequest& request) override
    {
        texts << request.text;
        details << request.details;
        hourglassUnder << (QGuiApplication::overrideCursor() != nullptr);
        return platform::PromptAnswer::Ok;
    }
    QStringList texts;
    QStringList details;
    QList<bool> hourglassUnder;
};

bool hourglass()
{
    return QGuiApplication::overrideCursor() &&
           QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

} // namespace

class TestLongOperation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A script of outcomes, one letter an item: c changed, s skipped, r
    // refused (told already), f failed with a reason, x the user cancels
    // here. What the progress saw, the counts and the summary.
    void outcomes_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("counts"); // changed/skipped/refused
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<QString>("summary"); // first line; "" for none
        QTest::newRow("all done") << u"ccc"_s << u"3/0/0"_s << false << QString();
        QTest::newRow("refusals told one by one: no summary")
            << u"crsc"_s << u"2/1/1"_s << false << QString();
        QTest::newRow("one failure")
            << u"cfc"_s << u"2/0/1"_s << false << u"1 item could not be moved:"_s;
        QTest::newRow("failures and refusals")
            << u"fcfrf"_s << u"1/0/4"_s << false << u"3 items could not be moved:"_s;
        QTest::newRow("cancelled: the rest untouched, failures still told")
            << u"cfxcc"_s << u"1/0/1"_s << true << u"1 item could not be moved:"_s;
    }
    void outcomes()
    {
        QFETCH(QString, script);
        QFETCH(QString, counts);
        QFETCH(bool, cancelled);
        QFETCH(QString, summary);
        RecordingProgress progress;
        NotingPrompt prompt;
        OperationReport report;
        {
            LongOperation op(prompt, &progress, u"Moving files..."_s, u"moved"_s);
            QCOMPARE(progress.action, u"Moving files..."_s);
            QVERIFY(hourglass());
            int n = 0;
            for (QChar c : script) {
                if (c == 'x') {
                    progress.cancel = true;
                    continue;
                }
                if (op.stopped())
                    break;
                const QString item = u"/p/%1"_s.arg(++n);
                op.working(item);
                switch (c.toLatin1()) {
                case 'c':
                    op.changed(item);
                    break;
                case 's':
                    op.skipped(item);
                    break;
                case 'r':
                    op.refused(item);
                    break;
                case 'f':
                    op.refused(item, u"No space left on device"_s);
                    break;
                }
            }
            report = op.finish();
            QVERIFY(!hourglass());
            QCOMPARE(progress.finishes, 1);
        } // the destructor finishes nothing twice
        QCOMPARE(progress.starts, 1);
        QCOMPARE(progress.finishes, 1);
        QCOMPARE(u"%1/%2/%3"_s.arg(report.changed).arg(report.skipped).arg(report.refused), counts);
        QCOMPARE(report.cancelled, cancelled);
        QCOMPARE(qsizetype(report.failures.size()), script.count('f'));
        if (summary.isEmpty()) {
            QVERIFY(prompt.texts.isEmpty());
        } else {
            QCOMPARE(prompt.texts.size(), 1);
            QCOMPARE(prompt.texts[0].section('\n', 0, 0), summary);
            QVERIFY(prompt.texts[0].contains(u"No space left on device"_s));
            QCOMPARE(prompt.details[0].count('\n') + 1, qsizetype(report.failures.size()));
            QVERIFY(!prompt.hourglassUnder[0]); // the summary never shows under the hourglass
        }
        // The progress saw every item after it was counted.
        QVERIFY(!progress.steps.isEmpty());
        QVERIFY(progress.steps.last().startsWith(counts));
    }

    // A question in the middle of the operation shows without the
    // hourglass, which comes back for the rest of the work.
    void promptLiftsTheHourglass()
    {
        NotingPrompt prompt;
        LongOperation op(prompt, nullptr, u"Deleting..."_s, u"deleted"_s);
        QVERIFY(hourglass());
        op.prompt().message(u"A file of that name exists"_s);
        QCOMPARE(prompt.hourglassUnder, QList<bool>{false});
        QVERIFY(hourglass());
        op.finish();
        QVERIFY(!hourglass());
        // After the end a prompt does not bring the hourglass back.
        op.prompt().message(u"Done"_s);
        QVERIFY(!hourglass());
        QVERIFY(!op.stopped()); // without a progress window nothing cancels
    }
};

QTEST_MAIN(TestLongOperation)
#include "tst_longoperation.moc"
