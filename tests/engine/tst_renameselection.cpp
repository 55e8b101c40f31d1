// The series rename of the Libraries list's selection: numbering, padding,
// extensions, hidden items at their own level, exclusions, names taken
// before and during the run, Cancel, and the window's preview.
#include "support/BrowseFixture.h"

#include "browse/mFileInfo.h"
#include "engine/fRenameSelection.h"
#include "engine/mRenameSelection.h"
#include "mainwindow/IdleCount.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

struct SeriesWorld : BrowseFixture
{
    SeriesWorld() : pane(true)
    {
        mGetFolders::copy_icons(pane.treeIcons, base);
        mGetFolders::copy_icons(pane.listIcons, base);
        lib = library(u"Pics"_s, u"Pics"_s);
    }
    // Lists the Library and selects the items with those shown names.
    void listAndSelect(const QStringList& texts)
    {
        mGetFolders::build_library_tree(ctx, pane.tree);
        pane.tree.selectNode(pane.tree.nodeByKey(lib));
        mFileInfo::list_folder(ctx, pane);
        QStringList keys;
        for (const browse::ListItem& i : pane.list.items())
            if (texts.contains(i.text))
                keys << i.key;
        pane.list.selectKeys(keys);
    }
    QStringList names() const
    {
        QStringList n = QDir(lib).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        n.sort();
        return n;
    }
    QStringList shown() const
    {
        QStringList t;
        for (const browse::ListItem& i : pane.list.items())
            t << i.text;
        t.sort();
        return t;
    }
    browse::BrowsePane pane;
    QString lib;
};

QString hidden(const QString& plain, short level)
{
    return mEncrypt::make_hidden_name(plain, level);
}

// Cancels once the given number of items has been worked on.
class CancellingProgress : public engine::OperationProgress
{
public:
    explicit CancellingProgress(int after) : m_after(after) {}
    void start(const QString&) override {}
    void step(const engine::OperationReport& soFar, const QString&) override
    {
        m_done = soFar.changed;
    }
    bool cancelled() const override { return m_done >= m_after; }
    void finish() override {}

private:
    int m_after;
    int m_done = 0;
};

} // namespace

class TestRenameSelection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { platform::faults::disarm(); }

    void padding_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("9 items") << 1 << 9 << "1";
        QTest::newRow("12 items") << 1 << 12 << "01";
        QTest::newRow("100 items") << 1 << 100 << "001";
        QTest::newRow("skipped past the width") << 10 << 9 << "10";
        QTest::newRow("12 of 12") << 12 << 12 << "12";
    }
    void padding()
    {
        QFETCH(int, k);
        QFETCH(int, count);
        QFETCH(QString, text);
        QCOMPARE(mRenameSelection::padded_number(k, count), text);
    }

    void preview_data()
    {
        QTest::addColumn<QString>("series");
        QTest::addColumn<int>("separator");
        QTest::addColumn<QString>("second");
        QTest::newRow("default") << "My Picture" << 0 << "My Picture 002.jpg";
        QTest::newRow("tilde") << "Trip" << 3 << "Trip~002.jpg";
        QTest::newRow("16 characters") << "abcdefghijklmnop" << 1 << "abcdefghijklmnop-002.jpg";
        QTest::newRow("20 characters")
            << "abcdefghijklmnopqrst" << 2 << "abcdefg...nopqrst_002.jpg";
    }
    void preview()
    {
        QFETCH(QString, series);
        QFETCH(int, separator);
        QFETCH(QString, second);
        QCOMPARE(
            mRenameSelection::preview_name(series, mRenameSelection::separator_of(separator), 2),
            second);
    }

    // What the series does to a folder. Each row: the items selected (all
    // but "keep.txt"), the options, the names on disk afterwards.
    void series_data()
    {
        QTest::addColumn<QStringList>("plainFiles");
        QTest::addColumn<QStringList>("hiddenFiles"); // "name:level"
        QTest::addColumn<bool>("skipHidden");
        QTest::addColumn<bool>("skipFolders");
        QTest::addColumn<QStringList>("after"); // names on disk, sorted
        QTest::addColumn<int>("renamed");

        QTest::newRow("extensions kept")
            << QStringList{"a.jpg", "b.png", "c"} << QStringList{} << false << false
            << QStringList{"Trip-1.jpg", "Trip-2.png", "Trip-3"} << 3;
        // Trip-1.jpg is not selected: the first item takes 2, the others go on.
        QTest::newRow("taken first name")
            << QStringList{"a.jpg", "b.png", "c", "=Trip-1.jpg"} << QStringList{} << false << false
            << QStringList{"Trip-1.jpg", "Trip-2.jpg", "Trip-3.png", "Trip-4"} << 3;
        QTest::newRow("hidden keeps its level")
            << QStringList{"a.jpg"} << QStringList{"h.gif:2"} << false << false
            << QStringList{"Trip-1.jpg", hidden(u"Trip-2.gif"_s, 2)} << 2;
        QTest::newRow("hidden skipped uses no number")
            << QStringList{"a.jpg", "b.jpg"} << QStringList{"h.gif:3"} << true << false
            << QStringList{"Trip-1.jpg", "Trip-2.jpg", hidden(u"h.gif"_s, 3)} << 2;
        // The list would show two items of one name.
        // The list would show two items of one name.
        QTest::newRow("a hidden twin takes the number")
            << QStringList{"a.jpg", "b.jpg", "=" + hidden(u"Trip-1.jpg"_s, 1)} << QStringList{}
            << false << false << QStringList{"Trip-2.jpg", "Trip-3.jpg", hidden(u"Trip-1.jpg"_s, 1)}
            << 2;
    }
    void series()
    {
        QFETCH(QStringList, plainFiles);
        QFETCH(QStringList, hiddenFiles);
        QFETCH(bool, skipHidden);
        QFETCH(bool, skipFolders);
        QFETCH(QStringList, after);
        QFETCH(int, renamed);

        SeriesWorld w;
        QStringList selected;
        for (QString f : plainFiles) {
            const bool unselected = f.startsWith('=');
            if (unselected)
                f.remove(0, 1);
            w.world.file(u"Pics/"_s + f, f.toUtf8());
            if (!unselected)
                selected << f;
        }
        for (const QString& h : hiddenFiles) {
            const QStringList parts = h.split(':');
            w.world.file(u"Pics/"_s + hidden(parts[0], short(parts[1].toInt())), "x");
            selected << parts[0];
        }
        w.listAndSelect(selected);
        w.prompt.acceptMessages(1);
        const auto r = mRenameSelection::rename_selection(
            w.ctx, w.pane, {u"Trip"_s, QLatin1Char('-'), skipHidden, skipFolders},
            int(selected.size()));
        QCOMPARE(r.renamed, renamed);
        QCOMPARE(w.prompt.lastText(), QString::number(renamed) + u" names were changed."_s);
        QVERIFY(w.prompt.unexpected.isEmpty());
        QStringList expected = after;
        expected.sort();
        QCOMPARE(w.names(), expected);
        // The list shows the readable names under the new keys.
        for (const browse::ListItem& i : w.pane.list.items()) {
            QVERIFY2(platform::pathExists(i.key), qPrintable(i.key));
            QCOMPARE(i.hidden ? mEncrypt::plain_name(platform::bareName(i.key))
                              : platform::bareName(i.key),
                     i.text);
        }
    }

    // A folder renamed shows its new name in the tree; skipped folders keep
    // theirs.
    void folders()
    {
        for (bool skip : {false, true}) {
            SeriesWorld w;
            w.world.folder(u"Pics/Album/Inner"_s);
            w.world.file(u"Pics/a.jpg"_s);
            w.listAndSelect({u"Album"_s, u"a.jpg"_s});
            w.prompt.acceptMessages(1);
            const auto r = mRenameSelection::rename_selection(
                w.ctx, w.pane, {u"S"_s, QLatin1Char(' '), false, skip}, 2);
            QCOMPARE(r.folderRenamed, !skip);
            const browse::TreeNode* libNode = w.pane.tree.nodeByKey(w.lib);
            QCOMPARE(childTexts(libNode), QStringList{skip ? u"Album"_s : u"S 1"_s});
            QCOMPARE(w.names(), skip ? (QStringList{u"Album"_s, u"S 1.jpg"_s})
                                     : (QStringList{u"S 1"_s, u"S 2.jpg"_s}));
        }
    }

    // An invalid series name changes nothing.
    void invalidSeriesName()
    {
        SeriesWorld w;
        w.world.file(u"Pics/a.jpg"_s);
        w.listAndSelect({u"a.jpg"_s});
        w.prompt.acceptMessages(1);
        const auto r =
            mRenameSelection::rename_selection(w.ctx, w.pane, {u"a/b"_s, QLatin1Char(' ')}, 1);
        QVERIFY(r.invalidName);
        QCOMPARE(w.prompt.lastText(), u"Invalid Series Name"_s);
        QCOMPARE(w.names(), QStringList{u"a.jpg"_s});
    }

    // A name taken between the check and the rename: that item is refused
    // with its own message and keeps its name, nothing is replaced, its
    // number stays used, and the others go on.
    void nameTakenMeanwhile()
    {
        SeriesWorld w;
        w.world.file(u"Pics/a.jpg"_s, "a");
        w.world.file(u"Pics/b.jpg"_s, "b");
        w.listAndSelect({u"a.jpg"_s, u"b.jpg"_s});
        platform::faults::Plan plan;
        bool once = false;
        plan.beforeRename = [&] {
            if (std::exchange(once, true))
                return;
            QFile f(w.lib + u"/T 1.jpg"_s);
            if (f.open(QIODevice::WriteOnly))
                f.write("theirs");
        };
        platform::faults::arm(plan);
        w.prompt.acceptMessages(2);
        const auto r =
            mRenameSelection::rename_selection(w.ctx, w.pane, {u"T"_s, QLatin1Char(' ')}, 2);
        QCOMPARE(r.renamed, 1);
        QCOMPARE(w.prompt.seen.size(), 2);
        QCOMPARE(w.prompt.seen[0].text,
                 w.lib + u"/a.jpg could not be renamed. This file may be in use."_s);
        QCOMPARE(w.prompt.seen[1].text, u"1 names were changed."_s);
        QCOMPARE(w.names(), (QStringList{u"T 1.jpg"_s, u"T 2.jpg"_s, u"a.jpg"_s}));
        QFile theirs(w.lib + u"/T 1.jpg"_s);
        QVERIFY(theirs.open(QIODevice::ReadOnly));
        QCOMPARE(theirs.readAll(), QByteArray("theirs"));
        QFile b(w.lib + u"/T 2.jpg"_s);
        QVERIFY(b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), QByteArray("b"));
    }

    // Cancel part way: the items done have their new names, the others
    // their old ones, every one is there, and the count says so.
    void cancelPartWay()
    {
        SeriesWorld w;
        QStringList all;
        for (int i = 0; i < 40; ++i) {
            const QString n = u"f%1.jpg"_s.arg(i, 2, 10, QLatin1Char('0'));
            w.world.file(u"Pics/"_s + n, n.toUtf8());
            all << n;
        }
        w.listAndSelect(all);
        CancellingProgress progress(10);
        w.prompt.acceptMessages(1);
        const auto r = mRenameSelection::rename_selection(w.ctx, w.pane, {u"S"_s, QLatin1Char('_')},
                                                          int(all.size()), &progress);
        QVERIFY(r.cancelled);
        QCOMPARE(r.renamed, 10);
        QCOMPARE(w.prompt.lastText(), u"10 names were changed."_s);
        const QStringList names = w.names();
        QCOMPARE(names.size(), 40);
        QCOMPARE(names.filter(QRegularExpression(u"^S_\\d\\d\\.jpg$"_s)).size(), 10);
        // Every file's content is under exactly one name.
        QSet<QByteArray> contents;
        for (const QString& n : names) {
            QFile f(w.lib + '/' + n);
            QVERIFY(f.open(QIODevice::ReadOnly));
            contents.insert(f.readAll());
        }
        QCOMPARE(contents.size(), 40);
    }

    // The window: the preview follows the name and the separator, Cancel
    // changes nothing, Rename renames and closes.
    void window()
    {
        SeriesWorld w;
        w.world.file(u"Pics/a.jpg"_s);
        w.world.file(u"Pics/b.jpg"_s);
        w.listAndSelect({u"a.jpg"_s, u"b.jpg"_s});
        mainwindow::IdleCount idle(w.store);
        {
            fRenameSelection dialog(idle, w.ctx, w.pane);
            QCOMPARE(dialog.Preview[0]->text(), u"My Picture 001.jpg"_s);
            QCOMPARE(dialog.Preview[4]->text(), u"..."_s);
            dialog.parent_name->setText(u"Holiday in the mountains"_s);
            dialog.seperator[1]->click();
            QCOMPARE(dialog.Preview[3]->text(), u"Holiday...untains-004.jpg"_s);
            dialog.show();
            const QByteArray dir = qgetenv("CLOAKWELL_SHOTS");
            if (!dir.isEmpty())
                dialog.grab().save(QString::fromLocal8Bit(dir) + u"/rename-selection.png"_s);
            dialog.cancel_button->click();
            QCOMPARE(w.names(), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
        }
        fRenameSelection dialog(idle, w.ctx, w.pane);
        dialog.parent_name->setText(u"Trip"_s);
        w.prompt.acceptMessages(1);
        dialog.show();
        dialog.rename_button->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result().renamed, 2);
        QCOMPARE(w.names(), (QStringList{u"Trip 1.jpg"_s, u"Trip 2.jpg"_s}));
    }
};

QTEST_MAIN(TestRenameSelection)
#include "tst_renameselection.moc"
