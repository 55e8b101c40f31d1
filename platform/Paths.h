#pragma once

#include <QString>

// Path helpers. The design joins names with "\"; on Linux the separator is "/",
// and this is the one place that joins path components.
namespace platform {

// Joins a folder and a bare name with exactly one separator between them.
QString joinPath(const QString& folder, const QString& name);

// The folder part of a path ("/a/b/c.jpg" -> "/a/b", "/c" -> "/"); "" when there is none.
QString parentFolder(const QString& path);

// The last component of a path, without any trailing separator.
QString bareName(const QString& path);

// The text after the last dot of a bare name, without the dot; "" when there is no dot.
// A name that starts with a dot and has no other ("".profile"") has no extension.
QString extensionOf(const QString& name);

// Removes trailing separators, keeping "/" itself.
QString withoutTrailingSeparator(const QString& path);

} // namespace platform
