#pragma once

#include "engine/OperationReport.h"
#include "platform/Prompt.h"
#include "settings/Preferences.h"

#include <QString>
#include <QStringList>

// The hidden-name format and the single-item operations built on it.
//
// A hidden item keeps its place on disk under a scrambled name followed by
// ".kz" and its level digit. Level 2 also inverts a file's first byte, level 3
// up to its first 262,136 bytes. Nothing else records that an item is hidden,
// so any copy of the program can unhide what another copy hid: the name
// format and the inversion below must never change.
namespace mEncrypt {

// --- Name codec (pure, no disk access) ---

// Mirrors the ASCII letters (A<->Z, a<->z), swaps "." and "-", keeps every
// other character and the order. Its own inverse.
QString scramble_name(const QString& name);

// The scrambled name, then ".kz" and the level digit.
QString make_hidden_name(const QString& plainName, short level);

// Drops the last four characters and unscrambles the rest.
QString plain_name(const QString& hiddenName);

// True when the last four characters, lower-cased, are ".kz1", ".kz2" or
// ".kz3". Works on a bare name or a full path.
bool is_hidden_name(const QString& nameOrPath);

// The level digit of a hidden name (its last character), or 0.
short hidden_level(const QString& hiddenName);

// --- Single items on disk ---

// Everything the single-item operations need besides the path.
struct Context
{
    const settings::Preferences& prefs;
    platform::PromptService& prompt;
    // Where the records of changes in progress go; "" for this copy's own
    // record folder (default_record_folder()).
    QString recordFolder = {};
    // During a bulk command: failures the design leaves without a message of
    // their own (no space, permission denied, ...) are collected here and told
    // once at the end. nullptr: each is told at once, under the operation's title.
    engine::OperationReport* report = nullptr;
    // During a bulk command: files hidden by name only (level 1) because
    // nobody can tell whether another program has them open.
    QStringList* nameOnly = nullptr;
};

inline constexpr qint64 kChunkSize = 32767;
inline constexpr qint64 kLevel3Region = 8 * kChunkSize; // 262,136 bytes

// Each returns the item's new bare name, or "" after a refusal or failure that
// it has reported (or collected in ctx.report). On "" the item keeps its old
// name and exactly its old bytes.
//
// A file's content changes only where no other name shares it (a hard link is
// hidden by name only, like a symbolic link) and no other program can have it
// open (the write lease); the file renamed is checked to be the file whose
// bytes were inverted. A kill at any moment leaves a record from which
// recover_interrupted() finishes the change.
QString hide_folder(const QString& path, const Context& ctx);
QString unhide_folder(const QString& path, const Context& ctx);
QString hide_file(const QString& path, const Context& ctx);
QString unhide_file(const QString& path, const Context& ctx);

// The level a file would be hidden at under the preferences (0 or less: none).
short level_for_file(const QString& fileName, const settings::Preferences& prefs);

// Inverts the file's content for the level (0: read the level from the file's
// current name; on return level holds the level used). All or nothing: when a
// read or write fails part way, the bytes already inverted are inverted back.
bool invert_content(const QString& path, short& level);

// True when a folder or file (or a link) of that bare name exists in the folder.
bool name_exists(const QString& folderPath, const QString& bareName);

// True when the file can be opened exclusively at this moment.
bool file_available(const QString& path);

} // namespace mEncrypt
