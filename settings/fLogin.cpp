#include "settings/fLogin.h"

#include "engine/mEncrypt.h"
#include "mainwindow/UiIcons.h"
#include "platform/UiOkCancel.h"
#include "settings/fNewPassword.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

fLogin::fLogin(settings::SettingsStore store, platform::PromptService& prompt,
               std::function<void()> showMain, QWidget* parent)
    : QDialog(parent), m_store(std::move(store)), m_prompt(prompt), m_showMain(std::move(showMain))
{
    setObjectName(QStringLiteral("fLogin"));
    setWindowTitle(QStringLiteral("Enter Your Password"));
    setWindowIcon(mainwindow::programIcon());

    pw_text_box = new QLineEdit(this);
    pw_text_box->setObjectName(QStringLiteral("pw_text_box"));
    pw_text_box->setEchoMode(QLineEdit::Password);
    pw_text_box->setMinimumWidth(260);

    const auto okCancel = platform::makeOkCancel(this, QStringLiteral("pw_ok_button"),
                                                 QStringLiteral("pw_cancel_button"));
    QDialogButtonBox* buttons = okCancel.box;
    pw_ok_button = okCancel.ok;
    pw_cancel_button = okCancel.cancel;
    connect(pw_ok_button, &QPushButton::clicked, this, &fLogin::pw_ok_button_Click);
    connect(pw_cancel_button, &QPushButton::clicked, this, &fLogin::pw_cancel_button_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pw_text_box);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

bool fLogin::password_matches(const QString& stored, const QString& typed)
{
    return mEncrypt::is_hidden_name(stored) && stored.size() > 9 &&
           mEncrypt::plain_name(stored) == typed;
}

void fLogin::Form_Load()
{
    if (m_store.get_setting(QLatin1String(settings::kSectionTop), QStringLiteral("pw")).isEmpty()) {
        auto* first = new fNewPassword(m_store, m_prompt);
        first->setAttribute(Qt::WA_DeleteOnClose);
        first->setFirstPassword(m_showMain);
        first->show();
        m_firstPassword = first;
        return; // this window is never shown
    }
    show();
    pw_text_box->setFocus();
}

void fLogin::pw_ok_button_Click()
{
    const QString stored =
        m_store.get_setting(QLatin1String(settings::kSectionTop), QStringLiteral("pw"));
    if (password_matches(stored, pw_text_box->text())) {
        LoginSucceeded = true;
        if (m_showMain)
            m_showMain();
    }
    // One attempt only: a wrong password closes the window without a word.
    done(LoginSucceeded ? Accepted : Rejected);
}

void fLogin::pw_cancel_button_Click()
{
    LoginSucceeded = false;
    done(Rejected);
}

void fLogin::reject()
{
    pw_cancel_button_Click();
}
