#pragma once

#include <QString>

// Every message box, question and conflict prompt of the program goes through
// one PromptService, owned by the application and injected where it is needed.
// Engine code asks through it and never includes a widget header.
namespace platform {

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class PromptIcon { None, Information, Question, Warning, Critical };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry };

struct PromptRequest
{
    QString text;
    QString title; // "" means the program's name
    PromptButtons buttons = PromptButtons::Ok;
    PromptIcon icon = PromptIcon::None;
    // Longer text the user can unfold under the message (every item of a
    // summary, for instance); "" for none.
    QString details = {};
};

// The title a prompt without a title of its own carries.
inline QString applicationTitle()
{
    return QStringLiteral("Cloakwell");
}

class PromptService
{
public:
    virtual ~PromptService() = default;

    // Shows the prompt and returns the user's answer. Closing a box without a
    // choice answers Cancel, or No when the box has no Cancel, or Ok.
    virtual PromptAnswer ask(const PromptRequest& request) = 0;

    // A message with one OK button.
    void message(const QString& text, const QString& title = QString(),
                 PromptIcon icon = PromptIcon::None)
    {
        ask(PromptRequest{text, title, PromptButtons::Ok, icon});
    }

    PromptAnswer question(const QString& text, const QString& title = QString(),
                          PromptButtons buttons = PromptButtons::YesNo)
    {
        return ask(PromptRequest{text, title, buttons, PromptIcon::Question});
    }

    static QString shownTitle(const PromptRequest& r)
    {
        return r.title.isEmpty() ? applicationTitle() : r.title;
    }
};

} // namespace platform
