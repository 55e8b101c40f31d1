#pragma once

#include <QTransform>

#include <cmath>

// Small shared pieces of the metafile drawing core.
namespace pictures::meta {

// Output coordinates beyond this are no picture anyone drew on purpose; they
// only make the rasteriser work.
inline constexpr double kFarAway = 1e7;
// Output extent past which an outline is drawn solid: dashes along it would
// be counted out one by one.
inline constexpr double kLongShape = 65536;

inline double axisScale(const QTransform& t)
{
    return std::sqrt(std::abs(t.determinant()));
}

inline bool finite(const QTransform& t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy()) &&
           std::abs(t.dx()) < 1e12 && std::abs(t.dy()) < 1e12;
}

} // namespace pictures::meta
