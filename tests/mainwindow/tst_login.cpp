// The way in: first password, login, and changing the password.
#include "support/MainWorld.h"

#include "engine/mEncrypt.h"
#include "settings/fLogin.h"
#include "settings/fNewPassword.h"

#include <QTimer>

#include <optional>

namespace {

const QString kSaved = u"New password has been saved"_s;
const QString kShort = u"New password must be at least six character in length"_s;
const QString kWrong = u"Current pasword is incorrect"_s;
const QString kSecret = mEncrypt::make_hidden_name(u"Secret7"_s, 1);

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

    // The first password (no current one, from the login) and a change of it
    // (the current one asked for, from the menu).
    void password_data()
    {
        QTest::addColumn<QString>("current"); // null: first password
        QTest::addColumn<QString>("newPw");
        QTest::addColumn<QString>("confirmPw");
        QTest::addColumn<bool>("blocked"); // the settings file cannot be written
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored"); // afterwards
        auto row = [](const char* name, const char* current, const char* pw, const char* confirm,
                      bool blocked, const QString& message, const QString& stored) {
            QTest::newRow(name) << QString(current) << pw << confirm << blocked << message
                                << stored;
        };
        const QString another = mEncrypt::make_hidden_name(u"Another1"_s, 1);
        row("first: six characters", nullptr, "abcdef", "abcdef", false, kSaved, "zyxwvu.kz1");
        row("first: letters scrambled, digits kept", nullptr, "Pass123", "Pass123", false, kSaved,
            "Kzhh123.kz1");
        row("first: five characters", nullptr, "abcde", "abcde", false, kShort, "");
        row("first: confirmation differs", nullptr, "abcdef", "abcdeg", false,
            "New passwords do not match", "");
        row("first: save fails", nullptr, "abcdef", "abcdef", true,
            "The new password could not be saved", "");
        row("change: right current", "Secret7", "Another1", "Another1", false, kSaved, another);
        row("change: current differs in case", "secret7", "Another1", "Another1", false, kWrong,
            kSecret);
        row("change: current left empty", "", "Another1", "Another1", false, kWrong, kSecret);
        row("change: new too short", "Secret7", "Abc12", "Abc12", false, kShort, kSecret);
    }
    void password()
    {
        QFETCH(QString, current);
        QFETCH(QString, newPw);
        QFETCH(QString, confirmPw);
        QFETCH(bool, blocked);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        const bool first = current.isNull();
        const bool saved = message == kSaved;
        MainWorld w;
        if (!first)
            w.set("", "pw", kSecret);
        // A settings file whose folder is a file: nothing can be written.
        w.world.file(u"blocked"_s, "x");
        const settings::SettingsStore store =
            blocked ? settings::SettingsStore(w.world.path(u"blocked/x.ini"_s)) : w.store();
        int mainShown = 0;
        std::optional<fLogin> login;
        std::optional<fNewPassword> change;
        QPointer<fNewPassword> dialog;
        if (first) {
            login.emplace(store, w.prompt, [&] { ++mainShown; });
            login->Form_Load();
            QVERIFY(!login->isVisible());
            dialog = login->firstPasswordWindow();
        } else {
            dialog = &change.emplace(store, w.prompt);
            dialog->show();
        }
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), u"Change Password"_s);
        auto* currentBox = dialog->findChild<QLineEdit*>(u"current_pw"_s);
        QCOMPARE(currentBox->isEnabled(), !first);

        w.prompt.acceptMessages();
        if (!first)
            type(dialog, "current_pw", current);
        type(dialog, "new_pw", newPw);
        type(dialog, "confirm_pw", confirmPw);
        click(dialog, "ok_button");

        QCOMPARE(w.prompt.seen.size(), 1);
        const QString text = w.prompt.lastText();
        QCOMPARE(blocked ? text.left(message.size()) : text, message); // the reason follows
        QCOMPARE(w.prompt.lastTitle(), u"Cloakwell"_s);
        QCOMPARE(w.get("", "pw"), stored);
        QCOMPARE(mainShown, first && saved ? 1 : 0);
        if (!saved) {
            QVERIFY(dialog->isVisible());
            QCOMPARE(currentBox->isEnabled(), !first);
            dialog->close();
        } else if (first) {
            QCOMPARE(stored.size(), newPw.size() + 4);
            QTRY_VERIFY(!dialog); // closed and gone
        } else {
            QVERIFY(!dialog->isVisible());
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
        QCOMPARE(login.windowTitle(), u"Enter Your Password"_s);
        auto* box = login.findChild<QLineEdit*>(u"pw_text_box"_s);
        QCOMPARE(box->echoMode(), QLineEdit::Password);

        type(&login, "pw_text_box", typed);
        QTest::keyClick(box, Qt::Key_Return); // OK is the default button

        QCOMPARE(login.LoginSucceeded, succeeds);
        QCOMPARE(mainShown, succeeds ? 1 : 0);
        QVERIFY(!login.isVisible());      // one attempt, then the window closes
        QVERIFY(w.prompt.seen.isEmpty()); // a wrong password says nothing
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
