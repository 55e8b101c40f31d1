#include "ScriptedPrompt.h"

#include <QTest>

ScriptedPrompt& ScriptedPrompt::answer(platform::PromptAnswer a)
{
    m_script.append(a);
    return *this;
}

ScriptedPrompt& ScriptedPrompt::acceptMessages(int count)
{
    for (int i = 0; i < count; ++i)
        m_script.append(platform::PromptAnswer::Ok);
    return *this;
}

platform::PromptAnswer ScriptedPrompt::ask(const platform::PromptRequest& request)
{
    seen.append(Seen{request.text, shownTitle(request), request.buttons, request.details});
    if (m_script.isEmpty()) {
        unexpected.append(request.text);
        QTest::qFail(qPrintable(QStringLiteral("Unexpected prompt: \"%1\" (%2)")
                                    .arg(request.text, shownTitle(request))),
                     __FILE__, __LINE__);
        return request.buttons == platform::PromptButtons::Ok ? platform::PromptAnswer::Ok
                                                              : platform::PromptAnswer::Cancel;
    }
    return m_script.takeFirst();
}
