#pragma once

#include "platform/Prompt.h"
#include "settings/mRegistry.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

// Sets the first password of a fresh installation, and changes the password
// later from the main window (modal, with the current password asked for).
class fNewPassword : public QDialog
{
    Q_OBJECT
public:
    fNewPassword(settings::SettingsStore store, platform::PromptService& prompt,
                 QWidget* parent = nullptr);

    // First-password mode: there is no current password to ask for, and a
    // successful save shows the main window.
    void setFirstPassword(std::function<void()> showMain);

private:
    void ok_button_Click();

    settings::SettingsStore m_store;
    platform::PromptService& m_prompt;
    std::function<void()> m_showMain;

    QLineEdit* current_pw = nullptr;
    QLineEdit* new_pw = nullptr;
    QLineEdit* confirm_pw = nullptr;
    QPushButton* ok_button = nullptr;
    QPushButton* cancel_button = nullptr;
};
