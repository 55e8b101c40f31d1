#pragma once

#include "platform/FileOperation.h"
#include "platform/Prompt.h"

#include <QStringList>

#include <cstdint>
#include <functional>

namespace engine {
class OperationProgress;
}

// The program's own file operation: moves, copies and deletes lists of items
// with the questions, progress and safety a desktop's file manager gives, and
// never loses or corrupts a file on the way.
namespace mainwindow {

// Operation codes and option flags, as the callers pass them.
inline constexpr std::uint32_t FoMove = 1;
inline constexpr std::uint32_t FoCopy = 2;
inline constexpr std::uint32_t FoDelete = 3;
inline constexpr std::uint16_t FofNone = 0;
// A new item takes a free name "name (2).ext" where its name is taken.
inline constexpr std::uint16_t FofRenameOnCollision = 0x0008;
// Delete into the desktop's trash.
inline constexpr std::uint16_t FofAllowUndo = 0x0040;
// Results besides 0 (done, or refused by the operation's own checks).
inline constexpr std::uint32_t FoFailed = 1;
inline constexpr std::uint32_t FoCancelled = 1223;

// What to do about an item whose name the target folder already has.
enum class ConflictChoice { Replace, Skip, KeepBoth, Cancel };
struct ConflictAnswer
{
    ConflictChoice choice = ConflictChoice::Cancel;
    bool forRemaining = false; // do this for the remaining conflicts
};

class ConflictQuestion
{
public:
    virtual ~ConflictQuestion() = default;
    // existing: the item in the target folder; incoming: the one that would
    // take its name. KeepBoth may only be answered when keepBothAllowed.
    virtual ConflictAnswer ask(const QString& existing, const QString& incoming,
                               bool keepBothAllowed) = 0;
};

// The question as a plain prompt: Yes replaces, No skips (or keeps both where
// that is allowed), Cancel stops.
class PromptConflictQuestion : public ConflictQuestion
{
public:
    explicit PromptConflictQuestion(platform::PromptService& prompt) : m_prompt(prompt) {}
    ConflictAnswer ask(const QString& existing, const QString& incoming,
                       bool keepBothAllowed) override;

private:
    platform::PromptService& m_prompt;
};

struct FileOperationServices
{
    platform::PromptService& prompt;
    engine::OperationProgress* progress = nullptr;
    ConflictQuestion* conflicts = nullptr; // nullptr: asked through the prompt
    // Puts an item in the desktop's trash; empty: platform::moveToTrash.
    std::function<platform::TrashResult(const QString& path, QString& reason)> trash = {};
    // Where the folders that get temporary items are noted, so that the next
    // start clears what a kill left (see platform/TargetRecords.h); "" for
    // no notes.
    QString recordFolder = {};
};

std::uint32_t move_or_copy_items(std::uint32_t op, const QStringList& sources,
                                 const QString& target, std::uint16_t flags,
                                 const FileOperationServices& services);

} // namespace mainwindow
