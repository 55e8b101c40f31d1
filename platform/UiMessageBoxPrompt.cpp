#include "platform/UiMessageBoxPrompt.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

PromptAnswer UiMessageBoxPrompt::ask(const PromptRequest& request)
{
    QMessageBox box(m_parent ? m_parent.data() : QApplication::activeWindow());
    box.setWindowTitle(shownTitle(request));
    box.setText(request.text);
    if (!request.details.isEmpty())
        box.setDetailedText(request.details);
    switch (request.icon) {
    case PromptIcon::None:
        break;
    case PromptIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case PromptIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case PromptIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case PromptIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    PromptAnswer escapeAnswer = PromptAnswer::Ok;
    switch (request.buttons) {
    case PromptButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case PromptButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        escapeAnswer = PromptAnswer::Cancel;
        break;
    case PromptButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        escapeAnswer = PromptAnswer::No;
        break;
    case PromptButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        escapeAnswer = PromptAnswer::Cancel;
        break;
    case PromptButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        escapeAnswer = PromptAnswer::Cancel;
        break;
    }
    // The hourglass must not sit over a question.
    const bool hadOverride = QGuiApplication::overrideCursor() != nullptr;
    if (hadOverride)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const int rc = box.exec();
    if (hadOverride)
        QGuiApplication::restoreOverrideCursor();
    switch (rc) {
    case QMessageBox::Ok:
        return PromptAnswer::Ok;
    case QMessageBox::Cancel:
        return PromptAnswer::Cancel;
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Retry:
        return PromptAnswer::Retry;
    default:
        return escapeAnswer;
    }
}

} // namespace platform
