#pragma once

#include <QString>

#include <memory>
#include <vector>

// The settings store: every preference, the library table, the stored password
// and the version, as text values in sections below the product key
// "Software\VO Doziziru\RW\". On Linux the key is one INI-style file; each
// registry section is an INI section and the empty section is the file's top
// level. Every operation opens, reads or writes and closes the file; nothing is
// cached between operations, so two windows never see different values.
namespace settings {

inline constexpr const char* kProductKey = "Software\\VO Doziziru\\RW\\";

inline constexpr const char* kSectionTop = "";
inline constexpr const char* kSectionBehavior = "Behavior";
inline constexpr const char* kSectionAppearance = "Appearance";
inline constexpr const char* kSectionViewing = "Viewing";
inline constexpr const char* kSectionLibraries = "Libraries";

struct SettingsDocument;

// One value to store (or, with remove, to delete) in a batch.
struct SettingChange
{
    QString section;
    QString name;
    QString text = {};
    bool remove = false;
};

class SettingsStore
{
public:
    explicit SettingsStore(QString filePath) : m_path(std::move(filePath)) {}

    const QString& filePath() const { return m_path; }

    // The store read once: get_setting on the copy answers from that reading,
    // so an operation that needs many values parses the file once. Writes
    // through the copy still go to the file (and update the copy). Keep a
    // snapshot for one operation only: what another copy of the program
    // saves meanwhile is seen at the next operation.
    SettingsStore snapshot() const;

    // Applies every change with one reading and one atomic write. False when
    // nothing was written (the store is unreadable, a name cannot be stored).
    bool apply(const std::vector<SettingChange>& changes) const;

    // True when the name can be stored so that it reads back: not empty, no
    // "=" or line break, and not starting with ";", "#" or "[" (which the file
    // format reads as a comment or a section).
    static bool storableName(const QString& name);

    // The stored text, cut at its first NUL; "" when the file, the section or
    // the value is missing or the file cannot be read.
    QString get_setting(const QString& section, const QString& name) const;

    // Stores the text, creating the section and the file (mode 0600) when
    // missing. The file is replaced atomically: a crash leaves the old or the
    // new file, never half of one; a file that is a symbolic link is replaced
    // where the link leads. True when the value is on disk and reads back. A
    // store that is not a regular file (a named pipe, a device) is never read
    // or written: it reads as empty and saves fail.
    bool save_setting(const QString& section, const QString& name, const QString& text) const;

    // Removes the value; true when it is gone (a missing value counts).
    bool delete_setting(const QString& section, const QString& name) const;

private:
    QString m_path;
    std::shared_ptr<SettingsDocument> m_snapshot; // set on snapshots only
};

} // namespace settings
