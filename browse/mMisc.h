#pragma once

#include <QString>

// Small shared services: size texts, name validity, free space, maxima.
namespace mMisc {

// "512 bytes", "1.5 KB (1,536 bytes)", "5.0 GB" (bare). Halves round to even.
QString format_size(double size, bool bare);

// False for "", all dots, more than 240 characters, or a forbidden character
// (\ / : * ? " < > | and the Windows-1252 codes 129, 141, 142, 143, 144, 157, 158).
bool is_valid_name(const QString& name);

// Free bytes available to the user on the folder's file system; 0 when the
// folder does not exist.
double folder_free_space(const QString& path);

inline double larger_of(double a, double b) { return b > a ? b : a; }

} // namespace mMisc
