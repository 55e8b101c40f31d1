#include "engine/LongOperation.h"

namespace engine {

platform::PromptAnswer LongOperation::LiftingPrompt::ask(const platform::PromptRequest& request)
{
    m_op.m_cursor.reset();
    const platform::PromptAnswer answer = m_op.m_prompt.ask(request);
    if (m_op.m_active)
        m_op.m_cursor.emplace();
    return answer;
}

LongOperation::LongOperation(platform::PromptService& prompt, OperationProgress* progress,
                             const QString& actionText, const QString& failureVerb)
    : m_prompt(prompt), m_progress(progress), m_failureVerb(failureVerb), m_lifting(*this)
{
    m_cursor.emplace();
    if (m_progress)
        m_progress->start(actionText);
}

bool LongOperation::stopped()
{
    if (!m_report.cancelled && m_active && m_progress && m_progress->cancelled())
        m_report.cancelled = true;
    return m_report.cancelled;
}

void LongOperation::working(const QString& item)
{
    if (m_active && m_progress)
        m_progress->step(m_report, item);
}

void LongOperation::setTotals(qint64 items, qint64 bytes)
{
    m_figures.itemsTotal = items;
    m_figures.bytesTotal = bytes;
    m_figures.bytesDone = 0;
    if (m_active && m_progress)
        m_progress->transferred(m_figures);
}

void LongOperation::setBytesDone(qint64 bytes)
{
    m_figures.bytesDone = qBound(qint64(0), bytes, m_figures.bytesTotal);
    if (m_active && m_progress)
        m_progress->transferred(m_figures);
}

void LongOperation::changed(const QString& item)
{
    ++m_report.changed;
    working(item);
}

void LongOperation::skipped(const QString& item)
{
    ++m_report.skipped;
    working(item);
}

void LongOperation::refused(const QString& item, const QString& reason)
{
    ++m_report.refused;
    if (!reason.isEmpty())
        m_report.fail(item, reason);
    working(item);
}

const OperationReport& LongOperation::finish()
{
    if (!m_active)
        return m_report;
    m_active = false;
    if (m_progress)
        m_progress->finish();
    m_cursor.reset();
    FailureSummary summary = summarizeFailures(m_report.failures, m_failureVerb);
    const bool failed = !summary.text.isEmpty();
    const auto paragraph = [](QString& to, const QString& text) {
        if (!text.isEmpty())
            to += (to.isEmpty() ? QString() : QStringLiteral("\n\n")) + text;
    };
    paragraph(summary.text, m_remark);
    paragraph(summary.details, m_remarkDetails);
    if (!summary.text.isEmpty()) {
        m_prompt.ask(platform::PromptRequest{
            summary.text, m_summaryTitle, platform::PromptButtons::Ok,
            failed ? platform::PromptIcon::Warning : platform::PromptIcon::Information,
            summary.details});
    }
    return m_report;
}

void LongOperation::setRemark(const QString& text, const QString& itemsHeading,
                              const QStringList& items)
{
    m_remark = text;
    m_remarkDetails = items.isEmpty()
                          ? QString()
                          : itemsHeading + QLatin1Char('\n') + items.join(QLatin1Char('\n'));
}

} // namespace engine
