#pragma once

#include "platform/Prompt.h"

#include <QPointer>

class QWidget;

namespace platform {

// The real prompt: a modal QMessageBox over the given parent window.
class UiMessageBoxPrompt : public PromptService
{
public:
    explicit UiMessageBoxPrompt(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    PromptAnswer ask(const PromptRequest& request) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace platform
