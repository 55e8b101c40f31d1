// The way in: first password, login, and changing the password.
#include "mainwindow/MainWorld.h"

#include "engine/mEncrypt.h"
#include "settings/fLogin.h"
#include "settings/fNewPassword.h"

#include <QTimer>

namespace {

const QString kSaved = QStringLiteral("New password has been saved");
const QString kShort = QStringLiteral("New password must be at least six character in length");
const QString kWrong = QStringLiteral("Current pasword is incorrect");
const QString kSecret = mEncrypt::make_hidden_name(QStringLiteral("Secret7"), 1);

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }

    void firstPassword_data()
    {
        QTest::addColumn<QString>("newPw");
        QTest::addColumn<QString>("confirmPw");
        QTest::addColumn<bool>("blocked"); // the settings file cannot be written
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored"); // "" = nothing stored, window stays open
        auto row = [](const char* name, const char* pw, const char* confirm, bool blocked,
                      const QString& message, const char* stored) {
            QTest::newRow(name) << pw << confirm << blocked << message << stored;
        };
        row("six characters are enough", "abcdef", "abcdef", false, kSaved, "zyxwvu.kz1");
        row("letters scrambled, digits kept", "Pass123", "Pass123", false, kSaved, "Kzhh123.kz1");
        row("five characters are refused", "abcde", "abcde", false, kShort, "");
        row("confirmation differs", "abcdef", "abcdeg", false, "New passwords do not match", "");
        row("save fails", "abcdef", "abcdef", true, "The new password could not be saved", "");
    }
    void firstPassword()
    {
        QFETCH(QString, newPw);
        QFETCH(QString, confirmPw);
        QFETCH(bool, blocked);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        MainWorld w;
        // A settings file whose folder is a file: nothing can be written.
        w.world.file(QStringLiteral("blocked"), "x");
        const settings::SettingsStore store =
            blocked ? settings::SettingsStore(w.world.path(QStringLiteral("blocked/x.ini")))
                    : w.store();
        int mainShown = 0;
        fLogin login(store, w.prompt, [&] { ++mainShown; });
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
        const QString text = w.prompt.lastText();
        QCOMPARE(blocked ? text.left(message.size()) : text, message); // the reason follows
        QCOMPARE(w.prompt.lastTitle(), QStringLiteral("Cloakwell"));
        QCOMPARE(w.get("", "pw"), stored);
        QCOMPARE(mainShown, stored.isEmpty() ? 0 : 1);
        if (stored.isEmpty()) {
            QVERIFY(first->isVisible());
            QVERIFY(!first->findChild<QLineEdit*>(QStringLiteral("current_pw"))->isEnabled());
            first->close();
        } else {
            QCOMPARE(stored.size(), newPw.size() + 4);
            QTRY_VERIFY(!first); // closed and gone
        }
    }

    void login_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("succeeds");
        auto row = [](const char* name, const QString& stored, const char* typed, bool ok) {
            QTest::newRow(name) << stored << typed << ok;
        };
        row("right password", kSecret, "Secret7", true);
        row("case differs", kSecret, "secret7", false);
        row("prefix only", kSecret, "Secret", false);
        row("six characters: stored text of 10", "zyxwvu.kz1", "abcdef", true);
        row("stored text of 9 never logs in", "zyxwv.kz1", "abcde", false);
        row("stored without level suffix", "Hvxivg7", "Secret7", false);
        row("any level suffix counts", "Hvxivg7.kz3", "Secret7", true);
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
        auto* box = login.findChild<QLineEdit*>(QStringLiteral("pw_text_box"));
        QCOMPARE(box->echoMode(), QLineEdit::Password);

        type(&login, "pw_text_box", typed);
        QTest::keyClick(box, Qt::Key_Return); // OK is the default button

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
        QTest::newRow("right current password") << "Secret7" << QString("Another1") << kSaved;
        QTest::newRow("current differs in case") << "secret7" << QString("Another1") << kWrong;
        QTest::newRow("current left empty") << "" << QString("Another1") << kWrong;
        QTest::newRow("right current, new too short") << "Secret7" << QString("Abc12") << kShort;
    }
    void changePassword()
    {
        QFETCH(QString, current);
        QFETCH(QString, newPw);
        QFETCH(QString, message);
        const bool changed = message == kSaved;
        MainWorld w;
        w.set("", "pw", kSecret);
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
        QCOMPARE(w.get("", "pw"), changed ? mEncrypt::make_hidden_name(newPw, 1) : kSecret);
        QCOMPARE(dialog.isVisible(), !changed);
        dialog.close();
    }

    // Run the real event loop: it must end by itself exactly when no window is left.
    void programEndsWithItsLastWindow_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed"); // "<cancel>" presses Cancel, "<escape>" Escape
        QTest::addColumn<bool>("ends");
        QTest::newRow("wrong password") << kSecret << "secret7" << true;
        QTest::newRow("cancel at login") << kSecret << "<cancel>" << true;
        QTest::newRow("escape at login") << kSecret << "<escape>" << true;
        QTest::newRow("cancel the first password") << QString() << "<cancel>" << true;
        QTest::newRow("right password: main window keeps it running")
            << kSecret << "Secret7" << false;
        QTest::newRow("first password saved: main window keeps it running")
            << QString() << "abcdef" << false;
    }
    void programEndsWithItsLastWindow()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, ends);
        const bool first = stored.isEmpty();
        MainWorld w;
        w.set("", "pw", stored);
        std::unique_ptr<QWidget> mainWindow;
        fLogin login(w.store(), w.prompt, [&] {
            mainWindow = std::make_unique<QWidget>();
            mainWindow->show();
        });
        login.Form_Load();
        QWidget* window = first ? static_cast<QWidget*>(login.firstPasswordWindow()) : &login;
        if (!typed.startsWith(QLatin1Char('<')) && first)
            w.prompt.acceptMessages();

        QTimer::singleShot(0, window, [&] {
            if (typed == QLatin1String("<escape>"))
                return QTest::keyClick(window, Qt::Key_Escape);
            if (typed == QLatin1String("<cancel>"))
                return click(window, first ? "cancel_button" : "pw_cancel_button");
            type(window, first ? "new_pw" : "pw_text_box", typed);
            if (first)
                type(window, "confirm_pw", typed);
            click(window, first ? "ok_button" : "pw_ok_button");
        });
        constexpr int kStillRunning = 99;
        QTimer::singleShot(1000, qApp, [] { QCoreApplication::exit(kStillRunning); });
        QGuiApplication::setQuitOnLastWindowClosed(true);
        QCOMPARE(QCoreApplication::exec(), ends ? 0 : kStillRunning);
        QCOMPARE(mainWindow != nullptr, !ends);
    }
};

WINDOW_TEST_MAIN(TestLogin)
#include "tst_login.moc"
