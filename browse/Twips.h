#pragma once

// Lengths in the saved layouts and settings are in twips, 1/1440 inch; a
// logical pixel counts 15 of them. Windows keep their layouts in twips and
// convert only where they hand a length to Qt.
namespace browse {

inline constexpr int kTwipsPerPixel = 15;

// Nearest whole pixel; halves go away from zero.
constexpr int pixelsFromTwips(int twips)
{
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int twipsFromPixels(int pixels)
{
    return pixels * kTwipsPerPixel;
}

} // namespace browse
