#pragma once

#include <QString>

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

class SettingsStore
{
public:
    explicit SettingsStore(QString filePath) : m_path(std::move(filePath)) {}

    const QString& filePath() const { return m_path; }

    // The stored text, cut at its first NUL; "" when the file, the section or
    // the value is missing or the file cannot be read.
    QString get_setting(const QString& section, const QString& name) const;

    // Stores the text, creating the section and the file (mode 0600) when
    // missing. The file is replaced atomically: a crash leaves the old or the
    // new file, never half of one. True when the value is on disk.
    bool save_setting(const QString& section, const QString& name, const QString& text) const;

    // Removes the value; true when it is gone (a missing value counts).
    bool delete_setting(const QString& section, const QString& name) const;

private:
    QString m_path;
};

} // namespace settings
