#pragma once

#include "browse/WaitCursor.h"
#include "engine/OperationReport.h"
#include "platform/Prompt.h"

#include <QStringList>

#include <optional>

// A command that works through many items (hide, unhide, move, copy, delete
// to the bin, a series rename, ...): the hourglass while it runs, a progress
// window with Cancel, the counts of what it changed, skipped and refused,
// and at the end one summary of the items it could not handle.
namespace engine {

// How far a transfer of items and their bytes has come. A total of 0 is not
// known (or, for bytes, nothing to carry: renames within one file system).
struct TransferFigures
{
    qint64 itemsTotal = 0;
    qint64 bytesTotal = 0;
    qint64 bytesDone = 0;
};

// What the user sees of a long operation while it runs. The progress window
// implements it; nullptr where none is wanted.
class OperationProgress
{
public:
    virtual ~OperationProgress() = default;
    // The operation begins; the text says what it does ("Moving files...").
    virtual void start(const QString& actionText) = 0;
    // Called after each item with the counts so far and the item the
    // operation turns to next (or just finished). The window may show itself
    // here and let pending events through, so it must keep that cheap when
    // called often.
    virtual void step(const OperationReport& soFar, const QString& currentItem) = 0;
    // True once the user asked to stop; the operation ends after the
    // current item.
    virtual bool cancelled() const = 0;
    // The operation is over, cancelled or not.
    virtual void finish() = 0;
    // A transfer's totals once known, and its bytes as they move (also
    // within one big file, between two steps). Walks without totals never
    // call it.
    virtual void transferred(const TransferFigures& figures) { Q_UNUSED(figures); }
};

class LongOperation
{
public:
    // actionText: what the progress window says; failureVerb: how the
    // summary names what could not be done ("moved" in "3 items could not
    // be moved:").
    LongOperation(platform::PromptService& prompt, OperationProgress* progress,
                  const QString& actionText, const QString& failureVerb);
    ~LongOperation() { finish(); }
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

    // The prompts to ask through while the operation runs: the hourglass is
    // lifted while one shows.
    platform::PromptService& prompt() { return m_lifting; }

    // True once the user cancelled; from then on no item may be touched.
    bool stopped();

    // The item now being worked on, for the progress window.
    void working(const QString& item);
    // One item done, left alone, or refused (the user has been told why, or
    // will be in the summary when a reason is given).
    void changed(const QString& item);
    void skipped(const QString& item);
    void refused(const QString& item, const QString& reason = QString());

    const OperationReport& report() const { return m_report; }

    // For work that carries bytes: what the whole of it comes to, and how
    // many bytes are done so far (never more than the total).
    void setTotals(qint64 items, qint64 bytes);
    void setBytesDone(qint64 bytes);
    const TransferFigures& figures() const { return m_figures; }

    // The title of the summary box ("" for the program's name).
    void setSummaryTitle(const QString& title) { m_summaryTitle = title; }
    // A paragraph the summary adds after the failures, and shows alone when
    // nothing failed, for items that were done in a way the user should know
    // of; the items are listed in the details under the heading.
    void setRemark(const QString& text, const QString& itemsHeading, const QStringList& items);

    // Ends the hourglass and the progress window, then tells the user once
    // of every failure collected. Only the first call does anything; the
    // report of the whole operation.
    const OperationReport& finish();

private:
    class LiftingPrompt : public platform::PromptService
    {
    public:
        explicit LiftingPrompt(LongOperation& op) : m_op(op) {}
        platform::PromptAnswer ask(const platform::PromptRequest& request) override;

    private:
        LongOperation& m_op;
    };

    platform::PromptService& m_prompt;
    OperationProgress* m_progress;
    QString m_failureVerb;
    QString m_summaryTitle;
    QString m_remark;
    QString m_remarkDetails;
    LiftingPrompt m_lifting;
    std::optional<browse::WaitCursor> m_cursor;
    OperationReport m_report;
    TransferFigures m_figures;
    bool m_active = true;
};

} // namespace engine
