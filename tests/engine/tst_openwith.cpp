#include "engine/fOpenWith.h"
#include "support/RecordingLauncher.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using mOpenFiles::AppInfo;

namespace {

AppInfo app(const QString& id, const QString& name, const QString& icon)
{
    AppInfo a = RecordingLauncher::app(QStringLiteral("/usr/bin/") + id, QString());
    a.id = id + QStringLiteral(".desktop");
    a.name = name;
    a.iconName = icon;
    return a;
}

QStringList texts(QTreeWidgetItem* group)
{
    QStringList out;
    for (int i = 0; group && i < group->childCount(); ++i)
        out << group->child(i)->text(0);
    return out;
}

} // namespace

class TestOpenWith : public QObject
{
    Q_OBJECT
private:
    RecordingLauncher launcher;

    QTreeWidget* tree(QWidget* d) { return d->findChild<QTreeWidget*>("program_tree_view"); }
    QLineEdit* command(QWidget* d) { return d->findChild<QLineEdit*>("command_text_box"); }
    QPushButton* ok(QWidget* d) { return d->findChild<QPushButton*>("ok_button"); }

private Q_SLOTS:
    void init()
    {
        launcher = RecordingLauncher{};
        const AppInfo viewer = app("eog", "Image Viewer", "org.gnome.eog");
        const AppInfo gimp = app("gimp", "GNU Image Manipulation Program", "/no/such/icon.png");
        launcher.registered.insert("image/jpeg", {viewer, gimp});
        launcher.everyApp = {app("firefox", "Firefox", "firefox"), gimp, viewer,
                             app("gedit", "Text Editor", "accessories-text-editor"),
                             app("totem", "Videos", "totem")};
    }

    void listsTypeFirstThenTheRest();
    void choosing_data();
    void choosing();
    void chooserRunsModally_data();
    void chooserRunsModally();
};

void TestOpenWith::listsTypeFirstThenTheRest()
{
    fOpenWith d(launcher, "cat.jpg");
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QCOMPARE(d.windowTitle(), QStringLiteral("Open With"));
    QTreeWidget* t = tree(&d);
    QCOMPARE(t->topLevelItemCount(), 2);
    QCOMPARE(t->topLevelItem(0)->text(0), QStringLiteral("Recommended Programs"));
    QCOMPARE(texts(t->topLevelItem(0)),
             (QStringList{"Image Viewer", "GNU Image Manipulation Program"}));
    QCOMPARE(t->topLevelItem(1)->text(0), QStringLiteral("Other Programs"));
    QCOMPARE(texts(t->topLevelItem(1)), (QStringList{"Firefox", "Text Editor", "Videos"}));
    // A group heading is not a program.
    QVERIFY(!(t->topLevelItem(0)->flags() & Qt::ItemIsSelectable));
    for (int g = 0; g < 2; ++g)
        for (int i = 0; i < t->topLevelItem(g)->childCount(); ++i)
            QVERIFY(!t->topLevelItem(g)->child(i)->icon(0).pixmap(24, 24).isNull());
    // The program for the type is chosen until the user says otherwise.
    QVERIFY(ok(&d)->isEnabled());
    QCOMPARE(d.choice()->app->id, QStringLiteral("eog.desktop"));
}

void TestOpenWith::choosing_data()
{
    QTest::addColumn<QString>("type");   // the file's readable name
    QTest::addColumn<QString>("action"); // what the user does
    QTest::addColumn<QString>("chosen"); // app id, "cmd:" + command, or "" for none
    QTest::newRow("double-click another program") << "cat.jpg"
                                                  << "dblclick Videos"
                                                  << "totem.desktop";
    QTest::newRow("typing replaces the selection") << "cat.jpg"
                                                   << "type  my-viewer --big "
                                                   << "cmd:my-viewer --big";
    QTest::newRow("a click after typing replaces the command") << "cat.jpg"
                                                               << "type x|click Firefox"
                                                               << "firefox.desktop";
    QTest::newRow("nothing for an unknown type until chosen") << "notes"
                                                              << ""
                                                              << "";
    QTest::newRow("blank command is no choice") << "notes"
                                                << "type    "
                                                << "";
}

void TestOpenWith::choosing()
{
    QFETCH(QString, type);
    QFETCH(QString, action);
    QFETCH(QString, chosen);
    fOpenWith d(launcher, type);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    for (const QString& step : action.split('|', Qt::SkipEmptyParts)) {
        const QString arg = step.section(' ', 1);
        if (step.startsWith("type")) {
            QTest::keyClicks(command(&d), arg);
            continue;
        }
        const auto found = tree(&d)->findItems(arg, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(found.size(), 1);
        const QRect r = tree(&d)->visualItemRect(found.front());
        QTest::mouseClick(tree(&d)->viewport(), Qt::LeftButton, {}, r.center());
        if (step.startsWith("dblclick"))
            QTest::mouseDClick(tree(&d)->viewport(), Qt::LeftButton, {}, r.center());
    }
    const auto c = d.choice();
    QCOMPARE(ok(&d)->isEnabled(), !chosen.isEmpty());
    if (chosen.isEmpty()) {
        QVERIFY(!c);
        return;
    }
    QVERIFY(c);
    if (chosen.startsWith("cmd:")) {
        QVERIFY(!c->app);
        QCOMPARE(c->command, chosen.mid(4));
        QVERIFY(tree(&d)->selectedItems().isEmpty());
    } else {
        QCOMPARE(c->app->id, chosen);
        QVERIFY(command(&d)->text().isEmpty());
    }
    if (action.startsWith("dblclick"))
        QCOMPARE(d.result(), int(QDialog::Accepted));
}

void TestOpenWith::chooserRunsModally_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestOpenWith::chooserRunsModally()
{
    QFETCH(bool, accept);
    QWidget owner;
    owner.show();
    const auto chooser = openWithDialog(launcher, &owner);
    QTimer::singleShot(0, this, [&] {
        auto* d = owner.findChild<fOpenWith*>();
        QVERIFY(d && d->isModal());
        QTest::mouseClick(d->findChild<QPushButton*>(accept ? "ok_button" : "cancel_button"),
                          Qt::LeftButton);
    });
    const auto picked = chooser("/tmp/KZ Temp/radAAAAA.tmp2.jpg", "cat.jpg");
    QCOMPARE(picked.has_value(), accept);
    if (accept)
        QCOMPARE(picked->app->id, QStringLiteral("eog.desktop"));
    QVERIFY(!owner.findChild<fOpenWith*>());
}

QTEST_MAIN(TestOpenWith)
#include "tst_openwith.moc"
