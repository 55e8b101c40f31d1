#pragma once

#include "platform/Prompt.h"
#include "settings/fNewPassword.h"
#include "settings/mRegistry.h"

#include <QDialog>
#include <QPointer>

#include <functional>

class QLineEdit;
class QPushButton;

// The first window of the program. One attempt: the right password shows the
// main window, a wrong one or Cancel closes the window and, with no window
// left, the program ends. On a store without a password it hands over to the
// first-password window instead and never shows itself.
class fLogin : public QDialog
{
    Q_OBJECT
public:
    fLogin(settings::SettingsStore store, platform::PromptService& prompt,
           std::function<void()> showMain, QWidget* parent = nullptr);

    // Reads the stored password and shows either this window or the
    // first-password window.
    void Form_Load();

    bool LoginSucceeded = false;

    // The first-password window opened by Form_Load, while it is open.
    fNewPassword* firstPasswordWindow() const { return m_firstPassword; }

    // True when the stored text is a hidden name of more than 9 characters
    // whose plain name is exactly the typed text.
    static bool password_matches(const QString& stored, const QString& typed);

    void reject() override;

private:
    void pw_ok_button_Click();
    void pw_cancel_button_Click();

    settings::SettingsStore m_store;
    platform::PromptService& m_prompt;
    std::function<void()> m_showMain;
    QPointer<fNewPassword> m_firstPassword;

    QLineEdit* pw_text_box = nullptr;
    QPushButton* pw_ok_button = nullptr;
    QPushButton* pw_cancel_button = nullptr;
};
