// The about box as splash and from the Help menu, and the shortcut list.
#include "support/MainWorld.h"

#include "mainwindow/fAbout.h"
#include "mainwindow/fHotKeys.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

QString labelText(QWidget* box, const char* name)
{
    auto* l = box->findChild<QLabel*>(QLatin1String(name));
    return l ? l->text() : u"<missing %1>"_s.arg(QLatin1String(name));
}

void clickLabel(QWidget* box, const char* name)
{
    QTest::mouseClick(box->findChild<QLabel*>(QLatin1String(name)), Qt::LeftButton);
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void splashClosesItselfAndIgnoresClicks()
    {
        MainWorld w;
        QElapsedTimer clock;
        clock.start();
        auto main = w.loadMain();
        QPointer<fAbout> splash = main->findChild<fAbout*>();
        QVERIFY(splash && splash->isVisible());
        QVERIFY(!splash->isModal());
        QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash->palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(labelText(splash, "about"), u"About Cloakwell"_s);
        QCOMPARE(labelText(splash, "version"), u"Cloakwell 2.2.0"_s);
        QCOMPARE(labelText(splash, "Label3"), u"Website:"_s);
        QCOMPARE(labelText(splash, "URL"), u"https://www.cloakwell.org/"_s);
        // The licence the program ships under, in the legal notice.
        const QString notice = splash->findChild<QPlainTextEdit*>(u"Text1"_s)->toPlainText();
        QVERIFY(notice.contains(u"GNU General Public License, version 3 or later"_s));
        QVERIFY(notice.contains(u"without warranty"_s));
        // The program's own pictures are there: the About picture and the
        // program icon on the main window.
        QVERIFY(mainwindow::missingResources().isEmpty());
        const auto* picture = splash->findChild<QLabel*>(u"Picture1"_s);
        QVERIFY(picture && !picture->pixmap().isNull());
        QVERIFY(!main->windowIcon().pixmap(32).isNull());

        for (const char* name : {"Picture1", "about", "version", "Label2", "Label3"})
            clickLabel(splash, name);
        QTest::mouseClick(splash, Qt::LeftButton);
        QTest::keyClick(splash, Qt::Key_Escape);
        QVERIFY(splash && splash->isVisible());
        QVERIFY(!main->state().splash_done);

        QTRY_VERIFY_WITH_TIMEOUT(!splash, 5000); // closed and deleted
        QVERIFY(clock.elapsed() >= 1400);
        QVERIFY(main->state().splash_done);
    }

    void aboutFromHelpIsModalAndClosesOnClick_data()
    {
        QTest::addColumn<QString>("clickOn");
        QTest::newRow("the box") << "";
        QTest::newRow("the picture") << "Picture1";
        QTest::newRow("a label") << "version";
    }
    void aboutFromHelpIsModalAndClosesOnClick()
    {
        QFETCH(QString, clickOn);
        MainWorld w;
        auto main = w.loadMain();
        main->state().splash_done = true; // the splash is over

        bool wasModal = false;
        bool timerIdle = false;
        bool stillOpen = false;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<fAbout*>(QApplication::activeModalWidget());
            QVERIFY(box);
            wasModal = box->isModal();
            timerIdle = !box->splashTimer().isActive();
            // The address opens in the browser and does not close the box.
            clickLabel(box, "URL");
            QCoreApplication::processEvents();
            stillOpen = box->isVisible();
            if (clickOn.isEmpty())
                QTest::mouseClick(box, Qt::LeftButton);
            else
                clickLabel(box, qPrintable(clickOn));
        });
        QElapsedTimer clock;
        clock.start();
        findAction(*main, "menu_help_about")->trigger(); // returns when the box closes
        QVERIFY(wasModal);
        QVERIFY(timerIdle);
        QVERIFY(stillOpen);
        QCOMPARE(w.opener.opened, QStringList{"https://www.cloakwell.org/"});
        QVERIFY(clock.elapsed() < 1400);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // F1 and the about box's address, on a computer with and without a web
    // browser: where none starts, a message says so and gives the address.
    void helpWithoutBrowser_data()
    {
        QTest::addColumn<bool>("fromAbout");
        QTest::addColumn<bool>("browser");
        QTest::addColumn<QString>("address");
        const QString site = u"https://www.cloakwell.org/"_s;
        QTest::newRow("F1, no browser") << false << false << site + u"help"_s;
        QTest::newRow("F1, browser") << false << true << site + u"help"_s;
        QTest::newRow("about box link, no browser") << true << false << site;
        QTest::newRow("about box link, browser") << true << true << site;
    }
    void helpWithoutBrowser()
    {
        QFETCH(bool, fromAbout);
        QFETCH(bool, browser);
        QFETCH(QString, address);
        MainWorld w;
        auto main = w.loadMain();
        main->state().splash_done = true;
        w.opener.browserSetUp = browser;
        if (!browser)
            w.prompt.acceptMessages();
        if (fromAbout) {
            QTimer::singleShot(0, this, [&] {
                auto* box = qobject_cast<fAbout*>(QApplication::activeModalWidget());
                QVERIFY(box);
                clickLabel(box, "URL");
                QCoreApplication::processEvents();
                box->close();
            });
            findAction(*main, "menu_help_about")->trigger();
        } else {
            findAction(*main, "menu_help_online_help")->trigger(); // F1
        }
        QCOMPARE(w.opener.opened, QStringList{address});
        if (browser) {
            QVERIFY(w.prompt.seen.isEmpty());
        } else {
            QCOMPARE(w.prompt.seen.size(), 1);
            QVERIFY2(w.prompt.lastText().contains(u"No web browser"_s),
                     qPrintable(w.prompt.lastText()));
            QVERIFY(w.prompt.lastText().endsWith(address));
        }
        QVERIFY(w.prompt.unexpected.isEmpty());
    }

    void documentUri_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("uri");
        const QString web = u"https://www.cloakwell.org/help"_s;
        QTest::newRow("web address") << web << web;
        QTest::newRow("file, spaces encoded")
            << QString("/home/u/My Pictures/a#1.jpg") << "file:///home/u/My%20Pictures/a%231.jpg";
        QTest::newRow("relative path") << QString("a.jpg") << QString();
        QTest::newRow("drive letter") << QString("C:\\a.jpg") << QString();
    }
    void documentUri()
    {
        QFETCH(QString, given);
        QFETCH(QString, uri);
        QCOMPARE(mainwindow::documentUri(given), uri);
    }

    void shortcutKeys()
    {
        MainWorld w;
        auto main = w.loadMain();
        findAction(*main, "menu_help_shortcuts")->trigger();
        QPointer<fHotKeys> keys = main->findChild<fHotKeys*>();
        QVERIFY(keys && keys->isVisible());
        QVERIFY(!keys->isModal());
        QCOMPARE(keys->windowTitle(), u"Keyboard Shortcuts"_s);
        QStringList groups;
        for (const QGroupBox* box : keys->findChildren<QGroupBox*>())
            groups << box->title();
        QCOMPARE(groups, (QStringList{"General", "Edit", "Images", "Slide Show"}));
        const auto general = keys->findChildren<QGroupBox*>().first()->findChildren<QLabel*>();
        QCOMPARE(general.last()->text(), u"Shutdown"_s);
        QCOMPARE(general.last()->toolTip(), u"This must be set in the Options window"_s);

        // One window only; its Close button closes it.
        findAction(*main, "menu_help_shortcuts")->trigger();
        QCOMPARE(main->findChildren<fHotKeys*>().size(), 1);
        QTest::mouseClick(keys->findChild<QPushButton*>(u"close_button"_s), Qt::LeftButton);
        QTRY_VERIFY(!keys);
    }
};

WINDOW_TEST_MAIN(TestAbout)
#include "tst_about.moc"
