#include "settings/fNewPassword.h"

#include "engine/mEncrypt.h"
#include "mainwindow/UiIcons.h"
#include "platform/UiOkCancel.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* passwordBox(QWidget* parent, const char* name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setEchoMode(QLineEdit::Password);
    box->setMinimumWidth(220);
    return box;
}

} // namespace

fNewPassword::fNewPassword(settings::SettingsStore store, platform::PromptService& prompt,
                           QWidget* parent)
    : QDialog(parent), m_store(std::move(store)), m_prompt(prompt)
{
    setObjectName(QStringLiteral("fNewPassword"));
    setWindowTitle(QStringLiteral("Change Password"));
    setWindowIcon(mainwindow::programIcon());

    current_pw = passwordBox(this, "current_pw");
    new_pw = passwordBox(this, "new_pw");
    confirm_pw = passwordBox(this, "confirm_pw");

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Current Password"), current_pw);
    form->addRow(QStringLiteral("New Password"), new_pw);
    form->addRow(QStringLiteral("Confirm New Password"), confirm_pw);

    auto* note = new QLabel(
        QStringLiteral(
            "Passwords are case-sensitive and must be at least six characters in length!"),
        this);
    note->setObjectName(QStringLiteral("note_label"));
    note->setWordWrap(true);

    const auto okCancel =
        platform::makeOkCancel(this, QStringLiteral("ok_button"), QStringLiteral("cancel_button"));
    QDialogButtonBox* buttons = okCancel.box;
    ok_button = okCancel.ok;
    cancel_button = okCancel.cancel;
    connect(ok_button, &QPushButton::clicked, this, &fNewPassword::ok_button_Click);
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

void fNewPassword::setFirstPassword(std::function<void()> showMain)
{
    m_showMain = std::move(showMain);
    current_pw->setEnabled(false);
    new_pw->setFocus();
}

void fNewPassword::ok_button_Click()
{
    const QString top = QLatin1String(settings::kSectionTop);
    const QString title = QStringLiteral("Cloakwell");
    if (current_pw->isEnabled()) {
        const QString stored = m_store.get_setting(top, QStringLiteral("pw"));
        if (mEncrypt::plain_name(stored) != current_pw->text()) {
            m_prompt.message(QStringLiteral("Current pasword is incorrect"));
            return;
        }
    }
    if (new_pw->text() != confirm_pw->text()) {
        m_prompt.message(QStringLiteral("New passwords do not match"), title);
        return;
    }
    if (new_pw->text().size() < 6) {
        m_prompt.message(QStringLiteral("New password must be at least six character in length"),
                         title);
        return;
    }
    if (!m_store.save_setting(top, QStringLiteral("pw"),
                              mEncrypt::make_hidden_name(new_pw->text(), 1))) {
        // Saying "saved" here would lock the user out at the next start.
        m_prompt.message(QStringLiteral("The new password could not be saved, because the "
                                        "settings file %1 cannot be written.")
                             .arg(m_store.filePath()),
                         title);
        return;
    }
    m_prompt.message(QStringLiteral("New password has been saved"), title);
    if (!current_pw->isEnabled()) {
        current_pw->setEnabled(true);
        if (m_showMain)
            m_showMain();
    }
    accept();
}
