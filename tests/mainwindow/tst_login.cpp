// The way in: first password, login, and changing the password.
#include "mainwindow/MainWorld.h"

#include "engine/mEncrypt.h"
#include "settings/fLogin.h"
#include "settings/fNewPassword.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using platform::PromptAnswer;

namespace {

QList<QWidget*> visibleTopLevels()
{
    QList<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}

void type(QWidget* window, const char* box, const QString& text)
{
    auto* edit = window->findChild<QLineEdit*>(QLatin1String(box));
    QVERIFY(edit);
    edit->clear();
    QTest::keyClicks(edit, text);
}

void click(QWidget* window, const char* button)
{
    auto* b = window->findChild<QPushButton*>(QLatin1String(button));
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

QString storedPassword(const MainWorld& w)
{
    return w.get("", "pw");
}

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PrivateTempDir> m_tmp;

private Q_SLOTS:
    void initTestCase()
    {
        m_tmp = std::make_unique<PrivateTempDir>();
        QVERIFY(m_tmp->isValid());
    }
    void cleanup() { QCOMPARE(visibleTopLevels().size(), 0); }

    void firstPassword_data()
    {
        QTest::addColumn<QString>("newPw");
        QTest::addColumn<QString>("confirmPw");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored"); // "" = nothing stored, window stays open

        QTest::newRow("six characters are enough") << "abcdef"
                                                   << "abcdef"
                                                   << "New password has been saved"
                                                   << "zyxwvu.kz1";
        QTest::newRow("letters scrambled, digits kept") << "Pass123"
                                                        << "Pass123"
                                                        << "New password has been saved"
                                                        << "Kzhh123.kz1";
        QTest::newRow("five characters are refused")
            << "abcde"
            << "abcde"
            << "New password must be at least six character in length"
            << "";
        QTest::newRow("confirmation differs") << "abcdef"
                                              << "abcdeg"
                                              << "New passwords do not match"
                                              << "";
    }
    void firstPassword()
    {
        QFETCH(QString, newPw);
        QFETCH(QString, confirmPw);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        MainWorld w;
        int mainShown = 0;
        fLogin login(w.store(), w.prompt, [&] { ++mainShown; });
        login.Form_Load();

        QVERIFY(!login.isVisible());
        QPointer<fNewPassword> first = login.firstPasswordWindow();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->windowTitle(), QStringLiteral("Change Password"));
        QVERIFY(!first->findChild<QLineEdit*>(QStringLiteral("current_pw"))->isEnabled());

        w.prompt.acceptMessages();
        type(first, "new_pw", newPw);
        type(first, "confirm_pw", confirmPw);
        click(first, "ok_button");

        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.lastText(), message);
        QCOMPARE(w.prompt.lastTitle(), QStringLiteral("Cloakwell"));
        QCOMPARE(storedPassword(w), stored);
        if (stored.isEmpty()) {
            QCOMPARE(mainShown, 0);
            QVERIFY(first->isVisible());
            first->close();
        } else {
            QCOMPARE(stored.size(), newPw.size() + 4);
            QCOMPARE(mainShown, 1);
            QTRY_VERIFY(!first); // closed and gone
        }
    }

    void login_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("succeeds");

        const QString secret = mEncrypt::make_hidden_name(QStringLiteral("Secret7"), 1);
        QTest::newRow("right password") << secret << "Secret7" << true;
        QTest::newRow("case differs") << secret << "secret7" << false;
        QTest::newRow("prefix only") << secret << "Secret" << false;
        QTest::newRow("six characters: stored text of 10") << "zyxwvu.kz1"
                                                           << "abcdef" << true;
        QTest::newRow("stored text of 9 never logs in") << "zyxwv.kz1"
                                                        << "abcde" << false;
        QTest::newRow("stored without level suffix") << "Hvxivg7"
                                                     << "Secret7" << false;
        QTest::newRow("any level suffix counts") << "Hvxivg7.kz3"
                                                 << "Secret7" << true;
    }
    void login()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, succeeds);
        MainWorld w;
        w.set("", "pw", stored);
        int mainShown = 0;
        fLogin login(w.store(), w.prompt, [&] { ++mainShown; });
        login.Form_Load();
        QVERIFY(login.isVisible());
        QCOMPARE(login.windowTitle(), QStringLiteral("Enter Your Password"));
        QCOMPARE(login.findChild<QLineEdit*>(QStringLiteral("pw_text_box"))->echoMode(),
                 QLineEdit::Password);

        type(&login, "pw_text_box", typed);
        QTest::keyClick(login.findChild<QLineEdit*>(QStringLiteral("pw_text_box")),
                        Qt::Key_Return); // OK is the default button

        QCOMPARE(login.LoginSucceeded, succeeds);
        QCOMPARE(mainShown, succeeds ? 1 : 0);
        QVERIFY(!login.isVisible());      // one attempt, then the window closes
        QVERIFY(w.prompt.seen.isEmpty()); // a wrong password says nothing
    }

    void changePassword_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("newPw");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("changed");

        QTest::newRow("right current password") << "Secret7"
                                                << "Another1"
                                                << "New password has been saved" << true;
        QTest::newRow("current differs in case") << "secret7"
                                                 << "Another1"
                                                 << "Current pasword is incorrect" << false;
        QTest::newRow("current left empty") << ""
                                            << "Another1"
                                            << "Current pasword is incorrect" << false;
        QTest::newRow("right current, new too short")
            << "Secret7"
            << "Abc12"
            << "New password must be at least six character in length" << false;
    }
    void changePassword()
    {
        QFETCH(QString, current);
        QFETCH(QString, newPw);
        QFETCH(QString, message);
        QFETCH(bool, changed);
        MainWorld w;
        const QString old = mEncrypt::make_hidden_name(QStringLiteral("Secret7"), 1);
        w.set("", "pw", old);
        fNewPassword dialog(w.store(), w.prompt);
        dialog.show();
        QVERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("current_pw"))->isEnabled());

        w.prompt.acceptMessages();
        type(&dialog, "current_pw", current);
        type(&dialog, "new_pw", newPw);
        type(&dialog, "confirm_pw", newPw);
        click(&dialog, "ok_button");

        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.lastText(), message);
        QCOMPARE(w.prompt.lastTitle(), QStringLiteral("Cloakwell"));
        QCOMPARE(storedPassword(w), changed ? mEncrypt::make_hidden_name(newPw, 1) : old);
        QCOMPARE(dialog.isVisible(), !changed);
        dialog.close();
    }

    // Run the real event loop: it must end by itself exactly when no window is left.
    void programEndsWithItsLastWindow_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed"); // "<cancel>" presses Cancel, "<escape>" Escape
        QTest::addColumn<bool>("ends");

        const QString secret = mEncrypt::make_hidden_name(QStringLiteral("Secret7"), 1);
        QTest::newRow("wrong password") << secret << "secret7" << true;
        QTest::newRow("cancel at login") << secret << "<cancel>" << true;
        QTest::newRow("escape at login") << secret << "<escape>" << true;
        QTest::newRow("cancel the first password") << ""
                                                   << "<cancel>" << true;
        QTest::newRow("right password: main window keeps it running")
            << secret << "Secret7" << false;
        QTest::newRow("first password saved: main window keeps it running") << ""
                                                                            << "abcdef" << false;
    }
    void programEndsWithItsLastWindow()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, ends);
        MainWorld w;
        w.set("", "pw", stored);
        std::unique_ptr<QWidget> mainWindow;
        fLogin login(w.store(), w.prompt, [&] {
            mainWindow = std::make_unique<QWidget>();
            mainWindow->show();
        });
        login.Form_Load();
        QWidget* window = stored.isEmpty() ? static_cast<QWidget*>(login.firstPasswordWindow())
                                           : static_cast<QWidget*>(&login);
        if (!typed.startsWith(QLatin1Char('<')) && stored.isEmpty())
            w.prompt.acceptMessages();

        QTimer::singleShot(0, window, [&] {
            if (typed == QLatin1String("<escape>")) {
                QTest::keyClick(window, Qt::Key_Escape);
                return;
            }
            if (typed == QLatin1String("<cancel>")) {
                click(window, stored.isEmpty() ? "cancel_button" : "pw_cancel_button");
                return;
            }
            type(window, stored.isEmpty() ? "new_pw" : "pw_text_box", typed);
            if (stored.isEmpty())
                type(window, "confirm_pw", typed);
            click(window, stored.isEmpty() ? "ok_button" : "pw_ok_button");
        });
        constexpr int kStillRunning = 99;
        QTimer::singleShot(1000, qApp, [] { QCoreApplication::exit(kStillRunning); });
        QGuiApplication::setQuitOnLastWindowClosed(true);
        const int result = QCoreApplication::exec();
        QCOMPARE(result, ends ? 0 : kStillRunning);
        QCOMPARE(mainWindow != nullptr, !ends);
    }

    void unsavedPasswordIsNotReportedSaved()
    {
        MainWorld w;
        // The settings file's folder is a file: nothing can be written.
        w.world.file(QStringLiteral("blocked"), "x");
        const settings::SettingsStore store(w.world.path(QStringLiteral("blocked/Cloakwell.ini")));
        int mainShown = 0;
        fLogin login(store, w.prompt, [&] { ++mainShown; });
        login.Form_Load();
        QPointer<fNewPassword> first = login.firstPasswordWindow();
        QVERIFY(first);

        w.prompt.acceptMessages();
        type(first, "new_pw", QStringLiteral("abcdef"));
        type(first, "confirm_pw", QStringLiteral("abcdef"));
        click(first, "ok_button");

        QCOMPARE(w.prompt.seen.size(), 1);
        QVERIFY2(
            w.prompt.lastText().startsWith(QStringLiteral("The new password could not be saved")),
            qPrintable(w.prompt.lastText()));
        QCOMPARE(mainShown, 0);
        QVERIFY(first->isVisible());
        QVERIFY(!first->findChild<QLineEdit*>(QStringLiteral("current_pw"))->isEnabled());
        first->close();
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
