// Find and Find Next: the step through a list's names, and the find window
// and F3 over the Libraries list as a user drives them.
#include "panes/PaneKit.h"

#include "mainwindow/FindStep.h"

#include <QCheckBox>
#include <QDialog>
#include <QRadioButton>

using mainwindow::FindOutcome;

class TestFind : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void step_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("selected"); // -1: none
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<int>("foundBefore");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("row");

        const QStringList names{u"Beach.jpg"_s, u"cat.jpg"_s, u"dog.png"_s, u"CAT notes.txt"_s};
        const int found = int(FindOutcome::Found);
        const int complete = int(FindOutcome::SearchComplete);
        const int nothing = int(FindOutcome::NothingFound);
        QTest::newRow("nothing matches at all")
            << names << 0 << u"zebra"_s << true << false << 0 << nothing << -1;
        QTest::newRow("the end after a match")
            << names << 3 << u"cat"_s << true << false << 1 << complete << -1;
        QTest::newRow("up from the first item reports at once")
            << names << 0 << u"jpg"_s << false << false << 0 << nothing << -1;
        QTest::newRow("capitals typed find lower case")
            << names << 0 << u"CAT"_s << true << false << 0 << found << 1;
        QTest::newRow("match case skips other case")
            << names << 0 << u"CAT"_s << true << true << 0 << found << 3;
        QTest::newRow("match case lower finds only lower")
            << names << 1 << u"cat"_s << true << true << 1 << complete << -1;
        QTest::newRow("the selected match itself is passed over")
            << names << 2 << u"dog"_s << true << false << 0 << nothing << -1;
        QTest::newRow("up finds the one before")
            << names << 3 << u"jpg"_s << false << false << 0 << found << 1;
        QTest::newRow("no selection down starts at the first")
            << names << -1 << u"beach"_s << true << false << 0 << found << 0;
        QTest::newRow("no selection up starts at the last")
            << names << -1 << u"t"_s << false << false << 0 << found << 3;
        QTest::newRow("an empty list")
            << QStringList() << -1 << u"a"_s << true << false << 0 << nothing << -1;
    }
    void step()
    {
        QFETCH(QStringList, names);
        QFETCH(int, selected);
        QFETCH(QString, typed);
        QFETCH(bool, down);
        QFETCH(bool, matchCase);
        QFETCH(int, foundBefore);
        QFETCH(int, outcome);
        QFETCH(int, row);

        const QString strA = mainwindow::search_text(typed, matchCase);
        qint16 nFound = qint16(foundBefore);
        const mainwindow::FindResult r = mainwindow::find_step(
            {strA, down, matchCase}, int(names.size()), selected,
            [&](int i) { return names.at(i); }, nFound);
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(r.row, row);
        QCOMPARE(nFound, qint16(foundBefore + (outcome == int(FindOutcome::Found) ? 1 : 0)));
        if (r.outcome != FindOutcome::Found)
            QVERIFY(!mainwindow::find_end_message(r.outcome).isEmpty());
    }

    void noSearchTextDoesNothing()
    {
        qint16 nFound = 0;
        const QString none;
        const auto r = mainwindow::find_step(
            {none, true, false}, 3, 0, [](int) { return u"x"_s; }, nFound);
        QCOMPARE(r.outcome, FindOutcome::NoSearch);
    }

    // The window, F3 and the report, over a list with a hidden item shown
    // by its plain name.
    void findWindowAndFindNext()
    {
        MainWorld w;
        w.world.file(u"Pictures/aaa.jpg"_s, "a");
        w.world.file(u"Pictures/bobcat.png"_s, "c");
        w.world.file(u"Pictures/xzg-qkt.kz1"_s, "hidden cat"); // cat.jpg, hidden
        w.world.file(u"Pictures/dog.jpg"_s, "d");
        w.set("Behavior", "last_path", w.world.path(u"Pictures"_s));
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        QTRY_VERIFY(rowOf(window, u"cat.jpg"_s) >= 0);
        QVERIFY(clickItem(window, shownNames(window).front()));
        QVERIFY(!shownNames(window).front().contains(u"cat"_s, Qt::CaseInsensitive));
        QTRY_COMPARE(main->state().object_focus, short(mainwindow::kLibrariesList));

        findAction(*main, "menu_edit_find")->trigger();
        auto* find = main->findChild<QDialog*>(u"fFind"_s);
        QVERIFY(find && find->isVisible());
        QVERIFY(main->state().strA.isEmpty());
        main->update_menu_states();
        QVERIFY(!findAction(*main, "menu_edit_find_next")->isEnabled());
        type(find, "search_str", u"CAT"_s);
        click(find, "find_button");
        QTRY_VERIFY(!main->findChild<QDialog*>(u"fFind"_s));

        // Down from the first item: bobcat.png and the hidden cat.jpg in list
        // order, then the end.
        const auto selectedNames = [&] {
            QStringList names;
            for (const QString& key : window->pane().list.selectedKeys())
                names << window->pane().list.item(window->pane().list.rowOfKey(key)).text;
            return names;
        };
        const QStringList listed = shownNames(window);
        const int bobcat = int(listed.indexOf(u"bobcat.png"_s));
        const int cat = int(listed.indexOf(u"cat.jpg"_s));
        const QString first = bobcat < cat ? u"bobcat.png"_s : u"cat.jpg"_s;
        const QString second = bobcat < cat ? u"cat.jpg"_s : u"bobcat.png"_s;
        QCOMPARE(selectedNames(), QStringList{first});
        main->update_menu_states();
        QVERIFY(findAction(*main, "menu_edit_find_next")->isEnabled());
        findAction(*main, "menu_edit_find_next")->trigger();
        QCOMPARE(selectedNames(), QStringList{second});
        QVERIFY(w.prompt.seen.isEmpty());
        // Past the last match: the report, and the selection stays.
        w.prompt.acceptMessages(1);
        findAction(*main, "menu_edit_find_next")->trigger();
        QCOMPARE(w.prompt.lastText(), u"Search Complete"_s);
        QCOMPARE(w.prompt.lastTitle(), u"Cloakwell"_s);
        QCOMPARE(selectedNames(), QStringList{second});
        QCOMPARE(main->state().n_found, qint16(2));

        // Cancel only closes, leaving no search.
        findAction(*main, "menu_edit_find")->trigger();
        find = main->findChild<QDialog*>(u"fFind"_s);
        QVERIFY(find);
        QVERIFY(find->findChild<QRadioButton*>(u"down"_s)->isChecked());
        QVERIFY(!find->findChild<QCheckBox*>(u"match_case"_s)->isChecked());
        click(find, "cancel_button");
        QVERIFY(main->state().strA.isEmpty());
        QVERIFY(w.prompt.unexpected.isEmpty());
    }
};

WINDOW_TEST_MAIN(TestFind)
#include "tst_find.moc"
