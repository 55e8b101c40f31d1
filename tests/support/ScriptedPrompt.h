#pragma once

#include "platform/Prompt.h"

#include <QList>
#include <QString>

// The prompt service for tests: records every prompt and answers from a script.
// A prompt that the script did not expect fails the running test.
class ScriptedPrompt : public platform::PromptService
{
public:
    struct Seen
    {
        QString text;
        QString title; // as shown: the program's name when none was given
        platform::PromptButtons buttons;
        QString details = {};
    };

    // Queues the answer for the next prompt.
    ScriptedPrompt& answer(platform::PromptAnswer a);
    // Queues answers to any number of one-button messages.
    ScriptedPrompt& acceptMessages(int count = 1);

    platform::PromptAnswer ask(const platform::PromptRequest& request) override;

    QList<Seen> seen;
    QStringList unexpected;
    int pending() const { return static_cast<int>(m_script.size()); }
    void clear()
    {
        seen.clear();
        unexpected.clear();
        m_script.clear();
    }
    QString lastText() const { return seen.isEmpty() ? QString() : seen.back().text; }
    QString lastTitle() const { return seen.isEmpty() ? QString() : seen.back().title; }

private:
    QList<platform::PromptAnswer> m_script;
};
